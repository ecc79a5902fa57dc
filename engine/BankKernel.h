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
        *reinterpret_cast<Float4Unaligned*>(frame + 4 * q) = out;
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

// Glide steps and read positions of the next kAhead samples, from the state the next sample
// starts from; they do not depend on the audio.
LYRE_INLINE void fillAhead(State& st, const Block& b) {
    State::Ahead& a = st.ahead;
    float tuning = st.tuning, detune = st.detune;
    std::int32_t w = st.write;
    deltasFor(st.read, w, a.at[0]);
    for (std::int32_t k = 0; k < kAhead; ++k) {
        glideDetune(detune, b.detuneTarget);
        glideTuning(tuning, b.tuningTarget);
        Int4 next[kQuads];
        if (!readPositionsNear(w, b.rate, b.inverse, tuning, detune, b.transposition, next)) {
            LoopLengths lengths;
            loopLengths(b.rate, tuning, detune, b.transposition, lengths);
            readPositions(w, lengths, a.read[k]);
            for (int q = 0; q < kQuads; ++q)
                next[q] = loadInts(a.read[k] + 4 * q);
        }
        w = (w + 1) & kLineMask;
        for (int q = 0; q < kQuads; ++q)
            storeInts(a.read[k] + 4 * q, (next[q] + 1) & kLineMask);
        if (k + 1 < kAhead) deltasFor(a.read[k], w, a.at[k + 1]);
        a.tuning[k] = tuning;
        a.detune[k] = detune;
    }
    a.next = 0;
    a.count = kAhead;
}

// A block of one sample while the positions advance: no loop set-up, which would cost as much
// again as the sample.
template <bool Bypassed, bool MonoOut>
LYRE_INLINE void runOne(State& st, const Block& b, const float* inL, const float* inR, float* outL,
                        float* outR, std::int32_t n) {
    States s;
    for (int q = 0; q < kQuads; ++q)
        load4(s.quad[q], &st.filter[4 * q]);
    const float o = n % 2 == 0 ? kDenormalOffset : -kDenormalOffset;
    sample<Bypassed, MonoOut>(b, s, b.lines + st.write * kCount, st.delta, o, inL, inR, outL, outR,
                              n);
    for (int q = 0; q < kQuads; ++q)
        store4(&st.filter[4 * q], s.quad[q]);
    st.write = (st.write + 1) & kLineMask;
    if (--st.steadyRun == 0) readsFromDeltas(st.delta, st.write, st.read);
}

// A whole block of one sample while the positions advance, from the state alone.
template <bool Bypassed, bool MonoOut>
LYRE_INLINE void stepAdvanced(State& st, const float* inL, const float* inR, float* outL,
                              float* outR) {
    if (st.steadyRun == 0) [[unlikely]] {
        st.steadyRun = untilWrap(st.read, st.write);
        deltasFor(st.read, st.write, st.delta);
    }
    runOne<Bypassed, MonoOut>(st, st.block, inL, inR, outL, outR, 0);
}

template <Positions P, bool Bypassed, bool MonoOut>
LYRE_INLINE void run(State& st, const Block& b, const float* inL, const float* inR, float* outL,
                     float* outR, std::int32_t from, std::int32_t to) {
    if constexpr (P == Positions::Advanced) {
        if (to - from == 1 && st.steadyRun > 0)
            return runOne<Bypassed, MonoOut>(st, b, inL, inR, outL, outR, from);
    }
    States s;
    for (int q = 0; q < kQuads; ++q)
        load4(s.quad[q], &st.filter[4 * q]);
    std::int32_t write = st.write;
    float o = from % 2 == 0 ? kDenormalOffset : -kDenormalOffset;

    if constexpr (P == Positions::Advanced) {
        // Between wraps every position moves with the write position, so the distances hold;
        // the positions themselves are only worked out again when a run ends.
        for (std::int32_t n = from; n < to;) {
            if (st.steadyRun == 0) {
                st.steadyRun = untilWrap(st.read, write);
                deltasFor(st.read, write, st.delta);
            }
            const std::int32_t length = std::min(to - n, st.steadyRun);
            float* frame = b.lines + write * kCount;
            for (std::int32_t k = n; k < n + length; ++k, frame += kCount) {
                sample<Bypassed, MonoOut>(b, s, frame, st.delta, o, inL, inR, outL, outR, k);
                o = -o;
            }
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
            sample<Bypassed, MonoOut>(b, s, b.lines + write * kCount, a.at[k], o, inL, inR, outL,
                                      outR, from);
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
            for (std::int32_t j = 0; j < length; ++j, o = -o)
                sample<Bypassed, MonoOut>(b, s, b.lines + ((write + j) & kLineMask) * kCount,
                                          a.at[k + j], o, inL, inR, outL, outR, n + j);
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
