// The about control and its picture, in a headless frame.
#include <gtest/gtest.h>

#include "ToolkitTestSupport.h"
#include "editor/CAbout.h"
#include "toolkit/CFrame.h"
#include "toolkit/CKnob.h"

namespace {

constexpr int32_t kPicture = 61200; // a plain light picture: the version text is the only ink

struct AboutScreen : ::testing::Test {
    static void SetUpTestSuite() {
        registerTestBitmap(kPicture, 260, 204, [](int, int) { return CColor{230, 230, 200, 255}; });
    }
    AboutScreen() : frame(new CFrame(CRect(0, 0, 320, 257), nullptr, &editor)) {
        auto* bitmap = new CBitmap(kPicture);
        about = new CAbout(CRect(50, 10, 280, 47), &listener, 10, bitmap, CRect(30, 10, 290, 214),
                           CPoint(0, 0), CPoint(172, 80));
        bitmap->forget();
        knob = new CKnob(CRect(50, 71, 95, 116), &listener, 2, nullptr, nullptr);
        knob->setValue(0.5f);
        frame->addView(knob);
        frame->addView(about);
    }
    ~AboutScreen() override { frame->close(); }
    CMouseEventResult click(CCoord x, CCoord y, int32_t buttons = kLButton) {
        CPoint p(x, y);
        const CMouseEventResult result = frame->onMouseDown(p, buttons);
        frame->onMouseUp(p, buttons);
        return result;
    }
    CSplashScreenMyView* screen() const {
        return dynamic_cast<CSplashScreenMyView*>(frame->getModalView());
    }

    RecordingEditor editor;
    RecordingListener listener;
    CFrame* frame;
    CAbout* about;
    CKnob* knob;
};

TEST_F(AboutScreen, RightClickDoesNothingAndLeftClickOpensThePicture) {
    EXPECT_EQ(click(100, 30, kRButton), kMouseEventNotHandled);
    EXPECT_EQ(frame->getModalView(), nullptr);
    EXPECT_EQ(click(100, 30), kMouseEventHandled);
    ASSERT_NE(screen(), nullptr);
    EXPECT_EQ(screen()->getViewSize(), CRect(30, 10, 290, 214));
    EXPECT_EQ(screen()->getAbout(), about);
    EXPECT_EQ(about->getValue(), 1.0f);
    EXPECT_TRUE(screen()->isTypeOf("CSplashScreenMyView"));
    EXPECT_TRUE(screen()->isTypeOf("CControl"));
    EXPECT_TRUE(listener.changes.empty());
}

TEST_F(AboutScreen, ClicksOnTheKnobAreaCloseThePictureInsteadOfMovingTheKnob) {
    click(100, 30);
    Canvas canvas(320, 257);
    frame->drawInvalidArea(&canvas.context());
    ASSERT_TRUE(frame->getInvalidArea().isEmpty());
    EXPECT_EQ(click(72, 93, kRButton), kMouseEventNotHandled);
    EXPECT_NE(screen(), nullptr) << "a right click on the picture does nothing";
    EXPECT_EQ(click(72, 93), kMouseEventHandled);
    EXPECT_EQ(frame->getModalView(), nullptr);
    EXPECT_EQ(frame->getNbViews(), 2) << "the picture is gone from the frame";
    EXPECT_EQ(knob->getValue(), 0.5f);
    EXPECT_TRUE(editor.gestures.empty()) << "the knob never saw the click";
    EXPECT_EQ(about->getValue(), 0.0f);
    EXPECT_EQ(frame->getInvalidArea(), CRect(0, 0, 320, 257)) << "everything is redrawn";
    EXPECT_TRUE(listener.changes.empty());
}

TEST_F(AboutScreen, ClosedScreenOpensAgainOnTheNextLeftClick) {
    for (int round = 0; round < 3; ++round) {
        click(100, 30);
        ASSERT_NE(screen(), nullptr) << round;
        click(200, 200);
        ASSERT_EQ(screen(), nullptr) << round;
        EXPECT_EQ(about->getValue(), 0.0f);
    }
    EXPECT_TRUE(listener.changes.empty());
}

TEST_F(AboutScreen, ClickOutsideThePictureWhileOpenReachesNothing) {
    click(100, 30);
    EXPECT_EQ(click(310, 250), kMouseEventNotHandled);
    EXPECT_NE(screen(), nullptr);
}

TEST_F(AboutScreen, VersionTextSitsInItsBoxInBlack) {
    click(100, 30);
    ASSERT_NE(screen(), nullptr);
    EXPECT_EQ(screen()->versionBox(), CRect(202, 90, 302, 105));
    Canvas canvas(320, 257, kWhiteCColor);
    frame->drawInvalidArea(&canvas.context());
    EXPECT_TRUE(near(canvas.pixel(40, 20), {230, 230, 200, 255})) << "the picture is drawn";
    auto ink = [](CColor c) { return c.red < 150; };
    EXPECT_GT(canvas.count(202, 90, 240, 105, ink), 10);
    EXPECT_EQ(canvas.count(30, 10, 202, 214, ink), 0) << "left-aligned at x = 202";
    EXPECT_EQ(canvas.count(202, 10, 290, 90, ink), 0) << "nothing above the box";
    EXPECT_EQ(canvas.count(202, 105, 290, 214, ink), 0) << "nothing below the box";
}

TEST_F(AboutScreen, MissingPictureStillShowsTheVersion) {
    auto* blank = new CAbout(CRect(0, 0, 10, 10), nullptr, 10, nullptr, CRect(0, 0, 120, 120),
                             CPoint(), CPoint(10, 10));
    frame->addView(blank);
    click(5, 5);
    ASSERT_NE(screen(), nullptr);
    Canvas canvas(320, 257, kWhiteCColor);
    screen()->draw(&canvas.context());
    EXPECT_GT(canvas.count(10, 10, 110, 25, [](CColor c) { return c.red < 150; }), 10);
}

TEST_F(AboutScreen, ClosingTheFrameWhileOpenReleasesThePicture) {
    click(100, 30);
    ASSERT_NE(screen(), nullptr);
    frame->close(); // LeakSanitizer reports the picture if it were kept
    frame = new CFrame(CRect(0, 0, 10, 10), nullptr, nullptr);
}

} // namespace
