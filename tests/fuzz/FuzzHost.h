// What every fuzz target shares: a host that answers only the version query, and a private
// configuration directory so that no stored default of the user's leaks into a run.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#include "shell/vst2.h"

inline VstIntPtr VSTCALLBACK fuzzHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*,
                                      float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

// Made once per process, before the first effect is built.
inline const std::string& fuzzConfigHome() {
    static const std::string home = [] {
        std::string pattern = "/tmp/lyre-fuzz-XXXXXX";
        if (!::mkdtemp(pattern.data())) std::abort();
        ::setenv("XDG_CONFIG_HOME", pattern.c_str(), 1);
        return pattern;
    }();
    return home;
}

// A failed invariant: crash so that libFuzzer keeps the input.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);     \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)
