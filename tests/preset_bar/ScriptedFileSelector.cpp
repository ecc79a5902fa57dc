#include "ScriptedFileSelector.h"

namespace {

class ScriptedFileSelector : public CNewFileSelector {
  public:
    ScriptedFileSelector(CFrame* frame, Style style, DialogScript& script)
        : CNewFileSelector(frame, style), script(script) {}

  protected:
    bool runModalInternal() override {
        script.requests.push_back({style, title, initialDirectory, defaultSaveName, extensions,
                                   defaultExtension, allowMultiple});
        if (script.answers.empty()) return false;
        selected = script.answers.front();
        script.answers.pop_front();
        return !selected.empty();
    }

  private:
    DialogScript& script;
};

} // namespace

DialogScript::DialogScript() {
    CNewFileSelector::setFactory([this](CFrame* frame, CNewFileSelector::Style style) {
        return new ScriptedFileSelector(frame, style, *this);
    });
}

DialogScript::~DialogScript() {
    CNewFileSelector::setFactory({});
}
