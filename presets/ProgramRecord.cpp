#include "presets/ProgramRecord.h"

#include <cmath>
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

void keepValuesInRange(ProgramRecord& program, const float (&defaults)[kProgramValues]) {
    for (int i = 0; i < kProgramValues; ++i) {
        float& value = program.values[i];
        if (std::isnan(value))
            value = defaults[i];
        else if (value < 0.0f)
            value = 0.0f;
        else if (value > 1.0f)
            value = 1.0f;
    }
}
