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
    // The knob slot showing parameter `index`, or -1 for Bypass.
    static int knobSlotOf(std::int32_t index);

    static constexpr int32_t kBackgroundBitmap = 1128;
    static constexpr int32_t kAboutBitmap = 1200;
    static constexpr int32_t kAboutTag = 10;

  private:
    void createKnobsAndDisplays();
    void createBypassAboutAndLED();
    void showParameter(std::int32_t index);
    void applyPendingParameters();

    COnOffButton* bypassSwitch = nullptr;
    CLED* bypassLED = nullptr;
    CKnob* knobs[kNumKnobs] = {};
    CParamDisplay* displays[kNumKnobs] = {};
    CAbout* about = nullptr;
    CBitmap* backgroundBitmap = nullptr;
    // One bit per parameter changed since the last idle pass.
    std::atomic<std::uint32_t> pendingParameters{0};
};
