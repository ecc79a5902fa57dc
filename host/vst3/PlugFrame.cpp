#include "host/vst3/PlugFrame.h"

#include <algorithm>

namespace lyrehost::vst3host {
namespace {

using vst3::sameId;

PlugFrame& frameOf(void* self) {
    return *static_cast<PlugFrame*>(self);
}
PlugFrame& loopOf(void* self) {
    return *static_cast<RunLoopFace*>(self)->owner;
}

v3_result V3_API frameQuery(void* self, const v3_tuid iid, void** obj) {
    PlugFrame& f = frameOf(self);
    *obj = sameId(iid, v3_funknown_iid) || sameId(iid, v3_plugin_frame_iid) ? self
           : sameId(iid, v3_run_loop_iid)                                   ? &f.runLoop
                                                                            : nullptr;
    if (*obj) ++f.references;
    return *obj ? vst3::kResultOk : vst3::kNoInterface;
}
uint32_t V3_API frameRef(void* self) {
    return static_cast<uint32_t>(++frameOf(self).references);
}
uint32_t V3_API frameUnref(void* self) {
    return static_cast<uint32_t>(--frameOf(self).references);
}
v3_result V3_API resizeView(void* self, v3_plugin_view**, v3_view_rect* rect) {
    PlugFrame& f = frameOf(self);
    ++f.resizeRequests;
    if (rect) f.lastResize = *rect;
    return f.refuseResize || !rect ? vst3::kResultFalse : vst3::kResultOk;
}

v3_result V3_API loopQuery(void* self, const v3_tuid iid, void** obj) {
    return frameQuery(loopOf(self).frame(), iid, obj);
}
uint32_t V3_API loopRef(void* self) {
    return static_cast<uint32_t>(++loopOf(self).references);
}
uint32_t V3_API loopUnref(void* self) {
    return static_cast<uint32_t>(--loopOf(self).references);
}
v3_result V3_API registerHandler(void* self, v3_event_handler** handler, int fd) {
    PlugFrame& f = loopOf(self);
    const bool taken = std::any_of(f.handlers.begin(), f.handlers.end(), [&](const auto& h) {
        return h.first == handler || h.second == fd;
    });
    if (!handler || fd < 0 || taken) {
        ++f.refused;
        return vst3::kInvalidArgument;
    }
    f.handlers.emplace_back(handler, fd);
    ++f.descriptorRegistrations;
    return vst3::kResultOk;
}
v3_result V3_API unregisterHandler(void* self, v3_event_handler** handler) {
    auto& h = loopOf(self).handlers;
    const auto before = h.size();
    h.erase(std::remove_if(h.begin(), h.end(), [&](const auto& e) { return e.first == handler; }),
            h.end());
    return h.size() < before ? vst3::kResultOk : vst3::kInvalidArgument;
}
v3_result V3_API registerTimer(void* self, v3_timer_handler** handler, uint64_t ms) {
    PlugFrame& f = loopOf(self);
    if (!handler || ms == 0) {
        ++f.refused;
        return vst3::kInvalidArgument;
    }
    f.timers.emplace_back(handler, ms);
    return vst3::kResultOk;
}
v3_result V3_API unregisterTimer(void* self, v3_timer_handler** handler) {
    auto& t = loopOf(self).timers;
    const auto before = t.size();
    t.erase(std::remove_if(t.begin(), t.end(), [&](const auto& e) { return e.first == handler; }),
            t.end());
    return t.size() < before ? vst3::kResultOk : vst3::kInvalidArgument;
}

const v3_plugin_frame_cpp kFrame{{frameQuery, frameRef, frameUnref}, {resizeView}};
const v3_run_loop_cpp kLoop{{loopQuery, loopRef, loopUnref},
                            {registerHandler, unregisterHandler, registerTimer, unregisterTimer}};

} // namespace

PlugFrame::PlugFrame() : vtable(&kFrame), runLoop{&kLoop, this} {}

void PlugFrame::runTimers() {
    const auto copy = timers;
    for (const auto& [handler, ms] : copy)
        v3_cpp_obj(handler)->on_timer(handler);
}

void PlugFrame::descriptorReady(int fd) {
    const auto copy = handlers;
    for (const auto& [handler, registered] : copy)
        if (registered == fd) v3_cpp_obj(handler)->on_fd_is_set(handler, fd);
}

} // namespace lyrehost::vst3host
