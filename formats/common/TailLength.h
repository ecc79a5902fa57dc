// How long the strings ring after the input stops, for hosts that stop calling a plug-in
// once its input is silent.
#pragma once

#include <cstdint>

namespace lyreformat {

// Samples until the slowest string has fallen by 120 dB at the given Decay, before damping
// (which only shortens it). The loop gain is set so that a string loses the same level per
// second at any transposition; the lowest string (A at 110 Hz tuned down 100 cents) loses the
// least.
std::uint32_t tailSampleCount(float decay, float sampleRate);

} // namespace lyreformat
