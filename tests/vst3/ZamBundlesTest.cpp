// Our VST 3 host against bundles it did not come with: Debian's zam-plugins (split controller
// or not, whatever they are), each loaded, started, fed a block and closed.
#include "tests/ZamModules.h"
#include "tests/vst3/Vst3Fixture.h"

namespace {

TEST(Vst3Host, LoadsAndRunsDebiansBundles) {
    const std::vector<std::string> bundles = zamModules("/usr/lib/vst3", ".vst3");
    if (bundles.empty()) GTEST_SKIP() << "no zam-plugins VST 3 bundles in /usr/lib/vst3";
    for (const std::string& bundle : bundles) {
        lyrehost::Vst3Plugin plugin;
        ASSERT_EQ(plugin.load(bundle), "") << bundle;
        EXPECT_FALSE(plugin.className().empty());
        EXPECT_GT(plugin.parameterCount(), 0) << bundle;
        ASSERT_EQ(plugin.start(48000.0, ZamBlock::kFrames), vst3::kResultOk) << bundle;
        // Whatever the bus layout, a block with stereo buffers and a flush must come back.
        ZamBlock block;
        EXPECT_EQ(plugin.process(block.in, block.out, ZamBlock::kFrames), vst3::kResultOk)
            << bundle;
        lyrehost::vst3host::ParamChanges none;
        EXPECT_EQ(plugin.flush(none), vst3::kResultOk) << bundle;
        EXPECT_TRUE(block.outputFinite()) << bundle;
        EXPECT_FALSE(plugin.componentState().empty()) << bundle;
        plugin.unload();
    }
}

} // namespace
