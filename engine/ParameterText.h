// What the host and the editor show for each parameter.
#pragma once

#include <cstdint>

namespace paramtext {

// Names and labels carry one leading and one trailing space.
const char* name(std::int32_t index);
const char* label(std::int32_t index);

// Writes sign, integer part and (for decimals 1) one truncated fraction digit of the exact
// float value. Returns false and writes an empty string when the number cannot be shown.
bool formatNumber(float value, int decimals, char* text);

// The value text of parameter `index` at normalised value x.
void display(std::int32_t index, float x, char* text);

} // namespace paramtext
