// The command line of lyrebloom-render.
#pragma once

#include <string>
#include <vector>

namespace lyrerender {

struct ParameterSetting {
    std::string name;
    float value = 0.0f;
};

struct RenderOptions {
    std::string input; // empty: render the built-in demo
    std::string output;
    std::vector<ParameterSetting> settings;
    double demoRate = 44100.0;
    int blockSize = 512;
    double tailSeconds = 2.0;
    std::string pluginPath; // empty: found by locatePlugin()
    // Program state, applied in this order before the --set values.
    std::string chunkFile;
    std::string bankFile;
    std::string presetFile;
    std::string program;   // index or name; empty: leave the current program
    bool reversed = false; // read the bank's or preset's values in the other byte order
    std::string saveChunkFile;
    bool listPrograms = false;
    bool help = false;
};

// Throws RenderError with a one-line message for anything it cannot use. OUTPUT may be left
// out only with --list-programs or --save-chunk, which then run without rendering.
RenderOptions parseOptions(const std::vector<std::string>& args);
std::string usage();

} // namespace lyrerender
