// Loop lengths and read positions of the twelve strings, four strings per vector. Each lane does
// the same IEEE double operations in the same order as loopLength() and readPosition(), so every
// position is exactly the one the scalar formulas give. Written with the compiler's generic
// vectors: the same code becomes SSE2 pairs or, inlined into an AVX2 function, 256-bit registers.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>

#include "engine/ReadPosition.h"
#include "engine/StringTable.h"

namespace strings {

using Double4 = double __attribute__((vector_size(32)));
using Long4 = std::int64_t __attribute__((vector_size(32)));
using Int4 = std::int32_t __attribute__((vector_size(16)));

inline constexpr int kQuads = kCount / 4;

// Vectors cross function boundaries by reference only, which keeps the calling convention out
// of the picture for plain x86-64 builds.
[[gnu::always_inline]] inline void load4(Double4& v, const double* p) {
    std::memcpy(&v, p, sizeof v);
}
[[gnu::always_inline]] inline void store4(double* p, const Double4& v) {
    std::memcpy(p, &v, sizeof v);
}

// The parts of the loop length that depend only on the sample rate.
struct RateTerms {
    double rate;
    alignas(32) double detuneScale[kCount]; // rate × spread × weight, in loopLength()'s order
};

[[gnu::always_inline]] inline RateTerms rateTerms(double rate) {
    RateTerms t;
    t.rate = rate;
    const double spread = rate * kDetuneSpread;
    for (int i = 0; i < kCount; ++i)
        t.detuneScale[i] = spread * kDetuneWeight[i];
    return t;
}

struct LoopLengths {
    alignas(32) double length[kCount];
};

[[gnu::always_inline]] inline void loopLengths(const RateTerms& t, double tuning, double detune,
                                               double transposition, LoopLengths& out) {
    const Double4 rate = {t.rate, t.rate, t.rate, t.rate};
    const Double4 det = {detune, detune, detune, detune};
    const Double4 tun = {tuning, tuning, tuning, tuning};
    const Double4 tra = {transposition, transposition, transposition, transposition};
    for (int q = 0; q < kQuads; ++q) {
        Double4 scale, frequency;
        load4(scale, &t.detuneScale[4 * q]);
        load4(frequency, &kBaseFrequency[4 * q]);
        store4(&out.length[4 * q], (rate + scale * det) / (frequency * tun * tra));
    }
}

// readPosition(write, D_i) for all strings, into positions[0..11].
[[gnu::always_inline]] inline void readPositions(std::int32_t write, const LoopLengths& d,
                                                 std::int32_t* positions) {
    const double w = write;
    const Double4 at = {w, w, w, w};
    constexpr double kLength = kLineLength, kLow = -2147483648.0, kHigh = 2147483648.0;
    const Double4 length = {kLength, kLength, kLength, kLength};
    const Double4 lowest = {kLow, kLow, kLow, kLow};
    const Double4 highest = {kHigh, kHigh, kHigh, kHigh};
    Int4 whole[kQuads];
    Long4 inRange = {-1, -1, -1, -1};
    for (int q = 0; q < kQuads; ++q) {
        Double4 loop;
        load4(loop, &d.length[4 * q]);
        const Double4 v = (at - loop) + length;
        inRange &= (v > lowest) & (v < highest);
        // Lanes out of range are discarded below.
        whole[q] = __builtin_convertvector(v, Int4);
    }
    if (!(inRange[0] & inRange[1] & inRange[2] & inRange[3])) {
        // Huge or not-a-number lengths: the scalar rules reduce them safely.
        for (int i = 0; i < kCount; ++i)
            positions[i] = readPosition(write, d.length[i]);
        return;
    }
    for (int q = 0; q < kQuads; ++q) {
        const Int4 r = whole[q] & kLineMask;
        std::memcpy(positions + 4 * q, &r, sizeof r);
    }
}

// The reciprocals 1/f_i, for loopLengthsNear().
struct Reciprocals {
    alignas(32) double ofFrequency[kCount];
};

[[gnu::always_inline]] inline Reciprocals reciprocals() {
    Reciprocals r;
    for (int i = 0; i < kCount; ++i)
        r.ofFrequency[i] = 1.0 / kBaseFrequency[i];
    return r;
}

// readPosition(write, D_i) for all strings without dividing per string: D_i is formed with
// reciprocals, num × (1/f_i) × 1/(tuning × transposition), within 8 units in the last place of
// the divided value (no intermediate can be subnormal: every input is a float). While
// w - D + 16384 lies between 1 and 2^21 that moves it, rounded twice, by less than 2^-28, so
// wherever the truncations of that value minus and plus 2^-26 agree, they are the truncation of
// the exact value too. Returns false when any string cannot be vouched for that way (close to a
// whole number, out of range, not a number); the caller then divides.
[[gnu::always_inline]] inline bool readPositionsNear(std::int32_t write, const RateTerms& t,
                                                     const Reciprocals& r, double tuning,
                                                     double detune, double transposition,
                                                     Int4* positions) {
    const double scale = 1.0 / (tuning * transposition);
    constexpr double kMargin = 0x1p-26, kHighest = 0x1p21;
    const double start = static_cast<double>(write) + kLineLength - kMargin; // exact
    const Double4 rate = {t.rate, t.rate, t.rate, t.rate};
    const Double4 det = {detune, detune, detune, detune};
    const Double4 inverse = {scale, scale, scale, scale};
    const Double4 at = {start, start, start, start};
    Long4 sure = {-1, -1, -1, -1};
    Int4 agree = {-1, -1, -1, -1};
    for (int q = 0; q < kQuads; ++q) {
        Double4 detuneScale, ofFrequency;
        load4(detuneScale, &t.detuneScale[4 * q]);
        load4(ofFrequency, &r.ofFrequency[4 * q]);
        const Double4 below = at - (rate + detuneScale * det) * ofFrequency * inverse;
        const Double4 above = below + 2.0 * kMargin;
        sure &= (below > 1.0) & (above < kHighest);
        const Int4 lo = __builtin_convertvector(below, Int4);
        agree &= lo == __builtin_convertvector(above, Int4);
        positions[q] = lo & kLineMask;
    }
    return (sure[0] & sure[1] & sure[2] & sure[3]) != 0 &&
           (agree[0] & agree[1] & agree[2] & agree[3]) != 0;
}

// True when readPosition(w + 1, D) is readPosition(w, D) + 1 (masked) for every write position
// w, so positions can simply be advanced while D stays the same. For |D| < 2^20 the two roundings
// of w - D + 16384 move it by less than 2^-30, so truncation can only differ from the exact value
// when D is within that distance of a whole number without being one; the argument must also stay
// positive, where truncation and floor agree.
inline bool advancesByOne(double loopLength) {
    if (!(loopLength > -1048576.0 && loopLength < static_cast<double>(kLineMask))) return false;
    const double fraction = loopLength - std::floor(loopLength);
    constexpr double kMargin = 0x1p-20;
    return fraction == 0.0 || (fraction > kMargin && fraction < 1.0 - kMargin);
}

} // namespace strings
