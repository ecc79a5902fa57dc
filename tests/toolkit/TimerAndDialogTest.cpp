#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "toolkit/CFrame.h"
#include "toolkit/CNewFileSelector.h"
#include "toolkit/CVSTGUITimer.h"
#include "toolkit/PlatformWindow.h"
#include "toolkit/platform/x11/DialogProcessFileSelector.h"

namespace {

using Clock = CVSTGUITimer::Clock;
using std::chrono::milliseconds;

TEST(Timer, FiresOncePerDueIntervalAndNotAfterStop) {
    int ticks = 0;
    auto* timer = new CVSTGUITimer([&](CVSTGUITimer*) { ++ticks; }, 50, true);
    const auto start = Clock::now();
    CVSTGUITimer::fireDueTimers(start + milliseconds(10));
    EXPECT_EQ(ticks, 0);
    CVSTGUITimer::fireDueTimers(start + milliseconds(500)); // late: still one tick
    EXPECT_EQ(ticks, 1);
    CVSTGUITimer::fireDueTimers(start + milliseconds(520));
    EXPECT_EQ(ticks, 1) << "the next tick is an interval after the late one";
    CVSTGUITimer::fireDueTimers(start + milliseconds(560));
    EXPECT_EQ(ticks, 2);
    timer->stop();
    CVSTGUITimer::fireDueTimers(start + milliseconds(5000));
    EXPECT_EQ(ticks, 2);
    timer->forget();
}

TEST(Timer, ACallbackMayStopAndReleaseAnotherTimer) {
    int secondTicks = 0;
    CVSTGUITimer* second = nullptr;
    auto* first = new CVSTGUITimer(
        [&](CVSTGUITimer* self) {
            if (second) {
                second->forget(); // its destructor stops it
                second = nullptr;
            }
            self->stop();
        },
        10, true);
    second = new CVSTGUITimer([&](CVSTGUITimer*) { ++secondTicks; }, 10, true);
    CVSTGUITimer::fireDueTimers(Clock::now() + milliseconds(100));
    EXPECT_EQ(secondTicks, 0);
    EXPECT_FALSE(first->isRunning());
    first->forget();
}

TEST(DoubleClick, SecondPressSoonAndCloseIsDoubleAndAThirdStartsOver) {
    DoubleClickDetector detector;
    EXPECT_FALSE(detector.press(1.00, 10, 10));
    EXPECT_TRUE(detector.press(1.30, 12, 13));
    EXPECT_FALSE(detector.press(1.40, 12, 13));
    EXPECT_FALSE(detector.press(2.00, 12, 13));
    EXPECT_FALSE(detector.press(2.10, 30, 13)) << "too far away";
    EXPECT_FALSE(detector.press(2.60, 30, 13)) << "too late";
}

class ScriptedSelector : public CNewFileSelector {
  public:
    ScriptedSelector(CFrame* frame, Style style, std::string answer)
        : CNewFileSelector(frame, style), answer(std::move(answer)) {}

  protected:
    bool runModalInternal() override {
        if (!answer.empty()) selected.push_back(answer);
        return !answer.empty();
    }

  private:
    std::string answer;
};

TEST(FileSelector, NeedsAFrameAndUsesTheInstalledFactory) {
    auto* frame = new CFrame(CRect(0, 0, 10, 10), nullptr, nullptr);
    EXPECT_EQ(CNewFileSelector::create(nullptr), nullptr);
    CNewFileSelector::Style seenStyle = CNewFileSelector::kSelectFile;
    CNewFileSelector::setFactory([&](CFrame* owner, CNewFileSelector::Style style) {
        seenStyle = style;
        return new ScriptedSelector(owner, style, "/tmp/chosen.zem");
    });
    CNewFileSelector* selector = CNewFileSelector::create(frame, CNewFileSelector::kSelectSaveFile);
    ASSERT_NE(selector, nullptr);
    EXPECT_EQ(seenStyle, CNewFileSelector::kSelectSaveFile);
    EXPECT_TRUE(selector->runModal());
    EXPECT_EQ(selector->getNumSelectedFiles(), 1);
    EXPECT_STREQ(selector->getSelectedFile(0), "/tmp/chosen.zem");
    EXPECT_EQ(selector->getSelectedFile(1), nullptr);
    selector->forget();
    CNewFileSelector::setFactory(nullptr);
    frame->close();
}

// A stand-in dialog program on PATH that records its arguments and prints an answer.
struct FakeDialogProgram : ::testing::Test {
    FakeDialogProgram() {
        directory =
            std::filesystem::temp_directory_path() / ("lyre-dialog-" + std::to_string(::getpid()));
        std::filesystem::create_directories(directory);
        oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
        setenv("PATH", directory.string().c_str(), 1); // only our stand-ins
        frame = new CFrame(CRect(0, 0, 10, 10), nullptr, nullptr);
    }
    ~FakeDialogProgram() override {
        frame->close();
        setenv("PATH", oldPath.c_str(), 1);
        std::filesystem::remove_all(directory);
    }
    void install(const std::string& name, const std::string& output, int exitCode) {
        const auto path = directory / name;
        std::ofstream script(path);
        script << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '"
               << (directory / "args").string() << "'\nprintf '" << output << "'\nexit " << exitCode
               << "\n";
        script.close();
        chmod(path.c_str(), 0755);
    }
    std::string arguments() const {
        std::ifstream in(directory / "args");
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::filesystem::path directory;
    std::string oldPath;
    CFrame* frame;
};

TEST_F(FakeDialogProgram, ZenitySaveGetsTitleStartFileAndFilterAndTheDefaultExtension) {
    install("zenity", "/home/u/presets/mine\\n", 0);
    auto* selector = CNewFileSelector::create(frame, CNewFileSelector::kSelectSaveFile);
    selector->setTitle("Save preset");
    selector->setInitialDirectory("/home/u/presets");
    selector->setDefaultSaveName("old.zem");
    selector->setDefaultExtension({"ZEM Preset", "zem"});
    selector->addFileExtension({"ZEM Preset", "zem"});
    ASSERT_TRUE(selector->runModal());
    EXPECT_STREQ(selector->getSelectedFile(0), "/home/u/presets/mine.zem");
    EXPECT_EQ(arguments(), "--file-selection\n--save\n--confirm-overwrite\n--title=Save preset\n"
                           "--filename=/home/u/presets/old.zem\n"
                           "--file-filter=ZEM Preset (*.zem) | *.zem\n");
    selector->forget();
}

TEST_F(FakeDialogProgram, CancelledDialogSelectsNothing) {
    install("zenity", "", 1);
    auto* selector = CNewFileSelector::create(frame, CNewFileSelector::kSelectFile);
    EXPECT_FALSE(selector->runModal());
    EXPECT_EQ(selector->getNumSelectedFiles(), 0);
    selector->forget();
}

TEST_F(FakeDialogProgram, KdialogIsUsedWhenZenityIsMissing) {
    install("kdialog", "/data/bank.zeb\\n", 0);
    auto* selector = CNewFileSelector::create(frame, CNewFileSelector::kSelectFile);
    selector->setTitle("Load bank");
    selector->setInitialDirectory("/data");
    selector->addFileExtension({"ZEM Bank", "zeb"});
    ASSERT_TRUE(selector->runModal());
    EXPECT_STREQ(selector->getSelectedFile(0), "/data/bank.zeb");
    EXPECT_EQ(arguments(), "--getopenfilename\n/data/\n*.zeb|ZEM Bank\n--title=Load bank\n");
    selector->forget();
}

TEST(FileSelectorCommandLine, KdialogSaveStartsAtTheDefaultName) {
    CDialogProcessFileSelector selector(nullptr, CNewFileSelector::kSelectSaveFile);
    selector.setInitialDirectory("/data/");
    selector.setDefaultSaveName("bank.zeb");
    selector.addFileExtension({"ZEM Bank", "zeb"});
    EXPECT_EQ(selector.commandLine("kdialog"),
              (std::vector<std::string>{"kdialog", "--getsavefilename", "/data/bank.zeb",
                                        "*.zeb|ZEM Bank"}));
}

} // namespace
