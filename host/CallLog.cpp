#include "host/CallLog.h"

#include <algorithm>

namespace lyrehost {

void CallLog::record(HostCall call) {
    call.sequence = nextSequence_.fetch_add(1, std::memory_order_relaxed);
    if (call.opcode == audioMasterPinConnected) {
        recordPinQuery(call);
        return;
    }
    std::lock_guard lock(mutex_);
    calls_.push_back(call);
}

void CallLog::recordPinQuery(const HostCall& call) noexcept {
    pinTotal_.fetch_add(1, std::memory_order_relaxed);
    if (call.index >= 0 && call.index < kCountedPins) {
        const int side = call.value == 0 ? 0 : 1;
        pinCounts_[static_cast<std::size_t>(call.index)][side].fetch_add(1,
                                                                         std::memory_order_relaxed);
    }
    pinRing_.push(call);
}

std::vector<HostCall> CallLog::calls() const {
    std::vector<HostCall> all = pinRing_.snapshot();
    {
        std::lock_guard lock(mutex_);
        all.insert(all.end(), calls_.begin(), calls_.end());
    }
    std::sort(all.begin(), all.end(),
              [](const HostCall& a, const HostCall& b) { return a.sequence < b.sequence; });
    return all;
}

std::size_t CallLog::count(VstInt32 opcode) const {
    if (opcode == audioMasterPinConnected) return pinTotal_.load(std::memory_order_relaxed);
    std::lock_guard lock(mutex_);
    return static_cast<std::size_t>(std::count_if(
        calls_.begin(), calls_.end(), [opcode](const HostCall& c) { return c.opcode == opcode; }));
}

std::size_t CallLog::pinQueries(VstInt32 pin, PinSide side) const {
    if (pin < 0 || pin >= kCountedPins) return 0;
    return pinCounts_[static_cast<std::size_t>(pin)][static_cast<std::size_t>(side)].load(
        std::memory_order_relaxed);
}

void CallLog::clear() {
    std::lock_guard lock(mutex_);
    calls_.clear();
    nextSequence_.store(0, std::memory_order_relaxed);
    pinRing_.clear();
    pinTotal_.store(0, std::memory_order_relaxed);
    for (auto& pin : pinCounts_)
        for (auto& counter : pin)
            counter.store(0, std::memory_order_relaxed);
}

} // namespace lyrehost
