// The default buttons and the comparison memories, through the per-user store.
#include "PresetBarFixture.h"

namespace {

using namespace presetbar;
namespace fs = std::filesystem;
using StoredButtons = PresetBarWindow;

TEST_F(StoredButtons, DefaultPresetNeedsADoubleClickAndControlDeletesIt) {
    Lyrebloom& effect = newInstance();
    fillPrograms(effect, 4);
    openEditor(effect);
    const std::string stored = config->keyDirectory() + "/DefaultPreset.bin";

    clickControl(kDefaultPresetSlot);
    idle(450); // long enough that the next click starts a new pair
    EXPECT_FALSE(fs::exists(stored)) << "a single click does nothing";

    doubleClickControl(kDefaultPresetSlot);
    ASSERT_TRUE(fs::exists(stored));
    const std::vector<std::uint8_t> record = fileBytes(stored);
    ASSERT_EQ(record.size(), 61u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(record.data()) + 5), "Program 4");

    // A new instance starts with it as program 0.
    closeEditor();
    Lyrebloom& next = newInstance();
    EXPECT_EQ(nameOf(next.programs()[0]), "Program 4");
    EXPECT_FLOAT_EQ(next.programs()[0].values[2], 0.1f * 5.0f);

    openEditor(effect);
    withHeld(HeldKey::control, [&] { doubleClickControl(kDefaultPresetSlot); });
    EXPECT_FALSE(fs::exists(stored));
    EXPECT_EQ(errorCount, 0);
}

TEST_F(StoredButtons, DefaultBankStoresAllSixAndControlDeletesIt) {
    Lyrebloom& effect = newInstance();
    fillPrograms(effect, 1);
    openEditor(effect);
    const std::string stored = config->keyDirectory() + "/DefaultBank.bin";

    clickControl(kDefaultBankSlot);
    idle(450);
    EXPECT_FALSE(fs::exists(stored));
    doubleClickControl(kDefaultBankSlot);
    ASSERT_EQ(fileBytes(stored).size(), 341u);
    closeEditor();
    Lyrebloom& next = newInstance();
    for (int k = 0; k < kNumStoredPrograms; ++k)
        EXPECT_EQ(nameOf(next.programs()[k]), "Program " + std::to_string(k));

    openEditor(effect);
    withHeld(HeldKey::control, [&] { doubleClickControl(kDefaultBankSlot); });
    EXPECT_FALSE(fs::exists(stored));
    EXPECT_EQ(errorCount, 0);
}

TEST_F(StoredButtons, MemoriesCarryAProgramFromOneInstanceToAnother) {
    Lyrebloom& first = newInstance();
    fillPrograms(first, 2);
    Lyrebloom& second = newInstance();
    fillPrograms(second, 5);
    second.selectProgram(0);
    second.setCurrentProgramName("Second's own");
    second.selectProgram(5);

    openEditor(first);
    clickControl(kStoreASlot);
    first.selectProgram(3);
    clickControl(kStoreBSlot);
    ASSERT_TRUE(fs::exists(config->keyDirectory() + "/MemoA.bin"));

    openEditor(second);
    clickControl(kRecallASlot);
    EXPECT_EQ(second.getCurrentProgramIndex(), 5);
    EXPECT_EQ(nameOf(second.programs()[5]), "Program 2");
    EXPECT_FLOAT_EQ(second.programs()[5].values[2], 0.1f * 3.0f);
    EXPECT_FLOAT_EQ(second.getParameter(2), 0.1f * 3.0f) << "and applied";
    EXPECT_EQ(fieldText(), "Program 2");
    EXPECT_EQ(menuTitle(5), "Program 2");
    EXPECT_EQ(nameOf(second.programs()[0]), "Second's own") << "only the current program";

    // Recall B lies on a 12-pixel-high button; aim at its middle.
    clickControl(kRecallBSlot);
    EXPECT_EQ(nameOf(second.programs()[5]), "Program 3");
    EXPECT_FLOAT_EQ(second.getParameter(3), 0.05f * 5.0f);
    EXPECT_EQ(fieldText(), "Program 3");
    EXPECT_EQ(errorCount, 0);
}

} // namespace
