// The built bundle and the VST 2.4 module, each loaded through its exported entry.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "host/Plugin.h"
#include "host/vst3/Vst3Plugin.h"

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

inline std::vector<std::uint8_t> vst2Chunk(lyrehost::Plugin& plugin) {
    void* data = nullptr;
    const VstIntPtr size = plugin.dispatch(effGetChunk, 0, 0, &data);
    if (size <= 0 || !data) return {};
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    return {bytes, bytes + size};
}
