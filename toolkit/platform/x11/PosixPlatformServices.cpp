#include <chrono>
#include <thread>

#include "toolkit/PlatformServices.h"

uint32_t platformTickCount() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

void platformSleep(uint32_t milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

bool dispatchPendingPaint() {
    return false;
}

bool beginEditorThread() {
    return false;
}

void endEditorThread() {}
