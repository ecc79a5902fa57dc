#include "toolkit/COptionMenu.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "toolkit/CDrawContext.h"
#include "toolkit/CFrame.h"

namespace {

constexpr CCoord kItemHeight = 16;
constexpr CCoord kColumnWidth = 150;
constexpr CColor kMenuBack{240, 240, 240, 255};
constexpr CColor kMenuHighlight{60, 110, 180, 255};
constexpr CColor kMenuText{20, 20, 20, 255};

// The open list: covers the whole frame so that a click anywhere reaches it.
class COptionMenuPopup : public CView {
  public:
    COptionMenuPopup(const CRect& frameSize, COptionMenu& menu) : CView(frameSize), menu(menu) {
        const int32_t count = menu.getNbEntries();
        const int32_t perColumn = std::min(count, menu.getNbItemsPerColumn());
        const int32_t columns = (count + perColumn - 1) / perColumn;
        const CRect& anchor = menu.getViewSize();
        CRect box(CPoint(anchor.left, anchor.bottom), columns * kColumnWidth,
                  perColumn * kItemHeight);
        // Keep the list inside the frame: shift left and up when it would overflow.
        if (box.right > frameSize.right) box.offset(frameSize.right - box.right, 0);
        if (box.bottom > frameSize.bottom) box.offset(0, frameSize.bottom - box.bottom);
        if (box.left < frameSize.left) box.offset(frameSize.left - box.left, 0);
        if (box.top < frameSize.top) box.offset(0, frameSize.top - box.top);
        list = box;
        this->perColumn = perColumn;
    }
    ~COptionMenuPopup() override { menu.popupDestroyed(this); }

    const CRect& getListRect() const { return list; }

    int32_t entryAt(const CPoint& where) const {
        if (!list.pointInside(where)) return -1;
        const auto column = static_cast<int32_t>((where.x - list.left) / kColumnWidth);
        const auto row = static_cast<int32_t>((where.y - list.top) / kItemHeight);
        const int32_t index = column * perColumn + row;
        return index < menu.getNbEntries() ? index : -1;
    }

    CRect entryRect(int32_t index) const {
        const int32_t column = index / perColumn;
        const int32_t row = index % perColumn;
        return CRect(CPoint(list.left + column * kColumnWidth, list.top + row * kItemHeight),
                     kColumnWidth, kItemHeight);
    }

    void draw(CDrawContext* context) override {
        context->setFillColor(kMenuBack);
        context->setFrameColor(kMenuText);
        context->drawRect(list, kDrawFilledAndStroked);
        context->setFont(CFontDesc("Arial", 11));
        for (int32_t i = 0; i < menu.getNbEntries(); ++i) {
            const CRect item = entryRect(i);
            CMenuItem* entry = menu.getEntry(i);
            context->setFontColor(kMenuText);
            if (i == highlighted) {
                context->setFillColor(kMenuHighlight);
                context->drawRect(item, kDrawFilled);
                context->setFontColor(kWhiteCColor);
            }
            if (entry->isChecked())
                context->drawString("*", CRect(item.left, item.top, item.left + 14, item.bottom));
            context->drawString(entry->getTitle(),
                                CRect(item.left + 16, item.top, item.right - 2, item.bottom),
                                kLeftText);
        }
        setDirty(false);
    }

    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override {
        if (!buttons.isLeftButton() && !buttons.isRightButton()) return kMouseEventNotHandled;
        // Closing destroys this view: nothing may touch members afterwards.
        menu.popupClosed(entryAt(where));
        return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    }

    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState&) override {
        const int32_t index = entryAt(where);
        if (index != highlighted) {
            if (highlighted >= 0) invalidRect(entryRect(highlighted));
            highlighted = index;
            if (highlighted >= 0) invalidRect(entryRect(highlighted));
        }
        return kMouseEventHandled;
    }

    int32_t onKeyDown(CKeyCode& key) override {
        if (key.virt != VKEY_ESCAPE) return kKeyNotHandled;
        menu.popupClosed(-1);
        return kKeyHandled;
    }

  private:
    COptionMenu& menu;
    CRect list;
    int32_t perColumn = 1;
    int32_t highlighted = -1;
};

} // namespace

COptionMenu::COptionMenu(const CRect& size, CControlListener* listener, int32_t tag,
                         CBitmap* background, CBitmap*, int32_t style)
    : CParamDisplay(size, background, style) {
    this->listener = listener;
    this->tag = tag;
    maxValue = 0;
    value = 0;
}

int32_t COptionMenu::addEntry(const char* title) {
    entries.emplace_back(title ? title : "");
    maxValue = static_cast<float>(entries.size() - 1);
    updateChecks();
    setDirty();
    return getNbEntries() - 1;
}

bool COptionMenu::removeAllEntry() {
    entries.clear();
    maxValue = 0;
    value = 0;
    setDirty();
    return true;
}

CMenuItem* COptionMenu::getEntry(int32_t index) {
    if (index < 0 || index >= getNbEntries()) return nullptr;
    return &entries[static_cast<size_t>(index)];
}

bool COptionMenu::setCurrent(int32_t index) {
    if (index < 0 || index >= getNbEntries()) return false;
    setValue(static_cast<float>(index));
    return true;
}

int32_t COptionMenu::getCurrent() const {
    return static_cast<int32_t>(std::lround(value));
}

void COptionMenu::setValue(float newValue) {
    CParamDisplay::setValue(newValue);
    updateChecks();
}

void COptionMenu::updateChecks() {
    const int32_t current = getCurrent();
    for (int32_t i = 0; i < getNbEntries(); ++i)
        entries[static_cast<size_t>(i)].setChecked((style & kCheckStyle) && i == current);
}

void COptionMenu::getDisplayText(char* text) const {
    const int32_t current = getCurrent();
    const char* title = current >= 0 && current < getNbEntries()
                            ? entries[static_cast<size_t>(current)].getTitle()
                            : "";
    std::snprintf(text, kTextSize, "%s", title);
}

CMouseEventResult COptionMenu::onMouseDown(CPoint&, const CButtonState& buttons) {
    if (!buttons.isLeftButton() || !frame || entries.empty() || popup) return kMouseEventNotHandled;
    auto* list = new COptionMenuPopup(frame->getViewSize(), *this);
    if (!frame->setModalView(list)) {
        list->forget();
        return kMouseEventNotHandled;
    }
    popup = list;
    beginEdit();
    popup->invalid();
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

void COptionMenu::popupClosed(int32_t index) {
    if (!popup) return;
    CView* list = popup;
    popup = nullptr;
    if (frame) {
        list->invalid();
        if (frame->getModalView() == list) frame->setModalView(nullptr);
    }
    list->forget();
    if (index >= 0) {
        setCurrent(index);
        invalid();
        valueChanged();
    }
    endEdit();
}

void COptionMenu::popupDestroyed(CView* list) {
    if (popup != list) return;
    popup = nullptr; // the frame released the list while it was open
    if (isEditing()) endEdit();
}

bool COptionMenu::removed(CViewContainer* parent) {
    // A menu leaving the frame takes its open list along, without reporting a choice.
    if (popup) {
        CView* list = popup;
        popup = nullptr;
        if (frame && frame->getModalView() == list) frame->setModalView(nullptr);
        list->forget();
        endEdit();
    }
    return CParamDisplay::removed(parent);
}

bool COptionMenu::isTypeOf(const char* type) const {
    return std::strcmp(type, "COptionMenu") == 0 || CParamDisplay::isTypeOf(type);
}
