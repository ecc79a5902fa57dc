// One program as the store, the chunk and both records hold it: a 24-byte name and eight
// normalised values in parameter-index order.
#pragma once

#include <array>
#include <cstddef>

inline constexpr int kNumStoredPrograms = 6;
inline constexpr int kProgramValues = 8;
inline constexpr std::size_t kProgramNameBytes = 24;
// A name handed out as a C string: the 24 bytes and a terminator.
inline constexpr std::size_t kProgramNameBuffer = kProgramNameBytes + 1;

struct ProgramRecord {
    char name[kProgramNameBytes] = {};
    float values[kProgramValues] = {};
};

using ProgramBank = std::array<ProgramRecord, kNumStoredPrograms>;
using ProgramNames = std::array<std::array<char, kProgramNameBuffer>, kNumStoredPrograms>;

inline bool isStoredProgram(int index) {
    return index >= 0 && index < kNumStoredPrograms;
}

// A name of 24 or more characters keeps its first 24 and no terminator; a shorter one is
// NUL-padded. A null name leaves the field as it was.
void nameProgram(ProgramRecord& program, const char* name);
// The 24 name bytes and a terminator.
void copyProgramName(const ProgramRecord& program, char* text);
// What a host reads back must stay in the 0..1 it was promised, whatever a record held: a value
// outside is clamped and one that is not a number takes the parameter's default. Values in
// range are kept bit for bit.
void keepValuesInRange(ProgramRecord& program, const float (&defaults)[kProgramValues]);
