// Lyrebloom built in-process with its editor open in a real X window, the preset bar driven
// by XTest clicks and keys, file dialogs answered by a script, settings in a private folder.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "ScriptedFileSelector.h"
#include "TempConfigHome.h"
#include "XDisplayFixture.h"
#include "XModifiers.h"
#include "editor/ADEditor.h"
#include "engine/Lyrebloom.h"
#include "presets/PresetBarLayout.h"
#include "presets/ProgramRecord.h"
#include "toolkit/COptionMenu.h"
#include "toolkit/CTextEdit.h"

// How many times any instance asked the host to refresh its program display.
extern int updateDisplayCalls;
VstIntPtr VSTCALLBACK countingHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float);

inline std::string nameOf(const ProgramRecord& program) {
    return std::string(program.name, strnlen(program.name, kProgramNameBytes));
}

inline std::vector<std::uint8_t> fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class PresetBarWindow : public XDisplayFixture {
  protected:
    void SetUp() override;
    void TearDown() override;

    // A new effect (with its editor object), built after the private settings folder exists.
    Lyrebloom& newInstance();
    // Opens the instance's editor in the parent window, closing any other first.
    ADEditor& openEditor(Lyrebloom& effect);
    void closeEditor();

    void idle(int milliseconds = 80);
    // Gestures at a point of the editor, each followed by an idle pass.
    void clickAt(int x, int y, unsigned button = 1);
    void doubleClickAt(int x, int y);
    void withHeld(HeldKey key, const std::function<void()>& gesture) {
        withKeyHeld(display, key, gesture);
    }
    // The middle of a preset control's place on the skin.
    void clickControl(presetbar::Slot slot, unsigned button = 1);
    void doubleClickControl(presetbar::Slot slot);
    void typeText(const std::string& text);
    // Clicks the middle of an entry of the open program menu, where the list shows it.
    void clickMenuEntry(int entry);

    // What the bar shows.
    std::string fieldText() const;
    std::string menuTitle(int entry) const;
    int menuCurrent() const;

    // Stores a distinct name and values in every program and selects `current`.
    void fillPrograms(Lyrebloom& effect, int current);

    std::unique_ptr<TempConfigHome> config;
    std::unique_ptr<DialogScript> dialogs;
    std::vector<std::unique_ptr<Lyrebloom>> instances;
    ADEditor* editor = nullptr;
};
