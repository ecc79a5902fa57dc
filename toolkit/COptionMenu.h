// A menu of titled entries whose value is the chosen entry's index. A left click opens the
// list as a modal view drawn over the frame, wholly inside it; choosing an entry reports it,
// clicking elsewhere or Escape closes the list without a change.
#pragma once

#include <string>
#include <vector>

#include "toolkit/CParamDisplay.h"

class CMenuItem {
  public:
    explicit CMenuItem(std::string title) : title(std::move(title)) {}
    const char* getTitle() const { return title.c_str(); }
    void setTitle(const char* newTitle) { title = newTitle ? newTitle : ""; }
    bool isChecked() const { return checked; }
    void setChecked(bool state) { checked = state; }

  private:
    std::string title;
    bool checked = false;
};

class COptionMenu : public CParamDisplay {
  public:
    COptionMenu(const CRect& size, CControlListener* listener, int32_t tag,
                CBitmap* background = nullptr, CBitmap* selectedBackground = nullptr,
                int32_t style = 0);

    // Adds an entry and returns its index; the maximum follows the number of entries.
    int32_t addEntry(const char* title);
    bool removeAllEntry();
    int32_t getNbEntries() const { return static_cast<int32_t>(entries.size()); }
    CMenuItem* getEntry(int32_t index);
    bool setCurrent(int32_t index);
    int32_t getCurrent() const;
    void setValue(float newValue) override;
    void setNbItemsPerColumn(int32_t count) { itemsPerColumn = count > 0 ? count : 1; }
    int32_t getNbItemsPerColumn() const { return itemsPerColumn; }
    bool isPopupOpen() const { return popup != nullptr; }

    void getDisplayText(char* text) const override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    bool removed(CViewContainer* parent) override;

    // Called by the popup when it closes: `index` is the chosen entry or -1.
    void popupClosed(int32_t index);
    void popupDestroyed(CView* list);
    CView* getPopup() const { return popup; }
    // Where the open list and its entries lie in the frame (empty while closed).
    CRect getPopupListRect() const;
    CRect getPopupEntryRect(int32_t index) const;
    bool isTypeOf(const char* type) const override;

  private:
    void updateChecks();

    std::vector<CMenuItem> entries;
    int32_t itemsPerColumn = 1024;
    CView* popup = nullptr;
};
