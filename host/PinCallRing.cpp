#include "host/PinCallRing.h"

#include <algorithm>

namespace lyrehost {

PinCallRing::PinCallRing() : slots_(std::make_unique<std::array<Slot, kCapacity>>()) {}

void PinCallRing::push(const HostCall& call) noexcept {
    const std::uint64_t ticket = written_.fetch_add(1, std::memory_order_relaxed);
    Slot& slot = (*slots_)[ticket % kCapacity];
    // Release on every field: a reader that sees any new field also sees the odd stamp.
    slot.stamp.store(2 * ticket + 1, std::memory_order_relaxed);
    slot.effect.store(call.effect, std::memory_order_release);
    slot.index.store(call.index, std::memory_order_release);
    slot.value.store(call.value, std::memory_order_release);
    slot.ptr.store(call.ptr, std::memory_order_release);
    slot.opt.store(call.opt, std::memory_order_release);
    slot.sequence.store(call.sequence, std::memory_order_release);
    slot.stamp.store(2 * ticket + 2, std::memory_order_release);
}

std::vector<HostCall> PinCallRing::snapshot() const {
    const std::uint64_t end = written_.load(std::memory_order_acquire);
    const std::uint64_t begin =
        std::max(clearedAt_.load(std::memory_order_acquire), end > kCapacity ? end - kCapacity : 0);
    std::vector<HostCall> calls;
    calls.reserve(end - begin);
    for (std::uint64_t ticket = begin; ticket < end; ++ticket) {
        const Slot& slot = (*slots_)[ticket % kCapacity];
        const std::uint64_t before = slot.stamp.load(std::memory_order_acquire);
        if (before != 2 * ticket + 2) continue; // still being written, or already overwritten
        HostCall call;
        call.effect = slot.effect.load(std::memory_order_acquire);
        call.opcode = audioMasterPinConnected;
        call.index = slot.index.load(std::memory_order_acquire);
        call.value = slot.value.load(std::memory_order_acquire);
        call.ptr = slot.ptr.load(std::memory_order_acquire);
        call.opt = slot.opt.load(std::memory_order_acquire);
        call.sequence = slot.sequence.load(std::memory_order_acquire);
        if (slot.stamp.load(std::memory_order_relaxed) == before) calls.push_back(call);
    }
    return calls;
}

void PinCallRing::clear() noexcept {
    clearedAt_.store(written_.load(std::memory_order_acquire), std::memory_order_release);
}

} // namespace lyrehost
