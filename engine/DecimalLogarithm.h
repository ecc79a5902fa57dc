// log10 from IEEE double arithmetic alone. The C run-time's log10 differs between systems
// (glibc, Microsoft's msvcrt, wine's copy of it) in the last bits, and the decibel texts
// truncate a value whose last bits can decide a digit; this one gives the same result on every
// platform that rounds doubles the IEEE way (SSE2, not the x87 unit). Error below one unit
// in the last place of the double result.
#pragma once

#include <bit>
#include <cstdint>
#include <limits>

namespace declog {

inline double log10(double x) {
    if (!(x > 0.0))
        return x == 0.0 ? -std::numeric_limits<double>::infinity()
                        : std::numeric_limits<double>::quiet_NaN();
    if (x == std::numeric_limits<double>::infinity()) return x;

    // x = m * 2^e with m in [sqrt(1/2), sqrt(2)).
    int e = 0;
    if (x < std::numeric_limits<double>::min()) {
        x *= 18014398509481984.0; // 2^54: subnormals get a full mantissa
        e = -54;
    }
    const auto bits = std::bit_cast<std::uint64_t>(x);
    e += static_cast<int>(bits >> 52) - 1023;
    double m = std::bit_cast<double>((bits & 0x000FFFFFFFFFFFFFull) | 0x3FF0000000000000ull);
    if (m > 1.4142135623730951) {
        m *= 0.5;
        ++e;
    }

    // ln(1 + f) = 2 atanh(s) with s = f / (2 + f), |s| < 0.1716. Written as
    // f - (f^2/2 - s (f^2/2 + R)) so that the exact f carries the leading bits.
    const double f = m - 1.0; // exact
    const double s = f / (2.0 + f);
    const double z = s * s;
    // r = sum over k >= 1 of 2/(2k+1) s^2k, to k = 13 (the rest is below 2^-70).
    double series = 2.0 / 27.0;
    for (int k = 12; k >= 1; --k)
        series = series * z + 2.0 / static_cast<double>(2 * k + 1);
    const double r = z * series;
    const double halfSquare = 0.5 * f * f;
    const double ln = f - (halfSquare - s * (halfSquare + r));

    // 1/ln(10) and log10(2) as sums of two doubles; the high part of log10(2) has 21 zero bits
    // at its end, so e times it is exact.
    constexpr double kInvLn10High = 0.4342944819032518;
    constexpr double kInvLn10Low = 1.098319650216765e-17;
    constexpr double kLog10TwoHigh = 0.3010299955494702;
    constexpr double kLog10TwoLow = 1.1451100898021838e-10;
    const double de = static_cast<double>(e);
    return de * kLog10TwoHigh + (de * kLog10TwoLow + (ln * kInvLn10Low + ln * kInvLn10High));
}

} // namespace declog
