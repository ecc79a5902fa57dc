// A modal file dialog. The default one runs zenity (or kdialog) as a child process and waits;
// tests install their own through setFactory.
#pragma once

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
    // Fills `selected`; answers whether the user confirmed.
    virtual bool runModalInternal() = 0;

    CFrame* frame;
    Style style;
    std::string title;
    std::string initialDirectory;
    std::string defaultSaveName;
    CFileExtension defaultExtension;
    std::vector<CFileExtension> extensions;
    bool allowMultiple = false;
    std::vector<std::string> selected;
};

// The system dialog: zenity, else kdialog, found on PATH.
class CDialogProcessFileSelector : public CNewFileSelector {
  public:
    CDialogProcessFileSelector(CFrame* frame, Style style) : CNewFileSelector(frame, style) {}
    // The command line for one of the two programs ("zenity" or "kdialog").
    std::vector<std::string> commandLine(const std::string& program) const;

  protected:
    bool runModalInternal() override;
};
