// The name field as typed into: the whole name selected on opening, the editing keys, and
// names wider than the field.
#include <X11/keysym.h>

#include <cmath>

#include "PresetBarFixture.h"

namespace {

using namespace presetbar;
// Keys typed one at a time, each seen by the editor before the next check (lower case:
// XTest types the unshifted key of a keysym).
class NameField : public PresetBarWindow {
  protected:
    void key(unsigned long keysym) {
        typeKey(keysym);
        idle(20);
    }
    void type(const std::string& text) {
        typeText(text);
        idle(20);
    }
};

constexpr int kFieldX = 150, kFieldY = 240;
constexpr CColor kSelectionBand{60, 110, 180, 255};
const std::string kWideName(24, 'W');

bool sameColour(std::uint32_t pixel, const CColor& colour) {
    const CColor seen = colourOf(pixel);
    return seen.red == colour.red && seen.green == colour.green && seen.blue == colour.blue;
}

int countInside(const std::vector<std::uint32_t>& pixels, const CRect& box, const CColor& colour) {
    int count = 0;
    for (auto y = static_cast<int>(box.top); y < static_cast<int>(box.bottom); ++y)
        for (auto x = static_cast<int>(box.left); x < static_cast<int>(box.right); ++x)
            count += sameColour(pixels[static_cast<size_t>(y * 320 + x)], colour);
    return count;
}

TEST_F(NameField, ClickSelectsTheWholeNameAndTypingReplacesIt) {
    Lyrebloom& effect = newInstance();
    fillPrograms(effect, 2);
    openEditor(effect);
    CTextEdit* field = editor->getNameField();
    const CRect box = field->getViewSize();
    EXPECT_EQ(countInside(capture(parent, 320, 257), box, kSelectionBand), 0);

    clickAt(kFieldX, kFieldY);
    ASSERT_TRUE(field->isEditingText());
    EXPECT_EQ(field->getSelectionStart(), 0u);
    EXPECT_EQ(field->getSelectionEnd(), 9u);
    EXPECT_GT(countInside(capture(parent, 320, 257), box, kSelectionBand), 100)
        << "the selection is drawn";

    type("my bloom");
    EXPECT_EQ(fieldText(), "my bloom");
    EXPECT_EQ(nameOf(effect.programs()[2]), "Program 2") << "nothing committed yet";
    key(XK_Return);
    EXPECT_FALSE(field->isEditingText());
    EXPECT_EQ(nameOf(effect.programs()[2]), "my bloom");
    EXPECT_EQ(menuTitle(2), "my bloom");
    EXPECT_EQ(countInside(capture(parent, 320, 257), box, kSelectionBand), 0);
    EXPECT_EQ(errorCount, 0);
}

TEST_F(NameField, ArrowsHomeEndShiftBackspaceAndDeleteEdit) {
    Lyrebloom& effect = newInstance();
    fillPrograms(effect, 1);
    openEditor(effect);
    CTextEdit* field = editor->getNameField();

    clickAt(kFieldX, kFieldY);
    key(XK_Right); // leaves the selection at its end
    EXPECT_EQ(field->getCaret(), 9u);
    EXPECT_EQ(field->getSelectionStart(), field->getSelectionEnd());
    key(XK_BackSpace);
    EXPECT_EQ(fieldText(), "Program ");
    key(XK_Home);
    key(XK_Delete);
    EXPECT_EQ(fieldText(), "rogram ");
    type("p");
    key(XK_End);
    type("x");
    EXPECT_EQ(fieldText(), "program x");
    key(XK_Left);
    key(XK_Left);
    type("-");
    EXPECT_EQ(fieldText(), "program- x");
    withHeld(HeldKey::shift, [&] { key(XK_Home); });
    EXPECT_EQ(field->getSelectionStart(), 0u);
    EXPECT_EQ(field->getSelectionEnd(), 8u);
    type("a");
    EXPECT_EQ(fieldText(), "a x");
    key(XK_Return);
    EXPECT_EQ(nameOf(effect.programs()[1]), "a x");

    // Escape gives back the name the edit started from.
    clickAt(kFieldX, kFieldY);
    type("lost");
    key(XK_Escape);
    EXPECT_FALSE(field->isEditingText());
    EXPECT_EQ(fieldText(), "a x");
    EXPECT_EQ(nameOf(effect.programs()[1]), "a x");
    EXPECT_EQ(errorCount, 0);
}

TEST_F(NameField, LongNameShowsItsStartAndKeepsTheCaretInView) {
    Lyrebloom& effect = newInstance();
    effect.setCurrentProgramName(kWideName.c_str());
    openEditor(effect);
    CTextEdit* field = editor->getNameField();
    const CRect area = field->getTextArea();
    const CRect box = field->getViewSize();

    // Wider than the field: shown from its first letter, not centred past both edges.
    EXPECT_EQ(field->getDrawnTextLeft(), std::round(area.left));

    const auto expectCaretVisible = [&](const char* when) {
        idle();
        const CCoord x = field->getDrawnCaretX();
        EXPECT_GE(x, area.left) << when;
        EXPECT_LT(x, area.right) << when;
        // The caret is drawn there: a full column of the text colour.
        const std::vector<std::uint32_t> pixels = capture(parent, 320, 257);
        const CRect column(std::floor(x), box.top + 3, std::floor(x) + 1, box.bottom - 3);
        EXPECT_EQ(countInside(pixels, column, kNameText), static_cast<int>(column.getHeight()))
            << when;
    };

    clickAt(kFieldX, kFieldY);
    key(XK_End);
    expectCaretVisible("at the end of the name");
    EXPECT_LT(field->getDrawnTextLeft(), area.left) << "scrolled to show the end";

    key(XK_Home);
    expectCaretVisible("at the start");
    EXPECT_EQ(field->getDrawnTextLeft(), std::round(area.left));

    key(XK_End);
    for (int i = 0; i < 3; ++i)
        key(XK_BackSpace);
    type("mmm");
    expectCaretVisible("after typing at the end");
    for (int i = 0; i < 12; ++i)
        key(XK_Left);
    expectCaretVisible("moved back into the hidden start");

    key(XK_Return);
    EXPECT_EQ(nameOf(effect.programs()[0]), std::string(21, 'W') + "mmm");
    EXPECT_EQ(field->getDrawnTextLeft(), std::round(area.left)) << "start shown again";
    EXPECT_EQ(errorCount, 0);
}

} // namespace
