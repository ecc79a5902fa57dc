#pragma once
// Messages pumped and pointer input sent the way the editor tests under wine need them.
#include <windows.h>

#include "tests/windows/TestTime.h"

// Dispatches this thread's messages for about `milliseconds` (longer under emulation).
inline void pump(int milliseconds) {
    const DWORD end = GetTickCount() + static_cast<DWORD>(milliseconds * testTimeFactor());
    do {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(2);
    } while (static_cast<LONG>(end - GetTickCount()) > 0);
}

// Real input, one event at a time: wine merges a burst into one move.
inline void send(DWORD flags, int x = -1, int y = -1) {
    if (x >= 0) SetCursorPos(x, y);
    pump(15);
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    if (flags) SendInput(1, &input, sizeof input);
    pump(15);
}
