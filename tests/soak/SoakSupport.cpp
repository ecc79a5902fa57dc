#include "SoakSupport.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

extern char** environ;

namespace soak {

VstIntPtr VSTCALLBACK quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

double durationSeconds(double fallback) {
    const char* text = std::getenv("LYRE_SOAK_SECONDS");
    const double seconds = text ? std::atof(text) : 0.0;
    return seconds > 0.0 ? seconds : fallback;
}

int startHelper(const std::vector<std::string>& arguments) {
    std::vector<std::string> all{"/proc/self/exe"};
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (::posix_spawn(&pid, "/proc/self/exe", nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    return pid;
}

int waitHelper(int pid) {
    if (pid < 0) return -1;
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

int runHelper(const std::vector<std::string>& arguments) {
    return waitHelper(startHelper(arguments));
}

namespace {
// Exactly representable, distinct for every n below 2^24, and in 0..1 for the parameters.
float valueOf(std::uint32_t n) {
    return static_cast<float>(n & 0xFFFFFF) / 16777216.0f;
}
} // namespace

ProgramRecord stampedProgram(std::uint32_t n) {
    ProgramRecord program;
    std::snprintf(program.name, sizeof program.name, "soak-%u", n & 0xFFFFFF);
    for (float& v : program.values)
        v = valueOf(n);
    return program;
}

std::int64_t stampOf(const ProgramRecord& program) {
    char name[kProgramNameBuffer] = {};
    std::memcpy(name, program.name, kProgramNameBytes);
    unsigned n = 0;
    int used = 0;
    if (std::sscanf(name, "soak-%u%n", &n, &used) != 1 || name[used] != 0) return -1;
    for (const float v : program.values)
        if (v != valueOf(n)) return -1;
    return n;
}

bool sameProgram(const ProgramRecord& a, const ProgramRecord& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

namespace {

float loadedValue(float value, int index) {
    constexpr float kDefaults[8] = {0.5f, 0.25f, 0.25f, 0.25f, 0.5f, 0.5f, 0.0f, 0.0f};
    if (std::isnan(value)) return kDefaults[index];
    return value < 0.0f ? 0.0f : value > 1.0f ? 1.0f : value;
}

} // namespace

ProgramRecord asLoaded(ProgramRecord program) {
    for (int i = 0; i < 8; ++i)
        program.values[i] = loadedValue(program.values[i], i);
    return program;
}

std::vector<std::uint8_t> chunkAsLoaded(std::vector<std::uint8_t> chunk) {
    for (std::size_t k = 0; k < 6 && chunk.size() == 368; ++k)
        for (int i = 0; i < 8; ++i) {
            const std::size_t at = 32 + 56 * k + 24 + 4 * static_cast<std::size_t>(i);
            float value;
            std::memcpy(&value, chunk.data() + at, 4);
            value = loadedValue(value, i);
            std::memcpy(chunk.data() + at, &value, 4);
        }
    return chunk;
}

} // namespace soak
