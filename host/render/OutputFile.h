// The rendered file. Frames go to a hidden temporary file beside the destination, which is
// renamed into place by commit(); until then a failure or an interrupt leaves nothing behind.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

typedef struct sf_private_tag SNDFILE;

namespace lyrerender {

// The libsndfile format for the file's extension; throws RenderError for an unknown one.
int outputFormatFor(const std::string& path);

class OutputFile {
  public:
    // Stereo at the given rate. Throws RenderError when the directory is not writable.
    OutputFile(const std::string& path, double sampleRate);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    void write(const float* left, const float* right, std::size_t frames);
    void commit();

  private:
    void discard();

    std::string path_;
    std::string temporaryPath_;
    SNDFILE* file_ = nullptr;
    std::vector<float> interleaved_;
};

} // namespace lyrerender
