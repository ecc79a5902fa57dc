// Windows file and registry calls take UTF-16; the preset system keeps UTF-8.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace widepath {

// The path as the wide-character file functions want it: nothing when it is not valid UTF-8.
// A full path too long for the classic limit gets the "\\?\" prefix, so a deep folder still
// opens.
std::optional<std::wstring> fromUtf8(const std::string& path);

// Wide text from the system as UTF-8; nothing for an unpaired surrogate.
std::optional<std::string> toUtf8(std::wstring_view text);

} // namespace widepath
