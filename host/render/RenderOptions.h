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
    bool help = false;
};

// Throws RenderError with a one-line message for anything it cannot use.
RenderOptions parseOptions(const std::vector<std::string>& args);
std::string usage();

} // namespace lyrerender
