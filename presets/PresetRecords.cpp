#include "presets/PresetRecords.h"

#include <cstring>

#include "presets/ByteOrder.h"

namespace records {
namespace {

constexpr std::size_t kKindOffset = 4;
constexpr std::size_t kFirstProgram = 5;
constexpr std::size_t kProgramSize = kProgramNameBytes + 4 * kProgramValues;

void writeProgram(const ProgramRecord& program, std::uint8_t* at) {
    std::memcpy(at, program.name, kProgramNameBytes);
    for (int i = 0; i < kProgramValues; ++i)
        byteorder::storeFloat(at + kProgramNameBytes + 4 * i, program.values[i]);
}

ProgramRecord readProgram(const std::uint8_t* at, bool swapped) {
    ProgramRecord program;
    std::memcpy(program.name, at, kProgramNameBytes);
    for (int i = 0; i < kProgramValues; ++i)
        program.values[i] = byteorder::loadFloat(at + kProgramNameBytes + 4 * i, swapped);
    return program;
}

// Whether the values need swapping, or nothing when the record is not ours or not this kind.
std::optional<bool> valuesSwapped(const std::uint8_t* record, std::uint32_t id, std::uint8_t kind,
                                  bool reversed) {
    const auto storedReversed = byteorder::storedOrderIsReversed(byteorder::load32(record), id);
    if (!storedReversed || record[kKindOffset] != kind) return std::nullopt;
    return *storedReversed != reversed;
}

} // namespace

void makePreset(const ProgramRecord& program, std::uint32_t id, std::uint8_t* record) {
    byteorder::store32(record, id);
    record[kKindOffset] = kPresetKind;
    writeProgram(program, record + kFirstProgram);
}

void makeBank(const ProgramBank& programs, std::uint32_t id, std::uint8_t* record) {
    byteorder::store32(record, id);
    record[kKindOffset] = kBankKind;
    for (int k = 0; k < kNumStoredPrograms; ++k)
        writeProgram(programs[k], record + kFirstProgram + kProgramSize * k);
}

std::optional<ProgramRecord> decodePreset(const std::uint8_t* record, std::uint32_t id,
                                          bool reversed) {
    const auto swapped = valuesSwapped(record, id, kPresetKind, reversed);
    if (!swapped) return std::nullopt;
    return readProgram(record + kFirstProgram, *swapped);
}

std::optional<ProgramBank> decodeBank(const std::uint8_t* record, std::uint32_t id, bool reversed) {
    const auto swapped = valuesSwapped(record, id, kBankKind, reversed);
    if (!swapped) return std::nullopt;
    ProgramBank programs;
    for (int k = 0; k < kNumStoredPrograms; ++k)
        programs[k] = readProgram(record + kFirstProgram + kProgramSize * k, *swapped);
    return programs;
}

} // namespace records
