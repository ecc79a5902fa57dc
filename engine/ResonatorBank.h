// Twelve tuned feedback-delay strings with a one-pole low-pass in each loop.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "engine/BankControls.h"
#include "engine/LoopPositions.h"
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

    // The kernels: plain x86-64 (SSE2), 256-bit (AVX2), or 256-bit with the steady runs four
    // samples a step in 512-bit registers (AVX-512). The widest the processor has runs; tests
    // choose narrower sets to check them too. Each returns the set in use.
    enum class KernelSet : std::uint8_t { Plain, Avx2, Avx512 };
    static KernelSet useKernels(KernelSet widest);
    // The widest set, or the plain one. Returns whether wide kernels are in use.
    static bool useWideKernels(bool wanted);

    // For tests: the state the next sample starts from.
    std::int32_t writePosition() const { return state_.write; }
    std::int32_t readPositionOf(int string) const;
    float tuningCurrent() const { return state_.tuning; }
    float detuneCurrent() const { return state_.detune; }
    float lineSample(int string, int position) const;
    float filterState(int string) const;

    static constexpr std::size_t kLineBytes =
        sizeof(float) * strings::kCount * strings::kLineLength;

    // Samples whose glide steps and read positions are worked out ahead of their audio.
    static constexpr std::int32_t kAhead = 32;

    // What the kernels read of the derived values, converted once when they change.
    struct Block {
        double outputGain, damping, feedback, mix;
        float tuningTarget, detuneTarget;
        double transposition;
        strings::RateTerms rate;
        strings::Reciprocals inverse;
        float* lines;
        bool avx512 = false; // the AVX-512 kernels: wide filter states, four-sample steady steps
    };
    // Owned by the audio thread; the per-sample kernels work on it.
    struct State {
        // Kept in the state so that a one-sample step needs nothing but the state's address.
        Block block;
        // Read positions of the next sample; while steadyRun is non-zero, or a look-ahead
        // stretch is under way, they are only kept as distances (see settleReads()).
        alignas(16) std::int32_t read[strings::kCount] = {};
        // Float values, kept widened, in the kernels' order (see FrameDistances.h).
        alignas(32) double filter[strings::kCount] = {};
        std::int32_t write = strings::kLineMask;
        // While positions are advanced: where each string reads relative to the frame being
        // written (see BankKernel.h), and how many samples that holds before a position wraps.
        alignas(16) std::int32_t delta[strings::kCount] = {};
        std::int32_t steadyRun = 0;
        // Whether the distances allow two samples at a time, and so four (the four-sample step
        // orders the lines' reads and writes as the two-sample one does).
        bool steadyPairs = false;
        bool steadyCareful = false; // whether a string reads the frame being written
        float tuning = 1.0f;
        float detune = 0.0f;
        // Glide steps and read distances of the samples to come (see GlideStretch.h), kept from
        // block to block while the values they come from stay the same. Sample k leaves glide
        // values tuning[k] and detune[k]; it reads at the distances of entry `entry[k]`, the
        // last change at or before it; at[j] holds distances only for j = 0 and the changes.
        struct Ahead {
            alignas(16) std::int32_t at[kAhead][strings::kCount];
            // Twice the length: fillAhead() writes a whole stretch's worth from any sample on.
            std::uint8_t entry[2 * kAhead];
            alignas(16) std::int32_t after[strings::kCount]; // positions of the sample after
            float tuning[kAhead], detune[kAhead];
            std::int32_t next = 0, count = 0;
            bool pairs = false;   // whether every entry allows two samples at a time
            bool careful = false; // whether an entry reads the frame being written
        } ahead;
    };
    // Sample p of all twelve lines side by side: the shared write position touches one frame,
    // and a string's filter input and the tap read at its position lie in the same frame (next
    // to each other: see FrameDistances.h).
    struct alignas(16) Frame {
        float sample[strings::kCount];
    };
    using Kernel = void (*)(State&, const Block&, const float*, const float*, float*, float*,
                            std::int32_t, std::int32_t);
    // A block of one sample while the positions advance. Takes the caller's own arguments, so
    // process() can jump straight into it.
    using OneSample = void (*)(State&, const float*, const float*, float*, float*);
    // The same while a glide runs; returns whether it goes on.
    using GlideOne = bool (*)(State&, const float*, const float*, float*, float*);

  private:
    enum : std::uint32_t { kTranspositionReset = 1, kFullReset = 2 };

    // The values a block works from, as bit patterns: equal patterns, same work.
    struct Snapshot {
        std::uint32_t changes; // the controls' change count the values were read after
        std::uint32_t outputGain, mix, feedback, damping;
        std::uint32_t bypass;
        std::uint8_t wide;
        bool monoOut;
        std::uint32_t rate, transposition, tuningTarget, detuneTarget;
    };
    // The values the loop lengths were last worked out from, as bit patterns.
    struct LengthKey {
        std::uint32_t rate, transposition, tuning, detune;
        bool operator==(const LengthKey&) const = default;
    };
    // How the blocks to come move the read positions until a reset or a new snapshot.
    enum class Plan { Undecided, Advancing, Recomputing, Gliding };

    Snapshot snapshotNow(float sampleRate, bool monoOut) const;
    void processBlock(const float* inL, const float* inR, float* outL, float* outR,
                      std::int32_t frames, float sampleRate);
    bool unchanged(float sampleRate, bool monoOut) const;
    void adopt(const Snapshot& now);
    void decideAndProcess(const float* inL, const float* inR, float* outL, float* outR,
                          std::int32_t frames);
    void leavePlan();
    void applyPendingResets(float sampleRate);
    void clearLines();
    void recomputeReadPositions(double sampleRate, double transposition);
    bool steadyPositionsHold(const LengthKey& key); // works out the lengths for a new key
    bool gliding() const;
    void endGlide();
    void glideOneSample(const float* inL, const float* inR, float* outL, float* outR);

    BankControls controls_;
    std::atomic<std::uint32_t> pendingResets_{0};
    std::atomic<float> resetTuning_{1.0f};
    std::atomic<float> resetDetune_{0.0f};

    std::unique_ptr<Frame[]> frames_;
    State state_;
    Snapshot snapshot_{};
    bool snapshotValid_ = false;
    Kernel recomputed_ = nullptr;
    Kernel advanced_ = nullptr;
    Kernel sameEveryBlock_ = nullptr; // the kernel of the plan, while it needs no decision
    OneSample advancedOne_ = nullptr;
    OneSample oneSample_ = nullptr; // advancedOne_ while the positions advance
    GlideOne glidingOne_ = nullptr;
    GlideOne glideOne_ = nullptr; // glidingOne_ while a glide runs
    Plan plan_ = Plan::Undecided;
    // While no glide runs the loop lengths stay the same from sample to sample; when they also
    // advance by exactly one position per sample, the read positions are advanced instead of
    // recomputed.
    LengthKey lengthKey_{};
    bool lengthKeyValid_ = false;
    bool advancesByOne_ = false;
};
