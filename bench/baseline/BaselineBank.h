// The resonator bank written as plainly as possible: twelve separate lines, every step of the
// per-sample algorithm in order, read positions recomputed on every sample. Not shipped: it is
// the reference the shipped bank must match bit for bit, and the yardstick of the benchmarks.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "engine/BankControls.h"
#include "engine/StringTable.h"

class BaselineBank {
  public:
    BaselineBank(); // allocates the lines; throws std::bad_alloc when memory is short

    BankControls& controls() { return controls_; }

    // Any thread. Carried out by the audio thread before its next sample, so a line is never
    // cleared while a block reads it.
    void requestTranspositionReset();
    // Any thread: silence the bank and end the glides at the targets of this moment.
    void requestFullReset();

    // Audio thread. Routing is done by the caller: inR may equal inL, outR may equal outL.
    void process(const float* inL, const float* inR, float* outL, float* outR, std::int32_t frames,
                 float sampleRate);

    // For tests: the state the next sample starts from.
    std::int32_t writePosition() const { return write_; }
    std::int32_t readPositionOf(int string) const { return read_[string]; }
    float tuningCurrent() const { return tuning_; }
    float detuneCurrent() const { return detune_; }
    const float* line(int string) const { return lines_.get() + string * strings::kLineLength; }
    float lineSample(int string, int position) const { return line(string)[position]; }
    float filterState(int string) const { return state_[string]; }

  private:
    enum : std::uint32_t { kTranspositionReset = 1, kFullReset = 2 };

    void applyPendingResets(float sampleRate);
    void clearLines();
    void recomputeReadPositions(double sampleRate, double transposition);
    float* lineData(int string) { return lines_.get() + string * strings::kLineLength; }

    BankControls controls_;
    std::atomic<std::uint32_t> pendingResets_{0};
    std::atomic<float> resetTuning_{1.0f};
    std::atomic<float> resetDetune_{0.0f};

    // Owned by the audio thread.
    std::unique_ptr<float[]> lines_;
    std::int32_t write_ = strings::kLineMask;
    std::int32_t read_[strings::kCount] = {};
    float state_[strings::kCount] = {};
    float tuning_ = 1.0f;
    float detune_ = 0.0f;
};
