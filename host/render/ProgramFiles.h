// The plug-in's stored forms as the render tool sees them: the 368-byte host chunk, the 61-byte
// preset record (.zem) and the 341-byte bank record (.zeb). The tool changes programs only by
// editing a chunk and handing it back, so it needs no code of the plug-in itself.
//
//   chunk   0 format tag 0x01000000, 4 identifier, 8 program count 6, 12 current program,
//           16 reserved, 32 + 56k program k (name 24 bytes, then 8 floats)
//   preset  0 identifier, 4 kind 0x21, 5 name 24 bytes, 29 eight floats
//   bank    0 identifier, 4 kind 0x37, 5 + 56k name of program k, 29 + 56k its eight floats
//
// Every field is in the writer's byte order; the identifier tells which one. Names never swap.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace lyrerender {

using Bytes = std::vector<std::uint8_t>;

inline constexpr std::size_t kChunkBytes = 368;
inline constexpr std::size_t kPresetBytes = 61;
inline constexpr std::size_t kBankBytes = 341;
inline constexpr int kStoredPrograms = 6;
inline constexpr std::size_t kNameBytes = 24;
inline constexpr int kProgramValues = 8;

struct StoredProgram {
    std::array<char, kNameBytes> name{}; // NUL-padded; a full 24 characters carry no NUL
    std::array<float, kProgramValues> values{};
};

using StoredBank = std::array<StoredProgram, kStoredPrograms>;

std::uint32_t swapBytes(std::uint32_t x);

// The first `size` bytes of the file, zero-padded when it is shorter, as the plug-in reads
// its own files. Throws RenderError for a file that cannot be read or is empty.
Bytes readRecordFile(const std::string& path, std::size_t size);
// The whole file, which must be exactly kChunkBytes long.
Bytes readChunkFile(const std::string& path);
// Written beside the destination and renamed into place, so a failure leaves no partial file.
void writeFileAtomically(const std::string& path, const Bytes& bytes);

// `reversed` asks for the values in the opposite order to the one the identifier announces.
// Throw RenderError naming `source` for a foreign identifier or the wrong record kind.
// A preset's name ends at its first NUL and is zero-filled after it, as the plug-in stores it.
StoredProgram decodePreset(const Bytes& record, std::uint32_t id, bool reversed,
                           const std::string& source);
StoredBank decodeBank(const Bytes& record, std::uint32_t id, bool reversed,
                      const std::string& source);
Bytes encodePreset(const StoredProgram& program, std::uint32_t id);
Bytes encodeBank(const StoredBank& bank, std::uint32_t id);

// A chunk in the plug-in's own (native) byte order, as effGetChunk hands it out.
class Chunk {
  public:
    // Throws RenderError unless `bytes` is kChunkBytes long.
    explicit Chunk(Bytes bytes);

    const Bytes& bytes() const { return bytes_; }
    std::int32_t currentProgram() const;
    void setCurrentProgram(std::int32_t index);
    StoredProgram program(int k) const;
    void setProgram(int k, const StoredProgram& program);

  private:
    Bytes bytes_;
};

// What the plug-in would silently ignore in a chunk from a file: a foreign identifier or an
// unknown format tag (in either byte order). Throws RenderError naming `source`.
void checkChunkFormat(const Bytes& chunk, std::uint32_t id, const std::string& source);

} // namespace lyrerender
