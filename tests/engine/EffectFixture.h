// Builds the effect directly (linked statically) with a host that answers "connected".
#pragma once

#include <memory>
#include <vector>

#include "engine/Lyrebloom.h"

inline VstIntPtr VSTCALLBACK connectedHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*,
                                           float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

struct StereoBlock {
    explicit StereoBlock(int frames) : inL(frames), inR(frames), outL(frames), outR(frames) {}
    std::vector<float> inL, inR, outL, outR;
    float* in[2];
    float* out[2];
    void run(Lyrebloom& effect) {
        in[0] = inL.data();
        in[1] = inR.data();
        out[0] = outL.data();
        out[1] = outR.data();
        effect.processReplacing(in, out, static_cast<VstInt32>(outL.size()));
    }
};

inline std::unique_ptr<Lyrebloom> makeEffect() {
    return std::make_unique<Lyrebloom>(connectedHost);
}
