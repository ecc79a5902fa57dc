// The entry a Windows host calls, exported as VSTPluginMain and, through the .def file, as main.
#include "shell/PluginEntry.h"

extern "C" AEffect* VSTCALLBACK VSTPluginMain(audioMasterCallback audioMaster) {
    // Exceptions cannot unwind through a host's frames: nothing may leave this function.
    try {
        return pluginEntry(audioMaster);
    } catch (...) {
        return nullptr;
    }
}
