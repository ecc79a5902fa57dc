// The per-user store's values as anything a disk can hold: each value file present or
// absent, of any length (truncated, exact, oversized), of either kind. A new instance loads
// its defaults from them, recalls both memories and the remembered paths; nothing may read
// past a buffer, and every path comes back terminated within its buffer.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "FuzzHost.h"
#include "engine/Lyrebloom.h"
#include "presets/CPresetSystemEditor.h"
#include "presets/RecordFiles.h"

namespace {

// Value files in the order the input fills them.
const char* const kFiles[] = {"DefaultBank.bin", "DefaultPreset.bin", "MemoA.bin",
                              "MemoB.bin",       "CurrDir.sz",        "CurrBank.sz",
                              "CurrPreset.sz",   "MemoA.sz",          "DefaultBank.sz"};

void writeFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    FUZZ_CHECK(fd >= 0);
    FUZZ_CHECK(::write(fd, data, size) == static_cast<ssize_t>(size));
    ::close(fd);
}

bool terminated(const char* text) {
    return strnlen(text, recordfiles::kPathBufferSize) < recordfiles::kPathBufferSize;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string key = fuzzConfigHome() + "/Ostrandia/ZEMLyrebloom";
    static const bool made = [&] {
        ::mkdir((fuzzConfigHome() + "/Ostrandia").c_str(), 0700);
        return ::mkdir(key.c_str(), 0700) == 0;
    }();
    FUZZ_CHECK(made);

    // Per file: a presence byte, a little-endian 16-bit length, then that many bytes (as far as
    // the input goes).
    std::size_t at = 0;
    for (const char* file : kFiles) {
        const std::string path = key + "/" + file;
        ::unlink(path.c_str());
        if (at + 3 > size) continue;
        const bool present = data[at] & 1;
        std::size_t length = data[at + 1] | (std::size_t(data[at + 2]) << 8);
        at += 3;
        length = std::min(length, size - at);
        if (present) writeFile(path, data + at, length);
        at += length;
    }

    Lyrebloom fx(fuzzHost);
    auto* editor = dynamic_cast<CPresetSystemEditor*>(fx.getEditor());
    FUZZ_CHECK(editor != nullptr);
    FUZZ_CHECK(fx.getCurrentProgramIndex() == 0);
    editor->recallMemoA();
    editor->recallMemoB();
    editor->loadRememberedPaths();
    FUZZ_CHECK(terminated(editor->rememberedDirectory()));
    FUZZ_CHECK(terminated(editor->rememberedBankFileName()));
    FUZZ_CHECK(terminated(editor->rememberedPresetFileName()));
    char name[kProgramNameBuffer + 8];
    for (VstInt32 k = 0; k < 6; ++k) {
        std::memset(name, 'x', sizeof name);
        FUZZ_CHECK(fx.getProgramNameIndexed(0, k, name));
        FUZZ_CHECK(strnlen(name, sizeof name) <= kProgramNameBytes);
    }
    // What was read is stored back whole: the next instance reads the same.
    editor->storeRememberedPaths();
    std::string directory = editor->rememberedDirectory();
    Lyrebloom next(fuzzHost);
    auto* nextEditor = dynamic_cast<CPresetSystemEditor*>(next.getEditor());
    FUZZ_CHECK(directory == nextEditor->rememberedDirectory());
    return 0;
}
