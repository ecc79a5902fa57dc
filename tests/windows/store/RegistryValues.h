// Reads the plug-in's registry values with the test's own key handle, asking for the kind,
// so the product's own store is not what checks itself.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

inline constexpr const wchar_t* kLyrebloomKey = L"SOFTWARE\\Ostrandia\\ZEMLyrebloom";

struct RawValue {
    bool present = false;
    DWORD type = REG_NONE;
    std::vector<std::uint8_t> bytes;
};

inline bool keyExists() {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kLyrebloomKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(key);
    return true;
}

inline RawValue readRaw(const wchar_t* name) {
    RawValue value;
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kLyrebloomKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return value;
    DWORD size = 0;
    if (::RegQueryValueExW(key, name, nullptr, &value.type, nullptr, &size) == ERROR_SUCCESS) {
        value.bytes.resize(size);
        value.present = ::RegQueryValueExW(key, name, nullptr, &value.type, value.bytes.data(),
                                           &size) == ERROR_SUCCESS;
        value.bytes.resize(size);
    }
    ::RegCloseKey(key);
    return value;
}

inline void writeRaw(const wchar_t* name, DWORD type, const std::vector<std::uint8_t>& bytes) {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kLyrebloomKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                          nullptr) != ERROR_SUCCESS)
        return;
    ::RegSetValueExW(key, name, 0, type, bytes.data(), static_cast<DWORD>(bytes.size()));
    ::RegCloseKey(key);
}

// The bytes a REG_SZ holds for this text: UTF-16 units and the terminating NUL.
inline std::vector<std::uint8_t> wideTextBytes(const std::wstring& text) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(text.c_str());
    return std::vector<std::uint8_t>(p, p + (text.size() + 1) * sizeof(wchar_t));
}

// UTF-8 to UTF-16 by the system, not by the code under test.
inline std::wstring wideOf(const std::string& utf8) {
    const int n = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                        static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()),
                          wide.data(), n);
    return wide;
}

inline std::string utf8Of(const std::wstring& wide) {
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                        nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), n,
                          nullptr, nullptr);
    return utf8;
}
