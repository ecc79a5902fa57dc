// The layout as opened, the bypass switch and LED, and the texts the displays show for
// values the host sets.
#include "LayoutFixture.h"

#include <cmath>
#include <cstdlib>

#include "editor/CLED.h"
#include "toolkit/CButtons.h"
#include "toolkit/CKnob.h"
#include "toolkit/CParamDisplay.h"

namespace {

using namespace layout;

class SwitchAndDisplay : public LayoutFixture {
  protected:
    void SetUp() override {
        LayoutFixture::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        led = loadResource("1131.png", ledWidth, ledHeight);
        ASSERT_EQ(ledWidth, 10);
        ASSERT_EQ(ledHeight, 20);
    }
    double ledOffDistance(const Pixels& s) const {
        return meanDifference(s, kLEDRect, led, ledWidth, CPoint(0, 0));
    }
    double ledOnDistance(const Pixels& s) const {
        return meanDifference(s, kLEDRect, led, ledWidth, CPoint(0, 10));
    }
    // Sets a parameter the way a host does and lets the editor pick it up.
    void hostSets(std::int32_t index, float value) {
        plugin.setParameter(index, value);
        plugin.dispatch(effEditIdle);
    }
    std::string textFor(std::int32_t index, float value) {
        hostSets(index, value);
        return displayText(slotOf(index));
    }

    Pixels led;
    int ledWidth = 0, ledHeight = 0;
};

// Ink is any clearly dark pixel: the displays print black on a light background.
int inkIn(const Pixels& s, const CRect& region) {
    int ink = 0;
    for (int y = static_cast<int>(region.top); y < region.bottom; ++y)
        for (int x = static_cast<int>(region.left); x < region.right; ++x) {
            const CColor c = colourOf(s.at(static_cast<size_t>(y * kWidth + x)));
            if (c.red + c.green + c.blue < 3 * 90) ++ink;
        }
    return ink;
}

TEST_F(SwitchAndDisplay, OpensWithTheLayoutAndTheFactoryDefaultProgram) {
    ASSERT_TRUE(openEditor());
    ADEditor* e = editor();
    const char* const texts[ADEditor::kNumKnobs] = {"0.0dB", "25%", "25%", "25%", "0", "0c", "0%"};
    for (int slot = 0; slot < ADEditor::kNumKnobs; ++slot) {
        SCOPED_TRACE(slot);
        EXPECT_EQ(knob(slot)->getTag(), kKnobs[slot].tag);
        EXPECT_EQ(knob(slot)->getViewSize(), kKnobs[slot].knob);
        EXPECT_EQ(knob(slot)->getDefaultValue(), kKnobs[slot].defaultValue);
        EXPECT_EQ(valueDisplay(slot)->getViewSize(), kKnobs[slot].display);
        EXPECT_EQ(displayText(slot), texts[slot]);
    }
    EXPECT_EQ(valueDisplay(0)->getMax(), 20.0f);
    EXPECT_EQ(e->getBypassSwitch()->getViewSize(), kBypassSwitchRect);
    EXPECT_EQ(e->getBypassSwitch()->getTag(), kBypass);
    EXPECT_EQ(e->getBypassLED()->getViewSize(), kLEDRect);
    EXPECT_EQ(e->getBypassSwitch()->getValue(), 0.0f);

    const Pixels s = screen();
    for (int slot = 0; slot < ADEditor::kNumKnobs; ++slot)
        EXPECT_GT(inkIn(s, kKnobs[slot].display), 5) << "text in display " << slot;
    EXPECT_LT(ledOffDistance(s), 2.0);

    if (const char* path = std::getenv("LYRE_EDITOR_SCREENSHOT")) {
        EXPECT_TRUE(writePng(s, kWidth, kHeight, path));
    }
    EXPECT_EQ(errorCount, 0);
}

TEST_F(SwitchAndDisplay, ClickingTheBypassSwitchTogglesBypassAndTheLED) {
    ASSERT_TRUE(openEditor());
    const Pixels off = screen();
    ASSERT_LT(ledOffDistance(off), 2.0);
    ASSERT_GT(ledOnDistance(off), 10.0) << "the two LED images must differ";

    plugin.log().clear();
    click(parent, 150, 176);
    idle(100);
    EXPECT_EQ(plugin.getParameter(kBypass), 1.0f);
    const auto edits = editCalls();
    ASSERT_EQ(edits.size(), 3u);
    EXPECT_EQ(edits[0].opcode, audioMasterBeginEdit);
    EXPECT_EQ(edits[1].opcode, audioMasterAutomate);
    EXPECT_EQ(edits[1].opt, 1.0f);
    EXPECT_EQ(edits[2].opcode, audioMasterEndEdit);
    for (const auto& call : edits)
        EXPECT_EQ(call.index, kBypass);
    const Pixels on = settledScreen();
    EXPECT_LT(ledOnDistance(on), 2.0);
    EXPECT_GT(changedPixels(off, on, kBypassSwitchRect), 100) << "switch shows its on image";

    click(parent, 172, 176); // away from the first press: not a double click
    idle(100);
    EXPECT_EQ(plugin.getParameter(kBypass), 0.0f);
    const Pixels back = settledScreen();
    EXPECT_LT(ledOffDistance(back), 2.0);
    EXPECT_EQ(changedPixels(off, back, CRect(0, 0, kWidth, kHeight)), 0);
}

TEST_F(SwitchAndDisplay, DisplaysShowTheHostsValuesInTheirOwnUnits) {
    ASSERT_TRUE(openEditor());
    EXPECT_EQ(textFor(kOutput, 0.5f), "0.0dB");
    EXPECT_EQ(textFor(kOutput, 0.25f), "-12.0dB");
    EXPECT_EQ(textFor(kOutput, 0.0f), "-oo dB");
    EXPECT_EQ(textFor(kOutput, 1.0f), "12.0dB");
    EXPECT_EQ(valueDisplay(0)->getValue(), 4.0f) << "the gain is not clipped at 1";
    EXPECT_EQ(knob(0)->getValue(), 1.0f);

    EXPECT_EQ(textFor(kTranspose, 0.0f), "b24");
    EXPECT_EQ(textFor(kTranspose, 0.5f), "0");
    EXPECT_EQ(textFor(kTranspose, 1.0f), "#24");
    EXPECT_EQ(textFor(kTune, 0.0f), "-100c");
    EXPECT_EQ(textFor(kTune, 0.5f), "0c");
    EXPECT_EQ(textFor(kTune, 1.0f), "100c");
    EXPECT_EQ(textFor(kMix, 0.25f), "25%");
    EXPECT_EQ(textFor(kDetune, 1.0f), "100%");
}

TEST_F(SwitchAndDisplay, BypassFromTheHostIsRoundedForSwitchAndLED) {
    ASSERT_TRUE(openEditor());
    ADEditor* e = editor();
    hostSets(kBypass, 0.7f);
    idle(100);
    EXPECT_EQ(e->getBypassSwitch()->getValue(), 1.0f);
    EXPECT_EQ(e->getBypassLED()->getValue(), 1.0f);
    EXPECT_LT(ledOnDistance(settledScreen()), 2.0);

    hostSets(kBypass, 0.3f);
    idle(100);
    EXPECT_EQ(e->getBypassSwitch()->getValue(), 0.0f);
    EXPECT_EQ(e->getBypassLED()->getValue(), 0.0f);
    EXPECT_LT(ledOffDistance(settledScreen()), 2.0);

    // The effect rounds in double: just below one half it is not bypassed, and the LED agrees
    // (rounding in float would make 0.49999997 + 0.5 one). Out of range and NaN are clamped.
    const float justBelowHalf = std::nextafter(0.5f, 0.0f);
    const float cases[][2] = {{justBelowHalf, 0.0f}, {0.5f, 1.0f}, {-2.0f, 0.0f},
                              {3.0f, 1.0f},          {NAN, 0.0f},  {0.0f, 0.0f}};
    for (const auto& [value, shown] : cases) {
        hostSets(kBypass, value);
        idle(60);
        EXPECT_EQ(e->getBypassSwitch()->getValue(), shown) << value;
        EXPECT_EQ(e->getBypassLED()->getValue(), shown) << value;
    }
}

TEST_F(SwitchAndDisplay, IndicesOutsideTheParametersChangeNothing) {
    ASSERT_TRUE(openEditor());
    const Pixels before = screen();
    float knobs[ADEditor::kNumKnobs];
    for (int slot = 0; slot < ADEditor::kNumKnobs; ++slot)
        knobs[slot] = knob(slot)->getValue();
    for (std::int32_t index : {-1, 8, 31, 32, 1000, -2147483647 - 1})
        plugin.setParameter(index, 0.9f);
    idle(100);
    for (int slot = 0; slot < ADEditor::kNumKnobs; ++slot)
        EXPECT_EQ(knob(slot)->getValue(), knobs[slot]) << slot;
    EXPECT_EQ(editor()->getBypassSwitch()->getValue(), 0.0f);
    EXPECT_EQ(changedPixels(before, settledScreen(), CRect(0, 0, kWidth, kHeight)), 0);
}

} // namespace
