#include "presets/platform/posix/FileSettingsStore.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <optional>
#include <vector>

#include "presets/AtomicFile.h"
#include "presets/Utf16.h"

namespace {

constexpr mode_t kPrivateDirectory = 0700;

// A path component or value name that stays one plain file name.
std::optional<std::string> fileNameOf(std::u16string_view name) {
    auto utf8 = utf16::toUtf8(name);
    if (!utf8 || utf8->empty() || *utf8 == "." || *utf8 == ".." ||
        utf8->find_first_of(std::string("/\0", 2)) != std::string::npos)
        return std::nullopt;
    return utf8;
}

bool isRoot(std::u16string_view component) {
    constexpr std::u16string_view kRoot = u"SOFTWARE";
    if (component.size() != kRoot.size()) return false;
    for (std::size_t i = 0; i < kRoot.size(); ++i) {
        const char16_t c = component[i] >= u'a' && component[i] <= u'z'
                               ? static_cast<char16_t>(component[i] - u'a' + u'A')
                               : component[i];
        if (c != kRoot[i]) return false;
    }
    return true;
}

bool isDirectory(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Creates every missing directory of `path` below "/", each private to the user.
bool makeDirectories(const std::string& path) {
    for (std::size_t at = path.find('/', 1);; at = path.find('/', at + 1)) {
        const std::string prefix = path.substr(0, at);
        if (!isDirectory(prefix) && ::mkdir(prefix.c_str(), kPrivateDirectory) != 0 &&
            !(errno == EEXIST && isDirectory(prefix)))
            return false;
        if (at == std::string::npos) return true;
    }
}

class FileSettingsKey : public SettingsKey {
  public:
    explicit FileSettingsKey(std::string directory) : directory_(std::move(directory)) {}

    bool query(std::u16string_view name, SettingKind expected, void* buffer,
               std::uint32_t& size) override {
        const auto file = fileNameOf(name);
        if (!file) return false;
        // The file of the other kind, if any, is another value as far as the caller cares.
        const auto length = read(pathOf(*file, expected), buffer, size);
        if (!length) return false;
        size = *length;
        return true;
    }

    bool set(std::u16string_view name, SettingKind kind, const void* data,
             std::uint32_t size) override {
        const auto file = fileNameOf(name);
        if (!file ||
            !atomicfile::replace(pathOf(*file, kind), data, size, atomicfile::NewFileAccess::owner))
            return false;
        const SettingKind other =
            kind == SettingKind::binary ? SettingKind::text : SettingKind::binary;
        ::unlink(pathOf(*file, other).c_str());
        return true;
    }

    bool remove(std::u16string_view name) override {
        const auto file = fileNameOf(name);
        if (!file) return false;
        bool gone = true;
        for (const SettingKind k : {SettingKind::binary, SettingKind::text})
            gone &= ::unlink(pathOf(*file, k).c_str()) == 0 || errno == ENOENT;
        return gone;
    }

  private:
    std::string pathOf(const std::string& file, SettingKind kind) const {
        return directory_ + '/' + file + (kind == SettingKind::binary ? ".bin" : ".sz");
    }

    // The whole file when it is a regular file that fits; the buffer is written only then.
    static std::optional<std::uint32_t> read(const std::string& path, void* buffer,
                                             std::uint32_t capacity) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return std::nullopt;
        std::optional<std::uint32_t> result;
        struct stat info {};
        if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size <= capacity) {
            // One extra byte tells a file that grew since fstat; values are replaced by rename,
            // so the open file itself never changes.
            std::vector<char> bytes(static_cast<std::size_t>(info.st_size) + 1);
            std::size_t total = 0;
            for (;;) {
                const ssize_t n = ::read(fd, bytes.data() + total, bytes.size() - total);
                if (n < 0 && errno == EINTR) continue;
                if (n <= 0) break;
                total += static_cast<std::size_t>(n);
                if (total == bytes.size()) break;
            }
            if (total == static_cast<std::size_t>(info.st_size)) {
                std::copy(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(total),
                          static_cast<char*>(buffer));
                result = static_cast<std::uint32_t>(total);
            }
        }
        ::close(fd);
        return result;
    }

    std::string directory_;
};

} // namespace

std::string FileSettingsStore::configurationHome() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/') return xdg;
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return std::string(home) + "/.config";
    struct passwd entry {};
    struct passwd* found = nullptr;
    std::vector<char> scratch(16384);
    if (::getpwuid_r(::getuid(), &entry, scratch.data(), scratch.size(), &found) == 0 && found &&
        found->pw_dir && found->pw_dir[0] == '/')
        return std::string(found->pw_dir) + "/.config";
    return {};
}

std::string FileSettingsStore::keyDirectory(std::u16string_view path) {
    std::string directory = configurationHome();
    if (directory.empty()) return {};
    std::size_t start = 0;
    for (bool first = true;; first = false) {
        const std::size_t end = path.find(u'\\', start);
        const std::u16string_view component = path.substr(start, end - start);
        if (first) {
            if (!isRoot(component)) return {};
        } else {
            const auto name = fileNameOf(component);
            if (!name) return {};
            directory += '/' + *name;
        }
        if (end == std::u16string_view::npos) return directory;
        start = end + 1;
    }
}

std::unique_ptr<SettingsKey> FileSettingsStore::createKey(std::u16string_view path) {
    std::string directory = keyDirectory(path);
    if (directory.empty() || !makeDirectories(directory)) return nullptr;
    return std::make_unique<FileSettingsKey>(std::move(directory));
}

std::unique_ptr<SettingsKey> FileSettingsStore::openKey(std::u16string_view path,
                                                        Access /*access*/) {
    std::string directory = keyDirectory(path);
    if (directory.empty() || !isDirectory(directory)) return nullptr;
    return std::make_unique<FileSettingsKey>(std::move(directory));
}

std::unique_ptr<SettingsStore> makeUserSettingsStore() {
    return std::make_unique<FileSettingsStore>();
}
