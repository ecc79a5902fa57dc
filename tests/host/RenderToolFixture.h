// Running lyrebloom-render as a user runs it: a separate process, files in a scratch
// directory, and its own empty settings folder.
#pragma once

#include <gtest/gtest.h>
#include <sndfile.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace rendertest {

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

inline std::string quoted(const std::string& text) {
    std::string out = "'";
    for (const char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

inline std::string slurp(const fs::path& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

inline AudioFile readAudio(const fs::path& path) {
    AudioFile file;
    SNDFILE* handle = sf_open(path.c_str(), SFM_READ, &file.info);
    if (!handle) return file;
    file.samples.resize(static_cast<std::size_t>(file.info.frames * file.info.channels));
    sf_readf_float(handle, file.samples.data(), file.info.frames);
    sf_close(handle);
    return file;
}

inline void writeAudio(const fs::path& path, int channels, int rate,
                       const std::vector<float>& samples) {
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
inline std::vector<float> channelPeaks(const AudioFile& file) {
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
        // Stored defaults of the person running the tests must not leak in.
        command = "XDG_CONFIG_HOME=" + quoted(dir / "config") + " " + command;
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

} // namespace rendertest
