#include "presets/ChunkFormat.h"

#include <cstring>

#include "presets/ByteOrder.h"

namespace chunk {
namespace {

constexpr std::size_t kIdOffset = 4;
constexpr std::size_t kCountOffset = 8;
constexpr std::size_t kIndexOffset = 12;

std::uint8_t* programAt(std::uint8_t* chunk, int k) {
    return chunk + kProgramsOffset + kProgramSize * static_cast<std::size_t>(k);
}

const std::uint8_t* programAt(const std::uint8_t* chunk, int k) {
    return chunk + kProgramsOffset + kProgramSize * static_cast<std::size_t>(k);
}

std::int32_t loadInt(const std::uint8_t* p, bool swapped) {
    const std::uint32_t bits = byteorder::load32(p);
    return static_cast<std::int32_t>(swapped ? byteorder::swap32(bits) : bits);
}

} // namespace

void build(const ProgramBank& programs, std::int32_t currentIndex, std::uint32_t id,
           std::uint8_t* out) {
    std::memset(out, 0, kSize);
    byteorder::store32(out, kFormatTag);
    byteorder::store32(out + kIdOffset, id);
    byteorder::store32(out + kCountOffset, kNumStoredPrograms);
    byteorder::store32(out + kIndexOffset, static_cast<std::uint32_t>(currentIndex));
    for (int k = 0; k < kNumStoredPrograms; ++k) {
        std::uint8_t* p = programAt(out, k);
        std::memcpy(p, programs[k].name, kProgramNameBytes);
        for (int i = 0; i < kProgramValues; ++i)
            byteorder::storeFloat(p + kProgramNameBytes + 4 * i, programs[k].values[i]);
    }
}

Parsed parse(const void* data, std::int32_t byteSize, std::uint32_t id) {
    Parsed result;
    if (!data || byteSize != static_cast<std::int32_t>(kSize)) return result;
    const auto* in = static_cast<const std::uint8_t*>(data);
    const auto reversed = byteorder::storedOrderIsReversed(byteorder::load32(in + kIdOffset), id);
    if (!reversed) return result;
    const bool swapped = *reversed;
    if (static_cast<std::uint32_t>(loadInt(in, swapped)) != kFormatTag) {
        result.outcome = Parsed::Outcome::wrongFormat;
        return result;
    }
    if (loadInt(in + kCountOffset, swapped) != kNumStoredPrograms) return result;
    result.currentIndex = loadInt(in + kIndexOffset, swapped);
    for (int k = 0; k < kNumStoredPrograms; ++k) {
        const std::uint8_t* p = programAt(in, k);
        std::memcpy(result.programs[k].name, p, kProgramNameBytes);
        for (int i = 0; i < kProgramValues; ++i)
            result.programs[k].values[i] =
                byteorder::loadFloat(p + kProgramNameBytes + 4 * i, swapped);
    }
    result.outcome = Parsed::Outcome::loaded;
    return result;
}

} // namespace chunk
