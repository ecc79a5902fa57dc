#include "host/render/ProgramSetup.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <optional>

#include "host/render/RenderError.h"

namespace lyrerender {
namespace {

std::string folded(const std::string& text) {
    std::string out;
    for (const unsigned char c : text)
        out += static_cast<char>(std::tolower(c));
    return out;
}

std::optional<long> wholeNumber(const std::string& text) {
    if (text.empty()) return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0') return std::nullopt;
    return value;
}

std::string choices(const std::vector<std::string>& names) {
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i)
        text += (i ? ", " : "") + std::to_string(i) + " '" + names[i] + "'";
    return text;
}

std::uint32_t uniqueId(lyrehost::Plugin& plugin) {
    return static_cast<std::uint32_t>(plugin.effect()->uniqueID);
}

} // namespace

std::vector<std::string> programNames(lyrehost::Plugin& plugin) {
    std::vector<std::string> names;
    for (int i = 0; i < kStoredPrograms; ++i) {
        char name[256] = {}; // the plug-in writes 25 bytes; room for a careless build
        if (plugin.dispatch(effGetProgramNameIndexed, i, 0, name) == 0)
            throw RenderError("the plug-in reports no name for program " + std::to_string(i));
        names.emplace_back(name);
    }
    return names;
}

int findProgram(const std::vector<std::string>& names, const std::string& wanted) {
    const auto count = static_cast<long>(names.size());
    if (const std::optional<long> index = wholeNumber(wanted)) {
        if (*index < 0 || *index >= count)
            throw RenderError("--program " + wanted + " is out of range (0 to " +
                              std::to_string(count - 1) + ")");
        return static_cast<int>(*index);
    }
    for (long i = 0; i < count; ++i)
        if (folded(names[i]) == folded(wanted)) return static_cast<int>(i);
    throw RenderError("unknown program '" + wanted + "' (valid: " + choices(names) + ")");
}

Chunk currentChunk(lyrehost::Plugin& plugin) {
    void* data = nullptr;
    const VstIntPtr size = plugin.dispatch(effGetChunk, 0, 0, &data);
    if (size <= 0 || data == nullptr) throw RenderError("the plug-in gives no chunk");
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    return Chunk(Bytes(bytes, bytes + size));
}

void loadChunk(lyrehost::Plugin& plugin, Bytes bytes, const std::string& source) {
    const auto size = static_cast<VstIntPtr>(bytes.size());
    if (plugin.dispatch(effSetChunk, 0, size, bytes.data()) == -1)
        throw RenderError("the plug-in refused " + source);
}

void applyProgramOptions(lyrehost::Plugin& plugin, const RenderOptions& options) {
    const std::uint32_t id = uniqueId(plugin);
    std::optional<Bytes> savedChunk;
    std::optional<StoredBank> bank;
    std::optional<StoredProgram> preset;
    if (!options.chunkFile.empty()) {
        savedChunk = readChunkFile(options.chunkFile);
        checkChunkFormat(*savedChunk, id, options.chunkFile);
    }
    if (!options.bankFile.empty())
        bank = decodeBank(readRecordFile(options.bankFile, kBankBytes), id, options.reversed,
                          options.bankFile);
    if (!options.presetFile.empty())
        preset = decodePreset(readRecordFile(options.presetFile, kPresetBytes), id,
                              options.reversed, options.presetFile);

    if (savedChunk) loadChunk(plugin, std::move(*savedChunk), options.chunkFile);
    if (bank) {
        Chunk chunk = currentChunk(plugin);
        for (int k = 0; k < kStoredPrograms; ++k)
            chunk.setProgram(k, (*bank)[k]);
        chunk.setCurrentProgram(0);
        loadChunk(plugin, chunk.bytes(), "the bank in " + options.bankFile);
    }
    if (preset) {
        Chunk chunk = currentChunk(plugin);
        const std::int32_t current = chunk.currentProgram();
        if (current < 0 || current >= kStoredPrograms)
            throw RenderError("the plug-in's current program " + std::to_string(current) +
                              " is not one of its six");
        chunk.setProgram(current, *preset);
        loadChunk(plugin, chunk.bytes(), "the preset in " + options.presetFile);
    }
    if (!options.program.empty()) {
        const int index = findProgram(programNames(plugin), options.program);
        Chunk chunk = currentChunk(plugin);
        chunk.setCurrentProgram(index);
        loadChunk(plugin, chunk.bytes(), "program " + std::to_string(index));
    }
}

} // namespace lyrerender
