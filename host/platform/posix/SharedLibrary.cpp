#include "host/SharedLibrary.h"

#include <dlfcn.h>

namespace lyrehost {

std::string SharedLibrary::open(const std::string& path) {
    close();
    handle_ = dlopen(path.c_str(), RTLD_LOCAL | RTLD_NOW);
    if (handle_) return {};
    const char* message = dlerror();
    return message ? message : "cannot load " + path;
}

void SharedLibrary::close() {
    if (handle_) dlclose(handle_);
    handle_ = nullptr;
}

void* SharedLibrary::symbol(const char* name) const {
    return handle_ ? dlsym(handle_, name) : nullptr;
}

} // namespace lyrehost
