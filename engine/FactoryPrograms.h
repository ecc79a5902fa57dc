// The six programs every new instance starts with.
#pragma once

#include "engine/Parameters.h"

struct FactoryProgram {
    const char* name;
    float values[kNumParams];
};

inline constexpr int kNumFactoryPrograms = 6;

// Output, Mix, Decay, Damp, Transpose, Tune, Detune, Bypass.
inline constexpr FactoryProgram kFactoryPrograms[kNumFactoryPrograms] = {
    {"Default", {0.5f, 0.25f, 0.25f, 0.25f, 0.5f, 0.5f, 0.0f, 0.0f}},
    {"Bright", {0.5f, 0.25f, 0.5f, 0.05f, 0.5f, 0.5f, 0.0f, 0.0f}},
    {"High", {0.5f, 0.25f, 0.5f, 0.1f, 0.75f, 0.5f, 0.0f, 0.0f}},
    {"Low & Dark", {0.5f, 0.25f, 0.6f, 0.75f, 0.25f, 0.5f, 0.0f, 0.0f}},
    {"Almost reverb", {0.5f, 0.25f, 0.75f, 0.2f, 0.0f, 0.5f, 0.0f, 0.0f}},
    {"Detuned", {0.5f, 0.25f, 0.6f, 0.25f, 0.5f, 0.5f, 1.0f, 0.0f}},
};
