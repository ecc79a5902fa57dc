// One call that a plug-in made to the host callback, as the host received it.
#pragma once

#include <cstdint>

#include "shell/vst2.h"

namespace lyrehost {

struct HostCall {
    AEffect* effect = nullptr;
    VstInt32 opcode = 0;
    VstInt32 index = 0;
    VstIntPtr value = 0;
    void* ptr = nullptr;
    float opt = 0.0f;
    // Arrival order across all calls of one plug-in instance, from 0 after each clear.
    std::uint64_t sequence = 0;
};

// audioMasterPinConnected asks about an input pin with value 0 and an output pin otherwise.
enum class PinSide { input = 0, output = 1 };

} // namespace lyrehost
