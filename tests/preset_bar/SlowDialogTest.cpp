// The file commands with the real child-process dialog, replaced by a slow script: the host
// keeps running while it is up, the editor stays modal but repaints, the answer is applied
// once, and closing the editor or the effect ends the dialog's processes.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <sstream>
#include <thread>

#include "PresetBarFixture.h"
#include "XScribble.h"
#include "toolkit/CFrame.h"
#include "toolkit/platform/x11/DialogProcessFileSelector.h"

namespace {

using namespace presetbar;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

class SlowDialog : public PresetBarWindow {
  protected:
    void SetUp() override {
        PresetBarWindow::SetUp();
        if (IsSkipped()) return;
        dir = config->root() + "/slow/";
        fs::create_directories(dir);
        CNewFileSelector::setFactory({}); // the real dialog, not the fixture's script
    }
    void TearDown() override {
        CDialogProcessFileSelector::setDialogProgram("");
        PresetBarWindow::TearDown();
    }

    // The dialog program: records its processes and arguments, waits, then answers with
    // `answer` (or cancels when it is empty).
    void installDialog(double seconds, const std::string& answer) {
        const std::string script = dir + "dialog.sh";
        std::ofstream out(script);
        out << "#!/bin/sh\n"
            << "echo $$ >> '" << dir << "pids'\n"
            << "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" << dir << "args'\n"
            << "sleep " << seconds << " &\n"
            << "echo $! >> '" << dir << "pids'\n"
            << "wait $!\n";
        if (answer.empty())
            out << "exit 1\n";
        else
            out << "printf '%s\\n' '" << answer << "'\n";
        out.close();
        ::chmod(script.c_str(), 0755);
        CDialogProcessFileSelector::setDialogProgram(script);
    }

    // The dialog's shell and its sleep, once both have started.
    std::vector<pid_t> dialogProcesses(int waitMs = 2000) {
        const auto end = Clock::now() + std::chrono::milliseconds(waitMs);
        std::vector<pid_t> pids;
        do {
            pids.clear();
            std::ifstream in(dir + "pids");
            for (pid_t pid; in >> pid;)
                pids.push_back(pid);
            if (pids.size() >= 2) break;
            idle(10);
        } while (Clock::now() < end);
        return pids;
    }

    // Gone, or killed and left for its new parent to reap.
    static bool processGone(pid_t pid, int waitMs = 1000) {
        const auto end = Clock::now() + std::chrono::milliseconds(waitMs);
        for (;;) {
            if (::kill(pid, 0) != 0 && errno == ESRCH) return true;
            if (!ourChild(pid) && state(pid) == 'Z') return true;
            if (Clock::now() >= end) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    // Its state letter ('?' once it is gone) and its parent, after the name in /proc.
    static char state(pid_t pid, pid_t* parent = nullptr) {
        std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
        std::string line;
        std::getline(in, line);
        const auto close = line.rfind(')');
        char st = '?';
        pid_t parentPid = 0;
        if (close != std::string::npos && close + 2 < line.size())
            std::istringstream(line.substr(close + 2)) >> st >> parentPid;
        if (parent) *parent = parentPid;
        return st;
    }
    static bool ourChild(pid_t pid) {
        pid_t parent = 0;
        state(pid, &parent);
        return parent == ::getpid();
    }

    bool dialogUp() const {
        return editor && CNewFileSelector::isDialogRunning(editor->getFrame());
    }
    void waitForTheAnswer() {
        const auto end = Clock::now() + std::chrono::seconds(5);
        while (dialogUp() && Clock::now() < end)
            idle(20);
    }

    std::string dir;
};

TEST_F(SlowDialog, HostKeepsRunningEditorRepaintsIgnoresInputAndAppliesTheAnswerOnce) {
    Lyrebloom& effect = newInstance();
    fillPrograms(effect, 3);
    ADEditor& e = *dynamic_cast<ADEditor*>(effect.getEditor());
    ASSERT_TRUE(e.savePresetFile((dir + "three.zem").c_str()));
    effect.selectProgram(1);
    openEditor(effect);
    installDialog(1.0, dir + "three.zem");

    clickControl(kLoadPresetSlot);
    const std::vector<pid_t> pids = dialogProcesses();
    ASSERT_EQ(pids.size(), 2u);
    ASSERT_TRUE(dialogUp());

    // The host's idle calls come straight back while the dialog is up.
    double slowestMs = 0;
    for (int i = 0; i < 20; ++i) {
        const auto start = Clock::now();
        effect.dispatcher(effEditIdle, 0, 0, nullptr, 0);
        const std::chrono::duration<double, std::milli> took = Clock::now() - start;
        slowestMs = std::max(slowestMs, took.count());
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_LT(slowestMs, 20.0);
    RecordProperty("slowest_idle_ms", std::to_string(slowestMs));
    ASSERT_TRUE(dialogUp()) << "the script is still sleeping";

    // Modal: clicks and keys reach no control, and no second dialog opens.
    clickAt(250, 241); // the rocker's right half
    clickAt(150, 240); // the name field
    typeKey('x');
    clickAt(219, 244); // the program menu
    clickControl(kLoadBankSlot);
    idle();
    EXPECT_EQ(effect.getCurrentProgramIndex(), 1);
    EXPECT_FALSE(editor->getNameField()->isEditingText());
    EXPECT_FALSE(editor->getProgramMenu()->isPopupOpen());
    EXPECT_EQ(fieldText(), "Program 1");
    editor->valueChanged(editor->getPresetControl(kSaveBankTag)); // reached around the input
    idle();
    EXPECT_EQ(dialogProcesses(0).size(), 2u) << "one dialog at a time";

    // Still painting: leftovers drawn over the editor are repainted on the expose.
    const std::vector<std::uint32_t> before = capture(parent, 320, 257);
    const auto window = reinterpret_cast<unsigned long>(editor->getFrame()->getSystemWindow());
    scribbleAndExpose(display, window, 0, 0, 320, 257);
    EXPECT_NE(capture(parent, 320, 257), before) << "the scribble landed";
    idle(100);
    EXPECT_EQ(capture(parent, 320, 257), before);

    // The answer: loaded into the current program, once.
    waitForTheAnswer();
    ASSERT_FALSE(dialogUp());
    EXPECT_EQ(nameOf(effect.programs()[1]), "Program 3");
    EXPECT_FLOAT_EQ(effect.programs()[1].values[2], 0.4f);
    EXPECT_EQ(fieldText(), "Program 3");
    EXPECT_STREQ(e.rememberedPresetFileName(), "three.zem");
    EXPECT_NE(fileBytes(dir + "args").size(), 0u);
    effect.setCurrentProgramName("Renamed after");
    idle(200);
    EXPECT_EQ(nameOf(effect.programs()[1]), "Renamed after") << "applied only once";
    EXPECT_TRUE(processGone(pids[0], 0)) << "the dialog's process was reaped";

    // Input works again.
    clickAt(150, 240);
    EXPECT_TRUE(editor->getNameField()->isEditingText());
    EXPECT_EQ(errorCount, 0);
}

TEST_F(SlowDialog, ClosingTheEditorOrTheEffectEndsTheDialogAndChangesNothing) {
    Lyrebloom& effect = newInstance();
    fillPrograms(effect, 2);
    ADEditor& e = *dynamic_cast<ADEditor*>(effect.getEditor());
    ASSERT_TRUE(e.saveBankFile((dir + "all.zeb").c_str()));
    for (int k = 0; k < kNumStoredPrograms; ++k) {
        effect.selectProgram(k);
        effect.setCurrentProgramName("Kept");
    }
    const ProgramBank before = effect.programs();
    const std::string directory = e.rememberedDirectory();
    openEditor(effect);
    installDialog(30, dir + "all.zeb");

    clickControl(kLoadBankSlot);
    std::vector<pid_t> pids = dialogProcesses();
    ASSERT_EQ(pids.size(), 2u);
    closeEditor();
    EXPECT_TRUE(processGone(pids[0], 0)) << "killed and reaped at once";
    EXPECT_TRUE(processGone(pids[1])) << "its helper went with it: state " << state(pids[1]);
    EXPECT_EQ(std::memcmp(effect.programs().data(), before.data(), sizeof before), 0);
    EXPECT_EQ(e.rememberedDirectory(), directory);

    // Reopened, nothing is pending; a save dialog then dies with the effect.
    openEditor(effect);
    idle(100);
    EXPECT_EQ(std::memcmp(effect.programs().data(), before.data(), sizeof before), 0);
    fs::remove(dir + "pids");
    installDialog(30, dir + "never.zeb");
    clickControl(kSaveBankSlot);
    pids = dialogProcesses();
    ASSERT_EQ(pids.size(), 2u);
    editor = nullptr; // the effect takes its editor along
    instances.clear();
    EXPECT_TRUE(processGone(pids[0], 0));
    EXPECT_TRUE(processGone(pids[1]));
    EXPECT_FALSE(fs::exists(dir + "never.zeb"));
    EXPECT_EQ(errorCount, 0);
}

// A host that reaps every child itself leaves us no exit status: the end of the dialog's
// output is the answer then.
TEST_F(SlowDialog, AnswerArrivesWhenTheHostReapsChildren) {
    Lyrebloom& effect = newInstance();
    fillPrograms(effect, 0);
    openEditor(effect);
    installDialog(0.2, dir + "saved.zem");
    struct sigaction ignore {
    }, previous{};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGCHLD, &ignore, &previous);
    clickControl(kSavePresetSlot);
    waitForTheAnswer();
    ::sigaction(SIGCHLD, &previous, nullptr);
    EXPECT_FALSE(dialogUp());
    EXPECT_EQ(fileBytes(dir + "saved.zem").size(), 61u);

    // A cancelled dialog (exit status 1, no output) saves nothing.
    installDialog(0.1, "");
    clickControl(kSaveBankSlot);
    waitForTheAnswer();
    EXPECT_FALSE(dialogUp());
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 4)
        << "dialog.sh, pids, args and saved.zem only";
    EXPECT_EQ(errorCount, 0);
}

} // namespace
