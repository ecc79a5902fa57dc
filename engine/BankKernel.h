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

// Derived values, read once per block.
struct Block {
    double outputGain, damping, feedback, mix;
    float tuningTarget, detuneTarget;
    double rate, transposition;
};

// Samples whose glide steps and positions are worked out ahead of their audio.
inline constexpr std::int32_t kStretch = 32;

// Recomputed: glide steps and loop lengths every sample. Advanced: no glide runs and the read
// positions simply move on with the write position.
enum class Positions { Recomputed, Advanced };

// Filter states widened to double. They stay exact float values: every update is rounded to
// float and widened again.
struct States {
    Double4 quad[kQuads];
};

LYRE_INLINE void roundToFloat(Double4& v) {
    v = __builtin_convertvector(__builtin_convertvector(v, Float4), Double4);
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

// Where each string reads, relative to the frame being written: string i's own line at its own
// position. The taps of the other channel's lines lie in the same frame.
struct Deltas {
    alignas(16) std::int32_t at[kCount];
};

LYRE_INLINE Int4 loadInts(const std::int32_t* p) {
    Int4 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
LYRE_INLINE void storeInts(std::int32_t* p, Int4 v) {
    std::memcpy(p, &v, sizeof v);
}

LYRE_INLINE void deltasFor(const std::int32_t* read, std::int32_t write, std::int32_t* at) {
    for (int q = 0; q < kQuads; ++q) {
        const Int4 lane = {4 * q, 4 * q + 1, 4 * q + 2, 4 * q + 3};
        storeInts(at + 4 * q, (loadInts(read + 4 * q) - write) * kCount + lane);
    }
}

LYRE_INLINE void advance(std::int32_t* read, std::int32_t by) {
    for (int q = 0; q < kQuads; ++q)
        storeInts(read + 4 * q, (loadInts(read + 4 * q) + by) & kLineMask);
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

// Steps 1 to 7 and 11 for the frame at the write position; the caller does 8 to 10 and 12.
template <bool Bypassed, bool MonoOut>
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

    // 3: damping filters, s + c × (x − s) in double, stored as float.
    const Double4 c = {b.damping, b.damping, b.damping, b.damping};
    for (int q = 0; q < kQuads; ++q) {
        const int i = 4 * q;
        const Float4 in = {frame[at[i]], frame[at[i + 1]], frame[at[i + 2]], frame[at[i + 3]]};
        const Double4 x = __builtin_convertvector(in, Double4);
        s.quad[q] = s.quad[q] + c * (x - s.quad[q]);
        roundToFloat(s.quad[q]);
    }

    // 4-5: every line receives the same excitation.
    const double e =
        kExcitationScale * (static_cast<double>(exciteL) + static_cast<double>(exciteR));
    const Double4 excitation = {e, e, e, e};
    const Double4 g = {b.feedback, b.feedback, b.feedback, b.feedback};
    for (int q = 0; q < kQuads; ++q) {
        const Float4 out = __builtin_convertvector(excitation + g * s.quad[q], Float4);
        std::memcpy(frame + 4 * q, &out, sizeof out);
    }

    // 6: (left, right) summed side by side: the state pairs (s0, s1), (s2, s3)... first, then
    // the taps, each lane in the order of a plain running sum. Tap m: line 2m+1 at the position
    // of string 10−2m (left), line 2m at that of string 11−2m (right).
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

template <Positions P, bool Bypassed, bool MonoOut>
LYRE_INLINE void run(ResonatorBank::State& st, float* lines, const Block& b, const float* inL,
                     const float* inR, float* outL, float* outR, std::int32_t from,
                     std::int32_t to) {
    States s;
    for (int q = 0; q < kQuads; ++q)
        load4(s.quad[q], &st.filter[4 * q]);
    std::int32_t write = st.write;
    float o = from % 2 == 0 ? kDenormalOffset : -kDenormalOffset;

    if constexpr (P == Positions::Advanced) {
        // Between wraps every position moves with the write position, so the distances hold.
        for (std::int32_t n = from; n < to;) {
            if (st.steadyRun == 0) {
                st.steadyRun = untilWrap(st.read, write);
                deltasFor(st.read, write, st.delta);
            }
            const std::int32_t length = std::min(to - n, st.steadyRun);
            float* frame = lines + write * kCount;
            for (std::int32_t k = n; k < n + length; ++k, frame += kCount) {
                sample<Bypassed, MonoOut>(b, s, frame, st.delta, o, inL, inR, outL, outR, k);
                o = -o;
            }
            advance(st.read, length);
            write = (write + length) & kLineMask;
            st.steadyRun -= length;
            n += length;
        }
    } else {
        // The glides and positions do not depend on the audio, so they are worked out for a
        // stretch of samples first (8-10, 12), then the audio of that stretch runs (1-7, 11).
        const RateTerms rate = rateTerms(b.rate);
        const Reciprocals inverse = reciprocals();
        float tuning = st.tuning, detune = st.detune;
        Deltas ahead[kStretch + 1];
        deltasFor(st.read, write, ahead[0].at);
        for (std::int32_t n = from; n < to;) {
            const std::int32_t length = std::min<std::int32_t>(kStretch, to - n);
            std::int32_t w = write;
            for (std::int32_t k = 0; k < length; ++k) {
                glideDetune(detune, b.detuneTarget);
                glideTuning(tuning, b.tuningTarget);
                Int4 next[kQuads];
                if (!readPositionsNear(w, rate, inverse, tuning, detune, b.transposition, next)) {
                    LoopLengths lengths;
                    loopLengths(rate, tuning, detune, b.transposition, lengths);
                    readPositions(w, lengths, st.read);
                    for (int q = 0; q < kQuads; ++q)
                        next[q] = loadInts(st.read + 4 * q);
                }
                w = (w + 1) & kLineMask;
                for (int q = 0; q < kQuads; ++q) {
                    next[q] = (next[q] + 1) & kLineMask;
                    storeInts(st.read + 4 * q, next[q]);
                }
                deltasFor(st.read, w, ahead[k + 1].at);
            }
            for (std::int32_t k = 0; k < length; ++k, o = -o)
                sample<Bypassed, MonoOut>(b, s, lines + ((write + k) & kLineMask) * kCount,
                                          ahead[k].at, o, inL, inR, outL, outR, n + k);
            ahead[0] = ahead[length];
            write = w;
            n += length;
        }
        st.tuning = tuning;
        st.detune = detune;
        st.steadyRun = 0;
    }

    for (int q = 0; q < kQuads; ++q)
        store4(&st.filter[4 * q], s.quad[q]);
    st.write = write;
}

} // namespace bankkernel

#undef LYRE_INLINE
