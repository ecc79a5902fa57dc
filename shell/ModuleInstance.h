#pragma once

// The handle of the loaded plug-in module (its HINSTANCE on Windows, recorded by DllMain), which
// the editor needs to find its bitmap resources. Null where the platform has no such handle.
void* moduleInstance();
void setModuleInstance(void* instance);
