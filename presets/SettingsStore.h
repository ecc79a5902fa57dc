// The per-user store of the preset system's settings, with the operations of a registry: keys
// by path, named values of a kind (binary or text) holding exact bytes. Another platform's
// registry slots in behind the same interface.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

enum class SettingKind { binary, text };

// An open key; destroying it closes it.
class SettingsKey {
  public:
    virtual ~SettingsKey() = default;
    // Copies the value into buffer when it fits `size` bytes and sets size to its length. A
    // store that keeps kinds apart on reading answers false for a value not of `expected`; the
    // registry is asked for the bytes alone, so callers validate what they read. An absent,
    // unreadable or larger value answers false and leaves buffer and size alone.
    virtual bool query(std::u16string_view name, SettingKind expected, void* buffer,
                       std::uint32_t& size) = 0;
    // Creates or replaces the value.
    virtual bool set(std::u16string_view name, SettingKind kind, const void* data,
                     std::uint32_t size) = 0;
    // True when the value is gone afterwards, also when it was never there.
    virtual bool remove(std::u16string_view name) = 0;
};

class SettingsStore {
  public:
    enum class Access { query, set };

    virtual ~SettingsStore() = default;
    // Opens the key for writing, creating it and its parents when missing; null on failure.
    virtual std::unique_ptr<SettingsKey> createKey(std::u16string_view path) = 0;
    // Opens an existing key; null when it is absent.
    virtual std::unique_ptr<SettingsKey> openKey(std::u16string_view path, Access access) = 0;
};

// The current user's store on this platform.
std::unique_ptr<SettingsStore> makeUserSettingsStore();
