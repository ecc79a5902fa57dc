// A stereo buffer in memory read like a file (the built-in demo).
#include <algorithm>

#include "host/render/AudioSource.h"

namespace lyrerender {
namespace {

class MemorySource final : public AudioSource {
  public:
    MemorySource(lyrehost::StereoBuffer buffer, double sampleRate)
        : buffer_(std::move(buffer)), sampleRate_(sampleRate) {}

    int channels() const override { return 2; }
    double sampleRate() const override { return sampleRate_; }
    std::int64_t frames() const override { return static_cast<std::int64_t>(length()); }

    std::size_t read(float* left, float* right, std::size_t frames) override {
        const std::size_t count = std::min(frames, length() - position_);
        std::copy_n(buffer_.left.begin() + static_cast<std::ptrdiff_t>(position_), count, left);
        std::copy_n(buffer_.right.begin() + static_cast<std::ptrdiff_t>(position_), count, right);
        position_ += count;
        return count;
    }

  private:
    std::size_t length() const { return std::min(buffer_.left.size(), buffer_.right.size()); }

    lyrehost::StereoBuffer buffer_;
    double sampleRate_;
    std::size_t position_ = 0;
};

} // namespace

std::unique_ptr<AudioSource> makeMemorySource(lyrehost::StereoBuffer buffer, double sampleRate) {
    return std::make_unique<MemorySource>(std::move(buffer), sampleRate);
}

} // namespace lyrerender
