// 64-bit FNV-1a over a byte stream: small, fixed and the same on every platform, so two
// machines can compare long renders by one number.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace lyreworkload {

class ByteHash {
  public:
    void add(const void* data, std::size_t size) {
        const auto* bytes = static_cast<const unsigned char*>(data);
        for (std::size_t i = 0; i < size; ++i) {
            state_ ^= bytes[i];
            state_ *= 0x100000001B3ull;
        }
    }
    std::uint64_t value() const { return state_; }
    std::string hex() const {
        char text[17];
        std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(state_));
        return text;
    }

  private:
    std::uint64_t state_ = 0xCBF29CE484222325ull;
};

} // namespace lyreworkload
