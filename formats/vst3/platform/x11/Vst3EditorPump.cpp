// The host's Linux run loop drives the editor: a timer for redraws and the X connection's
// descriptor for input, each calling the editor's idle (which reads every pending event).
#include "formats/vst3/Vst3EditorPump.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace vst3 {

// The handlers' vtables come first: the host holds them as interface pointers.
struct TimerHandler {
    const v3_timer_handler_cpp* vtable;
    EditorPump::Native* owner;
};
struct EventHandler {
    const v3_event_handler_cpp* vtable;
    EditorPump::Native* owner;
};

struct EditorPump::Native {
    TimerHandler timer;
    EventHandler events;
    v3_run_loop** loop = nullptr;
    bool timerRegistered = false;
    bool eventsRegistered = false;
    std::function<void()> tick;
};

namespace {

constexpr uint64_t kTimerMs = 20;

template <class Handler>
v3_result V3_API handlerQuery(void* self, const v3_tuid iid, void** obj, const uint8_t* own) {
    const bool known = sameId(iid, v3_funknown_iid) || sameId(iid, own);
    *obj = known ? self : nullptr;
    return known ? kResultOk : kNoInterface;
}
v3_result V3_API timerQuery(void* self, const v3_tuid iid, void** obj) {
    return handlerQuery<TimerHandler>(self, iid, obj, v3_timer_handler_iid);
}
v3_result V3_API eventQuery(void* self, const v3_tuid iid, void** obj) {
    return handlerQuery<EventHandler>(self, iid, obj, v3_event_handler_iid);
}
// The handlers live as long as the pump; the host's counts do not decide that.
uint32_t V3_API fixedRef(void*) {
    return 1;
}
void runTick(EditorPump::Native* native) {
    try {
        if (native && native->tick) native->tick();
    } catch (...) {
        // nothing may unwind into the host's loop
    }
}
void V3_API onTimer(void* self) {
    runTick(static_cast<TimerHandler*>(self)->owner);
}
void V3_API onFdIsSet(void* self, int) {
    runTick(static_cast<EventHandler*>(self)->owner);
}

const v3_timer_handler_cpp kTimerTable{{timerQuery, fixedRef, fixedRef}, {onTimer}};
const v3_event_handler_cpp kEventTable{{eventQuery, fixedRef, fixedRef}, {onFdIsSet}};

} // namespace

EditorPump::EditorPump() : native_(std::make_unique<Native>()) {
    native_->timer = {&kTimerTable, native_.get()};
    native_->events = {&kEventTable, native_.get()};
}

EditorPump::~EditorPump() {
    stop();
}

bool EditorPump::start(v3_plugin_frame** frame, int descriptor, std::function<void()> tick) {
    stop();
    if (!frame || !*frame) return false;
    void* obj = nullptr;
    // Some hosts answer success with a null object: check both.
    if (reinterpret_cast<v3_funknown*>(*frame)->query_interface(frame, v3_run_loop_iid, &obj) !=
            kResultOk ||
        !obj)
        return false;
    native_->loop = static_cast<v3_run_loop**>(obj);
    native_->tick = std::move(tick);
    v3_run_loop* loop = v3_cpp_obj(native_->loop);
    auto** timer = reinterpret_cast<v3_timer_handler**>(&native_->timer);
    auto** events = reinterpret_cast<v3_event_handler**>(&native_->events);
    native_->timerRegistered = loop->register_timer(native_->loop, timer, kTimerMs) == kResultOk;
    if (descriptor >= 0)
        native_->eventsRegistered =
            loop->register_event_handler(native_->loop, events, descriptor) == kResultOk;
    return native_->timerRegistered;
}

void EditorPump::stop() {
    if (native_->loop) {
        v3_run_loop* loop = v3_cpp_obj(native_->loop);
        if (native_->timerRegistered)
            loop->unregister_timer(native_->loop,
                                   reinterpret_cast<v3_timer_handler**>(&native_->timer));
        if (native_->eventsRegistered)
            loop->unregister_event_handler(native_->loop,
                                           reinterpret_cast<v3_event_handler**>(&native_->events));
        reinterpret_cast<v3_funknown*>(*native_->loop)->unref(native_->loop);
    }
    native_->loop = nullptr;
    native_->timerRegistered = native_->eventsRegistered = false;
    native_->tick = nullptr;
}

void EditorPump::watch(int descriptor) {
    if (!native_->loop) return;
    v3_run_loop* loop = v3_cpp_obj(native_->loop);
    auto** events = reinterpret_cast<v3_event_handler**>(&native_->events);
    if (native_->eventsRegistered) loop->unregister_event_handler(native_->loop, events);
    native_->eventsRegistered =
        descriptor >= 0 &&
        loop->register_event_handler(native_->loop, events, descriptor) == kResultOk;
}

void EditorPump::announceEmbedding(void* childWindow) {
    if (!childWindow) return;
    Display* display = XOpenDisplay(nullptr);
    if (!display) return;
    // Version 0, mapped: what an XEmbed socket (a GtkSocket, say) waits for.
    const Atom info = XInternAtom(display, "_XEMBED_INFO", False);
    const long data[2] = {0, 1};
    XChangeProperty(display, reinterpret_cast<Window>(childWindow), info, info, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(data), 2);
    XSync(display, False);
    XCloseDisplay(display);
}

} // namespace vst3
