// Counts heap allocations made on the current thread while a window is open.
#pragma once

namespace alloccount {
void begin();
// Allocations since begin() on this thread.
long end();
} // namespace alloccount
