// Twelve tuned feedback-delay strings with a one-pole low-pass in each loop.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "engine/BankControls.h"
#include "engine/StringTable.h"

class ResonatorBank {
  public:
    ResonatorBank(); // allocates the lines; throws std::bad_alloc when memory is short

    BankControls& controls() { return controls_; }

    // Any thread. Carried out by the audio thread before its next sample, so a line is never
    // cleared while a block reads it.
    void requestTranspositionReset();
    // Any thread: silence the bank and end the glides at the targets of this moment.
    void requestFullReset();

    // Audio thread. Routing is done by the caller: inR may equal inL, outR may equal outL.
    void process(const float* inL, const float* inR, float* outL, float* outR, std::int32_t frames,
                 float sampleRate);

    // The 256-bit kernels run when the processor has AVX2; tests switch them off to check the
    // plain x86-64 ones too. Returns whether they are in use.
    static bool useWideKernels(bool wanted);

    // For tests: the state the next sample starts from.
    std::int32_t writePosition() const { return state_.write; }
    std::int32_t readPositionOf(int string) const { return state_.read[string]; }
    float tuningCurrent() const { return state_.tuning; }
    float detuneCurrent() const { return state_.detune; }
    float lineSample(int string, int position) const { return frames_[position].sample[string]; }
    float filterState(int string) const { return static_cast<float>(state_.filter[string]); }

    static constexpr std::size_t kLineBytes =
        sizeof(float) * strings::kCount * strings::kLineLength;

    // Owned by the audio thread; the per-sample kernel works on it.
    struct State {
        alignas(16) std::int32_t read[strings::kCount] = {};
        alignas(32) double filter[strings::kCount] = {}; // float values, kept widened
        std::int32_t write = strings::kLineMask;
        // While positions are advanced: where each string reads relative to the frame being
        // written (see BankKernel.h), and how many samples that holds before a position wraps.
        alignas(16) std::int32_t delta[strings::kCount] = {};
        std::int32_t steadyRun = 0;
        float tuning = 1.0f;
        float detune = 0.0f;
    };
    // Sample p of all twelve lines side by side: the shared write position touches one frame,
    // and a string's filter input and the tap read at its position lie in the same frame.
    struct alignas(16) Frame {
        float sample[strings::kCount];
    };

  private:
    enum : std::uint32_t { kTranspositionReset = 1, kFullReset = 2 };

    // The values the loop lengths were last worked out from, as bit patterns.
    struct LengthKey {
        std::uint32_t rate, transposition, tuning, detune;
        bool operator==(const LengthKey&) const = default;
    };

    void applyPendingResets(float sampleRate);
    void clearLines();
    void recomputeReadPositions(double sampleRate, double transposition);
    bool steadyPositionsHold(const LengthKey& key); // works out the lengths for a new key

    BankControls controls_;
    std::atomic<std::uint32_t> pendingResets_{0};
    std::atomic<float> resetTuning_{1.0f};
    std::atomic<float> resetDetune_{0.0f};

    std::unique_ptr<Frame[]> frames_;
    State state_;
    // While no glide runs the loop lengths stay the same from sample to sample; when they also
    // advance by exactly one position per sample, the read positions are advanced instead of
    // recomputed. tracking_: the read positions are those of lengthKey_ at the write position.
    LengthKey lengthKey_{};
    bool lengthKeyValid_ = false;
    bool advancesByOne_ = false;
    bool tracking_ = false;
};
