#include "presets/ProgramRecord.h"

#include <cstring>

void nameProgram(ProgramRecord& program, const char* name) {
    if (!name) return;
    std::memset(program.name, 0, sizeof program.name);
    std::memcpy(program.name, name, strnlen(name, kProgramNameBytes));
}

void copyProgramName(const ProgramRecord& program, char* text) {
    std::memcpy(text, program.name, kProgramNameBytes);
    text[kProgramNameBytes] = 0;
}
