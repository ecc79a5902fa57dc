#include "presets/platform/win32/RegistrySettingsStore.h"

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// Registry names must be NUL-terminated; views are not.
std::wstring terminated(std::u16string_view text) {
    return std::wstring(text.begin(), text.end());
}

class RegistryKey : public SettingsKey {
  public:
    explicit RegistryKey(HKEY key) : key_(key) {}
    ~RegistryKey() override { ::RegCloseKey(key_); }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    // No type is asked for: the callers validate the bytes they get. A value too large for
    // the buffer leaves the registry's copy of it undefined, so the caller's buffer is only
    // written after a whole read.
    bool query(std::u16string_view name, SettingKind /*expected*/, void* buffer,
               std::uint32_t& size) override {
        std::vector<BYTE> scratch(size);
        DWORD length = size;
        if (::RegQueryValueExW(key_, terminated(name).c_str(), nullptr, nullptr, scratch.data(),
                               &length) != ERROR_SUCCESS ||
            length > size)
            return false;
        if (length > 0) std::memcpy(buffer, scratch.data(), length);
        size = length;
        return true;
    }

    bool set(std::u16string_view name, SettingKind kind, const void* data,
             std::uint32_t size) override {
        return ::RegSetValueExW(key_, terminated(name).c_str(), 0,
                                kind == SettingKind::binary ? REG_BINARY : REG_SZ,
                                static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
    }

    bool remove(std::u16string_view name) override {
        const LSTATUS status = ::RegDeleteValueW(key_, terminated(name).c_str());
        return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
    }

  private:
    HKEY key_;
};

} // namespace

std::unique_ptr<SettingsKey> RegistrySettingsStore::createKey(std::u16string_view path) {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, terminated(path).c_str(), 0, nullptr,
                          REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key,
                          nullptr) != ERROR_SUCCESS)
        return nullptr;
    return std::make_unique<RegistryKey>(key);
}

std::unique_ptr<SettingsKey> RegistrySettingsStore::openKey(std::u16string_view path,
                                                            Access access) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, terminated(path).c_str(), 0,
                        access == Access::query ? KEY_QUERY_VALUE : KEY_SET_VALUE,
                        &key) != ERROR_SUCCESS)
        return nullptr;
    return std::make_unique<RegistryKey>(key);
}

std::unique_ptr<SettingsStore> makeUserSettingsStore() {
    return std::make_unique<RegistrySettingsStore>();
}
