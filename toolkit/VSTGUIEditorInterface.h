// What the toolkit needs from the editor that owns a frame.
#pragma once

#include <cstdint>

enum CKnobMode : int32_t {
    kCircularMode = 0,
    kRelativCircularMode = 1,
    kLinearMode = 2,
};

class VSTGUIEditorInterface {
  public:
    virtual ~VSTGUIEditorInterface() = default;
    // Brackets a mouse gesture on the control with this tag.
    virtual void beginEdit(int32_t tag) = 0;
    virtual void endEdit(int32_t tag) = 0;
    virtual int32_t getKnobMode() const = 0;
    // Lets the editor keep its host alive during long modal work.
    virtual void doIdleStuff() {}
    // The screen under the editor's window may have another density now (the window moved to
    // another monitor); called from the window's event dispatch.
    virtual void screenScaleChanged() {}
};
