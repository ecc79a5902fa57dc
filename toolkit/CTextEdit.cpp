#include "toolkit/CTextEdit.h"

#include <cmath>
#include <cstdio>

#include "toolkit/CFrame.h"

CTextEdit::CTextEdit(const CRect& size, CControlListener* listener, int32_t tag,
                     const char* initialText, CBitmap* background, int32_t style)
    : CParamDisplay(size, background, style) {
    this->listener = listener;
    this->tag = tag;
    setText(initialText);
}

void CTextEdit::setText(const char* newText) {
    std::string next = newText ? newText : "";
    if (next.size() > kTextSize - 1) next.resize(kTextSize - 1);
    if (next == text) return;
    text = std::move(next);
    caret = std::min(caret, text.size());
    setDirty();
}

void CTextEdit::getDisplayText(char* out) const {
    std::snprintf(out, kTextSize, "%s", text.c_str());
}

void CTextEdit::draw(CDrawContext* context) {
    CParamDisplay::draw(context);
    if (!editingText) return;
    // Caret after the measured prefix, placed as drawString places the whole text.
    const CCoord fullWidth = context->getStringWidth(text.c_str());
    const CCoord prefixWidth = context->getStringWidth(text.substr(0, caret).c_str());
    CCoord start = size.left + 2;
    if (horiAlign == kCenterText) start = size.left + (size.getWidth() - fullWidth) / 2;
    if (horiAlign == kRightText) start = size.right - fullWidth;
    const CCoord x = std::round(start + prefixWidth) + 0.5;
    context->setFrameColor(fontColor);
    context->drawLine(CPoint(x, size.top + 2), CPoint(x, size.bottom - 2));
}

CMouseEventResult CTextEdit::onMouseDown(CPoint&, const CButtonState& buttons) {
    if (!buttons.isLeftButton()) return kMouseEventNotHandled;
    if (!editingText) {
        if (frame)
            frame->setFocusView(this);
        else
            takeFocus();
    }
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

void CTextEdit::takeFocus() {
    if (editingText) return;
    editingText = true;
    textBeforeEdit = text;
    caret = text.size();
    beginEdit();
    invalid();
}

void CTextEdit::looseFocus() {
    finishEditing(true);
}

void CTextEdit::finishEditing(bool commit) {
    if (!editingText) return;
    editingText = false;
    if (!commit) setText(textBeforeEdit.c_str());
    invalid();
    if (commit) valueChanged();
    endEdit();
    if (frame && frame->getFocusView() == this) frame->setFocusView(nullptr);
}

int32_t CTextEdit::onKeyDown(CKeyCode& key) {
    if (!editingText) return kKeyNotHandled;
    switch (key.virt) {
    case VKEY_RETURN:
    case VKEY_ENTER:
        finishEditing(true);
        return kKeyHandled;
    case VKEY_ESCAPE:
        finishEditing(false);
        return kKeyHandled;
    case VKEY_BACK:
        if (caret > 0) text.erase(--caret, 1);
        break;
    case VKEY_DELETE:
        if (caret < text.size()) text.erase(caret, 1);
        break;
    case VKEY_LEFT:
        if (caret > 0) --caret;
        break;
    case VKEY_RIGHT:
        if (caret < text.size()) ++caret;
        break;
    case VKEY_HOME:
        caret = 0;
        break;
    case VKEY_END:
        caret = text.size();
        break;
    case 0:
        if (key.character < 0x20 || key.character > 0xFF || text.size() >= kTextSize - 1)
            return kKeyNotHandled;
        text.insert(caret++, 1, static_cast<char>(key.character));
        break;
    default:
        return kKeyNotHandled;
    }
    setDirty();
    invalid();
    return kKeyHandled;
}

bool CTextEdit::isTypeOf(const char* type) const {
    return std::strcmp(type, "CTextEdit") == 0 || CParamDisplay::isTypeOf(type);
}
