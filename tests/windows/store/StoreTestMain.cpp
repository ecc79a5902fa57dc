// The store tests' program; started with a worker flag it is one process of the concurrent
// memory test or of the remembered-paths test instead.
#include <gtest/gtest.h>

#include <windows.h>

#include <cwchar>
#include <shellapi.h>
#include <string>

#include "ConcurrentMemoryWorker.h"
#include "RememberedPathsWorker.h"

int main(int argc, char** argv) {
    int wideCount = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &wideCount);
    if (wide && wideCount == 4 && std::wcscmp(wide[1], memoworker::kFlag) == 0)
        return memoworker::run(::_wtoi(wide[2]), ::_wtoi(wide[3]));
    if (wide && wideCount == 3 && std::wcscmp(wide[1], pathsworker::kFlag) == 0) {
        std::string path; // ASCII paths only
        for (const wchar_t* c = wide[2]; *c; ++c)
            path += static_cast<char>(*c);
        return pathsworker::run(path);
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
