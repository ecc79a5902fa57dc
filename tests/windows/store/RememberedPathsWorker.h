// The other process of the remembered-paths test: an instance that saves one preset file
// through its editor object and closes.
#pragma once

#include <string>

namespace pathsworker {

inline constexpr const wchar_t* kFlag = L"--paths-worker";

// Answers 0 when the file was saved.
int run(const std::string& presetPath);

} // namespace pathsworker
