// A text field: a left click starts editing, typing changes the text, Return or a click
// elsewhere commits, Escape restores the old text. One value change is reported per commit.
#pragma once

#include <string>

#include "toolkit/CParamDisplay.h"

class CTextEdit : public CParamDisplay {
  public:
    CTextEdit(const CRect& size, CControlListener* listener, int32_t tag, const char* text = "",
              CBitmap* background = nullptr, int32_t style = 0);

    void setText(const char* newText);
    const char* getText() const { return text.c_str(); }
    bool isEditingText() const { return editingText; }
    size_t getCaret() const { return caret; }

    void draw(CDrawContext* context) override;
    void getDisplayText(char* out) const override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    int32_t onKeyDown(CKeyCode& key) override;
    void takeFocus() override;
    void looseFocus() override;

    bool isTypeOf(const char* type) const override;
    CView* newCopy() const override { return new CTextEdit(*this); }

  private:
    void finishEditing(bool commit);

    std::string text;
    std::string textBeforeEdit;
    size_t caret = 0;
    bool editingText = false;
};
