// A real X server for GUI tests: our own connection, a top-level parent window like a
// host's, an error counter, XTest pointer input and pixel read-back.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "toolkit/CGeometry.h"

// Xlib's own names, without its macros (they clash with GoogleTest's).
typedef struct _XDisplay Display;
using Window = unsigned long;

class XDisplayFixture : public ::testing::Test {
  public:
    static int errorCount;

  protected:
    void SetUp() override;
    void TearDown() override;

    // Maps a top-level window of this size at a fixed place on the screen.
    Window createParentWindow(int width, int height);
    // Calls `pump` every 5 ms for `milliseconds`, syncing with the server in between.
    void pumpFor(int milliseconds, const std::function<void()>& pump);
    void click(Window window, int x, int y, unsigned button = 1);
    void moveTo(Window window, int x, int y);
    // Presses and releases the key that produces this X keysym.
    void typeKey(unsigned long keysym);
    // Reads the window's pixels (children included) as 0xRRGGBB.
    std::vector<uint32_t> capture(Window window, int width, int height);
    int childCount(Window window);
    void sync();
    bool writePng(const std::vector<uint32_t>& pixels, int width, int height,
                  const std::string& path);

    Display* display = nullptr;
    Window parent = 0;

  private:
    void* previousHandler = nullptr; // an XErrorHandler
};

inline CColor colourOf(uint32_t pixel) {
    return {static_cast<uint8_t>(pixel >> 16), static_cast<uint8_t>(pixel >> 8),
            static_cast<uint8_t>(pixel), 255};
}
