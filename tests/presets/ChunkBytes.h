// Reading and writing fields of the 368-byte chunk the way another host or machine would.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

inline constexpr std::uint32_t kLyrebloomID = 0x5A6D4C79; // 'ZmLy'

inline std::uint32_t u32At(const Bytes& b, std::size_t offset) {
    std::uint32_t x;
    std::memcpy(&x, b.data() + offset, 4);
    return x;
}

inline void putU32(Bytes& b, std::size_t offset, std::uint32_t x) {
    std::memcpy(b.data() + offset, &x, 4);
}

inline float floatAt(const Bytes& b, std::size_t offset) {
    return std::bit_cast<float>(u32At(b, offset));
}

inline void putFloat(Bytes& b, std::size_t offset, float x) {
    putU32(b, offset, std::bit_cast<std::uint32_t>(x));
}

inline void swapAt(Bytes& b, std::size_t offset) {
    std::swap(b[offset], b[offset + 3]);
    std::swap(b[offset + 1], b[offset + 2]);
}

// Program k of a chunk: name at 32 + 56k, value i at 56 + 56k + 4i.
inline std::size_t chunkName(int k) {
    return 32 + 56 * static_cast<std::size_t>(k);
}
inline std::size_t chunkValue(int k, int i) {
    return chunkName(k) + 24 + 4 * static_cast<std::size_t>(i);
}

// Program k of a preset (k = 0) or bank record: name at 5 + 56k, value i at 29 + 56k + 4i.
inline std::size_t recordName(int k) {
    return 5 + 56 * static_cast<std::size_t>(k);
}
inline std::size_t recordValue(int k, int i) {
    return recordName(k) + 24 + 4 * static_cast<std::size_t>(i);
}

inline std::string nameAt(const Bytes& b, std::size_t offset) {
    return std::string(reinterpret_cast<const char*>(b.data() + offset),
                       strnlen(reinterpret_cast<const char*>(b.data() + offset), 24));
}
