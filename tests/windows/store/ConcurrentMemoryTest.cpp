// Several processes store and recall the two memories at once through their own instances;
// every recall must bring back one whole program that some process stored.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ConcurrentMemoryWorker.h"
#include "InProcessLyrebloom.h"
#include "TempConfigHome.h"
#include "presets/PresetRecords.h"
#include "presets/StoredSettings.h"

namespace {

constexpr int kWorkers = 4;
constexpr int kRounds = 400;

struct Child {
    PROCESS_INFORMATION process{};
    HANDLE output = nullptr;
};

Child startWorker(int index) {
    wchar_t self[MAX_PATH];
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(self) + L"\" " + memoworker::kFlag + L" " +
                           std::to_wstring(index) + L" " + std::to_wstring(kRounds);
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    ::CreatePipe(&readEnd, &writeEnd, &inherit, 0);
    ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    Child child;
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                          &startup, &child.process))
        child.process = {};
    ::CloseHandle(writeEnd);
    child.output = readEnd;
    return child;
}

std::string drain(HANDLE pipe) {
    std::string text;
    char buffer[256];
    DWORD got = 0;
    while (::ReadFile(pipe, buffer, sizeof buffer, &got, nullptr) && got > 0)
        text.append(buffer, got);
    return text;
}

TEST(ConcurrentMemories, ProcessesStoringAndRecallingAtOnceNeverSeeATornRecord) {
    TempConfigHome home;
    std::vector<Child> children;
    for (int i = 0; i < kWorkers; ++i) {
        children.push_back(startWorker(i));
        ASSERT_NE(children.back().process.hProcess, nullptr) << "worker " << i;
    }

    // Meanwhile this process reads the raw values as fast as it can.
    const RegistryReadStats own = memoworker::readWhileRunning(children.size(), [&] {
        for (const Child& child : children)
            if (::WaitForSingleObject(child.process.hProcess, 0) == WAIT_TIMEOUT) return true;
        return false;
    });

    long recalls = 0, torn = 0;
    for (int i = 0; i < kWorkers; ++i) {
        Child& child = children[static_cast<std::size_t>(i)];
        const std::string report = drain(child.output);
        ::WaitForSingleObject(child.process.hProcess, 60000);
        DWORD code = 1;
        ::GetExitCodeProcess(child.process.hProcess, &code);
        ::CloseHandle(child.process.hProcess);
        ::CloseHandle(child.process.hThread);
        ::CloseHandle(child.output);
        long r = 0, t = -1;
        ASSERT_EQ(std::sscanf(report.c_str(), "recalls %ld torn %ld", &r, &t), 2) << report;
        EXPECT_EQ(code, 0u) << "worker " << i << ": " << report;
        recalls += r;
        torn += t;
    }
    std::printf("%d processes x %d rounds: %ld recalls, %ld torn; %ld raw reads here, %ld torn\n",
                kWorkers, kRounds, recalls, torn, own.reads, own.torn);
    EXPECT_EQ(recalls, 2L * kWorkers * kRounds);
    EXPECT_EQ(torn, 0);
    EXPECT_GT(own.reads, 0);
    EXPECT_EQ(own.torn, 0);
}

} // namespace
