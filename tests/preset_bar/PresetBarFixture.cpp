#include "PresetBarFixture.h"

#include <X11/keysym.h>

#include <cstdio>

int updateDisplayCalls = 0;

VstIntPtr VSTCALLBACK countingHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    if (opcode == audioMasterUpdateDisplay) ++updateDisplayCalls;
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

void PresetBarWindow::SetUp() {
    XDisplayFixture::SetUp();
    if (IsSkipped()) return;
    config = std::make_unique<TempConfigHome>();
    dialogs = std::make_unique<DialogScript>();
    createParentWindow(320, 257);
    updateDisplayCalls = 0;
}

void PresetBarWindow::TearDown() {
    closeEditor();
    instances.clear();
    dialogs.reset();
    config.reset();
    XDisplayFixture::TearDown();
}

Lyrebloom& PresetBarWindow::newInstance() {
    instances.push_back(std::make_unique<Lyrebloom>(countingHost));
    return *instances.back();
}

ADEditor& PresetBarWindow::openEditor(Lyrebloom& effect) {
    closeEditor();
    editor = dynamic_cast<ADEditor*>(effect.getEditor());
    EXPECT_NE(editor, nullptr);
    EXPECT_TRUE(editor->open(reinterpret_cast<void*>(parent)));
    idle(100);
    return *editor;
}

void PresetBarWindow::closeEditor() {
    if (!editor) return;
    editor->close();
    editor = nullptr;
    sync();
}

void PresetBarWindow::idle(int milliseconds) {
    pumpFor(milliseconds, [&] {
        if (editor) editor->idle();
    });
}

void PresetBarWindow::clickAt(int x, int y, unsigned button) {
    click(parent, x, y, button);
    idle();
}

void PresetBarWindow::doubleClickAt(int x, int y) {
    click(parent, x, y);
    click(parent, x, y);
    idle();
}

namespace {
CPoint middleOf(presetbar::Slot slot) {
    const CRect& r = presetbar::kRects[slot];
    return CPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}
} // namespace

void PresetBarWindow::clickControl(presetbar::Slot slot, unsigned button) {
    const CPoint at = middleOf(slot);
    clickAt(static_cast<int>(at.x), static_cast<int>(at.y), button);
}

void PresetBarWindow::doubleClickControl(presetbar::Slot slot) {
    const CPoint at = middleOf(slot);
    doubleClickAt(static_cast<int>(at.x), static_cast<int>(at.y));
}

void PresetBarWindow::clickMenuEntry(int entry) {
    COptionMenu* menu = editor ? editor->getProgramMenu() : nullptr;
    ASSERT_NE(menu, nullptr);
    const CRect item = menu->getPopupEntryRect(entry);
    ASSERT_FALSE(item.isEmpty()) << "the list is open";
    clickAt(static_cast<int>(item.getCenter().x), static_cast<int>(item.getCenter().y));
}

void PresetBarWindow::typeText(const std::string& text) {
    for (char c : text)
        typeKey(static_cast<unsigned char>(c)); // Latin-1 keysyms are the characters
}

std::string PresetBarWindow::fieldText() const {
    return editor && editor->getNameField() ? editor->getNameField()->getText() : "<none>";
}

std::string PresetBarWindow::menuTitle(int entry) const {
    if (!editor || !editor->getProgramMenu()) return "<none>";
    CMenuItem* item = editor->getProgramMenu()->getEntry(entry);
    return item ? item->getTitle() : "<none>";
}

int PresetBarWindow::menuCurrent() const {
    return editor && editor->getProgramMenu() ? editor->getProgramMenu()->getCurrent() : -1;
}

void PresetBarWindow::fillPrograms(Lyrebloom& effect, int current) {
    for (int k = 0; k < kNumStoredPrograms; ++k) {
        effect.selectProgram(k);
        char name[32];
        std::snprintf(name, sizeof name, "Program %d", k);
        effect.setCurrentProgramName(name);
        // Decay and Damp are kept per program.
        effect.setParameter(2, 0.1f * static_cast<float>(k + 1));
        effect.setParameter(3, 0.05f * static_cast<float>(k + 2));
    }
    effect.selectProgram(current);
}
