// The toolkit controls' state machines, driven through a headless frame.
#include <gtest/gtest.h>

#include "ToolkitTestSupport.h"
#include "toolkit/CButtons.h"
#include "toolkit/CFrame.h"
#include "toolkit/CKnob.h"
#include "toolkit/COptionMenu.h"
#include "toolkit/CSplashScreen.h"
#include "toolkit/CTextEdit.h"

namespace {

struct ControlFixture : ::testing::Test {
    ControlFixture() : frame(new CFrame(CRect(0, 0, 400, 200), nullptr, &editor)) {}
    ~ControlFixture() override { frame->close(); }
    CMouseEventResult down(CCoord x, CCoord y, int32_t buttons = kLButton) {
        CPoint p(x, y);
        return frame->onMouseDown(p, buttons);
    }
    void move(CCoord x, CCoord y, int32_t buttons = kLButton) {
        CPoint p(x, y);
        frame->onMouseMoved(p, buttons);
    }
    void up(CCoord x, CCoord y) {
        CPoint p(x, y);
        frame->onMouseUp(p, kLButton);
    }
    int32_t key(int32_t character, uint8_t virt = 0) {
        CKeyCode code{character, virt, 0};
        return frame->onKeyDown(code);
    }
    std::vector<std::pair<bool, int32_t>> gestures(int32_t tag) const {
        std::vector<std::pair<bool, int32_t>> result;
        for (auto g : editor.gestures)
            if (g.second == tag) result.push_back(g);
        return result;
    }
    RecordingEditor editor;
    RecordingListener listener;
    CFrame* frame;
};

TEST_F(ControlFixture, ValueIsClampedAndOnlyARealChangeMarksDirty) {
    auto* control = new CControl(CRect(0, 0, 10, 10), &listener, 3);
    frame->addView(control);
    control->setDirty(false);
    control->setValue(1.5f);
    EXPECT_EQ(control->getValue(), 1.0f);
    EXPECT_TRUE(control->isDirty());
    control->setDirty(false);
    control->setValue(1.0f);
    EXPECT_FALSE(control->isDirty());
    control->setMax(20);
    control->setValue(4.0f);
    EXPECT_EQ(control->getValue(), 4.0f);
}

TEST_F(ControlFixture, LinearKnobDragIsBracketedAndReportsEachChange) {
    editor.knobMode = kLinearMode;
    auto* knob = new CKnob(CRect(50, 50, 90, 90), &listener, 2, nullptr, nullptr);
    knob->setValue(0.5f);
    frame->addView(knob);
    EXPECT_EQ(down(70, 70), kMouseEventHandled);
    EXPECT_TRUE(listener.changes.empty()) << "a press alone does not move a linear knob";
    move(70, 50); // 20 px up
    move(80, 50); // and 10 px right
    up(80, 50);
    ASSERT_EQ(listener.changes.size(), 2u);
    EXPECT_NEAR(listener.changes[0].value, 0.6f, 1e-5);
    EXPECT_NEAR(listener.changes[1].value, 0.65f, 1e-5);
    EXPECT_EQ(gestures(2), (std::vector<std::pair<bool, int32_t>>{{true, 2}, {false, 2}}));
    // Shift makes the same drag ten times finer.
    listener.changes.clear();
    down(70, 70);
    move(70, 50, kLButton | kShift);
    up(70, 50);
    EXPECT_NEAR(knob->getValue(), 0.66f, 1e-5);
}

TEST_F(ControlFixture, CircularKnobJumpsToThePointerAngle) {
    editor.knobMode = kCircularMode;
    auto* knob = new CKnob(CRect(0, 0, 100, 100), &listener, 1, nullptr, nullptr);
    knob->setValue(0.0f);
    frame->addView(knob);
    down(50, 10); // straight up: the middle of the travel
    EXPECT_NEAR(knob->getValue(), 0.5f, 1e-5);
    move(90, 50); // right: three quarters of 270 degrees... 225-0 = 225 of 270
    EXPECT_NEAR(knob->getValue(), 225.0f / 270.0f, 1e-4);
    move(51, 95); // just right of the bottom dead zone snaps to the end
    EXPECT_EQ(knob->getValue(), 1.0f);
    move(49, 95);
    EXPECT_EQ(knob->getValue(), 0.0f);
    up(49, 95);
    EXPECT_EQ(listener.changes.size(), 4u);
}

TEST_F(ControlFixture, RelativeCircularKnobAddsTheTurnedAngle) {
    editor.knobMode = kRelativCircularMode;
    auto* knob = new CKnob(CRect(0, 0, 100, 100), &listener, 1, nullptr, nullptr);
    knob->setValue(0.2f);
    frame->addView(knob);
    down(50, 10); // the press position does not set the value
    EXPECT_EQ(knob->getValue(), 0.2f);
    move(90, 50); // a quarter turn clockwise: +90/270
    up(90, 50);
    EXPECT_NEAR(knob->getValue(), 0.2f + 90.0f / 270.0f, 1e-4);
}

TEST_F(ControlFixture, ControlClickSetsTheDefaultAndWheelSteps) {
    auto* knob = new CKnob(CRect(0, 0, 40, 40), &listener, 5, nullptr, nullptr);
    knob->setDefaultValue(0.25f);
    knob->setValue(0.9f);
    frame->addView(knob);
    EXPECT_EQ(down(20, 20, kLButton | kControl), kMouseDownEventHandledButDontNeedMovedOrUpEvents);
    EXPECT_EQ(knob->getValue(), 0.25f);
    ASSERT_EQ(listener.changes.size(), 1u);
    // Already at the default: bracketed, but nothing to report.
    down(20, 20, kLButton | kControl);
    EXPECT_EQ(listener.changes.size(), 1u);
    // Control with Shift is not the default gesture.
    editor.knobMode = kLinearMode;
    EXPECT_EQ(down(20, 20, kLButton | kControl | kShift), kMouseEventHandled);
    up(20, 20);

    EXPECT_TRUE(frame->onWheel(CPoint(20, 20), 1.0f, 0));
    EXPECT_NEAR(knob->getValue(), 0.35f, 1e-5);
    frame->onWheel(CPoint(20, 20), -1.0f, kShift);
    EXPECT_NEAR(knob->getValue(), 0.34f, 1e-5);
    EXPECT_EQ(gestures(5).size(), 10u) << "every gesture is bracketed";
}

TEST_F(ControlFixture, OnOffButtonTogglesOnLeftClickOnly) {
    auto* button = new COnOffButton(CRect(0, 0, 20, 20), &listener, 7, nullptr);
    frame->addView(button);
    EXPECT_EQ(down(5, 5, kRButton), kMouseEventNotHandled);
    down(5, 5);
    down(5, 5);
    ASSERT_EQ(listener.changes.size(), 2u);
    EXPECT_EQ(listener.changes[0].value, 1.0f);
    EXPECT_EQ(listener.changes[1].value, 0.0f);
    EXPECT_EQ(gestures(7).size(), 4u);
}

TEST_F(ControlFixture, KickButtonFollowsThePointerAndReportsPressAndRelease) {
    auto* kick = new CKickButton(CRect(0, 0, 20, 20), &listener, 4, 10, nullptr);
    frame->addView(kick);
    down(5, 5);
    move(50, 50); // dragged off: released state
    move(6, 6);   // back on
    up(6, 6);
    ASSERT_EQ(listener.changes.size(), 4u);
    EXPECT_EQ(listener.changes[0].value, 1.0f);
    EXPECT_EQ(listener.changes[1].value, 0.0f);
    EXPECT_EQ(listener.changes[2].value, 1.0f);
    EXPECT_EQ(listener.changes[3].value, 0.0f);
}

TEST_F(ControlFixture, RockerSwitchReportsTheSideAndTheReturnToRest) {
    auto* rocker = new CRockerSwitch(CRect(0, 0, 30, 10), &listener, 9, 10, nullptr);
    frame->addView(rocker);
    down(10, 5);
    EXPECT_EQ(rocker->getValue(), -1.0f);
    up(10, 5);
    down(20, 5);
    EXPECT_EQ(rocker->getValue(), 1.0f);
    up(20, 5);
    ASSERT_EQ(listener.changes.size(), 4u);
    EXPECT_EQ(listener.changes[3].value, 0.0f);
}

TEST_F(ControlFixture, TextEditCommitsOnceOnReturnAndEscapeRestores) {
    auto* edit = new CTextEdit(CRect(0, 0, 100, 15), &listener, 1000, "Init");
    frame->addView(edit);
    EXPECT_EQ(key('x'), kKeyNotHandled) << "not editing before a click";
    down(50, 5);
    EXPECT_TRUE(edit->isEditingText());
    key(0, VKEY_END); // past the selected text, which typing would replace
    key('a');
    key('b');
    key(0, VKEY_BACK);
    key(0, VKEY_LEFT);
    key('!');
    EXPECT_STREQ(edit->getText(), "Init!a");
    EXPECT_TRUE(listener.changes.empty());
    EXPECT_EQ(key(0, VKEY_RETURN), kKeyHandled);
    EXPECT_FALSE(edit->isEditingText());
    EXPECT_EQ(listener.changes.size(), 1u);
    EXPECT_EQ(gestures(1000).size(), 2u);

    down(50, 5);
    key('z');
    key(0, VKEY_ESCAPE);
    EXPECT_STREQ(edit->getText(), "Init!a");
    EXPECT_EQ(listener.changes.size(), 1u) << "a cancelled edit reports nothing";

    down(50, 5);
    key(0, VKEY_END);
    key('q');
    down(150, 150); // clicking elsewhere commits
    EXPECT_STREQ(edit->getText(), "Init!aq");
    EXPECT_EQ(listener.changes.size(), 2u);
}

TEST_F(ControlFixture, OptionMenuOpensOverTheFrameAndReportsTheChosenIndex) {
    auto* menu = new COptionMenu(CRect(10, 10, 20, 24), &listener, 1012, nullptr, nullptr,
                                 kNoDrawStyle | kCheckStyle);
    menu->setNbItemsPerColumn(3);
    for (const char* title : {"A", "B", "C", "D", "E"})
        menu->addEntry(title);
    menu->setCurrent(1);
    frame->addView(menu);
    EXPECT_EQ(menu->getMax(), 4.0f);
    EXPECT_TRUE(menu->getEntry(1)->isChecked());

    EXPECT_EQ(down(15, 15, kRButton), kMouseEventNotHandled);
    down(15, 15);
    ASSERT_TRUE(menu->isPopupOpen());
    EXPECT_EQ(frame->getModalView(), menu->getPopup());
    // The list opens below the menu: column 0 holds A-C, column 1 D-E, rows 16 px high.
    down(10 + 150 + 5, 24 + 16 + 8); // column 1, row 1: "E"
    EXPECT_FALSE(menu->isPopupOpen());
    EXPECT_EQ(frame->getModalView(), nullptr);
    ASSERT_EQ(listener.changes.size(), 1u);
    EXPECT_EQ(listener.changes[0].value, 4.0f);
    EXPECT_EQ(menu->getCurrent(), 4);
    EXPECT_TRUE(menu->getEntry(4)->isChecked());
    EXPECT_FALSE(menu->getEntry(1)->isChecked());

    down(15, 15);
    down(195, 5); // outside the list: closes without a choice
    EXPECT_FALSE(menu->isPopupOpen());
    down(15, 15);
    key(0, VKEY_ESCAPE);
    EXPECT_FALSE(menu->isPopupOpen());
    EXPECT_EQ(listener.changes.size(), 1u);
    EXPECT_EQ(gestures(1012).size(), 6u) << "each opening is bracketed once";
}

TEST_F(ControlFixture, ClosingTheFrameWithTheMenuOpenBalancesTheGesture) {
    auto* menu = new COptionMenu(CRect(10, 10, 20, 24), &listener, 1012);
    menu->addEntry("A");
    frame->addView(menu);
    down(15, 15);
    ASSERT_TRUE(menu->isPopupOpen());
    frame->close();
    frame = new CFrame(CRect(0, 0, 10, 10), nullptr, nullptr);
    EXPECT_EQ(gestures(1012), (std::vector<std::pair<bool, int32_t>>{{true, 1012}, {false, 1012}}));
    EXPECT_TRUE(listener.changes.empty());
}

TEST_F(ControlFixture, SplashScreenShowsItsPictureUntilThePictureIsClicked) {
    registerTestBitmap(520, 50, 40, [](int, int) { return kGreen; });
    auto* bitmap = new CBitmap(520);
    auto* splash =
        new CSplashScreen(CRect(0, 0, 20, 20), &listener, 10, bitmap, CRect(100, 100, 150, 140));
    bitmap->forget();
    frame->addView(splash);
    EXPECT_EQ(down(5, 5, kRButton), kMouseEventNotHandled);
    down(5, 5);
    EXPECT_EQ(splash->getValue(), 1.0f);
    ASSERT_NE(frame->getModalView(), nullptr);
    EXPECT_EQ(frame->getModalView()->getViewSize(), CRect(100, 100, 150, 140));
    down(120, 120);
    EXPECT_EQ(frame->getModalView(), nullptr);
    EXPECT_EQ(splash->getValue(), 0.0f);
    EXPECT_TRUE(listener.changes.empty());
}

} // namespace
