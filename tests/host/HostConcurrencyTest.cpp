// The call log read while the audio thread keeps recording pin queries.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <optional>
#include <thread>

#include "ProbeHost.h"

namespace {

using lyrehost::HostCall;

TEST_F(ProbeHost, SnapshotsTakenWhileAudioRunsAreNeverTorn) {
    std::atomic<bool> stop{false};
    std::atomic<std::size_t> blocks{0};
    std::thread audio([&] {
        while (!stop) {
            processBlock();
            ++blocks;
        }
    });
    while (blocks == 0)
        std::this_thread::yield();

    // Each block asks twice, input first, and tags both queries with its block number, so
    // sequence / 2 - block is the same for every query unless a record mixes two of them.
    std::optional<std::int64_t> offset;
    std::size_t seen = 0, malformed = 0;
    for (int snapshot = 0; snapshot < 200; ++snapshot) {
        for (const HostCall& call : plugin.log().calls()) {
            ++seen;
            const auto block =
                static_cast<std::int64_t>(reinterpret_cast<std::uintptr_t>(call.ptr));
            const std::int64_t callOffset = static_cast<std::int64_t>(call.sequence / 2) - block;
            if (!offset) offset = callOffset;
            const bool wellFormed = call.effect == plugin.effect() && call.index == 1 &&
                                    call.value == static_cast<VstIntPtr>(call.sequence % 2) &&
                                    callOffset == *offset;
            if (!wellFormed) ++malformed;
        }
    }
    stop = true;
    audio.join();
    EXPECT_GT(seen, 0u);
    EXPECT_EQ(malformed, 0u);
    EXPECT_EQ(plugin.log().count(audioMasterPinConnected), 2 * blocks.load());
}

} // namespace
