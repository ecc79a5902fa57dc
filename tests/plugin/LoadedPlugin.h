// The built lyrebloom.so, loaded through its exported entry the way a host loads it.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "host/Plugin.h"

inline std::unique_ptr<lyrehost::Plugin> loadLyrebloom() {
    auto plugin = std::make_unique<lyrehost::Plugin>();
    const std::string error = plugin->load(LYREBLOOM_SO);
    EXPECT_EQ(error, "");
    return plugin;
}

// Four channels of `frames` samples with pointer arrays a host would pass.
struct Buffers {
    explicit Buffers(int frames, float fill = 0.0f)
        : inL(frames, fill), inR(frames, fill), outL(frames, 7.0f), outR(frames, 7.0f) {
        in[0] = inL.data();
        in[1] = inR.data();
        out[0] = outL.data();
        out[1] = outR.data();
    }
    std::vector<float> inL, inR, outL, outR;
    float* in[2];
    float* out[2];
};

inline constexpr VstInt32 kMixIndex = 1;

inline float withOffset(float x, int n) {
    return x + (n % 2 == 0 ? 1e-9f : -1e-9f);
}
