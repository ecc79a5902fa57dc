#include "toolkit/CNewFileSelector.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <sstream>

extern char** environ;

namespace {

CNewFileSelector::Factory& factory() {
    static CNewFileSelector::Factory current;
    return current;
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

// Runs the program, collects its standard output and waits for it; the exit status
// comes back through `status`.
bool runAndRead(const std::vector<std::string>& command, std::string& output, int& status) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[1]);
    std::vector<char*> argv;
    for (const std::string& argument : command)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t child = 0;
    const int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (spawned != 0) {
        close(pipeEnds[0]);
        return false;
    }
    char buffer[4096];
    for (;;) {
        const ssize_t count = read(pipeEnds[0], buffer, sizeof buffer);
        if (count > 0) {
            output.append(buffer, static_cast<size_t>(count));
        } else if (count == 0 || errno != EINTR) {
            break;
        }
    }
    close(pipeEnds[0]);
    pid_t reaped;
    while ((reaped = waitpid(child, &status, 0)) < 0 && errno == EINTR) {
    }
    // A host that reaps children itself leaves no status: then the output decides.
    if (reaped < 0) status = output.empty() ? 1 << 8 : 0;
    return true;
}

} // namespace

CNewFileSelector* CNewFileSelector::create(CFrame* frame, Style style) {
    if (!frame) return nullptr;
    if (factory()) return factory()(frame, style);
    return new CDialogProcessFileSelector(frame, style);
}

void CNewFileSelector::setFactory(Factory newFactory) {
    factory() = std::move(newFactory);
}

bool CNewFileSelector::runModal() {
    selected.clear();
    return runModalInternal() && !selected.empty();
}

const char* CNewFileSelector::getSelectedFile(int32_t index) const {
    if (index < 0 || index >= getNumSelectedFiles()) return nullptr;
    return selected[static_cast<size_t>(index)].c_str();
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

bool CDialogProcessFileSelector::runModalInternal() {
    const std::string program = onPath("zenity") ? "zenity" : onPath("kdialog") ? "kdialog" : "";
    if (program.empty()) return false;
    std::string output;
    int status = 0;
    if (!runAndRead(commandLine(program), output, status)) return false;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return false;
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
