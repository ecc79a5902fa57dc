// Peak and RMS of the rendered signal, for the closing summary line.
#pragma once

#include <array>
#include <cstddef>
#include <string>

namespace lyrerender {

class LevelMeter {
  public:
    void add(const float* left, const float* right, std::size_t frames);

    std::size_t frames() const { return frames_; }
    // dBFS; -infinity for silence.
    double peakDb(int channel) const;
    double rmsDb(int channel) const;
    std::size_t nonFinite() const { return nonFinite_; }

    // "4.00 s, peak -3.1 / -2.9 dBFS, RMS -18.4 / -18.9 dBFS (left / right)"
    std::string summary(double sampleRate) const;

  private:
    std::array<double, 2> peak_{};
    std::array<double, 2> sumOfSquares_{};
    std::size_t frames_ = 0;
    std::size_t nonFinite_ = 0;
};

} // namespace lyrerender
