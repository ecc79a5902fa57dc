#include "presets/PathConventions.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "presets/platform/win32/WidePath.h"

namespace paths {

bool isSeparator(char c) {
    return c == '\\' || c == '/';
}

char separator() {
    return '\\';
}

bool workingDirectory(char* buffer, std::size_t size) noexcept {
    if (size == 0) return false;
    buffer[0] = 0;
    try {
        const DWORD needed = ::GetCurrentDirectoryW(0, nullptr);
        if (needed == 0) return false;
        std::vector<wchar_t> wide(needed);
        const DWORD length = ::GetCurrentDirectoryW(needed, wide.data());
        if (length == 0 || length >= needed) return false;
        auto utf8 = widepath::toUtf8(std::wstring_view(wide.data(), length));
        if (!utf8) return false;
        if (utf8->empty() || !isSeparator(utf8->back())) *utf8 += '\\';
        if (utf8->size() >= size) return false;
        std::memcpy(buffer, utf8->c_str(), utf8->size() + 1);
        return true;
    } catch (...) {
        return false;
    }
}

} // namespace paths
