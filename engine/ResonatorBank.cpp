#include "engine/ResonatorBank.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstring>

#include "engine/BankKernel.h"
#include "engine/LoopPositions.h"
#include "engine/ReadPosition.h"

using namespace strings;
using bankkernel::Positions;

namespace {

using Kernel = ResonatorBank::Kernel;
using State = ResonatorBank::State;
using Block = ResonatorBank::Block;

template <Positions P, bool Bypassed, bool MonoOut>
void plainKernel(State& st, const Block& b, const float* inL, const float* inR, float* outL,
                 float* outR, std::int32_t from, std::int32_t to) {
    bankkernel::run<P, false, Bypassed, MonoOut>(st, b, inL, inR, outL, outR, from, to);
}

// The same operations in 256-bit registers: same results, fewer instructions.
template <Positions P, bool Bypassed, bool MonoOut>
__attribute__((target("avx2"))) void avx2Kernel(State& st, const Block& b, const float* inL,
                                                const float* inR, float* outL, float* outR,
                                                std::int32_t from, std::int32_t to) {
    bankkernel::run<P, true, Bypassed, MonoOut>(st, b, inL, inR, outL, outR, from, to);
}

template <bool Bypassed, bool MonoOut>
void plainOneSample(State& st, const float* inL, const float* inR, float* outL, float* outR) {
    bankkernel::stepAdvanced<false, Bypassed, MonoOut>(st, inL, inR, outL, outR);
}

template <bool Bypassed, bool MonoOut>
__attribute__((target("avx2"))) void avx2OneSample(State& st, const float* inL, const float* inR,
                                                   float* outL, float* outR) {
    bankkernel::stepAdvanced<true, Bypassed, MonoOut>(st, inL, inR, outL, outR);
}

template <bool Bypassed, bool MonoOut>
__attribute__((target("avx2,avx512f,avx512vl,avx512dq"))) void
avx512OneSample(State& st, const float* inL, const float* inR, float* outL, float* outR) {
    bankkernel::stepAdvanced<true, Bypassed, MonoOut, bankkernel::WideStates>(st, inL, inR, outL,
                                                                              outR);
}

template <bool Bypassed, bool MonoOut>
bool plainGlideOne(State& st, const float* inL, const float* inR, float* outL, float* outR) {
    return bankkernel::stepGliding<false, Bypassed, MonoOut>(st, inL, inR, outL, outR);
}

template <bool Bypassed, bool MonoOut>
__attribute__((target("avx2"))) bool avx2GlideOne(State& st, const float* inL, const float* inR,
                                                  float* outL, float* outR) {
    return bankkernel::stepGliding<true, Bypassed, MonoOut>(st, inL, inR, outL, outR);
}

template <bool Bypassed, bool MonoOut>
__attribute__((target("avx2,avx512f,avx512vl,avx512dq"))) bool
avx512GlideOne(State& st, const float* inL, const float* inR, float* outL, float* outR) {
    return bankkernel::stepGliding<true, Bypassed, MonoOut, bankkernel::WideStates>(st, inL, inR,
                                                                                    outL, outR);
}

using GlideOne = ResonatorBank::GlideOne;
constexpr GlideOne kGlideOne[3][2][2] = { // [kernel set][bypassed][monoOut]
    {{plainGlideOne<false, false>, plainGlideOne<false, true>},
     {plainGlideOne<true, false>, plainGlideOne<true, true>}},
    {{avx2GlideOne<false, false>, avx2GlideOne<false, true>},
     {avx2GlideOne<true, false>, avx2GlideOne<true, true>}},
    {{avx512GlideOne<false, false>, avx512GlideOne<false, true>},
     {avx512GlideOne<true, false>, avx512GlideOne<true, true>}}};

using OneSample = ResonatorBank::OneSample;
constexpr OneSample kOneSample[3][2][2] = { // [kernel set][bypassed][monoOut]
    {{plainOneSample<false, false>, plainOneSample<false, true>},
     {plainOneSample<true, false>, plainOneSample<true, true>}},
    {{avx2OneSample<false, false>, avx2OneSample<false, true>},
     {avx2OneSample<true, false>, avx2OneSample<true, true>}},
    {{avx512OneSample<false, false>, avx512OneSample<false, true>},
     {avx512OneSample<true, false>, avx512OneSample<true, true>}}};

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
// Everything the four-sample step's 512-bit code uses, the registers' state saved by the system
// included (which the runtime's check asks too). Not in 32-bit code: with eight vector registers
// the step would keep most of its vectors on the stack.
const bool kHasAvx512 = sizeof(void*) == 8 && kHasAvx2 && __builtin_cpu_supports("avx512f") &&
                        __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512dq");
using KernelSet = ResonatorBank::KernelSet;
constexpr std::uint8_t setNumber(KernelSet set) {
    return static_cast<std::uint8_t>(set);
}
const KernelSet kWidest = kHasAvx512 ? KernelSet::Avx512
                          : kHasAvx2 ? KernelSet::Avx2
                                     : KernelSet::Plain;
// The set in use as a byte: compared with the snapshot every block without normalising.
std::atomic<std::uint8_t> wide{setNumber(kWidest)};

std::uint32_t bits(float x) {
    return std::bit_cast<std::uint32_t>(x);
}
float value(std::uint32_t b) {
    return std::bit_cast<float>(b);
}

} // namespace

ResonatorBank::ResonatorBank() : frames_(new Frame[kLineLength]()) {
    state_.block.lines = frames_[0].sample;
    state_.block.inverse = reciprocals();
}

ResonatorBank::KernelSet ResonatorBank::useKernels(KernelSet widest) {
    wide.store(std::min(setNumber(widest), setNumber(kWidest)), std::memory_order_relaxed);
    return static_cast<KernelSet>(wide.load(std::memory_order_relaxed));
}

bool ResonatorBank::useWideKernels(bool wanted) {
    return useKernels(wanted ? KernelSet::Avx512 : KernelSet::Plain) != KernelSet::Plain;
}

float ResonatorBank::filterState(int string) const {
    return static_cast<float>(state_.filter[bankkernel::statePosition(string)]);
}

float ResonatorBank::lineSample(int string, int position) const {
    return frames_[position].sample[bankkernel::kSlot[string]];
}

std::int32_t ResonatorBank::readPositionOf(int string) const {
    State settled = state_;
    if (settled.steadyRun != 0)
        bankkernel::readsFromDeltas(settled.delta, settled.write, settled.read);
    else
        bankkernel::settleReads(settled);
    return settled.read[string];
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

// Brings the state to its plain form (read positions written out, no look-ahead), from which
// any plan can start.
void ResonatorBank::leavePlan() {
    if (state_.steadyRun != 0) {
        bankkernel::readsFromDeltas(state_.delta, state_.write, state_.read);
        state_.steadyRun = 0;
    } else {
        bankkernel::settleReads(state_);
    }
    state_.ahead.next = state_.ahead.count = 0;
    plan_ = Plan::Undecided;
    sameEveryBlock_ = nullptr;
    oneSample_ = nullptr;
    glideOne_ = nullptr;
}

void ResonatorBank::applyPendingResets(float sampleRate) {
    const std::uint32_t pending = pendingResets_.exchange(0, std::memory_order_acquire);
    if (pending == 0) return;
    leavePlan();
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

inline ResonatorBank::Snapshot ResonatorBank::snapshotNow(float sampleRate, bool monoOut) const {
    Snapshot now;
    // Read first: a store after it bumps the count again, and the next block adopts once more.
    now.changes = controls_.changes.load(std::memory_order_acquire);
    now.outputGain = bits(controls_.outputGain.load(std::memory_order_relaxed));
    now.mix = bits(controls_.mix.load(std::memory_order_relaxed));
    now.feedback = bits(controls_.feedbackGain.load(std::memory_order_relaxed));
    now.damping = bits(controls_.damping.load(std::memory_order_relaxed));
    now.bypass = static_cast<std::uint32_t>(controls_.bypass.load(std::memory_order_relaxed));
    now.wide = wide.load(std::memory_order_relaxed);
    now.monoOut = monoOut;
    now.rate = bits(sampleRate);
    now.transposition = bits(controls_.transposition.load(std::memory_order_relaxed));
    now.tuningTarget = bits(controls_.tuningTarget.load(std::memory_order_relaxed));
    now.detuneTarget = bits(controls_.detuneTarget.load(std::memory_order_relaxed));
    return now;
}

// One count stands for all the derived values; the rate, the routing and the kernel width come
// from elsewhere. Only meaningful once a snapshot was adopted.
inline bool ResonatorBank::unchanged(float sampleRate, bool monoOut) const {
    const Snapshot& s = snapshot_;
    return s.changes == controls_.changes.load(std::memory_order_acquire) &&
           s.rate == bits(sampleRate) && s.monoOut == monoOut &&
           s.wide == wide.load(std::memory_order_relaxed);
}

// New derived values: convert them once. The plan and its look-ahead survive when the read
// positions do not depend on what changed.
void ResonatorBank::adopt(const Snapshot& now) {
    const bool positionsKept = snapshotValid_ && now.rate == snapshot_.rate &&
                               now.transposition == snapshot_.transposition &&
                               now.tuningTarget == snapshot_.tuningTarget &&
                               now.detuneTarget == snapshot_.detuneTarget;
    if (!positionsKept) {
        leavePlan();
        state_.block.tuningTarget = value(now.tuningTarget);
        state_.block.detuneTarget = value(now.detuneTarget);
        state_.block.transposition = value(now.transposition);
        state_.block.rate = rateTerms(value(now.rate));
    }
    state_.block.outputGain = value(now.outputGain);
    state_.block.mix = value(now.mix);
    state_.block.feedback = value(now.feedback);
    state_.block.damping = value(now.damping);
    const bool avx2 = now.wide != 0, bypassed = now.bypass != 0, monoOut = now.monoOut;
    state_.block.avx512 = now.wide == setNumber(KernelSet::Avx512);
    recomputed_ = kRecomputed[avx2].at[bypassed][monoOut];
    advanced_ = kAdvanced[avx2].at[bypassed][monoOut];
    advancedOne_ = kOneSample[now.wide][bypassed][monoOut];
    glidingOne_ = kGlideOne[now.wide][bypassed][monoOut];
    sameEveryBlock_ = plan_ == Plan::Advancing     ? advanced_
                      : plan_ == Plan::Recomputing ? recomputed_
                                                   : nullptr;
    oneSample_ = plan_ == Plan::Advancing ? advancedOne_ : nullptr;
    glideOne_ = plan_ == Plan::Gliding ? glidingOne_ : nullptr;
    snapshot_ = now;
    snapshotValid_ = true;
}

// The glide has arrived: the next block decides how the positions move from now on.
void ResonatorBank::endGlide() {
    plan_ = Plan::Undecided;
    glideOne_ = nullptr;
}

bool ResonatorBank::gliding() const {
    return bankkernel::stillGliding(state_);
}

bool ResonatorBank::steadyPositionsHold(const LengthKey& key) {
    lengthKey_ = key;
    lengthKeyValid_ = true;
    LoopLengths d;
    loopLengths(rateTerms(value(key.rate)), value(key.tuning), value(key.detune),
                value(key.transposition), d);
    advancesByOne_ = true;
    for (double length : d.length)
        advancesByOne_ = advancesByOne_ && advancesByOne(length);
    return advancesByOne_;
}

// The usual one-sample block (nothing pending, nothing changed, the positions advancing or a glide
// running) jumps straight into its step; everything else goes through processBlock(). A step is
// only chosen after a snapshot was adopted.
void ResonatorBank::process(const float* inL, const float* inR, float* outL, float* outR,
                            std::int32_t frames, float sampleRate) {
    if (frames == 1 && pendingResets_.load(std::memory_order_acquire) == 0 &&
        unchanged(sampleRate, outL == outR)) {
        if (oneSample_ != nullptr) return oneSample_(state_, inL, inR, outL, outR);
        if (glideOne_ != nullptr) return glideOneSample(inL, inR, outL, outR);
    }
    processBlock(inL, inR, outL, outR, frames, sampleRate);
}

// Out of line, so that process() itself needs no stack frame on its way into the steady step.
[[gnu::noinline]] void ResonatorBank::glideOneSample(const float* inL, const float* inR,
                                                     float* outL, float* outR) {
    if (!glideOne_(state_, inL, inR, outL, outR)) endGlide();
}

[[gnu::noinline]] void ResonatorBank::processBlock(const float* inL, const float* inR, float* outL,
                                                   float* outR, std::int32_t frames,
                                                   float sampleRate) {
    if (frames <= 0) return;
    const bool monoOut = outL == outR;
    // An acquire load costs no more than a plain one; only a pending reset pays for the exchange.
    const bool pending = pendingResets_.load(std::memory_order_acquire) != 0;
    if (pending) applyPendingResets(sampleRate);
    if (pending || !snapshotValid_ || !unchanged(sampleRate, monoOut))
        adopt(snapshotNow(sampleRate, monoOut));
    if (sameEveryBlock_) {
        sameEveryBlock_(state_, state_.block, inL, inR, outL, outR, 0, frames);
        return;
    }
    if (plan_ == Plan::Gliding) {
        recomputed_(state_, state_.block, inL, inR, outL, outR, 0, frames);
        if (!gliding()) endGlide();
        return;
    }
    decideAndProcess(inL, inR, outL, outR, frames);
}

void ResonatorBank::decideAndProcess(const float* inL, const float* inR, float* outL, float* outR,
                                     std::int32_t frames) {
    if (gliding()) {
        plan_ = Plan::Gliding;
        glideOne_ = glidingOne_;
        recomputed_(state_, state_.block, inL, inR, outL, outR, 0, frames);
        if (!gliding()) endGlide();
        return;
    }
    // No glide: the loop lengths stay as they are until a reset or new derived values.
    const LengthKey key{snapshot_.rate, snapshot_.transposition, bits(state_.tuning),
                        bits(state_.detune)};
    const bool steady =
        lengthKeyValid_ && key == lengthKey_ ? advancesByOne_ : steadyPositionsHold(key);
    if (!steady) {
        plan_ = Plan::Recomputing;
        sameEveryBlock_ = recomputed_;
        recomputed_(state_, state_.block, inL, inR, outL, outR, 0, frames);
        return;
    }
    // One sample computes the positions, later ones advance them.
    recomputed_(state_, state_.block, inL, inR, outL, outR, 0, 1);
    bankkernel::settleReads(state_);
    state_.ahead.next = state_.ahead.count = 0;
    plan_ = Plan::Advancing;
    sameEveryBlock_ = advanced_;
    oneSample_ = advancedOne_;
    advanced_(state_, state_.block, inL, inR, outL, outR, 1, frames);
}
