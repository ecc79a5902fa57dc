#include "toolkit/CNewFileSelector.h"

#include <algorithm>

namespace {

CNewFileSelector::Factory& factory() {
    static CNewFileSelector::Factory current;
    return current;
}

// Dialogs started through runAsync and not yet answered, with their frames. Only the UI
// thread touches this.
struct RunningDialog {
    CNewFileSelector* selector;
    const CFrame* frame;
};
std::vector<RunningDialog>& runningDialogs() {
    static std::vector<RunningDialog> dialogs;
    return dialogs;
}

void forgetRunning(const CNewFileSelector* selector) {
    auto& dialogs = runningDialogs();
    dialogs.erase(std::remove_if(dialogs.begin(), dialogs.end(),
                                 [selector](const RunningDialog& dialog) {
                                     return dialog.selector == selector;
                                 }),
                  dialogs.end());
}

std::vector<CNewFileSelector*> runningFor(const CFrame* frame) {
    std::vector<CNewFileSelector*> found;
    for (const RunningDialog& dialog : runningDialogs())
        if (dialog.frame == frame) found.push_back(dialog.selector);
    return found;
}

bool stillRunning(const CNewFileSelector* selector) {
    const auto& dialogs = runningDialogs();
    return std::any_of(dialogs.begin(), dialogs.end(), [selector](const RunningDialog& dialog) {
        return dialog.selector == selector;
    });
}

} // namespace

CNewFileSelector* CNewFileSelector::create(CFrame* frame, Style style) {
    if (!frame) return nullptr;
    if (factory()) return factory()(frame, style);
    return createPlatformFileSelector(frame, style);
}

void CNewFileSelector::setFactory(Factory newFactory) {
    factory() = std::move(newFactory);
}

bool CNewFileSelector::runModal() {
    if (running) return false;
    selected.clear();
    return runModalInternal() && !selected.empty();
}

bool CNewFileSelector::runAsync(Callback onDone) {
    if (running || !frame || isDialogRunning(frame)) return false;
    selected.clear();
    callback = std::move(onDone);
    running = true;
    remember(); // released by finish or cancel
    runningDialogs().push_back({this, frame});
    bool started = false;
    try {
        started = startInternal();
    } catch (...) {
        started = false;
    }
    if (!started && running) {
        running = false;
        forgetRunning(this);
        callback = nullptr;
        forget();
        return false;
    }
    return true;
}

bool CNewFileSelector::startInternal() {
    const bool confirmed = runModalInternal();
    finish(confirmed);
    return true;
}

void CNewFileSelector::finish(bool confirmed) {
    if (!running) return;
    running = false;
    forgetRunning(this);
    Callback onDone = std::move(callback);
    callback = nullptr;
    if (onDone) {
        try {
            onDone(this, confirmed && !selected.empty());
        } catch (...) {
            // The answer is lost, as if the dialog had been cancelled.
        }
    }
    forget();
}

void CNewFileSelector::cancel() {
    if (!running) return;
    try {
        cancelInternal();
    } catch (...) {
    }
    running = false;
    forgetRunning(this);
    callback = nullptr;
    forget();
}

bool CNewFileSelector::isDialogRunning(const CFrame* frame) {
    return !runningFor(frame).empty();
}

void CNewFileSelector::pollRunning(const CFrame* frame) {
    for (CNewFileSelector* selector : runningFor(frame)) {
        // An earlier answer's callback may have cancelled this one.
        if (!stillRunning(selector)) continue;
        selector->remember();
        try {
            selector->pollInternal();
        } catch (...) {
            selector->cancel();
        }
        selector->forget();
    }
}

void CNewFileSelector::cancelRunning(const CFrame* frame) {
    for (CNewFileSelector* selector : runningFor(frame))
        if (stillRunning(selector)) selector->cancel();
}

const char* CNewFileSelector::getSelectedFile(int32_t index) const {
    if (index < 0 || index >= getNumSelectedFiles()) return nullptr;
    return selected[static_cast<size_t>(index)].c_str();
}
