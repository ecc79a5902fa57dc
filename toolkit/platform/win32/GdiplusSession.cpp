#include "toolkit/platform/win32/GdiplusSession.h"

#include <windows.h>

#include "toolkit/platform/win32/GdiplusHeaders.h"

#include <mutex>

namespace {

std::mutex sessionMutex;
int sessionCount = 0;
ULONG_PTR sessionToken = 0;

} // namespace

GdiplusSession::GdiplusSession() {
    const std::lock_guard<std::mutex> lock(sessionMutex);
    if (sessionCount == 0) {
        Gdiplus::GdiplusStartupInput input;
        if (Gdiplus::GdiplusStartup(&sessionToken, &input, nullptr) != Gdiplus::Ok) return;
    }
    ++sessionCount;
    running = true;
}

GdiplusSession::~GdiplusSession() {
    if (!running) return;
    const std::lock_guard<std::mutex> lock(sessionMutex);
    if (--sessionCount == 0) Gdiplus::GdiplusShutdown(sessionToken);
}
