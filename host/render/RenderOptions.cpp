#include "host/render/RenderOptions.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <sstream>

#include "host/render/RenderError.h"

namespace lyrerender {
namespace {

std::optional<double> toNumber(const std::string& text) {
    if (text.empty()) return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(text.c_str(), &end);
    if (errno != 0 || *end != '\0' || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::string plain(double value) {
    std::ostringstream text;
    text << value;
    return text.str();
}

double numberIn(const std::string& option, const std::string& text, double low, double high) {
    const std::optional<double> value = toNumber(text);
    if (!value) throw RenderError(option + ": '" + text + "' is not a number");
    if (*value < low || *value > high)
        throw RenderError(option + ": " + text + " is out of range (" + plain(low) + " to " +
                          plain(high) + ")");
    return *value;
}

ParameterSetting parseSetting(const std::string& text) {
    const std::size_t equals = text.find('=');
    if (equals == std::string::npos || equals == 0)
        throw RenderError("--set expects NAME=VALUE, got '" + text + "'");
    ParameterSetting setting;
    setting.name = text.substr(0, equals);
    const std::string value = text.substr(equals + 1);
    const std::optional<double> number = toNumber(value);
    if (!number) throw RenderError("--set " + setting.name + ": '" + value + "' is not a number");
    if (*number < 0.0 || *number > 1.0)
        throw RenderError("--set " + setting.name + ": " + value +
                          " is outside the normalised range 0 to 1");
    setting.value = static_cast<float>(*number);
    return setting;
}

} // namespace

RenderOptions parseOptions(const std::vector<std::string>& args) {
    RenderOptions options;
    bool haveOutput = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string option = args[i];
        std::optional<std::string> attached;
        if (option.rfind("--", 0) == 0) {
            if (const std::size_t equals = option.find('='); equals != std::string::npos) {
                attached = option.substr(equals + 1);
                option.resize(equals);
            }
        }
        const auto value = [&]() -> std::string {
            if (attached) return *attached;
            if (i + 1 >= args.size()) throw RenderError(option + " needs a value");
            return args[++i];
        };

        if (option == "-h" || option == "--help") {
            options.help = true;
        } else if (option == "-o" || option == "--output") {
            options.output = value();
            haveOutput = true;
        } else if (option == "--set") {
            options.settings.push_back(parseSetting(value()));
        } else if (option == "--rate") {
            options.demoRate = numberIn(option, value(), 8000.0, 768000.0);
        } else if (option == "--block") {
            const double block = numberIn(option, value(), 1.0, 65536.0);
            if (block != std::floor(block)) throw RenderError("--block must be a whole number");
            options.blockSize = static_cast<int>(block);
        } else if (option == "--tail") {
            options.tailSeconds = numberIn(option, value(), 0.0, 3600.0);
        } else if (option == "--plugin") {
            options.pluginPath = value();
        } else if (option == "--chunk") {
            options.chunkFile = value();
        } else if (option == "--bank") {
            options.bankFile = value();
        } else if (option == "--preset") {
            options.presetFile = value();
        } else if (option == "--program") {
            options.program = value();
            if (options.program.empty()) throw RenderError("--program needs an index or a name");
        } else if (option == "--reversed") {
            options.reversed = true;
        } else if (option == "--save-chunk") {
            options.saveChunkFile = value();
        } else if (option == "--list-programs") {
            options.listPrograms = true;
        } else if (option.size() > 1 && option[0] == '-') {
            throw RenderError("unknown option " + option + " (see --help)");
        } else if (options.input.empty()) {
            options.input = option;
        } else {
            throw RenderError("more than one input file given ('" + options.input + "' and '" +
                              option + "')");
        }
    }
    if (options.help) return options;
    if (options.reversed && options.bankFile.empty() && options.presetFile.empty())
        throw RenderError("--reversed needs --preset or --bank");
    if (options.listPrograms) return options;
    const bool chunkOnly = !haveOutput && !options.saveChunkFile.empty() && options.input.empty();
    if (!chunkOnly && (!haveOutput || options.output.empty()))
        throw RenderError("missing -o OUTPUT (see --help)");
    return options;
}

std::string usage() {
    return R"(Usage: lyrebloom-render [INPUT] -o OUTPUT [options]
       lyrebloom-render --list-programs [program options]
       lyrebloom-render --save-chunk FILE [program options] [--set NAME=VALUE]...

Runs an audio file through the ZEM Lyrebloom string resonator and writes the result.
Without INPUT it renders a built-in percussive demo phrase.

  INPUT                 audio file to process (WAV, FLAC, AIFF, OGG, ...; mono or stereo).
                        Mono input is fed to the plug-in as one input; the output is stereo.
  -o, --output OUTPUT   audio file to write; the extension picks the format:
                        .wav 32-bit float, .flac and .aif/.aiff 24-bit, .ogg Vorbis.
                        The file appears only once the render has succeeded.
  --set NAME=VALUE      set a parameter to a normalised value between 0 and 1 before
                        rendering; NAME is the plug-in's parameter name without spaces,
                        any case (for example --set Decay=0.8). Repeatable.
  --rate HZ             sample rate of the demo (default 44100). Files keep their own rate.
  --block N             frames per processing block (default 512).
  --tail SECONDS        silence appended after the input so the strings ring out
                        (default 2.0; the demo uses it too).
  --plugin PATH         plug-in to load. Otherwise $LYREBLOOM_PLUGIN, then lyrebloom.so
                        next to this program, then the plug-in of the build tree (a
                        development build), then the installed one: ../lib/lxvst from
                        this program's folder (/usr/lib/lxvst for /usr/bin), then ~/.vst.

Programs (the plug-in holds six; applied in this order, before --set):
  --chunk FILE          start from a saved 368-byte plug-in state (see --save-chunk).
  --bank FILE.zeb       load all six programs from a bank file; program 0 becomes current.
  --preset FILE.zem     load a preset file into the current program.
  --reversed            with --bank or --preset: read the values in the byte order opposite
                        to the one the file's identifier announces, like the editor's
                        reversed load.
  --program INDEX|NAME  make a program current: its index 0 to 5 or its name, any case
                        (for example --program "almost reverb").
  --list-programs       print the six program names with their indexes and exit; the
                        options above apply first, and no OUTPUT is needed.
  --save-chunk FILE     write the plug-in state, after all options, as a 368-byte chunk
                        that --chunk reads back. Without -o nothing is rendered.
  -h, --help            show this help.

A progress bar is shown on a terminal for renders longer than 10 seconds. At the end one
line reports the duration and the peak and RMS levels of each channel.
Errors are reported on stderr with a non-zero exit status.
)";
}

} // namespace lyrerender
