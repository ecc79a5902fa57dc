// Preset and bank files: where a chosen path is remembered and which file is opened.
// Paths are split at the platform's separators ('/', and '\\' on Windows); the working
// directory of the process is never changed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace recordfiles {

// 256 characters and a terminator, like the path buffers of the file dialogs.
inline constexpr std::size_t kPathBufferSize = 257;

// Copies the text after the last separator into fileName and the text up to and including it
// into directory, its separators in the platform's spelling. A path without a separator, or
// one whose directory or name does not fit a buffer, leaves both buffers as they were: a path
// is never shortened into a different one. Returns whether the buffers were replaced.
bool splitPath(const char* path, char* fileName, char* directory);

// The file a command acts on: the chosen path as given, or, for a bare name, that name in the
// remembered directory.
std::string targetPath(const char* path, const char* directory);

// Fills at most `size` bytes of a zeroed buffer from the file; a missing or unreadable file
// leaves it zero and a longer one is read only that far.
void read(const std::string& path, std::uint8_t* buffer, std::size_t size) noexcept;

// Replaces the file with exactly `size` bytes, atomically.
bool write(const std::string& path, const std::uint8_t* data, std::size_t size) noexcept;

} // namespace recordfiles
