// The effect's parameters as CLAP values: the eight parameters keep their normalised values,
// except Transpose, stepped in semitones; the six programs are one more stepped parameter.
#pragma once

#include <clap/ext/params.h>

#include <cstdint>

namespace lyreclap {

inline constexpr clap_id kProgramId = 8;
inline constexpr uint32_t kParameterCount = 9;

bool parameterInfo(uint32_t index, clap_param_info_t& info);
// The effect's normalised value for a CLAP value of `id` (0 to 7).
double normalizedValue(clap_id id, double value);
// The CLAP value of `id` (0 to 7) for the effect's normalised value.
double clapValue(clap_id id, float normalized);
// The program for a CLAP value of the program parameter.
int32_t programOf(double value);

} // namespace lyreclap
