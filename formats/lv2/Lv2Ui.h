// The editor as an LV2 X11 UI. An LV2 UI does not reach the plug-in instance, so the UI runs
// an effect of its own as the editor's model: the host's port values are set into it, and
// whatever changes it (a knob, a program, a memory) goes back to the host as port writes,
// with touch around knob gestures where the host offers it. The host's scale (ui:scaleFactor)
// comes as an option at instantiation and may change later through the options interface.
#pragma once

#include <lv2/options/options.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include "formats/common/EffectDriver.h"
#include "formats/lv2/Lv2Ports.h"

namespace lyrelv2 {

class Lv2Ui final : private lyreformat::EditListener {
  public:
    Lv2Ui(LV2UI_Write_Function write, LV2UI_Controller controller,
          const LV2_Feature* const* features);
    ~Lv2Ui();
    Lv2Ui(const Lv2Ui&) = delete;
    Lv2Ui& operator=(const Lv2Ui&) = delete;
    // Opens the editor in the host's window; the child window's ID in `widget`.
    bool open(LV2UI_Widget* widget);
    void portEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer);
    int idle();
    // The options interface's set: takes ui:scaleFactor, answers an LV2_Options_Status.
    uint32_t setOptions(const LV2_Options_Option* options);

  private:
    void automate(int32_t index, float value) override;
    void beginEdit(int32_t index) override;
    void endEdit(int32_t index) override;
    void displayChanged() override;
    bool resizeEditor(int32_t width, int32_t height) override;
    void write(uint32_t port, float value);
    uint32_t takeOption(const LV2_Options_Option& option);

    LV2UI_Write_Function write_;
    LV2UI_Controller controller_;
    void* parent_ = nullptr;
    const LV2UI_Resize* resize_ = nullptr;
    const LV2UI_Touch* touch_ = nullptr;
    // Mapped once from the host's urid:map; 0 without one, so no option is understood.
    LV2_URID scaleFactorKey_ = 0;
    LV2_URID floatType_ = 0;
    // The host's scale, 0 until the host gives one.
    double hostScale_ = 0;
    lyreformat::EffectDriver driver_{*this};
    bool open_ = false;
    // The host's value of each control port as last heard or written.
    float hostValues_[kPortCount]{};
};

} // namespace lyrelv2
