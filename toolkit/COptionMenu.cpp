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

constexpr CCoord kCheckColumn = 16; // room for the check mark before each title
constexpr CCoord kTitleMargin = 6;

// The open list: covers the whole frame so that a click anywhere reaches it.
class COptionMenuPopup : public CView {
  public:
    COptionMenuPopup(const CRect& frameSize, COptionMenu& menu) : CView(frameSize), menu(menu) {
        layout(kColumnWidth);
    }
    ~COptionMenuPopup() override { menu.popupDestroyed(this); }

    const CRect& getListRect() const { return list; }

    // Places the list wholly inside the frame: below the menu and from its left edge where
    // that fits, else above it and ending at its right edge, else against the frame's edge.
    // Entries that do not fit the frame's height go into further columns.
    void layout(CCoord wantedColumnWidth) {
        const CRect& bounds = size;
        const CRect& anchor = menu.getViewSize();
        const int32_t count = std::max(menu.getNbEntries(), 1);
        const auto rowsThatFit =
            std::max<int32_t>(1, static_cast<int32_t>(bounds.getHeight() / kItemHeight));
        perColumn = std::clamp(std::min(count, menu.getNbItemsPerColumn()), 1, rowsThatFit);
        const int32_t columns = (count + perColumn - 1) / perColumn;
        columnWidth = std::min(wantedColumnWidth, std::floor(bounds.getWidth() / columns));
        const CCoord width = columns * columnWidth;
        const CCoord height = perColumn * kItemHeight;

        CCoord top = anchor.bottom;
        if (top + height > bounds.bottom)
            top = anchor.top - height >= bounds.top ? anchor.top - height : bounds.bottom - height;
        CCoord left = anchor.left;
        if (left + width > bounds.right)
            left =
                anchor.right - width >= bounds.left ? anchor.right - width : bounds.right - width;
        list = CRect(CPoint(std::max(left, bounds.left), std::max(top, bounds.top)), width, height);
    }

    int32_t entryAt(const CPoint& where) const {
        if (!list.pointInside(where)) return -1;
        const auto column = static_cast<int32_t>((where.x - list.left) / columnWidth);
        const auto row = static_cast<int32_t>((where.y - list.top) / kItemHeight);
        const int32_t index = column * perColumn + row;
        return index < menu.getNbEntries() ? index : -1;
    }

    CRect entryRect(int32_t index) const {
        const int32_t column = index / perColumn;
        const int32_t row = index % perColumn;
        return CRect(CPoint(list.left + column * columnWidth, list.top + row * kItemHeight),
                     columnWidth, kItemHeight);
    }

    void draw(CDrawContext* context) override {
        context->setFont(CFontDesc("Arial", 11));
        if (!measured) {
            // Columns as wide as the widest title, as far as the frame allows.
            measured = true;
            CCoord widest = 0;
            for (int32_t i = 0; i < menu.getNbEntries(); ++i)
                widest = std::max(widest, context->getStringWidth(menu.getEntry(i)->getTitle()));
            const CCoord wanted = std::ceil(kCheckColumn + widest + kTitleMargin);
            if (wanted > columnWidth) {
                const CRect before = list;
                layout(wanted);
                invalidRect(before.unite(list));
            }
        }
        context->setFillColor(kMenuBack);
        context->setFrameColor(kMenuText);
        context->drawRect(list, kDrawFilledAndStroked);
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
                context->drawString(
                    "*", CRect(item.left, item.top, item.left + kCheckColumn - 2, item.bottom));
            context->drawString(
                entry->getTitle(),
                CRect(item.left + kCheckColumn, item.top, item.right - 2, item.bottom), kLeftText);
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
    CCoord columnWidth = kColumnWidth;
    bool measured = false;
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

CRect COptionMenu::getPopupListRect() const {
    return popup ? static_cast<const COptionMenuPopup*>(popup)->getListRect() : CRect();
}

CRect COptionMenu::getPopupEntryRect(int32_t index) const {
    if (!popup || index < 0 || index >= getNbEntries()) return {};
    return static_cast<const COptionMenuPopup*>(popup)->entryRect(index);
}

bool COptionMenu::isTypeOf(const char* type) const {
    return std::strcmp(type, "COptionMenu") == 0 || CParamDisplay::isTypeOf(type);
}
