// Starting a file selector and getting its answer later: the contract both platforms' dialogs
// keep, checked with stand-in selectors on a frame without a window.
#include <gtest/gtest.h>

#include "toolkit/CFrame.h"
#include "toolkit/CNewFileSelector.h"

namespace {

struct Seen {
    int deliveries = 0;
    bool confirmed = false;
    std::string file;
    bool destroyed = false;
    bool nestedStartRefused = false;
};

// Answers inside runModalInternal, as a dialog with its own message loop does.
class ModalSelector : public CNewFileSelector {
  public:
    ModalSelector(CFrame* frame, Seen& seen, std::string answer)
        : CNewFileSelector(frame, kSelectFile), seen(seen), answer(std::move(answer)) {}
    ~ModalSelector() override { seen.destroyed = true; }

  protected:
    bool runModalInternal() override {
        // While it is up, no second dialog starts on the same frame.
        Seen otherSeen;
        auto* other = new ModalSelector(frame, otherSeen, "");
        seen.nestedStartRefused = isDialogRunning(frame) && !other->runAsync({});
        other->forget();
        seen.nestedStartRefused = seen.nestedStartRefused && otherSeen.destroyed;
        if (answer.empty()) return false;
        selected.push_back(answer);
        return true;
    }

  private:
    Seen& seen;
    std::string answer;
};

// Answers when told to, from the idle pass, as the child-process dialog does.
class LaterSelector : public CNewFileSelector {
  public:
    LaterSelector(CFrame* frame, Seen& seen)
        : CNewFileSelector(frame, kSelectSaveFile), seen(seen) {}
    ~LaterSelector() override { seen.destroyed = true; }
    bool answerReady = false;
    int cancels = 0;

  protected:
    bool runModalInternal() override { return false; }
    bool startInternal() override { return true; }
    void pollInternal() override {
        if (!answerReady) return;
        selected.push_back("/later/file.zeb");
        finish(true);
    }
    void cancelInternal() override { ++cancels; }

  private:
    Seen& seen;
};

CNewFileSelector::Callback recordInto(Seen& seen) {
    return [&seen](CNewFileSelector* selector, bool confirmed) {
        ++seen.deliveries;
        seen.confirmed = confirmed;
        if (confirmed) seen.file = selector->getSelectedFile(0);
    };
}

TEST(FileSelectorRun, ModalDialogDeliversBeforeRunAsyncReturns) {
    auto* frame = new CFrame(CRect(0, 0, 320, 257), nullptr, nullptr);
    Seen chosen, cancelled;
    auto* selector = new ModalSelector(frame, chosen, "/a/b.zem");
    EXPECT_TRUE(selector->runAsync(recordInto(chosen)));
    EXPECT_EQ(chosen.deliveries, 1);
    EXPECT_TRUE(chosen.confirmed);
    EXPECT_EQ(chosen.file, "/a/b.zem");
    EXPECT_TRUE(chosen.nestedStartRefused);
    EXPECT_FALSE(CNewFileSelector::isDialogRunning(frame));
    selector->forget();
    EXPECT_TRUE(chosen.destroyed);

    auto* refusing = new ModalSelector(frame, cancelled, "");
    EXPECT_TRUE(refusing->runAsync(recordInto(cancelled)));
    refusing->forget();
    EXPECT_EQ(cancelled.deliveries, 1);
    EXPECT_FALSE(cancelled.confirmed);
    frame->close();
}

TEST(FileSelectorRun, LaterAnswerComesFromTheIdlePassOnceAndClosingDropsIt) {
    auto* frame = new CFrame(CRect(0, 0, 320, 257), nullptr, nullptr);
    Seen seen;
    auto* selector = new LaterSelector(frame, seen);
    ASSERT_TRUE(selector->runAsync(recordInto(seen)));
    selector->forget(); // the running dialog keeps itself
    EXPECT_FALSE(seen.destroyed);
    EXPECT_TRUE(CNewFileSelector::isDialogRunning(frame));
    EXPECT_TRUE(frame->isInputBlocked());
    frame->idle();
    EXPECT_EQ(seen.deliveries, 0);

    // A second selector on the same frame does not start meanwhile.
    Seen second;
    auto* other = new LaterSelector(frame, second);
    EXPECT_FALSE(other->runAsync(recordInto(second)));
    other->forget();
    EXPECT_TRUE(second.destroyed);

    selector->answerReady = true;
    frame->idle();
    EXPECT_EQ(seen.deliveries, 1);
    EXPECT_EQ(seen.file, "/later/file.zeb");
    EXPECT_TRUE(seen.destroyed);
    EXPECT_FALSE(frame->isInputBlocked());
    frame->idle();
    EXPECT_EQ(seen.deliveries, 1);

    // Closing the frame ends a dialog still up, delivering nothing.
    Seen dropped;
    auto* pending = new LaterSelector(frame, dropped);
    ASSERT_TRUE(pending->runAsync(recordInto(dropped)));
    pending->forget();
    frame->close();
    EXPECT_TRUE(dropped.destroyed);
    EXPECT_EQ(dropped.deliveries, 0);
}

} // namespace
