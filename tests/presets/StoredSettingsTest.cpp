#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "ChunkBytes.h"
#include "HostedLyrebloom.h"
#include "InProcessLyrebloom.h"
#include "TempConfigHome.h"
#include "presets/PresetRecords.h"
#include "presets/StoredSettings.h"
#include "presets/platform/posix/FileSettingsStore.h"

namespace {

namespace fs = std::filesystem;

Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

const char* const kFactoryNames[6] = {"Default",    "Bright",        "High",
                                      "Low & Dark", "Almost reverb", "Detuned"};

class StoredSettings : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_PRESET_EDITOR(fx); }

    // A fresh instance, as the next one the host creates would be.
    static void expectFactoryNames(const Instance& instance) {
        const ProgramBank programs = instance.programs();
        for (int k = 0; k < 6; ++k)
            EXPECT_EQ(nameOf(programs[k]), kFactoryNames[k]) << k;
    }

    TempConfigHome home;
    Instance fx;
};

TEST_F(StoredSettings, WithoutAKeyFactoryProgramsStayAndNothingIsCreated) {
    expectFactoryNames(fx);
    EXPECT_STREQ(fx.editor->rememberedDirectory(), "");
    const ProgramBank before = fx.programs();
    fx.effect->selectProgram(3);
    fx.editor->recallMemoA();
    fx.editor->recallMemoB();
    fx.editor->deleteDefaultPreset();
    fx.editor->deleteDefaultBank();
    EXPECT_TRUE(sameProgram(fx.programs()[3], before[3]));
    EXPECT_FALSE(fs::exists(home.keyDirectory()));
}

TEST_F(StoredSettings, ANewInstanceStartsFromTheStoredDefaultPreset) {
    fx.effect->selectProgram(4);
    fx.effect->setParameter(0, 0.8f);
    fx.effect->setParameter(3, 0.33f);
    fx.editor->storeDefaultPreset();
    const ProgramRecord stored = fx.programs()[4];

    Instance next;
    const ProgramBank programs = next.programs();
    EXPECT_TRUE(sameProgram(programs[0], stored));
    for (int k = 1; k < 6; ++k) {
        EXPECT_EQ(nameOf(programs[k]), kFactoryNames[k]);
        EXPECT_EQ(programs[k].values[0], 0.8f) << "Output follows program 0 everywhere";
    }
    EXPECT_EQ(next.effect->getParameter(3), 0.33f);

    // The built module reads the same store.
    auto hosted = loadLyrebloom();
    EXPECT_EQ(programName(*hosted), "Almost reverb");

    fx.editor->deleteDefaultPreset();
    EXPECT_FALSE(fs::exists(home.keyDirectory() + "/DefaultPreset.bin"));
    expectFactoryNames(Instance());
}

TEST_F(StoredSettings, ADefaultBankLoadsFirstAndTheDefaultPresetReplacesItsProgramZero) {
    char name[] = "Bank zero";
    fx.effect->setProgramName(name);
    fx.effect->selectProgram(5);
    fx.effect->setCurrentProgramName("Bank five");
    fx.editor->storeDefaultBank();
    const ProgramBank bank = fx.programs();
    fx.effect->setCurrentProgramName("Preset");
    fx.editor->storeDefaultPreset();

    Instance next;
    const ProgramBank programs = next.programs();
    EXPECT_EQ(nameOf(programs[0]), "Preset");
    EXPECT_EQ(nameOf(programs[5]), "Bank five");
    for (int k = 1; k < 6; ++k)
        EXPECT_TRUE(sameProgram(programs[k], bank[k])) << k;

    fx.editor->deleteDefaultBank();
    fx.editor->deleteDefaultPreset();
    expectFactoryNames(Instance());
}

TEST_F(StoredSettings, APresetRecordStoredAsTheDefaultBankIsRefused) {
    std::uint8_t record[records::kPresetSize] = {};
    fx.editor->makePresetRecord(record);
    FileSettingsStore store;
    store.createKey(settings::kKeyPath)
        ->set(settings::kDefaultBank, SettingKind::binary, record, sizeof record);
    expectFactoryNames(Instance());
}

TEST_F(StoredSettings, AMemoryStoredByOneInstanceIsRecalledByAnother) {
    fx.effect->selectProgram(2);
    fx.effect->setParameter(6, 0.9f);
    fx.editor->storeMemoA();
    const ProgramRecord memo = fx.programs()[2];

    Instance other;
    ASSERT_PRESET_EDITOR(other);
    other.effect->selectProgram(5);
    const ProgramBank before = other.programs();
    other.editor->recallMemoA();
    const ProgramBank after = other.programs();
    EXPECT_EQ(other.current(), 5);
    EXPECT_TRUE(sameProgram(after[5], memo));
    EXPECT_EQ(other.effect->getParameter(6), 0.9f);
    for (int k = 0; k < 5; ++k)
        EXPECT_EQ(nameOf(after[k]), nameOf(before[k]));
}

TEST_F(StoredSettings, AMemoryStoredInAnotherProcessIsRecalledHere) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        Instance writer;
        writer.effect->selectProgram(3);
        writer.effect->setParameter(2, 0.77f);
        writer.editor->storeMemoB();
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    fx.editor->recallMemoB();
    EXPECT_EQ(nameOf(fx.programs()[0]), "Low & Dark");
    EXPECT_EQ(fx.effect->getParameter(2), 0.77f);
}

TEST_F(StoredSettings, DamagedValuesCountAsAbsent) {
    fx.editor->storeMemoA();
    const std::string memo = home.keyDirectory() + "/MemoA.bin";
    Bytes record = readFile(memo);
    ASSERT_EQ(record.size(), 61u);
    fx.effect->selectProgram(1);
    const ProgramRecord before = fx.programs()[1];

    for (const std::size_t size : {60u, 62u}) {
        Bytes damaged = record;
        damaged.resize(size);
        writeFile(memo, damaged);
        fx.editor->recallMemoA();
        EXPECT_TRUE(sameProgram(fx.programs()[1], before)) << size;
    }
    fs::remove(memo);
    writeFile(home.keyDirectory() + "/MemoA.sz", record); // right bytes, wrong kind
    fx.editor->recallMemoA();
    EXPECT_TRUE(sameProgram(fx.programs()[1], before));
}

TEST_F(StoredSettings, AReaderNeverSeesAPartOfAValueAnotherProcessIsWriting) {
    FileSettingsStore store;
    std::uint8_t first[records::kPresetSize], second[records::kPresetSize];
    fx.editor->makePresetRecord(first);
    fx.effect->selectProgram(4);
    fx.editor->makePresetRecord(second);
    settings::storeRecord(store, settings::kMemoA, first, sizeof first);

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        FileSettingsStore writer;
        for (int n = 0;; ++n)
            settings::storeRecord(writer, settings::kMemoA, n % 2 ? first : second, sizeof first);
    }
    int whole = 0;
    for (int n = 0; n < 3000; ++n) {
        std::uint8_t read[records::kPresetSize] = {};
        settings::loadRecord(store, settings::kMemoA, read, sizeof read);
        const bool isFirst = std::memcmp(read, first, sizeof read) == 0;
        const bool isSecond = std::memcmp(read, second, sizeof read) == 0;
        ASSERT_TRUE(isFirst || isSecond) << "read " << n << " was torn";
        whole += 1;
    }
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    EXPECT_EQ(whole, 3000);
}

TEST_F(StoredSettings, TheFolderAndValuesArePrivateToTheUser) {
    const mode_t oldMask = ::umask(0);
    fx.editor->storeMemoA();
    ::umask(oldMask);
    struct stat info {};
    for (const std::string& folder :
         {home.keyDirectory(), home.keyDirectory() + "/..", home.root() + "/config"}) {
        ASSERT_EQ(::stat(folder.c_str(), &info), 0) << folder;
        EXPECT_EQ(info.st_mode & 0777, 0700u) << folder;
    }
    ASSERT_EQ(::stat((home.keyDirectory() + "/MemoA.bin").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

// The size of a path stored as UTF-16 text with its terminator, for an ASCII or two-byte
// UTF-8 path as these tests use.
std::size_t utf16Bytes(const std::string& utf8) {
    std::size_t units = 0;
    for (const unsigned char c : utf8)
        units += (c & 0xC0) != 0x80;
    return (units + 1) * 2;
}

TEST_F(StoredSettings, RememberedPathsAreStoredAsUtf16TextWithTheirTerminator) {
    const std::string folder = home.root() + "/abcdefghij/";
    fs::create_directories(folder);
    {
        Instance writer;
        ASSERT_TRUE(writer.editor->savePresetFile((folder + "song.zem").c_str()));
    }
    const Bytes directory = readFile(home.keyDirectory() + "/CurrDir.sz");
    const Bytes preset = readFile(home.keyDirectory() + "/CurrPreset.sz");
    EXPECT_EQ(directory.size(), utf16Bytes(folder));
    EXPECT_EQ(preset.size(), 18u);
    EXPECT_EQ(readFile(home.keyDirectory() + "/CurrBank.sz").size(), 2u);
    const char16_t expected[] = u"song.zem";
    EXPECT_EQ(std::memcmp(preset.data(), expected, sizeof expected), 0);

    Instance reader;
    EXPECT_EQ(std::string(reader.editor->rememberedDirectory()), folder);
    EXPECT_STREQ(reader.editor->rememberedPresetFileName(), "song.zem");
    EXPECT_STREQ(reader.editor->rememberedBankFileName(), "");
}

TEST_F(StoredSettings, NonAsciiPathsRoundTripAndOverlongTextReadsAsEmpty) {
    const std::string folder = home.root() + "/\xC3\xBC/";
    fs::create_directories(folder);
    {
        Instance writer;
        ASSERT_TRUE(writer.editor->saveBankFile((folder + "\xC3\xB6.zeb").c_str()));
    }
    EXPECT_EQ(readFile(home.keyDirectory() + "/CurrDir.sz").size(), utf16Bytes(folder));
    {
        Instance reader;
        EXPECT_EQ(std::string(reader.editor->rememberedDirectory()), folder);
        EXPECT_STREQ(reader.editor->rememberedBankFileName(), "\xC3\xB6.zeb");
    }
    writeFile(home.keyDirectory() + "/CurrDir.sz", Bytes(600, 'a'));
    Instance reader;
    EXPECT_STREQ(reader.editor->rememberedDirectory(), "");
}

// Two instances in two processes, as a host with the effect on two tracks: the one that used
// no file dialog closes last and must not write back the empty paths it read at its start.
TEST_F(StoredSettings, AnInstanceThatUsedNoDialogLeavesThePathsAnotherProcessStored) {
    const std::string folder = home.root() + "/songs/";
    fs::create_directories(folder);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        bool saved = false;
        {
            Instance other;
            saved = other.editor->savePresetFile((folder + "verse.zem").c_str());
        }
        _exit(saved ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_STREQ(fx.editor->rememberedPresetFileName(), "") << "read before the other stored";
    fx.effect->selectProgram(2);
    fx.editor->storeMemoA(); // settings work that is no file dialog
    fx.effect.reset();
    fx.editor = nullptr;

    EXPECT_EQ(readFile(home.keyDirectory() + "/CurrPreset.sz").size(), 20u); // "verse.zem" + NUL
    Instance next;
    EXPECT_EQ(std::string(next.editor->rememberedDirectory()), folder);
    EXPECT_STREQ(next.editor->rememberedPresetFileName(), "verse.zem");
    EXPECT_STREQ(next.editor->rememberedBankFileName(), "");
}

} // namespace
