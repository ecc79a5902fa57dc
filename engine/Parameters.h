// The eight parameters, in the order every program record and control tag uses.
#pragma once

#include <cstdint>

enum ParameterIndex : std::int32_t {
    kOutput = 0,
    kMix,
    kDecay,
    kDamp,
    kTranspose,
    kTune,
    kDetune,
    kBypass,
    kNumParams
};

inline bool isParameterIndex(std::int32_t index) {
    return index >= 0 && index < kNumParams;
}
