// Owns one dlopen handle.
#pragma once

#include <string>

namespace lyrehost {

class SharedLibrary {
  public:
    SharedLibrary() = default;
    ~SharedLibrary() { close(); }
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    // RTLD_LOCAL | RTLD_NOW, so missing symbols show up here rather than mid-render.
    // Returns an empty string on success, else the loader's message.
    std::string open(const std::string& path);
    void close();
    void* symbol(const char* name) const;
    bool isOpen() const { return handle_ != nullptr; }

  private:
    void* handle_ = nullptr;
};

} // namespace lyrehost
