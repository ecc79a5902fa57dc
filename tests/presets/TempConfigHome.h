// A private, empty per-user store for the life of the object, set up before any instance is
// created, with a scratch folder for preset and bank files. On Linux the store is a fresh
// XDG_CONFIG_HOME; on Windows it is the real registry key, emptied before and after (tests
// run in a throwaway wine prefix).
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

#ifdef _WIN32
#include <windows.h>

#include <atomic>
#else
#include <unistd.h>
#endif

// A path in the platform's own spelling: Windows writes every separator as a backslash.
inline std::string nativePath(std::string path) {
#ifdef _WIN32
    for (char& c : path)
        if (c == '/') c = '\\';
#endif
    return path;
}

class TempConfigHome {
  public:
    TempConfigHome() {
#ifdef _WIN32
        // wine reuses process ids, and a folder deeper than the classic path limit outlives its
        // test (remove_all cannot reach into it): take a name that is not there yet.
        static std::atomic<unsigned> serial{0};
        std::filesystem::path folder;
        do {
            folder = std::filesystem::temp_directory_path() /
                     ("lyre-presets-" + std::to_string(::GetCurrentProcessId()) + "-" +
                      std::to_string(serial.fetch_add(1)));
        } while (!std::filesystem::create_directories(folder));
        path_ = folder.string();
        clearRegistryKey();
#else
        std::string pattern = (std::filesystem::temp_directory_path() / "lyre-presets-XXXXXX");
        path_ = ::mkdtemp(pattern.data()) ? pattern : std::string();
        ::setenv("XDG_CONFIG_HOME", (path_ + "/config").c_str(), 1);
#endif
    }
    ~TempConfigHome() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
#ifdef _WIN32
        clearRegistryKey();
#endif
    }
    TempConfigHome(const TempConfigHome&) = delete;
    TempConfigHome& operator=(const TempConfigHome&) = delete;

    // A scratch folder beside the configuration, for preset and bank files.
    std::string root() const {
        return path_;
    }
#ifndef _WIN32
    std::string keyDirectory() const {
        return path_ + "/config/Ostrandia/ZEMLyrebloom";
    }
#endif

#ifdef _WIN32
    static void clearRegistryKey() {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, L"SOFTWARE\\Ostrandia\\ZEMLyrebloom");
    }
#endif

  private:
    std::string path_;
};
