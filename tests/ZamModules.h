// Debian's zam-plugins, which prove our test hosts against modules we did not write: which of
// them a host test loads, and the block each is fed.
#pragma once

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

// Under the leak checker: the two convolution plug-ins leave their engine's buffers allocated
// after a complete close (every other module, through the same host calls, frees everything),
// whatever the interface they are loaded through.
inline bool leaksOnItsOwn(const std::filesystem::path& module) {
#if defined(__SANITIZE_ADDRESS__)
    const std::string stem = module.stem().string();
    return stem == "ZamHeadX2" || stem == "ZamVerb";
#else
    (void)module;
    return false;
#endif
}

// The zam-plugins modules in `folder` whose name ends in `extension`.
inline std::vector<std::string> zamModules(const char* folder, const char* extension) {
    std::vector<std::string> modules;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
        if (entry.path().extension() == extension &&
            entry.path().filename().string().rfind("Za", 0) == 0 && !leaksOnItsOwn(entry.path()))
            modules.push_back(entry.path().string());
    return modules;
}

// A stereo sine block in, an output poisoned with 9s until a module writes it.
struct ZamBlock {
    static constexpr int kFrames = 256;
    ZamBlock() {
        for (int i = 0; i < kFrames; ++i)
            inL[i] = inR[i] = 0.5f * std::sin(0.05f * static_cast<float>(i));
    }
    ZamBlock(const ZamBlock&) = delete; // the pointers below are into its own buffers
    bool outputFinite() const {
        for (int i = 0; i < kFrames; ++i)
            if (!std::isfinite(outL[i]) || !std::isfinite(outR[i])) return false;
        return true;
    }
    std::vector<float> inL = std::vector<float>(kFrames), inR = inL;
    std::vector<float> outL = std::vector<float>(kFrames, 9.0f), outR = outL;
    float* in[2] = {inL.data(), inR.data()};
    float* out[2] = {outL.data(), outR.data()};
};
