// The editor base layer and ADEditor against a recording effect, with a headless frame.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

#include "ToolkitTestSupport.h"
#include "editor/ADEditor.h"
#include "editor/CAbout.h"
#include "shell/AEffGUIEditor.h"
#include "shell/AudioEffectX.h"
#include "toolkit/CFrame.h"

namespace {

struct HostCallRecord {
    VstInt32 opcode;
    VstInt32 index;
    float opt;
};

std::vector<HostCallRecord> hostCalls;
std::function<void()> onHostIdle;

VstIntPtr VSTCALLBACK recordingHost(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void*,
                                    float opt) {
    if (opcode == audioMasterVersion) return kVstVersion;
    hostCalls.push_back({opcode, index, opt});
    if (opcode == audioMasterIdle && onHostIdle) onHostIdle();
    return 0;
}

class RecordingEffect : public AudioEffectX {
  public:
    RecordingEffect() : AudioEffectX(recordingHost, 1, 8) {}
    void setParameter(VstInt32 index, float value) override {
        if (index >= 0 && index < 8) params[index] = value;
    }
    float getParameter(VstInt32 index) override { return params[index]; }
    float params[8] = {};
};

std::vector<uint32_t> ticks;
std::vector<uint32_t> sleeps;
uint32_t scriptedTick() {
    const uint32_t now = ticks.front();
    if (ticks.size() > 1) ticks.erase(ticks.begin());
    return now;
}
void recordSleep(uint32_t ms) {
    sleeps.push_back(ms);
}

// A plain glue editor with a headless frame holding one view that is always dirty.
class GlueEditor : public AEffGUIEditor {
  public:
    using AEffGUIEditor::AEffGUIEditor;
    void openHeadless() {
        AEffGUIEditor::open(nullptr);
        frame = new CFrame(CRect(0, 0, 50, 50), nullptr, this);
        probe = new CView(CRect(10, 10, 20, 20));
        frame->addView(probe);
    }
    // Whether the last idle reached the frame: a dirty view gets invalidated.
    bool frameIdled() {
        const bool idled = !frame->getInvalidArea().isEmpty();
        frame->drawInvalidArea(&canvas->context());
        probe->setDirty();
        return idled;
    }
    std::unique_ptr<Canvas> canvas = std::make_unique<Canvas>(50, 50);
    CView* probe = nullptr;
};

struct EditorGlue : ::testing::Test {
    EditorGlue() {
        hostCalls.clear();
        sleeps.clear();
        onHostIdle = nullptr;
        ticks = {1000};
        AEffGUIEditor::setTickSource(scriptedTick);
        AEffGUIEditor::setSleeper(recordSleep);
    }
    ~EditorGlue() override {
        AEffGUIEditor::setTickSource(nullptr);
        AEffGUIEditor::setSleeper(nullptr);
    }
    size_t count(VstInt32 opcode) const {
        size_t n = 0;
        for (const auto& call : hostCalls)
            n += call.opcode == opcode;
        return n;
    }
    RecordingEffect effect;
};

TEST_F(EditorGlue, IdleStuffWaitsUntilCloseToTheNextTime) {
    auto* editor = new GlueEditor(&effect); // next idle-stuff time: 1000
    editor->openHeadless();
    editor->frameIdled();

    ticks = {945}; // 55 ms early: sleeps, then gives up
    editor->doIdleStuff();
    EXPECT_EQ(sleeps, std::vector<uint32_t>{4});
    EXPECT_FALSE(editor->frameIdled());
    EXPECT_EQ(count(audioMasterIdle), 0u);

    ticks = {946}; // 54 ms early: after the sleep it is within 50 ms
    editor->doIdleStuff();
    EXPECT_EQ(sleeps.size(), 2u);
    EXPECT_TRUE(editor->frameIdled());
    EXPECT_EQ(count(audioMasterIdle), 1u);

    ticks = {1049}; // next is 950 + 100 = 1050: 1 ms early
    editor->doIdleStuff();
    EXPECT_EQ(count(audioMasterIdle), 2u);
    ticks = {1099}; // next is 1053 + 100: 54 ms early again
    editor->doIdleStuff();
    EXPECT_EQ(count(audioMasterIdle), 3u);
}

TEST_F(EditorGlue, IdleStuffTickArithmeticWrapsAround) {
    ticks = {0xFFFFFFF0u};
    auto* editor = new GlueEditor(&effect);
    editor->openHeadless();
    ticks = {0xFFFFFFF0u};
    editor->doIdleStuff(); // on time: the next time wraps to 0x54
    EXPECT_TRUE(sleeps.empty());
    EXPECT_EQ(count(audioMasterIdle), 1u);
    ticks = {0x10}; // after the wrap, 0x44 early: still too early after the sleep
    editor->doIdleStuff();
    EXPECT_EQ(count(audioMasterIdle), 1u);
    ticks = {0x20}; // 0x34 early: within reach after the sleep
    editor->doIdleStuff();
    EXPECT_EQ(count(audioMasterIdle), 2u);
    EXPECT_EQ(sleeps.size(), 2u);
}

TEST_F(EditorGlue, HostIdleReenteringDuringIdleStuffIsIgnored) {
    auto* editor = new GlueEditor(&effect);
    editor->openHeadless();
    editor->frameIdled();
    bool reentrantIdleReachedFrame = true;
    onHostIdle = [&] {
        editor->frameIdled(); // forget what the pass itself did
        effect.dispatcher(effEditIdle, 0, 0, nullptr, 0);
        reentrantIdleReachedFrame = editor->frameIdled();
    };
    editor->doIdleStuff();
    EXPECT_FALSE(reentrantIdleReachedFrame);
    onHostIdle = nullptr;
    effect.dispatcher(effEditIdle, 0, 0, nullptr, 0);
    EXPECT_TRUE(editor->frameIdled());
}

TEST_F(EditorGlue, IdleWithoutAFrameDoesNothingAndKeysAreNotTaken) {
    auto* editor = new GlueEditor(&effect);
    editor->idle();
    VstKeyCode key{'a', 0, 0};
    EXPECT_FALSE(editor->onKeyDown(key));
    EXPECT_EQ(effect.dispatcher(effEditKeyDown, 'a', 0, nullptr, 0), 0);
}

TEST_F(EditorGlue, GesturesReachTheHostWithTheTag) {
    auto* editor = new GlueEditor(&effect);
    editor->beginEdit(1012);
    editor->endEdit(3);
    ASSERT_EQ(hostCalls.size(), 2u);
    EXPECT_EQ(hostCalls[0].opcode, audioMasterBeginEdit);
    EXPECT_EQ(hostCalls[0].index, 1012);
    EXPECT_EQ(hostCalls[1].opcode, audioMasterEndEdit);
    EXPECT_EQ(hostCalls[1].index, 3);
}

TEST_F(EditorGlue, KeysReachTheFocusedView) {
    auto* editor = new GlueEditor(&effect);
    editor->openHeadless();
    struct KeyTaker : CView {
        KeyTaker() : CView(CRect(0, 0, 5, 5)) {}
        int32_t onKeyDown(CKeyCode& key) override {
            return key.character == 'k' ? kKeyHandled : kKeyNotHandled;
        }
    };
    auto* taker = new KeyTaker;
    editor->getFrame()->addView(taker);
    editor->getFrame()->setFocusView(taker);
    EXPECT_EQ(effect.dispatcher(effEditKeyDown, 'k', 0, nullptr, 0), 1);
    EXPECT_EQ(effect.dispatcher(effEditKeyDown, 'x', 0, nullptr, 0), 0);
}

TEST_F(EditorGlue, EditorRectIsAnsweredBeforeAnyOpen) {
    new ADEditor(&effect);
    EXPECT_NE(effect.getAeffect()->flags & effFlagsHasEditor, 0);
    ERect* rect = nullptr;
    ASSERT_EQ(effect.dispatcher(effEditGetRect, 0, 0, &rect, 0), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(rect->left, 0);
    EXPECT_EQ(rect->bottom, 257);
    EXPECT_EQ(rect->right, 320);
}

TEST_F(EditorGlue, HostKnobModeHoldsUntilTheNextOpenSetsLinear) {
    auto* editor = new ADEditor(&effect);
    EXPECT_EQ(effect.dispatcher(effSetEditKnobMode, 0, 1, nullptr, 0), 1);
    EXPECT_EQ(editor->getKnobMode(), 1);
    ASSERT_TRUE(editor->open(nullptr));
    EXPECT_EQ(editor->getKnobMode(), kLinearMode);
    editor->close();
}

TEST_F(EditorGlue, OpenBuildsTheFrameWithTheAboutAreaAndCloseLetsGo) {
    auto* editor = new ADEditor(&effect);
    for (int round = 0; round < 3; ++round) {
        ASSERT_TRUE(editor->open(nullptr));
        CFrame* frame = editor->getFrame();
        ASSERT_NE(frame, nullptr);
        EXPECT_TRUE(frame->isTypeOf("CFrame"));
        EXPECT_EQ(frame->getViewSize(), CRect(0, 0, 320, 257));
        ASSERT_NE(frame->getBackground(), nullptr);
        EXPECT_EQ(frame->getBackground()->getResourceId(), 1128);
        CAbout* about = editor->getAboutControl();
        ASSERT_NE(about, nullptr);
        EXPECT_EQ(about->getTag(), 10);
        EXPECT_EQ(about->getViewSize(), CRect(50, 10, 280, 47));
        EXPECT_EQ(about->getSplashRect(), CRect(30, 10, 290, 214));
        EXPECT_EQ(about->getVersionPosition(), CPoint(172, 80));
        ASSERT_NE(about->getBackground(), nullptr);
        EXPECT_EQ(about->getBackground()->getResourceId(), 1200);
        CPoint click(100, 30);
        frame->onMouseDown(click, kLButton);
        EXPECT_NE(frame->getModalView(), nullptr);
        editor->close(); // with the picture open: nothing may leak
        EXPECT_EQ(editor->getFrame(), nullptr);
        EXPECT_EQ(editor->getAboutControl(), nullptr);
    }
    EXPECT_EQ(count(audioMasterAutomate), 0u) << "the about screen never reaches the host";
}

TEST_F(EditorGlue, ParameterTagsReachTheEffectAndTheHostOthersDoNot) {
    auto* editor = new ADEditor(&effect);
    CControl knob(CRect(), editor, 3);
    knob.setValue(0.75f);
    editor->valueChanged(&knob);
    CControl about(CRect(), editor, 10);
    about.setValue(1.0f);
    editor->valueChanged(&about);
    CControl preset(CRect(), editor, 1001);
    editor->valueChanged(&preset);
    EXPECT_EQ(effect.params[3], 0.75f);
    ASSERT_EQ(count(audioMasterAutomate), 1u);
    EXPECT_EQ(hostCalls.back().index, 3);
    EXPECT_EQ(hostCalls.back().opt, 0.75f);
}

TEST_F(EditorGlue, CloseWithoutOpenAndIdleWhenClosedAreHarmless) {
    auto* editor = new ADEditor(&effect);
    effect.dispatcher(effEditClose, 0, 0, nullptr, 0);
    effect.dispatcher(effEditIdle, 0, 0, nullptr, 0);
    EXPECT_EQ(editor->getFrame(), nullptr);
}

} // namespace

// The entry a plug-in interface calls with its host's scale: nearest supported factor, the
// rectangle follows, and an open editor keeps its size when the host refuses the new one.
TEST(EditorGlueScale, HostScaleSetsTheRectangleUnlessTheOpenWindowCannotGrow) {
    hostCalls.clear();
    RecordingEffect effect;
    struct ScaledEditor : GlueEditor {
        using GlueEditor::GlueEditor;
        void sizeFor100(int w, int h) { setUnscaledSize(w, h); }
        double screenScaleFactor() const override { return 0; }
    };
    auto* editor = new ScaledEditor(&effect);
    editor->sizeFor100(320, 257);
    ERect* rect = nullptr;
    editor->getRect(&rect);
    EXPECT_EQ(rect->right, 320);

    EXPECT_TRUE(editor->setHostScaleFactor(1.5));
    EXPECT_EQ(rect->right, 480);
    EXPECT_EQ(rect->bottom, 386);
    EXPECT_TRUE(editor->setHostScaleFactor(1.3)); // the nearest factor: 125 %
    EXPECT_EQ(editor->getScaleFactor(), 1.25);
    EXPECT_EQ(rect->right, 400);

    editor->openHeadless();
    EXPECT_FALSE(editor->setHostScaleFactor(2)); // this host answers 0 to audioMasterSizeWindow
    EXPECT_EQ(editor->getScaleFactor(), 1.25);
    EXPECT_EQ(rect->right, 400);
    ASSERT_FALSE(hostCalls.empty());
    EXPECT_EQ(hostCalls.back().opcode, audioMasterSizeWindow);
    EXPECT_EQ(hostCalls.back().index, 640);
    editor->close();
}

// A move to a screen of another density: Automatic asks the host for the new size on the next
// idle pass once the window system has said so, and keeps its size when the host refuses.
TEST(EditorGlueScale, AutomaticAsksForTheNewScreensSizeOnceTheWindowSystemSaysItChanged) {
    hostCalls.clear();
    RecordingEffect effect;
    struct MovingEditor : GlueEditor {
        using GlueEditor::GlueEditor;
        void sizeFor100(int w, int h) { setUnscaledSize(w, h); }
        double screenScaleFactor() const override { return screen; }
        double screen = 1;
    };
    auto sizeRequests = [] {
        return std::count_if(hostCalls.begin(), hostCalls.end(), [](const HostCallRecord& c) {
            return c.opcode == audioMasterSizeWindow;
        });
    };
    auto* editor = new MovingEditor(&effect);
    editor->sizeFor100(320, 257);
    editor->openHeadless();
    editor->screen = 1.5;
    editor->idle();
    EXPECT_EQ(sizeRequests(), 0);

    editor->getFrame()->onScreenScaleChanged();
    editor->idle();
    ASSERT_EQ(sizeRequests(), 1);
    EXPECT_EQ(hostCalls.back().index, 480);   // 320 x 257 at 150 %
    EXPECT_EQ(editor->getScaleFactor(), 1.0); // this host answers 0: refused
    editor->idle();
    EXPECT_EQ(sizeRequests(), 1); // asked once per word from the window system
    editor->close();
}
