#include "shell/EffectIdentity.h"

#include <cstdio>

namespace identity {

bool describePin(VstInt32 index, bool input, VstPinProperties* properties) {
    if (index < 0 || index >= 2) return false;
    std::snprintf(properties->label, sizeof properties->label,
                  input ? "ZEM Lyrebloom %1d In" : "ZEM Lyrebloom %1d Out", index + 1);
    properties->flags = kVstPinIsActive | kVstPinIsStereo;
    return true;
}

StereoChoice chooseArrangement(const VstSpeakerArrangement* input,
                               const VstSpeakerArrangement* output) {
    if (input && output) {
        const VstInt32 in = input->numChannels;
        const VstInt32 out = output->numChannels;
        if (in == 1 && out == 1) return {false, false, true};
        if (in == 1 && out == 2) return {false, true, true};
        if (in == 2 && out == 2) return {true, true, true};
    }
    return {true, true, false};
}

} // namespace identity
