#include "presets/platform/win32/WidePath.h"

#include <windows.h>

#include "presets/Utf16.h"

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide characters are UTF-16 units");

namespace widepath {
namespace {

bool isSlash(wchar_t c) {
    return c == L'\\' || c == L'/';
}

// "C:\..." or "\\server\share\...": the forms the "\\?\" prefix accepts once every slash is
// a backslash.
std::wstring withLongPrefix(std::wstring path) {
    for (wchar_t& c : path)
        if (c == L'/') c = L'\\';
    if (path.rfind(L"\\\\?\\", 0) == 0) return path;
    const bool drive = path.size() > 2 && path[1] == L':' && path[2] == L'\\';
    if (drive) return L"\\\\?\\" + path;
    if (path.size() > 2 && path[0] == L'\\' && path[1] == L'\\')
        return L"\\\\?\\UNC" + path.substr(1);
    return path;
}

} // namespace

std::optional<std::wstring> fromUtf8(const std::string& path) {
    const auto units = utf16::fromUtf8(path);
    if (!units) return std::nullopt;
    std::wstring wide(units->begin(), units->end());
    // Directories stop at MAX_PATH - 12 without the prefix.
    if (wide.size() >= MAX_PATH - 12 && wide.size() > 2 && (wide[1] == L':' || isSlash(wide[0])))
        return withLongPrefix(std::move(wide));
    return wide;
}

std::optional<std::string> toUtf8(std::wstring_view text) {
    const std::u16string units(text.begin(), text.end());
    return utf16::toUtf8(units);
}

} // namespace widepath
