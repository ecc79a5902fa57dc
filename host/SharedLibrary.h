// Owns one loaded plug-in module: a dlopen handle on POSIX systems, an HMODULE on Windows.
// Each platform's loader lives in host/platform/<platform>/SharedLibrary.cpp.
#pragma once

#include <string>

namespace lyrehost {

class SharedLibrary {
  public:
    SharedLibrary() = default;
    ~SharedLibrary() { close(); }
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    // `path` is UTF-8. POSIX: RTLD_LOCAL | RTLD_NOW, so missing symbols show up here rather
    // than mid-render. Windows: LoadLibraryW on the UTF-16 form of the path, as a host does.
    // Returns an empty string on success, else the loader's message.
    std::string open(const std::string& path);
    void close();
    void* symbol(const char* name) const;
    bool isOpen() const { return handle_ != nullptr; }
    // The loader's own handle (what a VST 3 module's ModuleEntry is given).
    void* nativeHandle() const { return handle_; }

  private:
    void* handle_ = nullptr;
};

} // namespace lyrehost
