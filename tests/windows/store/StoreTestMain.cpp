// The store tests' program; started with the worker flag it is one process of the concurrent
// memory test instead.
#include <gtest/gtest.h>

#include <windows.h>

#include <cwchar>
#include <shellapi.h>

#include "ConcurrentMemoryWorker.h"

int main(int argc, char** argv) {
    int wideCount = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &wideCount);
    if (wide && wideCount == 4 && std::wcscmp(wide[1], memoworker::kFlag) == 0)
        return memoworker::run(::_wtoi(wide[2]), ::_wtoi(wide[3]));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
