// The stored forms as the render tool reads and edits them, and its program options; no
// plug-in needed.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <tuple>

#include "host/render/ProgramFiles.h"
#include "host/render/RenderError.h"
#include "host/render/RenderOptions.h"

namespace {

using namespace lyrerender;
namespace fs = std::filesystem;

constexpr std::uint32_t kId = 0x5A6D4C79;

// Values whose byte-reversed forms are also plain numbers between 0 and 1.
constexpr std::uint32_t kBits[kProgramValues] = {0x3E11223D, 0x3E33443D, 0x3E55663D, 0x3E77083D,
                                                 0x3E19283D, 0x3E3A4B3D, 0x3E5C6D3D, 0x3E7E0F3D};

StoredProgram sample(const char* name) {
    StoredProgram program;
    std::memcpy(program.name.data(), name, std::min(std::strlen(name), program.name.size()));
    for (int i = 0; i < kProgramValues; ++i)
        program.values[i] = std::bit_cast<float>(kBits[i]);
    return program;
}

// The same record as a machine of the other byte order writes it.
Bytes byteReversed(Bytes record, std::size_t firstValue, int programs) {
    std::reverse(record.begin(), record.begin() + 4);
    for (int k = 0; k < programs; ++k)
        for (int i = 0; i < kProgramValues; ++i) {
            const auto at = record.begin() + static_cast<long>(firstValue + 56 * k + 4 * i);
            std::reverse(at, at + 4);
        }
    return record;
}

std::uint32_t bitsOf(float value) {
    return std::bit_cast<std::uint32_t>(value);
}

std::string errorOf(const auto& action) {
    try {
        action();
    } catch (const RenderError& error) {
        return error.what();
    }
    return "";
}

TEST(ProgramRecords, PresetByteOrderFollowsTheIdentifierAndTheReversedRequest) {
    const Bytes native = encodePreset(sample("Glass"), kId);
    ASSERT_EQ(native.size(), kPresetBytes);
    const Bytes foreignOrder = byteReversed(native, 29, 1);
    for (const auto& [record, reversed, swapped] :
         {std::tuple{native, false, false}, std::tuple{native, true, true},
          std::tuple{foreignOrder, false, false}, std::tuple{foreignOrder, true, true}}) {
        const StoredProgram program = decodePreset(record, kId, reversed, "p.zem");
        EXPECT_STREQ(program.name.data(), "Glass");
        for (int i = 0; i < kProgramValues; ++i)
            EXPECT_EQ(bitsOf(program.values[i]), swapped ? swapBytes(kBits[i]) : kBits[i])
                << "value " << i << (reversed ? " reversed" : "");
    }
}

TEST(ProgramRecords, BankKeepsEveryProgramAndItsOrder) {
    StoredBank bank;
    for (int k = 0; k < kStoredPrograms; ++k) {
        bank[k] = sample(("Program " + std::to_string(k)).c_str());
        bank[k].values[2] = 0.1f * static_cast<float>(k);
    }
    const Bytes native = encodeBank(bank, kId);
    ASSERT_EQ(native.size(), kBankBytes);
    const StoredBank fromForeign = decodeBank(byteReversed(native, 29, 6), kId, false, "b.zeb");
    const StoredBank swapped = decodeBank(native, kId, true, "b.zeb");
    for (int k = 0; k < kStoredPrograms; ++k) {
        EXPECT_EQ(fromForeign[k].name, bank[k].name);
        EXPECT_EQ(fromForeign[k].values, bank[k].values);
        EXPECT_EQ(swapped[k].name, bank[k].name); // names never swap
        EXPECT_EQ(bitsOf(swapped[k].values[2]), swapBytes(bitsOf(bank[k].values[2])));
    }
}

TEST(ProgramRecords, PresetNameEndsAtItsFirstNulButAFullNameStays) {
    StoredProgram program = sample("Short");
    std::memcpy(program.name.data() + 10, "junk", 4);
    EXPECT_EQ(decodePreset(encodePreset(program, kId), kId, false, "p").name, sample("Short").name);
    const std::string full = "abcdefghijklmnopqrstuvwx"; // 24 characters, no terminator
    EXPECT_EQ(
        std::string(
            decodePreset(encodePreset(sample(full.c_str()), kId), kId, false, "p").name.data(),
            kNameBytes),
        full);
}

class RecordFiles : public testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::path(testing::TempDir()) / "lyre-records-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir = pattern;
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string file(const std::string& name, const Bytes& bytes) const {
        const fs::path path = dir / name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return path.string();
    }

    fs::path dir;
};

TEST_F(RecordFiles, ShortFilesArePaddedWithZerosAndLongOnesCut) {
    Bytes record = encodePreset(sample("Cut"), kId);
    const Bytes head(record.begin(), record.begin() + 29); // identifier, kind and name
    const StoredProgram shortOne =
        decodePreset(readRecordFile(file("short.zem", head), kPresetBytes), kId, false, "s");
    EXPECT_STREQ(shortOne.name.data(), "Cut");
    EXPECT_EQ(shortOne.values, (std::array<float, kProgramValues>{}));

    record.insert(record.end(), {0xAA, 0xBB, 0xCC});
    EXPECT_EQ(readRecordFile(file("long.zem", record), kPresetBytes),
              Bytes(record.begin(), record.begin() + static_cast<long>(kPresetBytes)));
}

TEST_F(RecordFiles, MissingEmptyAndWronglySizedFilesAreErrors) {
    EXPECT_NE(errorOf([&] {
                  readRecordFile((dir / "absent.zem").string(), kPresetBytes);
              }).find("cannot read"),
              std::string::npos);
    EXPECT_NE(errorOf([&] { readRecordFile(file("empty.zem", {}), kPresetBytes); }).find("empty"),
              std::string::npos);
    for (const std::size_t size : {kChunkBytes - 1, kChunkBytes + 1})
        EXPECT_NE(
            errorOf([&] { readChunkFile(file("c.bin", Bytes(size, 0))); }).find("a chunk has 368"),
            std::string::npos)
            << size;
}

TEST_F(RecordFiles, AtomicWriteReplacesTheFileAndLeavesNoTemporary) {
    const std::string path = file("state.bin", Bytes(5, 1));
    writeFileAtomically(path, Bytes(kChunkBytes, 7));
    EXPECT_EQ(readChunkFile(path), Bytes(kChunkBytes, 7));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
    EXPECT_NE(errorOf([&] {
                  writeFileAtomically((dir / "no" / "x.bin").string(), Bytes(1));
              }).find("cannot write"),
              std::string::npos);
}

TEST(ChunkEdits, CurrentProgramAndProgramRecordsLandAtTheirOffsets) {
    Chunk chunk(Bytes(kChunkBytes, 0));
    chunk.setCurrentProgram(4);
    chunk.setProgram(5, sample("Last"));
    EXPECT_EQ(chunk.currentProgram(), 4);
    EXPECT_EQ(chunk.bytes()[12], 4);
    EXPECT_EQ(std::memcmp(chunk.bytes().data() + 32 + 56 * 5, "Last", 5), 0);
    EXPECT_EQ(chunk.program(5).values, sample("Last").values);
    EXPECT_EQ(std::memcmp(chunk.bytes().data() + kChunkBytes - 4, &kBits[7], 4), 0);
    EXPECT_THROW(Chunk(Bytes(kChunkBytes - 1)), RenderError);
}

TEST(ProgramOptions, ParsedWithTheirRules) {
    const RenderOptions options =
        parseOptions({"-o", "x.wav", "--chunk", "c.bin", "--bank=b.zeb", "--preset", "p.zem",
                      "--reversed", "--program", "Bright", "--save-chunk", "s.bin"});
    EXPECT_EQ(options.chunkFile, "c.bin");
    EXPECT_EQ(options.bankFile, "b.zeb");
    EXPECT_EQ(options.presetFile, "p.zem");
    EXPECT_TRUE(options.reversed);
    EXPECT_EQ(options.program, "Bright");
    EXPECT_EQ(options.saveChunkFile, "s.bin");

    EXPECT_TRUE(parseOptions({"--list-programs"}).listPrograms); // no OUTPUT needed
    EXPECT_EQ(parseOptions({"--save-chunk", "s.bin"}).output, "");
    EXPECT_EQ(errorOf([] {
                  parseOptions({"-o", "x.wav", "--reversed"});
              }),
              "--reversed needs --preset or --bank");
    EXPECT_EQ(errorOf([] {
                  parseOptions({"in.wav", "--save-chunk", "s.bin"});
              }),
              "missing -o OUTPUT (see --help)");
    EXPECT_EQ(errorOf([] {
                  parseOptions({"-o", "x.wav", "--program="});
              }),
              "--program needs an index or a name");
}

} // namespace
