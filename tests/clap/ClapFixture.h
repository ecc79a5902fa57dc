// The built CLAP module beside the VST 2.4 module and the VST 3 bundle, each loaded through
// its exported entry.
#pragma once

#include <clap/events.h>

#include <cmath>
#include <memory>

#include "host/clap/ClapPlugin.h"
#include "tests/vst3/Vst3Fixture.h"

inline std::unique_ptr<lyrehost::ClapPlugin> loadClap() {
    auto plugin = std::make_unique<lyrehost::ClapPlugin>();
    EXPECT_EQ(plugin->load(LYREBLOOM_CLAP_MODULE), "");
    return plugin;
}

inline lyrehost::ClapEvent valueEvent(uint32_t time, clap_id id, double value) {
    return {CLAP_EVENT_PARAM_VALUE, time, id, value};
}

// The CLAP value of a normalised effect value: Transpose (4) in semitones.
inline double clapValue(int index, float normalized) {
    return index == 4 ? std::floor(48.0 * normalized + 0.5) - 24.0 : normalized;
}
