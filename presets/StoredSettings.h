// The preset system's values in the per-user store, under SOFTWARE\Ostrandia\ZEMLyrebloom:
// records as binary values of their exact size, remembered paths as UTF-16 text with a
// terminating NUL. Every failure is silent and reads as an absent value.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "presets/SettingsStore.h"

namespace settings {

inline constexpr std::u16string_view kKeyPath = u"SOFTWARE\\Ostrandia\\ZEMLyrebloom";

inline constexpr std::u16string_view kDefaultPreset = u"DefaultPreset";
inline constexpr std::u16string_view kDefaultBank = u"DefaultBank";
inline constexpr std::u16string_view kMemoA = u"MemoA";
inline constexpr std::u16string_view kMemoB = u"MemoB";
inline constexpr std::u16string_view kCurrentDirectory = u"CurrDir";
inline constexpr std::u16string_view kCurrentBank = u"CurrBank";
inline constexpr std::u16string_view kCurrentPreset = u"CurrPreset";
inline constexpr std::u16string_view kEditorScale = u"EditorScale";

// 256 characters and the terminator, as UTF-16.
inline constexpr std::uint32_t kTextQueryBytes = 514;

void storeRecord(SettingsStore& store, std::u16string_view name, const std::uint8_t* record,
                 std::size_t size) noexcept;
// Leaves the caller's zeroed buffer alone unless a binary value of exactly `size` bytes is
// there; anything else is damage from outside and counts as absent.
void loadRecord(SettingsStore& store, std::u16string_view name, std::uint8_t* record,
                std::size_t size) noexcept;
void deleteValue(SettingsStore& store, std::u16string_view name) noexcept;

// The three remembered paths, each in a 257-byte UTF-8 buffer. Loading replaces all three,
// with empty text for anything absent, unreadable or too long for its buffer.
struct PathBuffers {
    char* directory;
    char* bankFileName;
    char* presetFileName;
};
void loadPaths(SettingsStore& store, const PathBuffers& paths) noexcept;
// A path that is not valid UTF-8 cannot be kept as UTF-16 and is stored empty.
void storePaths(SettingsStore& store, const PathBuffers& paths) noexcept;

} // namespace settings
