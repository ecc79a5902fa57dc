// Loading and unloading plug-ins: every failure comes back as a message, never a crash.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "host/Plugin.h"
#include "tests/host/ModuleReference.h"

namespace {

using lyrehost::Plugin;

// Keeps the probe module mapped so its counters survive the host's dlclose.
struct ProbeSymbols : ModuleReference {
    ProbeSymbols() : ModuleReference(PROBE_PLUGIN) {}
    int& closeCount() const { return *static_cast<int*>(symbol("probeCloseCount")); }
};

// Each failure is a message saying what went wrong, and leaves no effect behind.
TEST(PluginLoad, EveryFailureIsReportedInWholeWordsAndLoadsNothing) {
    const std::filesystem::path text =
        std::filesystem::temp_directory_path() / "lyre-not-a-module.dll";
    { std::ofstream(text) << "plain text, not a module"; }
    const struct {
        std::string path, says;
    } cases[] = {{"/nonexistent/dir/missing.so", "/nonexistent/dir/missing.so"},
                 {text.string(), text.string()},
                 {NO_ENTRY_MODULE, "no VSTPluginMain or main"},
                 {BAD_MAGIC_PLUGIN, "bad magic"}};
    for (const auto& c : cases) {
        Plugin plugin;
        const std::string error = plugin.load(c.path);
        EXPECT_NE(error.find(c.says), std::string::npos) << error;
        // The system's message templates have inserts; none may reach the user unfilled.
        EXPECT_EQ(error.find('%'), std::string::npos) << error;
        EXPECT_FALSE(plugin.isLoaded()) << c.path;
        EXPECT_EQ(plugin.effect(), nullptr) << c.path;
    }
    std::filesystem::remove(text);
}

TEST(PluginLoad, LegacyMainEntryIsUsedWhenVSTPluginMainIsMissing) {
    Plugin plugin;
    ASSERT_EQ(plugin.load(PROBE_PLUGIN), "");
    ASSERT_TRUE(plugin.isLoaded());
    EXPECT_EQ(plugin.effect()->magic, kEffectMagic);
    EXPECT_EQ(plugin.effect()->user, &plugin);
    EXPECT_EQ(plugin.effectName(), "Probe");
    EXPECT_EQ(plugin.parameterName(0), " Probe Level ");
}

TEST(PluginLoad, CallsMadeDuringTheEntryAreRecordedWithTheEffectTheyCarried) {
    Plugin plugin;
    ASSERT_EQ(plugin.load(PROBE_PLUGIN), "");
    const std::vector<lyrehost::HostCall> calls = plugin.log().calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].opcode, audioMasterVersion);
    EXPECT_EQ(calls[0].effect, nullptr);
    EXPECT_EQ(calls[1].opcode, audioMasterUpdateDisplay);
    EXPECT_EQ(calls[1].effect, plugin.effect());
    EXPECT_LT(calls[0].sequence, calls[1].sequence);
}

TEST(PluginLoad, VersionZeroMakesTheProbeRefuse) {
    Plugin plugin;
    plugin.answers().setVersion(0);
    const std::string error = plugin.load(PROBE_PLUGIN);
    EXPECT_NE(error.find("refused"), std::string::npos) << error;
    EXPECT_FALSE(plugin.isLoaded());
    EXPECT_EQ(plugin.log().count(audioMasterVersion), 1u);
}

TEST(PluginLoad, UnloadClosesTheEffectOnceAndLeavesAnInertHost) {
    ProbeSymbols probe;
    ASSERT_NE(probe.handle, nullptr);
    Plugin plugin;
    ASSERT_EQ(plugin.load(PROBE_PLUGIN), "");
    const int closedBefore = probe.closeCount();
    plugin.unload();
    plugin.unload();
    EXPECT_EQ(probe.closeCount(), closedBefore + 1);
    EXPECT_FALSE(plugin.isLoaded());
    EXPECT_EQ(plugin.dispatch(effGetVstVersion), 0);
    EXPECT_EQ(plugin.effectName(), "");
    const lyrehost::StereoBuffer out = plugin.processBuffers({{1.0f, 2.0f}, {3.0f, 4.0f}});
    EXPECT_EQ(out.left, std::vector<float>({0.0f, 0.0f}));
    // The log outlives the plug-in.
    EXPECT_EQ(plugin.log().count(audioMasterVersion), 1u);
}

TEST(PluginLoad, DispatchingEffCloseUnloads) {
    ProbeSymbols probe;
    Plugin plugin;
    ASSERT_EQ(plugin.load(PROBE_PLUGIN), "");
    const int closedBefore = probe.closeCount();
    EXPECT_EQ(plugin.dispatch(effClose), 1);
    EXPECT_FALSE(plugin.isLoaded());
    EXPECT_EQ(probe.closeCount(), closedBefore + 1);
}

class LyrebloomLoad : public testing::Test {
  protected:
    void SetUp() override {
        if (!std::filesystem::exists(LYREBLOOM_SO)) GTEST_SKIP() << LYREBLOOM_SO << " not built";
    }
};

TEST_F(LyrebloomLoad, VersionZeroIsRefusedAfterOneQueryWithNullEffect) {
    Plugin plugin;
    plugin.answers().setVersion(0);
    const std::string error = plugin.load(LYREBLOOM_SO);
    EXPECT_NE(error.find("refused"), std::string::npos) << error;
    EXPECT_FALSE(plugin.isLoaded());
    const std::vector<lyrehost::HostCall> calls = plugin.log().calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].opcode, audioMasterVersion);
    EXPECT_EQ(calls[0].effect, nullptr);
}

} // namespace
