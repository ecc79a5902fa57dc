// A view with a value between a minimum and a maximum, a tag and a listener that hears
// the user's changes. Gestures are bracketed through the frame's editor interface.
#pragma once

#include "toolkit/CControlListener.h"
#include "toolkit/CView.h"

class CControl : public CView {
  public:
    CControl(const CRect& size, CControlListener* listener = nullptr, int32_t tag = 0,
             CBitmap* background = nullptr);
    CControl(const CControl&) = default;

    // Keeps the value between minimum and maximum; a change marks the control dirty.
    virtual void setValue(float newValue);
    float getValue() const { return value; }
    virtual void setMin(float newMin) { minValue = newMin; }
    float getMin() const { return minValue; }
    virtual void setMax(float newMax) { maxValue = newMax; }
    float getMax() const { return maxValue; }
    void setDefaultValue(float newDefault) { defaultValue = newDefault; }
    float getDefaultValue() const { return defaultValue; }
    void setTag(int32_t newTag) { tag = newTag; }
    int32_t getTag() const { return tag; }
    void setListener(CControlListener* newListener) { listener = newListener; }
    CControlListener* getListener() const { return listener; }
    void setWheelInc(float increment) { wheelInc = increment; }
    float getWheelInc() const { return wheelInc; }

    // Tells the listener, if any, that the user changed the value.
    virtual void valueChanged();
    void beginEdit();
    void endEdit();
    bool isEditing() const { return editing; }

    // Control with the left button alone resets to the default value; answers whether it did.
    bool checkDefaultValue(const CButtonState& buttons);

    bool isTypeOf(const char* type) const override;

  protected:
    CControlListener* listener;
    int32_t tag;
    float value = 0;
    float minValue = 0;
    float maxValue = 1;
    float defaultValue = 0.5f;
    float wheelInc = 0.1f;
    bool editing = false;
};
