// The per-user store's values as anything a disk can hold: each value file present or
// absent, of any length (truncated, exact, oversized), of either kind. A new instance loads
// its defaults from them, recalls both memories and the remembered paths; nothing may read
// past a buffer, and every path comes back terminated within its buffer.
#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

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

#ifdef _WIN32
// The registry store: a value per file name, REG_SZ for ".sz" (whatever its bytes) and
// REG_BINARY otherwise, so both kinds reach every value name.
constexpr const wchar_t* kStoreKey = L"SOFTWARE\\Ostrandia\\ZEMLyrebloom";

void clearStore() {
    const LSTATUS status = ::RegDeleteKeyW(HKEY_CURRENT_USER, kStoreKey);
    FUZZ_CHECK(status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND);
}

void storeValue(const std::string& file, const std::uint8_t* data, std::size_t size) {
    const std::string name = file.substr(0, file.find('.'));
    const std::wstring wideName(name.begin(), name.end());
    const DWORD kind = file.ends_with(".sz") ? REG_SZ : REG_BINARY;
    HKEY key = nullptr;
    FUZZ_CHECK(::RegCreateKeyExW(HKEY_CURRENT_USER, kStoreKey, 0, nullptr, 0, KEY_WRITE, nullptr,
                                 &key, nullptr) == ERROR_SUCCESS);
    FUZZ_CHECK(::RegSetValueExW(key, wideName.c_str(), 0, kind, data, static_cast<DWORD>(size)) ==
               ERROR_SUCCESS);
    ::RegCloseKey(key);
}
#else
// The file store: one file per value under $XDG_CONFIG_HOME/Ostrandia/ZEMLyrebloom.
const std::string& storeFolder() {
    static const std::string key = fuzzConfigHome() + "/Ostrandia/ZEMLyrebloom";
    static const bool made = [&] {
        ::mkdir((fuzzConfigHome() + "/Ostrandia").c_str(), 0700);
        return ::mkdir(key.c_str(), 0700) == 0;
    }();
    FUZZ_CHECK(made);
    return key;
}

void clearStore() {
    for (const char* file : kFiles)
        ::unlink((storeFolder() + "/" + file).c_str());
}

void storeValue(const std::string& file, const std::uint8_t* data, std::size_t size) {
    writeFuzzFile(storeFolder() + "/" + file, data, size);
}
#endif

bool terminated(const char* text) {
    return strnlen(text, recordfiles::kPathBufferSize) < recordfiles::kPathBufferSize;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzConfigHome();
    clearStore();

    // Per file: a presence byte, a little-endian 16-bit length, then that many bytes (as far as
    // the input goes).
    std::size_t at = 0;
    for (const char* file : kFiles) {
        if (at + 3 > size) continue;
        const bool present = data[at] & 1;
        std::size_t length = data[at + 1] | (std::size_t(data[at + 2]) << 8);
        at += 3;
        length = std::min(length, size - at);
        if (present) storeValue(file, data + at, length);
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
