// The system file dialog on Linux: zenity, else kdialog, found on PATH, run as a child
// process. runAsync starts it and returns; the frame's idle pass reads its answer.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "toolkit/CNewFileSelector.h"

class CDialogProcessFileSelector : public CNewFileSelector {
  public:
    CDialogProcessFileSelector(CFrame* frame, Style style) : CNewFileSelector(frame, style) {}
    ~CDialogProcessFileSelector() override;
    CDialogProcessFileSelector(const CDialogProcessFileSelector&) = delete;
    CDialogProcessFileSelector& operator=(const CDialogProcessFileSelector&) = delete;

    // The command line for one of the two programs ("zenity" or "kdialog").
    std::vector<std::string> commandLine(const std::string& program) const;

    // Runs this program with zenity's command line instead of looking for zenity or kdialog;
    // an empty path restores the lookup. For tests.
    static void setDialogProgram(const std::string& path);

    // The running dialog's process id, or 0.
    pid_t getChildProcess() const { return child; }

  protected:
    bool runModalInternal() override;
    bool startInternal() override;
    void pollInternal() override;
    void cancelInternal() override;

  private:
    bool spawn();
    // Reads what the pipe holds without blocking; false once it reached its end.
    bool drainPipe();
    void closePipe();
    // Turns the dialog's output and exit status into `selected`.
    bool takeAnswer(bool exitedCleanly);

    pid_t child = 0;
    bool reapedElsewhere = false; // a host's SIGCHLD handling took the exit status
    int pipeFromChild = -1;
    std::string output;
};
