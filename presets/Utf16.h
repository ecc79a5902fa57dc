// The remembered paths are UTF-8 in memory and UTF-16 in the settings store.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace utf16 {

// Nothing when the text is not valid UTF-8 (or not valid UTF-16); never a lossy result.
std::optional<std::u16string> fromUtf8(std::string_view text);
std::optional<std::string> toUtf8(std::u16string_view text);

} // namespace utf16
