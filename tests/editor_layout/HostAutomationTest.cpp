// Host automation on another thread while the user-interface thread idles the editor: the
// controls are only ever touched on the idling thread, and they end on the final values.
#include "LayoutFixture.h"

#include <atomic>
#include <cmath>
#include <thread>

#include "editor/CLED.h"
#include "toolkit/CButtons.h"
#include "toolkit/CKnob.h"
#include "toolkit/CParamDisplay.h"

namespace {

using namespace layout;

constexpr int kMinRounds = 3000;
constexpr int kMinIdles = 50;

// A value for every round and parameter that keeps changing; Bypass alternates.
float valueAt(int round, std::int32_t index) {
    if (index == kBypass) return (round + index) % 2 ? 0.8f : 0.2f;
    return static_cast<float>(std::fmod(0.137 * round + 0.11 * index, 1.0));
}

TEST_F(LayoutFixture, HostAutomationFromAnotherThreadEndsOnTheFinalValues) {
    ASSERT_TRUE(openEditor());
    std::atomic<bool> done{false};
    std::atomic<int> idles{0};
    int rounds = 0;
    // Writes on until the editor has idled a good many times in between.
    std::thread host([&] {
        while (rounds < kMinRounds || idles.load() < kMinIdles) {
            for (std::int32_t index = 0; index < kNumParams; ++index)
                plugin.setParameter(index, valueAt(rounds, index));
            ++rounds;
        }
        done.store(true);
    });
    while (!done.load()) {
        plugin.dispatch(effEditIdle);
        ++idles;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    host.join();
    plugin.dispatch(effEditIdle);
    const int lastRound = rounds - 1;

    for (int slot = 0; slot < ADEditor::kNumKnobs; ++slot) {
        const std::int32_t tag = kKnobs[slot].tag;
        const float last = valueAt(lastRound, tag);
        SCOPED_TRACE("parameter " + std::to_string(tag));
        ASSERT_EQ(plugin.getParameter(tag), last);
        EXPECT_EQ(knob(slot)->getValue(), last);
        EXPECT_EQ(displayText(slot), expectedText(tag, last));
    }
    const float bypass = valueAt(lastRound, kBypass) > 0.5f ? 1.0f : 0.0f;
    EXPECT_EQ(editor()->getBypassSwitch()->getValue(), bypass);
    EXPECT_EQ(editor()->getBypassLED()->getValue(), bypass);

    // The screen shows those values too: the same pixels as an editor opened on them.
    const Pixels followed = settledScreen();
    closeEditor();
    ASSERT_TRUE(openEditor());
    EXPECT_EQ(changedPixels(followed, screen(), CRect(0, 0, kWidth, kHeight)), 0);
    EXPECT_EQ(errorCount, 0);
}

} // namespace
