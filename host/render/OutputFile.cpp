#include "host/render/OutputFile.h"

#include <fcntl.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "host/render/RenderError.h"

namespace lyrerender {
namespace {

// The temporary file of the render in progress, for the interrupt handler.
char gPendingPath[4096];

extern "C" void removePendingAndDie(int signal) {
    if (gPendingPath[0] != '\0') unlink(gPendingPath);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void removeOnInterrupt(const std::string& path) {
    const std::size_t length = std::min(path.size(), sizeof gPendingPath - 1);
    std::memcpy(gPendingPath, path.data(), length);
    gPendingPath[length] = '\0';
    std::signal(SIGINT, removePendingAndDie);
    std::signal(SIGTERM, removePendingAndDie);
}

void forgetPending() {
    gPendingPath[0] = '\0';
}

// mkstemp makes files readable by their owner only; a rendered file should look like any other.
void applyUmask(int fd) {
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
}

std::string systemError() {
    return std::strerror(errno);
}

} // namespace

int outputFormatFor(const std::string& path) {
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".wav") return SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    if (extension == ".flac") return SF_FORMAT_FLAC | SF_FORMAT_PCM_24;
    if (extension == ".aif" || extension == ".aiff") return SF_FORMAT_AIFF | SF_FORMAT_PCM_24;
    if (extension == ".ogg") return SF_FORMAT_OGG | SF_FORMAT_VORBIS;
    throw RenderError("unsupported output format '" + (extension.empty() ? path : extension) +
                      "' (use .wav, .flac, .aiff or .ogg)");
}

OutputFile::OutputFile(const std::string& path, double sampleRate) : path_(path) {
    SF_INFO info{};
    info.format = outputFormatFor(path);
    info.channels = 2;
    info.samplerate = static_cast<int>(sampleRate);

    const std::filesystem::path target(path);
    const std::filesystem::path directory = target.has_parent_path() ? target.parent_path() : ".";
    std::string pattern = (directory / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = mkstemp(pattern.data());
    if (fd < 0) throw RenderError("cannot write " + path + ": " + systemError());
    temporaryPath_ = pattern;
    removeOnInterrupt(temporaryPath_);
    applyUmask(fd);

    file_ = sf_open_fd(fd, SFM_WRITE, &info, SF_TRUE);
    if (!file_) { // libsndfile has closed the descriptor
        const std::string reason = sf_strerror(nullptr);
        discard();
        throw RenderError("cannot write " + path + ": " + reason);
    }
    // Integer formats wrap around on overs unless told to clip.
    sf_command(file_, SFC_SET_CLIPPING, nullptr, SF_TRUE);
}

OutputFile::~OutputFile() {
    discard();
}

void OutputFile::write(const float* left, const float* right, std::size_t frames) {
    interleaved_.resize(frames * 2);
    for (std::size_t i = 0; i < frames; ++i) {
        interleaved_[2 * i] = left[i];
        interleaved_[2 * i + 1] = right[i];
    }
    const auto count = static_cast<sf_count_t>(frames);
    if (sf_writef_float(file_, interleaved_.data(), count) != count)
        throw RenderError("cannot write " + path_ + ": " + sf_strerror(file_));
}

void OutputFile::commit() {
    const int closed = sf_close(file_);
    file_ = nullptr;
    if (closed != 0) throw RenderError("cannot write " + path_ + ": " + sf_error_number(closed));
    if (std::rename(temporaryPath_.c_str(), path_.c_str()) != 0)
        throw RenderError("cannot write " + path_ + ": " + systemError());
    temporaryPath_.clear();
    forgetPending();
}

void OutputFile::discard() {
    if (file_) sf_close(file_);
    file_ = nullptr;
    if (!temporaryPath_.empty()) std::remove(temporaryPath_.c_str());
    temporaryPath_.clear();
    forgetPending();
}

} // namespace lyrerender
