#include "host/render/ProgramFiles.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

#include "host/render/RenderError.h"

namespace lyrerender {
namespace {

constexpr std::size_t kKindOffset = 4;
constexpr std::size_t kRecordPrograms = 5;
constexpr std::size_t kProgramBytes = kNameBytes + 4 * kProgramValues;
constexpr std::uint8_t kPresetKind = 0x21;
constexpr std::uint8_t kBankKind = 0x37;

constexpr std::uint32_t kChunkFormatTag = 0x01000000;
constexpr std::size_t kChunkCurrentOffset = 12;
constexpr std::size_t kChunkPrograms = 32;

std::uint32_t load32(const std::uint8_t* at) {
    std::uint32_t x;
    std::memcpy(&x, at, sizeof x);
    return x;
}

void store32(std::uint8_t* at, std::uint32_t x) {
    std::memcpy(at, &x, sizeof x);
}

std::string hex(std::uint32_t x) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(x));
    return text;
}

std::string hexByte(std::uint8_t x) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", static_cast<unsigned>(x));
    return text;
}

std::string systemError() {
    return std::strerror(errno);
}

// Whether the stored fields are byte-reversed; nothing for another plug-in's data.
std::optional<bool> storedReversed(std::uint32_t stored, std::uint32_t id) {
    if (stored == id) return false;
    if (stored == swapBytes(id)) return true;
    return std::nullopt;
}

std::string foreignIdentifier(const std::string& source, std::uint32_t stored, std::uint32_t id) {
    return source + " is not for this plug-in (identifier " + hex(stored) + ", expected " +
           hex(id) + " in either byte order)";
}

// Whether the values must be swapped to be read natively.
bool valuesSwapped(const Bytes& record, std::uint32_t id, bool reversed, std::uint8_t kind,
                   const std::string& what, const std::string& source) {
    const std::uint32_t stored = load32(record.data());
    const std::optional<bool> reversedOrder = storedReversed(stored, id);
    if (!reversedOrder) throw RenderError(foreignIdentifier(source, stored, id));
    if (record[kKindOffset] != kind)
        throw RenderError(source + " is not a " + what + " (record kind " +
                          hexByte(record[kKindOffset]) + ", expected " + hexByte(kind) + ")");
    return *reversedOrder != reversed;
}

StoredProgram readProgram(const std::uint8_t* at, bool swapped) {
    StoredProgram program;
    std::memcpy(program.name.data(), at, kNameBytes);
    for (int i = 0; i < kProgramValues; ++i) {
        const std::uint32_t bits = load32(at + kNameBytes + 4 * i);
        program.values[i] = std::bit_cast<float>(swapped ? swapBytes(bits) : bits);
    }
    return program;
}

void writeProgram(std::uint8_t* at, const StoredProgram& program) {
    std::memcpy(at, program.name.data(), kNameBytes);
    for (int i = 0; i < kProgramValues; ++i)
        store32(at + kNameBytes + 4 * i, std::bit_cast<std::uint32_t>(program.values[i]));
}

Bytes readWholeFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) throw RenderError("cannot read " + path + ": " + systemError());
    Bytes bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad()) throw RenderError("cannot read " + path + ": " + systemError());
    return bytes;
}

} // namespace

std::uint32_t swapBytes(std::uint32_t x) {
    return (x >> 24) | ((x >> 8) & 0xFF00u) | ((x << 8) & 0xFF0000u) | (x << 24);
}

Bytes readRecordFile(const std::string& path, std::size_t size) {
    Bytes bytes = readWholeFile(path);
    if (bytes.empty()) throw RenderError(path + " is empty");
    bytes.resize(size, 0);
    return bytes;
}

Bytes readChunkFile(const std::string& path) {
    const Bytes bytes = readWholeFile(path);
    if (bytes.size() != kChunkBytes)
        throw RenderError(path + " is " + std::to_string(bytes.size()) + " bytes; a chunk has " +
                          std::to_string(kChunkBytes));
    return bytes;
}

void writeFileAtomically(const std::string& path, const Bytes& bytes) {
    const std::filesystem::path target(path);
    const std::filesystem::path directory = target.has_parent_path() ? target.parent_path() : ".";
    std::string temporary = (directory / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = mkstemp(temporary.data());
    if (fd < 0) throw RenderError("cannot write " + path + ": " + systemError());
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    bool done = ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    std::string why = done ? "" : systemError();
    if (::close(fd) != 0 && done) {
        done = false;
        why = systemError();
    }
    if (done && std::rename(temporary.c_str(), path.c_str()) != 0) {
        done = false;
        why = systemError();
    }
    if (!done) {
        std::remove(temporary.c_str());
        throw RenderError("cannot write " + path + ": " + why);
    }
}

StoredProgram decodePreset(const Bytes& record, std::uint32_t id, bool reversed,
                           const std::string& source) {
    if (record.size() != kPresetBytes) throw RenderError(source + ": not a preset record");
    const bool swapped = valuesSwapped(record, id, reversed, kPresetKind, "preset", source);
    StoredProgram program = readProgram(record.data() + kRecordPrograms, swapped);
    const auto end = std::find(program.name.begin(), program.name.end(), '\0');
    std::fill(end, program.name.end(), '\0');
    return program;
}

StoredBank decodeBank(const Bytes& record, std::uint32_t id, bool reversed,
                      const std::string& source) {
    if (record.size() != kBankBytes) throw RenderError(source + ": not a bank record");
    const bool swapped = valuesSwapped(record, id, reversed, kBankKind, "bank", source);
    StoredBank bank;
    for (int k = 0; k < kStoredPrograms; ++k)
        bank[k] = readProgram(record.data() + kRecordPrograms + kProgramBytes * k, swapped);
    return bank;
}

Bytes encodePreset(const StoredProgram& program, std::uint32_t id) {
    Bytes record(kPresetBytes, 0);
    store32(record.data(), id);
    record[kKindOffset] = kPresetKind;
    writeProgram(record.data() + kRecordPrograms, program);
    return record;
}

Bytes encodeBank(const StoredBank& bank, std::uint32_t id) {
    Bytes record(kBankBytes, 0);
    store32(record.data(), id);
    record[kKindOffset] = kBankKind;
    for (int k = 0; k < kStoredPrograms; ++k)
        writeProgram(record.data() + kRecordPrograms + kProgramBytes * k, bank[k]);
    return record;
}

Chunk::Chunk(Bytes bytes) : bytes_(std::move(bytes)) {
    if (bytes_.size() != kChunkBytes)
        throw RenderError("the plug-in's chunk is " + std::to_string(bytes_.size()) +
                          " bytes, expected " + std::to_string(kChunkBytes));
}

std::int32_t Chunk::currentProgram() const {
    return static_cast<std::int32_t>(load32(bytes_.data() + kChunkCurrentOffset));
}

void Chunk::setCurrentProgram(std::int32_t index) {
    store32(bytes_.data() + kChunkCurrentOffset, static_cast<std::uint32_t>(index));
}

StoredProgram Chunk::program(int k) const {
    return readProgram(bytes_.data() + kChunkPrograms + kProgramBytes * k, false);
}

void Chunk::setProgram(int k, const StoredProgram& program) {
    writeProgram(bytes_.data() + kChunkPrograms + kProgramBytes * k, program);
}

void checkChunkFormat(const Bytes& chunk, std::uint32_t id, const std::string& source) {
    const std::uint32_t stored = load32(chunk.data() + 4);
    const std::optional<bool> reversedOrder = storedReversed(stored, id);
    if (!reversedOrder) throw RenderError(foreignIdentifier(source, stored, id));
    const std::uint32_t tag = load32(chunk.data());
    if ((*reversedOrder ? swapBytes(tag) : tag) != kChunkFormatTag)
        throw RenderError(source + " has an unknown chunk format (tag " + hex(tag) + ")");
}

} // namespace lyrerender
