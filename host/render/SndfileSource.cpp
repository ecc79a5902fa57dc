// Audio file input through libsndfile, de-interleaved block by block.
#include <sndfile.h>

#include <vector>

#include "host/render/AudioSource.h"
#include "host/render/RenderError.h"

namespace lyrerender {
namespace {

class SndfileSource final : public AudioSource {
  public:
    SndfileSource(SNDFILE* file, const SF_INFO& info) : file_(file), info_(info) {}
    ~SndfileSource() override { sf_close(file_); }
    SndfileSource(const SndfileSource&) = delete;
    SndfileSource& operator=(const SndfileSource&) = delete;

    int channels() const override { return info_.channels; }
    double sampleRate() const override { return info_.samplerate; }
    std::int64_t frames() const override { return info_.frames; }

    std::size_t read(float* left, float* right, std::size_t frames) override {
        const auto channels = static_cast<std::size_t>(info_.channels);
        interleaved_.resize(frames * channels);
        const sf_count_t got =
            sf_readf_float(file_, interleaved_.data(), static_cast<sf_count_t>(frames));
        const std::size_t count = got > 0 ? static_cast<std::size_t>(got) : 0;
        for (std::size_t i = 0; i < count; ++i) {
            left[i] = interleaved_[i * channels];
            if (channels == 2) right[i] = interleaved_[i * channels + 1];
        }
        return count;
    }

  private:
    SNDFILE* file_;
    SF_INFO info_;
    std::vector<float> interleaved_;
};

} // namespace

std::unique_ptr<AudioSource> openAudioFile(const std::string& path) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) throw RenderError("cannot read " + path + ": " + sf_strerror(nullptr));
    if (info.channels < 1 || info.channels > 2) {
        sf_close(file);
        throw RenderError(path + " has " + std::to_string(info.channels) +
                          " channels; only mono and stereo input is supported");
    }
    return std::make_unique<SndfileSource>(file, info);
}

} // namespace lyrerender
