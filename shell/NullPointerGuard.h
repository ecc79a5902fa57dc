// Opcodes that read or write through a host pointer answer 0 and touch nothing when the
// pointer is null, instead of faulting inside the host's process.
#pragma once

#include "shell/vst2.h"

inline bool lacksRequiredPointer(VstInt32 opcode, VstIntPtr value, void* ptr) {
    switch (opcode) {
    case effSetProgramName:
    case effGetProgramName:
    case effGetParamLabel:
    case effGetParamDisplay:
    case effGetParamName:
    case effEditGetRect:
    case effGetChunk:
    case effSetChunk:
    case effGetProgramNameIndexed:
    case effGetInputProperties:
    case effGetOutputProperties:
    case effGetEffectName:
    case effGetVendorString:
    case effGetProductString:
    case effGetParameterProperties:
        return ptr == nullptr;
    case effSetSpeakerArrangement:
    case effGetSpeakerArrangement:
        return ptr == nullptr || value == 0;
    default:
        return false;
    }
}
