// Read positions kept as distances from the frame being written: string i reads its own line at
// frame[at[i]], so a run of samples whose distances hold needs no position arithmetic at all.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "engine/LoopPositions.h"
#include "engine/StringTable.h"

namespace bankkernel {

using namespace strings;

#define LYRE_INLINE [[gnu::always_inline]] inline

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

// Whether string i at distance d reads the frame one sample after the one being written (a loop
// of 16383 samples, which only odd rates and tunings give): two samples at a time must not.
LYRE_INLINE bool readsNextFrame(std::int32_t d, int i) {
    d -= i;
    return d == kCount || d == kCount - kLineLength * kCount;
}

// Whether a pair may use these distances.
LYRE_INLINE bool pairsAllowed(const std::int32_t* at) {
    Int4 ahead = {0, 0, 0, 0};
    for (int q = 0; q < kQuads; ++q) {
        const Int4 lane = {4 * q, 4 * q + 1, 4 * q + 2, 4 * q + 3};
        const Int4 d = loadInts(at + 4 * q) - lane;
        ahead |= (d == kCount) | (d == kCount - kLineLength * kCount);
    }
    return (ahead[0] | ahead[1] | ahead[2] | ahead[3]) == 0;
}

#undef LYRE_INLINE

} // namespace bankkernel
