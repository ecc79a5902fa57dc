// The built-in input: a short percussive phrase that sets the strings ringing.
#pragma once

#include "host/Plugin.h"

namespace lyrerender {

constexpr double kDemoSeconds = 4.0;

// Noise bursts, plucks and tonal blips at irregular times, spread across the stereo field.
// The same phrase every time, peaking at -6 dBFS.
lyrehost::StereoBuffer demoExcitation(double sampleRate);

} // namespace lyrerender
