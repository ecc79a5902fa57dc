// lyrebloom-render's program options against the built plug-in: every change must show up
// in the state the plug-in itself reports through its chunk, and in the sound.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstring>

#include "host/render/ProgramFiles.h"
#include "tests/host/RenderToolFixture.h"

namespace {

using namespace rendertest;
using lyrerender::Bytes;
using lyrerender::Chunk;
using lyrerender::StoredBank;
using lyrerender::StoredProgram;

constexpr std::uint32_t kId = 0x5A6D4C79;
constexpr int kOutput = 0, kDecay = 2, kBypass = 7;

// Values whose byte-reversed forms are also plain numbers between 0 and 1.
constexpr std::uint32_t kBits[8] = {0x3E11223D, 0x3E33443D, 0x3E55663D, 0x3E77083D,
                                    0x3E19283D, 0x3E3A4B3D, 0x3E5C6D3D, 0x3E7E0F3D};

StoredProgram sample(const char* name) {
    StoredProgram program;
    std::memcpy(program.name.data(), name, std::min(std::strlen(name), program.name.size()));
    for (int i = 0; i < 8; ++i)
        program.values[i] = std::bit_cast<float>(kBits[i]);
    return program;
}

std::uint32_t bitsOf(float value) {
    return std::bit_cast<std::uint32_t>(value);
}

void writeBytes(const fs::path& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

Bytes readBytes(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

// Every 32-bit field of a chunk but the identifier reversed, as the other byte order writes it.
Bytes byteReversedChunk(Bytes chunk) {
    for (std::size_t at = 0; at < 32; at += 4)
        if (at != 4)
            std::reverse(chunk.begin() + static_cast<long>(at),
                         chunk.begin() + static_cast<long>(at + 4));
    std::reverse(chunk.begin() + 4, chunk.begin() + 8);
    for (int k = 0; k < 6; ++k)
        for (int i = 0; i < 8; ++i) {
            const auto at = chunk.begin() + 32 + 56 * k + 24 + 4 * i;
            std::reverse(at, at + 4);
        }
    return chunk;
}

// RMS level of the last `frames` frames: the strings ringing on after the input has ended.
double tailRms(const AudioFile& file, std::size_t frames) {
    const std::size_t count = std::min(file.samples.size(), frames * 2);
    double sum = 0.0;
    for (std::size_t i = file.samples.size() - count; i < file.samples.size(); ++i)
        sum += static_cast<double>(file.samples[i]) * file.samples[i];
    return std::sqrt(sum / static_cast<double>(std::max<std::size_t>(1, count)));
}

class ProgramTool : public RenderTool {
  protected:
    void SetUp() override {
        RenderTool::SetUp();
        if (!pluginBuilt()) GTEST_SKIP() << LYREBLOOM_SO << " not built";
    }

    // The state after the given options, as --save-chunk writes it.
    Chunk stateAfter(std::vector<std::string> args) {
        const fs::path saved = dir / "state.bin";
        args.insert(args.end(), {"--save-chunk", saved.string()});
        const RunResult result = run(args);
        EXPECT_EQ(result.exitCode, 0) << result.err;
        Bytes bytes = readBytes(saved);
        fs::remove(saved);
        if (bytes.size() != lyrerender::kChunkBytes) bytes.resize(lyrerender::kChunkBytes);
        return Chunk(bytes);
    }

    std::string file(const std::string& name, const Bytes& bytes) const {
        writeBytes(workDir / name, bytes);
        return (workDir / name).string();
    }
};

TEST_F(ProgramTool, ListProgramsPrintsTheSixFactoryNames) {
    const RunResult result = run({"--list-programs"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out,
              "0 Default\n1 Bright\n2 High\n3 Low & Dark\n4 Almost reverb\n5 Detuned\n");
    EXPECT_EQ(result.err, "");
}

TEST_F(ProgramTool, ProgramByIndexOrNameBecomesCurrent) {
    EXPECT_EQ(stateAfter({}).currentProgram(), 0);
    const Chunk byIndex = stateAfter({"--program", "4"});
    EXPECT_EQ(byIndex.currentProgram(), 4);
    EXPECT_EQ(stateAfter({"--program", "almost REVERB"}).bytes(), byIndex.bytes());
    EXPECT_EQ(stateAfter({"--program=Low & Dark"}).currentProgram(), 3);
}

TEST_F(ProgramTool, ProgramChangesTheSound) {
    std::vector<float> hits(11025, 0.0f);
    for (std::size_t i = 0; i < 100; ++i)
        hits[500 + i] = (i % 2 ? 0.5f : -0.5f);
    writeAudio(workDir / "hits.wav", 1, 22050, hits);
    const auto renderWith = [&](std::vector<std::string> args, const std::string& name) {
        args.insert(args.end(), {(workDir / "hits.wav").string(), "-o", out(name), "--tail", "1"});
        const RunResult result = run(args);
        EXPECT_EQ(result.exitCode, 0) << result.err;
        return tailRms(readAudio(out(name)), 11025);
    };
    const double plain = renderWith({}, "default.wav");
    const double indexZero = renderWith({"--program", "0"}, "zero.wav");
    const double reverb = renderWith({"--program", "Almost reverb"}, "reverb.wav");
    EXPECT_GT(plain, 0.0);
    EXPECT_EQ(indexZero, plain);
    EXPECT_GT(reverb, 10.0 * plain) << plain; // its longer decay still rings half a second on
}

TEST_F(ProgramTool, PresetInEitherByteOrderLoadsTheSameValues) {
    const Bytes native = lyrerender::encodePreset(sample("Glass"), kId);
    Bytes foreign = native;
    std::reverse(foreign.begin(), foreign.begin() + 4);
    for (int i = 0; i < 8; ++i)
        std::reverse(foreign.begin() + 29 + 4 * i, foreign.begin() + 33 + 4 * i);

    const Chunk fromNative = stateAfter({"--preset", file("native.zem", native)});
    EXPECT_EQ(stateAfter({"--preset", file("foreign.zem", foreign)}).bytes(), fromNative.bytes());
    const StoredProgram loaded = fromNative.program(0);
    EXPECT_STREQ(loaded.name.data(), "Glass");
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(bitsOf(loaded.values[i]), kBits[i]) << i;
    EXPECT_EQ(fromNative.currentProgram(), 0);
}

TEST_F(ProgramTool, ReversedLoadSwapsTheValuesOfANativeFile) {
    const std::string preset = file("native.zem", lyrerender::encodePreset(sample("Glass"), kId));
    const StoredProgram loaded = stateAfter({"--preset", preset, "--reversed"}).program(0);
    EXPECT_STREQ(loaded.name.data(), "Glass");
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(bitsOf(loaded.values[i]), lyrerender::swapBytes(kBits[i])) << i;
}

TEST_F(ProgramTool, PresetReplacesOnlyTheCurrentProgram) {
    const std::string start = file("start.bin", stateAfter({"--program", "3"}).bytes());
    const std::string preset = file("p.zem", lyrerender::encodePreset(sample("Glass"), kId));
    const Chunk after = stateAfter({"--chunk", start, "--preset", preset});
    EXPECT_EQ(after.currentProgram(), 3);
    EXPECT_STREQ(after.program(3).name.data(), "Glass");
    EXPECT_EQ(bitsOf(after.program(3).values[kDecay]), kBits[kDecay]);
    EXPECT_STREQ(after.program(2).name.data(), "High");
    EXPECT_STREQ(after.program(4).name.data(), "Almost reverb");
}

TEST_F(ProgramTool, ShortPresetIsZeroPaddedAsThePluginReadsIt) {
    const Bytes record = lyrerender::encodePreset(sample("Stub"), kId);
    const std::string preset = file("short.zem", Bytes(record.begin(), record.begin() + 29));
    const StoredProgram loaded = stateAfter({"--preset", preset}).program(0);
    EXPECT_STREQ(loaded.name.data(), "Stub");
    for (const float value : loaded.values)
        EXPECT_EQ(value, 0.0f);
}

TEST_F(ProgramTool, BankReplacesAllSixAndMakesProgramZeroCurrent) {
    StoredBank bank;
    for (int k = 0; k < 6; ++k) {
        bank[k] = sample(("Bank " + std::to_string(k)).c_str());
        bank[k].values[kDecay] = 0.1f * static_cast<float>(k);
        bank[k].values[kOutput] = 0.05f * static_cast<float>(k + 1);
    }
    const std::string bankFile = file("six.zeb", lyrerender::encodeBank(bank, kId));
    const std::string start = file("start.bin", stateAfter({"--program", "2"}).bytes());

    const Chunk after = stateAfter({"--chunk", start, "--bank", bankFile});
    EXPECT_EQ(after.currentProgram(), 0);
    for (int k = 0; k < 6; ++k) {
        const StoredProgram program = after.program(k);
        EXPECT_EQ(program.name, bank[k].name) << k;
        EXPECT_EQ(program.values[kDecay], bank[k].values[kDecay]) << k;
        // Output, Mix and Bypass are shared: applying program 0 hands its values to all.
        EXPECT_EQ(program.values[kOutput], bank[0].values[kOutput]) << k;
        EXPECT_EQ(bitsOf(program.values[kBypass]), kBits[kBypass]) << k;
    }

    const RunResult listed = run({"--bank", bankFile, "--list-programs"});
    EXPECT_EQ(listed.out, "0 Bank 0\n1 Bank 1\n2 Bank 2\n3 Bank 3\n4 Bank 4\n5 Bank 5\n");
    const Chunk thenProgram = stateAfter({"--bank", bankFile, "--program", "bank 5"});
    EXPECT_EQ(thenProgram.currentProgram(), 5);
}

TEST_F(ProgramTool, SavedChunkReadsBackToTheSameState) {
    const Chunk first = stateAfter({"--program", "Detuned", "--set", "Decay=0.9"});
    EXPECT_EQ(first.currentProgram(), 5);
    EXPECT_FLOAT_EQ(first.program(5).values[kDecay], 0.9f);
    const std::string saved = file("first.bin", first.bytes());
    EXPECT_EQ(stateAfter({"--chunk", saved}).bytes(), first.bytes());
    const std::string foreign = file("foreign.bin", byteReversedChunk(first.bytes()));
    EXPECT_EQ(stateAfter({"--chunk", foreign}).bytes(), first.bytes());
}

TEST_F(ProgramTool, SaveChunkAlongsideARender) {
    const RunResult result =
        run({"-o", out("x.wav"), "--tail", "0", "--program", "1", "--save-chunk", out("s.bin")});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(workFiles(), (std::vector<std::string>{"s.bin", "x.wav"}));
    const Bytes saved = readBytes(out("s.bin"));
    ASSERT_EQ(saved.size(), lyrerender::kChunkBytes);
    EXPECT_EQ(Chunk(saved).currentProgram(), 1);
}

TEST_F(ProgramTool, FilesThatAreNotOursAreRefusedCleanly) {
    const Bytes preset = lyrerender::encodePreset(sample("P"), kId);
    const Bytes bank = lyrerender::encodeBank(StoredBank{}, kId);
    const std::string foreignPreset =
        file("foreign.zem", lyrerender::encodePreset(sample("P"), 0x41424344));
    const std::string bankAsPreset = file("bank-as.zem", Bytes(bank.begin(), bank.begin() + 61));
    const std::string presetAsBank = file("preset-as.zeb", preset);
    const std::string empty = file("empty.zem", {});
    const std::vector<std::string> render = {"-o", out("x.wav"), "--save-chunk", out("s.bin")};
    const auto with = [&](std::vector<std::string> args) {
        args.insert(args.begin(), render.begin(), render.end());
        return args;
    };
    expectCleanFailure(with({"--preset", (workDir / "absent.zem").string()}), "cannot read");
    expectCleanFailure(with({"--preset", empty}), "is empty");
    expectCleanFailure(with({"--preset", foreignPreset}),
                       "is not for this plug-in (identifier 0x41424344");
    expectCleanFailure(with({"--preset", bankAsPreset}),
                       "is not a preset (record kind 0x37, expected 0x21)");
    expectCleanFailure(with({"--bank", presetAsBank}),
                       "is not a bank (record kind 0x21, expected 0x37)");
    expectCleanFailure(with({"--bank", presetAsBank, "--reversed"}), "is not a bank");
}

TEST_F(ProgramTool, BadChunksAreRefusedCleanly) {
    Bytes good = stateAfter({}).bytes();
    const std::string wrongSize = file("short.bin", Bytes(good.begin(), good.end() - 1));
    Bytes fiveProgramsBytes = good;
    fiveProgramsBytes[8] = 5; // the plug-in itself refuses a count other than six
    const std::string fivePrograms = file("five.bin", fiveProgramsBytes);
    Bytes otherTag = good;
    otherTag[0] = 2;
    const std::string unknownFormat = file("tag.bin", otherTag);
    Bytes otherPlugin = good;
    otherPlugin[4] ^= 0xFF;
    const std::string foreign = file("other.bin", otherPlugin);
    const std::vector<std::string> render = {"-o", out("x.wav"), "--save-chunk", out("s.bin")};
    const auto with = [&](const std::string& chunk) {
        std::vector<std::string> args = render;
        args.insert(args.end(), {"--chunk", chunk});
        return args;
    };
    expectCleanFailure(with(wrongSize), "is 367 bytes; a chunk has 368");
    expectCleanFailure(with(fivePrograms), "the plug-in refused " + fivePrograms);
    expectCleanFailure(with(unknownFormat), "has an unknown chunk format");
    expectCleanFailure(with(foreign), "is not for this plug-in");
}

TEST_F(ProgramTool, BadProgramChoicesAreRefusedCleanly) {
    const std::vector<std::string> render = {"-o", out("x.wav"), "--save-chunk", out("s.bin")};
    const auto with = [&](const std::string& program) {
        std::vector<std::string> args = render;
        args.insert(args.end(), {"--program", program});
        return args;
    };
    expectCleanFailure(with("Sparkle"), "unknown program 'Sparkle' (valid: 0 'Default', 1 "
                                        "'Bright', 2 'High', 3 'Low & Dark', 4 'Almost "
                                        "reverb', 5 'Detuned')");
    expectCleanFailure(with("6"), "--program 6 is out of range (0 to 5)");
    expectCleanFailure(with("-1"), "--program -1 is out of range (0 to 5)");
    std::vector<std::string> reversedAlone = render;
    reversedAlone.push_back("--reversed");
    expectCleanFailure(reversedAlone, "--reversed needs --preset or --bank");
}

} // namespace
