#include "host/render/DemoExcitation.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

namespace lyrerender {
namespace {

enum class Hit { burst, pluck, blip };

struct Event {
    double time; // seconds
    Hit kind;
    double frequency; // Hz; unused by bursts
    double pan;       // -1 left .. 1 right
    double gain;
};

// Times are deliberately off the beat so the phrase does not sound like a loop.
constexpr Event kPhrase[] = {
    {0.00, Hit::burst, 0.0, -0.3, 1.0},   {0.31, Hit::pluck, 220.0, 0.4, 0.8},
    {0.58, Hit::blip, 440.0, -0.6, 0.5},  {0.93, Hit::pluck, 164.81, -0.2, 0.9},
    {1.12, Hit::burst, 0.0, 0.7, 0.6},    {1.47, Hit::blip, 659.26, 0.5, 0.4},
    {1.71, Hit::pluck, 130.81, 0.0, 1.0}, {2.05, Hit::burst, 0.0, -0.8, 0.5},
    {2.26, Hit::blip, 392.0, -0.1, 0.5},  {2.40, Hit::pluck, 293.66, 0.6, 0.7},
    {2.88, Hit::burst, 0.0, 0.2, 0.9},    {3.02, Hit::blip, 523.25, -0.5, 0.45},
    {3.08, Hit::pluck, 110.0, -0.4, 1.0}, {3.55, Hit::blip, 329.63, 0.8, 0.35},
};

class Noise {
  public:
    double next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return static_cast<double>(state_) / 2147483648.0 - 1.0;
    }

  private:
    std::uint32_t state_ = 0x1badb002u;
};

// A short linear fade at the end, so that cutting a sound off does not click.
void fadeOut(std::vector<double>& sound, double rate) {
    const auto length = std::min(sound.size(), static_cast<std::size_t>(0.03 * rate));
    for (std::size_t i = 0; i < length; ++i)
        sound[sound.size() - 1 - i] *= static_cast<double>(i) / static_cast<double>(length);
}

// Strings ring at the input's average too, so the phrase must not carry any DC.
void removeDc(std::vector<double>& signal, double rate) {
    const double pole = std::exp(-2.0 * std::numbers::pi * 10.0 / rate); // 10 Hz high-pass
    double previousIn = 0.0, previousOut = 0.0;
    for (double& sample : signal) {
        previousOut = sample - previousIn + pole * previousOut;
        previousIn = sample;
        sample = previousOut;
    }
}

// A filtered noise hit of about 40 ms.
std::vector<double> burst(double rate, Noise& noise) {
    std::vector<double> out(static_cast<std::size_t>(0.25 * rate));
    double low = 0.0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        low += 0.35 * (noise.next() - low);
        out[i] = low * std::exp(-static_cast<double>(i) / (0.04 * rate));
    }
    return out;
}

// A plucked string: a noise-filled delay line averaged on every pass.
std::vector<double> pluck(double rate, double frequency, Noise& noise) {
    const auto period = std::max<std::size_t>(2, static_cast<std::size_t>(rate / frequency));
    std::vector<double> line(period);
    for (double& sample : line)
        sample = noise.next();
    std::vector<double> out(static_cast<std::size_t>(0.9 * rate));
    for (std::size_t i = 0; i < out.size(); ++i) {
        const std::size_t at = i % period;
        out[i] = line[at];
        line[at] = 0.497 * (line[at] + line[(at + 1) % period]);
    }
    return out;
}

// A short sine with a click-free attack.
std::vector<double> blip(double rate, double frequency) {
    std::vector<double> out(static_cast<std::size_t>(0.3 * rate));
    const double attack = 0.003 * rate;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i);
        const double envelope = std::min(1.0, t / attack) * std::exp(-t / (0.07 * rate));
        out[i] = envelope * std::sin(2.0 * std::numbers::pi * frequency * t / rate);
    }
    return out;
}

} // namespace

lyrehost::StereoBuffer demoExcitation(double sampleRate) {
    const auto frames = static_cast<std::size_t>(kDemoSeconds * sampleRate);
    std::vector<double> left(frames), right(frames);
    Noise noise;
    for (const Event& event : kPhrase) {
        std::vector<double> sound = event.kind == Hit::burst ? burst(sampleRate, noise)
                                    : event.kind == Hit::pluck
                                        ? pluck(sampleRate, event.frequency, noise)
                                        : blip(sampleRate, event.frequency);
        fadeOut(sound, sampleRate);
        const double angle = (event.pan + 1.0) * std::numbers::pi / 4.0; // equal-power pan
        const double gainLeft = event.gain * std::cos(angle);
        const double gainRight = event.gain * std::sin(angle);
        const auto start = static_cast<std::size_t>(event.time * sampleRate);
        for (std::size_t i = 0; i < sound.size() && start + i < frames; ++i) {
            left[start + i] += gainLeft * sound[i];
            right[start + i] += gainRight * sound[i];
        }
    }
    removeDc(left, sampleRate);
    removeDc(right, sampleRate);

    double peak = 0.0;
    for (std::size_t i = 0; i < frames; ++i)
        peak = std::max({peak, std::abs(left[i]), std::abs(right[i])});
    const double scale = peak > 0.0 ? 0.5 / peak : 0.0;
    lyrehost::StereoBuffer out{std::vector<float>(frames), std::vector<float>(frames)};
    for (std::size_t i = 0; i < frames; ++i) {
        out.left[i] = static_cast<float>(left[i] * scale);
        out.right[i] = static_cast<float>(right[i] * scale);
    }
    return out;
}

} // namespace lyrerender
