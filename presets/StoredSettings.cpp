#include "presets/StoredSettings.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "presets/RecordFiles.h"
#include "presets/Utf16.h"

namespace settings {
namespace {

constexpr std::size_t kTextUnits = kTextQueryBytes / 2;

void loadText(SettingsKey* key, std::u16string_view name, char* path) {
    path[0] = 0;
    if (!key) return;
    std::uint8_t bytes[kTextQueryBytes] = {};
    std::uint32_t size = sizeof bytes;
    if (!key->query(name, SettingKind::text, bytes, size) || size % 2 != 0) return;
    std::u16string units;
    for (std::size_t i = 0; i < kTextUnits; ++i) {
        char16_t unit;
        std::memcpy(&unit, bytes + 2 * i, 2);
        if (unit == 0) break;
        units += unit;
    }
    const auto utf8 = utf16::toUtf8(units);
    if (utf8 && utf8->size() < recordfiles::kPathBufferSize)
        std::memcpy(path, utf8->c_str(), utf8->size() + 1);
}

void storeText(SettingsKey& key, std::u16string_view name, const char* path) {
    std::u16string units = utf16::fromUtf8(path).value_or(std::u16string());
    units += char16_t{0};
    const auto size = static_cast<std::uint32_t>(units.size() * 2);
    std::vector<std::uint8_t> bytes(size);
    std::memcpy(bytes.data(), units.data(), size);
    key.set(name, SettingKind::text, bytes.data(), size);
}

} // namespace

void storeRecord(SettingsStore& store, std::u16string_view name, const std::uint8_t* record,
                 std::size_t size) noexcept {
    try {
        if (auto key = store.createKey(kKeyPath))
            key->set(name, SettingKind::binary, record, static_cast<std::uint32_t>(size));
    } catch (...) {
    }
}

void loadRecord(SettingsStore& store, std::u16string_view name, std::uint8_t* record,
                std::size_t size) noexcept {
    try {
        auto key = store.openKey(kKeyPath, SettingsStore::Access::query);
        if (!key) return;
        std::vector<std::uint8_t> value(size);
        std::uint32_t length = static_cast<std::uint32_t>(size);
        if (key->query(name, SettingKind::binary, value.data(), length) && length == size)
            std::copy(value.begin(), value.end(), record);
    } catch (...) {
    }
}

void deleteValue(SettingsStore& store, std::u16string_view name) noexcept {
    try {
        if (auto key = store.openKey(kKeyPath, SettingsStore::Access::set)) key->remove(name);
    } catch (...) {
    }
}

void loadPaths(SettingsStore& store, const PathBuffers& paths) noexcept {
    try {
        auto key = store.openKey(kKeyPath, SettingsStore::Access::query);
        loadText(key.get(), kCurrentDirectory, paths.directory);
        loadText(key.get(), kCurrentBank, paths.bankFileName);
        loadText(key.get(), kCurrentPreset, paths.presetFileName);
    } catch (...) {
        paths.directory[0] = paths.bankFileName[0] = paths.presetFileName[0] = 0;
    }
}

void storePaths(SettingsStore& store, const PathBuffers& paths) noexcept {
    try {
        auto key = store.createKey(kKeyPath);
        if (!key) return;
        storeText(*key, kCurrentDirectory, paths.directory);
        storeText(*key, kCurrentBank, paths.bankFileName);
        storeText(*key, kCurrentPreset, paths.presetFileName);
    } catch (...) {
    }
}

} // namespace settings
