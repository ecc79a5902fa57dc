// A progress bar on stderr, shown only on a terminal and only for long renders.
#pragma once

#include <cstdint>

namespace lyrerender {

class ProgressBar {
  public:
    static constexpr double kMinimumSeconds = 10.0;

    ProgressBar(std::int64_t totalFrames, double sampleRate);
    ~ProgressBar() { finish(); }
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    void update(std::int64_t framesDone);
    // Clears the bar so the summary line starts on a clean line.
    void finish();

  private:
    std::int64_t total_;
    bool visible_;
    int shownPercent_ = -1;
};

} // namespace lyrerender
