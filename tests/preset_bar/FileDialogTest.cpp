// The load and save buttons: which dialog they ask for and what the chosen file does.
#include <bit>
#include <cstring>

#include "PresetBarFixture.h"
#include "editor/CNotice.h"
#include "toolkit/CFrame.h"

namespace {

using namespace presetbar;
namespace fs = std::filesystem;

class FileDialogs : public PresetBarWindow {
  protected:
    void SetUp() override {
        PresetBarWindow::SetUp();
        if (IsSkipped()) return;
        dir = config->root() + "/files/";
        fs::create_directories(dir);
    }
    const DialogRequest& lastRequest() const { return dialogs->requests.back(); }
    std::string dir;
};

std::uint32_t bitsOf(float x) {
    return std::bit_cast<std::uint32_t>(x);
}

std::uint32_t reversedBits(float x) {
    const std::uint32_t b = bitsOf(x);
    return (b >> 24) | ((b >> 8) & 0xFF00u) | ((b << 8) & 0xFF0000u) | (b << 24);
}

void expectTypes(const DialogRequest& request, const char* description, const char* extension) {
    ASSERT_EQ(request.fileTypes.size(), 1u);
    EXPECT_EQ(request.fileTypes[0].description, description);
    EXPECT_EQ(request.fileTypes[0].extension, extension);
}

TEST_F(FileDialogs, LoadPresetLeftNormalRightAloneReversedRightWithShiftNormal) {
    Lyrebloom& effect = newInstance();
    fillPrograms(effect, 3);
    ADEditor& e = *dynamic_cast<ADEditor*>(effect.getEditor());
    ASSERT_TRUE(e.savePresetFile((dir + "three.zem").c_str()));
    effect.selectProgram(1);
    openEditor(effect);

    dialogs->answer({dir + "three.zem"});
    clickControl(kLoadPresetSlot);
    ASSERT_EQ(dialogs->requests.size(), 1u);
    EXPECT_EQ(lastRequest().style, CNewFileSelector::kSelectFile);
    EXPECT_EQ(lastRequest().title, "Load preset");
    EXPECT_EQ(lastRequest().initialDirectory, dir);
    EXPECT_FALSE(lastRequest().multipleSelection);
    expectTypes(lastRequest(), "ZEM Preset", "zem");
    EXPECT_EQ(effect.getCurrentProgramIndex(), 1);
    EXPECT_EQ(nameOf(effect.programs()[1]), "Program 3");
    EXPECT_FLOAT_EQ(effect.programs()[1].values[2], 0.4f);
    EXPECT_EQ(fieldText(), "Program 3");
    EXPECT_EQ(menuTitle(1), "Program 3");
    EXPECT_STREQ(e.rememberedPresetFileName(), "three.zem");

    effect.selectProgram(2);
    dialogs->answer({dir + "three.zem"});
    clickControl(kLoadPresetSlot, 3);
    ASSERT_EQ(dialogs->requests.size(), 2u);
    EXPECT_EQ(lastRequest().title, "Load preset (endian-reversed)");
    // 0.4 byte-reversed is negative and is kept at 0; 0.25 reversed is a tiny positive number,
    // within range, and kept bit for bit.
    EXPECT_EQ(bitsOf(effect.programs()[2].values[2]), bitsOf(0.0f));
    EXPECT_EQ(bitsOf(effect.programs()[2].values[3]), reversedBits(0.05f * 5.0f));
    EXPECT_EQ(nameOf(effect.programs()[2]), "Program 3") << "names are never reversed";

    effect.selectProgram(4);
    dialogs->answer({dir + "three.zem"});
    withHeld(HeldKey::shift, [&] { clickControl(kLoadPresetSlot, 3); });
    ASSERT_EQ(dialogs->requests.size(), 3u);
    EXPECT_EQ(lastRequest().title, "Load preset");
    EXPECT_FLOAT_EQ(effect.programs()[4].values[2], 0.4f);

    // Every load ends with the whole frame to be redrawn.
    e.loadPresetFile((dir + "three.zem").c_str(), false);
    EXPECT_EQ(e.getFrame()->getInvalidArea(), CRect(0, 0, 320, 257));
    EXPECT_EQ(errorCount, 0);
}

TEST_F(FileDialogs, LoadBankRetitlesTheMenuAndShowsProgramZero) {
    Lyrebloom& effect = newInstance();
    fillPrograms(effect, 0);
    ADEditor& e = *dynamic_cast<ADEditor*>(effect.getEditor());
    ASSERT_TRUE(e.saveBankFile((dir + "all.zeb").c_str()));
    for (int k = 0; k < kNumStoredPrograms; ++k) {
        effect.selectProgram(k);
        effect.setCurrentProgramName(("Other " + std::to_string(k)).c_str());
    }
    openEditor(effect);
    EXPECT_EQ(menuCurrent(), 5);
    EXPECT_EQ(menuTitle(2), "Other 2");

    dialogs->answer({dir + "all.zeb"});
    clickControl(kLoadBankSlot);
    EXPECT_EQ(lastRequest().title, "Load bank");
    EXPECT_EQ(lastRequest().style, CNewFileSelector::kSelectFile);
    expectTypes(lastRequest(), "ZEM Bank", "zeb");
    for (int k = 0; k < kNumStoredPrograms; ++k)
        EXPECT_EQ(menuTitle(k), "Program " + std::to_string(k));
    EXPECT_EQ(menuCurrent(), 0);
    EXPECT_EQ(fieldText(), "Program 0");
    EXPECT_EQ(effect.getCurrentProgramIndex(), 0);
    EXPECT_STREQ(e.rememberedBankFileName(), "all.zeb");

    dialogs->answer({dir + "all.zeb"});
    clickControl(kLoadBankSlot, 3);
    EXPECT_EQ(lastRequest().title, "Load bank (endian-reversed)");
    EXPECT_EQ(bitsOf(effect.programs()[4].values[2]), reversedBits(0.1f * 5.0f));
    EXPECT_EQ(errorCount, 0);
}

TEST_F(FileDialogs, SaveButtonsWriteWholeRecordsWhicheverButtonClicks) {
    Lyrebloom& effect = newInstance();
    fillPrograms(effect, 2);
    ADEditor& e = openEditor(effect);
    const std::string startDirectory = e.rememberedDirectory();

    dialogs->answer({dir + "mine.zem"});
    clickControl(kSavePresetSlot);
    ASSERT_EQ(dialogs->requests.size(), 1u);
    EXPECT_EQ(lastRequest().style, CNewFileSelector::kSelectSaveFile);
    EXPECT_EQ(lastRequest().title, "Save preset");
    EXPECT_EQ(lastRequest().initialDirectory, startDirectory);
    EXPECT_EQ(lastRequest().defaultSaveName, "");
    EXPECT_EQ(lastRequest().defaultExtension.extension, "zem");
    expectTypes(lastRequest(), "ZEM Preset", "zem");
    std::vector<std::uint8_t> saved = fileBytes(dir + "mine.zem");
    ASSERT_EQ(saved.size(), 61u);
    EXPECT_EQ(saved[4], 0x21);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(saved.data()) + 5), "Program 2");

    // A right click saves too, offering the folder and name just used.
    dialogs->answer({dir + "again.zem"});
    clickControl(kSavePresetSlot, 3);
    EXPECT_EQ(lastRequest().title, "Save preset");
    EXPECT_EQ(lastRequest().initialDirectory, dir);
    EXPECT_EQ(lastRequest().defaultSaveName, "mine.zem");
    EXPECT_EQ(fileBytes(dir + "again.zem"), saved);

    dialogs->answer({dir + "bank.zeb"});
    clickControl(kSaveBankSlot);
    EXPECT_EQ(lastRequest().style, CNewFileSelector::kSelectSaveFile);
    EXPECT_EQ(lastRequest().title, "Save bank");
    EXPECT_EQ(lastRequest().defaultSaveName, "");
    EXPECT_EQ(lastRequest().defaultExtension.extension, "zeb");
    expectTypes(lastRequest(), "ZEM Bank", "zeb");
    saved = fileBytes(dir + "bank.zeb");
    ASSERT_EQ(saved.size(), 341u);
    EXPECT_EQ(saved[4], 0x37);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(saved.data()) + 5 + 56 * 5), "Program 5");
    EXPECT_STREQ(e.rememberedBankFileName(), "bank.zeb");
    EXPECT_EQ(effect.getCurrentProgramIndex(), 2) << "saving selects nothing";
    EXPECT_EQ(errorCount, 0);
}

TEST_F(FileDialogs, CancelledOrMultipleChoiceChangesNothing) {
    Lyrebloom& effect = newInstance();
    fillPrograms(effect, 2);
    ADEditor& e = *dynamic_cast<ADEditor*>(effect.getEditor());
    ASSERT_TRUE(e.saveBankFile((dir + "all.zeb").c_str()));
    ASSERT_TRUE(e.savePresetFile((dir + "two.zem").c_str()));
    effect.selectProgram(3);
    openEditor(effect);
    const ProgramBank before = effect.programs();
    const std::string directory = e.rememberedDirectory();

    clickControl(kLoadBankSlot); // cancelled: no answer queued
    dialogs->answer({dir + "two.zem", dir + "all.zeb"});
    clickControl(kLoadPresetSlot);
    dialogs->answer({});
    clickControl(kSavePresetSlot);
    ASSERT_EQ(dialogs->requests.size(), 3u);

    EXPECT_EQ(std::memcmp(effect.programs().data(), before.data(), sizeof before), 0);
    EXPECT_EQ(effect.getCurrentProgramIndex(), 3) << "a cancelled bank load selects nothing";
    EXPECT_EQ(e.rememberedDirectory(), directory);
    EXPECT_STREQ(e.rememberedBankFileName(), "all.zeb");
    EXPECT_STREQ(e.rememberedPresetFileName(), "two.zem");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
    EXPECT_EQ(errorCount, 0);
}

// A file with a wrong header: nothing loads, nothing is remembered, and the editor says so for
// a few seconds over the bar.
TEST_F(FileDialogs, ARefusedFileIsNotRememberedAndTheEditorSaysSo) {
    Lyrebloom& effect = newInstance();
    fillPrograms(effect, 3);
    ADEditor& e = *dynamic_cast<ADEditor*>(effect.getEditor());
    ASSERT_TRUE(e.savePresetFile((dir + "good.zem").c_str()));
    std::vector<std::uint8_t> wrong = fileBytes(dir + "good.zem");
    wrong[0] ^= 0xFF; // another plug-in's identifier
    const std::string elsewhere = config->root() + "/elsewhere/";
    fs::create_directories(elsewhere);
    std::ofstream(elsewhere + "wrong.zem", std::ios::binary)
        .write(reinterpret_cast<const char*>(wrong.data()),
               static_cast<std::streamsize>(wrong.size()));
    openEditor(effect);
    idle();
    const CRect& area = kNoticeRect;
    auto noticePixels = [&] {
        const std::vector<std::uint32_t> all = capture(parent, 320, 257);
        std::vector<std::uint32_t> inside;
        for (auto y = static_cast<int>(area.top); y < static_cast<int>(area.bottom); ++y)
            for (auto x = static_cast<int>(area.left); x < static_cast<int>(area.right); ++x)
                inside.push_back(all[static_cast<std::size_t>(y * 320 + x)]);
        return inside;
    };
    const std::vector<std::uint32_t> without = noticePixels();
    const ProgramBank before = effect.programs();

    dialogs->answer({elsewhere + "wrong.zem"});
    clickControl(kLoadPresetSlot);
    EXPECT_EQ(std::memcmp(effect.programs().data(), before.data(), sizeof before), 0);
    EXPECT_STREQ(e.rememberedPresetFileName(), "good.zem");
    EXPECT_EQ(std::string(e.rememberedDirectory()), dir);
    ASSERT_NE(e.getNotice(), nullptr);
    EXPECT_EQ(e.getNotice()->getText(), kRefusedPreset);
    const std::vector<std::uint32_t> shown = noticePixels();
    int changed = 0;
    for (std::size_t i = 0; i < shown.size(); ++i)
        changed += shown[i] != without[i];
    EXPECT_GT(changed, static_cast<int>(shown.size()) / 2) << "the notice is on screen";

    dialogs->answer({}); // the next save offers the last file that loaded
    clickControl(kSavePresetSlot);
    EXPECT_EQ(lastRequest().defaultSaveName, "good.zem");
    EXPECT_EQ(lastRequest().initialDirectory, dir);

    idle(static_cast<int>(kNoticeMilliseconds) + 300);
    EXPECT_FALSE(e.getNotice()->isVisible());
    EXPECT_EQ(noticePixels(), without) << "gone again";
    EXPECT_EQ(errorCount, 0);
}

} // namespace
