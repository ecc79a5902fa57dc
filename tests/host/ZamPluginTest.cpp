// The host drives third-party VST 2.4 plug-ins too, not only our own.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "host/Plugin.h"

namespace {

constexpr const char* kZamComp = "/usr/lib/vst/ZamComp-vst.so";

TEST(ThirdPartyPlugin, ZamCompLoadsNamesItselfAndProcessesAudio) {
    if (!std::filesystem::exists(kZamComp)) GTEST_SKIP() << kZamComp << " is not installed";
    lyrehost::Plugin plugin;
    ASSERT_EQ(plugin.load(kZamComp), "");
    EXPECT_EQ(plugin.effect()->magic, kEffectMagic);
    EXPECT_FALSE(plugin.effectName().empty());
    ASSERT_GT(plugin.numOutputs(), 0);

    plugin.open();
    plugin.setSampleRate(44100.0f);
    plugin.setBlockSize(256);
    plugin.resume();
    lyrehost::StereoBuffer input{std::vector<float>(1024), std::vector<float>(1024)};
    for (std::size_t i = 0; i < input.left.size(); ++i)
        input.left[i] = input.right[i] = 0.5f * std::sin(0.05f * static_cast<float>(i));
    const lyrehost::StereoBuffer output = plugin.processBuffers(input, 256);
    plugin.suspend();

    ASSERT_EQ(output.left.size(), 1024u);
    float energy = 0.0f;
    for (std::size_t i = 0; i < output.left.size(); ++i) {
        ASSERT_TRUE(std::isfinite(output.left[i])) << "frame " << i;
        ASSERT_TRUE(std::isfinite(output.right[i])) << "frame " << i;
        energy += output.left[i] * output.left[i];
    }
    EXPECT_GT(energy, 0.0f); // a compressor passes a sine through
}

} // namespace
