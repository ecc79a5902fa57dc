// What the host callback answers. Version and pin answers are atomics because the plug-in may
// ask from any thread (pins from the audio thread); everything else goes through an optional
// hook, then falls back to the defaults of a plain offline host.
#pragma once

#include <array>
#include <atomic>
#include <functional>
#include <mutex>
#include <optional>

#include "host/HostCall.h"

namespace lyrehost {

class HostAnswers {
  public:
    static constexpr VstInt32 kConfigurablePins = 16;
    // Returns the answer for a call, or nothing to let the default answer stand.
    using Hook = std::function<std::optional<VstIntPtr>(const HostCall&)>;

    // audioMasterVersion; 2400 unless changed. 0 makes a well-behaved plug-in refuse to load.
    void setVersion(VstIntPtr answer) { version_.store(answer); }
    // audioMasterPinConnected; 0 means connected, the default for every pin.
    void setPinConnected(VstInt32 pin, PinSide side, VstIntPtr answer);
    // Consulted for every opcode except the version and pin queries.
    void setHook(Hook hook);

    // Reported through audioMasterGetSampleRate and audioMasterGetBlockSize.
    void setSampleRate(float rate) { sampleRate_.store(static_cast<VstIntPtr>(rate)); }
    void setBlockSize(VstInt32 frames) { blockSize_.store(frames); }

    // Never allocates for the version and pin queries.
    VstIntPtr answer(const HostCall& call) const;

  private:
    std::atomic<VstIntPtr> version_{kVstVersion};
    std::array<std::array<std::atomic<VstIntPtr>, 2>, kConfigurablePins> pins_{}; // connected
    std::atomic<VstIntPtr> sampleRate_{44100};
    std::atomic<VstIntPtr> blockSize_{512};
    mutable std::mutex hookMutex_;
    Hook hook_;
};

} // namespace lyrehost
