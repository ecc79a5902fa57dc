#include "engine/ParameterMapping.h"

#include <algorithm>
#include <cmath>

#include "engine/X87PrecisionGuard.h"

namespace mapping {

namespace {

double clampUnit(float x) {
    return std::isnan(x) ? 0.0 : std::clamp(static_cast<double>(x), 0.0, 1.0);
}

// Truncation toward zero that stays defined for every double; NaN gives `ifNaN`.
std::int32_t truncSaturated(double v, std::int32_t ifNaN) {
    if (std::isnan(v)) return ifNaN;
    constexpr double kLimit = 1073741824.0; // keeps later arithmetic (step - 24) in range
    return static_cast<std::int32_t>(std::clamp(v, -kLimit, kLimit));
}

} // namespace

float outputGain(float x) {
    const double v = x;
    return static_cast<float>(v * v * 4.0);
}

// Each function that calls the math library runs it with the x87 unit in a known state, so the
// derived values do not depend on what the host left in the control word.

float feedbackGain(float decay, float transpositionRatio) {
    const fpu::X87PrecisionGuard precision;
    const double base = std::pow(1.02, std::sqrt(clampUnit(decay))) / 1.0205;
    return static_cast<float>(
        std::pow(base, 1.0 / (0.25 * static_cast<double>(transpositionRatio))));
}

float dampingCoefficient(float damp) {
    const fpu::X87PrecisionGuard precision;
    return static_cast<float>(std::pow(1.84, 1.0 - clampUnit(damp)) / 1.845);
}

std::int32_t transposeStep(float x) {
    return truncSaturated(48.0 * static_cast<double>(x) + 0.5, 24);
}

float transpositionRatio(std::int32_t step) {
    const fpu::X87PrecisionGuard precision;
    return static_cast<float>(0.25 * std::pow(16.0, static_cast<double>(step) / 48.0));
}

float tuningRatio(float tune) {
    const fpu::X87PrecisionGuard precision;
    return static_cast<float>(std::pow(1.12246, static_cast<double>(tune)) / 1.05946);
}

std::int32_t bypassValue(float x) {
    return truncSaturated(static_cast<double>(x) + 0.5, 0);
}

} // namespace mapping
