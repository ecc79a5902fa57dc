// Where a string reads, given the write position and its loop length in samples.
#pragma once

#include <cmath>
#include <cstdint>

#include "engine/StringTable.h"

namespace strings {

// trunc(w - D + 16384) masked to the line. Outside the int32 range the value is reduced
// modulo the line length first (the same result the integer mask would give), and a loop
// length that is not a number reads at the write position; so any sample rate or tuning is safe.
inline std::int32_t readPosition(std::int32_t write, double loopLength) {
    const double v = static_cast<double>(write) - loopLength + static_cast<double>(kLineLength);
    if (v > -2147483648.0 && v < 2147483648.0) return static_cast<std::int32_t>(v) & kLineMask;
    if (!std::isfinite(v)) return write;
    return static_cast<std::int32_t>(std::fmod(v, static_cast<double>(kLineLength))) & kLineMask;
}

inline double loopLength(int string, double sampleRate, double tuning, double detune,
                         double transposition) {
    return (sampleRate + sampleRate * kDetuneSpread * kDetuneWeight[string] * detune) /
           (kBaseFrequency[string] * tuning * transposition);
}

} // namespace strings
