// A text field: a left click starts editing with the whole text selected, typing replaces
// the selection, Left/Right/Home/End move the caret (with Shift they extend the selection),
// Backspace and Delete remove; Return or a click elsewhere commits, Escape restores the old
// text. One value change is reported per commit. A text wider than the field scrolls inside
// it while editing, so that the caret stays in view; otherwise its start is shown.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "toolkit/CParamDisplay.h"

class CTextEdit : public CParamDisplay {
  public:
    CTextEdit(const CRect& size, CControlListener* listener, int32_t tag, const char* text = "",
              CBitmap* background = nullptr, int32_t style = 0);

    void setText(const char* newText);
    const char* getText() const { return text.c_str(); }
    bool isEditingText() const { return editingText; }
    size_t getCaret() const { return caret; }
    // The selected characters are [getSelectionStart(), getSelectionEnd()).
    size_t getSelectionStart() const { return std::min(anchor, caret); }
    size_t getSelectionEnd() const { return std::max(anchor, caret); }
    void setSelectionColor(const CColor& color) { selectionColor = color; }

    // Where the last drawing put the text: the left edge of its first character and the
    // caret's column, in frame pixels (the caret's is meaningful only while editing).
    CCoord getDrawnTextLeft() const { return drawnTextLeft; }
    CCoord getDrawnCaretX() const { return drawnCaretX; }
    // The part of the field that text is drawn into.
    CRect getTextArea() const;

    void draw(CDrawContext* context) override;
    void getDisplayText(char* out) const override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    int32_t onKeyDown(CKeyCode& key) override;
    void takeFocus() override;
    void looseFocus() override;

    bool isTypeOf(const char* type) const override;
    CView* newCopy() const override { return new CTextEdit(*this); }

  private:
    void finishEditing(bool commit);
    void eraseSelection();
    // Where the text starts so that the whole of it, or the caret, is in view.
    CCoord textOrigin(CCoord fullWidth);
    // The character boundary nearest to a column, from the last drawing's measurements.
    size_t boundaryAt(CCoord x) const;

    std::string text;
    std::string textBeforeEdit;
    size_t caret = 0;
    size_t anchor = 0; // the selection's other end; equal to caret when nothing is selected
    bool editingText = false;
    bool selectingWithMouse = false;
    CCoord scroll = 0; // how far a long text is pushed left while editing
    CColor selectionColor{60, 110, 180, 255};
    CColor selectedTextColor = kWhiteCColor;
    // Measured by draw: the x of every character boundary, relative to the text's start.
    std::vector<CCoord> boundaries;
    CCoord drawnTextLeft = 0;
    CCoord drawnCaretX = 0;
};
