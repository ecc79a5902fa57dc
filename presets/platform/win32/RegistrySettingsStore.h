// The settings store as the current user's registry: keys under HKEY_CURRENT_USER, values of
// kind REG_BINARY or REG_SZ. The registry writes and reads a value whole, so every instance
// of every process sharing it sees either the old value or the new one.
#pragma once

#include "presets/SettingsStore.h"

class RegistrySettingsStore : public SettingsStore {
  public:
    std::unique_ptr<SettingsKey> createKey(std::u16string_view path) override;
    std::unique_ptr<SettingsKey> openKey(std::u16string_view path, Access access) override;
};
