// Two instances in two processes, as a host with the effect on two tracks: the one that used no
// file dialog closes last and must leave the paths the other stored in the registry.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "InProcessLyrebloom.h"
#include "RegistryValues.h"
#include "RememberedPathsWorker.h"
#include "TempConfigHome.h"

namespace pathsworker {

int run(const std::string& presetPath) {
    Instance other;
    return other.editor && other.editor->savePresetFile(presetPath.c_str()) ? 0 : 1;
}

} // namespace pathsworker

namespace {

std::vector<std::uint8_t> wideText(const std::wstring& text) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.c_str());
    return std::vector<std::uint8_t>(bytes, bytes + (text.size() + 1) * 2);
}

DWORD runWorker(const std::string& presetPath) {
    wchar_t self[MAX_PATH];
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(self) + L"\" " + pathsworker::kFlag + L" \"";
    for (const char c : presetPath)
        command += static_cast<wchar_t>(static_cast<unsigned char>(c)); // ASCII here
    command += L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process))
        return 2;
    ::WaitForSingleObject(process.hProcess, 60000);
    DWORD code = 3;
    ::GetExitCodeProcess(process.hProcess, &code);
    ::CloseHandle(process.hProcess);
    ::CloseHandle(process.hThread);
    return code;
}

TEST(RememberedPaths, AnInstanceThatUsedNoDialogLeavesWhatAnotherProcessStored) {
    TempConfigHome home;
    const std::string folder = home.root() + "\\songs\\";
    ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr));
    auto idle = std::make_unique<Instance>(); // reads the empty key, uses no dialog
    ASSERT_PRESET_EDITOR(*idle);
    ASSERT_EQ(runWorker(folder + "verse.zem"), 0u);
    const RawValue stored = readRaw(L"CurrPreset");
    ASSERT_EQ(stored.bytes, wideText(L"verse.zem")) << "the other process stored its paths";
    idle->effect->selectProgram(2);
    idle->editor->storeMemoA(); // settings work that is no file dialog
    idle.reset();
    std::wstring wideFolder;
    for (const char c : folder)
        wideFolder += static_cast<wchar_t>(static_cast<unsigned char>(c));
    EXPECT_EQ(readRaw(L"CurrDir").bytes, wideText(wideFolder));
    EXPECT_EQ(readRaw(L"CurrPreset").bytes, wideText(L"verse.zem"));
    EXPECT_EQ(readRaw(L"CurrBank").bytes, wideText(L""));
}

} // namespace
