// Reading and writing host streams from their current position, as hosts pass sub-streams of
// their own files: never seek, and count what each call really moved.
#pragma once

#include <cstdint>

#include "formats/vst3/Vst3Abi.h"

namespace vst3 {

// True only when all `size` bytes were read (short reads are continued).
bool readAll(v3_bstream** stream, void* buffer, int32_t size);
bool writeAll(v3_bstream** stream, const void* buffer, int32_t size);

} // namespace vst3
