// Shared helpers for toolkit and editor tests: recording listeners and editors, in-memory
// PNG bitmaps and a Cairo canvas whose pixels can be read back.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "toolkit/CBitmap.h"
#include "toolkit/CControl.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/VSTGUIEditorInterface.h"
#include "toolkit/platform/x11/CairoDrawContext.h"

struct RecordedChange {
    int32_t tag;
    float value;
};

class RecordingListener : public CControlListener {
  public:
    void valueChanged(CControl* control) override {
        changes.push_back({control->getTag(), control->getValue()});
        if (onChange) onChange(control);
    }
    std::vector<RecordedChange> changes;
    std::function<void(CControl*)> onChange;
};

class RecordingEditor : public VSTGUIEditorInterface {
  public:
    void beginEdit(int32_t tag) override { gestures.push_back({true, tag}); }
    void endEdit(int32_t tag) override { gestures.push_back({false, tag}); }
    int32_t getKnobMode() const override { return knobMode; }
    int32_t knobMode = kLinearMode;
    std::vector<std::pair<bool, int32_t>> gestures; // (begin?, tag)
};

// A picture of `width` x `height` whose pixel colours come from `colour(x, y)`, registered
// as resource `id` from PNG bytes made in memory.
void registerTestBitmap(int32_t id, int width, int height,
                        const std::function<CColor(int x, int y)>& colour);

// Stacked images of one colour each, `imageHeight` pixels high.
void registerStripBitmap(int32_t id, int width, int imageHeight, const std::vector<CColor>& images);

class Canvas {
  public:
    Canvas(int width, int height, CColor fill = {128, 128, 128, 255});
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    CairoDrawContext& context() { return *drawContext; }
    CColor pixel(int x, int y);
    // Counts pixels in [left, right) x [top, bottom) that satisfy the predicate.
    int count(int left, int top, int right, int bottom, const std::function<bool(CColor)>& test);

  private:
    cairo_surface_t* surface;
    cairo_t* cairo;
    CairoDrawContext* drawContext;
};

inline bool near(CColor a, CColor b, int tolerance = 8) {
    auto close = [tolerance](int x, int y) { return x - y <= tolerance && y - x <= tolerance; };
    return close(a.red, b.red) && close(a.green, b.green) && close(a.blue, b.blue);
}
inline bool isDark(CColor c) {
    return c.red < 90 && c.green < 90 && c.blue < 90;
}

inline constexpr CColor kRed{255, 0, 0, 255};
inline constexpr CColor kGreen{0, 255, 0, 255};
inline constexpr CColor kBlue{0, 0, 255, 255};
inline constexpr CColor kYellow{255, 255, 0, 255};
inline constexpr CColor kCyan{0, 255, 255, 255};

// Frees Cairo's and fontconfig's process-wide caches when the test program ends, so that
// LeakSanitizer reports only what the code under test lost.
bool releaseLibraryCachesAtExit();
