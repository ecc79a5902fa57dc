// Glide steps and read distances of a stretch of up to kAhead samples, worked out before its
// audio: they do not depend on it. Most strings keep one loop length over a stretch; for the
// others every sample's length is worked out exactly, four samples per vector. The audio loop
// then only sees the samples at which some distance changes.
#pragma once

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <emmintrin.h>

#include "engine/FrameDistances.h"
#include "engine/LoopPositions.h"
#include "engine/ReadPosition.h"
#include "engine/ResonatorBank.h"
#include "engine/StringTable.h"
#include "engine/WideConversions.h"

#define LYRE_INLINE [[gnu::always_inline]] inline

namespace bankkernel {

using Block = ResonatorBank::Block;
using State = ResonatorBank::State;
inline constexpr std::int32_t kAhead = ResonatorBank::kAhead;
// A stretch's changes are the bits of one 32-bit word, and its samples' entries are bytes.
static_assert(kAhead <= 32);

LYRE_INLINE void glideDetune(float& detune, float target) {
    const double d = static_cast<double>(target) - static_cast<double>(detune);
    if (static_cast<double>(static_cast<float>(std::fabs(d))) > kDetuneSnap)
        detune = static_cast<float>(static_cast<double>(detune) + d * kDetuneGlide);
    else
        detune = target;
}

// Constant speed while far, easing in when close, then a snap.
LYRE_INLINE void glideTuning(float& tuning, float target) {
    const double current = tuning;
    const double d = static_cast<double>(target) - current;
    if (static_cast<double>(static_cast<float>(std::fabs(d))) > kTuningSnap) {
        const double proposal = static_cast<float>(current + d * kTuningGlide);
        if (std::fabs(proposal - current) > kTuningStepLimit)
            tuning = static_cast<float>(proposal > current ? current + kTuningStepLimit
                                                           : current - kTuningStepLimit);
        else
            tuning = static_cast<float>(proposal);
    } else {
        tuning = target;
    }
}

// The lowest and highest glide values over a range of samples.
struct GlideRange {
    float tuningLow, tuningHigh, detuneLow, detuneHigh;
};

// Every step of the loop length is monotone in the tuning and in the detune (with a positive
// numerator and denominator), so over a range of samples the lengths lie between the values at
// the corners of the range's bounds. When those lie on one whole number, or strictly inside one
// whole-number interval by more than the rounding of w - D + 16384 (below 2^-37 here), every
// sample of the range truncates alike: its loop is the returned number of samples. 0 otherwise.
inline std::int32_t sureLoop(const Block& b, int i, const GlideRange& g) {
    const double rate = b.rate.rate, scale = b.rate.detuneScale[i];
    const double transposition = b.transposition, frequency = kBaseFrequency[i];
    const double n0 = rate + scale * static_cast<double>(g.detuneLow);
    const double n1 = rate + scale * static_cast<double>(g.detuneHigh);
    const double numLow = n0 < n1 ? n0 : n1, numHigh = n0 < n1 ? n1 : n0;
    const double denLow = frequency * static_cast<double>(g.tuningLow) * transposition;
    const double denHigh = frequency * static_cast<double>(g.tuningHigh) * transposition;
    if (!(numLow > 0.0 && denLow > 0.0 && transposition > 0.0)) return 0;
    const double low = numLow / denHigh, high = numHigh / denLow;
    if (!(low >= 1.0 && high <= 16000.0)) return 0;
    const double whole = static_cast<double>(static_cast<std::int32_t>(low)); // low is positive
    if (low == whole && high == whole) return static_cast<std::int32_t>(whole);
    constexpr double kMargin = 0x1p-30;
    if (low - whole > kMargin && high < whole + 1.0 - kMargin)
        return static_cast<std::int32_t>(whole) + 1;
    return 0;
}

// sureLoop() for strings 4q .. 4q + 3 side by side, lane by lane the same operations. `bounded`
// tells the strings whose every length over the range lies between 1 and 16000 samples.
LYRE_INLINE Int4 sureLoops(const Block& b, int q, const GlideRange& g, Int4& bounded) {
    const double rate = b.rate.rate, transposition = b.transposition;
    const Double4 rates = {rate, rate, rate, rate};
    const Double4 transpositions = {transposition, transposition, transposition, transposition};
    Double4 scale, frequency;
    load4(scale, &b.rate.detuneScale[4 * q]);
    load4(frequency, &kBaseFrequency[4 * q]);
    const double dLow = g.detuneLow, dHigh = g.detuneHigh;
    const double tLow = g.tuningLow, tHigh = g.tuningHigh;
    const Double4 n0 = rates + scale * dLow;
    const Double4 n1 = rates + scale * dHigh;
    const Double4 numLow = n0 < n1 ? n0 : n1, numHigh = n0 < n1 ? n1 : n0;
    const Double4 denLow = frequency * tLow * transpositions;
    const Double4 denHigh = frequency * tHigh * transpositions;
    const Double4 low = numLow / denHigh, high = numHigh / denLow;
    const Long4 usable =
        (numLow > 0.0) & (denLow > 0.0) & (transpositions > 0.0) & (low >= 1.0) & (high <= 16000.0);
    // Lanes that are not usable convert a harmless value.
    const Double4 one = {1.0, 1.0, 1.0, 1.0};
    const Double4 safe = usable ? low : one;
    const Int4 whole = __builtin_convertvector(safe, Int4);
    const Double4 wholes = __builtin_convertvector(whole, Double4);
    constexpr double kMargin = 0x1p-30;
    const Long4 exact = (low == wholes) & (high == wholes);
    const Long4 inside = (low - wholes > kMargin) & (high < wholes + (1.0 - kMargin));
    const Int4 isExact = __builtin_convertvector(usable & exact, Int4);
    const Int4 isInside = __builtin_convertvector(usable & inside & ~exact, Int4);
    bounded = __builtin_convertvector(usable, Int4);
    return (whole & isExact) | ((whole + 1) & isInside);
}

// glideTuning() on four values side by side, lane by lane the same operations.
template <bool Wide> LYRE_INLINE Float4 glideTunings(const Float4& tuning, float target) {
    const Long4 magnitude = {INT64_MAX, INT64_MAX, INT64_MAX, INT64_MAX};
    Double4 current, distance, proposal;
    widen<Wide>(tuning, current);
    const double goal = target;
    const Double4 d = goal - current;
    const Double4 size = reinterpret_cast<Double4>(reinterpret_cast<Long4>(d) & magnitude);
    widen<Wide>(__builtin_convertvector(size, Float4), distance);
    widen<Wide>(__builtin_convertvector(current + d * kTuningGlide, Float4), proposal);
    const Double4 moved = proposal - current;
    const Long4 limited =
        reinterpret_cast<Double4>(reinterpret_cast<Long4>(moved) & magnitude) > kTuningStepLimit;
    const Double4 stepped =
        proposal > current ? current + kTuningStepLimit : current - kTuningStepLimit;
    const Float4 next = __builtin_convertvector(limited ? stepped : proposal, Float4);
    const Int4 moving = __builtin_convertvector(distance > kTuningSnap, Int4);
    const Float4 targets = {target, target, target, target};
    return moving ? next : targets;
}

// Step 9 for `count` samples into out. Each step adds nearly the same number of units in the
// last place as the one before (exactly so at the limited speed within one binade), so four
// steps are guessed from the last one and checked against the rule side by side, which breaks
// the sample-to-sample chain of conversions. The first wrong guess is replaced by what the rule
// gave for it, its input being right, so every check keeps at least one sample.
template <bool Wide>
LYRE_INLINE void tuningSteps(float* out, float tuning, float target, std::int32_t count) {
    using UInt4 = std::uint32_t __attribute__((vector_size(16)));
    float before = tuning;
    glideTuning(tuning, target);
    out[0] = tuning;
    std::int32_t k = 1;
    while (k + 4 <= count) {
        const std::uint32_t base = std::bit_cast<std::uint32_t>(tuning);
        const std::uint32_t step = base - std::bit_cast<std::uint32_t>(before);
        const UInt4 guess = base + UInt4{step, 2 * step, 3 * step, 4 * step};
        const UInt4 previous = __builtin_shufflevector(guess, UInt4{base, 0, 0, 0}, 4, 0, 1, 2);
        const UInt4 checked =
            reinterpret_cast<UInt4>(glideTunings<Wide>(reinterpret_cast<Float4>(previous), target));
        std::memcpy(out + k, &checked, sizeof checked);
        const int wrong =
            _mm_movemask_ps(_mm_castsi128_ps(reinterpret_cast<__m128i>(checked != guess)));
        if (wrong == 0) [[likely]] {
            // All four held: the next guesses follow from these guesses alone, so they need not
            // wait for the check (only the branch does), and the checks of a stretch overlap.
            before = std::bit_cast<float>(guess[2]);
            tuning = std::bit_cast<float>(guess[3]);
            k += 4;
            continue;
        }
        const int kept = std::countr_zero(static_cast<unsigned>(wrong)) + 1;
        before = std::bit_cast<float>(previous[kept - 1]);
        tuning = std::bit_cast<float>(checked[kept - 1]);
        k += kept;
    }
    for (; k < count; ++k) {
        glideTuning(tuning, target);
        out[k] = tuning;
    }
}

// Steps 8 and 9 for `count` samples, keeping what each leaves. A glide that has arrived stays
// where it is, so only the moving ones are stepped; the two glides do not depend on each other.
template <bool Wide>
LYRE_INLINE void glideValues(State::Ahead& a, float tuning, float detune, const Block& b,
                             std::int32_t count) {
    const bool detuneStill =
        std::bit_cast<std::uint32_t>(detune) == std::bit_cast<std::uint32_t>(b.detuneTarget);
    const bool tuningStill =
        std::bit_cast<std::uint32_t>(tuning) == std::bit_cast<std::uint32_t>(b.tuningTarget);
    if (detuneStill) {
        for (std::int32_t k = 0; k < count; ++k)
            a.detune[k] = detune;
    } else {
        for (std::int32_t k = 0; k < count; ++k) {
            glideDetune(detune, b.detuneTarget);
            a.detune[k] = detune;
        }
    }
    if (tuningStill) {
        for (std::int32_t k = 0; k < count; ++k)
            a.tuning[k] = tuning;
    } else {
        tuningSteps<Wide>(a.tuning, tuning, b.tuningTarget, count);
    }
    // The vector loops below read whole groups of four.
    for (std::int32_t k = count; k < kAhead; ++k) {
        a.tuning[k] = a.tuning[count - 1];
        a.detune[k] = a.detune[count - 1];
    }
}

// What a stretch's exact rows can leave out: a glide value that stays the same over the whole
// stretch is converted once, and when every length lies between 1 and 16000 samples no distance
// can be out of range or read the frame being written or the one after it.
struct RowKind {
    bool bounded, tuningMoves, detuneMoves;
};

// The two halves of loopLength() for four glide values.
template <bool Wide>
LYRE_INLINE void numerators(const float* detune, const Double4& rates, const Double4& scales,
                            Double4& out) {
    Float4 d;
    std::memcpy(&d, detune, sizeof d);
    Double4 wide;
    widen<Wide>(d, wide);
    out = rates + scales * wide;
}
template <bool Wide>
LYRE_INLINE void denominators(const float* tuning, const Double4& frequencies,
                              const Double4& transpositions, Double4& out) {
    Float4 t;
    std::memcpy(&t, tuning, sizeof t);
    Double4 wide;
    widen<Wide>(t, wide);
    out = (frequencies * wide) * transpositions;
}

// Groups of four samples of exactRow(), for one kind of stretch.
template <bool Wide, bool Bounded, bool TuningMoves, bool DetuneMoves>
LYRE_INLINE void exactGroups(const State& st, const Block& b, int i, std::int32_t count,
                             std::int32_t* row, Long4& inRange, Int4& next4, Int4& own4) {
    const State::Ahead& a = st.ahead;
    const std::int32_t write = st.write;
    const double rate = b.rate.rate, scale = b.rate.detuneScale[i];
    const double frequency = kBaseFrequency[i], transposition = b.transposition;
    const Double4 rates = {rate, rate, rate, rate};
    const Double4 scales = {scale, scale, scale, scale};
    const Double4 frequencies = {frequency, frequency, frequency, frequency};
    const Double4 transpositions = {transposition, transposition, transposition, transposition};
    constexpr double kLength = kLineLength, kLow = -2147483648.0, kHigh = 2147483648.0;
    // Still values are the same in every lane and every group: the first group's serve all.
    Double4 stillNumerator, stillDenominator;
    numerators<Wide>(a.detune, rates, scales, stillNumerator);
    denominators<Wide>(a.tuning, frequencies, transpositions, stillDenominator);
    const double w0 = write;
    Double4 at = {w0, w0 + 1.0, w0 + 2.0, w0 + 3.0};
    Int4 next = {write + 1, write + 2, write + 3, write + 4};
    const std::int32_t start = kPairStart[i];
    const Int4 starts = {start, start, start, start};
    const std::int32_t groups = (count + 3) / 4;
    for (std::int32_t g = 0; g < groups; ++g) {
        Double4 numerator = stillNumerator, denominator = stillDenominator;
        if constexpr (DetuneMoves) numerators<Wide>(a.detune + 4 * g, rates, scales, numerator);
        if constexpr (TuningMoves)
            denominators<Wide>(a.tuning + 4 * g, frequencies, transpositions, denominator);
        const Double4 length = numerator / denominator;
        const Double4 v = (at - length) + kLength;
        if constexpr (!Bounded) inRange &= (v > kLow) & (v < kHigh);
        const Int4 whole = __builtin_convertvector(v, Int4);
        const Int4 r = ((whole & kLineMask) + 1) & kLineMask; // the read of sample 4g + 1...
        const Int4 distance = (r - next) * kCount + starts;
        storeInts(row + 1 + 4 * g, distance);
        if constexpr (!Bounded) {
            // A stretch never crosses the end of the lines, so the frame after the one being
            // written is never the line's first.
            next4 |= distance == kCount + starts;
            own4 |= distance == starts;
        }
        at += 4.0;
        next += 4;
    }
}

// String i's distances for samples 1 .. count - 1 of the stretch (row[j]), each from the glide
// values sample j - 1 leaves and by the exact formula, and the read position of sample count.
// row needs room for four entries past the count. Says whether any of those distances reads
// the frame after the one being written, or that one itself.
template <bool Wide>
LYRE_INLINE void exactRow(const State& st, const Block& b, int i, std::int32_t count,
                          std::int32_t* row, std::int32_t& after, bool& ahead, bool& own,
                          RowKind kind) {
    const State::Ahead& a = st.ahead;
    const std::int32_t write = st.write;
    Long4 inRange = {-1, -1, -1, -1};
    Int4 next4 = {0, 0, 0, 0}, own4 = {0, 0, 0, 0};
    if (!kind.bounded)
        exactGroups<Wide, false, true, true>(st, b, i, count, row, inRange, next4, own4);
    else if (!kind.detuneMoves)
        exactGroups<Wide, true, true, false>(st, b, i, count, row, inRange, next4, own4);
    else if (!kind.tuningMoves)
        exactGroups<Wide, true, false, true>(st, b, i, count, row, inRange, next4, own4);
    else
        exactGroups<Wide, true, true, true>(st, b, i, count, row, inRange, next4, own4);
    const std::int32_t start = kPairStart[i];
    // Lanes past the count repeat the last glide values, so they are as much in range as it is;
    // at worst their distances turn pairs off for the stretch.
    if (!(inRange[0] & inRange[1] & inRange[2] & inRange[3])) {
        // Huge or not-a-number lengths: the scalar rules reduce them safely.
        const double rate = b.rate.rate, transposition = b.transposition;
        next4 = own4 = Int4{0, 0, 0, 0};
        for (std::int32_t m = 0; m < count; ++m) {
            const std::int32_t read =
                (readPosition(write + m,
                              loopLength(i, rate, a.tuning[m], a.detune[m], transposition)) +
                 1) &
                kLineMask;
            row[m + 1] = (read - (write + m + 1)) * kCount + start;
            next4[0] |= readsNextFrame(row[m + 1], i) ? -1 : 0;
            own4[0] |= readsOwnFrame(row[m + 1], i) ? -1 : 0;
        }
    }
    after = (write + count + (row[count] - start) / kCount) & kLineMask;
    ahead = ahead || (next4[0] | next4[1] | next4[2] | next4[3]) != 0;
    own = own || (own4[0] | own4[1] | own4[2] | own4[3]) != 0;
}

// Bits 1 .. count - 1: where row[j] differs from the distance before it (row[0] is the first).
LYRE_INLINE std::uint32_t changesOf(const std::int32_t* row, std::int32_t count) {
    std::uint32_t changes = 0;
    for (std::int32_t g = 0; 4 * g + 1 < count; ++g) {
        const Int4 differ = loadInts(row + 1 + 4 * g) != loadInts(row + 4 * g);
        const auto bits = static_cast<std::uint32_t>(
            _mm_movemask_ps(_mm_castsi128_ps(reinterpret_cast<__m128i>(differ))));
        changes |= bits << (1 + 4 * g);
    }
    return changes & ((count < 32 ? 1u << count : 0u) - 1u);
}

// The stretch that starts at the state's next sample: its glide values, the distances of its
// first sample and those of every sample where one changes, and the read positions of the
// sample after it. A stretch never crosses the end of the lines.
template <bool Wide> LYRE_INLINE void fillAhead(State& st, const Block& b) {
    State::Ahead& a = st.ahead;
    const std::int32_t write = st.write;
    const std::int32_t count = std::min(kAhead, kLineLength - write);
    deltasFor(a.count > 0 ? a.after : st.read, write, a.at[0]);
    glideValues<Wide>(a, st.tuning, st.detune, b, count);

    // Finite glides move monotonically towards their targets and never pass them, so the first
    // and last values bound the whole stretch.
    const bool finite = std::isfinite(st.tuning) && std::isfinite(st.detune) &&
                        std::isfinite(b.tuningTarget) && std::isfinite(b.detuneTarget);
    const float t0 = a.tuning[0], t1 = a.tuning[count - 1];
    const float d0 = a.detune[0], d1 = a.detune[count - 1];
    const GlideRange range{std::min(t0, t1), std::max(t0, t1), std::min(d0, d1), std::max(d0, d1)};
    // Monotone glides whose first and last values are equal hold still all through the stretch.
    const bool tuningMoves =
        !finite || std::bit_cast<std::uint32_t>(t0) != std::bit_cast<std::uint32_t>(t1);
    const bool detuneMoves =
        !finite || std::bit_cast<std::uint32_t>(d0) != std::bit_cast<std::uint32_t>(d1);

    alignas(16) std::int32_t rows[kCount][kAhead + 4];
    // Strings that keep one loop over the stretch, side by side: one distance while the read
    // position lies behind the write position in the line, another once it has wrapped to the
    // far end, where the write position meets the loop length.
    alignas(16) std::int32_t loop[kCount], first[kCount], meets[kCount], bounded[kCount];
    std::uint32_t special = 0; // strings that need a look of their own
    for (int q = 0; q < kQuads; ++q) {
        const Int4 lane = loadInts(kPairStart + 4 * q);
        Int4 inBounds = {0, 0, 0, 0};
        const Int4 l = finite ? sureLoops(b, q, range, inBounds) : Int4{0, 0, 0, 0};
        storeInts(bounded + 4 * q, inBounds);
        const Int4 behind = lane - l * kCount;
        const Int4 one = write + 1 >= l ? behind : behind + kLineLength * kCount;
        const Int4 meet = l - write; // w + meet == loop
        const Int4 sure = l > 0;
        const Int4 moves = (one != loadInts(a.at[0] + 4 * q)) | ((meet > 1) & (meet < count));
        const Int4 look = ~sure | (moves & (count > 1 ? -1 : 0));
        storeInts(loop + 4 * q, l);
        storeInts(first + 4 * q, one);
        storeInts(meets + 4 * q, meet);
        storeInts(a.after + 4 * q, (write + count - l) & kLineMask);
        special |= static_cast<std::uint32_t>(
                       _mm_movemask_ps(_mm_castsi128_ps(reinterpret_cast<__m128i>(look))))
                   << (4 * q);
    }

    std::uint32_t changes[kCount];
    int moving[kCount], movers = 0;
    std::uint32_t any = 0;
    bool ahead = false, own = false;
    for (std::uint32_t left = special; left != 0; left &= left - 1) {
        const int i = std::countr_zero(left);
        std::int32_t* row = rows[i];
        row[0] = a.at[0][i];
        std::uint32_t change;
        if (loop[i] > 0) {
            row[1] = first[i];
            change = static_cast<std::uint32_t>(row[1] != row[0]) << 1;
            if (meets[i] > 1 && meets[i] < count) {
                row[meets[i]] = -loop[i] * kCount + kPairStart[i];
                change |= 1u << meets[i];
            }
        } else {
            exactRow<Wide>(st, b, i, count, row, a.after[i], ahead, own,
                           {bounded[i] != 0, tuningMoves, detuneMoves});
            change = changesOf(row, count);
        }
        changes[i] = change;
        any |= change;
        if (change != 0) moving[movers++] = i;
    }

    // The distances in force from each change on, and each sample's entry: every change's
    // number runs to the end, and a later one writes over it from its own sample on.
    std::memset(a.entry, 0, kAhead);
    std::int32_t previous = 0;
    for (std::uint32_t left = any; left != 0; left &= left - 1) {
        const int k = std::countr_zero(left);
        std::memset(a.entry + k, k, kAhead);
        for (int q = 0; q < kQuads; ++q)
            storeInts(a.at[k] + 4 * q, loadInts(a.at[previous] + 4 * q));
        for (int m = 0; m < movers; ++m) {
            const int i = moving[m];
            if ((changes[i] >> k) & 1u) a.at[k][i] = rows[i][k];
        }
        previous = k;
    }
    a.pairs = !ahead && pairsAllowed(a.at[0]);
    a.careful = own || !ownFrameUnread(a.at[0]);
    a.next = 0;
    a.count = count;
}

// While a stretch is under way the read positions the next sample starts from are only kept
// as distances; this writes them out.
LYRE_INLINE void settleReads(State& st) {
    const State::Ahead& a = st.ahead;
    if (a.count == 0) return;
    if (a.next == a.count)
        for (int q = 0; q < kQuads; ++q)
            storeInts(st.read + 4 * q, loadInts(a.after + 4 * q));
    else
        readsFromDeltas(a.at[a.entry[a.next]], st.write, st.read);
}

} // namespace bankkernel

#undef LYRE_INLINE
