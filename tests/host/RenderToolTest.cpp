// lyrebloom-render run as a user runs it: a separate process, files in a scratch directory.
#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "host/Plugin.h"
#include "host/render/ParameterNames.h"

namespace {

namespace fs = std::filesystem;

struct RunResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

struct AudioFile {
    SF_INFO info{};
    std::vector<float> samples; // interleaved
};

std::string quoted(const std::string& text) {
    std::string out = "'";
    for (const char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string slurp(const fs::path& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

AudioFile readAudio(const fs::path& path) {
    AudioFile file;
    SNDFILE* handle = sf_open(path.c_str(), SFM_READ, &file.info);
    if (!handle) return file;
    file.samples.resize(static_cast<std::size_t>(file.info.frames * file.info.channels));
    sf_readf_float(handle, file.samples.data(), file.info.frames);
    sf_close(handle);
    return file;
}

void writeAudio(const fs::path& path, int channels, int rate, const std::vector<float>& samples) {
    SF_INFO info{};
    info.channels = channels;
    info.samplerate = rate;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* handle = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(handle, nullptr) << sf_strerror(nullptr);
    sf_writef_float(handle, samples.data(), static_cast<sf_count_t>(samples.size()) / channels);
    sf_close(handle);
}

// Peak of each channel; a NaN or infinity anywhere makes the result NaN.
std::vector<float> channelPeaks(const AudioFile& file) {
    const auto channels = static_cast<std::size_t>(file.info.channels);
    std::vector<float> peaks(channels, 0.0f);
    for (std::size_t i = 0; i < file.samples.size(); ++i) {
        const float sample = file.samples[i];
        if (!std::isfinite(sample)) return std::vector<float>(channels, NAN);
        peaks[i % channels] = std::max(peaks[i % channels], std::abs(sample));
    }
    return peaks;
}

class RenderTool : public testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::path(testing::TempDir()) / "lyrebloom-render-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir = pattern;
        workDir = dir / "work";
        fs::create_directory(workDir);
    }
    void TearDown() override { fs::remove_all(dir); }

    static bool pluginBuilt() { return fs::exists(LYREBLOOM_SO); }

    // Runs the tool with the built plug-in unless the arguments name another.
    RunResult run(std::vector<std::string> args, bool withPlugin = true) const {
        if (withPlugin) {
            args.push_back("--plugin");
            args.push_back(LYREBLOOM_SO);
        }
        std::string command = quoted(RENDER_TOOL);
        for (const std::string& arg : args)
            command += " " + quoted(arg);
        command += " >" + quoted(dir / "stdout") + " 2>" + quoted(dir / "stderr") + " </dev/null";
        RunResult result;
        const int status = std::system(command.c_str());
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.out = slurp(dir / "stdout");
        result.err = slurp(dir / "stderr");
        return result;
    }

    std::vector<std::string> workFiles() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(workDir))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    // A failed render: non-zero exit, one prefixed line on stderr, and nothing new in workDir.
    void expectCleanFailure(const std::vector<std::string>& args, const std::string& message,
                            bool withPlugin = true) {
        const std::vector<std::string> before = workFiles();
        const RunResult result = run(args, withPlugin);
        EXPECT_NE(result.exitCode, 0);
        EXPECT_EQ(result.err.rfind("lyrebloom-render: ", 0), 0u) << result.err;
        EXPECT_NE(result.err.find(message), std::string::npos) << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
        EXPECT_TRUE(result.out.empty()) << result.out;
        EXPECT_EQ(workFiles(), before);
    }

    fs::path out(const std::string& name) const { return workDir / name; }

    fs::path dir;
    fs::path workDir;
};

TEST_F(RenderTool, HelpDocumentsEveryOption) {
    const RunResult result = run({"--help"}, false);
    EXPECT_EQ(result.exitCode, 0);
    for (const char* option : {"-o", "--set", "--rate", "--block", "--tail", "--plugin", "--help"})
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
