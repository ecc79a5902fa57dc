// A file dialog. Each platform provides one through createPlatformFileSelector; tests install
// their own through setFactory.
//
// Two ways to run one: runModal() blocks until the dialog closes; runAsync() starts it and
// delivers the result later. A platform dialog that runs its own message loop only overrides
// runModalInternal(), and runAsync() then delivers before it returns. A dialog that runs
// outside our thread (a child process) overrides startInternal/pollInternal/cancelInternal,
// and its frame's idle pass polls it until it answers.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "toolkit/CBaseObject.h"

class CFrame;

struct CFileExtension {
    std::string description;
    std::string extension; // without the dot
};

class CNewFileSelector : public CBaseObject {
  public:
    enum Style { kSelectFile, kSelectSaveFile, kSelectDirectory };
    using Factory = std::function<CNewFileSelector*(CFrame* frame, Style style)>;
    // Runs once per runAsync that started: `confirmed` is true when at least one file was
    // chosen (getSelectedFile is valid inside the call).
    using Callback = std::function<void(CNewFileSelector* selector, bool confirmed)>;

    // Null when there is no frame; the caller forgets the selector when done.
    static CNewFileSelector* create(CFrame* frame, Style style = kSelectFile);
    // Replaces how selectors are made; an empty factory restores the system dialog.
    static void setFactory(Factory factory);

    void setTitle(const char* newTitle) { title = newTitle ? newTitle : ""; }
    void setInitialDirectory(const char* directory) {
        initialDirectory = directory ? directory : "";
    }
    void setDefaultSaveName(const char* name) { defaultSaveName = name ? name : ""; }
    void setDefaultExtension(const CFileExtension& extension) { defaultExtension = extension; }
    void addFileExtension(const CFileExtension& extension) { extensions.push_back(extension); }
    void setAllowMultiFileSelection(bool state) { allowMultiple = state; }

    // Shows the dialog and blocks until it closes; true when at least one file was chosen.
    bool runModal();

    // Starts the dialog and returns. False when it could not start (no frame, a dialog of
    // this frame is already up, no dialog program): onDone then never runs. While running,
    // the selector keeps itself alive, so the caller may forget it right away.
    bool runAsync(Callback onDone);
    bool isRunning() const { return running; }
    // Ends a running dialog without delivering anything.
    void cancel();

    // Whether a dialog started through runAsync for this frame is still up.
    static bool isDialogRunning(const CFrame* frame);
    // Checks this frame's running dialogs without blocking and delivers any answer.
    static void pollRunning(const CFrame* frame);
    // Ends this frame's running dialogs (the editor is closing): nothing is delivered.
    static void cancelRunning(const CFrame* frame);

    int32_t getNumSelectedFiles() const { return static_cast<int32_t>(selected.size()); }
    const char* getSelectedFile(int32_t index) const;

    Style getStyle() const { return style; }
    const std::string& getTitle() const { return title; }
    const std::string& getInitialDirectory() const { return initialDirectory; }
    const std::string& getDefaultSaveName() const { return defaultSaveName; }
    const CFileExtension& getDefaultExtension() const { return defaultExtension; }
    const std::vector<CFileExtension>& getFileExtensions() const { return extensions; }
    bool getAllowMultiFileSelection() const { return allowMultiple; }

  protected:
    CNewFileSelector(CFrame* frame, Style style) : frame(frame), style(style) {}
    // Blocks until the dialog closes; fills `selected`; answers whether the user confirmed.
    virtual bool runModalInternal() = 0;
    // Starts the dialog for runAsync: false when it could not start. The default runs
    // runModalInternal and delivers through finish() before returning.
    virtual bool startInternal();
    // Called from the idle pass while running; calls finish() once the dialog answered.
    virtual void pollInternal() {}
    // Ends the dialog at once without an answer.
    virtual void cancelInternal() {}
    // Delivers the result of a runAsync; for overrides of startInternal/pollInternal.
    void finish(bool confirmed);

    CFrame* frame;
    Style style;
    std::string title;
    std::string initialDirectory;
    std::string defaultSaveName;
    CFileExtension defaultExtension;
    std::vector<CFileExtension> extensions;
    bool allowMultiple = false;
    std::vector<std::string> selected;

  private:
    bool running = false;
    Callback callback;
};

// The system dialog of the platform the plug-in was built for; defined once per platform.
CNewFileSelector* createPlatformFileSelector(CFrame* frame, CNewFileSelector::Style style);
