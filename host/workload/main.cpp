// lyrebloom-workload: renders the fixed workload through a plug-in module loaded by its entry
// and prints the hashes of its input, output and host texts. Built for every platform, so the
// same session can be compared between the Linux module and the Windows DLLs.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "host/Plugin.h"
#include "host/workload/Workload.h"
#include "host/workload/X87ControlWord.h"

namespace {

constexpr const char* kUsage =
    "usage: lyrebloom-workload MODULE [--raw FILE] [--x87-precision 24|53|64] [--seed N]\n"
    "                          [--as-vst3-host]\n"
    "  MODULE               a VST 2.4 module, a VST 3 bundle or module (name ends in .vst3)\n"
    "                       or a CLAP module (name ends in .clap)\n"
    "  --raw FILE           also write every output frame (left, right) as raw floats\n"
    "  --x87-precision N    run the session with the x87 unit at N bits, as a host may leave it\n"
    "  --seed N             another random session (the default one is what builds compare)\n"
    "  --as-vst3-host       drive a VST 2.4 module as a VST 3 host can (the comparable session)\n";

int fail(const std::string& message) {
    std::fprintf(stderr, "lyrebloom-workload: %s\n", message.c_str());
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    try {
        std::string module, rawPath;
        lyreworkload::WorkloadOptions options;
        for (int i = 1; i < argc; ++i) {
            const std::string arg = argv[i];
            const bool hasValue = i + 1 < argc;
            if (arg == "--raw" && hasValue) {
                rawPath = argv[++i];
            } else if (arg == "--x87-precision" && hasValue) {
                if (!lyreworkload::kHasX87) return fail("this processor has no x87 unit");
                const auto word = lyreworkload::withPrecision(lyreworkload::readX87ControlWord(),
                                                              std::atoi(argv[++i]));
                if (!word) return fail("x87 precision must be 24, 53 or 64");
                options.hostControlWord = *word;
            } else if (arg == "--seed" && hasValue) {
                options.seed = std::strtoull(argv[++i], nullptr, 0);
            } else if (arg == "--as-vst3-host") {
                options.asVst3Host = true;
            } else if (arg == "--help" || arg == "-h") {
                std::fputs(kUsage, stdout);
                return 0;
            } else if (module.empty() && !arg.empty() && arg[0] != '-') {
                module = arg;
            } else {
                std::fputs(kUsage, stderr);
                return 2;
            }
        }
        if (module.empty()) {
            std::fputs(kUsage, stderr);
            return 2;
        }

        auto endsWith = [&](const char* suffix) {
            const std::string s = suffix;
            return module.size() > s.size() &&
                   module.compare(module.size() - s.size(), s.size(), s) == 0;
        };
        const bool vst3 = endsWith(".vst3"), clap = endsWith(".clap");
        lyrehost::Plugin plugin;
        lyrehost::Vst3Plugin plugin3;
        lyrehost::ClapPlugin pluginClap;
        if (const std::string error = clap   ? pluginClap.load(module)
                                      : vst3 ? plugin3.load(module)
                                             : plugin.load(module);
            !error.empty())
            return fail(error);
        std::FILE* raw = nullptr;
        if (!rawPath.empty()) {
            raw = std::fopen(rawPath.c_str(), "wb");
            if (!raw) return fail("cannot write " + rawPath);
        }
        options.raw = raw;
        const lyreworkload::WorkloadTotals totals =
            clap   ? lyreworkload::runWorkload(pluginClap, options)
            : vst3 ? lyreworkload::runWorkload(plugin3, options)
                   : lyreworkload::runWorkload(plugin, options);
        plugin.unload();
        plugin3.unload();
        pluginClap.unload();
        const bool closed = !raw || std::fclose(raw) == 0;

        std::printf("input %s\n", totals.input.hex().c_str());
        std::printf("output %s\n", totals.output.hex().c_str());
        std::printf("texts %s\n", totals.texts.hex().c_str());
        std::printf("frames %llu\nblocks %llu\ntext-count %llu\n",
                    static_cast<unsigned long long>(totals.frames),
                    static_cast<unsigned long long>(totals.blocks),
                    static_cast<unsigned long long>(totals.textCount));
        std::printf("parameter-changes %llu\nprogram-switches %llu\nresets %llu\n"
                    "transpositions %llu\nsample-rates %llu\n",
                    static_cast<unsigned long long>(totals.parameterChanges),
                    static_cast<unsigned long long>(totals.programSwitches),
                    static_cast<unsigned long long>(totals.resets),
                    static_cast<unsigned long long>(totals.transpositions),
                    static_cast<unsigned long long>(totals.sampleRates));
        std::printf("x87-control-word-changes %llu\n",
                    static_cast<unsigned long long>(totals.controlWordChanges));
        if (totals.rawWriteFailed || !closed) return fail("cannot write " + rawPath);
        return 0;
    } catch (const std::exception& error) {
        return fail(error.what());
    }
}
