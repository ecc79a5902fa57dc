// ADEditor linked in, in a real parent window: the refresh timer and repeated opening.
#include "XDisplayFixture.h"
#include "editor/ADEditor.h"
#include "editor/CAbout.h"
#include "shell/AudioEffectX.h"
#include "toolkit/CFrame.h"

namespace {

VstIntPtr VSTCALLBACK quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

using EditorInWindow = XDisplayFixture;

TEST_F(EditorInWindow, RefreshTimerRedrawsWhenTheHostOnlyPumpsEvents) {
    createParentWindow(320, 257);
    AudioEffectX effect(quietHost, 1, 8);
    auto* editor = new ADEditor(&effect);
    ASSERT_TRUE(editor->open(reinterpret_cast<void*>(parent)));
    pumpFor(100, [&] { editor->idle(); });
    CAbout* about = editor->getAboutControl();
    about->setDirty();
    // Only the window's event pump runs: the frame idles through the 50 ms timer alone.
    pumpFor(150, [&] { editor->getFrame()->pumpEvents(); });
    EXPECT_FALSE(about->isDirty());
    editor->close();
    EXPECT_EQ(errorCount, 0);
}

TEST_F(EditorInWindow, EveryOpenBuildsAFreshChildWindow) {
    createParentWindow(320, 257);
    AudioEffectX effect(quietHost, 1, 8);
    auto* editor = new ADEditor(&effect);
    for (int round = 0; round < 5; ++round) {
        ASSERT_TRUE(editor->open(reinterpret_cast<void*>(parent)));
        EXPECT_EQ(editor->getParentWindow(), reinterpret_cast<void*>(parent));
        ASSERT_NE(editor->getFrame()->getSystemWindow(), nullptr);
        sync();
        EXPECT_EQ(childCount(parent), 1);
        pumpFor(30, [&] { editor->idle(); });
        editor->close();
        sync();
        EXPECT_EQ(childCount(parent), 0);
    }
    EXPECT_EQ(errorCount, 0);
}

} // namespace
