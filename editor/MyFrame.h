// The editor's frame: the toolkit frame, and a right click on bare panel (where no view
// lies, so every control and the about area keep their own answers) goes to the editor,
// which offers its sizes there.
#pragma once

#include <functional>

#include "toolkit/CFrame.h"

class MyFrame : public CFrame {
  public:
    using CFrame::CFrame;

    std::function<void(const CPoint&)> onFreeRightClick;

    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override {
        const CMouseEventResult result = CFrame::onMouseDown(where, buttons);
        if (result != kMouseEventNotHandled || !isRightClickAlone(buttons) || !onFreeRightClick ||
            isInputBlocked() || getModalView() || getViewAt(where))
            return result;
        onFreeRightClick(where);
        return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    }

  private:
    static bool isRightClickAlone(const CButtonState& buttons) {
        return buttons.isRightButton() && !buttons.isLeftButton();
    }
};
