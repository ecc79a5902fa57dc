// The frame's child window: its own X connection, events and Cairo drawing through pugl.
#pragma once

#include <cairo.h>

#include <cstdint>

#include "toolkit/CButtonState.h"
#include "toolkit/CGeometry.h"

class CFrame;
struct PuglWorldImpl;
struct PuglViewImpl;

// Builds the toolkit's button state from a press time and position; a second left press
// within 400 ms and 4 pixels of the first is a double click.
class DoubleClickDetector {
  public:
    bool press(double timeSeconds, double x, double y);

  private:
    double lastTime = -1;
    double lastX = 0;
    double lastY = 0;
};

class PlatformWindow {
  public:
    PlatformWindow(CFrame& frame, void* parentWindow);
    ~PlatformWindow();
    PlatformWindow(const PlatformWindow&) = delete;
    PlatformWindow& operator=(const PlatformWindow&) = delete;

    bool isValid() const { return view != nullptr; }
    void* nativeWindow() const;
    void update();
    void requestRedraw() { redrawRequested = true; }
    bool startTimer(uintptr_t id, uint32_t intervalMs);
    void stopTimer(uintptr_t id);
    void grabFocus();

    // Called by the pugl event callback.
    int handleEvent(const void* event);

  private:
    void paint(cairo_t* target);
    bool putImage(cairo_t* target, const CRect& area);

    CFrame& frame;
    cairo_surface_t* buffer = nullptr;
    PuglWorldImpl* world = nullptr;
    PuglViewImpl* view = nullptr;
    bool redrawRequested = false;
    int32_t pressedButtons = 0;
    DoubleClickDetector clicks;
};
