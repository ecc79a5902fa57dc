// 32-bit fields of the stored forms: unaligned access and the two byte orders. The effect's
// identifier at a known offset tells which order a writer used.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <optional>

namespace byteorder {

inline std::uint32_t swap32(std::uint32_t x) {
    return (x >> 24) | ((x >> 8) & 0xFF00u) | ((x << 8) & 0xFF0000u) | (x << 24);
}

inline std::uint32_t load32(const std::uint8_t* p) {
    std::uint32_t x;
    std::memcpy(&x, p, sizeof x);
    return x;
}

inline void store32(std::uint8_t* p, std::uint32_t x) {
    std::memcpy(p, &x, sizeof x);
}

inline float loadFloat(const std::uint8_t* p, bool swapped) {
    const std::uint32_t bits = load32(p);
    return std::bit_cast<float>(swapped ? swap32(bits) : bits);
}

inline void storeFloat(std::uint8_t* p, float x) {
    store32(p, std::bit_cast<std::uint32_t>(x));
}

// True when the stored identifier is byte-reversed, false when native, nothing when foreign.
inline std::optional<bool> storedOrderIsReversed(std::uint32_t stored, std::uint32_t id) {
    if (stored == id) return false;
    if (stored == swap32(id)) return true;
    return std::nullopt;
}

} // namespace byteorder
