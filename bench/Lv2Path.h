// The effect reached through its LV2 interface, as a host drives it: ports connected to host
// memory, controls read once a block, run.
#pragma once

#include <cstdint>

#include "formats/lv2/Lv2Effect.h"

class Lv2Path {
  public:
    explicit Lv2Path(float rate) : effect_(rate, nullptr) {
        effect_.create();
        for (uint32_t port = lyrelv2::kFirstControl; port < lyrelv2::kPortCount; ++port)
            effect_.connect(port, &controls_[port - lyrelv2::kFirstControl]);
        effect_.activate();
    }
    ~Lv2Path() { effect_.deactivate(); }
    Lv2Path(const Lv2Path&) = delete;
    Lv2Path& operator=(const Lv2Path&) = delete;

    void process(const float* inL, const float* inR, float* outL, float* outR,
                 std::int32_t frames) {
        effect_.connect(lyrelv2::kInputLeft, const_cast<float*>(inL));
        effect_.connect(lyrelv2::kInputRight, const_cast<float*>(inR));
        effect_.connect(lyrelv2::kOutputLeft, outL);
        effect_.connect(lyrelv2::kOutputRight, outR);
        effect_.run(static_cast<uint32_t>(frames));
    }

  private:
    lyrelv2::Lv2Effect effect_;
    // The factory defaults: Transpose 0 semitones, enabled.
    float controls_[8] = {0.5f, 0.25f, 0.25f, 0.25f, 0.0f, 0.5f, 0.0f, 1.0f};
};
