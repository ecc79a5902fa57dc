// The session's dice: xorshift64 with integer-only draws, so the same seed gives the same
// session on every compiler and run-time library.
#pragma once

#include <cstdint>

namespace lyreworkload {

class SessionRandom {
  public:
    explicit SessionRandom(std::uint64_t seed) : state_(seed ? seed : 0x9E3779B97F4A7C15ull) {}

    std::uint64_t next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return state_;
    }
    // 0 .. bound-1.
    std::uint32_t below(std::uint32_t bound) {
        return static_cast<std::uint32_t>((next() >> 32) % bound);
    }
    // A float in [0, 1] on a grid of 2^24 steps: exact, whatever the platform.
    float unit() { return static_cast<float>(next() >> 40) / 16777215.0f; }
    // A float in [-1, 1).
    float signedUnit() {
        return static_cast<float>(static_cast<std::int32_t>(next() >> 40) - 8388608) / 8388608.0f;
    }

  private:
    std::uint64_t state_;
};

} // namespace lyreworkload
