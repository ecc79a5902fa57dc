// Four floats to four doubles, in one instruction wherever that matters.
#pragma once

#include "engine/LoopPositions.h"

namespace bankkernel {

using Float4 = float __attribute__((vector_size(16)));
using strings::Double4;

// GCC 12 splits the generic conversion in 256-bit code and sends the high half through the
// stack, inside the filter's sample-to-sample chain; one vcvtps2pd does it all.
template <bool Wide> [[gnu::always_inline]] inline void widen(const Float4& f, Double4& d) {
    d = __builtin_convertvector(f, Double4);
}
// What _mm256_cvtps_pd would give; the intrinsic cannot sit in a helper without a target of its
// own, and this one only ever ends up inside the AVX2 kernels.
template <> [[gnu::always_inline]] inline void widen<true>(const Float4& f, Double4& d) {
#if defined(__clang__)
    // clang emits the single instruction itself (and refuses a 256-bit operand here).
    d = __builtin_convertvector(f, Double4);
#else
    asm("vcvtps2pd %1, %0" : "=x"(d) : "x"(f));
#endif
}

// Eight of each, for the steady step of four samples (only inside the AVX-512 kernels). Through
// a reference: returned by value from a function without that target, the vector would change
// the calling convention.
using Float8 = float __attribute__((vector_size(32)));
using Double8 = double __attribute__((vector_size(64)));
[[gnu::always_inline]] inline void widen8(const Float8& f, Double8& d) {
#if defined(__clang__)
    d = __builtin_convertvector(f, Double8);
#else
    asm("vcvtps2pd %1, %0" : "=v"(d) : "v"(f));
#endif
}

// Two halves into one vector (through a reference, as widen8()). GCC 12 would first clear the
// upper half of the register that holds the low one, an instruction for nothing.
[[gnu::always_inline]] inline void concat8(const Float4& low, const Float4& high, Float8& v) {
#if defined(__clang__)
    v = __builtin_shufflevector(low, high, 0, 1, 2, 3, 4, 5, 6, 7);
#else
    asm("vinsertf32x4 $1, %x2, %t1, %t0" : "=v"(v) : "v"(low), "v"(high));
#endif
}

} // namespace bankkernel
