// The interface-neutral parameter texts as VST 3's String128 (UTF-16).
#pragma once

#include <cstdint>
#include <optional>

namespace vst3 {

// Copies `text` without leading and trailing spaces into a String128 (Latin-1 widened).
void toString128(const char* text, int16_t* out);

// The effect's text for `index` at normalised `value`, as a String128.
void valueText(int32_t index, double value, int16_t* out);

// A typed String128 read back into the normalised value nearest to it; nothing for text that
// is no such value.
std::optional<double> typedValue(int32_t index, const int16_t* text);

} // namespace vst3
