#include "toolkit/CTextEdit.h"

#include <cmath>
#include <cstdio>

#include "toolkit/CFrame.h"

namespace {
// Room kept between the field's edge and its text.
constexpr CCoord kTextInset = 2;
} // namespace

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
    anchor = std::min(anchor, text.size());
    setDirty();
}

void CTextEdit::getDisplayText(char* out) const {
    std::snprintf(out, kTextSize, "%s", text.c_str());
}

CRect CTextEdit::getTextArea() const {
    CRect area = size;
    area.left += kTextInset;
    area.right -= kTextInset;
    if (area.right < area.left) area.right = area.left;
    return area;
}

CCoord CTextEdit::textOrigin(CCoord fullWidth) {
    const CRect area = getTextArea();
    const CCoord room = area.getWidth();
    if (fullWidth <= room) {
        scroll = 0;
        if (horiAlign == kCenterText) return area.left + (room - fullWidth) / 2;
        if (horiAlign == kRightText) return area.right - fullWidth;
        return area.left;
    }
    if (!editingText) {
        scroll = 0;
        return area.left; // the start of a long name stays readable
    }
    // Scroll just enough to keep the caret's column inside the area.
    const CCoord caretX = boundaries[caret];
    const CCoord lastColumn = std::max<CCoord>(room - 1, 0);
    if (caretX - scroll > lastColumn) scroll = caretX - lastColumn;
    if (caretX - scroll < 0) scroll = caretX;
    scroll = std::clamp<CCoord>(scroll, 0, fullWidth - lastColumn);
    return area.left - scroll;
}

void CTextEdit::draw(CDrawContext* context) {
    if (style & kNoDrawStyle) {
        setDirty(false);
        return;
    }
    drawBack(context);
    context->setFont(font);
    boundaries.assign(text.size() + 1, 0);
    for (size_t i = 1; i <= text.size(); ++i)
        boundaries[i] = context->getStringWidth(text.substr(0, i).c_str());
    const CCoord fullWidth = boundaries.back();
    const CCoord left = std::round(textOrigin(fullWidth));
    drawnTextLeft = left;

    const CRect area = getTextArea();
    context->pushClip(area);
    const CRect line(left, size.top, left + fullWidth + 2, size.bottom);
    context->setFontColor(fontColor);
    context->drawString(text.c_str(), line, kLeftText, antialias);
    if (editingText) {
        const size_t from = getSelectionStart(), to = getSelectionEnd();
        if (from != to) {
            // The selected part again, light on a dark band.
            const CRect band(std::round(left + boundaries[from]), size.top + 2,
                             std::round(left + boundaries[to]), size.bottom - 2);
            context->setFillColor(selectionColor);
            context->drawRect(band, kDrawFilled);
            context->pushClip(band);
            context->setFontColor(selectedTextColor);
            context->drawString(text.c_str(), line, kLeftText, antialias);
            context->popClip();
        }
        drawnCaretX = std::round(left + boundaries[caret]) + 0.5;
        if (from == to) {
            context->setFrameColor(fontColor);
            context->drawLine(CPoint(drawnCaretX, size.top + 2),
                              CPoint(drawnCaretX, size.bottom - 2));
        }
    }
    context->popClip();
    setDirty(false);
}

size_t CTextEdit::boundaryAt(CCoord x) const {
    if (boundaries.size() != text.size() + 1) return text.size();
    const CCoord offset = x - drawnTextLeft;
    size_t best = 0;
    for (size_t i = 1; i < boundaries.size(); ++i)
        if (std::abs(boundaries[i] - offset) < std::abs(boundaries[best] - offset)) best = i;
    return best;
}

CMouseEventResult CTextEdit::onMouseDown(CPoint& where, const CButtonState& buttons) {
    if (!buttons.isLeftButton()) return kMouseEventNotHandled;
    if (!editingText) {
        if (frame)
            frame->setFocusView(this);
        else
            takeFocus();
        return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    }
    // A click inside a field being edited places the caret; dragging selects.
    caret = boundaryAt(where.x);
    if (!(buttons.getModifierState() & kShift)) anchor = caret;
    selectingWithMouse = true;
    invalid();
    return kMouseEventHandled;
}

CMouseEventResult CTextEdit::onMouseMoved(CPoint& where, const CButtonState& buttons) {
    if (!selectingWithMouse || !editingText || !buttons.isLeftButton())
        return kMouseEventNotHandled;
    const size_t next = boundaryAt(where.x);
    if (next != caret) {
        caret = next;
        invalid();
    }
    return kMouseEventHandled;
}

CMouseEventResult CTextEdit::onMouseUp(CPoint&, const CButtonState&) {
    selectingWithMouse = false;
    return kMouseEventHandled;
}

void CTextEdit::takeFocus() {
    if (editingText) return;
    editingText = true;
    textBeforeEdit = text;
    // The whole name selected: typing replaces it.
    anchor = 0;
    caret = text.size();
    scroll = 0;
    beginEdit();
    invalid();
}

void CTextEdit::looseFocus() {
    finishEditing(true);
}

void CTextEdit::finishEditing(bool commit) {
    if (!editingText) return;
    editingText = false;
    selectingWithMouse = false;
    if (!commit) setText(textBeforeEdit.c_str());
    anchor = caret;
    scroll = 0;
    invalid();
    if (commit) valueChanged();
    endEdit();
    if (frame && frame->getFocusView() == this) frame->setFocusView(nullptr);
}

void CTextEdit::eraseSelection() {
    const size_t from = getSelectionStart();
    text.erase(from, getSelectionEnd() - from);
    caret = anchor = from;
}

int32_t CTextEdit::onKeyDown(CKeyCode& key) {
    if (!editingText) return kKeyNotHandled;
    const bool extend = (key.modifier & kModifierShift) != 0;
    const bool selection = anchor != caret;
    switch (key.virt) {
    case VKEY_RETURN:
    case VKEY_ENTER:
        finishEditing(true);
        return kKeyHandled;
    case VKEY_ESCAPE:
        finishEditing(false);
        return kKeyHandled;
    case VKEY_BACK:
        if (selection)
            eraseSelection();
        else if (caret > 0)
            text.erase(anchor = --caret, 1);
        break;
    case VKEY_DELETE:
        if (selection)
            eraseSelection();
        else if (caret < text.size())
            text.erase(caret, 1);
        break;
    case VKEY_LEFT:
        if (selection && !extend)
            caret = getSelectionStart();
        else if (caret > 0)
            --caret;
        if (!extend) anchor = caret;
        break;
    case VKEY_RIGHT:
        if (selection && !extend)
            caret = getSelectionEnd();
        else if (caret < text.size())
            ++caret;
        if (!extend) anchor = caret;
        break;
    case VKEY_HOME:
        caret = 0;
        if (!extend) anchor = caret;
        break;
    case VKEY_END:
        caret = text.size();
        if (!extend) anchor = caret;
        break;
    case 0:
        if (key.character < 0x20 || key.character > 0xFF) return kKeyNotHandled;
        if (selection) eraseSelection();
        if (text.size() >= kTextSize - 1) break;
        text.insert(caret++, 1, static_cast<char>(key.character));
        anchor = caret;
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
