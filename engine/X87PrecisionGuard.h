// mingw-w64's math library computes pow on the x87 unit, on 32-bit and 64-bit Windows alike,
// and its results follow the control word the host happens to leave (some hosts run at 24-bit
// precision). This guard puts the unit into its default state (64-bit precision, round to
// nearest, all exceptions masked) for the guarded calls and gives the host its own word back;
// at 64 and at 53 bits the results equal glibc's. Elsewhere the math library does not use the
// x87 unit for doubles, and the guard compiles to nothing.
#pragma once

#include <cstdint>

namespace fpu {

#if defined(_WIN32) && (defined(__i386__) || defined(__x86_64__))
class X87PrecisionGuard {
  public:
    static constexpr std::uint16_t kDefaultWord = 0x037F;

    X87PrecisionGuard() noexcept {
        __asm__ __volatile__("fnstcw %0" : "=m"(saved_) : : "memory");
        if (saved_ != kDefaultWord) {
            const std::uint16_t word = kDefaultWord;
            __asm__ __volatile__("fldcw %0" : : "m"(word) : "memory");
        }
    }
    ~X87PrecisionGuard() {
        if (saved_ != kDefaultWord) {
            // Pending exception flags from our own work must not fire in the host's code.
            __asm__ __volatile__("fnclex\n\tfldcw %0" : : "m"(saved_) : "memory");
        }
    }
    X87PrecisionGuard(const X87PrecisionGuard&) = delete;
    X87PrecisionGuard& operator=(const X87PrecisionGuard&) = delete;

  private:
    std::uint16_t saved_ = 0;
};
#else
class X87PrecisionGuard {
  public:
    // User-provided, so that a guard object is not reported as unused.
    X87PrecisionGuard() noexcept {}
    ~X87PrecisionGuard() {}
    X87PrecisionGuard(const X87PrecisionGuard&) = delete;
    X87PrecisionGuard& operator=(const X87PrecisionGuard&) = delete;
};
#endif

} // namespace fpu
