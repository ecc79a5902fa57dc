#include "toolkit/platform/x11/DialogProcessFileSelector.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <sstream>

extern char** environ;

namespace {

std::string& dialogProgram() {
    static std::string program;
    return program;
}

bool onPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::stringstream directories(path ? path : "");
    std::string directory;
    while (std::getline(directories, directory, ':')) {
        if (directory.empty()) continue;
        if (access((directory + "/" + program).c_str(), X_OK) == 0) return true;
    }
    return false;
}

std::string joinPath(const std::string& directory, const std::string& name) {
    if (directory.empty()) return name;
    return directory.back() == '/' ? directory + name : directory + "/" + name;
}

// Waits for the child without blocking; true once it is gone. A host that reaps children
// itself leaves no status: then `reaped` stays false and the caller decides by the output.
bool childGone(pid_t child, int& status, bool& reaped) {
    pid_t result;
    while ((result = waitpid(child, &status, WNOHANG)) < 0 && errno == EINTR) {
    }
    reaped = result == child;
    return result != 0;
}

} // namespace

CNewFileSelector* createPlatformFileSelector(CFrame* frame, CNewFileSelector::Style style) {
    return new CDialogProcessFileSelector(frame, style);
}

void CDialogProcessFileSelector::setDialogProgram(const std::string& path) {
    dialogProgram() = path;
}

CDialogProcessFileSelector::~CDialogProcessFileSelector() {
    cancelInternal();
}

std::vector<std::string> CDialogProcessFileSelector::commandLine(const std::string& program) const {
    std::vector<std::string> command{program};
    const bool save = style == kSelectSaveFile;
    const std::string start =
        save ? joinPath(initialDirectory, defaultSaveName)
             : (initialDirectory.empty() ? std::string() : joinPath(initialDirectory, ""));
    if (program == "kdialog") {
        command.push_back(style == kSelectDirectory ? "--getexistingdirectory"
                          : save                    ? "--getsavefilename"
                                                    : "--getopenfilename");
        command.push_back(start.empty() ? "." : start);
        if (style != kSelectDirectory) {
            std::string filters;
            for (const CFileExtension& extension : extensions) {
                if (!filters.empty()) filters += "\n";
                filters += "*." + extension.extension + "|" + extension.description;
            }
            if (!filters.empty()) command.push_back(filters);
        }
        if (allowMultiple && !save) {
            command.push_back("--multiple");
            command.push_back("--separate-output");
        }
        if (!title.empty()) command.push_back("--title=" + title);
        return command;
    }
    command.push_back("--file-selection");
    if (style == kSelectDirectory) command.push_back("--directory");
    if (save) command.push_back("--save");
    if (save) command.push_back("--confirm-overwrite");
    if (allowMultiple && !save) {
        command.push_back("--multiple");
        command.push_back("--separator=\n");
    }
    if (!title.empty()) command.push_back("--title=" + title);
    if (!start.empty()) command.push_back("--filename=" + start);
    for (const CFileExtension& extension : extensions)
        command.push_back("--file-filter=" + extension.description + " (*." + extension.extension +
                          ") | *." + extension.extension);
    return command;
}

bool CDialogProcessFileSelector::spawn() {
    if (child != 0) return false;
    std::vector<std::string> command;
    if (!dialogProgram().empty()) {
        command = commandLine("zenity");
        command[0] = dialogProgram();
    } else if (onPath("zenity")) {
        command = commandLine("zenity");
    } else if (onPath("kdialog")) {
        command = commandLine("kdialog");
    } else {
        return false;
    }
    int pipeEnds[2];
    // Close-on-exec keeps our end out of the dialog and out of any other child of the host.
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    // Its own process group, so that closing the editor ends the dialog and its helpers.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    std::vector<char*> argv;
    for (const std::string& argument : command)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t started = 0;
    const int spawned =
        posix_spawnp(&started, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (spawned != 0) {
        close(pipeEnds[0]);
        return false;
    }
    child = started;
    pipeFromChild = pipeEnds[0];
    output.clear();
    reapedElsewhere = false;
    return true;
}

bool CDialogProcessFileSelector::drainPipe() {
    if (pipeFromChild < 0) return false;
    char buffer[4096];
    for (;;) {
        const ssize_t count = read(pipeFromChild, buffer, sizeof buffer);
        if (count > 0) {
            output.append(buffer, static_cast<size_t>(count));
        } else if (count < 0 && errno == EINTR) {
            continue;
        } else if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            return true;
        } else {
            closePipe();
            return false;
        }
    }
}

void CDialogProcessFileSelector::closePipe() {
    if (pipeFromChild >= 0) close(pipeFromChild);
    pipeFromChild = -1;
}

bool CDialogProcessFileSelector::takeAnswer(bool exitedCleanly) {
    child = 0;
    reapedElsewhere = false;
    closePipe();
    if (!exitedCleanly) return false;
    std::stringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.empty()) continue;
        // A save without an extension gets the default one.
        if (style == kSelectSaveFile && !defaultExtension.extension.empty() &&
            line.find('.', line.find_last_of('/') + 1) == std::string::npos)
            line += "." + defaultExtension.extension;
        selected.push_back(line);
    }
    if (!allowMultiple && selected.size() > 1) selected.resize(1);
    return !selected.empty();
}

bool CDialogProcessFileSelector::runModalInternal() {
    if (!spawn()) return false;
    // Blocking reads until the dialog closes its output.
    const int flags = fcntl(pipeFromChild, F_GETFL);
    if (flags >= 0) fcntl(pipeFromChild, F_SETFL, flags & ~O_NONBLOCK);
    char buffer[4096];
    for (;;) {
        const ssize_t count = read(pipeFromChild, buffer, sizeof buffer);
        if (count > 0) {
            output.append(buffer, static_cast<size_t>(count));
        } else if (count == 0 || errno != EINTR) {
            break;
        }
    }
    int status = 0;
    pid_t reaped;
    while ((reaped = waitpid(child, &status, 0)) < 0 && errno == EINTR) {
    }
    const bool clean =
        reaped == child ? WIFEXITED(status) && WEXITSTATUS(status) == 0 : !output.empty();
    return takeAnswer(clean);
}

bool CDialogProcessFileSelector::startInternal() {
    if (!spawn()) return false;
    const int flags = fcntl(pipeFromChild, F_GETFL);
    if (flags < 0 || fcntl(pipeFromChild, F_SETFL, flags | O_NONBLOCK) != 0) {
        cancelInternal();
        return false;
    }
    return true;
}

void CDialogProcessFileSelector::pollInternal() {
    if (child == 0) return;
    const bool pipeOpen = drainPipe();
    int status = 0;
    bool reaped = false;
    if (!childGone(child, status, reaped)) return;
    if (reaped) {
        // Whatever it wrote before exiting is in the pipe by now.
        drainPipe();
        finish(takeAnswer(WIFEXITED(status) && WEXITSTATUS(status) == 0));
        return;
    }
    // Reaped by the host: the end of its output marks the answer. Its id may be reused
    // from now on, so it is never signalled again.
    reapedElsewhere = true;
    if (pipeOpen) return;
    finish(takeAnswer(!output.empty()));
}

void CDialogProcessFileSelector::cancelInternal() {
    if (child != 0 && !reapedElsewhere) {
        // The whole process group: the dialog and any helper it started.
        kill(-child, SIGKILL);
        kill(child, SIGKILL);
        int status = 0;
        while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
    }
    child = 0;
    reapedElsewhere = false;
    closePipe();
    output.clear();
}
