// The x87 control word as a host may leave it: some hosts run with 24-bit precision or other
// rounding, and 32-bit math libraries follow whatever they find. Used to put the host side into
// such a state before calling the plug-in, and to check that the plug-in gives it back.
#pragma once

#include <cstdint>
#include <optional>

namespace lyreworkload {

#if defined(__i386__) || defined(__x86_64__)
inline std::uint16_t readX87ControlWord() {
    std::uint16_t word = 0;
    __asm__ __volatile__("fnstcw %0" : "=m"(word));
    return word;
}
inline void writeX87ControlWord(std::uint16_t word) {
    __asm__ __volatile__("fldcw %0" : : "m"(word));
}
// Forgets the pending exception flags, as a host does before it unmasks an exception.
inline void clearX87Exceptions() {
    __asm__ __volatile__("fnclex");
}
constexpr bool kHasX87 = true;
#else
inline std::uint16_t readX87ControlWord() {
    return 0;
}
inline void writeX87ControlWord(std::uint16_t) {}
inline void clearX87Exceptions() {}
constexpr bool kHasX87 = false;
#endif

// The control word with the precision field (bits 8-9) set for 24, 53 or 64 bits, the other
// fields kept; nothing for any other number of bits.
inline std::optional<std::uint16_t> withPrecision(std::uint16_t word, int bits) {
    const std::uint16_t field = bits == 24 ? 0x0000 : bits == 53 ? 0x0200 : bits == 64 ? 0x0300 : 1;
    if (field == 1) return std::nullopt;
    return static_cast<std::uint16_t>((word & ~0x0300) | field);
}

} // namespace lyreworkload
