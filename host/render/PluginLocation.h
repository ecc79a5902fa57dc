// Which plug-in file the render tool loads.
#pragma once

#include <string>

namespace lyrerender {

// The explicit path if given, else $LYREBLOOM_PLUGIN, else the first that exists of:
// lyrebloom.so beside the running executable, the plug-in of the build tree this tool was built
// in (not in release packages), <prefix>/lib/lxvst/lyrebloom.so for a tool in <prefix>/bin,
// and ~/.vst/lyrebloom.so.
std::string locatePlugin(const std::string& explicitPath);

} // namespace lyrerender
