// The plug-in's own controls: images by state, mouse results and what the listener hears.
#include <gtest/gtest.h>

#include "ToolkitTestSupport.h"
#include "editor/CLED.h"
#include "editor/CPSKickButton.h"
#include "editor/CPSRockerSwitch.h"
#include "editor/CSaveLoadButton.h"
#include "toolkit/CFrame.h"

namespace {

// Ids outside the editor's own resources, so nothing real is replaced.
constexpr int32_t kLedBitmap = 61131;
constexpr int32_t kThreeImages = 61132;
constexpr int32_t kFiveImages = 61133;

const std::vector<CColor> kFive{kRed, kGreen, kBlue, kYellow, kCyan};

struct ControlSet : ::testing::Test {
    static void SetUpTestSuite() {
        registerStripBitmap(kLedBitmap, 10, 10, {kRed, kGreen});
        registerStripBitmap(kThreeImages, 12, 14, {kRed, kGreen, kBlue});
        registerStripBitmap(kFiveImages, 30, 14, kFive);
    }
    ControlSet() : frame(new CFrame(CRect(0, 0, 100, 100), nullptr, nullptr)) {}
    ~ControlSet() override { frame->close(); }

    // The colour a control shows at a point inside it.
    CColor shown(CView* view, int x, int y) {
        Canvas canvas(100, 100, kWhiteCColor);
        view->draw(&canvas.context());
        return canvas.pixel(x, y);
    }
    CMouseEventResult down(CView* view, CCoord x, CCoord y, int32_t buttons) {
        CPoint p(x, y);
        return view->onMouseDown(p, buttons);
    }
    CMouseEventResult up(CView* view, CCoord x, CCoord y) {
        CPoint p(x, y);
        return view->onMouseUp(p, kLButton);
    }

    RecordingListener listener;
    CFrame* frame;
};

TEST_F(ControlSet, LedShowsOffAtHalfAndOnJustAbove) {
    auto* led = new CLED(CRect(5, 5, 15, 15), nullptr);
    frame->addView(led);
    EXPECT_TRUE(near(shown(led, 8, 8), kWhiteCColor)) << "no bitmap draws nothing";

    auto* bitmap = new CBitmap(kLedBitmap);
    auto* lit = new CLED(CRect(20, 20, 30, 30), bitmap);
    bitmap->forget();
    frame->addView(lit);
    EXPECT_EQ(lit->getValue(), 0.0f);
    lit->setValue(0.5f);
    EXPECT_TRUE(near(shown(lit, 25, 25), kRed));
    lit->setValue(0.51f);
    EXPECT_TRUE(near(shown(lit, 25, 25), kGreen));
    EXPECT_TRUE(lit->isTypeOf("CLED"));
    EXPECT_TRUE(lit->isTypeOf("CControl"));
    EXPECT_FALSE(lit->isTypeOf("CKnob"));
}

TEST_F(ControlSet, LedCopySharesTheBitmapWithItsOwnReference) {
    auto* bitmap = new CBitmap(kLedBitmap);
    auto* led = new CLED(CRect(0, 0, 10, 10), bitmap);
    auto* copy = static_cast<CLED*>(led->newCopy());
    EXPECT_EQ(bitmap->getNbReference(), 3);
    led->forget();
    copy->setValue(1.0f);
    EXPECT_TRUE(near(shown(copy, 5, 5), kGreen));
    copy->forget();
    EXPECT_EQ(bitmap->getNbReference(), 1);
    bitmap->forget();
}

TEST_F(ControlSet, DoubleClickOnlyKickButtonIgnoresSingleClicksAndRightClicks) {
    auto* button =
        new CPSKickButton(CRect(20, 0, 32, 14), &listener, 1013, 14, nullptr, CPoint(0, 0), true);
    frame->addView(button);
    EXPECT_EQ(down(button, 25, 5, kLButton), kMouseDownEventHandledButDontNeedMovedOrUpEvents);
    EXPECT_EQ(down(button, 25, 5, kRButton | kDoubleClick),
              kMouseDownEventHandledButDontNeedMovedOrUpEvents);
    EXPECT_TRUE(listener.changes.empty());
    EXPECT_FALSE(button->isPressed());

    EXPECT_EQ(down(button, 25, 5, kLButton | kDoubleClick), kMouseEventHandled);
    EXPECT_EQ(up(button, 25, 5), kMouseEventHandled);
    EXPECT_EQ(down(button, 25, 5, kLButton | kDoubleClick | kControl), kMouseEventHandled);
    EXPECT_EQ(up(button, 25, 5), kMouseEventHandled);
    ASSERT_EQ(listener.changes.size(), 2u) << "releases are never reported";
    EXPECT_EQ(listener.changes[0].value, 1.0f);
    EXPECT_EQ(listener.changes[1].value, 0.5f);
    EXPECT_EQ(button->getValue(), 0.0f);
}

TEST_F(ControlSet, KickButtonReportsEverySingleLeftPressAndShowsHoverAndPressedImages) {
    auto* button = new CBitmap(kThreeImages);
    auto* kick =
        new CPSKickButton(CRect(0, 0, 12, 14), &listener, 1015, 14, button, CPoint(0, 0), false);
    button->forget();
    frame->addView(kick);
    EXPECT_TRUE(near(shown(kick, 5, 5), kRed));
    CPoint inside(5, 5);
    kick->onMouseEntered(inside, 0);
    EXPECT_TRUE(near(shown(kick, 5, 5), kGreen));
    down(kick, 5, 5, kLButton | kControl); // Control changes nothing here
    EXPECT_TRUE(near(shown(kick, 5, 5), kBlue));
    up(kick, 5, 5);
    EXPECT_TRUE(near(shown(kick, 5, 5), kGreen)) << "released while hovering";
    kick->onMouseExited(inside, 0);
    EXPECT_TRUE(near(shown(kick, 5, 5), kRed));
    ASSERT_EQ(listener.changes.size(), 1u);
    EXPECT_EQ(listener.changes[0].value, 1.0f);
    EXPECT_EQ(listener.changes[0].tag, 1015);
}

TEST_F(ControlSet, SaveLoadButtonTellsLeftFromPlainRightAndIsBackAtZero) {
    auto* bitmap = new CBitmap(kThreeImages);
    auto* button =
        new CSaveLoadButton(CRect(0, 0, 12, 14), &listener, 1004, 14, bitmap, CPoint(0, 0));
    bitmap->forget();
    frame->addView(button);
    std::vector<CColor> imageDuringReport;
    listener.onChange = [&](CControl* control) {
        imageDuringReport.push_back(shown(control, 5, 5));
    };
    EXPECT_EQ(down(button, 5, 5, kLButton), kMouseDownEventHandledButDontNeedMovedOrUpEvents);
    down(button, 5, 5, kRButton);
    down(button, 5, 5, kRButton | kShift);
    down(button, 5, 5, kLButton | kControl);
    EXPECT_EQ(down(button, 5, 5, kMButton), kMouseEventNotHandled);
    ASSERT_EQ(listener.changes.size(), 4u);
    EXPECT_EQ(listener.changes[0].value, 1.0f);
    EXPECT_EQ(listener.changes[1].value, 0.5f);
    EXPECT_EQ(listener.changes[2].value, 1.0f);
    EXPECT_EQ(listener.changes[3].value, 1.0f);
    EXPECT_EQ(button->getValue(), 0.0f);
    EXPECT_TRUE(near(imageDuringReport[0], kBlue)) << "active only while the listener runs";
    EXPECT_TRUE(near(shown(button, 5, 5), kRed));

    CKeyCode key{0, VKEY_RETURN, 0};
    EXPECT_EQ(button->onKeyDown(key), kKeyNotHandled);
    EXPECT_EQ(button->onKeyUp(key), kKeyNotHandled);
}

TEST_F(ControlSet, SaveLoadButtonWithoutListenerIgnoresClicks) {
    auto* button = new CSaveLoadButton(CRect(0, 0, 12, 14), nullptr, 1004, 14, nullptr, CPoint());
    frame->addView(button);
    EXPECT_EQ(down(button, 5, 5, kLButton), kMouseEventNotHandled);
    EXPECT_EQ(button->getValue(), 0.0f);
}

TEST_F(ControlSet, RockerSplitsAtTheHorizontalMiddle) {
    auto* bitmap = new CBitmap(kFiveImages);
    auto* rocker =
        new CPSRockerSwitch(CRect(0, 0, 30, 14), &listener, 1001, 14, bitmap, CPoint(0, 28), 1);
    bitmap->forget();
    frame->addView(rocker);
    EXPECT_EQ(down(rocker, 14.9, 5, kLButton), kMouseEventHandled);
    EXPECT_EQ(rocker->getValue(), -1.0f);
    EXPECT_TRUE(near(shown(rocker, 5, 5), kYellow)) << "image 3, ignoring the offset given";
    up(rocker, 14.9, 5);
    down(rocker, 15, 5, kLButton);
    EXPECT_EQ(rocker->getValue(), 1.0f);
    up(rocker, 15, 5);
    EXPECT_EQ(down(rocker, 15, 5, kRButton), kMouseEventNotHandled);
    ASSERT_EQ(listener.changes.size(), 2u) << "releases are never reported";
    EXPECT_EQ(listener.changes[0].value, -1.0f);
    EXPECT_EQ(listener.changes[1].value, 1.0f);
    EXPECT_EQ(rocker->getValue(), 0.0f);
}

TEST_F(ControlSet, RockerHoverImagesFollowThePointerAndThePressedSideStays) {
    auto* bitmap = new CBitmap(kFiveImages);
    auto* rocker =
        new CPSRockerSwitch(CRect(0, 0, 30, 14), &listener, 1001, 14, bitmap, CPoint(0, 0), 1);
    bitmap->forget();
    frame->addView(rocker);
    CPoint left(3, 5), right(25, 5);
    rocker->onMouseEntered(left, 0);
    EXPECT_EQ(rocker->imageIndex(), 1);
    rocker->onMouseMoved(right, 0);
    EXPECT_EQ(rocker->imageIndex(), 2);
    EXPECT_TRUE(near(shown(rocker, 5, 5), kBlue));
    down(rocker, 25, 5, kLButton);
    EXPECT_EQ(rocker->imageIndex(), 4);
    rocker->onMouseMoved(left, kLButton);
    EXPECT_EQ(rocker->getValue(), 1.0f) << "dragging does not switch sides";
    EXPECT_EQ(rocker->getHoverSide(), 1);
    up(rocker, 3, 5);
    rocker->onMouseMoved(left, 0);
    EXPECT_EQ(rocker->imageIndex(), 1);
    rocker->onMouseExited(left, 0);
    EXPECT_EQ(rocker->imageIndex(), 0);
    EXPECT_TRUE(near(shown(rocker, 5, 5), kRed));
}

TEST_F(ControlSet, ThroughTheFrameAReleaseOverTheButtonsSendsNoSecondChange) {
    auto* kick =
        new CPSKickButton(CRect(0, 0, 12, 14), &listener, 1017, 14, nullptr, CPoint(), false);
    auto* rocker =
        new CPSRockerSwitch(CRect(40, 0, 70, 14), &listener, 1001, 14, nullptr, CPoint(), 1);
    frame->addView(kick);
    frame->addView(rocker);
    for (CCoord x : {5.0, 60.0}) {
        CPoint p(x, 5);
        frame->onMouseMoved(p, 0);
        frame->onMouseDown(p, kLButton);
        frame->onMouseUp(p, kLButton);
    }
    ASSERT_EQ(listener.changes.size(), 2u);
    EXPECT_EQ(listener.changes[0].tag, 1017);
    EXPECT_EQ(listener.changes[1].value, 1.0f);
    EXPECT_FALSE(kick->isPressed());
    EXPECT_EQ(rocker->getValue(), 0.0f);
}

} // namespace
