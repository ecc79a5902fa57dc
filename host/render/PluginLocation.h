// Which plug-in file the render tool loads.
#pragma once

#include <string>

namespace lyrerender {

// The explicit path if given, else $LYREBLOOM_PLUGIN, else lyrebloom.so beside the running
// executable, else the plug-in of the build tree this tool was built in.
std::string locatePlugin(const std::string& explicitPath);

} // namespace lyrerender
