// Defaults, memories and remembered paths through the real registry, read back independently.
#include <gtest/gtest.h>

#include "ChunkBytes.h"
#include "InProcessLyrebloom.h"
#include "RegistryValues.h"
#include "TempConfigHome.h"
#include "presets/PresetRecords.h"

namespace {

const char* const kFactoryNames[6] = {"Default",    "Bright",        "High",
                                      "Low & Dark", "Almost reverb", "Detuned"};

Bytes presetRecordOf(Instance& fx) {
    Bytes record(records::kPresetSize);
    fx.editor->makePresetRecord(record.data());
    return record;
}

class RegistryStore : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_PRESET_EDITOR(fx); }
    TempConfigHome home; // empties the key before the instance reads it
    Instance fx;
};

TEST_F(RegistryStore, WithoutAKeyNothingChangesAndNothingIsCreatedUntilThePathsAreSaved) {
    for (int k = 0; k < 6; ++k)
        EXPECT_EQ(nameOf(fx.programs()[k]), kFactoryNames[k]);
    EXPECT_STREQ(fx.editor->rememberedDirectory(), "");
    fx.effect->selectProgram(3);
    const ProgramBank before = fx.programs();
    fx.editor->recallMemoA();
    fx.editor->recallMemoB();
    fx.editor->deleteDefaultPreset();
    fx.editor->deleteDefaultBank();
    EXPECT_TRUE(sameProgram(fx.programs()[3], before[3]));
    EXPECT_EQ(fx.current(), 3);
    EXPECT_FALSE(keyExists());
}

TEST_F(RegistryStore, RecordsAreBinaryValuesOfTheirExactBytesAndDeletingRemovesOnlyOne) {
    fx.effect->selectProgram(2);
    fx.effect->setParameter(6, 0.9f);
    fx.editor->storeMemoA();
    const Bytes memoA = presetRecordOf(fx);
    fx.effect->selectProgram(4);
    fx.editor->storeMemoB();
    fx.editor->storeDefaultPreset();
    const Bytes memoB = presetRecordOf(fx);
    fx.editor->storeDefaultBank();
    Bytes bank(records::kBankSize);
    fx.editor->makeBankRecord(bank.data());

    for (const auto& [name, expected] : {std::pair{L"MemoA", memoA},
                                         {L"MemoB", memoB},
                                         {L"DefaultPreset", memoB},
                                         {L"DefaultBank", bank}}) {
        const RawValue raw = readRaw(name);
        ASSERT_TRUE(raw.present) << utf8Of(name);
        EXPECT_EQ(raw.type, static_cast<DWORD>(REG_BINARY)) << utf8Of(name);
        EXPECT_EQ(raw.bytes, expected) << utf8Of(name);
    }
    EXPECT_EQ(readRaw(L"DefaultBank").bytes.size(), 341u);
    EXPECT_EQ(u32At(memoA, 0), kLyrebloomID);

    // Another instance starts from the stored bank with the default preset as program 0, and
    // recalls the memory into whatever program is current.
    Instance next;
    EXPECT_EQ(nameOf(next.programs()[0]), "Almost reverb");
    next.effect->selectProgram(5);
    next.editor->recallMemoA();
    EXPECT_EQ(nameOf(next.programs()[5]), "High");
    EXPECT_EQ(next.effect->getParameter(6), 0.9f);

    fx.editor->deleteDefaultPreset();
    fx.editor->deleteDefaultPreset(); // already gone: no harm
    EXPECT_FALSE(readRaw(L"DefaultPreset").present);
    EXPECT_TRUE(readRaw(L"DefaultBank").present);
    EXPECT_TRUE(readRaw(L"MemoA").present);
    fx.editor->deleteDefaultBank();
    EXPECT_FALSE(readRaw(L"DefaultBank").present);
    Instance plain;
    for (int k = 0; k < 6; ++k)
        EXPECT_EQ(nameOf(plain.programs()[k]), kFactoryNames[k]);
}

TEST_F(RegistryStore, RememberedPathsAreWideTextWithTheTerminatorCountedAndEndInABackslash) {
    ::CreateDirectoryW(L"C:\\abcdefgh", nullptr);
    {
        Instance writer;
        // 12 characters of directory, its final backslash included, and 8 of file name.
        ASSERT_TRUE(writer.editor->savePresetFile("C:\\abcdefgh\\song.zem"));
        EXPECT_STREQ(writer.editor->rememberedDirectory(), "C:\\abcdefgh\\");
    }
    const RawValue directory = readRaw(L"CurrDir");
    const RawValue preset = readRaw(L"CurrPreset");
    const RawValue bank = readRaw(L"CurrBank");
    ASSERT_TRUE(directory.present && preset.present && bank.present);
    for (const RawValue* value : {&directory, &preset, &bank})
        EXPECT_EQ(value->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(directory.bytes.size(), 26u);
    EXPECT_EQ(directory.bytes, wideTextBytes(L"C:\\abcdefgh\\"));
    EXPECT_EQ(preset.bytes.size(), 18u);
    EXPECT_EQ(preset.bytes, wideTextBytes(L"song.zem"));
    EXPECT_EQ(bank.bytes, wideTextBytes(L""));

    {
        // A path chosen with forward slashes is remembered in Windows' own spelling.
        Instance other;
        EXPECT_STREQ(other.editor->rememberedPresetFileName(), "song.zem");
        ::CreateDirectoryW(L"C:\\Sets", nullptr);
        ::CreateDirectoryW(L"C:\\Sets\\Live", nullptr);
        ASSERT_TRUE(other.editor->saveBankFile("C:/Sets/Live/b.zeb"));
    }
    EXPECT_EQ(readRaw(L"CurrDir").bytes, wideTextBytes(L"C:\\Sets\\Live\\"));
    EXPECT_EQ(readRaw(L"CurrBank").bytes, wideTextBytes(L"b.zeb"));
    Instance reader;
    EXPECT_STREQ(reader.editor->rememberedDirectory(), "C:\\Sets\\Live\\");
    EXPECT_STREQ(reader.editor->rememberedBankFileName(), "b.zeb");
    EXPECT_STREQ(reader.editor->rememberedPresetFileName(), "song.zem");
}

TEST_F(RegistryStore, NonAsciiPathsAreStoredAsTheirUtf16Units) {
    const std::string folder = "C:\\Kl\xC3\xA4nge\\\xE6\x97\xA5\xE6\x9C\xAC\\"; // Klänge\日本
    ::CreateDirectoryW(L"C:\\Kl\u00E4nge", nullptr);
    ::CreateDirectoryW(L"C:\\Kl\u00E4nge\\\u65E5\u672C", nullptr);
    {
        Instance writer;
        ASSERT_TRUE(writer.editor->saveBankFile((folder + "\xC3\xB6.zeb").c_str()));
    }
    EXPECT_EQ(readRaw(L"CurrDir").bytes, wideTextBytes(L"C:\\Kl\u00E4nge\\\u65E5\u672C\\"));
    EXPECT_EQ(readRaw(L"CurrBank").bytes, wideTextBytes(L"\u00F6.zeb"));
    Instance reader;
    EXPECT_EQ(std::string(reader.editor->rememberedDirectory()), folder);
}

TEST_F(RegistryStore, ValuesOfTheWrongSizeCountAsAbsent) {
    fx.editor->storeMemoA();
    const Bytes record = readRaw(L"MemoA").bytes;
    ASSERT_EQ(record.size(), 61u);
    fx.effect->selectProgram(1);
    const ProgramRecord before = fx.programs()[1];
    for (const std::size_t size : {0u, 60u, 62u, 600u}) {
        Bytes damaged = record;
        damaged.resize(size, 0xAB);
        writeRaw(L"MemoA", REG_BINARY, damaged);
        fx.editor->recallMemoA();
        EXPECT_TRUE(sameProgram(fx.programs()[1], before)) << size;
    }
    // Longer than the 256 characters a path buffer holds: read as no directory at all.
    writeRaw(L"CurrDir", REG_SZ, wideTextBytes(std::wstring(300, L'a')));
    fx.editor->loadRememberedPaths();
    EXPECT_STREQ(fx.editor->rememberedDirectory(), "");
    writeRaw(L"CurrDir", REG_SZ, wideTextBytes(L"E:\\" + std::wstring(253, L'a')));
    fx.editor->loadRememberedPaths();
    EXPECT_EQ(std::string(fx.editor->rememberedDirectory()), "E:\\" + std::string(253, 'a'));
}

} // namespace
