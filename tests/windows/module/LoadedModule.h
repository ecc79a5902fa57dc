// The built DLL loaded the way a Windows host loads it: LoadLibraryW on the full path, then the
// exported entry found by name.
#pragma once

#include <windows.h>

#include <string>

#include "shell/vst2.h"

using PluginMainProc = AEffect*(VSTCALLBACK*)(audioMasterCallback);

inline std::wstring widen(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int n =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
    return wide;
}

inline std::wstring builtModulePath() {
    return widen(LYREBLOOM_MODULE);
}

class LoadedModule {
  public:
    explicit LoadedModule(const std::wstring& path) : handle_(LoadLibraryW(path.c_str())) {}
    ~LoadedModule() {
        if (handle_) FreeLibrary(handle_);
    }
    LoadedModule(const LoadedModule&) = delete;
    LoadedModule& operator=(const LoadedModule&) = delete;

    HMODULE handle() const { return handle_; }
    PluginMainProc entry(const char* name) const {
        return handle_ ? reinterpret_cast<PluginMainProc>(
                             reinterpret_cast<void*>(GetProcAddress(handle_, name)))
                       : nullptr;
    }

  private:
    HMODULE handle_;
};

// A host that answers what the plug-in asks during a session: its version, and "connected"
// for the pin questions (0).
inline VstIntPtr VSTCALLBACK plainHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*,
                                       float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}
