// A private, empty configuration directory for the per-user store, made the process's
// XDG_CONFIG_HOME for the life of the object; set before any instance is created.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

class TempConfigHome {
  public:
    TempConfigHome() {
        std::string pattern = (std::filesystem::temp_directory_path() / "lyre-presets-XXXXXX");
        path_ = ::mkdtemp(pattern.data()) ? pattern : std::string();
        ::setenv("XDG_CONFIG_HOME", (path_ + "/config").c_str(), 1);
    }
    ~TempConfigHome() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempConfigHome(const TempConfigHome&) = delete;
    TempConfigHome& operator=(const TempConfigHome&) = delete;

    // A scratch folder beside the configuration, for preset and bank files.
    std::string root() const { return path_; }
    std::string keyDirectory() const { return path_ + "/config/Ostrandia/ZEMLyrebloom"; }

  private:
    std::string path_;
};
