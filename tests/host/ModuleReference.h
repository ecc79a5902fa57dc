// A second reference to a module the host library loads, so the tests can read the probe's
// counters: dlopen/dlsym on POSIX systems, LoadLibraryA/GetProcAddress on Windows.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

class ModuleReference {
  public:
#ifdef _WIN32
    explicit ModuleReference(const char* path) : handle(LoadLibraryA(path)) {}
    ~ModuleReference() {
        if (handle) FreeLibrary(static_cast<HMODULE>(handle));
    }
    void* symbol(const char* name) const {
        return handle ? reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name))
                      : nullptr;
    }
#else
    explicit ModuleReference(const char* path) : handle(dlopen(path, RTLD_NOW | RTLD_LOCAL)) {}
    ~ModuleReference() {
        if (handle) dlclose(handle);
    }
    void* symbol(const char* name) const {
        return handle ? dlsym(handle, name) : nullptr;
    }
#endif
    ModuleReference(const ModuleReference&) = delete;
    ModuleReference& operator=(const ModuleReference&) = delete;

    void* handle;
};
