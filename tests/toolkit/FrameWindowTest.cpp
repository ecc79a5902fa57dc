// The frame inside a real parent window: child window, drawing, pointer input and timers.
#include "ToolkitTestSupport.h"
#include "XDisplayFixture.h"
#include "toolkit/CFrame.h"
#include "toolkit/CTextEdit.h"

namespace {

class ClickCounter : public CView {
  public:
    explicit ClickCounter(const CRect& size) : CView(size) {}
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override {
        lastWhere = where;
        lastButtons = buttons;
        ++downs;
        return kMouseEventHandled;
    }
    CMouseEventResult onMouseUp(CPoint&, const CButtonState&) override {
        ++ups;
        return kMouseEventHandled;
    }
    void draw(CDrawContext* context) override {
        context->setFillColor(colour);
        context->drawRect(size, kDrawFilled);
        setDirty(false);
    }
    CColor colour = kRed;
    int downs = 0;
    int ups = 0;
    CPoint lastWhere;
    int32_t lastButtons = 0;
};

using FrameWindow = XDisplayFixture;

TEST_F(FrameWindow, DrawsInItsOwnChildWindowAndRedrawsWhatChanged) {
    registerTestBitmap(540, 120, 90, [](int x, int) { return x < 60 ? kBlue : kYellow; });
    createParentWindow(120, 90);
    auto* frame = new CFrame(CRect(0, 0, 120, 90), reinterpret_cast<void*>(parent), nullptr);
    ASSERT_TRUE(frame->isOpen());
    auto* background = new CBitmap(540);
    frame->setBackground(background);
    background->forget();
    auto* view = new ClickCounter(CRect(10, 10, 30, 30));
    frame->addView(view);
    EXPECT_EQ(childCount(parent), 1);

    pumpFor(150, [&] { frame->idle(), frame->pumpEvents(); });
    auto pixels = capture(parent, 120, 90);
    EXPECT_TRUE(near(colourOf(pixels[50 * 120 + 20]), kBlue));
    EXPECT_TRUE(near(colourOf(pixels[50 * 120 + 100]), kYellow));
    EXPECT_TRUE(near(colourOf(pixels[20 * 120 + 20]), kRed));

    view->colour = kGreen;
    view->setDirty();
    pumpFor(100, [&] { frame->idle(), frame->pumpEvents(); });
    pixels = capture(parent, 120, 90);
    EXPECT_TRUE(near(colourOf(pixels[20 * 120 + 20]), kGreen));

    click(parent, 15, 25);
    click(parent, 15, 25);
    pumpFor(100, [&] { frame->pumpEvents(); });
    EXPECT_EQ(view->downs, 2);
    EXPECT_EQ(view->ups, 2);
    EXPECT_EQ(view->lastWhere, CPoint(15, 25));
    EXPECT_EQ(view->lastButtons, kLButton | kDoubleClick) << "the second quick click is double";

    frame->close();
    sync();
    EXPECT_EQ(childCount(parent), 0);
    EXPECT_EQ(errorCount, 0);
}

TEST_F(FrameWindow, WindowTimerTicksWhenTheHostPumpsAndStopsWhenStopped) {
    createParentWindow(50, 50);
    auto* frame = new CFrame(CRect(0, 0, 50, 50), reinterpret_cast<void*>(parent), nullptr);
    int ticks = 0;
    ASSERT_TRUE(frame->startWindowTimer(7, 20, [&] { ++ticks; }));
    pumpFor(200, [&] { frame->pumpEvents(); });
    EXPECT_GE(ticks, 4);
    EXPECT_LE(ticks, 11);
    frame->stopWindowTimer(7);
    const int stopped = ticks;
    pumpFor(100, [&] { frame->pumpEvents(); });
    EXPECT_EQ(ticks, stopped);
    frame->close();
    EXPECT_EQ(errorCount, 0);
}

TEST_F(FrameWindow, TypedKeysReachAFocusedTextEdit) {
    createParentWindow(200, 40);
    auto* frame = new CFrame(CRect(0, 0, 200, 40), reinterpret_cast<void*>(parent), nullptr);
    RecordingListener listener;
    auto* edit = new CTextEdit(CRect(10, 10, 190, 30), &listener, 1000, "x");
    frame->addView(edit);
    pumpFor(50, [&] { frame->pumpEvents(); });
    click(parent, 50, 20);
    pumpFor(50, [&] { frame->pumpEvents(); });
    ASSERT_TRUE(edit->isEditingText());
    for (unsigned long keysym : {0xff57ul /* End */, 0x61ul /* a */, 0xff08ul /* BackSpace */,
                                 0x62ul /* b */, 0xff0dul /* Return */})
        typeKey(keysym);
    pumpFor(100, [&] { frame->pumpEvents(); });
    EXPECT_STREQ(edit->getText(), "xb");
    EXPECT_FALSE(edit->isEditingText());
    EXPECT_EQ(listener.changes.size(), 1u);
    frame->close();
    EXPECT_EQ(errorCount, 0);
}

TEST_F(FrameWindow, HeadlessFrameHasNoTimersAndAFailedParentLeavesItHeadless) {
    auto* headless = new CFrame(CRect(0, 0, 10, 10), nullptr, nullptr);
    EXPECT_FALSE(headless->startWindowTimer(1, 50, [] {}));
    headless->close();
}

} // namespace
