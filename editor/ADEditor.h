// The plug-in's editor: seven knobs with their displays, the bypass switch and LED and the
// about area on a 320 x 257 background; the preset bar is added by the layer below.
#pragma once

#include <atomic>
#include <cstdint>

#include "engine/Parameters.h"
#include "presets/CPresetSystemEditor.h"

class CAbout;
class CBitmap;
class CKnob;
class CLED;
class COnOffButton;
class COptionMenu;
class CParamDisplay;

class ADEditor : public CPresetSystemEditor {
  public:
    explicit ADEditor(AudioEffect* effect);
    ~ADEditor() override;

    bool open(void* parentWindow) override;
    void close() override;
    void idle() override;
    // Any thread: the controls of `index` pick up the effect's value on the next idle pass,
    // on the user-interface thread, so no control is ever touched from the audio thread.
    void setParameter(VstInt32 index, float value) override;
    void valueChanged(CControl* control) override;

    // Knobs and displays in the order Output, Decay, Damp, Mix, Transpose, Tune, Detune.
    static constexpr int kNumKnobs = 7;
    CKnob* getKnob(int slot) const { return knobs[slot]; }
    CParamDisplay* getDisplay(int slot) const { return displays[slot]; }
    COnOffButton* getBypassSwitch() const { return bypassSwitch; }
    CLED* getBypassLED() const { return bypassLED; }
    CAbout* getAboutControl() const { return about; }
    // The menu of sizes that a right click on bare panel opens: "100 %" to "200 %", then
    // "Automatic"; its value is the entry's index. Null until the first such click.
    COptionMenu* getScaleMenu() const { return scaleMenu; }
    // The knob slot showing parameter `index`, or -1 for Bypass.
    static int knobSlotOf(std::int32_t index);

    static constexpr int32_t kBackgroundBitmap = 1128;
    static constexpr int32_t kAboutBitmap = 1200;
    static constexpr int32_t kAboutTag = 10;
    static constexpr int32_t kScaleMenuTag = 20;
    static constexpr int32_t kAutomaticScaleEntry = 5;

  private:
    void createKnobsAndDisplays();
    void createScaleMenu();
    void openScaleMenu(const CPoint& where);
    // The size menu's entry of the user's choice ("Automatic" when none).
    int32_t userScaleEntry() const;
    void createBypassAboutAndLED();
    void showParameter(std::int32_t index);
    void applyPendingParameters();

    COnOffButton* bypassSwitch = nullptr;
    CLED* bypassLED = nullptr;
    CKnob* knobs[kNumKnobs] = {};
    CParamDisplay* displays[kNumKnobs] = {};
    CAbout* about = nullptr;
    COptionMenu* scaleMenu = nullptr;
    CBitmap* backgroundBitmap = nullptr;
    // One bit per parameter changed since the last idle pass.
    std::atomic<std::uint32_t> pendingParameters{0};
};
