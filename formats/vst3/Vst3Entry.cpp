// The module's exported names: GetPluginFactory everywhere, ModuleEntry and ModuleExit on Linux
// (hosts refuse a module without them).
#include "formats/vst3/Vst3Factory.h"

#if defined(_WIN32)
#define LYRE_VST3_EXPORT __declspec(dllexport)
#else
#define LYRE_VST3_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {

LYRE_VST3_EXPORT v3_plugin_factory** V3_API GetPluginFactory() {
    return vst3::pluginFactory();
}

#if !defined(_WIN32)
LYRE_VST3_EXPORT bool ModuleEntry(void* /*sharedLibraryHandle*/) {
    return true;
}
LYRE_VST3_EXPORT bool ModuleExit() {
    return true;
}
#endif
}
