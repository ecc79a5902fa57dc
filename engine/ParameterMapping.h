// From a normalised parameter value to what the strings use. Computed in double, stored as float.
#pragma once

#include <cstdint>

namespace mapping {

float outputGain(float x);
// Decay is clamped to [0, 1] here: slightly negative automation would otherwise take the
// square root of a negative number and fill the lines with NaN, and values above 1 would
// make the loop gain exceed unity.
float feedbackGain(float decay, float transpositionRatio);
// Damp is clamped for the same reason: below 0 the loop gain grows without bound.
float dampingCoefficient(float damp);
// Whole semitone step 0..48 for x in [0, 1]; defined for any float (NaN counts as no
// transposition).
std::int32_t transposeStep(float x);
float transpositionRatio(std::int32_t step);
float tuningRatio(float tune);
// Nonzero means bypassed; defined for any float (NaN counts as not bypassed).
std::int32_t bypassValue(float x);

} // namespace mapping
