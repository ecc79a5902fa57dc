#include "host/render/ProgressBar.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace lyrerender {

ProgressBar::ProgressBar(std::int64_t totalFrames, double sampleRate)
    : total_(totalFrames),
      visible_(isatty(STDERR_FILENO) != 0 &&
               static_cast<double>(totalFrames) > kMinimumSeconds * sampleRate) {}

void ProgressBar::update(std::int64_t framesDone) {
    if (!visible_ || total_ <= 0) return;
    const int percent = static_cast<int>(std::min<std::int64_t>(100, framesDone * 100 / total_));
    if (percent == shownPercent_) return;
    shownPercent_ = percent;
    constexpr int kWidth = 40;
    const int filled = percent * kWidth / 100;
    const std::string bar = std::string(static_cast<std::size_t>(filled), '#') +
                            std::string(static_cast<std::size_t>(kWidth - filled), '.');
    std::fprintf(stderr, "\r[%s] %3d%%", bar.c_str(), percent);
    std::fflush(stderr);
}

void ProgressBar::finish() {
    if (!visible_ || shownPercent_ < 0) return;
    std::fprintf(stderr, "\r%*s\r", 48, "");
    std::fflush(stderr);
    shownPercent_ = -1;
}

} // namespace lyrerender
