// One render: input through the plug-in into the output file, driven like a real host.
#pragma once

#include <string>

#include "host/render/RenderOptions.h"

namespace lyrerender {

// Returns the summary line. Throws RenderError; no output file exists after a failure.
std::string render(const RenderOptions& options);

} // namespace lyrerender
