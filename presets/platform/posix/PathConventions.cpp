#include "presets/PathConventions.h"

#include <unistd.h>

namespace paths {

bool isSeparator(char c) {
    return c == '/';
}

char separator() {
    return '/';
}

bool workingDirectory(char* buffer, std::size_t size) noexcept {
    if (size == 0) return false;
    if (::getcwd(buffer, size)) return true;
    buffer[0] = 0;
    return false;
}

} // namespace paths
