// Mouse, key and redraw routing of a headless frame.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ToolkitTestSupport.h"
#include "toolkit/CFrame.h"

namespace {

class ProbeView : public CView {
  public:
    ProbeView(const CRect& size, std::vector<std::string>& log, std::string name,
              CMouseEventResult downResult = kMouseEventHandled)
        : CView(size), log(log), name(std::move(name)), downResult(downResult) {}
    CMouseEventResult onMouseDown(CPoint&, const CButtonState&) override {
        log.push_back(name + " down");
        return downResult;
    }
    CMouseEventResult onMouseUp(CPoint&, const CButtonState&) override {
        log.push_back(name + " up");
        return kMouseEventHandled;
    }
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState&) override {
        log.push_back(name + " moved " + std::to_string(static_cast<int>(where.x)));
        return kMouseEventHandled;
    }
    CMouseEventResult onMouseEntered(CPoint&, const CButtonState&) override {
        log.push_back(name + " entered");
        return kMouseEventHandled;
    }
    CMouseEventResult onMouseExited(CPoint&, const CButtonState&) override {
        log.push_back(name + " exited");
        return kMouseEventHandled;
    }
    int32_t onKeyDown(CKeyCode& key) override {
        log.push_back(name + " key " + std::to_string(key.character));
        return kKeyHandled;
    }
    void draw(CDrawContext* context) override {
        log.push_back(name + " draw");
        CView::draw(context);
    }

  private:
    std::vector<std::string>& log;
    std::string name;
    CMouseEventResult downResult;
};

struct FrameFixture : ::testing::Test {
    FrameFixture() : frame(new CFrame(CRect(0, 0, 100, 100), nullptr, &editor)) {}
    ~FrameFixture() override {
        if (frame) frame->close();
    }
    void down(CCoord x, CCoord y, int32_t buttons = kLButton) {
        CPoint p(x, y);
        frame->onMouseDown(p, buttons);
    }
    void move(CCoord x, CCoord y, int32_t buttons = 0) {
        CPoint p(x, y);
        frame->onMouseMoved(p, buttons);
    }
    void up(CCoord x, CCoord y) {
        CPoint p(x, y);
        frame->onMouseUp(p, kLButton);
    }
    RecordingEditor editor;
    std::vector<std::string> log;
    CFrame* frame;
};

TEST_F(FrameFixture, HandledPressKeepsMovesAndReleaseEvenOutsideTheView) {
    frame->addView(new ProbeView(CRect(10, 10, 30, 30), log, "a"));
    down(15, 15);
    move(80, 80, kLButton);
    up(80, 80);
    EXPECT_EQ(log, (std::vector<std::string>{"a down", "a moved 80", "a up"}));
}

TEST_F(FrameFixture, PressHandledWithoutFurtherEventsGetsNoMovesOrRelease) {
    frame->addView(new ProbeView(CRect(10, 10, 30, 30), log, "a",
                                 kMouseDownEventHandledButDontNeedMovedOrUpEvents));
    down(15, 15);
    move(16, 16, kLButton);
    up(16, 16);
    // Untracked: the view sees the move only as the view under the pointer, and no release.
    EXPECT_EQ(log, (std::vector<std::string>{"a down", "a entered", "a moved 16"}));
}

TEST_F(FrameFixture, TopmostViewGetsTheClickAndHoverEntersAndExits) {
    frame->addView(new ProbeView(CRect(0, 0, 50, 50), log, "under"));
    frame->addView(new ProbeView(CRect(20, 20, 40, 40), log, "over"));
    down(25, 25);
    up(25, 25);
    log.clear();
    move(5, 5);
    move(25, 25);
    move(60, 60);
    EXPECT_EQ(log, (std::vector<std::string>{"under entered", "under moved 5", "under exited",
                                             "over entered", "over moved 25", "over exited"}));
}

TEST_F(FrameFixture, ModalViewTakesAllMouseInputAndLetsGoWithoutReleasing) {
    frame->addView(new ProbeView(CRect(0, 0, 100, 100), log, "below"));
    auto* modal = new ProbeView(CRect(20, 20, 60, 60), log, "modal");
    ASSERT_TRUE(frame->setModalView(modal));
    auto* second = new ProbeView(CRect(), log, "second");
    EXPECT_FALSE(frame->setModalView(second)) << "a second modal view is refused";
    second->forget();
    down(30, 30);
    up(30, 30);
    down(90, 90); // outside the modal view: nobody below hears it
    EXPECT_EQ(log, (std::vector<std::string>{"modal down", "modal up"}));
    frame->setModalView(nullptr);
    EXPECT_EQ(modal->getNbReference(), 1) << "the frame released its hold without forgetting";
    EXPECT_FALSE(frame->isChild(modal));
    modal->forget();
    log.clear();
    down(90, 90);
    EXPECT_EQ(log, (std::vector<std::string>{"below down"}));
}

TEST_F(FrameFixture, KeysGoToTheFocusViewAndFocusIsLostByClickingElsewhere) {
    auto* focused = new ProbeView(CRect(0, 0, 10, 10), log, "f");
    frame->addView(focused);
    CKeyCode key{'x', 0, 0};
    EXPECT_EQ(frame->onKeyDown(key), kKeyNotHandled);
    frame->setFocusView(focused);
    EXPECT_EQ(frame->onKeyDown(key), kKeyHandled);
    down(50, 50);
    EXPECT_EQ(frame->getFocusView(), nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"f key 120"}));
}

TEST_F(FrameFixture, IdleInvalidatesOnlyDirtyViewsAndDrawingClearsThem) {
    auto* a = new ProbeView(CRect(10, 10, 20, 20), log, "a");
    auto* b = new ProbeView(CRect(60, 60, 70, 70), log, "b");
    frame->addView(a);
    frame->addView(b);
    Canvas canvas(100, 100);
    frame->drawInvalidArea(&canvas.context()); // the first full paint
    log.clear();
    EXPECT_TRUE(frame->getInvalidArea().isEmpty());

    b->setDirty();
    frame->idle();
    EXPECT_EQ(frame->getInvalidArea(), CRect(60, 60, 70, 70));
    frame->drawInvalidArea(&canvas.context());
    EXPECT_EQ(log, (std::vector<std::string>{"b draw"}));
    EXPECT_FALSE(b->isDirty());
    EXPECT_TRUE(frame->getInvalidArea().isEmpty());
    log.clear();
    frame->idle();
    EXPECT_TRUE(frame->getInvalidArea().isEmpty());
}

TEST_F(FrameFixture, CloseReleasesEveryViewIncludingTheModalOne) {
    auto* kept = new ProbeView(CRect(0, 0, 10, 10), log, "kept");
    kept->remember();
    frame->addView(kept);
    frame->setModalView(new ProbeView(CRect(0, 0, 50, 50), log, "modal"));
    frame->close();
    frame = nullptr;
    EXPECT_EQ(kept->getNbReference(), 1);
    EXPECT_FALSE(kept->isAttached());
    kept->forget();
}

TEST(KnobModeSetting, FrameAsksItsEditorElseTheGlobalMode) {
    RecordingEditor editor;
    editor.knobMode = kRelativCircularMode;
    auto* withEditor = new CFrame(CRect(0, 0, 10, 10), nullptr, &editor);
    auto* without = new CFrame(CRect(0, 0, 10, 10), nullptr, nullptr);
    CFrame::setGlobalKnobMode(kLinearMode);
    EXPECT_EQ(withEditor->getKnobMode(), kRelativCircularMode);
    EXPECT_EQ(without->getKnobMode(), kLinearMode);
    CFrame::setGlobalKnobMode(kCircularMode);
    withEditor->close();
    without->close();
}

} // namespace
