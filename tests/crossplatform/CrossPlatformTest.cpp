// The Linux module and each Windows DLL (under wine) render the same workload to the same
// bytes, show the same texts and derive the same values, also when the host has left the x87
// unit at 24-bit precision.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct ToolRun {
    int status = -1;
    std::string output;
};

std::string quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

ToolRun run(const std::vector<std::string>& command) {
    std::string line;
    for (const std::string& part : command)
        line += quoted(part) + " ";
    line += "2>&1";
    ToolRun result;
    FILE* pipe = ::popen(line.c_str(), "r");
    if (!pipe) return result;
    char buffer[4096];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
        result.output.append(buffer, n);
    const int status = ::pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

// "key value..." lines of the tools' reports.
std::map<std::string, std::string> report(const std::string& text) {
    std::map<std::string, std::string> values;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back(); // wine's console
        const auto space = line.find(' ');
        if (space != std::string::npos) values[line.substr(0, space)] = line.substr(space + 1);
    }
    return values;
}

std::string windowsPath(const fs::path& path) {
    std::string out = "Z:" + fs::absolute(path).string();
    for (char& c : out)
        if (c == '/') c = '\\';
    return out;
}

// The machine field of a PE file's header: 0x14c for x86, 0x8664 for x64.
std::optional<std::uint16_t> peMachine(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    char header[0x40];
    if (!in.read(header, sizeof header) || header[0] != 'M' || header[1] != 'Z') return {};
    std::uint32_t offset = 0;
    std::memcpy(&offset, header + 0x3C, sizeof offset);
    char signature[6];
    in.seekg(offset);
    if (!in.read(signature, sizeof signature) || std::memcmp(signature, "PE\0\0", 4) != 0)
        return {};
    return static_cast<std::uint16_t>(static_cast<unsigned char>(signature[4]) |
                                      static_cast<unsigned char>(signature[5]) << 8);
}

std::vector<fs::path> windowsBuildDirs() {
    const char* fromEnvironment = std::getenv("LYRE_WINDOWS_BUILD_DIRS");
    std::string list = fromEnvironment && *fromEnvironment ? fromEnvironment : WINDOWS_BUILD_DIRS;
    for (char& c : list)
        if (c == ';' || c == ':') c = '|';
    std::vector<fs::path> dirs;
    std::istringstream parts(list);
    std::string part;
    while (std::getline(parts, part, '|'))
        if (!part.empty()) dirs.emplace_back(part);
    return dirs;
}

struct WindowsBuild {
    fs::path dll, workload, sweep;
};

class CrossPlatform : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        // No stored defaults of the user's may change what the Linux module starts with.
        const fs::path config = fs::path(SCRATCH_DIR) / "config";
        fs::remove_all(config);
        fs::create_directories(config);
        ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    }

    // The first build tree holding a DLL of this machine type, with the tools next to it; the
    // test is skipped (saying why) when there is none or wine cannot start its programs.
    std::optional<WindowsBuild> windowsBuild(std::uint16_t machine, const char* arch) {
        std::string searched;
        for (const fs::path& dir : windowsBuildDirs()) {
            searched += " " + dir.string();
            const WindowsBuild build{dir / "ZEM Lyrebloom.dll", dir / "lyrebloom-workload.exe",
                                     dir / "lyre-derived-sweep.exe"};
            if (peMachine(build.dll) != machine || !fs::exists(build.workload) ||
                !fs::exists(build.sweep))
                continue;
            if (run({WINE_RUN, arch, prefix(arch), "--version"}).status != 0) {
                skipReason_ = std::string("wine cannot start ") + arch + " programs here";
                return {};
            }
            return build;
        }
        skipReason_ = std::string("no ") + arch +
                      " build with ZEM Lyrebloom.dll, lyrebloom-workload.exe and "
                      "lyre-derived-sweep.exe in:" +
                      searched + " (set LYRE_WINDOWS_BUILD_DIRS)";
        return {};
    }

    static std::string prefix(const char* arch) {
        return (fs::path(SCRATCH_DIR) / (std::string("wineprefix-") + arch)).string();
    }

    static ToolRun windows(const char* arch, const std::vector<std::string>& arguments) {
        std::vector<std::string> command = {WINE_RUN, arch, prefix(arch)};
        command.insert(command.end(), arguments.begin(), arguments.end());
        return run(command);
    }

    static const ToolRun& linuxWorkload() {
        static const ToolRun result = run({LINUX_WORKLOAD, LINUX_MODULE, "--raw", linuxRaw()});
        return result;
    }
    static std::string linuxRaw() { return (fs::path(SCRATCH_DIR) / "reference.raw").string(); }
    // The Linux VST 2.4 module in the session a VST 3 host can give: what every VST 3 module
    // must render.
    static const ToolRun& linuxVst3Reference() {
        static const ToolRun result =
            run({LINUX_WORKLOAD, LINUX_MODULE, "--as-vst3-host", "--raw", linuxVst3Raw()});
        return result;
    }
    static std::string linuxVst3Raw() {
        return (fs::path(SCRATCH_DIR) / "reference-vst3.raw").string();
    }

    // The DLL's workload against Linux; through the VST 3 bundle's module or the CLAP module
    // of this target, against the Linux module driven as a VST 3 host drives it (a CLAP host
    // can give the same session).
    enum class Via { vst2, vst3, clap };
    void workloadMatches(std::uint16_t machine, const char* arch, const char* precision,
                         Via via = Via::vst2) {
        const std::optional<WindowsBuild> build = windowsBuild(machine, arch);
        if (!build) GTEST_SKIP() << skipReason_;
        const fs::path bundle = build->dll.parent_path() / "ZEM Lyrebloom.vst3";
        const fs::path clap = build->dll.parent_path() / "ZEM Lyrebloom.clap";
        const fs::path module = via == Via::clap ? clap
                                : via == Via::vst3
                                    ? bundle / "Contents" /
                                          (machine == 0x14C ? "x86-win" : "x86_64-win") /
                                          "ZEM Lyrebloom.vst3"
                                    : build->dll;
        if (!fs::exists(module)) GTEST_SKIP() << "no " << module << " in the Windows build";
        const bool vst3 = via != Via::vst2;
        const ToolRun& reference = vst3 ? linuxVst3Reference() : linuxWorkload();
        ASSERT_EQ(reference.status, 0) << reference.output;
        const char* suffix = via == Via::clap ? "-clap.raw" : vst3 ? "-vst3.raw" : ".raw";
        const fs::path raw = fs::path(SCRATCH_DIR) / (std::string(arch) + suffix);
        std::vector<std::string> arguments = {build->workload.string(),
                                              windowsPath(via == Via::vst3   ? bundle
                                                          : via == Via::clap ? clap
                                                                             : build->dll),
                                              "--raw", windowsPath(raw)};
        if (precision) arguments.insert(arguments.end(), {"--x87-precision", precision});
        const ToolRun windowsRun = windows(arch, arguments);
        ASSERT_EQ(windowsRun.status, 0) << windowsRun.output;

        auto expected = report(reference.output), actual = report(windowsRun.output);
        ASSERT_GT(std::stoull(expected["frames"]), 300000u);
        ASSERT_GT(std::stoull(expected["blocks"]), 1000u);
        EXPECT_EQ(actual["input"], expected["input"]) << "the input itself differs";
        for (const char* key : {"frames", "blocks", "text-count", "parameter-changes",
                                "program-switches", "resets", "transpositions", "sample-rates"})
            EXPECT_EQ(actual[key], expected[key]) << key;
        EXPECT_EQ(actual["output"], expected["output"]);
        EXPECT_EQ(actual["texts"], expected["texts"]);
        EXPECT_EQ(actual["x87-control-word-changes"], "0");

        // Byte for byte, naming the first frame that differs.
        std::ifstream a(vst3 ? linuxVst3Raw() : linuxRaw(), std::ios::binary),
            b(raw, std::ios::binary);
        const std::string left((std::istreambuf_iterator<char>(a)), {});
        const std::string right((std::istreambuf_iterator<char>(b)), {});
        ASSERT_EQ(left.size(), right.size());
        const auto mismatch = std::mismatch(left.begin(), left.end(), right.begin());
        EXPECT_TRUE(mismatch.first == left.end())
            << "first difference at frame " << (mismatch.first - left.begin()) / 8;
    }

    void derivedValuesMatch(std::uint16_t machine, const char* arch) {
        const std::optional<WindowsBuild> build = windowsBuild(machine, arch);
        if (!build) GTEST_SKIP() << skipReason_;
        const ToolRun reference = run({LINUX_SWEEP});
        ASSERT_EQ(reference.status, 0) << reference.output;
        for (const char* precision : {"64", "53", "24"}) {
            const ToolRun windowsRun =
                windows(arch, {build->sweep.string(), "--x87-precision", precision});
            ASSERT_EQ(windowsRun.status, 0) << windowsRun.output;
            auto expected = report(reference.output), actual = report(windowsRun.output);
            EXPECT_EQ(actual["derived"], expected["derived"]) << precision << "-bit precision";
            EXPECT_EQ(actual["texts"], expected["texts"]) << precision << "-bit precision";
            EXPECT_EQ(actual["x87-control-word"], "kept") << precision << "-bit precision";
        }
    }

    std::string skipReason_;
};

constexpr std::uint16_t kX86 = 0x14C, kX64 = 0x8664;

TEST_F(CrossPlatform, LinuxRendersTheWorkloadTheSameTwice) {
    const ToolRun& first = linuxWorkload();
    ASSERT_EQ(first.status, 0) << first.output;
    const ToolRun second = run({LINUX_WORKLOAD, LINUX_MODULE});
    ASSERT_EQ(second.status, 0) << second.output;
    EXPECT_EQ(report(first.output)["output"], report(second.output)["output"]);
    // Another seed is another session: the hash does see the audio.
    const ToolRun other = run({LINUX_WORKLOAD, LINUX_MODULE, "--seed", "7"});
    ASSERT_EQ(other.status, 0) << other.output;
    EXPECT_NE(report(first.output)["output"], report(other.output)["output"]);
}

TEST_F(CrossPlatform, X86DllRendersTheWorkloadBitForBitAsLinux) {
    workloadMatches(kX86, "win32", nullptr);
}
TEST_F(CrossPlatform, X86DllRendersTheSameAtTheHosts24BitX87Precision) {
    workloadMatches(kX86, "win32", "24");
}
TEST_F(CrossPlatform, X86DerivedValuesAndTextsMatchLinuxAtEveryX87Precision) {
    derivedValuesMatch(kX86, "win32");
}
TEST_F(CrossPlatform, X64DllRendersTheWorkloadBitForBitAsLinux) {
    workloadMatches(kX64, "win64", nullptr);
}
TEST_F(CrossPlatform, X64DllRendersTheSameAtTheHosts24BitX87Precision) {
    workloadMatches(kX64, "win64", "24");
}
TEST_F(CrossPlatform, X64DerivedValuesAndTextsMatchLinuxAtEveryX87Precision) {
    derivedValuesMatch(kX64, "win64");
}
TEST_F(CrossPlatform, X86Vst3RendersTheWorkloadBitForBitAsLinux) {
    workloadMatches(kX86, "win32", nullptr, Via::vst3);
}
TEST_F(CrossPlatform, X86Vst3RendersTheSameAtTheHosts24BitX87Precision) {
    workloadMatches(kX86, "win32", "24", Via::vst3);
}
TEST_F(CrossPlatform, X64Vst3RendersTheWorkloadBitForBitAsLinux) {
    workloadMatches(kX64, "win64", nullptr, Via::vst3);
}
TEST_F(CrossPlatform, X86ClapRendersTheWorkloadBitForBitAsLinux) {
    workloadMatches(kX86, "win32", nullptr, Via::clap);
}
TEST_F(CrossPlatform, X64ClapRendersTheWorkloadBitForBitAsLinux) {
    workloadMatches(kX64, "win64", nullptr, Via::clap);
}

} // namespace
