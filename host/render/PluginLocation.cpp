#include "host/render/PluginLocation.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace lyrerender {

std::string locatePlugin(const std::string& explicitPath) {
    if (!explicitPath.empty()) return explicitPath;
    if (const char* fromEnvironment = std::getenv("LYREBLOOM_PLUGIN");
        fromEnvironment && *fromEnvironment)
        return fromEnvironment;
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        const std::filesystem::path beside = self.parent_path() / "lyrebloom.so";
        if (std::filesystem::exists(beside, error)) return beside.string();
    }
    return LYREBLOOM_BUILD_PLUGIN;
}

} // namespace lyrerender
