// The built plug-in's editor open in a real X server, driven by XTest input and effEditIdle.
// The controls are read through the effect object the module hands out in AEffect::object;
// only inline accessors and virtual calls are used on it, so everything runs in the module.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "XDisplayFixture.h"
#include "editor/ADEditor.h"
#include "host/Plugin.h"

class CKnob;
class CParamDisplay;

namespace layout {

constexpr int kWidth = 320;
constexpr int kHeight = 257;

// One knob with its display, in the editor's slot order.
struct KnobPlace {
    std::int32_t tag;
    CRect knob;
    CRect display;
    float defaultValue;
};
extern const KnobPlace kKnobs[ADEditor::kNumKnobs];
// The slot of parameter `tag`'s knob, or -1.
int slotOf(std::int32_t tag);
extern const CRect kBypassSwitchRect;
extern const CRect kLEDRect;

// What a display shows for parameter `tag` at the stored value `p`, worked out from the
// display rules alone (not from the editor's own text functions).
std::string expectedText(std::int32_t tag, float p);

using Pixels = std::vector<std::uint32_t>;
int changedPixels(const Pixels& a, const Pixels& b, const CRect& region);
// Mean absolute channel difference between a screen region and a bitmap region.
double meanDifference(const Pixels& screen, const CRect& region, const Pixels& bitmap,
                      int bitmapWidth, CPoint source);
// A skin bitmap from the resources folder as 0xRRGGBB pixels; empty if it cannot be read.
Pixels loadResource(const std::string& name, int& width, int& height);

} // namespace layout

class LayoutFixture : public XDisplayFixture {
  protected:
    void SetUp() override;
    void TearDown() override;

    bool openEditor();
    void closeEditor();
    // Pumps effEditIdle for this long, syncing with the X server in between.
    void idle(int milliseconds);
    layout::Pixels screen() { return capture(parent, layout::kWidth, layout::kHeight); }
    // The screen once it has stopped changing while idling.
    layout::Pixels settledScreen();

    ADEditor* editor() const;
    CKnob* knob(int slot) const;
    CParamDisplay* valueDisplay(int slot) const;
    std::string displayText(int slot) const;

    // A left-button drag by (dx, dy) starting at (x, y), in small steps with idle between.
    void drag(int x, int y, int dx, int dy);
    // A left click with Control_L held.
    void controlClick(int x, int y);

    // The host calls of these three opcodes, in arrival order.
    std::vector<lyrehost::HostCall> editCalls() const;

    lyrehost::Plugin plugin;
};
