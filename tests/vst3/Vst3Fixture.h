// The built bundle and the VST 2.4 module, each loaded through its exported entry.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "host/Plugin.h"
#include "host/vst3/Vst3Plugin.h"
#include "host/workload/Workload.h"
#include "presets/ChunkFormat.h"

inline std::unique_ptr<lyrehost::Vst3Plugin> loadBundle() {
    auto plugin = std::make_unique<lyrehost::Vst3Plugin>();
    EXPECT_EQ(plugin->load(LYREBLOOM_VST3_BUNDLE), "");
    return plugin;
}

inline std::unique_ptr<lyrehost::Plugin> loadVst2() {
    auto plugin = std::make_unique<lyrehost::Plugin>();
    EXPECT_EQ(plugin->load(LYREBLOOM_SO), "");
    return plugin;
}

// Started as a VST 2.4 host starts it: rate, block size, open, resume.
inline void startVst2(lyrehost::Plugin& plugin, float rate, VstInt32 maxBlock) {
    plugin.setSampleRate(rate);
    plugin.setBlockSize(maxBlock);
    plugin.open();
    plugin.resume();
}

// What a host may hand back in place of our chunk; every interface refuses each one whole. The
// foreign one has every program's values moved too, so a partial read would show.
struct BadChunk {
    const char* what;
    std::vector<std::uint8_t> bytes;
};
inline std::vector<BadChunk> badChunks(const std::vector<std::uint8_t>& good) {
    std::vector<std::uint8_t> foreign = good, tag = good;
    for (std::size_t i = chunk::kProgramsOffset; i < foreign.size(); ++i)
        foreign[i] ^= 0x5A;
    foreign[4] ^= 0x20;
    tag[0] ^= 0x40;
    return {{"foreign identifier", foreign},
            {"wrong format tag", tag},
            {"one byte short", {good.begin(), good.end() - 1}},
            {"empty", {}}};
}

inline std::vector<std::uint8_t> vst2Chunk(lyrehost::Plugin& plugin) {
    void* data = nullptr;
    const VstIntPtr size = plugin.dispatch(effGetChunk, 0, 0, &data);
    if (size <= 0 || !data) return {};
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    return {bytes, bytes + size};
}

// A block as a VST 2.4 host splits it at change points: `apply(at)` makes every change at or
// before `at` and returns where the next one is (or `frames`). Returns the number of splits.
template <class Apply>
std::size_t processSplit(lyrehost::Plugin& vst2, std::vector<float>& inL, std::vector<float>& inR,
                         std::vector<float>& outL, std::vector<float>& outR, int frames,
                         Apply&& apply) {
    std::size_t splits = 0;
    for (int at = 0; at < frames;) {
        const int to = apply(at);
        float* in[2] = {inL.data() + at, inR.data() + at};
        float* out[2] = {outL.data() + at, outR.data() + at};
        vst2.processReplacing(in, out, to - at);
        splits += to < frames;
        at = to;
    }
    return splits;
}

// The whole workload through `plugin` (a VST 3 or CLAP one) gives the bytes and texts of the
// VST 2.4 module driven as such a host can.
template <class P> void expectWorkloadOfVst2(P& plugin) {
    auto vst2 = loadVst2();
    lyreworkload::WorkloadOptions options;
    options.asVst3Host = true;
    const lyreworkload::WorkloadTotals expected = lyreworkload::runWorkload(*vst2, options);
    const lyreworkload::WorkloadTotals got = lyreworkload::runWorkload(plugin, options);
    EXPECT_GT(got.parameterChanges, 1000u);
    EXPECT_GT(got.programSwitches, 10u);
    EXPECT_GT(got.sampleRates, 2u);
    EXPECT_EQ(got.frames, expected.frames);
    EXPECT_EQ(got.output.hex(), expected.output.hex());
    EXPECT_EQ(got.texts.hex(), expected.texts.hex());
    EXPECT_EQ(got.textCount, expected.textCount);
}
