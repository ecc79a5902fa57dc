#include "ConcurrentMemoryWorker.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "InProcessLyrebloom.h"
#include "presets/PresetRecords.h"
#include "presets/StoredSettings.h"

namespace memoworker {
namespace {

std::uint32_t hashOf(const std::string& name) {
    std::uint32_t h = 2166136261u;
    for (char c : name)
        h = (h ^ static_cast<std::uint8_t>(c)) * 16777619u;
    return h;
}

float valueFor(const std::string& name, int i) {
    return static_cast<float>((hashOf(name) >> (2 * i)) % 1000) / 1000.0f;
}

ProgramRecord programNamed(const std::string& name) {
    ProgramRecord program;
    nameProgram(program, name.c_str());
    for (int i = 0; i < kProgramValues; ++i)
        program.values[i] = valueFor(name, i);
    return program;
}

// Whole: a worker's name ("W<index>-<n>") and exactly the values that name stands for.
bool isWhole(const ProgramRecord& program) {
    const std::string name = nameOf(program);
    if (name.size() < 4 || name[0] != 'W') return false;
    for (int i = 0; i < kProgramValues; ++i)
        if (program.values[i] != valueFor(name, i)) return false;
    return true;
}

} // namespace

int run(int index, int rounds) {
    Instance fx;
    if (!fx.editor) return 3;
    const auto id = static_cast<std::uint32_t>(fx.effect->getEffectUniqueID());
    long recalls = 0, torn = 0;
    for (int n = 0; n < rounds; ++n) {
        for (const bool memoA : {true, false}) {
            // Make one of this worker's programs current, store it, then recall what is there.
            std::uint8_t record[records::kPresetSize];
            char name[32];
            std::snprintf(name, sizeof name, "W%d-%d", index, n % 7);
            records::makePreset(programNamed(name), id, record);
            fx.editor->loadPresetRecord(record, false);
            memoA ? fx.editor->storeMemoA() : fx.editor->storeMemoB();
            memoA ? fx.editor->recallMemoA() : fx.editor->recallMemoB();
            ++recalls;
            if (!isWhole(fx.programs()[fx.current()])) ++torn;
        }
    }
    std::printf("recalls %ld torn %ld\n", recalls, torn);
    std::fflush(stdout);
    return torn == 0 ? 0 : 1;
}

RegistryReadStats readWhileRunning(std::size_t workers, const std::function<bool()>& running) {
    RegistryReadStats stats;
    const auto store = makeUserSettingsStore();
    const auto id = 0x5A6D4C79u;
    while (running() || stats.reads < static_cast<long>(workers)) {
        for (const auto name : {settings::kMemoA, settings::kMemoB}) {
            std::uint8_t record[records::kPresetSize] = {};
            settings::loadRecord(*store, name, record, sizeof record);
            ++stats.reads;
            bool zero = true;
            for (std::uint8_t b : record)
                zero &= b == 0;
            if (zero) continue; // not stored yet
            const auto program = records::decodePreset(record, id, false);
            if (!program || !isWhole(*program)) ++stats.torn;
        }
    }
    return stats;
}

} // namespace memoworker
