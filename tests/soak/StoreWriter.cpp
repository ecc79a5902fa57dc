#include "StoreWriter.h"

#include <chrono>
#include <cstdio>
#include <random>

#include "SoakSupport.h"
#include "engine/Lyrebloom.h"
#include "engine/Parameters.h"
#include "presets/CPresetSystemEditor.h"

namespace storewriter {

namespace {

ProgramBank stampedBank(std::uint32_t n) {
    ProgramBank bank;
    bank.fill(soak::stampedProgram(n));
    return bank;
}

void store(Lyrebloom& fx, CPresetSystemEditor& editor, int what, std::uint32_t n) {
    if (what == 3) {
        const ProgramBank bank = stampedBank(n);
        fx.loadPrograms(&bank);
        editor.storeDefaultBank();
        return;
    }
    fx.loadCurrentProgram(soak::stampedProgram(n));
    if (what == 0) editor.storeMemoA();
    if (what == 1) editor.storeMemoB();
    if (what == 2) editor.storeDefaultPreset();
}

} // namespace

bool wholeBank(const ProgramBank& programs) {
    const std::int64_t first = soak::stampOf(programs[0]);
    if (first < 0) return false;
    for (const ProgramRecord& p : programs)
        if (soak::stampOf(p) != first) return false;
    return true;
}

bool wholeDefaults(const ProgramBank& programs) {
    if (soak::stampOf(programs[0]) < 0) return false;
    ProgramRecord bankStamp = programs[1];
    for (int i : {kOutput, kMix, kBypass})
        bankStamp.values[i] = bankStamp.values[kDecay];
    const std::int64_t bank = soak::stampOf(bankStamp);
    if (bank < 0) return false;
    for (int k = 1; k < 6; ++k) {
        ProgramRecord p = programs[k];
        for (int i : {kOutput, kMix, kBypass}) {
            if (p.values[i] != programs[0].values[i]) return false;
            p.values[i] = p.values[kDecay];
        }
        if (soak::stampOf(p) != bank) return false;
    }
    return true;
}

void seedStore() {
    Lyrebloom fx(soak::quietHost);
    auto* editor = dynamic_cast<CPresetSystemEditor*>(fx.getEditor());
    for (int what = 0; what < 4; ++what)
        store(fx, *editor, what, 0);
}

int run(int id, int writers, double seconds) {
    Lyrebloom fx(soak::quietHost);
    auto* editor = dynamic_cast<CPresetSystemEditor*>(fx.getEditor());
    if (!editor) return 2;
    std::mt19937 random(static_cast<unsigned>(id) * 7919u + 17u);
    std::uint32_t next = static_cast<std::uint32_t>(id);
    long writes = 0, reads = 0, torn = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
        const int action = static_cast<int>(random() % 8);
        if (action < 4) {
            next += static_cast<std::uint32_t>(writers);
            store(fx, *editor, action, next);
            ++writes;
            continue;
        }
        bool whole = true;
        if (action == 4 || action == 5) {
            action == 4 ? editor->recallMemoA() : editor->recallMemoB();
            whole = soak::stampOf(fx.currentProgram()) >= 0;
        } else if (action == 6) {
            editor->loadDefaultBank();
            whole = wholeBank(fx.programs());
        } else {
            Lyrebloom fresh(soak::quietHost);
            whole = wholeDefaults(fresh.programs());
        }
        ++reads;
        if (!whole) {
            ++torn;
            std::fprintf(stderr, "writer %d: read %d found a record no writer stored whole\n", id,
                         action);
        }
    }
    std::printf("writer %d: %ld writes, %ld reads, %ld torn\n", id, writes, reads, torn);
    return torn == 0 ? 0 : 1;
}

} // namespace storewriter
