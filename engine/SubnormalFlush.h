// Flush-to-zero and denormals-are-zero for the lifetime of the object, on this thread only. Hosts
// that already run their audio thread that way (most do) pay one stmxcsr and no ldmxcsr.
#pragma once

#if defined(__SSE2__) || defined(_M_X64)
#include <xmmintrin.h>

class SubnormalFlush {
  public:
    SubnormalFlush() : saved_(_mm_getcsr()) {
        if ((saved_ & kBoth) != kBoth) _mm_setcsr(saved_ | kBoth);
    }
    ~SubnormalFlush() {
        if ((saved_ & kBoth) != kBoth) _mm_setcsr(saved_);
    }
    SubnormalFlush(const SubnormalFlush&) = delete;
    SubnormalFlush& operator=(const SubnormalFlush&) = delete;

    static constexpr unsigned kFlushToZero = 0x8000;
    static constexpr unsigned kDenormalsAreZero = 0x0040;
    static constexpr unsigned kBoth = kFlushToZero | kDenormalsAreZero;

  private:
    unsigned saved_;
};
#else
class SubnormalFlush {};
#endif
