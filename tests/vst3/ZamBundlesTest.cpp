// Our VST 3 host against bundles it did not come with: Debian's zam-plugins (split controller
// or not, whatever they are), each loaded, started, fed a block and closed.
#include <cmath>
#include <filesystem>

#include "tests/ZamModules.h"
#include "tests/vst3/Vst3Fixture.h"

namespace {

TEST(Vst3Host, LoadsAndRunsDebiansBundles) {
    namespace fs = std::filesystem;
    std::error_code error;
    std::vector<std::string> bundles;
    for (const auto& entry : fs::directory_iterator("/usr/lib/vst3", error))
        if (entry.path().filename().string().rfind("Za", 0) == 0 && !leaksOnItsOwn(entry.path()))
            bundles.push_back(entry.path());
    if (bundles.empty()) GTEST_SKIP() << "no zam-plugins VST 3 bundles in /usr/lib/vst3";
    for (const std::string& bundle : bundles) {
        lyrehost::Vst3Plugin plugin;
        ASSERT_EQ(plugin.load(bundle), "") << bundle;
        EXPECT_FALSE(plugin.className().empty());
        EXPECT_GT(plugin.parameterCount(), 0) << bundle;
        ASSERT_EQ(plugin.start(48000.0, 256), vst3::kResultOk) << bundle;
        // Whatever the bus layout, a block with stereo buffers and a flush must come back.
        std::vector<float> inL(256), inR(256), outL(256, 9.0f), outR(256, 9.0f);
        for (int i = 0; i < 256; ++i)
            inL[i] = inR[i] = 0.5f * std::sin(0.05f * static_cast<float>(i));
        float* in[2] = {inL.data(), inR.data()};
        float* out[2] = {outL.data(), outR.data()};
        EXPECT_EQ(plugin.process(in, out, 256), vst3::kResultOk) << bundle;
        lyrehost::vst3host::ParamChanges none;
        EXPECT_EQ(plugin.flush(none), vst3::kResultOk) << bundle;
        for (float x : outL)
            ASSERT_TRUE(std::isfinite(x)) << bundle;
        EXPECT_FALSE(plugin.componentState().empty()) << bundle;
        plugin.unload();
    }
}

} // namespace
