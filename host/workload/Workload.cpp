#include "host/workload/Workload.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "host/render/DemoExcitation.h"
#include "host/workload/SessionRandom.h"
#include "host/workload/X87ControlWord.h"

namespace lyreworkload {
namespace {

// The plug-in is driven with these sizes in a seeded order, mostly short ones: 1 and 7 reach
// the bank's one-sample and short paths, 4096 its longest blocks.
constexpr std::array<VstInt32, 8> kShortBlocks = {1, 2, 3, 7, 13, 33, 64, 255};
constexpr std::array<VstInt32, 3> kLongBlocks = {511, 1000, 4096};
constexpr VstInt32 kLongestBlock = 4096;

struct Section {
    float sampleRate;
    lyrehost::StereoBuffer input;
    // Frames [monoFrom, monoTo) run with the second output pin reported unconnected.
    std::size_t monoFrom = 0, monoTo = 0;
};

// Noise hits with decaying envelopes, made from integer draws and float products only.
lyrehost::StereoBuffer noiseHits(std::size_t frames, SessionRandom& random) {
    lyrehost::StereoBuffer out{std::vector<float>(frames), std::vector<float>(frames)};
    float envelope = 0.0f;
    for (std::size_t i = 0; i < frames; ++i) {
        if (random.below(4000) == 0) envelope = 0.2f + 0.6f * random.unit();
        envelope *= 0.9995f;
        out.left[i] = envelope * random.signedUnit();
        out.right[i] = envelope * random.signedUnit();
    }
    return out;
}

class Session {
  public:
    Session(lyrehost::Plugin& plugin, const WorkloadOptions& options)
        : plugin_(plugin), options_(options), random_(options.seed), inLeft_(kLongestBlock),
          inRight_(kLongestBlock), outLeft_(kLongestBlock), outRight_(kLongestBlock),
          frames_(2 * kLongestBlock) {}

    WorkloadTotals run() {
        // Everything the input needs is computed before the host's control word changes.
        std::vector<Section> sections;
        sections.push_back({44100.0f, lyrerender::demoExcitation(44100.0), 0, 0});
        sections.push_back({48000.0f, noiseHits(120000, random_), 40000, 80000});
        sections.push_back({96000.0f, noiseHits(96000, random_), 0, 0});
        for (const Section& section : sections) {
            totals_.input.add(section.input.left.data(), section.input.left.size() * sizeof(float));
            totals_.input.add(section.input.right.data(),
                              section.input.right.size() * sizeof(float));
        }
        if (options_.hostControlWord) writeX87ControlWord(*options_.hostControlWord);
        expectedWord_ = readX87ControlWord();

        call([&] {
            plugin_.setSampleRate(sections.front().sampleRate);
            plugin_.setBlockSize(kLongestBlock);
            plugin_.open();
            plugin_.resume();
        });
        readChunk();
        // A ringing start, so that glides and resets are heard.
        change(kDecayIndex, 0.85f);
        change(kMixIndex, 0.7f);
        for (const Section& section : sections)
            play(section);
        sweepTexts();
        call([&] { plugin_.suspend(); });
        return totals_;
    }

  private:
    static constexpr VstInt32 kOutputIndex = 0, kMixIndex = 1, kDecayIndex = 2, kDampIndex = 3,
                              kTransposeIndex = 4, kTuneIndex = 5, kDetuneIndex = 6,
                              kBypassIndex = 7;

    template <class F> void call(F&& f) {
        f();
        if (readX87ControlWord() != expectedWord_) {
            ++totals_.controlWordChanges;
            writeX87ControlWord(expectedWord_);
        }
    }

    void change(VstInt32 index, float value) {
        call([&] { plugin_.setParameter(index, value); });
        ++totals_.parameterChanges;
    }

    void readChunk() {
        void* data = nullptr;
        VstIntPtr size = 0;
        call([&] { size = plugin_.dispatch(effGetChunk, 0, 0, &data); });
        if (size > 16 && data) {
            const auto* bytes = static_cast<const unsigned char*>(data);
            chunk_.assign(bytes, bytes + size);
        }
    }

    // The host restores its saved state with another current program: the preset system
    // applies that program's values.
    void switchProgram() {
        if (chunk_.empty()) return;
        const auto program = static_cast<std::int32_t>(random_.below(6));
        std::memcpy(chunk_.data() + 12, &program, sizeof program);
        call([&] {
            plugin_.dispatch(effSetChunk, 0, static_cast<VstIntPtr>(chunk_.size()), chunk_.data());
        });
        ++totals_.programSwitches;
    }

    void randomEvent() {
        const std::uint32_t roll = random_.below(100);
        if (roll < 12) {
            change(kTuneIndex, random_.unit()); // a tuning glide
        } else if (roll < 20) {
            change(kDetuneIndex, random_.unit()); // a detune glide
        } else if (roll < 24) {
            change(kTransposeIndex, random_.unit());
            ++totals_.transpositions;
        } else if (roll < 27) {
            switchProgram();
        } else if (roll < 29) {
            call([&] {
                plugin_.suspend();
                plugin_.resume();
            });
            ++totals_.resets;
        } else if (roll < 41) {
            constexpr VstInt32 kPlain[] = {kOutputIndex, kMixIndex, kDecayIndex, kDampIndex};
            change(kPlain[random_.below(4)], random_.unit());
        } else if (roll == 41) {
            change(kBypassIndex, plugin_.getParameter(kBypassIndex) < 0.5f ? 1.0f : 0.0f);
        } else if (roll == 42) {
            // Automation slightly out of range is stored and mapped as it comes.
            change(static_cast<VstInt32>(random_.below(7)), 1.5f * random_.unit() - 0.25f);
        }
    }

    void play(const Section& section) {
        call([&] { plugin_.setSampleRate(section.sampleRate); });
        ++totals_.sampleRates;
        const std::size_t frames = section.input.left.size();
        std::size_t at = 0;
        while (at < frames) {
            const VstInt32 drawn = random_.below(10) == 0
                                       ? kLongBlocks[random_.below(kLongBlocks.size())]
                                       : kShortBlocks[random_.below(kShortBlocks.size())];
            const std::size_t size =
                std::min<std::size_t>(static_cast<std::size_t>(drawn), frames - at);
            const bool mono = at >= section.monoFrom && at < section.monoTo;
            plugin_.answers().setPinConnected(1, lyrehost::PinSide::output, mono ? 1 : 0);
            std::copy_n(section.input.left.begin() + static_cast<std::ptrdiff_t>(at), size,
                        inLeft_.begin());
            std::copy_n(section.input.right.begin() + static_cast<std::ptrdiff_t>(at), size,
                        inRight_.begin());
            // A mono host's second output is not written by the plug-in: keep it defined.
            std::fill_n(outLeft_.begin(), size, 0.0f);
            std::fill_n(outRight_.begin(), size, 0.0f);
            float* inputs[2] = {inLeft_.data(), inRight_.data()};
            float* outputs[2] = {outLeft_.data(), outRight_.data()};
            call([&] { plugin_.processReplacing(inputs, outputs, static_cast<VstInt32>(size)); });
            emit(size);
            at += size;
            ++totals_.blocks;
            randomEvent();
        }
        plugin_.answers().setPinConnected(1, lyrehost::PinSide::output, 0);
    }

    void emit(std::size_t size) {
        for (std::size_t i = 0; i < size; ++i) {
            frames_[2 * i] = outLeft_[i];
            frames_[2 * i + 1] = outRight_[i];
        }
        const std::size_t bytes = 2 * size * sizeof(float);
        totals_.output.add(frames_.data(), bytes);
        totals_.frames += size;
        if (options_.raw && std::fwrite(frames_.data(), 1, bytes, options_.raw) != bytes)
            totals_.rawWriteFailed = true;
    }

    void text(VstInt32 index, float value) {
        change(index, value);
        std::string shown;
        call([&] { shown = plugin_.parameterDisplay(index); });
        shown += '\n';
        totals_.texts.add(shown.data(), shown.size());
        ++totals_.textCount;
    }

    // Every parameter's text over a grid of [0, 1], denser for the decibel text, plus random
    // values.
    void sweepTexts() {
        for (VstInt32 index = 0; index < 8; ++index) {
            const int steps = index == kOutputIndex ? 65536 : 4096;
            for (int k = 0; k <= steps; ++k)
                text(index, static_cast<float>(k) / static_cast<float>(steps));
            for (int k = 0; k < 1024; ++k)
                text(index, random_.unit());
        }
    }

    lyrehost::Plugin& plugin_;
    const WorkloadOptions& options_;
    SessionRandom random_;
    std::vector<float> inLeft_, inRight_, outLeft_, outRight_, frames_;
    std::vector<unsigned char> chunk_;
    std::uint16_t expectedWord_ = 0;
    WorkloadTotals totals_;
};

} // namespace

WorkloadTotals runWorkload(lyrehost::Plugin& plugin, const WorkloadOptions& options) {
    return Session(plugin, options).run();
}

} // namespace lyreworkload
