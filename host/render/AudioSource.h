// Where the render tool's input frames come from: an audio file or a buffer in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "host/Plugin.h"

namespace lyrerender {

class AudioSource {
  public:
    virtual ~AudioSource() = default;
    virtual int channels() const = 0;
    virtual double sampleRate() const = 0;
    virtual std::int64_t frames() const = 0;
    // Reads up to `frames` frames into left, and into right for a stereo source.
    // Returns the number read; 0 at the end.
    virtual std::size_t read(float* left, float* right, std::size_t frames) = 0;
};

// Throws RenderError when the file is missing, unreadable or in a format it cannot decode.
std::unique_ptr<AudioSource> openAudioFile(const std::string& path);
std::unique_ptr<AudioSource> makeMemorySource(lyrehost::StereoBuffer buffer, double sampleRate);

} // namespace lyrerender
