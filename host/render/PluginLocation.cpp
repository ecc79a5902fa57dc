#include "host/render/PluginLocation.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

namespace lyrerender {

namespace fs = std::filesystem;

std::string locatePlugin(const std::string& explicitPath) {
    if (!explicitPath.empty()) return explicitPath;
    if (const char* fromEnvironment = std::getenv("LYREBLOOM_PLUGIN");
        fromEnvironment && *fromEnvironment)
        return fromEnvironment;

    std::vector<fs::path> candidates;
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    if (!error) candidates.push_back(self.parent_path() / "lyrebloom.so");
#ifdef LYREBLOOM_BUILD_PLUGIN
    candidates.emplace_back(LYREBLOOM_BUILD_PLUGIN);
#endif
    // Installed: the packages put the plug-in in <prefix>/lib/lxvst beside <prefix>/bin; the
    // archive's per-user install puts it in ~/.vst.
    if (!error) candidates.push_back(self.parent_path().parent_path() / "lib/lxvst/lyrebloom.so");
    if (const char* home = std::getenv("HOME"); home && *home)
        candidates.push_back(fs::path(home) / ".vst/lyrebloom.so");

    for (const fs::path& candidate : candidates)
        if (fs::exists(candidate, error)) return candidate.string();
            // Nothing found: name the place this build would have used, so the error says where.
#ifdef LYREBLOOM_BUILD_PLUGIN
    return LYREBLOOM_BUILD_PLUGIN;
#else
    return candidates.empty() ? std::string("lyrebloom.so") : candidates.back().string();
#endif
}

} // namespace lyrerender
