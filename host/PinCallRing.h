// Fixed-size record of the most recent pin-connection queries. The plug-in asks them from its
// audio thread, so pushing never allocates or locks: each slot is a small seqlock.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <memory>
#include <vector>

#include "host/HostCall.h"

namespace lyrehost {

class PinCallRing {
  public:
    static constexpr std::size_t kCapacity = 4096;

    PinCallRing();

    void push(const HostCall& call) noexcept;
    // The calls pushed since the last clear, oldest first; at most kCapacity of them.
    std::vector<HostCall> snapshot() const;
    void clear() noexcept;

  private:
    struct Slot {
        std::atomic<std::uint64_t> stamp{0}; // odd while written, 2 * (ticket + 1) when complete
        std::atomic<AEffect*> effect{nullptr};
        std::atomic<VstInt32> index{0};
        std::atomic<VstIntPtr> value{0};
        std::atomic<void*> ptr{nullptr};
        std::atomic<float> opt{0.0f};
        std::atomic<std::uint64_t> sequence{0};
    };

    std::unique_ptr<std::array<Slot, kCapacity>> slots_;
    std::atomic<std::uint64_t> written_{0};
    std::atomic<std::uint64_t> clearedAt_{0};
};

} // namespace lyrehost
