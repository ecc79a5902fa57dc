// Read positions kept as distances from the frame being written, so a run of samples whose
// distances hold needs no position arithmetic at all.
//
// A frame holds line k and line 11 - k side by side (slots 2k and 2k + 1, k = 0 .. 5): string i
// reads its own line and taps its partner's at the same position, so one 64-bit load at
// frame[at[i]] fetches both.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "engine/LoopPositions.h"
#include "engine/StringTable.h"

namespace bankkernel {

using namespace strings;

#define LYRE_INLINE [[gnu::always_inline]] inline

// Where line i lies in a frame, and where the pair of string i starts.
inline constexpr int kSlot[kCount] = {0, 2, 4, 6, 8, 10, 11, 9, 7, 5, 3, 1};
alignas(16) inline constexpr std::int32_t kPairStart[kCount] = {0,  2, 4, 6, 8, 10,
                                                                10, 8, 6, 4, 2, 0};

// The strings whose filter states the kernels keep at positions 0 .. 11: the order that puts
// each quad's samples into the frame with one shuffle.
inline constexpr int kStateOrder[kCount] = {0, 1, 10, 11, 2, 3, 8, 9, 4, 5, 6, 7};
inline constexpr int statePosition(int string) {
    for (int p = 0; p < kCount; ++p)
        if (kStateOrder[p] == string) return p;
    return -1;
}

LYRE_INLINE Int4 loadInts(const std::int32_t* p) {
    Int4 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
LYRE_INLINE void storeInts(std::int32_t* p, Int4 v) {
    std::memcpy(p, &v, sizeof v);
}

// Where each string reads, relative to the frame being written: the pair of its own line and
// its partner's, at its own position.
LYRE_INLINE void deltasFor(const std::int32_t* read, std::int32_t write, std::int32_t* at) {
    for (int q = 0; q < kQuads; ++q)
        storeInts(at + 4 * q,
                  (loadInts(read + 4 * q) - write) * kCount + loadInts(kPairStart + 4 * q));
}

// The inverse of deltasFor().
LYRE_INLINE void readsFromDeltas(const std::int32_t* at, std::int32_t write, std::int32_t* read) {
    for (int q = 0; q < kQuads; ++q)
        storeInts(read + 4 * q,
                  (write + (loadInts(at + 4 * q) - loadInts(kPairStart + 4 * q)) / kCount) &
                      kLineMask);
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

// Whether string i at distance d reads the frame one sample after the one being written (a loop
// of 16383 samples, which only odd rates and tunings give): two samples at a time must not.
LYRE_INLINE bool readsNextFrame(std::int32_t d, int i) {
    d -= kPairStart[i];
    return d == kCount || d == kCount - kLineLength * kCount;
}

// Whether string i at distance d reads the frame being written (a loop of a multiple of the
// line's length, or a length that is not a number): its taps must then be read after the write.
LYRE_INLINE bool readsOwnFrame(std::int32_t d, int i) {
    return d == kPairStart[i];
}

// Whether a pair may use these distances.
LYRE_INLINE bool pairsAllowed(const std::int32_t* at) {
    Int4 ahead = {0, 0, 0, 0};
    for (int q = 0; q < kQuads; ++q) {
        const Int4 d = loadInts(at + 4 * q) - loadInts(kPairStart + 4 * q);
        ahead |= (d == kCount) | (d == kCount - kLineLength * kCount);
    }
    return (ahead[0] | ahead[1] | ahead[2] | ahead[3]) == 0;
}

// Whether no string reads the frame being written.
LYRE_INLINE bool ownFrameUnread(const std::int32_t* at) {
    Int4 own = {0, 0, 0, 0};
    for (int q = 0; q < kQuads; ++q)
        own |= loadInts(at + 4 * q) == loadInts(kPairStart + 4 * q);
    return (own[0] | own[1] | own[2] | own[3]) == 0;
}

#undef LYRE_INLINE

} // namespace bankkernel
