// The per-sample work of the resonator bank, for one run of samples. Everything is forced inline
// so that ResonatorBank.cpp can compile it twice: for plain x86-64 (SSE2) and, behind a CPU check,
// for AVX2. Both do the same IEEE operations in the same order, so the output is identical.
#pragma once

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <emmintrin.h>
#include <type_traits>
#include <utility>

#include "engine/FrameDistances.h"
#include "engine/GlideStretch.h"
#include "engine/LoopPositions.h"
#include "engine/ResonatorBank.h"
#include "engine/StringTable.h"
#include "engine/WideConversions.h"

#define LYRE_INLINE [[gnu::always_inline]] inline
// The short loops over quads and taps are unrolled by pragma: GCC 12 keeps their vectors in
// stack slots unless it unrolls them before its scalar replacement, and a sample on its own then
// stores its reads and states there for nothing.

namespace bankkernel {

using namespace strings;

// Recomputed: glide steps and loop lengths every sample. Advanced: no glide runs and the read
// positions simply move on with the write position.
enum class Positions { Recomputed, Advanced };

// A frame's samples written as floats: unlike a byte copy, this store cannot change the int32
// distances the taps of the same sample read at, so they stay in registers.
using Float4Unaligned = float __attribute__((vector_size(16), aligned(4)));

// Filter states widened to double, in the order of kStateOrder. They stay exact float values:
// every update is rounded to float and widened again.
struct States {
    Double4 quad[kQuads];
};

template <bool Wide> LYRE_INLINE void roundToFloat(Double4& v) {
    widen<Wide>(__builtin_convertvector(v, Float4), v);
}
LYRE_INLINE __m128d low(const Double4& v) {
    return __builtin_shufflevector(v, v, 0, 1);
}
LYRE_INLINE __m128d high(const Double4& v) {
    return __builtin_shufflevector(v, v, 2, 3);
}

// The pairs of lines (k, 11 - k) at the positions of strings i and j: four floats in two loads.
template <class Index> LYRE_INLINE Float4 loadPairs(const float* frame, Index i, Index j) {
    const __m128 low =
        _mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(frame + i)));
    return reinterpret_cast<Float4>(_mm_loadh_pi(low, reinterpret_cast<const __m64*>(frame + j)));
}

// What one sample reads: the filter inputs in the states' order, and the taps that join the
// sums. Step m's taps (left: line 2m+1 at the position of string 10−2m, right: line 2m at that
// of 11−2m) lie in lanes 2 and 3 of taps[m] for m < 3, in lanes 0 and 1 of taps[5 − m] after.
struct Reads {
    Float4 in[kQuads];
    Float4 taps[kQuads];
};
// A frame's reads as loaded: for each quad, the line pairs at the positions of its first two
// strings (0 and 1 for quad 0) and of its last two (10 and 11).
struct Loaded {
    Float4 near[kQuads];
    Float4 far[kQuads];
};
template <class Index> LYRE_INLINE Loaded loadFrame(const float* frame, const Index* at) {
    static constexpr int kNear[kQuads][2] = {{0, 1}, {2, 3}, {4, 5}};
    static constexpr int kFar[kQuads][2] = {{10, 11}, {8, 9}, {6, 7}};
    Loaded l;
#pragma GCC unroll 6
    for (int q = 0; q < kQuads; ++q) {
        l.near[q] = loadPairs(frame, at[kNear[q][0]], at[kNear[q][1]]);
        l.far[q] = loadPairs(frame, at[kFar[q][0]], at[kFar[q][1]]);
    }
    return l;
}
// (x0, line 11 at r0, x1, line 10 at r1) and (line 1 at r10, x10, line 0 at r11, x11), where x_i
// is string i's filter input, sorted into inputs and taps; the other quads alike.
LYRE_INLINE Reads split(const Loaded& l) {
    Reads r;
#pragma GCC unroll 6
    for (int q = 0; q < kQuads; ++q) {
        r.in[q] = __builtin_shufflevector(l.near[q], l.far[q], 0, 2, 5, 7);
        r.taps[q] = __builtin_shufflevector(l.near[q], l.far[q], 1, 3, 4, 6);
    }
    return r;
}
template <class Index> LYRE_INLINE Reads loadReads(const float* frame, const Index* at) {
    return split(loadFrame(frame, at));
}

// Step 3 for one sample: the damping filters, from the reads of the frame at the write position.
template <bool Wide> LYRE_INLINE void filters(const Block& b, States& s, const Reads& r) {
    const Double4 c = {b.damping, b.damping, b.damping, b.damping};
#pragma GCC unroll 6
    for (int q = 0; q < kQuads; ++q) {
        Double4 x;
        widen<Wide>(r.in[q], x);
        s.quad[q] = s.quad[q] + c * (x - s.quad[q]);
        roundToFloat<Wide>(s.quad[q]);
    }
}

// Step 5: every line receives the same excitation, stored in the frame's order of lines.
LYRE_INLINE void writeFrame(const Block& b, const States& s, float* frame, double e) {
    const Double4 excitation = {e, e, e, e};
    const Double4 g = {b.feedback, b.feedback, b.feedback, b.feedback};
#pragma GCC unroll 6
    for (int q = 0; q < kQuads; ++q) {
        // (s0, s1, s10, s11) to lines 0, 11, 1, 10, and the other quads alike.
        const Float4 w = __builtin_convertvector(excitation + g * s.quad[q], Float4);
        *reinterpret_cast<Float4Unaligned*>(frame + 4 * q) =
            __builtin_shufflevector(w, w, 0, 3, 1, 2);
    }
}

// The filter states in the AVX-512 kernels: quads 0 and 1 side by side in one 512-bit vector,
// quad 2 on its own, so that each stage of a sample's filters and frame write is two operations
// instead of three.
struct WideStates {
    Double8 front; // (s0, s1, s10, s11, s2, s3, s8, s9)
    Double4 back;  // (s4, s5, s6, s7)
};
// filters() and writeFrame() on WideStates, each lane doing the same operations (the width
// is always AVX-512 here; the parameter keeps the call sites alike).
template <bool Wide> LYRE_INLINE void filters(const Block& b, WideStates& s, const Reads& r) {
    const double c = b.damping;
    Float8 in;
    concat8(r.in[0], r.in[1], in);
    Double8 x;
    widen8(in, x);
    s.front = s.front + c * (x - s.front);
    widen8(__builtin_convertvector(s.front, Float8), s.front);
    Double4 y;
    widen<true>(r.in[2], y);
    s.back = s.back + c * (y - s.back);
    roundToFloat<true>(s.back);
}
LYRE_INLINE void writeFrame(const Block& b, const WideStates& s, float* frame, double e) {
    const double g = b.feedback;
    const Float8 front = __builtin_convertvector(e + g * s.front, Float8);
    const Float4 back = __builtin_convertvector(e + g * s.back, Float4);
    const Float8 frontLines = __builtin_shufflevector(front, front, 0, 3, 1, 2, 4, 7, 5, 6);
    const Float4 backLines = __builtin_shufflevector(back, back, 0, 3, 1, 2);
    std::memcpy(frame, &frontLines, sizeof frontLines);
    std::memcpy(frame + 8, &backLines, sizeof backLines);
}

// State pair k, k = 0 .. 5, is (s0, s1), (s2, s3) ... (s10, s11), in the order the sums add them:
// lanes 0-1 of quad kPairQuad[k] for k < 3, lanes 2-3 after. In WideStates quads 0 and 1 lie in
// the front, quad 2 is the back.
inline constexpr int kPairQuad[kCount / 2] = {0, 1, 2, 2, 1, 0};
template <int K> inline constexpr int kPairLane = K < 3 ? 0 : 2;

// Pair K of two samples: (left, right) of the first, then of the second. Through a reference,
// as widen8().
template <int K> LYRE_INLINE void statePairs(const States& a, const States& b, Double4& v) {
    constexpr int q = kPairQuad[K], l = kPairLane<K>;
    v = __builtin_shufflevector(a.quad[q], b.quad[q], l, l + 1, l + 4, l + 5);
}
template <int K> LYRE_INLINE void statePairs(const WideStates& a, const WideStates& b, Double4& v) {
    constexpr int q = kPairQuad[K], l = kPairLane<K>;
    if constexpr (q < 2) {
        constexpr int f = 4 * q + l;
        v = __builtin_shufflevector(a.front, b.front, f, f + 1, f + 8, f + 9);
    } else {
        v = __builtin_shufflevector(a.back, b.back, l, l + 1, l + 4, l + 5);
    }
}
// Pair K of one sample.
template <int K> LYRE_INLINE __m128d statePair(const States& s) {
    constexpr int q = kPairQuad[K], l = kPairLane<K>;
    return __builtin_shufflevector(s.quad[q], s.quad[q], l, l + 1);
}
template <int K> LYRE_INLINE __m128d statePair(const WideStates& s) {
    constexpr int q = kPairQuad[K], l = kPairLane<K>;
    if constexpr (q < 2)
        return __builtin_shufflevector(s.front, s.front, 4 * q + l, 4 * q + l + 1);
    else
        return __builtin_shufflevector(s.back, s.back, l, l + 1);
}

// The state terms of step 6, (s0, s1) + (s2, s3) + ... + (s10, s11) added in that order: of one
// sample, and of two side by side.
template <class S> LYRE_INLINE __m128d stateSum(const S& s) {
    __m128d sum = _mm_add_pd(statePair<0>(s), statePair<1>(s));
    [&]<int... K>(std::integer_sequence<int, K...>) {
        ((sum = _mm_add_pd(sum, statePair<K + 2>(s))), ...);
    }
    (std::make_integer_sequence<int, kCount / 2 - 2>{});
    return sum;
}
template <class S> LYRE_INLINE void stateSums(const S& a, const S& b, Double4& sum) {
    Double4 first, second;
    statePairs<0>(a, b, first);
    statePairs<1>(a, b, second);
    sum = first + second;
    [&]<int... K>(std::integer_sequence<int, K...>) {
        ((statePairs<K + 2>(a, b, second), sum = sum + second), ...);
    }
    (std::make_integer_sequence<int, kCount / 2 - 2>{});
}

// The states in either layout.
LYRE_INLINE void convert(const States& from, States& to) {
    to = from;
}
LYRE_INLINE void convert(const States& from, WideStates& to) {
    to.front = __builtin_shufflevector(from.quad[0], from.quad[1], 0, 1, 2, 3, 4, 5, 6, 7);
    to.back = from.quad[2];
}
LYRE_INLINE void convert(const WideStates& from, States& to) {
    to.quad[0] = __builtin_shufflevector(from.front, from.front, 0, 1, 2, 3);
    to.quad[1] = __builtin_shufflevector(from.front, from.front, 4, 5, 6, 7);
    to.quad[2] = from.back;
}

// The states to and from the bank's state, which keeps them as the quads one after another.
LYRE_INLINE void loadStates(States& s, const double* filter) {
#pragma GCC unroll 6
    for (int q = 0; q < kQuads; ++q)
        load4(s.quad[q], &filter[4 * q]);
}
LYRE_INLINE void storeStates(double* filter, const States& s) {
#pragma GCC unroll 6
    for (int q = 0; q < kQuads; ++q)
        store4(&filter[4 * q], s.quad[q]);
}
LYRE_INLINE void loadStates(WideStates& s, const double* filter) {
    std::memcpy(&s.front, filter, sizeof s.front);
    load4(s.back, filter + 8);
}
LYRE_INLINE void storeStates(double* filter, const WideStates& s) {
    std::memcpy(filter, &s.front, sizeof s.front);
    store4(filter + 8, s.back);
}

// Step m's taps in lanes 0 and 1.
LYRE_INLINE __m128d tapsAt(const Double4 (&taps)[kQuads], int m) {
    return m < 3 ? high(taps[m]) : low(taps[5 - m]);
}
// Step m's taps of two samples: (left, right) of the first, then of the second.
LYRE_INLINE Float4 tapsAt(const Reads& r0, const Reads& r1, int m) {
    return m < 3 ? __builtin_shufflevector(r0.taps[m], r1.taps[m], 2, 3, 6, 7)
                 : __builtin_shufflevector(r0.taps[5 - m], r1.taps[5 - m], 0, 1, 4, 5);
}

// Steps 1 to 7 and 11 for the frame at the write position; the caller does 8 to 10 and 12. The
// taps are read with the filter inputs, before the write, unless Careful: some string then reads
// the frame being written, and its taps must see the new samples.
template <bool Wide, bool Bypassed, bool MonoOut, bool Careful, class Index, class S>
LYRE_INLINE void sample(const Block& b, S& s, float* frame, const Index* at, float o,
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

    Reads r = loadReads(frame, at);
    filters<Wide>(b, s, r);
    // 4-5
    writeFrame(b, s, frame,
               kExcitationScale * (static_cast<double>(exciteL) + static_cast<double>(exciteR)));
    if constexpr (Careful) r = loadReads(frame, at);

    // 6: (left, right) summed side by side: the state pairs (s0, s1), (s2, s3)... first, then
    // the taps, each lane in the order of a plain running sum. The states lie as (s0, s1, s10,
    // s11), (s2, s3, s8, s9), (s4, s5, s6, s7).
    __m128d sum = stateSum(s);
    Double4 taps[kQuads];
#pragma GCC unroll 3
    for (int q = 0; q < kQuads; ++q)
        widen<Wide>(r.taps[q], taps[q]);
#pragma GCC unroll 6
    for (int m = 0; m < kCount / 2; ++m)
        sum = _mm_add_pd(sum, tapsAt(taps, m));

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

// Steps 1-2 for samples side by side: what excites the strings, and the dry signal.
template <bool Bypassed, class V>
LYRE_INLINE void exciteAndDry(const V& raw, const V& offset, V& excite, V& dry) {
    if constexpr (!Bypassed) {
        excite = dry = raw + offset;
    } else {
        excite = offset;
        dry = raw;
    }
}

// Samples n and n+1 (frames 0 and 1, read at at0 and at1), with the sums, blends and outputs of
// both in one vector: lanes (left n, right n, left n+1, right n+1), each lane doing the operations
// of sample() in its order; the taps of each are read as sample() reads them. The inputs of n+1
// are read before the outputs of n are written, so no output buffer may start one sample after
// an input buffer (see stepBuffersAllowed()).
template <bool Wide, bool Bypassed, bool MonoOut, bool Careful, class Index, class S>
LYRE_INLINE void samplePair(const Block& b, S& s, float* frame0, const Index* at0, float* frame1,
                            const Index* at1, float o, const float* inL, const float* inR,
                            float* outL, float* outR, std::int32_t n) {
    // (left n, left n+1, right n, right n+1) in two loads, then interleaved.
    const __m128 left =
        _mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(inL + n)));
    const Float4 both =
        reinterpret_cast<Float4>(_mm_loadh_pi(left, reinterpret_cast<const __m64*>(inR + n)));
    const Float4 raw = __builtin_shufflevector(both, both, 0, 2, 1, 3);
    Float4 excite, dry;
    exciteAndDry<Bypassed>(raw, Float4{o, o, -o, -o}, excite, dry);
    // 4: the excitation of both samples at once; x + y equals y + x in every rounding.
    Double4 x;
    widen<Wide>(excite, x);
    const Double4 e = kExcitationScale * (x + __builtin_shufflevector(x, x, 1, 0, 3, 2));

    Reads r0 = loadReads(frame0, at0);
    filters<Wide>(b, s, r0);
    writeFrame(b, s, frame0, e[0]);
    if constexpr (Careful) r0 = loadReads(frame0, at0);
    const S first = s;
    Reads r1 = loadReads(frame1, at1);
    filters<Wide>(b, s, r1);
    writeFrame(b, s, frame1, e[2]);
    if constexpr (Careful) r1 = loadReads(frame1, at1);

    // 6
    Double4 sum;
    stateSums(first, s, sum);
#pragma GCC unroll 6
    for (int m = 0; m < kCount / 2; ++m) {
        Double4 t;
        widen<Wide>(tapsAt(r0, r1, m), t);
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
        // Both left samples, then both right ones: the buffers do not overlap (see
        // stepBuffersAllowed()).
        const Float4 out = __builtin_convertvector(b.outputGain * yd, Float4);
        const __m128 byChannel =
            reinterpret_cast<__m128>(__builtin_shufflevector(out, out, 0, 2, 1, 3));
        _mm_storel_pi(reinterpret_cast<__m64*>(outL + n), byChannel);
        _mm_storeh_pi(reinterpret_cast<__m64*>(outR + n), byChannel);
    }
}

// The first and the second 128-bit pair of each half of a and of c, in that order.
LYRE_INLINE void splitPairs(const Double8& a, const Double8& c, Double8& firsts, Double8& seconds) {
    firsts = __builtin_shufflevector(a, c, 0, 1, 4, 5, 8, 9, 12, 13);
    seconds = __builtin_shufflevector(a, c, 2, 3, 6, 7, 10, 11, 14, 15);
}

// Samples n to n+3 (four consecutive frames, read at the same distances), the sums, blends and
// outputs of all four in one vector, each lane doing the operations of sample() in its order.
// The lanes hold (left, right) of samples n, n+2, n+1, n+3: in that order a single shuffle takes
// a step's taps of all four from the loads. All four inputs are read before any output is
// written, and the four left outputs stored before the right ones (see stepBuffersAllowed()).
// Stereo outputs only; inside the AVX-512 kernels only.
template <bool Bypassed>
LYRE_INLINE void sampleQuad(const Block& b, WideStates& s, float* frame, const std::ptrdiff_t* at,
                            float o, const float* inL, const float* inR, float* outL, float* outR,
                            std::int32_t n) {
    Float4 left, right;
    std::memcpy(&left, inL + n, sizeof left);
    std::memcpy(&right, inR + n, sizeof right);
    const Float8 raw = __builtin_shufflevector(left, right, 0, 4, 2, 6, 1, 5, 3, 7);
    Float8 excite, dry;
    exciteAndDry<Bypassed>(raw, Float8{o, o, o, o, -o, -o, -o, -o}, excite, dry);
    Double8 x;
    widen8(excite, x);
    const Double8 e =
        kExcitationScale * (x + __builtin_shufflevector(x, x, 1, 0, 3, 2, 5, 4, 7, 6));
    static constexpr int kLane[4] = {0, 4, 2, 6}; // of sample n + j's left channel

    // Step m's taps (see Reads): lanes 0 and 2 of quad m's far pairs for m < 3, lanes 1 and 3 of
    // quad 5 - m's near pairs after. Gathered two samples at a time, as soon as they are loaded:
    // the loads of all four would not stay in registers.
    WideStates states[4];
    Loaded loaded[2];
    Float8 far01[kQuads], near01[kQuads], taps[kCount / 2];
#pragma GCC unroll 4
    for (int j = 0; j < 4; ++j) {
        loaded[j % 2] = loadFrame(frame + j * kCount, at);
        filters<true>(b, s, split(loaded[j % 2]));
        writeFrame(b, s, frame + j * kCount, e[kLane[j]]);
        states[j] = s;
        if (j % 2 == 0) continue;
#pragma GCC unroll 3
        for (int q = 0; q < kQuads; ++q) {
            Float8 far, near;
            concat8(loaded[0].far[q], loaded[1].far[q], far);
            concat8(loaded[0].near[q], loaded[1].near[q], near);
            if (j == 1) {
                far01[q] = far;
                near01[q] = near;
            } else {
                taps[q] = __builtin_shufflevector(far01[q], far, 0, 2, 8, 10, 4, 6, 12, 14);
                taps[5 - q] = __builtin_shufflevector(near01[q], near, 1, 3, 9, 11, 5, 7, 13, 15);
            }
        }
    }

    // 6: as in samplePair(), the state pairs (s0, s1), (s2, s3)... of all four samples first:
    // a transpose of the 128-bit pairs of the four samples' states.
    const Double8 front02 = __builtin_shufflevector(states[0].front, states[2].front, 0, 1, 4, 5, 8,
                                                    9, 12, 13); // (s0 s1 | s2 s3) of n, n+2
    const Double8 front13 =
        __builtin_shufflevector(states[1].front, states[3].front, 0, 1, 4, 5, 8, 9, 12, 13);
    const Double8 rear02 = __builtin_shufflevector(states[0].front, states[2].front, 2, 3, 6, 7, 10,
                                                   11, 14, 15); // (s10 s11 | s8 s9)
    const Double8 rear13 =
        __builtin_shufflevector(states[1].front, states[3].front, 2, 3, 6, 7, 10, 11, 14, 15);
    const Double8 back02 =
        __builtin_shufflevector(states[0].back, states[2].back, 0, 1, 2, 3, 4, 5, 6, 7);
    const Double8 back13 =
        __builtin_shufflevector(states[1].back, states[3].back, 0, 1, 2, 3, 4, 5, 6, 7);
    Double8 s01, s23, s45, s67, s89, s1011;
    splitPairs(front02, front13, s01, s23);
    splitPairs(back02, back13, s45, s67);
    splitPairs(rear02, rear13, s1011, s89);
    Double8 sum = s01 + s23;
    sum = sum + s45;
    sum = sum + s67;
    sum = sum + s89;
    sum = sum + s1011;
#pragma GCC unroll 6
    for (int m = 0; m < kCount / 2; ++m) {
        Double8 t;
        widen8(taps[m], t);
        sum = sum + t;
    }

    // 7
    Double8 d;
    widen8(dry, d);
    const Float8 y = __builtin_convertvector(d + b.mix * (kWetScale * sum - d), Float8);

    // 11
    Double8 yd;
    widen8(y, yd);
    const Float8 out = __builtin_convertvector(b.outputGain * yd, Float8);
    const Float4 outLeft = __builtin_shufflevector(out, out, 0, 4, 2, 6);
    const Float4 outRight = __builtin_shufflevector(out, out, 1, 5, 3, 7);
    std::memcpy(outL + n, &outLeft, sizeof outLeft);
    std::memcpy(outR + n, &outRight, sizeof outRight);
}

// Whether steps of `samples` samples may read the inputs of all of them before writing any
// output, and store all their left outputs before the right ones: no output buffer starts less
// than that many samples after an input buffer, and the two outputs are one buffer or lie at
// least that far apart.
inline bool stepBuffersAllowed(int samples, const float* inL, const float* inR, const float* outL,
                               const float* outR) {
    const auto at = [](const float* p) { return reinterpret_cast<std::uintptr_t>(p); };
    const std::uintptr_t span = static_cast<std::uintptr_t>(samples) * sizeof(float);
    if (outL != outR && at(outR) < at(outL) + span && at(outL) < at(outR) + span) return false;
    for (const float* out : {outL, outR})
        for (const float* in : {inL, inR})
            if (at(out) > at(in) && at(out) < at(in) + span) return false;
    return true;
}
// With many instances, each one's lines have left this core's caches by its next block: the
// frames it will write (read for ownership first) and the older ones its shortest loop reads
// first come from further away. The hardware's own prefetching does not keep up with a
// four-sample step; these three cache lines are what one such step moves on, 1 KiB ahead.
// `nearest` is the largest read distance: the shortest loop's, except in the runs where a read
// position lies across the end of the lines, which then prefetch to no use.
LYRE_INLINE void prefetchQuadAhead(const float* frame, std::ptrdiff_t nearest) {
    constexpr int kAheadBytes = 1024, kLine = 64;
    const char* write = reinterpret_cast<const char*>(frame) + kAheadBytes;
    const char* read = reinterpret_cast<const char*>(frame + nearest) + kAheadBytes;
    static_assert(4 * kCount * sizeof(float) == 3 * kLine);
#pragma GCC unroll 3
    for (int l = 0; l < 3; ++l) {
        __builtin_prefetch(write + kLine * l, 1);
        __builtin_prefetch(read + kLine * l, 0);
    }
}
// `count` samples from sample n on, all reading at the same distances from consecutive frames;
// with Quads (the AVX-512 kernels, when the caller found that four at a time may run), four at a
// time first.
template <bool Wide, bool Bypassed, bool MonoOut, bool Careful, bool Quads = false>
LYRE_INLINE void runFrames(const Block& b, States& s, float* frame, const std::int32_t* at,
                           float& o, bool pairs, const float* inL, const float* inR, float* outL,
                           float* outR, std::int32_t n, std::int32_t count) {
    // Widened once: the loop then addresses every read straight from a register or its slot.
    std::ptrdiff_t offset[kCount];
    for (int i = 0; i < kCount; ++i)
        offset[i] = at[i];
    const std::int32_t end = n + count;
    // Compared with the last sample that can open a pair: n + 2 <= end would cost the loop an
    // addition per pair.
    const std::int32_t lastPairStart = end - 1;
    if constexpr (Quads) {
        const std::int32_t lastQuadStart = end - 3;
        WideStates wide;
        convert(s, wide);
        const std::ptrdiff_t nearest = *std::max_element(offset, offset + kCount);
        for (; n < lastQuadStart; n += 4, frame += 4 * kCount) {
            prefetchQuadAhead(frame, nearest);
            sampleQuad<Bypassed>(b, wide, frame, offset, o, inL, inR, outL, outR, n);
        }
        convert(wide, s);
    }
    if (pairs)
        for (; n < lastPairStart; n += 2, frame += 2 * kCount)
            samplePair<Wide, Bypassed, MonoOut, Careful>(b, s, frame, offset, frame + kCount,
                                                         offset, o, inL, inR, outL, outR, n);
    for (; n < end; ++n, frame += kCount) {
        sample<Wide, Bypassed, MonoOut, Careful>(b, s, frame, offset, o, inL, inR, outL, outR, n);
        o = -o;
    }
}

// Samples k .. end - 1 of the look-ahead stretch (sample n of the block on), each reading at
// the distances of its own entry: a pair may read at two.
template <bool Wide, bool Bypassed, bool MonoOut, bool Careful, class S>
LYRE_INLINE void runStretch(const Block& b, S& s, float* frame, const State::Ahead& a,
                            std::int32_t k, std::int32_t end, float& o, bool pairs,
                            const float* inL, const float* inR, float* outL, float* outR,
                            std::int32_t n) {
    if (pairs)
        for (; k + 1 < end; k += 2, n += 2, frame += 2 * kCount)
            samplePair<Wide, Bypassed, MonoOut, Careful>(b, s, frame, a.at[a.entry[k]],
                                                         frame + kCount, a.at[a.entry[k + 1]], o,
                                                         inL, inR, outL, outR, n);
    for (; k < end; ++k, ++n, frame += kCount) {
        sample<Wide, Bypassed, MonoOut, Careful>(b, s, frame, a.at[a.entry[k]], o, inL, inR, outL,
                                                 outR, n);
        o = -o;
    }
}

// The same out of line: inlined into the look-ahead loop, the samples compete with the stretch's
// bookkeeping for registers. Out of line, the block's values and the states are copied into
// locals that nothing the loop stores can alias, so they stay in registers.
template <bool Wide, bool Bypassed, bool MonoOut, class S = States>
LYRE_INLINE void stretchWithLocals(const Block& b, States& s, float* frame, State::Ahead& a,
                                   std::int32_t k, std::int32_t end, float& o, bool pairs,
                                   const float* inL, const float* inR, float* outL, float* outR,
                                   std::int32_t n) {
    const Block values = b;
    S states;
    convert(s, states);
    float offset = o;
    if (a.careful)
        runStretch<Wide, Bypassed, MonoOut, true>(values, states, frame, a, k, end, offset, pairs,
                                                  inL, inR, outL, outR, n);
    else
        runStretch<Wide, Bypassed, MonoOut, false>(values, states, frame, a, k, end, offset, pairs,
                                                   inL, inR, outL, outR, n);
    convert(states, s);
    o = offset;
}
// One copy per kernel width, the wide one compiled for AVX2, each taking its arguments as real
// parameters (through a lambda's closure the glide loop cost 8 instructions a sample more).
template <bool Bypassed, bool MonoOut>
[[gnu::noinline]] __attribute__((target("avx2"))) void
wideStretch(const Block& b, States& s, float* frame, State::Ahead& a, std::int32_t k,
            std::int32_t end, float& o, bool pairs, const float* inL, const float* inR, float* outL,
            float* outR, std::int32_t n) {
    stretchWithLocals<true, Bypassed, MonoOut>(b, s, frame, a, k, end, o, pairs, inL, inR, outL,
                                               outR, n);
}
// In the AVX-512 kernels, with the filter states in their wide layout.
template <bool Bypassed, bool MonoOut>
[[gnu::noinline]] __attribute__((target("avx2,avx512f,avx512vl,avx512dq"))) void
widestStretch(const Block& b, States& s, float* frame, State::Ahead& a, std::int32_t k,
              std::int32_t end, float& o, bool pairs, const float* inL, const float* inR,
              float* outL, float* outR, std::int32_t n) {
    stretchWithLocals<true, Bypassed, MonoOut, WideStates>(b, s, frame, a, k, end, o, pairs, inL,
                                                           inR, outL, outR, n);
}
template <bool Bypassed, bool MonoOut>
[[gnu::noinline]] void plainStretch(const Block& b, States& s, float* frame, State::Ahead& a,
                                    std::int32_t k, std::int32_t end, float& o, bool pairs,
                                    const float* inL, const float* inR, float* outL, float* outR,
                                    std::int32_t n) {
    stretchWithLocals<false, Bypassed, MonoOut>(b, s, frame, a, k, end, o, pairs, inL, inR, outL,
                                                outR, n);
}
template <bool Wide, bool Bypassed, bool MonoOut>
LYRE_INLINE void stretchOutOfLine(const Block& b, States& s, float* frame, State::Ahead& a,
                                  std::int32_t k, std::int32_t end, float& o, bool pairs,
                                  const float* inL, const float* inR, float* outL, float* outR,
                                  std::int32_t n) {
    if constexpr (Wide) {
        if (b.avx512)
            return widestStretch<Bypassed, MonoOut>(b, s, frame, a, k, end, o, pairs, inL, inR,
                                                    outL, outR, n);
        wideStretch<Bypassed, MonoOut>(b, s, frame, a, k, end, o, pairs, inL, inR, outL, outR, n);
    } else
        plainStretch<Bypassed, MonoOut>(b, s, frame, a, k, end, o, pairs, inL, inR, outL, outR, n);
}

// The steady runs out of line as well, the same way.
template <bool Wide, bool Bypassed, bool MonoOut, bool Quads = false>
LYRE_INLINE void framesWithLocals(const Block& b, States& s, float* frame, const std::int32_t* at,
                                  float& o, bool pairs, const float* inL, const float* inR,
                                  float* outL, float* outR, std::int32_t n, std::int32_t count) {
    const Block values = b;
    States states = s;
    float offset = o;
    runFrames<Wide, Bypassed, MonoOut, false, Quads>(values, states, frame, at, offset, pairs, inL,
                                                     inR, outL, outR, n, count);
    s = states;
    o = offset;
}
template <bool Bypassed, bool MonoOut>
[[gnu::noinline]] __attribute__((target("avx2"))) void
wideFrames(const Block& b, States& s, float* frame, const std::int32_t* at, float& o, bool pairs,
           const float* inL, const float* inR, float* outL, float* outR, std::int32_t n,
           std::int32_t count) {
    framesWithLocals<true, Bypassed, MonoOut>(b, s, frame, at, o, pairs, inL, inR, outL, outR, n,
                                              count);
}
// Four samples a step: stereo outputs, distances and buffers that allow it (the caller checks).
template <bool Bypassed>
[[gnu::noinline]] __attribute__((target("avx2,avx512f,avx512vl,avx512dq"))) void
quadFrames(const Block& b, States& s, float* frame, const std::int32_t* at, float& o,
           const float* inL, const float* inR, float* outL, float* outR, std::int32_t n,
           std::int32_t count) {
    framesWithLocals<true, Bypassed, false, true>(b, s, frame, at, o, true, inL, inR, outL, outR, n,
                                                  count);
}
template <bool Bypassed, bool MonoOut>
[[gnu::noinline]] void plainFrames(const Block& b, States& s, float* frame, const std::int32_t* at,
                                   float& o, bool pairs, const float* inL, const float* inR,
                                   float* outL, float* outR, std::int32_t n, std::int32_t count) {
    framesWithLocals<false, Bypassed, MonoOut>(b, s, frame, at, o, pairs, inL, inR, outL, outR, n,
                                               count);
}
template <bool Wide, bool Bypassed, bool MonoOut>
LYRE_INLINE void framesOutOfLine(const Block& b, States& s, float* frame, const std::int32_t* at,
                                 float& o, bool pairs, bool quads, const float* inL,
                                 const float* inR, float* outL, float* outR, std::int32_t n,
                                 std::int32_t count) {
    if constexpr (Wide && !MonoOut) {
        if (quads) return quadFrames<Bypassed>(b, s, frame, at, o, inL, inR, outL, outR, n, count);
    }
    if constexpr (Wide)
        wideFrames<Bypassed, MonoOut>(b, s, frame, at, o, pairs, inL, inR, outL, outR, n, count);
    else
        plainFrames<Bypassed, MonoOut>(b, s, frame, at, o, pairs, inL, inR, outL, outR, n, count);
}

// A new stretch, out of line: inlined, its scratch tables and registers would make every block's
// entry and exit into the kernel dearer.
[[gnu::noinline]] __attribute__((target("avx2"))) inline void wideFillAhead(State& st,
                                                                            const Block& b) {
    fillAhead<true>(st, b);
}
[[gnu::noinline]] inline void plainFillAhead(State& st, const Block& b) {
    fillAhead<false>(st, b);
}

// Sample n of a block on its own, from the state and back into it, reading at the distances `at`:
// no loop set-up, which would cost as much again as the sample.
template <bool Wide, bool Bypassed, bool MonoOut, bool Careful, class S = States>
LYRE_INLINE void sampleOnItsOwn(State& st, const Block& b, const std::int32_t* at, const float* inL,
                                const float* inR, float* outL, float* outR, std::int32_t n) {
    S s;
    loadStates(s, st.filter);
    const float o = n % 2 == 0 ? kDenormalOffset : -kDenormalOffset;
    // The frame's address in one register: left as lines + write * 12, every read would add the
    // two again.
    float* frame = b.lines + st.write * kCount;
    asm("" : "+r"(frame));
    sample<Wide, Bypassed, MonoOut, Careful>(b, s, frame, at, o, inL, inR, outL, outR, n);
    storeStates(st.filter, s);
    st.write = (st.write + 1) & kLineMask;
}

// A block of one sample while the positions advance.
template <bool Wide, bool Bypassed, bool MonoOut, bool Careful, class S = States>
LYRE_INLINE void runOne(State& st, const Block& b, const float* inL, const float* inR, float* outL,
                        float* outR, std::int32_t n) {
    sampleOnItsOwn<Wide, Bypassed, MonoOut, Careful, S>(st, b, st.delta, inL, inR, outL, outR, n);
    if (--st.steadyRun == 0) readsFromDeltas(st.delta, st.write, st.read);
}

// A new run of advancing positions: until the next wrap the distances hold.
LYRE_INLINE void startSteadyRun(State& st, std::int32_t write) {
    st.steadyRun = untilWrap(st.read, write);
    deltasFor(st.read, write, st.delta);
    st.steadyPairs = pairsAllowed(st.delta);
    st.steadyCareful = !ownFrameUnread(st.delta);
}

// A whole block of one sample while the positions advance, from the state alone; with WideStates
// inside the AVX-512 kernels only.
template <bool Wide, bool Bypassed, bool MonoOut, class S = States>
LYRE_INLINE void stepAdvanced(State& st, const float* inL, const float* inR, float* outL,
                              float* outR) {
    if (st.steadyRun == 0) [[unlikely]]
        startSteadyRun(st, st.write);
    if (st.steadyCareful) [[unlikely]]
        return runOne<Wide, Bypassed, MonoOut, true, S>(st, st.block, inL, inR, outL, outR, 0);
    runOne<Wide, Bypassed, MonoOut, false, S>(st, st.block, inL, inR, outL, outR, 0);
}

// Whether the glide values still differ from their targets. Bitwise: once equal, the glide
// steps leave them exactly as they are.
LYRE_INLINE bool stillGliding(const State& st) {
    return std::bit_cast<std::uint32_t>(st.tuning) !=
               std::bit_cast<std::uint32_t>(st.block.tuningTarget) ||
           std::bit_cast<std::uint32_t>(st.detune) !=
               std::bit_cast<std::uint32_t>(st.block.detuneTarget);
}

template <bool Wide> LYRE_INLINE void fillAheadOutOfLine(State& st, const Block& b) {
    if constexpr (Wide)
        wideFillAhead(st, b);
    else
        plainFillAhead(st, b);
}

// Sample n of a block on its own from a stretch that has it: the look-ahead's next sample.
template <bool Wide, bool Bypassed, bool MonoOut, class S = States>
LYRE_INLINE void stepAhead(State& st, const Block& b, const float* inL, const float* inR,
                           float* outL, float* outR, std::int32_t n) {
    State::Ahead& a = st.ahead;
    const std::int32_t k = a.next;
    if (a.careful) [[unlikely]]
        sampleOnItsOwn<Wide, Bypassed, MonoOut, true, S>(st, b, a.at[a.entry[k]], inL, inR, outL,
                                                         outR, n);
    else
        sampleOnItsOwn<Wide, Bypassed, MonoOut, false, S>(st, b, a.at[a.entry[k]], inL, inR, outL,
                                                          outR, n);
    st.tuning = a.tuning[k];
    st.detune = a.detune[k];
    a.next = k + 1;
}

// The same after a new stretch when the last one is used up.
template <bool Wide, bool Bypassed, bool MonoOut>
LYRE_INLINE void lookAheadOne(State& st, const Block& b, const float* inL, const float* inR,
                              float* outL, float* outR, std::int32_t n) {
    if (st.ahead.next == st.ahead.count) [[unlikely]]
        fillAheadOutOfLine<Wide>(st, b);
    stepAhead<Wide, Bypassed, MonoOut>(st, b, inL, inR, outL, outR, n);
}

// A whole block of one sample while a glide runs, its stretch used up, out of line: with the call
// into the fill on its path, every one-sample step would save and restore the registers that
// keep its arguments. Returns whether the glide goes on.
template <bool Bypassed, bool MonoOut>
[[gnu::noinline]] __attribute__((target("avx2"))) bool
wideRefilledStep(State& st, const float* inL, const float* inR, float* outL, float* outR) {
    wideFillAhead(st, st.block);
    stepAhead<true, Bypassed, MonoOut>(st, st.block, inL, inR, outL, outR, 0);
    return stillGliding(st);
}
template <bool Bypassed, bool MonoOut>
[[gnu::noinline]] __attribute__((target("avx2,avx512f,avx512vl,avx512dq"))) bool
widestRefilledStep(State& st, const float* inL, const float* inR, float* outL, float* outR) {
    wideFillAhead(st, st.block);
    stepAhead<true, Bypassed, MonoOut, WideStates>(st, st.block, inL, inR, outL, outR, 0);
    return stillGliding(st);
}
template <bool Bypassed, bool MonoOut>
[[gnu::noinline]] bool plainRefilledStep(State& st, const float* inL, const float* inR, float* outL,
                                         float* outR) {
    plainFillAhead(st, st.block);
    stepAhead<false, Bypassed, MonoOut>(st, st.block, inL, inR, outL, outR, 0);
    return stillGliding(st);
}

// A whole block of one sample while a glide runs, from the state alone; with WideStates inside
// the AVX-512 kernels only. Returns whether the glide goes on.
template <bool Wide, bool Bypassed, bool MonoOut, class S = States>
LYRE_INLINE bool stepGliding(State& st, const float* inL, const float* inR, float* outL,
                             float* outR) {
    if (st.ahead.next == st.ahead.count) [[unlikely]] {
        if constexpr (std::is_same_v<S, WideStates>)
            return widestRefilledStep<Bypassed, MonoOut>(st, inL, inR, outL, outR);
        else if constexpr (Wide)
            return wideRefilledStep<Bypassed, MonoOut>(st, inL, inR, outL, outR);
        else
            return plainRefilledStep<Bypassed, MonoOut>(st, inL, inR, outL, outR);
    }
    stepAhead<Wide, Bypassed, MonoOut, S>(st, st.block, inL, inR, outL, outR, 0);
    return stillGliding(st);
}

template <Positions P, bool Wide, bool Bypassed, bool MonoOut>
LYRE_INLINE void run(State& st, const Block& b, const float* inL, const float* inR, float* outL,
                     float* outR, std::int32_t from, std::int32_t to) {
    if constexpr (P == Positions::Advanced) {
        if (to - from == 1 && st.steadyRun > 0)
            return st.steadyCareful
                       ? runOne<Wide, Bypassed, MonoOut, true>(st, b, inL, inR, outL, outR, from)
                       : runOne<Wide, Bypassed, MonoOut, false>(st, b, inL, inR, outL, outR, from);
    } else {
        // A block of one sample from the look-ahead: no loop.
        if (to - from == 1)
            return lookAheadOne<Wide, Bypassed, MonoOut>(st, b, inL, inR, outL, outR, from);
    }
    States s;
    for (int q = 0; q < kQuads; ++q)
        load4(s.quad[q], &st.filter[4 * q]);
    std::int32_t write = st.write;
    float o = from % 2 == 0 ? kDenormalOffset : -kDenormalOffset;

    if constexpr (P == Positions::Advanced) {
        const bool buffersPair = stepBuffersAllowed(2, inL, inR, outL, outR);
        const bool buffersQuad =
            !MonoOut && b.avx512 && stepBuffersAllowed(4, inL, inR, outL, outR);
        // Between wraps every position moves with the write position, so the distances hold;
        // the positions themselves are only worked out again when a run ends.
        for (std::int32_t n = from; n < to;) {
            if (st.steadyRun == 0) startSteadyRun(st, write);
            const std::int32_t length = std::min(to - n, st.steadyRun);
            if (st.steadyCareful)
                runFrames<Wide, Bypassed, MonoOut, true>(b, s, b.lines + write * kCount, st.delta,
                                                         o, buffersPair && st.steadyPairs, inL, inR,
                                                         outL, outR, n, length);
            else
                framesOutOfLine<Wide, Bypassed, MonoOut>(
                    b, s, b.lines + write * kCount, st.delta, o, buffersPair && st.steadyPairs,
                    buffersQuad && st.steadyPairs, inL, inR, outL, outR, n, length);
            write = (write + length) & kLineMask;
            st.steadyRun -= length;
            n += length;
            if (st.steadyRun == 0) readsFromDeltas(st.delta, write, st.read);
        }
    } else {
        // The audio of each sample (1-7, 11) runs from the look-ahead (8-10, 12).
        State::Ahead& a = st.ahead;
        std::int32_t k = a.next;
        const bool buffersPair = stepBuffersAllowed(2, inL, inR, outL, outR);
        for (std::int32_t n = from; n < to;) {
            if (k == a.count) {
                if (k > 0) {
                    st.tuning = a.tuning[k - 1];
                    st.detune = a.detune[k - 1];
                }
                st.write = write;
                fillAheadOutOfLine<Wide>(st, b);
                k = 0;
            }
            const std::int32_t length = std::min(to - n, a.count - k);
            stretchOutOfLine<Wide, Bypassed, MonoOut>(b, s, b.lines + write * kCount, a, k,
                                                      k + length, o, buffersPair && a.pairs, inL,
                                                      inR, outL, outR, n);
            write = (write + length) & kLineMask;
            k += length;
            n += length;
        }
        a.next = k;
        if (k > 0) {
            st.tuning = a.tuning[k - 1];
            st.detune = a.detune[k - 1];
        }
    }

    for (int q = 0; q < kQuads; ++q)
        store4(&st.filter[4 * q], s.quad[q]);
    st.write = write;
}

} // namespace bankkernel

#undef LYRE_INLINE
