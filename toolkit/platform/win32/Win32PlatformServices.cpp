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

// GetDpiForWindow exists from Windows 10 1607 on; it answers per monitor, and 96 for a host
// that Windows scales itself. Older systems say nothing.
double platformScreenScale(void* window) {
    if (!window) return 0;
    using DpiForWindow = UINT(WINAPI*)(HWND);
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    if (!user32) return 0;
    const auto dpiForWindow = reinterpret_cast<DpiForWindow>(
        reinterpret_cast<void (*)()>(GetProcAddress(user32, "GetDpiForWindow")));
    if (!dpiForWindow) return 0;
    const UINT dpi = dpiForWindow(static_cast<HWND>(window));
    return dpi > 0 ? dpi / 96.0 : 0;
}
