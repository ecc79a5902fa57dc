// The two stored forms of programs, packed and unaligned, in the writer's byte order:
// a preset record (identifier, kind 0x21, one program; 61 bytes) and a bank record
// (identifier, kind 0x37, six programs; 341 bytes). Names are never byte-reversed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "presets/ProgramRecord.h"

namespace records {

inline constexpr std::size_t kPresetSize = 61;
inline constexpr std::size_t kBankSize = 341;
inline constexpr std::uint8_t kPresetKind = 0x21;
inline constexpr std::uint8_t kBankKind = 0x37;

void makePreset(const ProgramRecord& program, std::uint32_t id, std::uint8_t* record);
void makeBank(const ProgramBank& programs, std::uint32_t id, std::uint8_t* record);

// Nothing for a foreign identifier or a wrong kind byte. `reversed` asks for the values in the
// opposite byte order from the one the identifier shows.
std::optional<ProgramRecord> decodePreset(const std::uint8_t* record, std::uint32_t id,
                                          bool reversed);
std::optional<ProgramBank> decodeBank(const std::uint8_t* record, std::uint32_t id, bool reversed);

} // namespace records
