// What every fuzz target shares: a host that answers only the version query, and a private
// configuration directory so that no stored default of the user's leaks into a run.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#ifdef _WIN32
#include <process.h>

#include <filesystem>
#endif

#include "shell/vst2.h"

inline VstIntPtr VSTCALLBACK fuzzHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*,
                                      float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

// Made once per process, before the first effect is built. On Windows the per-user store is
// the registry (the replay runs in a throwaway wine prefix); the folder only holds the files
// the loaders read.
inline const std::string& fuzzConfigHome() {
    static const std::string home = [] {
#ifdef _WIN32
        const std::filesystem::path folder =
            std::filesystem::temp_directory_path() / ("lyre-fuzz-" + std::to_string(::_getpid()));
        std::filesystem::create_directories(folder);
        return folder.generic_string();
#else
        std::string pattern = "/tmp/lyre-fuzz-XXXXXX";
        if (!::mkdtemp(pattern.data())) std::abort();
        ::setenv("XDG_CONFIG_HOME", pattern.c_str(), 1);
        return pattern;
#endif
    }();
    return home;
}

// The whole of `data` as the file `path`, or a crash.
inline void writeFuzzFile(const std::string& path, const unsigned char* data, std::size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    out.close();
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        std::abort();
    }
}

// A failed invariant: crash so that libFuzzer keeps the input.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);     \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)
