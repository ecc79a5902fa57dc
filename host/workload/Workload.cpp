#include "host/workload/Workload.h"

#include <algorithm>
#include <array>
#include <cmath>
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

// What the session asks of a host; the VST 2.4 one makes exactly the calls it always made.
class Driver {
  public:
    virtual ~Driver() = default;
    virtual void start(float rate, VstInt32 maxBlock) = 0;
    virtual void changeRate(float rate) = 0;
    virtual void reset() = 0;
    virtual void stop() = 0;
    virtual void setParameter(VstInt32 index, float value) = 0;
    virtual float getParameter(VstInt32 index) = 0;
    virtual std::vector<unsigned char> getChunk() = 0;
    virtual void setChunk(std::vector<unsigned char>& chunk) = 0;
    virtual void setOutputMono(bool mono) = 0;
    virtual void process(float** inputs, float** outputs, VstInt32 frames) = 0;
    // The text of `index`, just set to `value`.
    virtual std::string display(VstInt32 index, float value) = 0;
};

std::string withoutPadding(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

class Vst2Driver : public Driver {
  public:
    Vst2Driver(lyrehost::Plugin& plugin, bool asVst3) : plugin_(plugin), asVst3_(asVst3) {}
    void start(float rate, VstInt32 maxBlock) override {
        plugin_.setSampleRate(rate);
        plugin_.setBlockSize(maxBlock);
        plugin_.open();
        plugin_.resume();
    }
    void changeRate(float rate) override {
        // A VST 3 host can change the rate only while the plug-in is off.
        if (asVst3_) plugin_.suspend();
        plugin_.setSampleRate(rate);
        if (asVst3_) plugin_.resume();
    }
    void reset() override {
        plugin_.suspend();
        plugin_.resume();
    }
    void stop() override { plugin_.suspend(); }
    void setParameter(VstInt32 index, float value) override { plugin_.setParameter(index, value); }
    float getParameter(VstInt32 index) override { return plugin_.getParameter(index); }
    std::vector<unsigned char> getChunk() override {
        void* data = nullptr;
        const VstIntPtr size = plugin_.dispatch(effGetChunk, 0, 0, &data);
        if (size <= 16 || !data) return {};
        const auto* bytes = static_cast<const unsigned char*>(data);
        return {bytes, bytes + size};
    }
    void setChunk(std::vector<unsigned char>& chunk) override {
        plugin_.dispatch(effSetChunk, 0, static_cast<VstIntPtr>(chunk.size()), chunk.data());
    }
    void setOutputMono(bool mono) override {
        plugin_.answers().setPinConnected(1, lyrehost::PinSide::output, mono ? 1 : 0);
    }
    void process(float** inputs, float** outputs, VstInt32 frames) override {
        plugin_.processReplacing(inputs, outputs, frames);
    }
    std::string display(VstInt32 index, float /*value*/) override {
        const std::string shown = plugin_.parameterDisplay(index);
        return asVst3_ ? withoutPadding(shown) : shown;
    }

  private:
    lyrehost::Plugin& plugin_;
    bool asVst3_;
};

// Changes between blocks reach the plug-in as points at offset 0 of the next block, as a VST 3
// host sends them; anything else first delivers what is pending in a call without audio.
class Vst3Driver : public Driver {
  public:
    explicit Vst3Driver(lyrehost::Vst3Plugin& plugin) : plugin_(plugin) {}
    void start(float rate, VstInt32 maxBlock) override {
        rate_ = rate;
        maxBlock_ = maxBlock;
        plugin_.start(rate, maxBlock);
    }
    void changeRate(float rate) override {
        flush();
        start(rate, maxBlock_);
    }
    void reset() override {
        flush();
        plugin_.stop();
        plugin_.start(rate_, maxBlock_);
    }
    void stop() override {
        flush();
        plugin_.stop();
    }
    void setParameter(VstInt32 index, float value) override {
        pending_.queueFor(static_cast<v3_param_id>(index)).points.emplace_back(0, value);
        // The text sweep sets values without playing: do not let them pile up.
        if (++pendingPoints_ >= 4096) flush();
    }
    float getParameter(VstInt32 index) override {
        for (const auto& queue : pending_.queues)
            if (queue.id == static_cast<v3_param_id>(index) && !queue.points.empty())
                return static_cast<float>(queue.points.back().second);
        return static_cast<float>(plugin_.normalized(static_cast<v3_param_id>(index)));
    }
    std::vector<unsigned char> getChunk() override {
        flush();
        std::vector<std::uint8_t> state = plugin_.componentState();
        return {state.begin(), state.end()};
    }
    void setChunk(std::vector<unsigned char>& chunk) override {
        flush();
        plugin_.setComponentState({chunk.begin(), chunk.end()});
    }
    void setOutputMono(bool /*mono*/) override {}
    void process(float** inputs, float** outputs, VstInt32 frames) override {
        plugin_.process(inputs, outputs, frames, &pending_);
        pending_.clear();
        pendingPoints_ = 0;
    }
    std::string display(VstInt32 index, float value) override {
        return plugin_.valueText(static_cast<v3_param_id>(index), value);
    }

  private:
    void flush() {
        if (pending_.empty()) return;
        plugin_.flush(pending_);
        pending_.clear();
        pendingPoints_ = 0;
    }

    lyrehost::Vst3Plugin& plugin_;
    lyrehost::vst3host::ParamChanges pending_;
    int pendingPoints_ = 0;
    float rate_ = 44100.0f;
    VstInt32 maxBlock_ = kLongestBlock;
};

// As the VST 3 driver: changes between blocks arrive as events at time 0 of the next block,
// anything else first delivers what is pending through params.flush. Values are the host's
// CLAP values: Transpose in whole semitones, the rest as they are.
class ClapDriver : public Driver {
  public:
    explicit ClapDriver(lyrehost::ClapPlugin& plugin) : plugin_(plugin) {}
    void start(float rate, VstInt32 maxBlock) override {
        rate_ = rate;
        maxBlock_ = maxBlock;
        plugin_.activate(rate, static_cast<uint32_t>(maxBlock));
    }
    void changeRate(float rate) override {
        flush();
        start(rate, maxBlock_);
    }
    void reset() override {
        flush();
        plugin_.activate(rate_, static_cast<uint32_t>(maxBlock_));
    }
    void stop() override {
        flush();
        plugin_.deactivate();
    }
    void setParameter(VstInt32 index, float value) override {
        pending_.push_back(
            {CLAP_EVENT_PARAM_VALUE, 0, static_cast<clap_id>(index), clapValue(index, value)});
        if (pending_.size() >= 4096) flush();
    }
    float getParameter(VstInt32 index) override {
        for (auto e = pending_.rbegin(); e != pending_.rend(); ++e)
            if (e->id == static_cast<clap_id>(index)) return normalized(index, e->value);
        return normalized(index, plugin_.value(static_cast<clap_id>(index)).value_or(0.0));
    }
    std::vector<unsigned char> getChunk() override {
        flush();
        return plugin_.saveState();
    }
    void setChunk(std::vector<unsigned char>& chunk) override {
        flush();
        plugin_.loadState(chunk);
    }
    void setOutputMono(bool /*mono*/) override {}
    void process(float** inputs, float** outputs, VstInt32 frames) override {
        plugin_.process(inputs, outputs, static_cast<uint32_t>(frames), pending_);
        pending_.clear();
    }
    std::string display(VstInt32 index, float value) override {
        return plugin_.valueText(static_cast<clap_id>(index), clapValue(index, value));
    }

  private:
    static constexpr VstInt32 kTranspose = 4;
    static double clapValue(VstInt32 index, float value) {
        return index == kTranspose ? std::floor(48.0 * value + 0.5) - 24.0 : value;
    }
    static float normalized(VstInt32 index, double value) {
        return static_cast<float>(index == kTranspose ? (value + 24.0) / 48.0 : value);
    }
    void flush() {
        if (pending_.empty()) return;
        plugin_.flush(pending_);
        pending_.clear();
    }

    lyrehost::ClapPlugin& plugin_;
    std::vector<lyrehost::ClapEvent> pending_;
    float rate_ = 44100.0f;
    VstInt32 maxBlock_ = kLongestBlock;
};

class Session {
  public:
    Session(Driver& host, const WorkloadOptions& options)
        : host_(host), options_(options), random_(options.seed), inLeft_(kLongestBlock),
          inRight_(kLongestBlock), outLeft_(kLongestBlock), outRight_(kLongestBlock),
          frames_(2 * kLongestBlock) {}

    WorkloadTotals run() {
        // Everything the input needs is computed before the host's control word changes.
        std::vector<Section> sections;
        sections.push_back({44100.0f, lyrerender::demoExcitation(44100.0), 0, 0});
        sections.push_back({48000.0f, noiseHits(120000, random_), 40000, 80000});
        // A VST 3 bus is stereo for the whole session: no mono stretch.
        if (options_.asVst3Host) sections.back().monoFrom = sections.back().monoTo = 0;
        sections.push_back({96000.0f, noiseHits(96000, random_), 0, 0});
        for (const Section& section : sections) {
            totals_.input.add(section.input.left.data(), section.input.left.size() * sizeof(float));
            totals_.input.add(section.input.right.data(),
                              section.input.right.size() * sizeof(float));
        }
        if (options_.hostControlWord) writeX87ControlWord(*options_.hostControlWord);
        expectedWord_ = readX87ControlWord();

        call([&] { host_.start(sections.front().sampleRate, kLongestBlock); });
        readChunk();
        // A ringing start, so that glides and resets are heard.
        change(kDecayIndex, 0.85f);
        change(kMixIndex, 0.7f);
        for (const Section& section : sections)
            play(section);
        sweepTexts();
        call([&] { host_.stop(); });
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
        // A VST 3 host sends normalised values only: out-of-range automation arrives clamped.
        if (options_.asVst3Host) value = std::clamp(value, 0.0f, 1.0f);
        call([&] { host_.setParameter(index, value); });
        ++totals_.parameterChanges;
    }

    void readChunk() {
        call([&] { chunk_ = host_.getChunk(); });
    }

    // The host restores its saved state with another current program: the preset system
    // applies that program's values.
    void switchProgram() {
        if (chunk_.empty()) return;
        const auto program = static_cast<std::int32_t>(random_.below(6));
        std::memcpy(chunk_.data() + 12, &program, sizeof program);
        call([&] { host_.setChunk(chunk_); });
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
            call([&] { host_.reset(); });
            ++totals_.resets;
        } else if (roll < 41) {
            constexpr VstInt32 kPlain[] = {kOutputIndex, kMixIndex, kDecayIndex, kDampIndex};
            change(kPlain[random_.below(4)], random_.unit());
        } else if (roll == 41) {
            change(kBypassIndex, host_.getParameter(kBypassIndex) < 0.5f ? 1.0f : 0.0f);
        } else if (roll == 42) {
            // Automation slightly out of range is stored and mapped as it comes.
            change(static_cast<VstInt32>(random_.below(7)), 1.5f * random_.unit() - 0.25f);
        }
    }

    void play(const Section& section) {
        call([&] { host_.changeRate(section.sampleRate); });
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
            host_.setOutputMono(mono);
            std::copy_n(section.input.left.begin() + static_cast<std::ptrdiff_t>(at), size,
                        inLeft_.begin());
            std::copy_n(section.input.right.begin() + static_cast<std::ptrdiff_t>(at), size,
                        inRight_.begin());
            // A mono host's second output is not written by the plug-in: keep it defined.
            std::fill_n(outLeft_.begin(), size, 0.0f);
            std::fill_n(outRight_.begin(), size, 0.0f);
            float* inputs[2] = {inLeft_.data(), inRight_.data()};
            float* outputs[2] = {outLeft_.data(), outRight_.data()};
            call([&] { host_.process(inputs, outputs, static_cast<VstInt32>(size)); });
            emit(size);
            at += size;
            ++totals_.blocks;
            randomEvent();
        }
        host_.setOutputMono(false);
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
        call([&] { shown = host_.display(index, value); });
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

    Driver& host_;
    const WorkloadOptions& options_;
    SessionRandom random_;
    std::vector<float> inLeft_, inRight_, outLeft_, outRight_, frames_;
    std::vector<unsigned char> chunk_;
    std::uint16_t expectedWord_ = 0;
    WorkloadTotals totals_;
};

} // namespace

WorkloadTotals runWorkload(lyrehost::Plugin& plugin, const WorkloadOptions& options) {
    Vst2Driver driver(plugin, options.asVst3Host);
    return Session(driver, options).run();
}

WorkloadTotals runWorkload(lyrehost::Vst3Plugin& plugin, WorkloadOptions options) {
    options.asVst3Host = true;
    Vst3Driver driver(plugin);
    return Session(driver, options).run();
}

WorkloadTotals runWorkload(lyrehost::ClapPlugin& plugin, WorkloadOptions options) {
    options.asVst3Host = true;
    ClapDriver driver(plugin);
    return Session(driver, options).run();
}

} // namespace lyreworkload
