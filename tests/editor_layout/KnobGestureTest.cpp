// Real pointer gestures on the seven knobs: what the host hears, what the effect stores and
// what the knob's display shows afterwards.
#include "LayoutFixture.h"

#include "toolkit/CKnob.h"
#include "toolkit/CParamDisplay.h"

namespace {

using namespace layout;

// Linear knob mode: 200 pixels of vertical travel cover the whole range.
constexpr float kPixelsPerRange = 200.0f;

void expectOneEdit(const std::vector<lyrehost::HostCall>& edits, std::int32_t tag) {
    ASSERT_GE(edits.size(), 3u) << "begin, at least one automate, end";
    EXPECT_EQ(edits.front().opcode, audioMasterBeginEdit);
    EXPECT_EQ(edits.front().index, tag);
    EXPECT_EQ(edits.back().opcode, audioMasterEndEdit);
    EXPECT_EQ(edits.back().index, tag);
    for (size_t i = 1; i + 1 < edits.size(); ++i) {
        EXPECT_EQ(edits[i].opcode, audioMasterAutomate) << i;
        EXPECT_EQ(edits[i].index, tag) << i;
    }
}

TEST_F(LayoutFixture, DraggingEachKnobAutomatesItsParameterAndItsDisplayFollows) {
    ASSERT_TRUE(openEditor());
    for (int slot = 0; slot < ADEditor::kNumKnobs; ++slot) {
        const KnobPlace& place = kKnobs[slot];
        SCOPED_TRACE("parameter " + std::to_string(place.tag));
        const float start = plugin.getParameter(place.tag);
        const int dy = start > 0.7f ? 40 : -40; // upwards raises the value
        const Pixels before = settledScreen();
        plugin.log().clear();

        const CPoint centre = place.knob.getCenter();
        drag(static_cast<int>(centre.x), static_cast<int>(centre.y), 0, dy);

        const float stored = plugin.getParameter(place.tag);
        EXPECT_NEAR(stored, start - static_cast<float>(dy) / kPixelsPerRange, 1e-5f);
        const auto edits = editCalls();
        expectOneEdit(edits, place.tag);
        if (edits.size() >= 3) {
            EXPECT_EQ(edits[edits.size() - 2].opt, stored);
        }
        EXPECT_EQ(knob(slot)->getValue(), stored);

        plugin.dispatch(effEditIdle);
        const float shown = place.tag == kOutput ? 4.0f * stored * stored : stored;
        EXPECT_NEAR(valueDisplay(slot)->getValue(), shown, 1e-6f);
        EXPECT_EQ(displayText(slot), expectedText(place.tag, stored));

        const Pixels after = settledScreen();
        EXPECT_GT(changedPixels(before, after, place.display), 0) << "new text drawn";
        EXPECT_GT(changedPixels(before, after, place.knob), 0) << "handle moved";
        for (int other = 0; other < ADEditor::kNumKnobs; ++other)
            if (other != slot) {
                EXPECT_EQ(changedPixels(before, after, kKnobs[other].display), 0) << other;
            }
    }
    EXPECT_EQ(errorCount, 0);
}

TEST_F(LayoutFixture, ControlClickSetsEachKnobsDefaultAndReportsIt) {
    ASSERT_TRUE(openEditor());
    for (int slot = 0; slot < ADEditor::kNumKnobs; ++slot) {
        const KnobPlace& place = kKnobs[slot];
        SCOPED_TRACE("parameter " + std::to_string(place.tag));
        plugin.setParameter(place.tag, 0.9f);
        idle(30);
        ASSERT_EQ(knob(slot)->getValue(), 0.9f);
        plugin.log().clear();

        const CPoint centre = place.knob.getCenter();
        controlClick(static_cast<int>(centre.x), static_cast<int>(centre.y));

        EXPECT_EQ(plugin.getParameter(place.tag), place.defaultValue);
        const auto edits = editCalls();
        expectOneEdit(edits, place.tag);
        ASSERT_EQ(edits.size(), 3u);
        EXPECT_EQ(edits[1].opt, place.defaultValue);
        EXPECT_EQ(knob(slot)->getValue(), place.defaultValue);
        EXPECT_EQ(displayText(slot), expectedText(place.tag, place.defaultValue));
    }

    // Already at its default (and away from the last press, so no double click): no report.
    plugin.log().clear();
    const CPoint decay = kKnobs[1].knob.getCenter();
    controlClick(static_cast<int>(decay.x) + 8, static_cast<int>(decay.y));
    EXPECT_EQ(plugin.log().count(audioMasterAutomate), 0u);
    EXPECT_EQ(plugin.getParameter(kDecay), 0.5f);
}

TEST_F(LayoutFixture, KnobsOpenInLinearModeSoAPlainClickDoesNotJump) {
    // A circular knob would jump to the angle of a press at its rim; the editor's open
    // switches every knob to the linear mode whatever the host set before.
    plugin.dispatch(effSetEditKnobMode, 0, 0);
    ASSERT_TRUE(openEditor());
    const float before = plugin.getParameter(kDamp);
    plugin.log().clear();
    click(parent, 228, 110); // lower left of the Damp knob: the start of a circular sweep
    idle(50);
    EXPECT_EQ(plugin.getParameter(kDamp), before);
    EXPECT_EQ(plugin.log().count(audioMasterAutomate), 0u);
    EXPECT_EQ(plugin.log().count(audioMasterBeginEdit), 1u);
    EXPECT_EQ(plugin.log().count(audioMasterEndEdit), 1u);
}

} // namespace
