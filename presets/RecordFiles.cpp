#include "presets/RecordFiles.h"

#include <cstring>

#include "presets/AtomicFile.h"

namespace recordfiles {

bool splitPath(const char* path, char* fileName, char* directory) {
    if (!path) return false;
    const char* slash = std::strrchr(path, '/');
    if (!slash) return false;
    const std::size_t directoryLength = static_cast<std::size_t>(slash - path) + 1;
    const std::size_t nameLength = std::strlen(slash + 1);
    if (directoryLength >= kPathBufferSize || nameLength >= kPathBufferSize) return false;
    std::memcpy(directory, path, directoryLength);
    directory[directoryLength] = 0;
    std::memcpy(fileName, slash + 1, nameLength + 1);
    return true;
}

std::string targetPath(const char* path, const char* directory) {
    std::string target = path ? path : "";
    if (target.find('/') != std::string::npos || !directory || !*directory) return target;
    std::string joined = directory;
    if (joined.back() != '/') joined += '/';
    return joined + target;
}

void read(const std::string& path, std::uint8_t* buffer, std::size_t size) noexcept {
    atomicfile::readPrefix(path, buffer, size);
}

bool write(const std::string& path, const std::uint8_t* data, std::size_t size) noexcept {
    // A new file is an ordinary user document: 0666 less the umask, as any editor makes it.
    return atomicfile::replace(path, data, size, 0666, true);
}

} // namespace recordfiles
