#include <X11/Xlib.h>

#include <chrono>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>
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

namespace {

// GDK_SCALE is the desktop's explicit whole-number factor; otherwise the font resolution
// that desktops publish as the X resource Xft.dpi, at 96 dots per inch for 100 %.
double desktopScale() {
    if (const char* gdkScale = std::getenv("GDK_SCALE")) {
        const double factor = std::atof(gdkScale);
        if (factor > 0) return factor;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) return 0;
    double dpi = 0;
    if (const char* resources = XResourceManagerString(display)) {
        std::istringstream lines(resources);
        std::string line;
        while (std::getline(lines, line)) {
            constexpr std::string_view key = "Xft.dpi:";
            if (line.compare(0, key.size(), key) == 0) dpi = std::atof(line.c_str() + key.size());
        }
    }
    XCloseDisplay(display);
    return dpi > 0 ? dpi / 96.0 : 0;
}

} // namespace

// Without a window (an instance being made, perhaps one of thousands in a scan) the answer of
// the first such question serves; an editor being opened asks the desktop afresh.
double platformScreenScale(void* window) {
    if (window) return desktopScale();
    static const double atStart = desktopScale();
    return atStart;
}
