// Choosing and loading programs through the plug-in's interface alone. The host sees a single
// program (effSetProgram does nothing), so every change goes through the chunk: read it,
// edit it, hand it back.
#pragma once

#include <string>
#include <vector>

#include "host/Plugin.h"
#include "host/render/ProgramFiles.h"
#include "host/render/RenderOptions.h"

namespace lyrerender {

// The six program names, through effGetProgramNameIndexed.
std::vector<std::string> programNames(lyrehost::Plugin& plugin);

// The index `wanted` names: a number 0..count-1, or a name matched ignoring case.
// Throws RenderError listing the valid choices.
int findProgram(const std::vector<std::string>& names, const std::string& wanted);

Chunk currentChunk(lyrehost::Plugin& plugin);
// Throws RenderError naming `source` when the plug-in refuses the chunk.
void loadChunk(lyrehost::Plugin& plugin, Bytes bytes, const std::string& source);

// --chunk, --bank, --preset and --program, in that order. Every file is read and checked
// before the first one is applied.
void applyProgramOptions(lyrehost::Plugin& plugin, const RenderOptions& options);

} // namespace lyrerender
