#include "host/HostAnswers.h"

namespace lyrehost {

void HostAnswers::setPinConnected(VstInt32 pin, PinSide side, VstIntPtr answer) {
    if (pin < 0 || pin >= kConfigurablePins) return;
    pins_[static_cast<std::size_t>(pin)][static_cast<std::size_t>(side)].store(answer);
}

void HostAnswers::setHook(Hook hook) {
    std::lock_guard lock(hookMutex_);
    hook_ = std::move(hook);
}

VstIntPtr HostAnswers::answer(const HostCall& call) const {
    switch (call.opcode) {
    case audioMasterVersion:
        return version_.load();
    case audioMasterPinConnected: {
        if (call.index < 0 || call.index >= kConfigurablePins) return 0;
        const std::size_t side = call.value == 0 ? 0 : 1;
        return pins_[static_cast<std::size_t>(call.index)][side].load(std::memory_order_relaxed);
    }
    default:
        break;
    }
    Hook hook;
    {
        std::lock_guard lock(hookMutex_);
        hook = hook_;
    }
    if (hook) {
        if (const std::optional<VstIntPtr> answer = hook(call)) return *answer;
    }
    switch (call.opcode) {
    case audioMasterGetSampleRate:
        return sampleRate_.load();
    case audioMasterGetBlockSize:
        return blockSize_.load();
    default:
        return 0;
    }
}

} // namespace lyrehost
