// The library's only exported symbols. Older hosts look up "main", newer ones VSTPluginMain;
// "main" is an assembler alias so that no C++ function carries that name.
#include "shell/PluginEntry.h"

#define LYRE_EXPORT __attribute__((visibility("default")))

extern "C" {
LYRE_EXPORT AEffect* VSTPluginMain(audioMasterCallback audioMaster) {
    return pluginEntry(audioMaster);
}
LYRE_EXPORT AEffect* pluginMainAlias(audioMasterCallback audioMaster) __asm__("main");
AEffect* pluginMainAlias(audioMasterCallback audioMaster) {
    return pluginEntry(audioMaster);
}
}
