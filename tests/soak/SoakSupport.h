// Shared by the soak and store-stress tests: a quiet host, helper processes started from this
// same executable, and programs that carry their own check.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "presets/ProgramRecord.h"
#include "shell/vst2.h"

namespace soak {

VstIntPtr VSTCALLBACK quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float);

// Seconds from LYRE_SOAK_SECONDS, or the fallback.
double durationSeconds(double fallback);

// Runs this executable with `arguments` (the helper modes of SoakMain.cpp) and returns the
// exit status, or -1 when it did not exit normally.
int runHelper(const std::vector<std::string>& arguments);
// Starts it without waiting; wait with waitHelper.
int startHelper(const std::vector<std::string>& arguments);
int waitHelper(int pid);

// A program whose name and eight values all encode one number: "soak-<n>", every value the
// same float made from n. A record read back either decodes whole or was torn.
ProgramRecord stampedProgram(std::uint32_t n);
// The number the program carries, or -1 when name and values disagree.
std::int64_t stampOf(const ProgramRecord& program);

bool sameProgram(const ProgramRecord& a, const ProgramRecord& b);

// A program as any load stores it: values within 0..1 kept bit for bit, others at the nearer
// end, one that is not a number at the "Default" program's value. The host may set anything.
ProgramRecord asLoaded(ProgramRecord program);
// The same for every program value of a 368-byte chunk in native order.
std::vector<std::uint8_t> chunkAsLoaded(std::vector<std::uint8_t> chunk);

} // namespace soak
