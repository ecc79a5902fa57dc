// Everything a plug-in instance asked of the host. Pin-connection queries arrive on the audio
// thread and are counted and kept without allocating or locking; every other call is appended
// to a vector under a mutex.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <mutex>
#include <vector>

#include "host/HostCall.h"
#include "host/PinCallRing.h"

namespace lyrehost {

class CallLog {
  public:
    // Pins 0 .. kCountedPins-1 get their own counters; queries about any pin count in the total.
    static constexpr VstInt32 kCountedPins = 16;

    // Fills in call.sequence and keeps the call.
    void record(HostCall call);

    // Every call since the last clear in arrival order. Only the most recent
    // PinCallRing::kCapacity pin queries are kept; count() still counts all of them.
    std::vector<HostCall> calls() const;
    std::size_t count(VstInt32 opcode) const;
    std::size_t pinQueries(VstInt32 pin, PinSide side) const;
    // Forgets everything; the next call gets sequence 0.
    void clear();

  private:
    void recordPinQuery(const HostCall& call) noexcept;

    mutable std::mutex mutex_;
    std::vector<HostCall> calls_;
    std::atomic<std::uint64_t> nextSequence_{0};

    PinCallRing pinRing_;
    std::atomic<std::size_t> pinTotal_{0};
    std::array<std::array<std::atomic<std::size_t>, 2>, kCountedPins> pinCounts_{};
};

} // namespace lyrehost
