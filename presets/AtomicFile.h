// Replacing a file so that a reader sees either the old contents or the new, never a part:
// a temporary file in the same directory, flushed to disk, then renamed over the target.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>

namespace atomicfile {

// Writes exactly `size` bytes. An existing target keeps its permissions; a new one gets
// `newFileMode` (after the process umask when `applyUmask`). False when anything failed;
// the target is then untouched.
bool replace(const std::string& path, const void* data, std::size_t size, mode_t newFileMode,
             bool applyUmask) noexcept;

// Reads at most `size` bytes from the start of the file; returns how many (0 when it cannot
// be opened or read).
std::size_t readPrefix(const std::string& path, void* buffer, std::size_t size) noexcept;

} // namespace atomicfile
