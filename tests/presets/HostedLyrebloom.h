// The built module loaded through lyre_host, with the program and chunk opcodes as calls.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "ChunkBytes.h"
#include "host/Plugin.h"

inline std::unique_ptr<lyrehost::Plugin> loadLyrebloom() {
    auto plugin = std::make_unique<lyrehost::Plugin>();
    EXPECT_EQ(plugin->load(LYREBLOOM_SO), "");
    return plugin;
}

inline Bytes chunkOf(lyrehost::Plugin& plugin, bool isPreset = false) {
    void* data = nullptr;
    const VstIntPtr size = plugin.dispatch(effGetChunk, isPreset ? 1 : 0, 0, &data);
    if (!data || size <= 0) return {};
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    return Bytes(bytes, bytes + size);
}

inline VstIntPtr setChunk(lyrehost::Plugin& plugin, Bytes chunk) {
    return plugin.dispatch(effSetChunk, 0, static_cast<VstIntPtr>(chunk.size()), chunk.data());
}

inline std::string programName(lyrehost::Plugin& plugin) {
    char text[64] = {};
    plugin.dispatch(effGetProgramName, 0, 0, text);
    return text;
}

inline std::string programNameIndexed(lyrehost::Plugin& plugin, int index) {
    char text[64] = {};
    plugin.dispatch(effGetProgramNameIndexed, index, 0, text);
    return text;
}

// A copy of the chunk that names program `current` as the one to apply.
inline Bytes withCurrentIndex(Bytes chunk, std::uint32_t current) {
    putU32(chunk, 12, current);
    return chunk;
}
