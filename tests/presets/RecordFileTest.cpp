#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "ChunkBytes.h"
#include "InProcessLyrebloom.h"
#include "TempConfigHome.h"

namespace {

namespace fs = std::filesystem;

void writeFile(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::uint32_t bitsOf(float x) {
    return std::bit_cast<std::uint32_t>(x);
}

// A value a record held, as a load must leave it: the same bits when it is within 0..1, else
// clamped, and the parameter's default ("Default" program) when it is not a number.
void expectLoadedAs(float loaded, std::uint32_t storedBits, int index) {
    constexpr float kDefaults[8] = {0.5f, 0.25f, 0.25f, 0.25f, 0.5f, 0.5f, 0.0f, 0.0f};
    const float stored = std::bit_cast<float>(storedBits);
    if (stored >= 0.0f && stored <= 1.0f)
        EXPECT_EQ(bitsOf(loaded), storedBits) << index;
    else if (std::isnan(stored))
        EXPECT_EQ(loaded, kDefaults[index]) << index;
    else
        EXPECT_EQ(loaded, stored < 0.0f ? 0.0f : 1.0f) << index << ": " << stored;
}

class RecordFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_PRESET_EDITOR(fx);
        fs::create_directories(dir);
    }
    std::string file(const char* name) const { return dir + name; }

    // A preset file of program `k` as the effect saves it.
    Bytes savedPreset(int k) {
        fx.effect->selectProgram(k);
        EXPECT_TRUE(fx.editor->savePresetFile(file("saved.zem").c_str()));
        return readFile(file("saved.zem"));
    }

    TempConfigHome home;
    const std::string dir = nativePath(home.root() + "/files/");
    Instance fx;
};

TEST_F(RecordFiles, APresetSavedFromOneProgramReplacesOnlyTheCurrentOne) {
    fx.effect->selectProgram(2);
    fx.effect->setParameter(2, 0.42f);
    ASSERT_TRUE(fx.editor->savePresetFile(file("high.zem").c_str()));
    const Bytes saved = readFile(file("high.zem"));
    ASSERT_EQ(saved.size(), 61u);
    EXPECT_EQ(u32At(saved, 0), kLyrebloomID);
    EXPECT_EQ(saved[4], 0x21);
    EXPECT_EQ(nameAt(saved, 5), "High");

    const ProgramBank before = fx.programs();
    fx.effect->selectProgram(4);
    fx.editor->loadPresetFile(file("high.zem").c_str(), false);
    const ProgramBank after = fx.programs();
    EXPECT_EQ(fx.current(), 4);
    EXPECT_TRUE(sameProgram(after[4], before[2]));
    for (int k : {0, 1, 2, 3, 5})
        EXPECT_TRUE(sameProgram(after[k], before[k])) << k;
    EXPECT_EQ(fx.effect->getParameter(2), 0.42f);
}

TEST_F(RecordFiles, BothByteOrdersLoadAndTheReversedRequestFlipsTheValues) {
    const Bytes native = savedPreset(3);
    const ProgramRecord stored = fx.programs()[3];
    Bytes foreign = native;
    swapAt(foreign, 0);
    for (int i = 0; i < 8; ++i)
        swapAt(foreign, recordValue(0, i));
    writeFile(file("native.zem"), native);
    writeFile(file("foreign.zem"), foreign);

    auto valuesAfterLoading = [&](const char* name, bool reversed) {
        fx.effect->selectProgram(0);
        fx.editor->loadPresetFile(file(name).c_str(), reversed);
        return fx.programs()[0];
    };
    const ProgramRecord fromForeign = valuesAfterLoading("foreign.zem", false);
    EXPECT_TRUE(sameProgram(fromForeign, stored));
    EXPECT_EQ(nameOf(fromForeign), "Low & Dark"); // names are never reversed

    const ProgramRecord nativeReversed = valuesAfterLoading("native.zem", true);
    const ProgramRecord foreignReversed = valuesAfterLoading("foreign.zem", true);
    for (int i = 2; i < 7; ++i) { // the per-program values; shared ones follow the last apply
        expectLoadedAs(nativeReversed.values[i], __builtin_bswap32(bitsOf(stored.values[i])), i);
        expectLoadedAs(foreignReversed.values[i], u32At(foreign, recordValue(0, i)), i);
    }
}

TEST_F(RecordFiles, ShortEmptyOversizedMissingForeignAndWrongKindPresetFiles) {
    const Bytes native = savedPreset(1);
    fx.effect->selectProgram(5);
    const ProgramBank before = fx.programs();
    auto unchanged = [&] {
        const ProgramBank now = fx.programs();
        for (int k = 0; k < 6; ++k)
            if (!sameProgram(now[k], before[k])) return false;
        return fx.current() == 5;
    };

    writeFile(file("empty.zem"), {});
    fx.editor->loadPresetFile(file("empty.zem").c_str(), false);
    EXPECT_TRUE(unchanged());
    fx.editor->loadPresetFile(file("missing.zem").c_str(), false);
    EXPECT_TRUE(unchanged());
    Bytes foreign = native;
    putU32(foreign, 0, 0x41424344);
    writeFile(file("foreign.zem"), foreign);
    fx.editor->loadPresetFile(file("foreign.zem").c_str(), false);
    EXPECT_TRUE(unchanged());
    Bytes bankKind = native;
    bankKind[4] = 0x37;
    writeFile(file("kind.zem"), bankKind);
    fx.editor->loadPresetFile(file("kind.zem").c_str(), false);
    EXPECT_TRUE(unchanged());

    Bytes oversized = native;
    oversized.resize(200, 0xEE);
    writeFile(file("long.zem"), oversized);
    fx.editor->loadPresetFile(file("long.zem").c_str(), false);
    EXPECT_TRUE(sameProgram(fx.programs()[5], before[1]));

    writeFile(file("short.zem"), Bytes(native.begin(), native.begin() + 29)); // no values
    fx.editor->loadPresetFile(file("short.zem").c_str(), false);
    const ProgramRecord loaded = fx.programs()[5];
    EXPECT_EQ(nameOf(loaded), "Bright");
    for (float v : loaded.values)
        EXPECT_EQ(v, 0.0f);
}

TEST_F(RecordFiles, ARefusedFileIsNotRemembered) {
    const Bytes native = savedPreset(1);
    writeFile(file("good.zem"), native);
    EXPECT_TRUE(fx.editor->loadPresetFile(file("good.zem").c_str(), false));
    EXPECT_STREQ(fx.editor->rememberedPresetFileName(), "good.zem");

    const std::string elsewhere = nativePath(home.root() + "/elsewhere/");
    fs::create_directories(elsewhere);
    Bytes wrongKind = native;
    wrongKind[4] = 0x37;
    writeFile(elsewhere + "wrong.zem", wrongKind);
    writeFile(elsewhere + "preset.zeb", native);
    EXPECT_FALSE(fx.editor->loadPresetFile((elsewhere + "wrong.zem").c_str(), false));
    EXPECT_FALSE(fx.editor->loadPresetFile((elsewhere + "missing.zem").c_str(), false));
    EXPECT_FALSE(fx.editor->loadBankFile((elsewhere + "preset.zeb").c_str(), false));
    EXPECT_STREQ(fx.editor->rememberedPresetFileName(), "good.zem");
    EXPECT_STREQ(fx.editor->rememberedBankFileName(), "");
    EXPECT_EQ(std::string(fx.editor->rememberedDirectory()), dir);
}

TEST_F(RecordFiles, ABankRoundTripsAndACutOneLoadsWhatItHolds) {
    fx.effect->setParameter(0, 0.7f);
    ASSERT_TRUE(fx.editor->saveBankFile(file("all.zeb").c_str()));
    const Bytes bank = readFile(file("all.zeb"));
    ASSERT_EQ(bank.size(), 341u);
    EXPECT_EQ(bank[4], 0x37);
    const ProgramBank saved = fx.programs();

    writeFile(file("cut.zeb"), Bytes(bank.begin(), bank.begin() + recordName(3)));
    fx.effect->selectProgram(4);
    fx.editor->loadBankFile(file("cut.zeb").c_str(), false);
    ProgramBank now = fx.programs();
    EXPECT_EQ(fx.current(), 0);
    for (int k = 0; k < 3; ++k)
        EXPECT_TRUE(sameProgram(now[k], saved[k])) << k;
    for (int k = 3; k < 6; ++k) {
        EXPECT_EQ(nameOf(now[k]), "") << k;
        for (int i = 2; i < 7; ++i)
            EXPECT_EQ(now[k].values[i], 0.0f) << k << "," << i;
        EXPECT_EQ(now[k].values[0], 0.7f); // shared: follows program 0 as it was applied
    }

    fx.editor->loadBankFile(file("all.zeb").c_str(), false);
    now = fx.programs();
    for (int k = 0; k < 6; ++k)
        EXPECT_TRUE(sameProgram(now[k], saved[k])) << k;

    fx.effect->selectProgram(3);
    writeFile(file("empty.zeb"), {});
    fx.editor->loadBankFile(file("empty.zeb").c_str(), false);
    EXPECT_EQ(fx.current(), 0); // refused, but program 0 is selected first
    EXPECT_TRUE(sameProgram(fx.programs()[3], saved[3]));
}

TEST_F(RecordFiles, PathsAreRememberedOnlyWholeAndTheWorkingDirectoryNeverMoves) {
    const fs::path cwd = fs::current_path();
    writeFile(file("a.zem"), savedPreset(2));
    fx.editor->loadPresetFile(file("a.zem").c_str(), false);
    EXPECT_EQ(std::string(fx.editor->rememberedDirectory()), dir);
    EXPECT_STREQ(fx.editor->rememberedPresetFileName(), "a.zem");

    // A bare name is looked for in the remembered directory and changes nothing remembered.
    writeFile(file("bare.zem"), savedPreset(4));
    const std::string remembered = fx.editor->rememberedPresetFileName();
    fx.effect->selectProgram(0);
    fx.editor->loadPresetFile("bare.zem", false);
    EXPECT_EQ(nameOf(fx.programs()[0]), "Almost reverb");
    EXPECT_EQ(fx.editor->rememberedPresetFileName(), remembered);
    EXPECT_EQ(std::string(fx.editor->rememberedDirectory()), dir);

#ifndef _WIN32 // std::filesystem here does not reach below the classic Windows path limit
    // Deeper than the buffers: the file is still written, the path is not remembered.
    std::string deep = dir;
    while (deep.size() < 300)
        deep += std::string(40, 'd') + "/";
    fs::create_directories(deep);
    EXPECT_TRUE(fx.editor->saveBankFile((deep + "deep.zeb").c_str()));
    EXPECT_EQ(readFile(deep + "deep.zeb").size(), 341u);
    EXPECT_EQ(std::string(fx.editor->rememberedDirectory()), dir);
    EXPECT_STREQ(fx.editor->rememberedBankFileName(), "");
#endif
    EXPECT_EQ(fs::current_path(), cwd);
}

TEST_F(RecordFiles, SavingReplacesTheFileWholeAndKeepsItsPermissions) {
#ifdef _WIN32
    ASSERT_TRUE(fx.editor->savePresetFile(file("new.zem").c_str()));
    writeFile(file("mine.zem"), Bytes(500, 1));
    ASSERT_TRUE(fx.editor->savePresetFile(file("mine.zem").c_str()));
    EXPECT_EQ(readFile(file("mine.zem")).size(), 61u); // truncated to the record
#else
    const mode_t oldMask = ::umask(022);
    ASSERT_TRUE(fx.editor->savePresetFile(file("new.zem").c_str()));
    struct stat info {};
    ASSERT_EQ(::stat(file("new.zem").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0644u);

    writeFile(file("mine.zem"), Bytes(500, 1));
    fs::permissions(file("mine.zem"), fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_TRUE(fx.editor->savePresetFile(file("mine.zem").c_str()));
    ASSERT_EQ(::stat(file("mine.zem").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    EXPECT_EQ(readFile(file("mine.zem")).size(), 61u); // truncated to the record
    ::umask(oldMask);
#endif

    std::size_t entries = 0;
    for (const auto& entry : fs::directory_iterator(dir)) {
        (void)entry;
        ++entries;
    }
    EXPECT_EQ(entries, 2u); // no temporary file left behind
}

} // namespace
