// A file dialog that answers from a script and remembers how it was set up.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "toolkit/CNewFileSelector.h"

struct DialogRequest {
    CNewFileSelector::Style style;
    std::string title;
    std::string initialDirectory;
    std::string defaultSaveName;
    std::vector<CFileExtension> fileTypes;
    CFileExtension defaultExtension;
    bool multipleSelection;
};

class DialogScript {
  public:
    // Installs itself as the toolkit's selector factory until destroyed.
    DialogScript();
    ~DialogScript();
    DialogScript(const DialogScript&) = delete;
    DialogScript& operator=(const DialogScript&) = delete;

    // The files the next dialog answers with; none means the user cancelled.
    void answer(std::vector<std::string> files) { answers.push_back(std::move(files)); }
    std::vector<DialogRequest> requests;
    std::deque<std::vector<std::string>> answers;
};
