#include "presets/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace atomicfile {
namespace {

// The umask without changing it (umask() itself would race with other threads).
mode_t currentUmask() {
    mode_t mask = 022;
    if (FILE* status = std::fopen("/proc/self/status", "re")) {
        char line[128];
        while (std::fgets(line, sizeof line, status)) {
            unsigned value;
            if (std::sscanf(line, "Umask: %o", &value) == 1) {
                mask = static_cast<mode_t>(value);
                break;
            }
        }
        std::fclose(status);
    }
    return mask;
}

bool writeAll(int fd, const void* data, std::size_t size) {
    const auto* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

std::string directoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

void syncDirectory(const std::string& directory) {
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// Settings are the user's alone; documents are 0666 less the umask.
mode_t modeForNewFile(NewFileAccess access) {
    return access == NewFileAccess::owner ? 0600 : 0666 & ~currentUmask();
}

} // namespace

bool replace(const std::string& path, const void* data, std::size_t size,
             NewFileAccess access) noexcept {
    try {
        const std::string directory = directoryOf(path);
        std::vector<char> temporary(directory.begin(), directory.end());
        const char suffix[] = "/.lyrebloom-XXXXXX";
        temporary.insert(temporary.end(), suffix, suffix + sizeof suffix);
        const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
        if (fd < 0) return false;

        struct stat existing {};
        const mode_t mode = ::stat(path.c_str(), &existing) == 0 ? existing.st_mode & 07777
                                                                 : modeForNewFile(access);
        const bool written =
            ::fchmod(fd, mode) == 0 && writeAll(fd, data, size) && ::fsync(fd) == 0;
        const bool closed = ::close(fd) == 0;
        if (!written || !closed || std::rename(temporary.data(), path.c_str()) != 0) {
            ::unlink(temporary.data());
            return false;
        }
        syncDirectory(directory);
        return true;
    } catch (...) {
        return false;
    }
}

std::size_t readPrefix(const std::string& path, void* buffer, std::size_t size) noexcept {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return 0;
    auto* p = static_cast<char*>(buffer);
    std::size_t total = 0;
    while (total < size) {
        const ssize_t n = ::read(fd, p + total, size - total);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        total += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return total;
}

} // namespace atomicfile
