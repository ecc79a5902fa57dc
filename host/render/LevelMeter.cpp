#include "host/render/LevelMeter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace lyrerender {
namespace {

double toDb(double level) {
    return level > 0.0 ? 20.0 * std::log10(level) : -std::numeric_limits<double>::infinity();
}

std::string formatDb(double db) {
    if (std::isinf(db)) return "-inf";
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", db);
    return text;
}

} // namespace

void LevelMeter::add(const float* left, const float* right, std::size_t frames) {
    const float* channels[2] = {left, right};
    for (std::size_t c = 0; c < 2; ++c) {
        for (std::size_t i = 0; i < frames; ++i) {
            const double sample = channels[c][i];
            if (!std::isfinite(sample)) {
                ++nonFinite_;
                continue;
            }
            peak_[c] = std::max(peak_[c], std::abs(sample));
            sumOfSquares_[c] += sample * sample;
        }
    }
    frames_ += frames;
}

double LevelMeter::peakDb(int channel) const {
    return toDb(peak_[static_cast<std::size_t>(channel)]);
}

double LevelMeter::rmsDb(int channel) const {
    if (frames_ == 0) return toDb(0.0);
    return toDb(
        std::sqrt(sumOfSquares_[static_cast<std::size_t>(channel)] / static_cast<double>(frames_)));
}

std::string LevelMeter::summary(double sampleRate) const {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.2f s", static_cast<double>(frames_) / sampleRate);
    std::string line = std::string(seconds) + ", peak " + formatDb(peakDb(0)) + " / " +
                       formatDb(peakDb(1)) + " dBFS, RMS " + formatDb(rmsDb(0)) + " / " +
                       formatDb(rmsDb(1)) + " dBFS (left / right)";
    if (nonFinite_ > 0) line += ", " + std::to_string(nonFinite_) + " non-finite samples";
    return line;
}

} // namespace lyrerender
