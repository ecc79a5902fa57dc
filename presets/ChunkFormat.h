// The host chunk: the whole state in 368 bytes, in the writer's byte order.
//
//   0  format tag 0x01000000     8  program count 6       16  four reserved zero words
//   4  the effect's identifier  12  current program index  32  six program records of 56
#pragma once

#include <cstddef>
#include <cstdint>

#include "presets/ProgramRecord.h"

namespace chunk {

inline constexpr std::size_t kSize = 368;
inline constexpr std::uint32_t kFormatTag = 0x01000000;
inline constexpr std::size_t kProgramsOffset = 32;
inline constexpr std::size_t kProgramSize = 56;

void build(const ProgramBank& programs, std::int32_t currentIndex, std::uint32_t id,
           std::uint8_t* out);

struct Parsed {
    enum class Outcome { loaded, refused, wrongFormat };
    Outcome outcome = Outcome::refused;
    ProgramBank programs{};
    std::int32_t currentIndex = 0;
};

// Refuses a null or wrongly sized chunk, a foreign identifier and a count other than six;
// a wrong format tag is reported apart because the host is told 0 for it, not -1.
Parsed parse(const void* data, std::int32_t byteSize, std::uint32_t id);

} // namespace chunk
