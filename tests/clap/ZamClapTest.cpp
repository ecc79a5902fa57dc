// Our CLAP host against modules it did not come with: Debian's zam-plugins, each loaded,
// activated, fed a block, its state saved and loaded back, and closed.
#include <cmath>
#include <filesystem>

#include "tests/ZamModules.h"
#include "tests/clap/ClapFixture.h"

namespace {

TEST(ClapHost, LoadsAndRunsDebiansModules) {
    namespace fs = std::filesystem;
    std::error_code error;
    std::vector<std::string> modules;
    for (const auto& entry : fs::directory_iterator("/usr/lib/clap", error))
        if (entry.path().extension() == ".clap" &&
            entry.path().filename().string().rfind("Za", 0) == 0 && !leaksOnItsOwn(entry.path()))
            modules.push_back(entry.path());
    if (modules.empty()) GTEST_SKIP() << "no zam-plugins CLAP modules in /usr/lib/clap";
    for (const std::string& module : modules) {
        lyrehost::ClapPlugin plugin;
        ASSERT_EQ(plugin.load(module), "") << module;
        ASSERT_NE(plugin.audioPorts(), nullptr) << module;
        // Every one but the saturator has parameters, with texts.
        const auto parameters = plugin.parameters();
        std::vector<lyrehost::ClapEvent> events;
        if (!parameters.empty()) {
            const auto& first = parameters[0];
            EXPECT_FALSE(plugin.valueText(first.id, first.default_value).empty()) << module;
            events.push_back(valueEvent(100, first.id, 0.5 * (first.min_value + first.max_value)));
        }
        ASSERT_TRUE(plugin.activate(48000.0, 256)) << module;
        std::vector<float> inL(256), inR(256), outL(256, 9.0f), outR(256, 9.0f);
        for (int i = 0; i < 256; ++i)
            inL[i] = inR[i] = 0.5f * std::sin(0.05f * static_cast<float>(i));
        float* in[2] = {inL.data(), inR.data()};
        float* out[2] = {outL.data(), outR.data()};
        EXPECT_NE(plugin.process(in, out, 256, events), CLAP_PROCESS_ERROR) << module;
        for (float x : outL)
            ASSERT_TRUE(std::isfinite(x)) << module;
        plugin.deactivate();
        // Some of them have no state extension.
        if (plugin.state()) {
            const std::vector<std::uint8_t> state = plugin.saveState();
            EXPECT_FALSE(state.empty()) << module;
            EXPECT_TRUE(plugin.loadState(state)) << module;
        }
        plugin.unload();
    }
}

} // namespace
