// Our CLAP host against modules it did not come with: Debian's zam-plugins, each loaded,
// activated, fed a block, its state saved and loaded back, and closed.
#include "tests/ZamModules.h"
#include "tests/clap/ClapFixture.h"

namespace {

TEST(ClapHost, LoadsAndRunsDebiansModules) {
    const std::vector<std::string> modules = zamModules("/usr/lib/clap", ".clap");
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
        ASSERT_TRUE(plugin.activate(48000.0, ZamBlock::kFrames)) << module;
        ZamBlock block;
        EXPECT_NE(plugin.process(block.in, block.out, ZamBlock::kFrames, events),
                  CLAP_PROCESS_ERROR)
            << module;
        EXPECT_TRUE(block.outputFinite()) << module;
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
