// Where the opened program menu lies: wholly inside the editor, every entry readable and
// clickable, whatever the names and wherever the menu sits.
#include <cmath>

#include "PresetBarFixture.h"
#include "toolkit/CFrame.h"

namespace {

using namespace presetbar;
using ProgramMenu = PresetBarWindow;

constexpr int kMenuX = 219, kMenuY = 244;
const CRect kEditor(0, 0, 320, 257);

bool inside(const CRect& inner, const CRect& outer) {
    return !inner.isEmpty() && inner.left >= outer.left && inner.top >= outer.top &&
           inner.right <= outer.right && inner.bottom <= outer.bottom;
}

// Text-coloured pixels in a band of columns of one entry (its first and last rows may be the
// list's border).
int textPixels(const std::vector<std::uint32_t>& pixels, const CRect& item, CCoord from,
               CCoord to) {
    int count = 0;
    for (auto y = static_cast<int>(item.top) + 1; y < static_cast<int>(item.bottom) - 1; ++y)
        for (auto x = static_cast<int>(from); x < static_cast<int>(to); ++x) {
            const CColor seen = colourOf(pixels[static_cast<size_t>(y * 320 + x)]);
            count += seen.red < 90 && seen.green < 90 && seen.blue < 90;
        }
    return count;
}

TEST_F(ProgramMenu, OpensAboveAndLeftOfTheMenuInsideTheEditor) {
    Lyrebloom& effect = newInstance();
    fillPrograms(effect, 0);
    openEditor(effect);
    COptionMenu* menu = editor->getProgramMenu();
    clickAt(kMenuX, kMenuY);
    ASSERT_TRUE(menu->isPopupOpen());
    const CRect list = menu->getPopupListRect();
    EXPECT_TRUE(inside(list, kEditor));
    // No room below the menu nor right of its left edge: up from its top, back from its right.
    EXPECT_EQ(list.bottom, menu->getViewSize().top);
    EXPECT_EQ(list.right, menu->getViewSize().right);
    for (int k = 0; k < kNumStoredPrograms; ++k)
        EXPECT_TRUE(inside(menu->getPopupEntryRect(k), list)) << "entry " << k;
    clickMenuEntry(5);
    EXPECT_EQ(effect.getCurrentProgramIndex(), 5);
    EXPECT_EQ(errorCount, 0);
}

TEST_F(ProgramMenu, WideNamesAreShownWholeAndEveryEntryIsClickable) {
    Lyrebloom& effect = newInstance();
    for (int k = 0; k < kNumStoredPrograms; ++k) {
        effect.selectProgram(k);
        effect.setCurrentProgramName((std::string(23, 'W') + std::to_string(k)).c_str());
    }
    effect.selectProgram(0);
    openEditor(effect);
    COptionMenu* menu = editor->getProgramMenu();

    for (int k = 0; k < kNumStoredPrograms; ++k) {
        clickAt(kMenuX, kMenuY);
        ASSERT_TRUE(menu->isPopupOpen());
        idle();
        const CRect list = menu->getPopupListRect();
        EXPECT_TRUE(inside(list, kEditor)) << "entry " << k;
        const std::vector<std::uint32_t> pixels = capture(parent, 320, 257);
        for (int entry = 0; entry < kNumStoredPrograms; ++entry) {
            const CRect item = menu->getPopupEntryRect(entry);
            ASSERT_TRUE(inside(item, list));
            // The title is drawn and ends before the entry does: nothing was cut off.
            EXPECT_GT(textPixels(pixels, item, item.left + 16, item.left + 40), 10);
            EXPECT_EQ(textPixels(pixels, item, item.right - 5, item.right - 2), 0)
                << "entry " << entry << " runs into its edge";
        }
        clickMenuEntry(k);
        EXPECT_FALSE(menu->isPopupOpen());
        EXPECT_EQ(effect.getCurrentProgramIndex(), k);
        EXPECT_EQ(fieldText(), std::string(23, 'W') + std::to_string(k));
    }
    EXPECT_EQ(errorCount, 0);
}

// Without a window: a long menu in either corner of the frame goes into columns and stays
// inside the frame.
TEST(MenuLayout, LongMenusInTheCornersStayInsideTheFrame) {
    for (const CRect& anchor : {CRect(4, 4, 14, 14), CRect(306, 243, 316, 253)}) {
        auto* frame = new CFrame(kEditor, nullptr, nullptr);
        auto* menu = new COptionMenu(anchor, nullptr, 1);
        for (int k = 0; k < 40; ++k)
            menu->addEntry(("Entry " + std::to_string(k)).c_str());
        menu->setNbItemsPerColumn(kMenuEntriesPerColumn);
        frame->addView(menu);
        CPoint where = anchor.getCenter();
        ASSERT_NE(menu->onMouseDown(where, CButtonState(kLButton)), kMouseEventNotHandled);
        const CRect list = menu->getPopupListRect();
        EXPECT_TRUE(inside(list, kEditor)) << "anchor " << anchor.left;
        for (int k = 0; k < 40; ++k) {
            const CRect item = menu->getPopupEntryRect(k);
            EXPECT_TRUE(inside(item, list)) << k;
            if (k > 0) {
                EXPECT_FALSE(item.rectOverlap(menu->getPopupEntryRect(k - 1))) << k;
            }
        }
        EXPECT_EQ(menu->getPopupEntryRect(16).left, menu->getPopupEntryRect(0).right)
            << "the seventeenth entry starts the second column";
        frame->close();
    }
}

} // namespace
