// An audio thread automates every parameter while processing, a user-interface thread loads
// presets, banks and memories and switches programs, and a host thread takes and restores
// chunks. Every chunk and record must be whole: each program's values belong to its name (or
// were automated), a bank's programs all come from one bank, and the shared values agree.
// Run under ThreadSanitizer in CI.
#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "InProcessLyrebloom.h"
#include "TempConfigHome.h"
#include "presets/ChunkFormat.h"
#include "presets/PresetRecords.h"
#include "presets/RecordFiles.h"

namespace {

constexpr float kAutomated = 0.9f; // automation stays at or above, stored programs below

std::uint32_t hashOf(const std::string& name) {
    std::uint32_t h = 2166136261u;
    for (char c : name)
        h = (h ^ static_cast<std::uint8_t>(c)) * 16777619u;
    return h;
}

// The value a program of this name holds for parameter i, unless automated since.
float expectedValue(const std::string& name, int i) {
    return static_cast<float>((hashOf(name) >> (2 * i)) % 1000) / 2000.0f;
}

ProgramRecord programNamed(const std::string& name) {
    ProgramRecord program;
    nameProgram(program, name.c_str());
    for (int i = 0; i < kProgramValues; ++i)
        program.values[i] = expectedValue(name, i);
    return program;
}

// Empty when the programs could have been produced by whole operations only.
std::string defectIn(const ProgramBank& programs) {
    std::string bank;
    for (int k = 0; k < kNumStoredPrograms; ++k) {
        const std::string name = nameOf(programs[k]);
        for (int i : {0, 1, 7})
            if (std::bit_cast<std::uint32_t>(programs[k].values[i]) !=
                std::bit_cast<std::uint32_t>(programs[0].values[i]))
                return "shared value " + std::to_string(i) + " differs in program " +
                       std::to_string(k);
        for (int i = 2; i < 7; ++i)
            if (programs[k].values[i] < kAutomated &&
                programs[k].values[i] != expectedValue(name, i))
                return "program " + std::to_string(k) + " '" + name + "' holds a foreign value";
        if (name.starts_with("B")) {
            const std::size_t dash = name.find('-');
            if (name.substr(dash + 1) != std::to_string(k)) return "bank program out of place";
            if (bank.empty()) bank = name.substr(0, dash);
            if (name.substr(0, dash) != bank) return "programs of two banks: " + name;
        }
    }
    return {};
}

void writeRecordFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
    ASSERT_TRUE(recordfiles::write(path, data, size));
}

TEST(PresetStress, AudioInterfaceAndHostThreadsOnlyEverSeeWholePrograms) {
    TempConfigHome home;
    Instance fx;
    ASSERT_PRESET_EDITOR(fx);
    const auto id = static_cast<std::uint32_t>(fx.effect->getEffectUniqueID());
    const std::string dir = home.root() + "/";

    std::vector<std::string> presetFiles, bankFiles;
    for (int n = 0; n < 8; ++n) {
        std::uint8_t record[records::kPresetSize];
        records::makePreset(programNamed("P" + std::to_string(n)), id, record);
        presetFiles.push_back(dir + "p" + std::to_string(n) + ".zem");
        writeRecordFile(presetFiles.back(), record, sizeof record);
    }
    for (int n = 0; n < 4; ++n) {
        ProgramBank bank;
        for (int k = 0; k < kNumStoredPrograms; ++k)
            bank[k] = programNamed("B" + std::to_string(n) + "-" + std::to_string(k));
        std::uint8_t record[records::kBankSize];
        records::makeBank(bank, id, record);
        bankFiles.push_back(dir + "b" + std::to_string(n) + ".zeb");
        writeRecordFile(bankFiles.back(), record, sizeof record);
    }
    fx.editor->loadBankFile(bankFiles[0].c_str(), false);
    fx.editor->loadPresetFile(presetFiles[0].c_str(), false);
    fx.editor->storeMemoA();
    fx.editor->loadPresetFile(presetFiles[1].c_str(), false);
    fx.editor->storeMemoB();
    ASSERT_EQ(defectIn(fx.programs()), "");

    std::atomic<bool> stop{false}, failed{false};
    std::atomic<long> blocks{0}, chunks{0}, operations{0};

    std::thread audio([&] {
        std::vector<float> inL(64, 0.1f), inR(64, -0.1f), outL(64), outR(64);
        float* in[2] = {inL.data(), inR.data()};
        float* out[2] = {outL.data(), outR.data()};
        for (long n = 0; !stop.load(); ++n) {
            for (VstInt32 p = 0; p < kProgramValues; ++p)
                fx.effect->setParameter(p, kAutomated + 0.01f * static_cast<float>((n + p) % 10));
            fx.effect->processReplacing(in, out, 64);
            blocks.store(n + 1);
        }
    });

    std::string hostDefect;
    std::thread host([&] {
        std::vector<std::uint8_t> saved;
        for (long n = 0; !stop.load() && hostDefect.empty(); ++n) {
            void* data = nullptr;
            const VstInt32 size = fx.effect->getChunk(&data, false);
            const auto* bytes = static_cast<const std::uint8_t*>(data);
            const chunk::Parsed parsed = chunk::parse(bytes, size, id);
            if (parsed.outcome != chunk::Parsed::Outcome::loaded)
                hostDefect = "chunk refused by its own parser";
            else
                hostDefect = defectIn(parsed.programs);
            if (n % 5 == 0) saved.assign(bytes, bytes + size);
            if (n % 7 == 3 && fx.effect->setChunk(saved.data(), size, false) != 0)
                hostDefect = "own chunk refused";
            if (!hostDefect.empty()) failed.store(true);
            chunks.store(n + 1);
        }
    });

    std::string interfaceDefect;
    std::thread userInterface([&] {
        for (long n = 0; !stop.load() && interfaceDefect.empty(); ++n) {
            switch (n % 6) {
            case 0:
                fx.editor->loadPresetFile(presetFiles[n % presetFiles.size()].c_str(), false);
                break;
            case 1:
                fx.editor->loadBankFile(bankFiles[n % bankFiles.size()].c_str(), false);
                break;
            case 2:
                n % 4 < 2 ? fx.editor->recallMemoA() : fx.editor->recallMemoB();
                break;
            case 3:
                fx.effect->selectProgram(static_cast<VstInt32>(n % kNumStoredPrograms));
                break;
            case 4: {
                std::uint8_t record[records::kBankSize] = {};
                fx.editor->makeBankRecord(record);
                interfaceDefect = defectIn(records::decodeBank(record, id, false).value());
                break;
            }
            default: {
                char name[kProgramNameBuffer];
                fx.effect->getProgramName(name);
                if (name[0] == 0) interfaceDefect = "current program without a name";
            }
            }
            if (!interfaceDefect.empty()) failed.store(true);
            operations.store(n + 1);
        }
    });

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    const auto minimum = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
    while (std::chrono::steady_clock::now() < deadline &&
           (std::chrono::steady_clock::now() < minimum || blocks.load() < 500 ||
            chunks.load() < 500 || operations.load() < 500) &&
           !failed.load())
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    stop.store(true);
    audio.join();
    host.join();
    userInterface.join();

    // Read only now: the threads that wrote them have been joined.
    EXPECT_EQ(hostDefect, "");
    EXPECT_EQ(interfaceDefect, "");
    EXPECT_EQ(defectIn(fx.programs()), "");
    EXPECT_GE(blocks.load(), 500);
    EXPECT_GE(chunks.load(), 500);
    EXPECT_GE(operations.load(), 500);
}

} // namespace
