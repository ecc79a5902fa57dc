// One process of the concurrent memory test: its own instance stores programs of its own
// into "MemoA" and "MemoB" and recalls whatever is there, checking that each recall is whole.
#pragma once

#include <functional>
#include <string>

struct RegistryReadStats {
    long reads = 0;
    long torn = 0;
};

namespace memoworker {

inline constexpr const wchar_t* kFlag = L"--memo-worker";

// The worker's whole life; prints "recalls N torn M" and answers the exit code.
int run(int index, int rounds);

// Reads both values through the settings store until `running` says stop (at least once per
// worker), counting reads that are neither absent nor a whole record of a known program.
RegistryReadStats readWhileRunning(std::size_t workers, const std::function<bool()>& running);

} // namespace memoworker
