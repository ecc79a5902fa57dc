#include "presets/AtomicFile.h"

#include <windows.h>

#include <atomic>
#include <cstdio>

#include "presets/platform/win32/WidePath.h"

namespace atomicfile {
namespace {

// Up to and including the last slash; empty for a bare name (the working directory).
std::wstring directoryOf(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

// A fresh name beside the target; CREATE_NEW makes a name another writer holds fail instead
// of sharing the file.
HANDLE createTemporary(const std::wstring& directory, std::wstring& name) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 64; ++attempt) {
        wchar_t suffix[64];
        std::swprintf(suffix, 64, L".lyrebloom-%08lx-%08x.tmp", ::GetCurrentProcessId(),
                      counter.fetch_add(1) ^ ::GetTickCount());
        name = directory + suffix;
        const HANDLE file = ::CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) return file;
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
    }
    return INVALID_HANDLE_VALUE;
}

bool writeAll(HANDLE file, const void* data, std::size_t size) {
    const auto* p = static_cast<const char*>(data);
    while (size > 0) {
        const DWORD chunk = size > 0x10000000 ? 0x10000000 : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!::WriteFile(file, p, chunk, &written, nullptr) || written == 0) return false;
        p += written;
        size -= written;
    }
    return true;
}

// A reader or a virus scanner may hold the target for a moment; the rename itself either
// happens whole or not at all.
bool moveOver(const std::wstring& from, const std::wstring& to) {
    for (int attempt = 0;; ++attempt) {
        if (::MoveFileExW(from.c_str(), to.c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        const DWORD error = ::GetLastError();
        if (attempt >= 5 || (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED &&
                             error != ERROR_LOCK_VIOLATION))
            return false;
        ::Sleep(10);
    }
}

} // namespace

// New files take the folder's inherited permissions, whatever `access` asks: on Windows the
// user's settings live in the registry, not in files.
bool replace(const std::string& path, const void* data, std::size_t size,
             NewFileAccess /*access*/) noexcept {
    try {
        const auto target = widepath::fromUtf8(path);
        if (!target || target->empty()) return false;
        std::wstring temporary;
        const HANDLE file = createTemporary(directoryOf(*target), temporary);
        if (file == INVALID_HANDLE_VALUE) return false;
        const bool written = writeAll(file, data, size) && ::FlushFileBuffers(file);
        const bool closed = ::CloseHandle(file) != 0;
        if (!written || !closed || !moveOver(temporary, *target)) {
            ::DeleteFileW(temporary.c_str());
            return false;
        }
        return true;
    } catch (...) {
        return false;
    }
}

std::size_t readPrefix(const std::string& path, void* buffer, std::size_t size) noexcept {
    try {
        const auto wide = widepath::fromUtf8(path);
        if (!wide) return 0;
        // Shared every way, so a reader never stops another program from saving.
        const HANDLE file = ::CreateFileW(wide->c_str(), GENERIC_READ,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return 0;
        auto* p = static_cast<char*>(buffer);
        std::size_t total = 0;
        while (total < size) {
            const std::size_t left = size - total;
            DWORD got = 0;
            if (!::ReadFile(file, p + total,
                            left > 0x10000000 ? 0x10000000 : static_cast<DWORD>(left), &got,
                            nullptr) ||
                got == 0)
                break;
            total += got;
        }
        ::CloseHandle(file);
        return total;
    } catch (...) {
        return 0;
    }
}

} // namespace atomicfile
