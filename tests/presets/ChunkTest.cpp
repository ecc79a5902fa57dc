#include <array>
#include <bit>
#include <cstring>
#include <limits>
#include <vector>

#include "HostedLyrebloom.h"
#include "TempConfigHome.h"

namespace {

// No stored defaults: every instance starts from the factory programs.
const TempConfigHome configHome;

using lyrehost::HostCall;

struct Factory {
    const char* name;
    std::array<float, 8> values;
};
const Factory kFactory[6] = {
    {"Default", {0.5f, 0.25f, 0.25f, 0.25f, 0.5f, 0.5f, 0.0f, 0.0f}},
    {"Bright", {0.5f, 0.25f, 0.5f, 0.05f, 0.5f, 0.5f, 0.0f, 0.0f}},
    {"High", {0.5f, 0.25f, 0.5f, 0.1f, 0.75f, 0.5f, 0.0f, 0.0f}},
    {"Low & Dark", {0.5f, 0.25f, 0.6f, 0.75f, 0.25f, 0.5f, 0.0f, 0.0f}},
    {"Almost reverb", {0.5f, 0.25f, 0.75f, 0.2f, 0.0f, 0.5f, 0.0f, 0.0f}},
    {"Detuned", {0.5f, 0.25f, 0.6f, 0.25f, 0.5f, 0.5f, 1.0f, 0.0f}},
};

std::size_t displayUpdates(const lyrehost::Plugin& plugin) {
    return plugin.log().count(audioMasterUpdateDisplay);
}

TEST(Chunk, AfterConstructionItHoldsTheSixFactoryProgramsWithProgramZeroCurrent) {
    auto plugin = loadLyrebloom();
    const Bytes chunk = chunkOf(*plugin);
    ASSERT_EQ(chunk.size(), 368u);
    EXPECT_EQ(u32At(chunk, 0), 0x01000000u);
    EXPECT_EQ(u32At(chunk, 4), kLyrebloomID);
    EXPECT_EQ(u32At(chunk, 8), 6u);
    EXPECT_EQ(u32At(chunk, 12), 0u);
    for (std::size_t offset = 16; offset < 32; offset += 4)
        EXPECT_EQ(u32At(chunk, offset), 0u);
    for (int k = 0; k < 6; ++k) {
        EXPECT_EQ(nameAt(chunk, chunkName(k)), kFactory[k].name);
        for (std::size_t b = std::string(kFactory[k].name).size(); b < 24; ++b)
            EXPECT_EQ(chunk[chunkName(k) + b], 0) << "name padding of program " << k;
        for (int i = 0; i < 8; ++i)
            EXPECT_EQ(floatAt(chunk, chunkValue(k, i)), kFactory[k].values[i]) << k << "," << i;
    }
    EXPECT_EQ(chunkOf(*plugin, true), chunk); // a preset request gets the whole chunk too
}

TEST(Chunk, ARoundTripRestoresEveryProgramAndAppliesTheStoredCurrentOne) {
    auto source = loadLyrebloom();
    char name[] = "Round trip";
    source->dispatch(effSetProgramName, 0, 0, name);
    source->setParameter(2, 0.9f);
    const Bytes saved = withCurrentIndex(chunkOf(*source), 2);

    auto target = loadLyrebloom();
    target->log().clear();
    EXPECT_EQ(setChunk(*target, saved), 0);
    EXPECT_EQ(chunkOf(*target), saved);
    EXPECT_EQ(displayUpdates(*target), 1u);
    for (int i = 0; i < 8; ++i) // program 2 "High" is what plays now
        EXPECT_EQ(target->getParameter(i), kFactory[2].values[i]) << i;
    EXPECT_EQ(programName(*target), "High");
    EXPECT_EQ(programNameIndexed(*target, 0), "Round trip");
}

TEST(Chunk, AChunkFromAMachineOfTheOtherByteOrderIsCorrected) {
    auto plugin = loadLyrebloom();
    plugin->setParameter(3, 0.125f);
    const Bytes native = withCurrentIndex(chunkOf(*plugin), 4);
    Bytes foreign = native;
    for (std::size_t offset = 0; offset < 32; offset += 4) // tag, identifier, count, index
        swapAt(foreign, offset);
    for (int k = 0; k < 6; ++k)
        for (int i = 0; i < 8; ++i)
            swapAt(foreign, chunkValue(k, i));

    auto target = loadLyrebloom();
    EXPECT_EQ(setChunk(*target, foreign), 0);
    EXPECT_EQ(chunkOf(*target), native);
    EXPECT_EQ(programName(*target), "Almost reverb");
    EXPECT_EQ(target->parameterDisplay(4), "-24");
}

// A host reads back only what it was promised: 0..1, a value that is not a number becoming the
// parameter's default ("Default" program), and values in range kept bit for bit.
TEST(Chunk, LoadedValuesAreKeptWithinTheirRangeAndInRangeOnesExactly) {
    auto plugin = loadLyrebloom();
    Bytes chunk = withCurrentIndex(chunkOf(*plugin), 1);
    const float tiny = std::bit_cast<float>(0x0000001Fu); // 4.3e-44, as a reversed load gives
    const float stored[8] = {-428443552.0f, std::numeric_limits<float>::quiet_NaN(),
                             1.5f,          std::numeric_limits<float>::infinity(),
                             tiny,          -0.0f,
                             0.3f,          -std::numeric_limits<float>::quiet_NaN()};
    const float expected[8] = {0.0f, 0.25f, 1.0f, 1.0f, tiny, -0.0f, 0.3f, 0.0f};
    for (int i = 0; i < 8; ++i)
        putFloat(chunk, chunkValue(1, i), stored[i]);
    EXPECT_EQ(setChunk(*plugin, chunk), 0);
    const Bytes after = chunkOf(*plugin);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(std::bit_cast<std::uint32_t>(plugin->getParameter(i)),
                  std::bit_cast<std::uint32_t>(expected[i]))
            << i;
        EXPECT_EQ(u32At(after, chunkValue(1, i)), std::bit_cast<std::uint32_t>(expected[i])) << i;
    }
    for (int k : {0, 2, 3, 4, 5}) // untouched programs, all values in range: unchanged bits
        for (int i = 2; i < 7; ++i)
            EXPECT_EQ(u32At(after, chunkValue(k, i)), u32At(chunk, chunkValue(k, i))) << k << i;
}

// Loads `chunk` into a fresh instance and checks the answer and that nothing changed.
void expectRefusedUnchanged(const Bytes& chunk, VstIntPtr expected) {
    auto plugin = loadLyrebloom();
    plugin->setParameter(2, 0.8f);
    const Bytes before = chunkOf(*plugin);
    plugin->log().clear();
    EXPECT_EQ(setChunk(*plugin, chunk), expected);
    EXPECT_EQ(chunkOf(*plugin), before);
    EXPECT_EQ(plugin->getParameter(2), 0.8f);
    EXPECT_EQ(displayUpdates(*plugin), 0u);
}

TEST(ChunkFailures, EachRefusalAnswersAsHostsExpectAndChangesNothing) {
    Bytes chunk = chunkOf(*loadLyrebloom());
    putFloat(chunk, chunkValue(0, 2), 0.3f); // differs from the target's programs

    Bytes shorter(chunk.begin(), chunk.end() - 1);
    expectRefusedUnchanged(shorter, -1);
    Bytes longer = chunk;
    longer.push_back(0);
    expectRefusedUnchanged(longer, -1);

    Bytes foreign = chunk;
    putU32(foreign, 4, 0x41424344);
    expectRefusedUnchanged(foreign, -1);

    Bytes wrongTag = chunk;
    putU32(wrongTag, 0, 0x02000000);
    expectRefusedUnchanged(wrongTag, 0);

    Bytes wrongCount = chunk;
    putU32(wrongCount, 8, 5);
    expectRefusedUnchanged(wrongCount, -1);
}

TEST(ChunkFailures, AnIndexOutOfRangeReplacesTheProgramsButAppliesNone) {
    auto plugin = loadLyrebloom();
    plugin->setParameter(2, 0.8f);
    Bytes chunk = withCurrentIndex(chunkOf(*plugin), 6);
    putFloat(chunk, chunkValue(0, 2), 0.3f);
    putFloat(chunk, chunkValue(5, 3), 0.7f);
    plugin->log().clear();

    EXPECT_EQ(setChunk(*plugin, chunk), 0);
    EXPECT_EQ(plugin->getParameter(2), 0.8f); // nothing applied
    EXPECT_EQ(displayUpdates(*plugin), 0u);
    EXPECT_EQ(chunkOf(*plugin), withCurrentIndex(chunk, 0)); // index kept its old value
}

TEST(ProgramNames, IndexedNamesAreTheStoredOnesAndOutOfRangeWritesNothing) {
    auto plugin = loadLyrebloom();
    for (int k = 0; k < 6; ++k) {
        char text[64] = {};
        EXPECT_EQ(plugin->dispatch(effGetProgramNameIndexed, k, 0, text), 1);
        EXPECT_STREQ(text, kFactory[k].name);
    }
    for (const int index : {6, -1}) {
        char text[64] = "untouched";
        EXPECT_EQ(plugin->dispatch(effGetProgramNameIndexed, index, 0, text), 0);
        EXPECT_STREQ(text, "untouched");
    }
}

TEST(ProgramNames, ARenameKeepsTwentyFourCharactersAndDoesNotRefreshTheHost) {
    auto plugin = loadLyrebloom();
    EXPECT_EQ(programName(*plugin), "Default");
    plugin->log().clear();
    char name[] = "abcdefghijklmnopqrstuvwxyz0123"; // 30 characters
    plugin->dispatch(effSetProgramName, 0, 0, name);
    char text[64];
    std::memset(text, 'x', sizeof text);
    plugin->dispatch(effGetProgramName, 0, 0, text);
    EXPECT_STREQ(text, "abcdefghijklmnopqrstuvwx");
    EXPECT_EQ(displayUpdates(*plugin), 0u);
    EXPECT_EQ(nameAt(chunkOf(*plugin), chunkName(0)), "abcdefghijklmnopqrstuvwx");
}

TEST(ProgramNames, TheHostSeesOneProgramAndCannotSwitchIt) {
    auto plugin = loadLyrebloom();
    EXPECT_EQ(plugin->effect()->numPrograms, 1);
    plugin->dispatch(effSetProgram, 0, 3);
    plugin->dispatch(effSetProgram, 0, 0);
    EXPECT_EQ(plugin->dispatch(effGetProgram), 0);
    EXPECT_EQ(programName(*plugin), "Default");
}

} // namespace
