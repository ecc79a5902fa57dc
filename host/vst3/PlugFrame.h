// The host's frame around a plug-in view, answering the Linux run loop a VST 3 editor registers
// its timers and descriptors with (as Ardour's frame does). What is registered stays visible,
// so a test can see that a closed editor left nothing behind; the host's own loop calls
// runTimers and descriptorReady.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "formats/vst3/Vst3Abi.h"

namespace lyrehost::vst3host {

class PlugFrame;

struct RunLoopFace {
    const v3_run_loop_cpp* vtable;
    PlugFrame* owner;
};

class PlugFrame {
  public:
    PlugFrame();
    v3_plugin_frame** frame() { return reinterpret_cast<v3_plugin_frame**>(this); }

    void runTimers();
    void descriptorReady(int fd);

    // First: the interface pointer is the object's address.
    const v3_plugin_frame_cpp* vtable;
    RunLoopFace runLoop;
    std::vector<std::pair<v3_timer_handler**, uint64_t>> timers;
    std::vector<std::pair<v3_event_handler**, int>> handlers;
    int references = 0;
    int resizeRequests = 0;
    // Every accepted descriptor registration, so a test sees a handler moved to a new one.
    int descriptorRegistrations = 0;
    v3_view_rect lastResize{};
    // A host that will not resize its window for the view.
    bool refuseResize = false;
    // Refused registrations (a second one of the same handler or descriptor, a 0 ms timer).
    int refused = 0;
};

} // namespace lyrehost::vst3host
