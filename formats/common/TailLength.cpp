#include "formats/common/TailLength.h"

#include <algorithm>
#include <cmath>

#include "engine/ParameterMapping.h"

namespace lyreformat {

std::uint32_t tailSampleCount(float decay, float sampleRate) {
    constexpr double kLowestHz = 103.826174; // 110 Hz less 100 cents
    constexpr double kFallDb = 120.0;
    // At a transposition ratio of 4 the mapping's exponent is 1: the gain of one pass of a
    // loop that is a quarter of the untransposed string's period.
    const double passGain = mapping::feedbackGain(decay, 4.0f);
    const double dbPerSecond = -20.0 * std::log10(passGain) * 4.0 * kLowestHz;
    if (!(dbPerSecond > 0.0) || !(sampleRate > 0.0f)) return 0;
    const double samples = kFallDb / dbPerSecond * static_cast<double>(sampleRate);
    return static_cast<std::uint32_t>(std::min(samples, 2147483647.0));
}

} // namespace lyreformat
