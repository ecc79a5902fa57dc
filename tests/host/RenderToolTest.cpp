// lyrebloom-render run as a user runs it: a separate process, files in a scratch directory.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "host/Plugin.h"
#include "host/render/ParameterNames.h"
#include "tests/host/RenderToolFixture.h"

namespace {

using namespace rendertest;

TEST_F(RenderTool, HelpDocumentsEveryOption) {
    const RunResult result = run({"--help"}, false);
    EXPECT_EQ(result.exitCode, 0);
    for (const char* option :
         {"-o", "--set", "--rate", "--block", "--tail", "--plugin", "--chunk", "--bank", "--preset",
          "--reversed", "--program", "--list-programs", "--save-chunk", "--help"})
        EXPECT_NE(result.out.find(option), std::string::npos) << option;
}

TEST_F(RenderTool, DemoRendersToAStereoFloatWav) {
    if (!pluginBuilt()) GTEST_SKIP() << LYREBLOOM_SO << " not built";
    const RunResult result = run({"-o", out("demo.wav")});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.out.find("demo.wav: 6.00 s, peak "), std::string::npos) << result.out;

    const AudioFile file = readAudio(out("demo.wav"));
    EXPECT_EQ(file.info.channels, 2);
    EXPECT_EQ(file.info.samplerate, 44100);
    EXPECT_EQ(file.info.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    EXPECT_EQ(file.info.frames, 6 * 44100); // four seconds of hits, two of ring-out
    for (const float peak : channelPeaks(file)) {
        EXPECT_TRUE(std::isfinite(peak));
        EXPECT_GT(peak, 1e-3f);
    }
    EXPECT_EQ(workFiles(), std::vector<std::string>{"demo.wav"}); // no temporary left over
}

TEST_F(RenderTool, MonoFileComesOutStereoAtItsOwnRate) {
    if (!pluginBuilt()) GTEST_SKIP() << LYREBLOOM_SO << " not built";
    constexpr int kRate = 22050;
    std::vector<float> mono(kRate / 2, 0.0f);
    for (std::size_t i = 0; i < 200; ++i)
        mono[1000 + i] = (i % 2 ? 0.5f : -0.5f);
    writeAudio(workDir / "mono.wav", 1, kRate, mono);

    const RunResult result = run({workDir / "mono.wav", "-o", out("wet.flac"), "--tail", "0.25",
                                  "--block", "100", "--set", "decay=0.5"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const AudioFile file = readAudio(out("wet.flac"));
    EXPECT_EQ(file.info.channels, 2);
    EXPECT_EQ(file.info.samplerate, kRate);
    EXPECT_EQ(file.info.format, SF_FORMAT_FLAC | SF_FORMAT_PCM_24);
    EXPECT_EQ(file.info.frames, static_cast<sf_count_t>(mono.size()) + std::lround(0.25 * kRate));
    for (const float peak : channelPeaks(file)) {
        EXPECT_TRUE(std::isfinite(peak));
        EXPECT_GT(peak, 1e-3f);
    }
}

TEST_F(RenderTool, UnknownParameterListsTheNamesThePluginReports) {
    if (!pluginBuilt()) GTEST_SKIP() << LYREBLOOM_SO << " not built";
    lyrehost::Plugin plugin;
    ASSERT_EQ(plugin.load(LYREBLOOM_SO), "");
    std::string valid;
    for (const std::string& name : lyrerender::parameterNames(plugin))
        valid += (valid.empty() ? "" : ", ") + name;
    expectCleanFailure({"-o", out("x.wav"), "--set", "Sparkle=0.5"},
                       "unknown parameter 'Sparkle' (valid: " + valid + ")");
}

TEST_F(RenderTool, FailedRenderLeavesAnExistingOutputUntouched) {
    if (!pluginBuilt()) GTEST_SKIP() << LYREBLOOM_SO << " not built";
    std::ofstream(out("keep.wav")) << "precious";
    expectCleanFailure({"-o", out("keep.wav"), "--set", "Sparkle=0.5"}, "unknown parameter");
    EXPECT_EQ(slurp(out("keep.wav")), "precious");
}

TEST_F(RenderTool, MissingInput) {
    expectCleanFailure({workDir / "absent.wav", "-o", out("x.wav")}, "cannot read");
}

TEST_F(RenderTool, InputThatIsNotAudio) {
    std::ofstream(workDir / "notes.wav") << "this is text, not audio";
    expectCleanFailure({workDir / "notes.wav", "-o", out("x.wav")}, "cannot read");
}

TEST_F(RenderTool, InputWithMoreThanTwoChannels) {
    writeAudio(workDir / "surround.wav", 3, 44100, std::vector<float>(300, 0.1f));
    expectCleanFailure({workDir / "surround.wav", "-o", out("x.wav")}, "has 3 channels");
}

TEST_F(RenderTool, UnsupportedOutputFormat) {
    expectCleanFailure({"-o", out("x.mp3")}, "unsupported output format '.mp3'");
}

TEST_F(RenderTool, ValueThatIsNotANumber) {
    expectCleanFailure({"-o", out("x.wav"), "--set", "Decay=lots"}, "'lots' is not a number");
}

TEST_F(RenderTool, UnwritableOutputPath) {
    expectCleanFailure({"-o", (workDir / "no-such-dir" / "x.wav").string()}, "cannot write");
}

TEST_F(RenderTool, PluginThatFailsToLoad) {
    expectCleanFailure({"-o", out("x.wav"), "--plugin", NO_ENTRY_MODULE}, "cannot load the plug-in",
                       false);
    expectCleanFailure({"-o", out("x.wav"), "--plugin", workDir / "missing.so"},
                       "cannot load the plug-in", false);
}

TEST_F(RenderTool, MissingOutputOption) {
    expectCleanFailure({}, "missing -o OUTPUT");
}

} // namespace
