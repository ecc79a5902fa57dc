// The plug-in's ports as an LV2 host sees them: two audio inputs, two audio outputs, the
// seven controls in the effect's parameter order, then Bypass as the host's enable switch.
#pragma once

#include <cstdint>

namespace lyrelv2 {

inline constexpr char kPluginUri[] = "https://www.ostrandia.de/plugins/lyrebloom";
inline constexpr char kUiUri[] = "https://www.ostrandia.de/plugins/lyrebloom#ui";
inline constexpr char kChunkUri[] = "https://www.ostrandia.de/plugins/lyrebloom#chunk";

inline constexpr uint32_t kInputLeft = 0, kInputRight = 1, kOutputLeft = 2, kOutputRight = 3;
inline constexpr uint32_t kFirstControl = 4;
// The effect's parameters 0 to 6 are ports 4 to 10; Bypass (7) is port 11, "enabled".
inline constexpr uint32_t kEnabled = 11;
inline constexpr uint32_t kPortCount = 12;

// The control port of the effect's parameter `index`.
uint32_t portOfParameter(int32_t index);
// The effect's parameter for a control port's value: Transpose in semitones, Bypass from
// the inverted enable switch, the rest as they are.
int32_t parameterOfPort(uint32_t port);
double normalizedOfPort(uint32_t port, float value);
// The port value that shows the effect's normalised value.
float portValue(uint32_t port, float normalized);

} // namespace lyrelv2
