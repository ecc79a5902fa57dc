// The per-sample work of the resonator bank, for one run of samples. Everything is forced inline
// so that ResonatorBank.cpp can compile it twice: for plain x86-64 (SSE2) and, behind a CPU check,
// for AVX2. Both do the same IEEE operations in the same order, so the output is identical.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <emmintrin.h>

#include "engine/LoopPositions.h"
#include "engine/ResonatorBank.h"
#include "engine/StringTable.h"

#define LYRE_INLINE [[gnu::always_inline]] inline

namespace bankkernel {

using namespace strings;
using Float4 = float __attribute__((vector_size(16)));

using Block = ResonatorBank::Block;
using State = ResonatorBank::State;
inline constexpr std::int32_t kAhead = ResonatorBank::kAhead;

// Recomputed: glide steps and loop lengths every sample. Advanced: no glide runs and the read
// positions simply move on with the write position.
enum class Positions { Recomputed, Advanced };

// A frame's samples written as floats: unlike a byte copy, this store cannot change the int32
// distances the taps of the same sample read at, so they stay in registers.
using Float4Unaligned = float __attribute__((vector_size(16), aligned(4)));

// Filter states widened to double. They stay exact float values: every update is rounded to
// float and widened again.
struct States {
    Double4 quad[kQuads];
};

// Four floats to four doubles. GCC 12 splits the generic conversion in 256-bit code and sends
// the high half through the stack, inside the filter's sample-to-sample chain; one vcvtps2pd does
// it all.
template <bool Wide> LYRE_INLINE void widen(const Float4& f, Double4& d) {
    d = __builtin_convertvector(f, Double4);
}
// What _mm256_cvtps_pd would give; the intrinsic cannot sit in a helper without a target of its
// own, and this one only ever ends up inside the AVX2 kernels.
template <> LYRE_INLINE void widen<true>(const Float4& f, Double4& d) {
#if defined(__clang__)
    // clang emits the single instruction itself (and refuses a 256-bit operand here).
    d = __builtin_convertvector(f, Double4);
#else
    asm("vcvtps2pd %1, %0" : "=x"(d) : "x"(f));
#endif
}

template <bool Wide> LYRE_INLINE void roundToFloat(Double4& v) {
    widen<Wide>(__builtin_convertvector(v, Float4), v);
}
LYRE_INLINE __m128d low(const Double4& v) {
    return __builtin_shufflevector(v, v, 0, 1);
}
LYRE_INLINE __m128d high(const Double4& v) {
    return __builtin_shufflevector(v, v, 2, 3);
}

LYRE_INLINE __m128d widenPair(const float* a, const float* b) {
    return _mm_cvtps_pd(_mm_unpacklo_ps(_mm_load_ss(a), _mm_load_ss(b)));
}

LYRE_INLINE Int4 loadInts(const std::int32_t* p) {
    Int4 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
LYRE_INLINE void storeInts(std::int32_t* p, Int4 v) {
    std::memcpy(p, &v, sizeof v);
}

// Where each string reads, relative to the frame being written: string i's own line at its own
// position. The taps of the other channel's lines lie in the same frame.
LYRE_INLINE void deltasFor(const std::int32_t* read, std::int32_t write, std::int32_t* at) {
    for (int q = 0; q < kQuads; ++q) {
        const Int4 lane = {4 * q, 4 * q + 1, 4 * q + 2, 4 * q + 3};
        storeInts(at + 4 * q, (loadInts(read + 4 * q) - write) * kCount + lane);
    }
}

// The inverse of deltasFor().
LYRE_INLINE void readsFromDeltas(const std::int32_t* at, std::int32_t write, std::int32_t* read) {
    for (int q = 0; q < kQuads; ++q) {
        const Int4 lane = {4 * q, 4 * q + 1, 4 * q + 2, 4 * q + 3};
        storeInts(read + 4 * q, (write + (loadInts(at + 4 * q) - lane) / kCount) & kLineMask);
    }
}

// Samples until the write position or any read position wraps.
LYRE_INLINE std::int32_t untilWrap(const std::int32_t* read, std::int32_t write) {
    Int4 farthest = loadInts(read);
    for (int q = 1; q < kQuads; ++q) {
        const Int4 r = loadInts(read + 4 * q);
        farthest = farthest > r ? farthest : r;
    }
    const std::int32_t most = std::max(std::max(farthest[0], farthest[1]),
                                       std::max(std::max(farthest[2], farthest[3]), write));
    return kLineLength - most;
}

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

// Step 3 for one sample: the damping filters of the frame at the write position.
template <bool Wide>
LYRE_INLINE void filters(const Block& b, States& s, const float* frame, const std::int32_t* at) {
    const Double4 c = {b.damping, b.damping, b.damping, b.damping};
    for (int q = 0; q < kQuads; ++q) {
        const int i = 4 * q;
        const Float4 in = {frame[at[i]], frame[at[i + 1]], frame[at[i + 2]], frame[at[i + 3]]};
        Double4 x;
        widen<Wide>(in, x);
        s.quad[q] = s.quad[q] + c * (x - s.quad[q]);
        roundToFloat<Wide>(s.quad[q]);
    }
}

// Step 5: every line receives the same excitation.
LYRE_INLINE void writeFrame(const Block& b, const States& s, float* frame, double e) {
    const Double4 excitation = {e, e, e, e};
    const Double4 g = {b.feedback, b.feedback, b.feedback, b.feedback};
    for (int q = 0; q < kQuads; ++q) {
        const Float4 out = __builtin_convertvector(excitation + g * s.quad[q], Float4);
        *reinterpret_cast<Float4Unaligned*>(frame + 4 * q) = out;
    }
}

// The two taps that join the sums at step m (left, right): line 2m+1 at the position of string
// 10−2m, line 2m at that of string 11−2m.
LYRE_INLINE float leftTap(const float* frame, const std::int32_t* at, int m) {
    return frame[at[10 - 2 * m] + 4 * m - 9];
}
LYRE_INLINE float rightTap(const float* frame, const std::int32_t* at, int m) {
    return frame[at[11 - 2 * m] + 4 * m - 11];
}

// Steps 1 to 7 and 11 for the frame at the write position; the caller does 8 to 10 and 12.
template <bool Wide, bool Bypassed, bool MonoOut>
LYRE_INLINE void sample(const Block& b, States& s, float* frame, const std::int32_t* at, float o,
                        const float* inL, const float* inR, float* outL, float* outR,
                        std::int32_t n) {
    // 1-2: inputs, read before any output of this sample is written (buffers may alias).
    const float rawL = inL[n];
    const float rawR = inR[n];
    float exciteL, exciteR, dryL, dryR;
    if constexpr (!Bypassed) {
        exciteL = dryL = rawL + o;
        exciteR = dryR = rawR + o;
    } else {
        exciteL = exciteR = o;
        dryL = rawL;
        dryR = rawR;
    }

    filters<Wide>(b, s, frame, at);
    // 4-5
    writeFrame(b, s, frame,
               kExcitationScale * (static_cast<double>(exciteL) + static_cast<double>(exciteR)));

    // 6: (left, right) summed side by side: the state pairs (s0, s1), (s2, s3)... first, then
    // the taps, each lane in the order of a plain running sum.
    __m128d sum = _mm_add_pd(low(s.quad[0]), high(s.quad[0]));
    for (int q = 1; q < kQuads; ++q) {
        sum = _mm_add_pd(sum, low(s.quad[q]));
        sum = _mm_add_pd(sum, high(s.quad[q]));
    }
    for (int m = 0; m < kCount / 2; ++m)
        sum = _mm_add_pd(sum, widenPair(frame + at[10 - 2 * m] + 4 * m - 9,
                                        frame + at[11 - 2 * m] + 4 * m - 11));

    // 7: dry/wet blend.
    const __m128d dry = _mm_setr_pd(dryL, dryR);
    const __m128d wet = _mm_mul_pd(_mm_set1_pd(kWetScale), sum);
    const __m128 y =
        _mm_cvtpd_ps(_mm_add_pd(dry, _mm_mul_pd(_mm_set1_pd(b.mix), _mm_sub_pd(wet, dry))));

    // 11: outputs; a shared buffer gets the mean of both channels.
    if constexpr (MonoOut) {
        const double yL = _mm_cvtss_f32(y);
        const double yR = _mm_cvtss_f32(_mm_shuffle_ps(y, y, 1));
        outL[n] = static_cast<float>((yL + yR) * b.outputGain * kMonoOutputScale);
    } else {
        const __m128 out = _mm_cvtpd_ps(_mm_mul_pd(_mm_set1_pd(b.outputGain), _mm_cvtps_pd(y)));
        outL[n] = _mm_cvtss_f32(out);
        outR[n] = _mm_cvtss_f32(_mm_shuffle_ps(out, out, 1));
    }
}

// Samples n and n+1 (frames 0 and 1, read at at0 and at1), with the sums, blends and outputs of
// both in one vector: lanes (left n, right n, left n+1, right n+1), each lane doing the operations
// of sample() in its order. The taps of sample n are read after sample n+1 has written its frame,
// so no tap of sample n may lie in that frame (no string reads one sample ahead of the write
// position: see pairsAllowed()); the inputs of n+1 are read before the outputs of n are written,
// so no output buffer may start one sample after an input buffer (see pairedBuffersAllowed()).
template <bool Wide, bool Bypassed, bool MonoOut>
LYRE_INLINE void samplePair(const Block& b, States& s, float* frame0, const std::int32_t* at0,
                            float* frame1, const std::int32_t* at1, float o, const float* inL,
                            const float* inR, float* outL, float* outR, std::int32_t n) {
    const Float4 raw = {inL[n], inR[n], inL[n + 1], inR[n + 1]};
    const Float4 offset = {o, o, -o, -o};
    Float4 excite, dry;
    if constexpr (!Bypassed) {
        excite = dry = raw + offset;
    } else {
        excite = offset;
        dry = raw;
    }
    // 4: the excitation of both samples at once; x + y equals y + x in every rounding.
    Double4 x;
    widen<Wide>(excite, x);
    const Double4 e = kExcitationScale * (x + __builtin_shufflevector(x, x, 1, 0, 3, 2));

    filters<Wide>(b, s, frame0, at0);
    writeFrame(b, s, frame0, e[0]);
    const States first = s;
    filters<Wide>(b, s, frame1, at1);
    writeFrame(b, s, frame1, e[2]);

    // 6
    Double4 sum = __builtin_shufflevector(first.quad[0], s.quad[0], 0, 1, 4, 5) +
                  __builtin_shufflevector(first.quad[0], s.quad[0], 2, 3, 6, 7);
    for (int q = 1; q < kQuads; ++q) {
        sum = sum + __builtin_shufflevector(first.quad[q], s.quad[q], 0, 1, 4, 5);
        sum = sum + __builtin_shufflevector(first.quad[q], s.quad[q], 2, 3, 6, 7);
    }
    for (int m = 0; m < kCount / 2; ++m) {
        const Float4 taps = {leftTap(frame0, at0, m), rightTap(frame0, at0, m),
                             leftTap(frame1, at1, m), rightTap(frame1, at1, m)};
        Double4 t;
        widen<Wide>(taps, t);
        sum = sum + t;
    }

    // 7
    Double4 d;
    widen<Wide>(dry, d);
    const Float4 y = __builtin_convertvector(d + b.mix * (kWetScale * sum - d), Float4);

    // 11
    Double4 yd;
    widen<Wide>(y, yd);
    if constexpr (MonoOut) {
        const Double4 both = yd + __builtin_shufflevector(yd, yd, 1, 0, 3, 2);
        const Float4 out = __builtin_convertvector(both * b.outputGain * kMonoOutputScale, Float4);
        outL[n] = out[0];
        outL[n + 1] = out[2];
    } else {
        const Float4 out = __builtin_convertvector(b.outputGain * yd, Float4);
        outL[n] = out[0];
        outR[n] = out[1];
        outL[n + 1] = out[2];
        outR[n + 1] = out[3];
    }
}

// Whether a pair may use these distances: no string reads the frame one sample after the one
// being written (a loop of 16383 samples, which only odd rates and tunings give).
LYRE_INLINE bool pairsAllowed(const std::int32_t* at) {
    Int4 ahead = {0, 0, 0, 0};
    for (int q = 0; q < kQuads; ++q) {
        const Int4 lane = {4 * q, 4 * q + 1, 4 * q + 2, 4 * q + 3};
        const Int4 d = loadInts(at + 4 * q) - lane;
        ahead |= (d == kCount) | (d == kCount - kLineLength * kCount);
    }
    return (ahead[0] | ahead[1] | ahead[2] | ahead[3]) == 0;
}

// Whether pairs may read the inputs of sample n+1 before writing the outputs of sample n.
inline bool pairedBuffersAllowed(const float* inL, const float* inR, const float* outL,
                                 const float* outR) {
    const auto at = [](const float* p) { return reinterpret_cast<std::uintptr_t>(p); };
    const std::uintptr_t next[2] = {at(inL + 1), at(inR + 1)};
    for (const float* out : {outL, outR})
        for (std::uintptr_t in : next)
            if (at(out) == in) return false;
    return true;
}
// The distances sample k + 1 of the look-ahead reads at, from the positions sample k leaves.
// Pairs are allowed when the first entry allows them and `later` says the others do.
LYRE_INLINE void aheadDistances(State& st, bool later) {
    State::Ahead& a = st.ahead;
    deltasFor(st.read, st.write, a.at[0]);
    for (std::int32_t k = 0; k + 1 < kAhead; ++k)
        deltasFor(a.read[k], (st.write + k + 1) & kLineMask, a.at[k + 1]);
    a.pairs = later && pairsAllowed(a.at[0]);
    // Runs of equal distances, so that the audio loop can keep them in registers.
    a.same[kAhead - 1] = 1;
    for (std::int32_t k = kAhead - 2; k >= 0; --k) {
        Int4 differ = {0, 0, 0, 0};
        for (int q = 0; q < kQuads; ++q)
            differ |= loadInts(a.at[k] + 4 * q) ^ loadInts(a.at[k + 1] + 4 * q);
        const bool equal = _mm_movemask_epi8(_mm_cmpeq_epi32(reinterpret_cast<__m128i>(differ),
                                                             _mm_setzero_si128())) == 0xffff;
        a.same[k] = equal ? a.same[k + 1] + 1 : 1;
    }
    a.next = 0;
    a.count = kAhead;
}

// The plain way: every sample's positions on their own (from reciprocals where that is vouched
// for, divided otherwise). Used where the glide values are not all finite.
LYRE_INLINE void fillAheadOneByOne(State& st, const Block& b) {
    State::Ahead& a = st.ahead;
    std::int32_t w = st.write;
    for (std::int32_t k = 0; k < kAhead; ++k) {
        Int4 next[kQuads];
        if (!readPositionsNear(w, b.rate, b.inverse, a.tuning[k], a.detune[k], b.transposition,
                               next)) {
            LoopLengths lengths;
            loopLengths(b.rate, a.tuning[k], a.detune[k], b.transposition, lengths);
            readPositions(w, lengths, a.read[k]);
            for (int q = 0; q < kQuads; ++q)
                next[q] = loadInts(a.read[k] + 4 * q);
        }
        w = (w + 1) & kLineMask;
        for (int q = 0; q < kQuads; ++q)
            storeInts(a.read[k] + 4 * q, (next[q] + 1) & kLineMask);
    }
}

// Lowest and highest glide values over ranges of the look-ahead: node 1 is the whole stretch,
// node n is split into 2n and 2n + 1, and node kAhead + k is sample k alone.
struct GlideBounds {
    float tuningLow[2 * kAhead], tuningHigh[2 * kAhead];
    float detuneLow[2 * kAhead], detuneHigh[2 * kAhead];
};

// Every step of the loop length is monotone in the tuning and in the detune (with a positive
// numerator and denominator), so over a range of samples the lengths lie between the values at
// the corners of the range's bounds. When those lie on one whole number, or strictly inside one
// whole-number interval by more than the rounding of w - D + 16384 (below 2^-37 here), every
// sample of the range truncates alike: its loop is the returned number of samples. 0 otherwise.
inline std::int32_t sureLoop(const Block& b, int i, const GlideBounds& g, int node) {
    const double rate = b.rate.rate, scale = b.rate.detuneScale[i];
    const double transposition = b.transposition, frequency = kBaseFrequency[i];
    const double n0 = rate + scale * static_cast<double>(g.detuneLow[node]);
    const double n1 = rate + scale * static_cast<double>(g.detuneHigh[node]);
    const double numLow = n0 < n1 ? n0 : n1, numHigh = n0 < n1 ? n1 : n0;
    const double denLow = frequency * static_cast<double>(g.tuningLow[node]) * transposition;
    const double denHigh = frequency * static_cast<double>(g.tuningHigh[node]) * transposition;
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

// String i's positions for samples first .. first + count - 1 of the look-ahead (node's range):
// one loop for the whole range where the bounds vouch for it, halves otherwise, and the exact
// formula for a single sample. Returns false if a position it worked out exactly reads one frame
// ahead of the next write (no pairs then).
inline bool placeString(State& st, const Block& b, const GlideBounds& g, int i, int node,
                        std::int32_t first, std::int32_t count) {
    State::Ahead& a = st.ahead;
    const std::int32_t loop = sureLoop(b, i, g, node);
    if (loop > 0) {
        for (std::int32_t k = first; k < first + count; ++k)
            a.read[k][i] = (st.write + k + 1 - loop) & kLineMask;
        return true;
    }
    if (count == 1) {
        const double length =
            loopLength(i, b.rate.rate, a.tuning[first], a.detune[first], b.transposition);
        const std::int32_t read =
            (readPosition((st.write + first) & kLineMask, length) + 1) & kLineMask;
        a.read[first][i] = read;
        return ((read - st.write - first - 1) & kLineMask) != 1;
    }
    const bool low = placeString(st, b, g, i, 2 * node, first, count / 2);
    return placeString(st, b, g, i, 2 * node + 1, first + count / 2, count / 2) && low;
}

// Glide steps and read positions of the next kAhead samples, from the state the next sample
// starts from; they do not depend on the audio. A string's loop length only crosses a whole
// number now and then during a glide: only there is it worked out sample by sample.
LYRE_INLINE void fillAhead(State& st, const Block& b) {
    State::Ahead& a = st.ahead;
    float tuning = st.tuning, detune = st.detune;
    bool finite = true;
    for (std::int32_t k = 0; k < kAhead; ++k) {
        glideDetune(detune, b.detuneTarget);
        glideTuning(tuning, b.tuningTarget);
        a.tuning[k] = tuning;
        a.detune[k] = detune;
        finite = finite && std::isfinite(tuning) && std::isfinite(detune);
    }
    if (!finite) {
        fillAheadOneByOne(st, b);
    } else {
        GlideBounds g;
        for (std::int32_t k = 0; k < kAhead; ++k) {
            g.tuningLow[kAhead + k] = g.tuningHigh[kAhead + k] = a.tuning[k];
            g.detuneLow[kAhead + k] = g.detuneHigh[kAhead + k] = a.detune[k];
        }
        for (int n = kAhead - 1; n >= 1; --n) {
            g.tuningLow[n] = std::min(g.tuningLow[2 * n], g.tuningLow[2 * n + 1]);
            g.tuningHigh[n] = std::max(g.tuningHigh[2 * n], g.tuningHigh[2 * n + 1]);
            g.detuneLow[n] = std::min(g.detuneLow[2 * n], g.detuneLow[2 * n + 1]);
            g.detuneHigh[n] = std::max(g.detuneHigh[2 * n], g.detuneHigh[2 * n + 1]);
        }
        // Most strings keep one loop over the whole stretch: those are placed side by side.
        alignas(16) std::int32_t loop[kCount];
        for (int i = 0; i < kCount; ++i)
            loop[i] = sureLoop(b, i, g, 1);
        for (std::int32_t k = 0; k < kAhead; ++k)
            for (int q = 0; q < kQuads; ++q)
                storeInts(a.read[k] + 4 * q,
                          (st.write + k + 1 - loadInts(loop + 4 * q)) & kLineMask);
        bool pairs = true;
        for (int i = 0; i < kCount; ++i)
            if (loop[i] == 0) {
                const bool low = placeString(st, b, g, i, 2, 0, kAhead / 2);
                const bool high = placeString(st, b, g, i, 3, kAhead / 2, kAhead / 2);
                pairs = pairs && low && high;
            }
        aheadDistances(st, pairs);
        return;
    }
    aheadDistances(st, false);
}

// `count` samples from sample n on, all reading at the same distances from consecutive frames.
template <bool Wide, bool Bypassed, bool MonoOut>
LYRE_INLINE void runFrames(const Block& b, States& s, float* frame, const std::int32_t* at,
                           float& o, bool pairs, const float* inL, const float* inR, float* outL,
                           float* outR, std::int32_t n, std::int32_t count) {
    const std::int32_t end = n + count;
    if (pairs)
        for (; n + 2 <= end; n += 2, frame += 2 * kCount)
            samplePair<Wide, Bypassed, MonoOut>(b, s, frame, at, frame + kCount, at, o, inL, inR,
                                                outL, outR, n);
    for (; n < end; ++n, frame += kCount) {
        sample<Wide, Bypassed, MonoOut>(b, s, frame, at, o, inL, inR, outL, outR, n);
        o = -o;
    }
}

// A block of one sample while the positions advance: no loop set-up, which would cost as much
// again as the sample.
template <bool Wide, bool Bypassed, bool MonoOut>
LYRE_INLINE void runOne(State& st, const Block& b, const float* inL, const float* inR, float* outL,
                        float* outR, std::int32_t n) {
    States s;
    for (int q = 0; q < kQuads; ++q)
        load4(s.quad[q], &st.filter[4 * q]);
    const float o = n % 2 == 0 ? kDenormalOffset : -kDenormalOffset;
    sample<Wide, Bypassed, MonoOut>(b, s, b.lines + st.write * kCount, st.delta, o, inL, inR, outL,
                                    outR, n);
    for (int q = 0; q < kQuads; ++q)
        store4(&st.filter[4 * q], s.quad[q]);
    st.write = (st.write + 1) & kLineMask;
    if (--st.steadyRun == 0) readsFromDeltas(st.delta, st.write, st.read);
}

// A new run of advancing positions: until the next wrap the distances hold.
LYRE_INLINE void startSteadyRun(State& st, std::int32_t write) {
    st.steadyRun = untilWrap(st.read, write);
    deltasFor(st.read, write, st.delta);
    st.steadyPairs = pairsAllowed(st.delta);
}

// A whole block of one sample while the positions advance, from the state alone.
template <bool Wide, bool Bypassed, bool MonoOut>
LYRE_INLINE void stepAdvanced(State& st, const float* inL, const float* inR, float* outL,
                              float* outR) {
    if (st.steadyRun == 0) [[unlikely]]
        startSteadyRun(st, st.write);
    runOne<Wide, Bypassed, MonoOut>(st, st.block, inL, inR, outL, outR, 0);
}

template <Positions P, bool Wide, bool Bypassed, bool MonoOut>
LYRE_INLINE void run(State& st, const Block& b, const float* inL, const float* inR, float* outL,
                     float* outR, std::int32_t from, std::int32_t to) {
    if constexpr (P == Positions::Advanced) {
        if (to - from == 1 && st.steadyRun > 0)
            return runOne<Wide, Bypassed, MonoOut>(st, b, inL, inR, outL, outR, from);
    }
    States s;
    for (int q = 0; q < kQuads; ++q)
        load4(s.quad[q], &st.filter[4 * q]);
    std::int32_t write = st.write;
    float o = from % 2 == 0 ? kDenormalOffset : -kDenormalOffset;
    const bool buffersPair = pairedBuffersAllowed(inL, inR, outL, outR);

    if constexpr (P == Positions::Advanced) {
        // Between wraps every position moves with the write position, so the distances hold;
        // the positions themselves are only worked out again when a run ends.
        for (std::int32_t n = from; n < to;) {
            if (st.steadyRun == 0) startSteadyRun(st, write);
            const std::int32_t length = std::min(to - n, st.steadyRun);
            runFrames<Wide, Bypassed, MonoOut>(b, s, b.lines + write * kCount, st.delta, o,
                                               buffersPair && st.steadyPairs, inL, inR, outL, outR,
                                               n, length);
            write = (write + length) & kLineMask;
            st.steadyRun -= length;
            n += length;
            if (st.steadyRun == 0) readsFromDeltas(st.delta, write, st.read);
        }
    } else {
        // The audio of each sample (1-7, 11) runs from the look-ahead (8-10, 12).
        State::Ahead& a = st.ahead;
        std::int32_t k = a.next;
        if (to - from == 1 && k < a.count) {
            sample<Wide, Bypassed, MonoOut>(b, s, b.lines + write * kCount, a.at[k], o, inL, inR,
                                            outL, outR, from);
            write = (write + 1) & kLineMask;
            ++k;
            for (int q = 0; q < kQuads; ++q)
                storeInts(st.read + 4 * q, loadInts(a.read[k - 1] + 4 * q));
            st.tuning = a.tuning[k - 1];
            st.detune = a.detune[k - 1];
        }
        for (std::int32_t n = k == a.next ? from : to; n < to;) {
            if (k == a.count) {
                st.write = write;
                fillAhead(st, b);
                k = 0;
            }
            const std::int32_t length = std::min(to - n, a.count - k);
            // Runs of equal distances, none across the end of the lines.
            for (std::int32_t j = 0; j < length;) {
                const std::int32_t w = (write + j) & kLineMask;
                const std::int32_t same =
                    std::min(std::min(a.same[k + j], length - j), kLineLength - w);
                runFrames<Wide, Bypassed, MonoOut>(b, s, b.lines + w * kCount, a.at[k + j], o,
                                                   buffersPair && a.pairs, inL, inR, outL, outR,
                                                   n + j, same);
                j += same;
            }
            write = (write + length) & kLineMask;
            k += length;
            n += length;
            // The state the next sample starts from, should the look-ahead be dropped.
            for (int q = 0; q < kQuads; ++q)
                storeInts(st.read + 4 * q, loadInts(a.read[k - 1] + 4 * q));
            st.tuning = a.tuning[k - 1];
            st.detune = a.detune[k - 1];
        }
        a.next = k;
    }

    for (int q = 0; q < kQuads; ++q)
        store4(&st.filter[4 * q], s.quad[q]);
    st.write = write;
}

} // namespace bankkernel

#undef LYRE_INLINE
