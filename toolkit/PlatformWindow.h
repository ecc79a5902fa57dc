// The frame's child window inside the host's window: events into the frame, redraws of what
// the frame invalidated, and window timers. One implementation per platform (pugl on X11,
// an own child window on Windows); the frame sees only this.
#pragma once

#include <cstdint>
#include <memory>

#include "toolkit/DoubleClickDetector.h"

class CFrame;

class PlatformWindow {
  public:
    PlatformWindow(CFrame& frame, void* parentWindow);
    ~PlatformWindow();
    PlatformWindow(const PlatformWindow&) = delete;
    PlatformWindow& operator=(const PlatformWindow&) = delete;

    // False when the window could not be made; the frame then runs headless.
    bool isValid() const;
    // The child window: an X11 window id or an HWND.
    void* nativeWindow() const;
    // One non-blocking pass over the window's pending events where the platform needs one.
    void update();
    // The descriptor a host's run loop watches so that update() runs when events arrive, or
    // -1 where the platform delivers them itself.
    int eventDescriptor() const;
    // The frame has invalidated something: have it drawn soon.
    void requestRedraw();
    // Timers call the frame's onWindowTimer(id) on the window's thread.
    bool startTimer(uintptr_t id, uint32_t intervalMs);
    void stopTimer(uintptr_t id);
    void grabFocus();
    // The frame's scale changed: the same window takes the new size and is drawn again. Hosts
    // hold on to our window (an X embedding socket destroys itself with the window it holds),
    // so a new size never means a new window.
    void setScale(double scale);

    struct Native;

  private:
    std::unique_ptr<Native> native;
};
