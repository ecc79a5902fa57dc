// What open puts on the frame and what close leaves behind.
#include "PresetBarFixture.h"
#include "editor/CNotice.h"
#include "editor/CPSKickButton.h"
#include "editor/CPSRockerSwitch.h"
#include "editor/CSaveLoadButton.h"
#include "toolkit/CBitmap.h"
#include "toolkit/CFrame.h"

namespace {

using namespace presetbar;
using PresetBarLayout = PresetBarWindow;

struct Expected {
    std::int32_t tag;
    CRect rect;
    const char* type;
    CCoord imageHeight; // 0 for the field and the menu
};

// Frame order after the seventeen controls of the editor itself.
const Expected kOrder[] = {
    {1000, CRect(96, 233, 212, 248), "CTextEdit", 0},
    {1012, CRect(214, 237, 224, 251), "COptionMenu", 0},
    {1001, CRect(230, 234, 261, 248), "CRockerSwitch", 14},
    {1002, CRect(76, 241, 88, 255), "CKickButton", 14},
    {1003, CRect(11, 241, 23, 255), "CKickButton", 14},
    {1013, CRect(32, 243, 69, 253), "CKickButton", 10},
    {1004, CRect(76, 226, 88, 240), "CKickButton", 14},
    {1005, CRect(11, 226, 23, 240), "CKickButton", 14},
    {1014, CRect(27, 229, 74, 239), "CKickButton", 10},
    {1017, CRect(293, 226, 305, 240), "CKickButton", 14},
    {1015, CRect(269, 226, 281, 240), "CKickButton", 14},
    {1018, CRect(293, 241, 305, 253), "CKickButton", 14},
    {1016, CRect(269, 241, 281, 253), "CKickButton", 14},
};
constexpr int kEditorOwnControls = 17;

CCoord imageHeightOf(CView* view) {
    if (auto* kick = dynamic_cast<CKickButton*>(view)) return kick->getHeightOfOneImage();
    if (auto* rocker = dynamic_cast<CRockerSwitch*>(view)) return rocker->getHeightOfOneImage();
    return 0;
}

TEST_F(PresetBarLayout, OpenAddsThirteenControlsInDrawingOrderAboveTheEditor) {
    Lyrebloom& effect = newInstance();
    fillPrograms(effect, 4);
    ADEditor& e = openEditor(effect);
    CFrame* frame = e.getFrame();
    // Then the refusal notice, hidden, drawn over everything it covers.
    ASSERT_EQ(frame->getNbViews(), kEditorOwnControls + 13 + 1);
    CView* notice = frame->getView(kEditorOwnControls + 13);
    EXPECT_EQ(notice, static_cast<CView*>(e.getNotice()));
    EXPECT_FALSE(notice->isVisible());
    EXPECT_FALSE(notice->getMouseEnabled());
    for (int i = 0; i < 13; ++i) {
        SCOPED_TRACE(kOrder[i].tag);
        auto* control = dynamic_cast<CControl*>(frame->getView(kEditorOwnControls + i));
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->getTag(), kOrder[i].tag);
        EXPECT_EQ(control->getViewSize(), kOrder[i].rect);
        EXPECT_TRUE(control->isTypeOf(kOrder[i].type));
        EXPECT_EQ(control->getListener(), static_cast<CControlListener*>(&e));
        EXPECT_EQ(imageHeightOf(control), kOrder[i].imageHeight);
        EXPECT_EQ(e.getPresetControl(kOrder[i].tag), control);
    }
    EXPECT_EQ(e.getPresetRect(kNameFieldSlot), CRect(96, 233, 212, 248));
    EXPECT_NE(dynamic_cast<CPSRockerSwitch*>(e.getPresetControl(kRockerTag)), nullptr);
    EXPECT_NE(dynamic_cast<CSaveLoadButton*>(e.getPresetControl(kLoadBankTag)), nullptr);
    EXPECT_NE(dynamic_cast<CPSKickButton*>(e.getPresetControl(kStoreBTag)), nullptr);

    CTextEdit* field = e.getNameField();
    EXPECT_STREQ(field->getText(), "Program 4");
    EXPECT_EQ(field->getBackOffset(), CPoint(96, 233));
    EXPECT_EQ(field->getFont().getSize(), 11);
    EXPECT_EQ(field->getFontColor(), CColor(36, 36, 32, 255));
    EXPECT_EQ(field->getBackground()->getResourceId(), 1128);

    COptionMenu* menu = e.getProgramMenu();
    EXPECT_EQ(menu->getStyle(), 0x1E00);
    EXPECT_EQ(menu->getNbItemsPerColumn(), 16);
    EXPECT_EQ(menu->getBackOffset(), CPoint(214, 237));
    ASSERT_EQ(menu->getNbEntries(), 6);
    for (int k = 0; k < 6; ++k)
        EXPECT_EQ(menuTitle(k), "Program " + std::to_string(k));
    EXPECT_EQ(menu->getCurrent(), 4);

    // Only the frame holds the bar's bitmaps: the editor released its own references.
    EXPECT_EQ(e.getPresetControl(kRecallATag)->getBackground()->getNbReference(), 1);
    EXPECT_EQ(errorCount, 0);
}

TEST_F(PresetBarLayout, CloseDropsTheControlsAndTheTimerAndReopeningBuildsThemAfresh) {
    Lyrebloom& effect = newInstance();
    ADEditor& e = openEditor(effect);
    CTextEdit* first = e.getNameField();
    // The refresh timer alone redraws the bar: only the window's events are pumped.
    first->setText("dirty");
    pumpFor(150, [&] { e.getFrame()->pumpEvents(); });
    EXPECT_FALSE(first->isDirty());

    e.close();
    for (const Expected& expected : kOrder)
        EXPECT_EQ(e.getPresetControl(expected.tag), nullptr) << expected.tag;
    EXPECT_EQ(e.getFrame(), nullptr);
    // A host rename while closed reaches no control and still renames.
    char name[] = "While closed";
    effect.setProgramName(name);

    ASSERT_TRUE(e.open(reinterpret_cast<void*>(parent)));
    editor = &e;
    idle(60);
    EXPECT_STREQ(e.getNameField()->getText(), "While closed");
    EXPECT_EQ(menuTitle(0), "While closed");
    EXPECT_EQ(errorCount, 0);
}

TEST_F(PresetBarLayout, OpenNeedsAFrameAndAnEffect) {
    Lyrebloom& effect = newInstance();
    auto* closed = dynamic_cast<ADEditor*>(effect.getEditor());
    ASSERT_NE(closed, nullptr);
    // The preset layer alone, before the editor has built its frame.
    EXPECT_FALSE(closed->CPresetSystemEditor::open(reinterpret_cast<void*>(parent)));
    EXPECT_EQ(closed->getNameField(), nullptr);
    EXPECT_EQ(closed->getProgramMenu(), nullptr);

    // Without an effect the listener does nothing either.
    CPresetSystemEditor orphan(nullptr);
    EXPECT_FALSE(orphan.open(reinterpret_cast<void*>(parent)));
    CKickButton storeA(CRect(0, 0, 10, 10), &orphan, kStoreATag, 10, nullptr);
    storeA.setValue(1);
    orphan.valueChanged(&storeA);
    EXPECT_FALSE(std::filesystem::exists(config->keyDirectory() + "/MemoA.bin"));
}

} // namespace
