// One render: input through the plug-in into the output file, driven like a real host.
#pragma once

#include <string>

#include "host/render/RenderOptions.h"

namespace lyrerender {

// Returns the summary line. Throws RenderError; no output file exists after a failure.
std::string render(const RenderOptions& options);
// "INDEX NAME" lines for --list-programs, after the program options have been applied.
std::string listPrograms(const RenderOptions& options);
// --save-chunk without OUTPUT: applies the options and writes only the chunk.
std::string saveChunk(const RenderOptions& options);
// Whichever of the three the options ask for; the text to print, line ends included.
std::string run(const RenderOptions& options);

} // namespace lyrerender
