// The settings store as files under the user's configuration directory,
// ${XDG_CONFIG_HOME:-$HOME/.config}. A key path keeps its components as directories, with the
// leading "SOFTWARE" standing for the configuration directory itself; each value is one file
// named after the value, its extension giving the kind (".bin" binary, ".sz" text), its
// contents the value's exact bytes. Directories are created 0700, files 0600; every write
// replaces the file atomically, so processes sharing the store never read a part of a value.
#pragma once

#include <string>

#include "presets/SettingsStore.h"

class FileSettingsStore : public SettingsStore {
  public:
    // The configuration directory is looked up on every open, so it follows the environment.
    FileSettingsStore() = default;

    std::unique_ptr<SettingsKey> createKey(std::u16string_view path) override;
    std::unique_ptr<SettingsKey> openKey(std::u16string_view path, Access access) override;

    // Where a key path lives; empty when the path cannot be mapped.
    static std::string keyDirectory(std::u16string_view path);
    static std::string configurationHome();
};
