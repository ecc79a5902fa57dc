// How this platform writes file paths: which characters separate directories and where a
// process stands. Paths are UTF-8 everywhere in the preset system.
#pragma once

#include <cstddef>

namespace paths {

// True for every character that ends a directory in a path ('/' here, also '\\' on Windows).
bool isSeparator(char c);

// The separator this platform writes when it joins a directory and a name.
char separator();

// The process's working directory, terminated, into a buffer of `size` bytes; false (buffer
// emptied) when it does not fit or cannot be had. On Windows it ends with a backslash like
// every remembered directory there.
bool workingDirectory(char* buffer, std::size_t size) noexcept;

} // namespace paths
