// Preset and bank files on Windows: full UTF-16 paths in folders named in any language,
// backslash paths, long paths, and a replacement that fails leaving the old file whole.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>

#include "ChunkBytes.h"
#include "InProcessLyrebloom.h"
#include "RegistryValues.h"
#include "TempConfigHome.h"
#include "presets/AtomicFile.h"
#include "presets/PathConventions.h"
#include "presets/PresetRecords.h"
#include "presets/RecordFiles.h"

namespace {

Bytes readWide(const std::wstring& path) {
    Bytes bytes;
    if (FILE* file = ::_wfopen(path.c_str(), L"rb")) {
        int c;
        while ((c = std::fgetc(file)) != EOF)
            bytes.push_back(static_cast<std::uint8_t>(c));
        std::fclose(file);
    }
    return bytes;
}

void writeWide(const std::wstring& path, const Bytes& bytes) {
    FILE* file = ::_wfopen(path.c_str(), L"wb");
    ASSERT_NE(file, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

// Every entry of a folder but "." and "..".
std::vector<std::wstring> entriesOf(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    const HANDLE search = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return names;
}

std::wstring currentDirectory() {
    wchar_t buffer[1024];
    const DWORD n = ::GetCurrentDirectoryW(1024, buffer);
    return std::wstring(buffer, n);
}

class WideFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_PRESET_EDITOR(fx);
        ASSERT_TRUE(::CreateDirectoryW(wideOf(utf8Root).c_str(), nullptr));
    }
    TempConfigHome home;
    const std::string utf8Root = home.root() + "\\files";
    Instance fx;
};

TEST_F(WideFiles, APresetAndABankRoundTripInAFolderNamedInTwoScripts) {
    const std::string folder =
        utf8Root + "\\Kl\xC3\xA4nge\\\xE6\x97\xA5\xE6\x9C\xAC"; // Klänge\日本
    ASSERT_TRUE(::CreateDirectoryW(wideOf(utf8Root + "\\Kl\xC3\xA4nge").c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW(wideOf(folder).c_str(), nullptr));
    const std::wstring before = currentDirectory();
    const std::string preset = folder + "\\St\xC3\xBC"
                                        "ck.zem"; // Stück.zem

    fx.effect->selectProgram(2);
    fx.effect->setParameter(3, 0.25f);
    ASSERT_TRUE(fx.editor->savePresetFile(preset.c_str()));
    Bytes expected(records::kPresetSize);
    fx.editor->makePresetRecord(expected.data());
    EXPECT_EQ(readWide(wideOf(preset)), expected);
    EXPECT_EQ(std::string(fx.editor->rememberedDirectory()), folder + "\\");
    EXPECT_STREQ(fx.editor->rememberedPresetFileName(), "St\xC3\xBC"
                                                        "ck.zem");

    const ProgramRecord saved = fx.programs()[2];
    fx.effect->selectProgram(5);
    fx.editor->loadPresetFile(preset.c_str(), false);
    EXPECT_TRUE(sameProgram(fx.programs()[5], saved));
    // A bare name is looked for in the remembered folder.
    fx.effect->selectProgram(0);
    fx.editor->loadPresetFile("St\xC3\xBC"
                              "ck.zem",
                              false);
    EXPECT_TRUE(sameProgram(fx.programs()[0], saved));

    const std::string bank = folder + "\\\xE9\x9F\xB3.zeb"; // 音.zeb
    ASSERT_TRUE(fx.editor->saveBankFile(bank.c_str()));
    EXPECT_EQ(readWide(wideOf(bank)).size(), 341u);
    const ProgramBank all = fx.programs();
    Instance other;
    other.editor->loadBankFile(bank.c_str(), false);
    for (int k = 0; k < 6; ++k)
        EXPECT_TRUE(sameProgram(other.programs()[k], all[k])) << k;
    EXPECT_EQ(currentDirectory(), before);
    EXPECT_EQ(entriesOf(wideOf(folder)).size(), 2u); // no temporary file left behind
}

TEST_F(WideFiles, AFailedReplacementLeavesTheOldFileWholeAndNoTemporaryBehind) {
    const std::wstring target = wideOf(utf8Root) + L"\\locked.zem";
    const Bytes old(500, 0x11);
    writeWide(target, old);
    // Another program holds the file and lets nobody delete or replace it.
    const HANDLE holder = ::CreateFileW(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(fx.editor->savePresetFile(utf8Of(target).c_str()));
    ::CloseHandle(holder);
    EXPECT_EQ(readWide(target), old);

    // A folder in the way, and a folder that is not there.
    const std::wstring folderTarget = wideOf(utf8Root) + L"\\dir.zem";
    ASSERT_TRUE(::CreateDirectoryW(folderTarget.c_str(), nullptr));
    EXPECT_FALSE(fx.editor->saveBankFile(utf8Of(folderTarget).c_str()));
    EXPECT_NE(::GetFileAttributesW(folderTarget.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_FALSE(fx.editor->saveBankFile((utf8Root + "\\missing\\x.zeb").c_str()));

    const auto entries = entriesOf(wideOf(utf8Root));
    EXPECT_EQ(entries.size(), 2u) << "left: " << utf8Of(entries.empty() ? L"" : entries.back());

    // Once the other program lets go, the same save goes through.
    EXPECT_TRUE(fx.editor->savePresetFile(utf8Of(target).c_str()));
    EXPECT_EQ(readWide(target).size(), 61u);
}

// The write itself fails half-way (here: the source bytes cannot be read, as on a full disk
// the file cannot be written): the target still holds all of its old bytes.
TEST_F(WideFiles, AWriteThatFailsPartWayLeavesTheTargetAsItWas) {
    const std::wstring target = wideOf(utf8Root) + L"\\kept.zeb";
    const Bytes old(341, 0x5A);
    writeWide(target, old);
    const std::size_t page = 4096;
    auto* memory = static_cast<std::uint8_t*>(
        ::VirtualAlloc(nullptr, 2 * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    ASSERT_NE(memory, nullptr);
    DWORD was = 0;
    ASSERT_TRUE(::VirtualProtect(memory + page, page, PAGE_NOACCESS, &was));
    // The first page is readable, the second is not.
    EXPECT_FALSE(
        atomicfile::replace(utf8Of(target), memory, 2 * page, atomicfile::NewFileAccess::document));
    ::VirtualFree(memory, 0, MEM_RELEASE);
    EXPECT_EQ(readWide(target), old);
    EXPECT_EQ(entriesOf(wideOf(utf8Root)).size(), 1u);
}

TEST_F(WideFiles, AFileAnotherProgramHasOpenForWritingStillReads) {
    const std::wstring target = wideOf(utf8Root) + L"\\open.zem";
    ASSERT_TRUE(fx.editor->savePresetFile(utf8Of(target).c_str()));
    const ProgramRecord saved = fx.programs()[0];
    const HANDLE writer = ::CreateFileW(target.c_str(), GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    fx.effect->selectProgram(3);
    fx.editor->loadPresetFile(utf8Of(target).c_str(), false);
    ::CloseHandle(writer);
    EXPECT_TRUE(sameProgram(fx.programs()[3], saved));
}

TEST_F(WideFiles, AFolderDeeperThanTheClassicPathLimitStillWorks) {
    std::wstring deep = wideOf(utf8Root);
    while (deep.size() < 300) {
        deep += L"\\" + std::wstring(40, L'd');
        ASSERT_TRUE(::CreateDirectoryW((L"\\\\?\\" + deep).c_str(), nullptr)) << deep.size();
    }
    const std::string target = utf8Of(deep) + "\\deep.zeb";
    ASSERT_TRUE(fx.editor->saveBankFile(target.c_str()));
    EXPECT_EQ(readWide(L"\\\\?\\" + deep + L"\\deep.zeb").size(), 341u);
    const ProgramBank saved = fx.programs();
    fx.effect->setCurrentProgramName("changed");
    fx.editor->loadBankFile(target.c_str(), false);
    EXPECT_EQ(nameOf(fx.programs()[0]), nameOf(saved[0]));
    // Too long for the 256-byte buffers: the file is used, the path not remembered.
    EXPECT_STRNE(fx.editor->rememberedDirectory(), (utf8Of(deep) + "\\").c_str());
}

TEST(WindowsPaths, SplitAtEitherSlashAndJoinWithABackslash) {
    char name[recordfiles::kPathBufferSize] = "old.zem";
    char directory[recordfiles::kPathBufferSize] = "C:\\old\\";
    EXPECT_TRUE(recordfiles::splitPath("C:\\Users\\me/Sets\\a.zem", name, directory));
    EXPECT_STREQ(directory, "C:\\Users\\me\\Sets\\");
    EXPECT_STREQ(name, "a.zem");
    EXPECT_TRUE(recordfiles::splitPath("\\\\server\\share\\b.zeb", name, directory));
    EXPECT_STREQ(directory, "\\\\server\\share\\");
    EXPECT_FALSE(recordfiles::splitPath("bare.zem", name, directory));
    EXPECT_STREQ(name, "b.zeb");

    EXPECT_EQ(recordfiles::targetPath("a.zem", "C:\\Sets"), "C:\\Sets\\a.zem");
    EXPECT_EQ(recordfiles::targetPath("a.zem", "C:\\Sets\\"), "C:\\Sets\\a.zem");
    EXPECT_EQ(recordfiles::targetPath("D:/x/a.zem", "C:\\Sets\\"), "D:/x/a.zem");

    char working[recordfiles::kPathBufferSize];
    ASSERT_TRUE(paths::workingDirectory(working, sizeof working));
    const std::string expected = utf8Of(currentDirectory());
    EXPECT_EQ(std::string(working), expected.back() == '\\' ? expected : expected + "\\");
    char tiny[3];
    EXPECT_FALSE(paths::workingDirectory(tiny, sizeof tiny));
    EXPECT_STREQ(tiny, "");
}

} // namespace
