// Parameter texts for VST 3 hosts: the effect's own names, labels and value texts without the
// padding spaces a VST 2.4 host expects, as UTF-16, and typed values read back into the
// normalised value whose text is nearest to them.
#pragma once

#include <cstdint>
#include <optional>

namespace vst3 {

// Copies `text` without leading and trailing spaces into a String128 (Latin-1 widened).
void toString128(const char* text, int16_t* out);

// The effect's text for `index` at normalised `value`, as a String128.
void valueText(int32_t index, double value, int16_t* out);

// Reads a number typed in the parameter's own unit (the unit may follow it) and returns the
// normalised value whose text is nearest to it. Nothing for text that is no such value.
std::optional<double> typedValue(int32_t index, const int16_t* text);

} // namespace vst3
