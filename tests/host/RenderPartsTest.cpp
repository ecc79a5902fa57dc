// The render tool's parts that need no plug-in: command line, name matching, formats, levels.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>

#include "host/render/DemoExcitation.h"
#include "host/render/LevelMeter.h"
#include "host/render/OutputFile.h"
#include "host/render/ParameterNames.h"
#include "host/render/RenderError.h"
#include "host/render/RenderOptions.h"

namespace {

using namespace lyrerender;

std::string parseError(const std::vector<std::string>& args) {
    try {
        parseOptions(args);
    } catch (const RenderError& error) {
        return error.what();
    }
    return "";
}

TEST(RenderOptions, ReadsEveryOptionInBothSpellings) {
    const RenderOptions options =
        parseOptions({"in.wav", "-o", "out.flac", "--set", "Decay=0.8", "--set=mix=0",
                      "--rate=48000", "--block", "64", "--tail", "0.5", "--plugin", "p.so"});
    EXPECT_EQ(options.input, "in.wav");
    EXPECT_EQ(options.output, "out.flac");
    ASSERT_EQ(options.settings.size(), 2u);
    EXPECT_EQ(options.settings[0].name, "Decay");
    EXPECT_FLOAT_EQ(options.settings[0].value, 0.8f);
    EXPECT_EQ(options.settings[1].name, "mix");
    EXPECT_EQ(options.settings[1].value, 0.0f);
    EXPECT_EQ(options.demoRate, 48000.0);
    EXPECT_EQ(options.blockSize, 64);
    EXPECT_EQ(options.tailSeconds, 0.5);
    EXPECT_EQ(options.pluginPath, "p.so");
}

TEST(RenderOptions, DefaultsToTheDemoWithHostLikeSettings) {
    const RenderOptions options = parseOptions({"-o", "demo.wav"});
    EXPECT_TRUE(options.input.empty());
    EXPECT_EQ(options.demoRate, 44100.0);
    EXPECT_EQ(options.blockSize, 512);
    EXPECT_EQ(options.tailSeconds, 2.0);
    EXPECT_TRUE(options.pluginPath.empty());
}

TEST(RenderOptions, HelpNeedsNoOutput) {
    EXPECT_TRUE(parseOptions({"--help"}).help);
}

TEST(RenderOptions, RejectsWhatItCannotUse) {
    EXPECT_EQ(parseError({"in.wav"}), "missing -o OUTPUT (see --help)");
    EXPECT_EQ(parseError({"-o", "x.wav", "--set", "Decay=loud"}),
              "--set Decay: 'loud' is not a number");
    EXPECT_EQ(parseError({"-o", "x.wav", "--set", "Decay=1.5"}),
              "--set Decay: 1.5 is outside the normalised range 0 to 1");
    EXPECT_EQ(parseError({"-o", "x.wav", "--set", "Decay"}),
              "--set expects NAME=VALUE, got 'Decay'");
    EXPECT_EQ(parseError({"-o", "x.wav", "--block", "12.5"}), "--block must be a whole number");
    EXPECT_EQ(parseError({"-o", "x.wav", "--rate", "fast"}), "--rate: 'fast' is not a number");
    EXPECT_EQ(parseError({"-o", "x.wav", "--tail", "-1"}),
              "--tail: -1 is out of range (0 to 3600)");
    EXPECT_EQ(parseError({"-o", "x.wav", "--tail"}), "--tail needs a value");
    EXPECT_EQ(parseError({"-o", "x.wav", "--loud"}), "unknown option --loud (see --help)");
    EXPECT_EQ(parseError({"a.wav", "b.wav", "-o", "x.wav"}),
              "more than one input file given ('a.wav' and 'b.wav')");
}

TEST(ParameterNames, MatchIgnoresCaseAndSpaces) {
    const std::vector<std::string> names = {"Output", "Mix", "Decay", "DryLevel"};
    EXPECT_EQ(findParameter(names, "decay"), 2);
    EXPECT_EQ(findParameter(names, "MIX"), 1);
    EXPECT_EQ(findParameter(names, "Dry Level"), 3);
    EXPECT_EQ(findParameter(names, "Deca"), -1);
    EXPECT_EQ(findParameter(names, ""), -1);
}

TEST(OutputFormat, ExtensionPicksTheEncoding) {
    EXPECT_EQ(outputFormatFor("a/b.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    EXPECT_EQ(outputFormatFor("b.WAV"), SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    EXPECT_EQ(outputFormatFor("b.flac"), SF_FORMAT_FLAC | SF_FORMAT_PCM_24);
    EXPECT_EQ(outputFormatFor("b.aif"), SF_FORMAT_AIFF | SF_FORMAT_PCM_24);
    EXPECT_EQ(outputFormatFor("b.aiff"), SF_FORMAT_AIFF | SF_FORMAT_PCM_24);
    EXPECT_EQ(outputFormatFor("b.ogg"), SF_FORMAT_OGG | SF_FORMAT_VORBIS);
    EXPECT_THROW(outputFormatFor("b.mp3"), RenderError);
    EXPECT_THROW(outputFormatFor("noextension"), RenderError);
}

TEST(LevelMeter, MeasuresEachChannelAndFlagsBrokenSamples) {
    LevelMeter meter;
    const float left[] = {0.5f, -0.5f, 0.5f, -0.5f};
    const float right[] = {0.0f, 0.0f, 0.0f, 1.0f};
    meter.add(left, right, 4);
    EXPECT_NEAR(meter.peakDb(0), -6.02, 0.01);
    EXPECT_NEAR(meter.rmsDb(0), -6.02, 0.01);
    EXPECT_NEAR(meter.peakDb(1), 0.0, 1e-9);
    EXPECT_NEAR(meter.rmsDb(1), -6.02, 0.01);
    EXPECT_EQ(meter.summary(4.0),
              "1.00 s, peak -6.0 / 0.0 dBFS, RMS -6.0 / -6.0 dBFS (left / right)");

    LevelMeter silentAndBroken;
    const float silent[] = {0.0f, 0.0f};
    const float broken[] = {NAN, 0.0f};
    silentAndBroken.add(silent, broken, 2);
    EXPECT_EQ(silentAndBroken.summary(2.0), "1.00 s, peak -inf / -inf dBFS, RMS -inf / -inf "
                                            "dBFS (left / right), 1 non-finite samples");
}

TEST(DemoExcitation, IsAFewSecondsOfRepeatableStereoHits) {
    const lyrehost::StereoBuffer demo = demoExcitation(22050.0);
    ASSERT_EQ(demo.left.size(), static_cast<std::size_t>(kDemoSeconds * 22050.0));
    ASSERT_EQ(demo.right.size(), demo.left.size());
    float peak = 0.0f;
    double difference = 0.0;
    for (std::size_t i = 0; i < demo.left.size(); ++i) {
        ASSERT_TRUE(std::isfinite(demo.left[i]) && std::isfinite(demo.right[i]));
        peak = std::max({peak, std::abs(demo.left[i]), std::abs(demo.right[i])});
        difference += std::abs(demo.left[i] - demo.right[i]);
    }
    EXPECT_NEAR(peak, 0.5f, 1e-6f);
    EXPECT_GT(difference, 1.0); // panned hits: not dual mono
    EXPECT_EQ(demoExcitation(22050.0).left, demo.left);
}

} // namespace
