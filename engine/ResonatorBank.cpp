#include "engine/ResonatorBank.h"

#include <atomic>
#include <bit>
#include <cstring>

#include "engine/BankKernel.h"
#include "engine/LoopPositions.h"
#include "engine/ReadPosition.h"

using namespace strings;
using bankkernel::Block;
using bankkernel::Positions;

namespace {

using Kernel = void (*)(ResonatorBank::State&, float*, const Block&, const float*, const float*,
                        float*, float*, std::int32_t, std::int32_t);

template <Positions P, bool Bypassed, bool MonoOut>
void plainKernel(ResonatorBank::State& st, float* lines, const Block& b, const float* inL,
                 const float* inR, float* outL, float* outR, std::int32_t from, std::int32_t to) {
    bankkernel::run<P, Bypassed, MonoOut>(st, lines, b, inL, inR, outL, outR, from, to);
}

// The same operations in 256-bit registers: same results, fewer instructions.
template <Positions P, bool Bypassed, bool MonoOut>
__attribute__((target("avx2"))) void
avx2Kernel(ResonatorBank::State& st, float* lines, const Block& b, const float* inL,
           const float* inR, float* outL, float* outR, std::int32_t from, std::int32_t to) {
    bankkernel::run<P, Bypassed, MonoOut>(st, lines, b, inL, inR, outL, outR, from, to);
}

template <Positions P> struct KernelTable {
    Kernel at[2][2]; // [bypassed][monoOut]
};

template <Positions P, bool Avx2> constexpr KernelTable<P> kernels() {
    if constexpr (Avx2)
        return {{{avx2Kernel<P, false, false>, avx2Kernel<P, false, true>},
                 {avx2Kernel<P, true, false>, avx2Kernel<P, true, true>}}};
    else
        return {{{plainKernel<P, false, false>, plainKernel<P, false, true>},
                 {plainKernel<P, true, false>, plainKernel<P, true, true>}}};
}

// Asked while the module loads, possibly before the runtime has read the processor's features.
const bool kHasAvx2 = (__builtin_cpu_init(), __builtin_cpu_supports("avx2"));
constexpr KernelTable<Positions::Recomputed> kRecomputed[2] = {
    kernels<Positions::Recomputed, false>(), kernels<Positions::Recomputed, true>()};
constexpr KernelTable<Positions::Advanced> kAdvanced[2] = {kernels<Positions::Advanced, false>(),
                                                           kernels<Positions::Advanced, true>()};
std::atomic<bool> wide{kHasAvx2};

} // namespace

ResonatorBank::ResonatorBank() : frames_(new Frame[kLineLength]()) {}

bool ResonatorBank::useWideKernels(bool wanted) {
    wide.store(wanted && kHasAvx2, std::memory_order_relaxed);
    return wide.load(std::memory_order_relaxed);
}

void ResonatorBank::requestTranspositionReset() {
    pendingResets_.fetch_or(kTranspositionReset, std::memory_order_release);
}

void ResonatorBank::requestFullReset() {
    resetTuning_.store(controls_.tuningTarget.load(std::memory_order_relaxed),
                       std::memory_order_relaxed);
    resetDetune_.store(controls_.detuneTarget.load(std::memory_order_relaxed),
                       std::memory_order_relaxed);
    pendingResets_.fetch_or(kFullReset, std::memory_order_release);
}

void ResonatorBank::clearLines() {
    std::memset(frames_.get(), 0, kLineBytes);
}

void ResonatorBank::recomputeReadPositions(double sampleRate, double transposition) {
    for (int i = 0; i < kCount; ++i)
        state_.read[i] = readPosition(
            state_.write, loopLength(i, sampleRate, state_.tuning, state_.detune, transposition));
}

void ResonatorBank::applyPendingResets(float sampleRate) {
    const std::uint32_t pending = pendingResets_.exchange(0, std::memory_order_acquire);
    if (pending == 0) return;
    tracking_ = false;
    if (pending & kFullReset) {
        clearLines();
        std::memset(state_.filter, 0, sizeof state_.filter);
        state_.write = kLineMask;
        state_.tuning = resetTuning_.load(std::memory_order_relaxed);
        state_.detune = resetDetune_.load(std::memory_order_relaxed);
    }
    if (pending & kTranspositionReset) {
        clearLines();
        recomputeReadPositions(sampleRate, controls_.transposition.load(std::memory_order_relaxed));
    }
}

bool ResonatorBank::steadyPositionsHold(const LengthKey& key) {
    lengthKey_ = key;
    lengthKeyValid_ = true;
    tracking_ = false;
    LoopLengths d;
    loopLengths(rateTerms(std::bit_cast<float>(key.rate)), std::bit_cast<float>(key.tuning),
                std::bit_cast<float>(key.detune), std::bit_cast<float>(key.transposition), d);
    advancesByOne_ = true;
    for (double length : d.length)
        advancesByOne_ = advancesByOne_ && advancesByOne(length);
    return advancesByOne_;
}

void ResonatorBank::process(const float* inL, const float* inR, float* outL, float* outR,
                            std::int32_t frames, float sampleRate) {
    if (frames <= 0) return;
    if (pendingResets_.load(std::memory_order_relaxed) != 0) applyPendingResets(sampleRate);

    const float transposition = controls_.transposition.load(std::memory_order_relaxed);
    Block b;
    b.outputGain = controls_.outputGain.load(std::memory_order_relaxed);
    b.damping = controls_.damping.load(std::memory_order_relaxed);
    b.feedback = controls_.feedbackGain.load(std::memory_order_relaxed);
    b.mix = controls_.mix.load(std::memory_order_relaxed);
    b.tuningTarget = controls_.tuningTarget.load(std::memory_order_relaxed);
    b.detuneTarget = controls_.detuneTarget.load(std::memory_order_relaxed);
    b.rate = sampleRate;
    b.transposition = transposition;
    const bool bypassed = controls_.bypass.load(std::memory_order_relaxed) != 0;
    const bool monoOut = outL == outR;
    float* lines = frames_[0].sample;

    // Bitwise equal: the glide steps then leave both values exactly as they are.
    const auto bits = [](float x) { return std::bit_cast<std::uint32_t>(x); };
    const bool gliding =
        bits(state_.tuning) != bits(b.tuningTarget) || bits(state_.detune) != bits(b.detuneTarget);
    const LengthKey key{bits(sampleRate), bits(transposition), bits(state_.tuning),
                        bits(state_.detune)};
    const bool steady =
        !gliding &&
        (lengthKeyValid_ && key == lengthKey_ ? advancesByOne_ : steadyPositionsHold(key));
    const int isa = wide.load(std::memory_order_relaxed);
    if (!steady) {
        kRecomputed[isa].at[bypassed][monoOut](state_, lines, b, inL, inR, outL, outR, 0, frames);
        tracking_ = false;
        return;
    }
    std::int32_t start = 0;
    if (!tracking_) { // one sample computes the positions, later ones advance them
        kRecomputed[isa].at[bypassed][monoOut](state_, lines, b, inL, inR, outL, outR, 0, 1);
        start = 1;
        tracking_ = true;
    }
    kAdvanced[isa].at[bypassed][monoOut](state_, lines, b, inL, inR, outL, outR, start, frames);
}
