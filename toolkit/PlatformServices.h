// Window-system services the editor glue uses around the toolkit: the clock and sleep of its
// idle pass, the paint message it dispatches, and per-thread set-up for the editor's life.
#pragma once

#include <cstdint>

// Milliseconds of a 32-bit counter that wraps.
uint32_t platformTickCount();
void platformSleep(uint32_t milliseconds);
// Removes one paint message pending for the calling thread and dispatches it; false when
// there was none. X11 windows draw while the frame pumps its events, so there it does nothing.
bool dispatchPendingPaint();
// Set-up the platform's dialogs need on the editor's thread (OLE on Windows). Answers whether
// it succeeded and so must be balanced by endEditorThread.
bool beginEditorThread();
void endEditorThread();
// Device pixels per logical pixel of the screen that shows `window` (null: the default
// screen), as the desktop sets it (X resources or GDK_SCALE; the window's DPI on Windows);
// 0 when the platform says nothing.
double platformScreenScale(void* window);
