#include <array>
#include <string>

#include "HostedLyrebloom.h"
#include "TempConfigHome.h"

namespace {

const TempConfigHome configHome;

using lyrehost::HostCall;

TEST(Construction, TheHostHearsTwoVersionQueriesThenDisplayUpdatesForThisEffect) {
    auto plugin = loadLyrebloom();
    const std::vector<HostCall> calls = plugin->log().calls();
    ASSERT_GE(calls.size(), 3u); // selecting program 0 refreshes at least once
    for (std::size_t n = 0; n < calls.size(); ++n) {
        const HostCall& call = calls[n];
        // The version queries come before the effect exists; every refresh names it.
        EXPECT_EQ(call.opcode, n < 2 ? audioMasterVersion : audioMasterUpdateDisplay) << n;
        EXPECT_EQ(call.effect, n < 2 ? nullptr : plugin->effect()) << n;
        EXPECT_EQ(call.index, 0);
        EXPECT_EQ(call.value, 0);
        EXPECT_EQ(call.ptr, nullptr);
        EXPECT_EQ(call.opt, 0.0f);
    }
    EXPECT_NE(plugin->effect()->flags & effFlagsProgramChunks, 0);
}

TEST(SharedValues, OutputMixAndBypassLandInAllSixProgramsTheOthersInTheCurrentOne) {
    auto plugin = loadLyrebloom();
    plugin->setParameter(0, 0.9f);
    plugin->setParameter(1, 0.6f);
    plugin->setParameter(7, 1.0f);
    plugin->setParameter(2, 0.33f);
    plugin->setParameter(9, 0.5f); // not a parameter: no program changes
    const Bytes chunk = chunkOf(*plugin);
    for (int k = 0; k < 6; ++k) {
        EXPECT_EQ(floatAt(chunk, chunkValue(k, 0)), 0.9f) << k;
        EXPECT_EQ(floatAt(chunk, chunkValue(k, 1)), 0.6f) << k;
        EXPECT_EQ(floatAt(chunk, chunkValue(k, 7)), 1.0f) << k;
    }
    EXPECT_EQ(floatAt(chunk, chunkValue(0, 2)), 0.33f);
    for (int k = 1; k < 6; ++k)
        EXPECT_NE(floatAt(chunk, chunkValue(k, 2)), 0.33f) << k;
}

TEST(SharedValues, AfterAChunkAllSixCarryTheValuesOfTheProgramAppliedLast) {
    auto plugin = loadLyrebloom();
    Bytes chunk = withCurrentIndex(chunkOf(*plugin), 3);
    for (int k = 0; k < 6; ++k) {
        putFloat(chunk, chunkValue(k, 0), 0.1f * static_cast<float>(k));
        putFloat(chunk, chunkValue(k, 1), 0.05f * static_cast<float>(k));
    }
    ASSERT_EQ(setChunk(*plugin, chunk), 0);
    const Bytes now = chunkOf(*plugin);
    for (int k = 0; k < 6; ++k) {
        EXPECT_EQ(floatAt(now, chunkValue(k, 0)), 0.3f) << k;
        EXPECT_EQ(floatAt(now, chunkValue(k, 1)), 0.15f) << k;
    }
    EXPECT_EQ(plugin->getParameter(0), 0.3f);
}

// Each factory program applied through a chunk, read back as the host displays it.
TEST(FactoryPrograms, EachShowsItsValuesAsTheHostDisplaysThem) {
    struct Shown {
        const char* decay;
        const char* damp;
        const char* transpose;
        const char* detune;
    };
    const std::array<Shown, 6> table = {{{"25.0", "25.0", "0", "0.0"},
                                         {"50.0", "5.0", "0", "0.0"},
                                         {"50.0", "10.0", "12", "0.0"},
                                         {"60.0", "75.0", "-12", "0.0"},
                                         {"75.0", "20.0", "-24", "0.0"},
                                         {"60.0", "25.0", "0", "100.0"}}};
    auto plugin = loadLyrebloom();
    const Bytes factory = chunkOf(*plugin);
    for (int k = 0; k < 6; ++k) {
        ASSERT_EQ(setChunk(*plugin, withCurrentIndex(factory, static_cast<std::uint32_t>(k))), 0);
        EXPECT_EQ(plugin->parameterDisplay(2), table[k].decay) << k;
        EXPECT_EQ(plugin->parameterDisplay(3), table[k].damp) << k;
        EXPECT_EQ(plugin->parameterDisplay(4), table[k].transpose) << k;
        EXPECT_EQ(plugin->parameterDisplay(6), table[k].detune) << k;
        EXPECT_EQ(plugin->parameterDisplay(0), "0.0") << k;
        EXPECT_EQ(plugin->parameterDisplay(1), "25.0") << k;
        EXPECT_EQ(plugin->parameterDisplay(5), "0.0") << k;
        EXPECT_EQ(plugin->parameterDisplay(7), " process ") << k;
    }
}

} // namespace
