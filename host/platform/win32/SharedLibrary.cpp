#include "host/SharedLibrary.h"

#include <windows.h>

#include <string>

namespace lyrehost {
namespace {

std::wstring widen(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int size = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                         static_cast<int>(utf8.size()), nullptr, 0);
    if (size <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()),
                        wide.data(), size);
    return wide;
}

std::string systemMessage(DWORD error) {
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = length && text ? std::string(text, length) : std::string();
    if (text) LocalFree(text);
    // Some loader messages have an insert for the module ("%1 is not a valid Win32
    // application"); the caller puts the path in front, so the insert names it in words.
    for (std::size_t at = message.find('%'); at != std::string::npos; at = message.find('%', at)) {
        std::size_t end = at + 1;
        while (end < message.size() && message[end] >= '0' && message[end] <= '9')
            ++end;
        if (end == at + 1) {
            ++at;
            continue;
        }
        message.replace(at, end - at, "the module");
    }
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                message.back() == ' ' || message.back() == '.'))
        message.pop_back();
    return message + " (error " + std::to_string(error) + ")";
}

} // namespace

std::string SharedLibrary::open(const std::string& path) {
    close();
    const std::wstring widePath = widen(path);
    if (widePath.empty()) return path + ": not a valid UTF-8 path";
    // No error boxes for a missing dependency: a test or a batch render must not hang on one.
    const UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE module = LoadLibraryW(widePath.c_str());
    const DWORD error = module ? 0 : GetLastError();
    SetErrorMode(previousMode);
    if (!module) return path + ": " + systemMessage(error);
    handle_ = module;
    return {};
}

void SharedLibrary::close() {
    if (handle_) FreeLibrary(static_cast<HMODULE>(handle_));
    handle_ = nullptr;
}

void* SharedLibrary::symbol(const char* name) const {
    if (!handle_) return nullptr;
    // A function address through void*, as dlsym gives it on the other platform.
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}

} // namespace lyrehost
