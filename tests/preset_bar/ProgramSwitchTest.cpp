// Switching and renaming programs from the bar: rocker, menu, typed names, host renames.
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

#include "PresetBarFixture.h"

namespace {

using namespace presetbar;
using ProgramSwitch = PresetBarWindow;

// Points on the rocker's halves (it spans x 230 to 261) and on the menu's click area.
constexpr int kRockerLeftX = 236, kRockerRightX = 255, kRockerY = 241;
constexpr int kMenuX = 219, kMenuY = 244;

TEST_F(ProgramSwitch, RockerStepsThroughTheProgramsAndReappliesAtEitherEnd) {
    Lyrebloom& effect = newInstance();
    fillPrograms(effect, 4);
    openEditor(effect);

    clickAt(kRockerRightX, kRockerY);
    EXPECT_EQ(effect.getCurrentProgramIndex(), 5);
    EXPECT_EQ(fieldText(), "Program 5");
    EXPECT_EQ(menuCurrent(), 5);
    EXPECT_FLOAT_EQ(effect.getParameter(2), 0.6f) << "program 5's Decay applied";

    // At the last program the right half applies it again under its own name.
    editor->getNameField()->setText("stale");
    updateDisplayCalls = 0;
    clickAt(kRockerRightX, kRockerY);
    EXPECT_EQ(effect.getCurrentProgramIndex(), 5);
    EXPECT_EQ(fieldText(), "Program 5");
    EXPECT_EQ(nameOf(effect.programs()[5]), "Program 5");
    EXPECT_EQ(updateDisplayCalls, 2) << "selected and renamed again";

    for (int step = 0; step < 5; ++step)
        clickAt(kRockerLeftX, kRockerY);
    EXPECT_EQ(effect.getCurrentProgramIndex(), 0);
    EXPECT_EQ(fieldText(), "Program 0");
    EXPECT_EQ(menuCurrent(), 0);
    updateDisplayCalls = 0;
    clickAt(kRockerLeftX, kRockerY);
    EXPECT_EQ(effect.getCurrentProgramIndex(), 0);
    EXPECT_EQ(updateDisplayCalls, 2);
    EXPECT_FLOAT_EQ(effect.getParameter(2), 0.1f);

    // A released rocker reports 0, which changes nothing.
    CControl* rocker = editor->getPresetControl(kRockerTag);
    EXPECT_EQ(rocker->getValue(), 0.0f) << "back at rest after the click";
    effect.selectProgram(3);
    editor->getNameField()->setText("untouched");
    updateDisplayCalls = 0;
    editor->valueChanged(rocker);
    EXPECT_EQ(effect.getCurrentProgramIndex(), 3);
    EXPECT_EQ(fieldText(), "untouched");
    EXPECT_EQ(updateDisplayCalls, 0);
    EXPECT_EQ(errorCount, 0);
}

TEST_F(ProgramSwitch, MenuChoiceSelectsTheProgramUnderTheEntryTitle) {
    Lyrebloom& effect = newInstance();
    fillPrograms(effect, 0);
    openEditor(effect);

    clickAt(kMenuX, kMenuY);
    ASSERT_TRUE(editor->getProgramMenu()->isPopupOpen());
    clickMenuEntry(3);
    EXPECT_FALSE(editor->getProgramMenu()->isPopupOpen());
    EXPECT_EQ(effect.getCurrentProgramIndex(), 3);
    EXPECT_EQ(menuCurrent(), 3);
    EXPECT_EQ(fieldText(), "Program 3");
    EXPECT_FLOAT_EQ(effect.getParameter(3), 0.25f) << "program 3's Damp applied";

    EXPECT_EQ(errorCount, 0);
}

// A host that opened the editor and then restores its project from its own thread: setChunk
// leaves the controls alone, and the next refresh shows the restored names and program.
TEST_F(ProgramSwitch, AChunkRestoredWhileTheEditorIsOpenShowsOnTheNextRefresh) {
    Lyrebloom& effect = newInstance();
    fillPrograms(effect, 0);
    void* data = nullptr;
    const VstInt32 size = effect.getChunk(&data, false);
    std::vector<std::uint8_t> chunk(static_cast<std::uint8_t*>(data),
                                    static_cast<std::uint8_t*>(data) + size);
    for (int k = 0; k < kNumStoredPrograms; ++k) {
        char name[kProgramNameBytes] = {};
        std::snprintf(name, sizeof name, "Restored %d", k);
        std::memcpy(chunk.data() + 32 + 56 * k, name, kProgramNameBytes);
    }
    chunk[12] = 4; // the current program
    openEditor(effect);
    ASSERT_EQ(fieldText(), "Program 0");

    VstIntPtr answer = -2;
    std::thread host([&] { answer = effect.dispatcher(effSetChunk, 0, size, chunk.data(), 0); });
    host.join();
    ASSERT_EQ(answer, 0);
    EXPECT_EQ(fieldText(), "Program 0") << "setChunk itself touches no control";
    idle();
    EXPECT_EQ(fieldText(), "Restored 4");
    EXPECT_EQ(menuCurrent(), 4);
    for (int k = 0; k < kNumStoredPrograms; ++k)
        EXPECT_EQ(menuTitle(k), "Restored " + std::to_string(k));

    // Choosing an entry now keeps the restored name; the store is what the bar shows.
    clickAt(kMenuX, kMenuY);
    clickMenuEntry(2);
    EXPECT_EQ(nameOf(effect.programs()[2]), "Restored 2");
    EXPECT_EQ(fieldText(), "Restored 2");

    // Restored first, opened afterwards: the same picture.
    closeEditor();
    chunk[12] = 5;
    ASSERT_EQ(effect.setChunk(chunk.data(), size, false), 0);
    openEditor(effect);
    EXPECT_EQ(fieldText(), "Restored 5");
    EXPECT_EQ(menuCurrent(), 5);
    EXPECT_EQ(errorCount, 0);
}

TEST_F(ProgramSwitch, TypedNameIsCutTo24CharactersEverywhere) {
    Lyrebloom& effect = newInstance();
    fillPrograms(effect, 1);
    openEditor(effect);

    clickAt(150, 240);
    ASSERT_TRUE(editor->getNameField()->isEditingText());
    for (int i = 0; i < 9; ++i)
        typeKey(0xff08); // BackSpace over "Program 1"
    const std::string typed = "abcdefghijklmnopqrstuvwxyz0123456789abcd";
    ASSERT_EQ(typed.size(), 40u);
    typeText(typed);
    typeKey(0xff0d); // Return
    idle();
    const std::string cut = typed.substr(0, 24);
    EXPECT_EQ(nameOf(effect.programs()[1]), cut);
    EXPECT_EQ(fieldText(), cut);
    EXPECT_EQ(menuTitle(1), cut);
    EXPECT_EQ(effect.getCurrentProgramIndex(), 1);
    EXPECT_EQ(nameOf(effect.programs()[0]), "Program 0") << "only the current program";
    EXPECT_EQ(errorCount, 0);
}

TEST_F(ProgramSwitch, HostRenameShowsInTheFieldAndTheCurrentEntry) {
    Lyrebloom& effect = newInstance();
    fillPrograms(effect, 2);
    openEditor(effect);
    char name[] = "Renamed by the host, far too long";
    effect.dispatcher(effSetProgramName, 0, 0, name, 0);
    EXPECT_EQ(fieldText(), "Renamed by the host, far");
    EXPECT_EQ(menuTitle(2), "Renamed by the host, far");
    EXPECT_EQ(menuTitle(1), "Program 1");
}

} // namespace
