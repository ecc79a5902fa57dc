// Flush-to-zero and denormals-are-zero for the lifetime of the object, on this thread only.
#pragma once

#if defined(__SSE2__) || defined(_M_X64)
#include <xmmintrin.h>

class SubnormalFlush {
  public:
    SubnormalFlush() : saved_(_mm_getcsr()) {
        _mm_setcsr(saved_ | kFlushToZero | kDenormalsAreZero);
    }
    ~SubnormalFlush() { _mm_setcsr(saved_); }
    SubnormalFlush(const SubnormalFlush&) = delete;
    SubnormalFlush& operator=(const SubnormalFlush&) = delete;

  private:
    static constexpr unsigned kFlushToZero = 0x8000;
    static constexpr unsigned kDenormalsAreZero = 0x0040;
    unsigned saved_;
};
#else
class SubnormalFlush {};
#endif
