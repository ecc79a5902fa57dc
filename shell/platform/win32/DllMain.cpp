// Records the module handle on every load and unload notification; the editor loads its
// bitmaps from this module's resources through it.
#include <windows.h>

#include "shell/ModuleInstance.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH || reason == DLL_PROCESS_DETACH) setModuleInstance(instance);
    return TRUE;
}
