// Matching the names typed on the command line to the plug-in's parameters.
#pragma once

#include <string>
#include <vector>

#include "host/Plugin.h"

namespace lyrerender {

// The names the plug-in reports through effGetParamName, spaces removed (" Decay " -> "Decay").
std::vector<std::string> parameterNames(lyrehost::Plugin& plugin);

// The index of `wanted` in `names`, ignoring case and spaces; -1 when there is none.
int findParameter(const std::vector<std::string>& names, const std::string& wanted);

} // namespace lyrerender
