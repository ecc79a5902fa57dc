// The editor as a VST 3 view: the effect's own editor opened in the host's window through the
// same editor opcodes a VST 2.4 host uses, kept running by the platform's pump.
#pragma once

#include <atomic>

#include "formats/vst3/Vst3Abi.h"
#include "formats/vst3/Vst3EditorPump.h"

namespace vst3 {

class Vst3Effect;

class Vst3View {
  public:
    // One reference for the caller; the view keeps one on the effect until it is released.
    static Vst3View* create(Vst3Effect& effect) noexcept;
    v3_plugin_view** view() { return reinterpret_cast<v3_plugin_view**>(this); }

    uint32_t addRef() noexcept;
    uint32_t release() noexcept;
    v3_result attached(void* parent, const char* type);
    v3_result removed();
    v3_result key(bool down, int16_t character, int16_t code, int16_t modifiers);
    v3_result size(v3_view_rect* rect);
    v3_result setFrame(v3_plugin_frame** frame);
    // The host's content scale factor (the screen's density).
    v3_result setContentScale(float factor);
    // The editor asks for a new size: the host's frame decides.
    bool requestSize(int width, int height);

    // First: the interface pointer is the object's address.
    const v3_plugin_view_cpp* vtable;
    // The content-scale interface the host may ask the view for.
    struct ScaleFace {
        const v3_plugin_view_content_scale_cpp* vtable;
        Vst3View* owner;
    };
    void* scaleFace() { return &scale_; }

  private:
    explicit Vst3View(Vst3Effect& effect);
    ~Vst3View();
    void tick();

    Vst3Effect& effect_;
    std::atomic<uint32_t> references_{1};
    v3_plugin_frame** frame_ = nullptr;
    ScaleFace scale_;
    bool open_ = false;
    EditorPump pump_;
};

// The platform type this build embeds into: "X11EmbedWindowID" or "HWND".
bool isOurPlatformType(const char* type);

} // namespace vst3
