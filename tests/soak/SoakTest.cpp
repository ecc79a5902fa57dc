// The effect under a long random workout, as hosts drive it: automation on every parameter
// (NaN, infinities and out-of-range values included) from the audio thread and another one,
// random block sizes, sample-rate changes with suspend and resume, chunks saved and restored,
// preset and bank loads, memories shared with other processes, the editor opened and closed.
//
// Checked throughout: no allocation in processReplacing, no subnormal number in the strings'
// state, finite output whenever inputs and parameters are finite and in range, and every chunk
// restored equal to the one saved. Short by default; LYRE_SOAK_SECONDS makes it longer.
// Xlib defines None and Bool, which GoogleTest uses as names: it comes last.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "../realtime/AllocationCounter.h"
#include "SoakSupport.h"
#include "engine/Lyrebloom.h"
#include "engine/StringTable.h"
#include "presets/CPresetSystemEditor.h"
#include "presets/ChunkFormat.h"
#include "presets/PresetRecords.h"

#include <X11/Xlib.h>

namespace {

using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;
constexpr VstInt32 kMaxFrames = 4096;
constexpr int kLineStrip = 1024; // line positions checked per block, in turn

// The audio thread: processes blocks until told to stop, pausing when the host "stops
// processing" (around sample-rate changes and chunk restores), and checks every block.
class AudioThread {
  public:
    explicit AudioThread(Lyrebloom& fx, unsigned seed) : fx_(fx), random_(seed) {}

    void start() {
        thread_ = std::thread([this] { loop(); });
    }
    void stop() {
        running_ = false;
        thread_.join();
    }
    // Returns once no block is running and none will start until resume.
    void pause() {
        pauseRequested_ = true;
        while (!paused_)
            std::this_thread::yield();
    }
    void resume() { pauseRequested_ = false; }

    // While tame, every parameter and input is finite and in range since the last reset.
    void setTame(bool tame) { tameEpoch_.fetch_add(1), tame_ = tame; }
    // Automation from the audio thread itself, like a host playing back an automation lane.
    void setAutomating(bool wild) { wildAutomation_ = wild; }

    long blocks() const { return blocks_; }
    long frames() const { return frames_; }
    long checkedBlocks() const { return checkedBlocks_; }
    long allocations() const { return allocations_; }
    long nonFinite() const { return nonFinite_; }
    long subnormals() const { return subnormals_; }
    long transientSubnormals() const { return transientSubnormals_; }
    long wildSubnormalRuns() const { return wildSubnormalRuns_; }
    const char* firstProblem() const { return problem_; }

  private:
    void loop() {
        std::vector<float> inL(kMaxFrames), inR(kMaxFrames), outL(kMaxFrames), outR(kMaxFrames);
        while (running_) {
            if (pauseRequested_) {
                paused_ = true;
                while (pauseRequested_ && running_)
                    std::this_thread::yield();
                paused_ = false;
                continue;
            }
            const VstInt32 n = blockSize();
            fill(inL.data(), inR.data(), n);
            if (random_() % 4 == 0) automate();
            const unsigned epoch = tameEpoch_;
            const bool tame = tame_;
            float* in[2] = {inL.data(), inR.data()};
            float* out[2] = {outL.data(), outR.data()};
            alloccount::begin();
            fx_.processReplacing(in, out, n);
            const long allocated = alloccount::end();
            if (allocated) note(allocations_, "processReplacing allocated");
            if (tame && tame_ && epoch == tameEpoch_) {
                ++checkedBlocks_;
                for (VstInt32 i = 0; i < n; ++i)
                    if (!std::isfinite(outL[i]) || !std::isfinite(outR[i])) {
                        note(nonFinite_, "non-finite output with tame parameters");
                        break;
                    }
            }
            checkState(n);
            ++blocks_;
            frames_ += n;
        }
        paused_ = true;
    }

    VstInt32 blockSize() {
        static constexpr VstInt32 kTypical[] = {1,   2,   3,   31,  32,   33,  64,
                                                128, 256, 441, 512, 1024, 4096};
        return random_() % 2 ? kTypical[random_() % std::size(kTypical)]
                             : static_cast<VstInt32>(1 + random_() % kMaxFrames);
    }

    // Noise, silence (the tails decay toward the subnormal range), an impulse or a loud sine.
    void fill(float* l, float* r, VstInt32 n) {
        const unsigned kind = random_() % 4;
        std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
        for (VstInt32 i = 0; i < n; ++i) {
            float x = 0.0f;
            if (kind == 0) x = noise(random_);
            if (kind == 2 && i == 0) x = 1.0f;
            if (kind == 3) x = std::sin(static_cast<float>(phase_++) * 0.031f);
            l[i] = x;
            r[i] = kind == 0 ? noise(random_) : -0.5f * x;
        }
    }

    void automate() {
        const auto index = static_cast<VstInt32>(random_() % 8);
        if (!wildAutomation_) {
            fx_.setParameter(index, std::uniform_real_distribution<float>(0.0f, 1.0f)(random_));
            return;
        }
        static constexpr float kWild[] = {std::numeric_limits<float>::quiet_NaN(),
                                          std::numeric_limits<float>::infinity(),
                                          -std::numeric_limits<float>::infinity(),
                                          -1.0f,
                                          2.0f,
                                          1e30f,
                                          -1e-40f,
                                          1e-42f};
        fx_.setParameter(index, kWild[random_() % std::size(kWild)]);
    }

    // The block runs with subnormals flushed to zero, so neither a filter state nor a line sample
    // may ever hold one: not even while a string decays after a transposition reset, nor with
    // NaN or out-of-range parameters.
    void checkState(VstInt32 frames) {
        const ResonatorBank& bank = fx_.bank();
        bool subnormal = false;
        for (int s = 0; s < strings::kCount; ++s)
            subnormal |= std::fpclassify(bank.filterState(s)) == FP_SUBNORMAL;
        int lineSubnormals = 0;
        for (int p = strip_; p < strip_ + kLineStrip; ++p)
            for (int s = 0; s < strings::kCount; ++s)
                lineSubnormals += std::fpclassify(bank.lineSample(s, p)) == FP_SUBNORMAL;
        strip_ = (strip_ + kLineStrip) % strings::kLineLength;
        if (!subnormal && lineSubnormals == 0) {
            subnormalRun_ = 0;
            return;
        }
        ++transientSubnormals_;
        subnormalRun_ += frames;
        if (!tame_ && subnormalRun_ == frames) ++wildSubnormalRuns_;
        if (subnormals_ == 0) describeSubnormalState();
        note(subnormals_,
             lineSubnormals ? "a line sample is subnormal" : "a filter state is subnormal");
    }

    void describeSubnormalState() {
        int at =
            std::snprintf(problem_, sizeof problem_,
                          "a filter state stayed subnormal (%s, %.0f Hz):", tame_ ? "tame" : "wild",
                          static_cast<double>(fx_.getSampleRate()));
        for (int s = 0; s < strings::kCount && at < 200; ++s)
            at += std::snprintf(problem_ + at, sizeof problem_ - at, " %g",
                                static_cast<double>(fx_.bank().filterState(s)));
        at += std::snprintf(problem_ + at, sizeof problem_ - at, "; parameters");
        for (int i = 0; i < 8 && at < 300; ++i)
            at += std::snprintf(problem_ + at, sizeof problem_ - at, " %g",
                                static_cast<double>(fx_.getParameter(i)));
    }

    void note(std::atomic<long>& counter, const char* what) {
        if (counter++ == 0 && !problem_[0]) std::snprintf(problem_, sizeof problem_, "%s", what);
    }

    Lyrebloom& fx_;
    std::mt19937 random_;
    std::thread thread_;
    std::atomic<bool> running_{true}, pauseRequested_{false}, paused_{false};
    std::atomic<bool> tame_{false}, wildAutomation_{false};
    std::atomic<unsigned> tameEpoch_{0};
    std::atomic<long> blocks_{0}, frames_{0}, checkedBlocks_{0};
    std::atomic<long> allocations_{0}, nonFinite_{0}, subnormals_{0}, transientSubnormals_{0};
    std::atomic<long> wildSubnormalRuns_{0};
    long subnormalRun_ = 0;
    char problem_[384] = {};
    int strip_ = 0;
    unsigned phase_ = 0;
};

Bytes chunkOf(Lyrebloom& fx) {
    void* data = nullptr;
    const VstInt32 size = fx.getChunk(&data, false);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    return size > 0 && bytes ? Bytes(bytes, bytes + size) : Bytes();
}

// The same chunk as a machine of the other byte order writes it.
Bytes reversedChunk(Bytes c) {
    auto swap = [&c](std::size_t at) { std::reverse(c.begin() + at, c.begin() + at + 4); };
    for (std::size_t at = 0; at < chunk::kProgramsOffset; at += 4)
        swap(at);
    for (std::size_t k = 0; k < 6; ++k)
        for (std::size_t i = 0; i < 8; ++i)
            swap(chunk::kProgramsOffset + k * chunk::kProgramSize + 24 + 4 * i);
    return c;
}

class Soak : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = "/tmp/lyre-soak-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        home_ = pattern;
        ::setenv("XDG_CONFIG_HOME", (home_ + "/config").c_str(), 1);
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(home_, ignored);
    }
    std::string home_;
};

TEST_F(Soak, RandomHostWorkout) {
    const char* seedText = std::getenv("LYRE_SOAK_SEED");
    const unsigned seed = seedText ? static_cast<unsigned>(std::atol(seedText))
                                   : static_cast<unsigned>(Clock::now().time_since_epoch().count());
    const double seconds = soak::durationSeconds(30.0) * 0.6; // the rest is the store stress
    std::printf("soak: %.0f s, seed %u (LYRE_SOAK_SEED repeats a run)\n", seconds, seed);
    std::mt19937 random(seed);
    auto chance = [&random](unsigned in) { return random() % in == 0; };
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);

    Lyrebloom fx(soak::quietHost);
    auto* editor = dynamic_cast<CPresetSystemEditor*>(fx.getEditor());
    ASSERT_NE(editor, nullptr);
    fx.setSampleRate(44100.0f);
    fx.resume();

    Display* display = nullptr;
    Window parent = 0;
    if (const char* name = std::getenv("DISPLAY");
        name && *name && (display = XOpenDisplay(name))) {
        parent = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 400, 300, 0, 0, 0);
        XMapWindow(display, parent);
        XSync(display, False);
    } else {
        std::printf("soak: no X display, the editor part is skipped\n");
    }

    AudioThread audio(fx, seed + 1);
    audio.start();

    long chunkRestores = 0, chunkMismatches = 0, concurrentChunks = 0, badConcurrentChunks = 0;
    long parameterSets = 0, rateChanges = 0, presetLoads = 0, bankLoads = 0, fileLoads = 0;
    long memoryRoundTrips = 0, memoryFailures = 0, editorOpens = 0, recordMismatches = 0;
    std::uint32_t stamp = 1;
    bool tame = false;
    auto phaseEnd = Clock::now();
    const std::string presetFile = home_ + "/soak.zem", bankFile = home_ + "/soak.zeb";
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);

    // Tame: every program and parameter in range, the strings cleared.
    auto makeTame = [&] {
        audio.pause();
        for (int k = 5; k >= 0; --k) {
            fx.selectProgram(k);
            for (VstInt32 i = 0; i < 8; ++i)
                fx.setParameter(i, unit(random));
        }
        fx.suspend();
        fx.resume();
        audio.setAutomating(false);
        audio.setTame(true);
        audio.resume();
    };

    while (Clock::now() < end) {
        if (Clock::now() >= phaseEnd) {
            tame = !tame;
            if (tame) {
                makeTame();
            } else {
                audio.setTame(false);
                audio.setAutomating(true);
            }
            phaseEnd = Clock::now() + std::chrono::milliseconds(300 + random() % 1200);
        }
        const unsigned action = random() % 100;
        if (action < 40) {
            // Automation from this (the GUI or automation) thread too.
            for (unsigned i = 0, n = 1 + random() % 40; i < n; ++i) {
                const auto index = static_cast<VstInt32>(random() % 10) - 1;
                float value = unit(random);
                if (!tame && chance(3))
                    value = chance(2)
                                ? std::numeric_limits<float>::quiet_NaN()
                                : (chance(2) ? -1e9f : std::numeric_limits<float>::infinity());
                fx.setParameter(index, value);
                ++parameterSets;
            }
        } else if (action < 50) {
            // Ardour's save: a chunk while the engine keeps processing.
            const Bytes c = chunkOf(fx);
            ++concurrentChunks;
            std::uint32_t tag = 0;
            if (c.size() == chunk::kSize) std::memcpy(&tag, c.data(), 4);
            if (tag != chunk::kFormatTag) ++badConcurrentChunks;
        } else if (action < 60) {
            // A session restore: processing paused, the saved chunk back in, in either order.
            audio.pause();
            const Bytes saved = chunkOf(fx);
            fx.selectProgram(static_cast<VstInt32>(random() % 6));
            for (VstInt32 i = 0; i < 8; ++i)
                fx.setParameter(i, tame ? unit(random) : unit(random) * 3.0f - 1.0f);
            Bytes restore = chance(2) ? saved : reversedChunk(saved);
            const VstInt32 result =
                fx.setChunk(restore.data(), static_cast<VstInt32>(restore.size()), chance(2));
            ++chunkRestores;
            if (result != 0 || chunkOf(fx) != soak::chunkAsLoaded(saved)) ++chunkMismatches;
            audio.resume();
        } else if (action < 66) {
            audio.pause();
            static constexpr float kRates[] = {8000,  11025, 22050,  32000,  44100, 48000,
                                               88200, 96000, 176400, 192000, 384000};
            fx.suspend();
            fx.setSampleRate(kRates[random() % std::size(kRates)]);
            fx.setBlockSize(static_cast<VstInt32>(1 + random() % kMaxFrames));
            fx.resume();
            ++rateChanges;
            audio.resume();
        } else if (action < 76) {
            // The editor's record commands: half of them while audio (and its automation) runs,
            // the others with processing paused so that what comes back can be compared.
            const bool checked = chance(2);
            if (checked) audio.pause();
            if (chance(2)) {
                std::uint8_t record[records::kPresetSize];
                const ProgramRecord before = fx.currentProgram();
                editor->makePresetRecord(record);
                editor->loadPresetRecord(record, false);
                if (checked && !soak::sameProgram(fx.currentProgram(), soak::asLoaded(before)))
                    ++recordMismatches;
                ++presetLoads;
            } else {
                std::uint8_t record[records::kBankSize];
                editor->makeBankRecord(record);
                const ProgramBank before = fx.programs();
                editor->loadBankRecord(record, false);
                for (int k = 0; k < 6 && checked; ++k)
                    if (!soak::sameProgram(fx.programs()[k], soak::asLoaded(before[k])))
                        ++recordMismatches;
                ++bankLoads;
            }
            if (checked) audio.resume();
        } else if (action < 82) {
            // Preset and bank files written and read back.
            audio.pause();
            const ProgramRecord before = fx.currentProgram();
            if (editor->savePresetFile(presetFile.c_str())) {
                fx.setParameter(kDecay, unit(random));
                editor->loadPresetFile(presetFile.c_str(), false);
                if (!soak::sameProgram(fx.currentProgram(), soak::asLoaded(before)))
                    ++recordMismatches;
            }
            const ProgramBank programs = fx.programs();
            if (editor->saveBankFile(bankFile.c_str())) {
                editor->loadBankFile(bankFile.c_str(), false);
                for (int k = 0; k < 6; ++k)
                    if (!soak::sameProgram(fx.programs()[k], soak::asLoaded(programs[k])))
                        ++recordMismatches;
            }
            ++fileLoads;
            audio.resume();
        } else if (action < 84) {
            // Memories shared with another process, both ways.
            audio.pause();
            ++stamp;
            if (soak::runHelper({"--store-memo", "A", std::to_string(stamp)}) != 0)
                ++memoryFailures;
            editor->recallMemoA();
            if (soak::stampOf(fx.currentProgram()) != stamp) ++memoryFailures;
            fx.loadCurrentProgram(soak::stampedProgram(++stamp));
            editor->storeMemoB();
            if (soak::runHelper({"--check-memo", "B", std::to_string(stamp)}) != 0)
                ++memoryFailures;
            if (tame) makeTame();
            ++memoryRoundTrips;
            audio.resume();
        } else if (action < 86 && display) {
            // The editor opened and closed while automation and audio go on.
            AEffect* effect = fx.getAeffect();
            if (effect->dispatcher(effect, effEditOpen, 0, 0, reinterpret_cast<void*>(parent),
                                   0.0f)) {
                ERect* rect = nullptr;
                effect->dispatcher(effect, effEditGetRect, 0, 0, &rect, 0.0f);
                for (int i = 0; i < 5; ++i) {
                    fx.setParameter(static_cast<VstInt32>(random() % 8), unit(random));
                    effect->dispatcher(effect, effEditIdle, 0, 0, nullptr, 0.0f);
                    std::this_thread::sleep_for(std::chrono::milliseconds(4));
                }
                effect->dispatcher(effect, effEditClose, 0, 0, nullptr, 0.0f);
                ++editorOpens;
            }
        }
    }

    audio.stop();
    if (display) {
        XDestroyWindow(display, parent);
        XCloseDisplay(display);
    }

    std::printf(
        "soak: %ld blocks (%ld frames, %ld checked for finite output, %ld with a passing "
        "subnormal state),\n      %ld parameter sets, %ld rate changes, %ld chunk restores, "
        "%ld chunks while processing,\n      %ld preset and %ld bank record loads, %ld file "
        "round trips, %ld memory round trips with other processes,\n      %ld editor "
        "openings, %ld lasting subnormal states under out-of-range parameters\n",
        audio.blocks(), audio.frames(), audio.checkedBlocks(), audio.transientSubnormals(),
        parameterSets, rateChanges, chunkRestores, concurrentChunks, presetLoads, bankLoads,
        fileLoads, memoryRoundTrips, editorOpens, audio.wildSubnormalRuns());
    EXPECT_GT(audio.checkedBlocks(), 0);
    EXPECT_EQ(audio.allocations(), 0) << audio.firstProblem();
    EXPECT_EQ(audio.nonFinite(), 0) << audio.firstProblem();
    EXPECT_EQ(audio.subnormals(), 0) << audio.firstProblem();
    EXPECT_EQ(chunkMismatches, 0) << "a restored chunk differs from the one saved";
    EXPECT_EQ(badConcurrentChunks, 0);
    EXPECT_EQ(recordMismatches, 0) << "a record loaded back differs from the one made";
    EXPECT_EQ(memoryFailures, 0) << "a memory did not travel between processes";
}

} // namespace
