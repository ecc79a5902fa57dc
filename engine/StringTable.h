// The twelve strings: one equal-tempered octave from A at 110 Hz, each with its own detune weight.
#pragma once

namespace strings {

inline constexpr int kCount = 12;
inline constexpr int kLineLength = 16384;
inline constexpr int kLineMask = kLineLength - 1;

inline constexpr double kBaseFrequency[kCount] = {110.0,     116.5406,   123.4706,  130.81277,
                                                  138.5912,  146.832378, 155.5631,  164.81377,
                                                  174.61411, 184.99723,  195.99767, 207.652346};
// Positive weights lengthen the loop (lower pitch) as Detune rises, negative ones shorten it.
inline constexpr double kDetuneWeight[kCount] = {1.11,  0.599,  -1.402, -0.797, 1.65,  0.35,
                                                 -1.26, -0.498, 1.48,   0.866,  -1.59, -0.43};

inline constexpr double kExcitationScale = 0.5;
inline constexpr double kWetScale = 0.075;
inline constexpr double kMonoOutputScale = 0.5;
inline constexpr double kDetuneSpread = 0.015;
inline constexpr double kDetuneGlide = 0.00075;
inline constexpr double kDetuneSnap = 0.002;
inline constexpr double kTuningGlide = 0.00025;
inline constexpr double kTuningStepLimit = 0.00002;
inline constexpr double kTuningSnap = 0.0015;
// Alternating in sign every sample, it keeps subnormal numbers out of the loops.
inline constexpr float kDenormalOffset = 1e-9f;

} // namespace strings
