#include <windows.h>

#include <ole2.h>

#include "toolkit/PlatformServices.h"

uint32_t platformTickCount() {
    return GetTickCount();
}

void platformSleep(uint32_t milliseconds) {
    Sleep(milliseconds);
}

bool dispatchPendingPaint() {
    MSG message;
    if (!PeekMessageW(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) return false;
    DispatchMessageW(&message);
    return true;
}

// S_FALSE (already initialised on this thread) counts too and must be balanced as well.
bool beginEditorThread() {
    return SUCCEEDED(OleInitialize(nullptr));
}

void endEditorThread() {
    OleUninitialize();
}
