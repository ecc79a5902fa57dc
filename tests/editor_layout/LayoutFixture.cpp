#include "LayoutFixture.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <utility>

#include "shell/AudioEffect.h"
#include "toolkit/CKnob.h"
#include "toolkit/CParamDisplay.h"

namespace layout {

const KnobPlace kKnobs[ADEditor::kNumKnobs] = {
    {kOutput, CRect(233, 164, 255, 186), CRect(219, 189, 269, 203), 0.5f},
    {kDecay, CRect(50, 71, 95, 116), CRect(48, 120, 98, 134), 0.5f},
    {kDamp, CRect(224, 71, 269, 116), CRect(222, 120, 272, 134), 0.5f},
    {kMix, CRect(64, 164, 86, 186), CRect(51, 189, 101, 203), 0.25f},
    {kTranspose, CRect(149, 86, 171, 108), CRect(135, 112, 185, 126), 0.5f},
    {kTune, CRect(108, 123, 130, 145), CRect(95, 148, 145, 162), 0.5f},
    {kDetune, CRect(189, 123, 211, 145), CRect(176, 148, 226, 162), 0.0f},
};
int slotOf(std::int32_t tag) {
    for (int slot = 0; slot < ADEditor::kNumKnobs; ++slot)
        if (kKnobs[slot].tag == tag) return slot;
    return -1;
}

const CRect kBypassSwitchRect(131, 162, 193, 190);
const CRect kLEDRect(155, 135, 165, 145);

std::string expectedText(std::int32_t tag, float p) {
    char text[32] = {};
    const double v = p;
    switch (tag) {
    case kOutput: {
        const double gain = static_cast<double>(static_cast<float>(4.0 * v * v));
        if (gain <= 1e-8) return "-oo dB";
        const double a = 20.0 * static_cast<double>(static_cast<float>(std::log10(gain)));
        const int i = static_cast<int>(a);
        const int f = static_cast<int>(std::fabs((a - i) * 10.0));
        std::snprintf(text, sizeof text, a < 0.0 && a > -1.0 ? "-%d.%ddB" : "%d.%ddB", i, f);
        break;
    }
    case kTranspose: {
        const int s = static_cast<int>(v * 48.0 + 0.5) - 24;
        std::snprintf(text, sizeof text, s > 0 ? "#%d" : s < 0 ? "b%d" : "0", std::abs(s));
        break;
    }
    case kTune:
        std::snprintf(text, sizeof text, "%dc", static_cast<int>(v * 200.0 - 100.0));
        break;
    default:
        std::snprintf(text, sizeof text, "%d%%", static_cast<int>(v * 100.0));
        break;
    }
    return text;
}

int changedPixels(const Pixels& a, const Pixels& b, const CRect& region) {
    int changed = 0;
    for (int y = static_cast<int>(region.top); y < region.bottom; ++y)
        for (int x = static_cast<int>(region.left); x < region.right; ++x) {
            const auto i = static_cast<size_t>(y * kWidth + x);
            if (a.at(i) != b.at(i)) ++changed;
        }
    return changed;
}

double meanDifference(const Pixels& screen, const CRect& region, const Pixels& bitmap,
                      int bitmapWidth, CPoint source) {
    double total = 0;
    int samples = 0;
    for (int y = static_cast<int>(region.top); y < region.bottom; ++y)
        for (int x = static_cast<int>(region.left); x < region.right; ++x) {
            const int bx = x - static_cast<int>(region.left) + static_cast<int>(source.x);
            const int by = y - static_cast<int>(region.top) + static_cast<int>(source.y);
            const CColor a = colourOf(screen.at(static_cast<size_t>(y * kWidth + x)));
            const CColor b = colourOf(bitmap.at(static_cast<size_t>(by * bitmapWidth + bx)));
            total +=
                std::abs(a.red - b.red) + std::abs(a.green - b.green) + std::abs(a.blue - b.blue);
            samples += 3;
        }
    return samples ? total / samples : 1e9;
}

Pixels loadResource(const std::string& name, int& width, int& height) {
    const std::string path = std::string(LYRE_RESOURCES_DIR) + "/" + name;
    cairo_surface_t* surface = cairo_image_surface_create_from_png(path.c_str());
    Pixels pixels;
    if (cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS) {
        width = cairo_image_surface_get_width(surface);
        height = cairo_image_surface_get_height(surface);
        const unsigned char* data = cairo_image_surface_get_data(surface);
        const int stride = cairo_image_surface_get_stride(surface);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                pixels.push_back(reinterpret_cast<const std::uint32_t*>(data + y * stride)[x] &
                                 0xFFFFFF);
    }
    cairo_surface_destroy(surface);
    return pixels;
}

} // namespace layout

using layout::Pixels;

void LayoutFixture::SetUp() {
    XDisplayFixture::SetUp();
    if (IsSkipped()) return;
    ASSERT_EQ(plugin.load(LYREBLOOM_SO), "");
    plugin.open();
    createParentWindow(layout::kWidth, layout::kHeight);
}

void LayoutFixture::TearDown() {
    if (plugin.isLoaded()) {
        closeEditor();
        plugin.unload();
    }
    XDisplayFixture::TearDown();
}

bool LayoutFixture::openEditor() {
    const bool opened =
        plugin.dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(parent)) == 1 && editor();
    settledScreen(); // mapped and painted
    return opened;
}

void LayoutFixture::closeEditor() {
    plugin.dispatch(effEditClose);
    sync();
}

Pixels LayoutFixture::settledScreen() {
    // Redraws can lag behind under the sanitizers: wait until two captures agree.
    idle(50);
    Pixels last = screen();
    // A window not yet painted reads as one flat colour, which also "agrees" with itself.
    auto painted = [](const Pixels& p) {
        return !p.empty() &&
               std::adjacent_find(p.begin(), p.end(), std::not_equal_to<>()) != p.end();
    };
    for (int tries = 0; tries < 80; ++tries) {
        idle(50);
        Pixels now = screen();
        if (now == last && painted(now)) break;
        last = std::move(now);
    }
    return last;
}

void LayoutFixture::idle(int milliseconds) {
    pumpFor(milliseconds, [&] { plugin.dispatch(effEditIdle); });
}

ADEditor* LayoutFixture::editor() const {
    auto* effect = static_cast<AudioEffect*>(plugin.effect()->object);
    return effect ? static_cast<ADEditor*>(effect->getEditor()) : nullptr;
}

CKnob* LayoutFixture::knob(int slot) const {
    return editor()->getKnob(slot);
}

CParamDisplay* LayoutFixture::valueDisplay(int slot) const {
    return editor()->getDisplay(slot);
}

std::string LayoutFixture::displayText(int slot) const {
    char text[CParamDisplay::kTextSize] = {};
    valueDisplay(slot)->getDisplayText(text);
    return text;
}

void LayoutFixture::drag(int x, int y, int dx, int dy) {
    constexpr int kSteps = 5;
    moveTo(parent, x, y);
    idle(20);
    XTestFakeButtonEvent(display, 1, True, CurrentTime);
    idle(20);
    for (int step = 1; step <= kSteps; ++step) {
        moveTo(parent, x + dx * step / kSteps, y + dy * step / kSteps);
        idle(20);
    }
    XTestFakeButtonEvent(display, 1, False, CurrentTime);
    idle(30);
}

void LayoutFixture::controlClick(int x, int y) {
    const KeyCode control = XKeysymToKeycode(display, XK_Control_L);
    moveTo(parent, x, y);
    XTestFakeKeyEvent(display, control, True, CurrentTime);
    XTestFakeButtonEvent(display, 1, True, CurrentTime);
    XTestFakeButtonEvent(display, 1, False, CurrentTime);
    XTestFakeKeyEvent(display, control, False, CurrentTime);
    sync();
    idle(50);
}

std::vector<lyrehost::HostCall> LayoutFixture::editCalls() const {
    std::vector<lyrehost::HostCall> edits;
    for (const auto& call : plugin.log().calls())
        if (call.opcode == audioMasterBeginEdit || call.opcode == audioMasterAutomate ||
            call.opcode == audioMasterEndEdit)
            edits.push_back(call);
    return edits;
}
