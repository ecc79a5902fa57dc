// One LV2 instance: ports read once a block and handed to the effect driver as parameter
// changes, the state as the effect's chunk through the state extension. Without the host's
// urid:map (lv2apply offers no features) it still runs; its state is then unavailable.
#pragma once

#include <lv2/core/lv2.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include "formats/common/EffectDriver.h"
#include "formats/lv2/Lv2Ports.h"

namespace lyrelv2 {

class Lv2Effect final : private lyreformat::EditListener {
  public:
    Lv2Effect(double rate, const LV2_Feature* const* features);
    bool create();
    void connect(uint32_t port, void* data);
    void activate();
    void deactivate();
    void run(uint32_t frames);
    LV2_State_Status save(LV2_State_Store_Function store, LV2_State_Handle handle);
    LV2_State_Status restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle);

  private:
    // The effect's own edits reach an LV2 host through the UI only.
    void automate(int32_t, float) override {}
    void beginEdit(int32_t) override {}
    void endEdit(int32_t) override {}
    void displayChanged() override {}
    void takeControls();
    void rememberControls();

    double rate_;
    lyreformat::EffectDriver driver_{*this};
    float* ports_[kPortCount]{};
    // Each control's value at the last block, so only what the host changed is applied.
    double seen_[kPortCount]{};
    float written_[kPortCount]{};
    LV2_URID chunkKey_ = 0, chunkType_ = 0;
};

} // namespace lyrelv2
