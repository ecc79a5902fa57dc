// Preset and bank records from arbitrary bytes, straight to the loaders and through files of
// any length. A record the decoder accepts ends up in the store with its values kept within
// 0..1 (in-range ones bit for bit); one it refuses changes nothing (a bank still makes program 0
// current).
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "FuzzHost.h"
#include "engine/Lyrebloom.h"
#include "presets/CPresetSystemEditor.h"
#include "presets/PresetRecords.h"

namespace {

bool same(const ProgramRecord& a, const ProgramRecord& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// The shared values (Output, Mix, Bypass) follow the program applied last into all six.
bool sameButShared(const ProgramRecord& a, const ProgramRecord& b) {
    if (std::memcmp(a.name, b.name, sizeof a.name) != 0) return false;
    for (int i : {2, 3, 4, 5, 6})
        if (std::memcmp(&a.values[i], &b.values[i], sizeof(float)) != 0) return false;
    return true;
}

// A loaded preset is renamed through a C string: its name ends at the first NUL.
ProgramRecord renamed(ProgramRecord program) {
    const std::size_t length = strnlen(program.name, sizeof program.name);
    std::memset(program.name + length, 0, sizeof program.name - length);
    return program;
}

// What a load keeps of a decoded program: values within 0..1 as they are, others at the nearer
// end, one that is not a number at the "Default" program's value.
ProgramRecord asLoaded(ProgramRecord program) {
    constexpr float kDefaults[8] = {0.5f, 0.25f, 0.25f, 0.25f, 0.5f, 0.5f, 0.0f, 0.0f};
    for (int i = 0; i < 8; ++i) {
        float& v = program.values[i];
        v = std::isnan(v) ? kDefaults[i] : v < 0.0f ? 0.0f : v > 1.0f ? 1.0f : v;
    }
    return program;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& home = fuzzConfigHome();
    static Lyrebloom fx(fuzzHost);
    static auto* editor = dynamic_cast<CPresetSystemEditor*>(fx.getEditor());
    FUZZ_CHECK(editor != nullptr);
    if (size == 0) return 0;

    // First byte: which loader, which byte order, which current program.
    const std::uint8_t mode = data[0];
    const bool bank = mode & 1, reversed = mode & 2, viaFile = mode & 4;
    fx.selectProgram((mode >> 3) % 6);
    ++data;
    --size;

    const std::size_t recordSize = bank ? records::kBankSize : records::kPresetSize;
    // What a file read leaves: the record's size, zero past the end of the input.
    std::vector<std::uint8_t> record(recordSize, 0);
    std::memcpy(record.data(), data, std::min(size, recordSize));
    const auto id = static_cast<std::uint32_t>(fx.getEffectUniqueID());
    const int current = fx.getCurrentProgramIndex();
    const ProgramBank before = fx.programs();

    if (viaFile) {
        const std::string path = home + (bank ? "/fuzz.zeb" : "/fuzz.zem");
        writeFuzzFile(path, data, size);
        if (bank)
            editor->loadBankFile(path.c_str(), reversed);
        else
            editor->loadPresetFile(path.c_str(), reversed);
    } else {
        // Exactly the record's bytes on the heap, so any read past them is caught.
        std::vector<std::uint8_t> exact(record);
        if (bank)
            editor->loadBankRecord(exact.data(), reversed);
        else
            editor->loadPresetRecord(exact.data(), reversed);
    }

    const ProgramBank after = fx.programs();
    if (bank) {
        FUZZ_CHECK(fx.getCurrentProgramIndex() == 0);
        const auto decoded = records::decodeBank(record.data(), id, reversed);
        for (int k = 0; k < 6; ++k)
            FUZZ_CHECK(sameButShared(after[k], decoded ? asLoaded((*decoded)[k]) : before[k]));
        if (decoded) FUZZ_CHECK(same(after[0], asLoaded((*decoded)[0])));
    } else {
        FUZZ_CHECK(fx.getCurrentProgramIndex() == current);
        const auto decoded = records::decodePreset(record.data(), id, reversed);
        FUZZ_CHECK(same(after[current], decoded ? renamed(asLoaded(*decoded)) : before[current]));
        for (int k = 0; k < 6; ++k)
            if (k != current) FUZZ_CHECK(sameButShared(after[k], before[k]));
    }

    // What the loaders accepted writes back out as the same record.
    if (bank) {
        std::vector<std::uint8_t> out(records::kBankSize);
        editor->makeBankRecord(out.data());
        const auto back = records::decodeBank(out.data(), id, false);
        FUZZ_CHECK(back.has_value());
        for (int k = 0; k < 6; ++k)
            FUZZ_CHECK(same((*back)[k], after[k]));
    }
    return 0;
}
