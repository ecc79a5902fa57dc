// Replacing a file so that a reader sees either the old contents or the new, never a part:
// a temporary file in the same directory, flushed to disk, then renamed over the target.
// Paths are UTF-8 and always used whole; the working directory is never changed.
#pragma once

#include <cstddef>
#include <string>

namespace atomicfile {

// Who may read a file the replacement creates; an existing target keeps what it has.
enum class NewFileAccess {
    owner,    // private to the user (settings)
    document, // an ordinary user document, as any editor makes it
};

// Writes exactly `size` bytes. False when anything failed; the target is then untouched and
// no temporary file is left behind.
bool replace(const std::string& path, const void* data, std::size_t size,
             NewFileAccess access) noexcept;

// Reads at most `size` bytes from the start of the file; returns how many (0 when it cannot
// be opened or read).
std::size_t readPrefix(const std::string& path, void* buffer, std::size_t size) noexcept;

} // namespace atomicfile
