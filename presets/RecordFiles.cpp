#include "presets/RecordFiles.h"

#include <cstring>

#include "presets/AtomicFile.h"
#include "presets/PathConventions.h"

namespace recordfiles {
namespace {

const char* lastSeparator(const char* path) {
    const char* found = nullptr;
    for (const char* p = path; *p; ++p)
        if (paths::isSeparator(*p)) found = p;
    return found;
}

} // namespace

bool splitPath(const char* path, char* fileName, char* directory) {
    if (!path) return false;
    const char* slash = lastSeparator(path);
    if (!slash) return false;
    const std::size_t directoryLength = static_cast<std::size_t>(slash - path) + 1;
    const std::size_t nameLength = std::strlen(slash + 1);
    if (directoryLength >= kPathBufferSize || nameLength >= kPathBufferSize) return false;
    // Written in the platform's own spelling, so a remembered directory always ends with the
    // platform's separator.
    for (std::size_t i = 0; i < directoryLength; ++i)
        directory[i] = paths::isSeparator(path[i]) ? paths::separator() : path[i];
    directory[directoryLength] = 0;
    std::memcpy(fileName, slash + 1, nameLength + 1);
    return true;
}

std::string targetPath(const char* path, const char* directory) {
    std::string target = path ? path : "";
    if (lastSeparator(target.c_str()) || !directory || !*directory) return target;
    std::string joined = directory;
    if (!paths::isSeparator(joined.back())) joined += paths::separator();
    return joined + target;
}

void read(const std::string& path, std::uint8_t* buffer, std::size_t size) noexcept {
    atomicfile::readPrefix(path, buffer, size);
}

bool write(const std::string& path, const std::uint8_t* data, std::size_t size) noexcept {
    return atomicfile::replace(path, data, size, atomicfile::NewFileAccess::document);
}

} // namespace recordfiles
