// Parameter texts for hosts of the newer interfaces: the effect's own names, labels and value
// texts without the padding spaces a VST 2.4 host expects, and typed values read back into
// the normalised value whose text is nearest to them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace lyreformat {

// `text` without leading and trailing spaces.
std::string trimmed(const char* text);

// The effect's text for `index` at normalised `value` (clamped), unpadded.
std::string valueText(int32_t index, double value);

// Reads a number typed in the parameter's own unit (the unit may follow it) and returns the
// normalised value whose text is nearest to it. Nothing for text that is no such value.
std::optional<double> typedValue(int32_t index, const char* text);

// Transpose as the newer interfaces show it, whole semitones from -24 to +24, and back.
double transposeNormalized(double semitones);
double transposeSemitones(float normalized);

} // namespace lyreformat
