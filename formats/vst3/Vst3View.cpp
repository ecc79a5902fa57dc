#include "formats/vst3/Vst3View.h"

#include <cstring>
#include <new>

#include "formats/vst3/Vst3Effect.h"

namespace vst3 {
namespace {

Vst3View& of(void* self) {
    return *static_cast<Vst3View*>(self);
}

template <class F> v3_result guarded(F&& f) noexcept {
    try {
        return f();
    } catch (...) {
        return kInternalError;
    }
}

v3_result V3_API query(void* self, const v3_tuid iid, void** obj) {
    if (!obj) return kInvalidArgument;
    Vst3View& view = of(self);
    *obj = !iid                                                              ? nullptr
           : sameId(iid, v3_funknown_iid) || sameId(iid, v3_plugin_view_iid) ? self
           : sameId(iid, v3_plugin_view_content_scale_iid)                   ? view.scaleFace()
                                                                             : nullptr;
    if (*obj) view.addRef();
    return *obj ? kResultOk : kNoInterface;
}
uint32_t V3_API addRef(void* self) {
    return of(self).addRef();
}
uint32_t V3_API release(void* self) {
    return of(self).release();
}
v3_result V3_API platformTypeSupported(void*, const char* type) {
    return isOurPlatformType(type) ? kResultOk : kResultFalse;
}
v3_result V3_API attached(void* self, void* parent, const char* type) {
    return guarded([&] { return of(self).attached(parent, type); });
}
v3_result V3_API removed(void* self) {
    return guarded([&] { return of(self).removed(); });
}
v3_result V3_API onWheel(void*, float) {
    return kResultFalse;
}
v3_result V3_API keyDown(void* self, int16_t character, int16_t code, int16_t modifiers) {
    return guarded([&] { return of(self).key(true, character, code, modifiers); });
}
v3_result V3_API keyUp(void* self, int16_t character, int16_t code, int16_t modifiers) {
    return guarded([&] { return of(self).key(false, character, code, modifiers); });
}
v3_result V3_API getSize(void* self, v3_view_rect* rect) {
    return guarded([&] { return of(self).size(rect); });
}
// The editor's size is the editor's (its scale): the host may ask, never choose another.
v3_result V3_API onSize(void*, v3_view_rect* rect) {
    return rect ? kResultOk : kInvalidArgument;
}
v3_result V3_API onFocus(void*, v3_bool) {
    return kResultOk;
}
v3_result V3_API setFrame(void* self, v3_plugin_frame** frame) {
    return guarded([&] { return of(self).setFrame(frame); });
}
v3_result V3_API canResize(void*) {
    return kResultFalse;
}
v3_result V3_API checkSizeConstraint(void* self, v3_view_rect* rect) {
    return guarded([&] { return of(self).size(rect); });
}

Vst3View& ownerOf(void* face) {
    return *static_cast<Vst3View::ScaleFace*>(face)->owner;
}
v3_result V3_API scaleQuery(void* self, const v3_tuid iid, void** obj) {
    return query(&ownerOf(self), iid, obj);
}
uint32_t V3_API scaleAddRef(void* self) {
    return ownerOf(self).addRef();
}
uint32_t V3_API scaleRelease(void* self) {
    return ownerOf(self).release();
}
v3_result V3_API setContentScaleFactor(void* self, float factor) {
    return guarded([&] { return ownerOf(self).setContentScale(factor); });
}

const v3_plugin_view_content_scale_cpp kScaleTable{{scaleQuery, scaleAddRef, scaleRelease},
                                                   {setContentScaleFactor}};

const v3_plugin_view_cpp kViewTable{{query, addRef, release},
                                    {platformTypeSupported, attached, removed, onWheel, keyDown,
                                     keyUp, getSize, onSize, onFocus, setFrame, canResize,
                                     checkSizeConstraint}};

} // namespace

bool isOurPlatformType(const char* type) {
#if defined(_WIN32)
    return type && std::strcmp(type, V3_VIEW_PLATFORM_TYPE_HWND) == 0;
#else
    return type && std::strcmp(type, V3_VIEW_PLATFORM_TYPE_X11) == 0;
#endif
}

Vst3View::Vst3View(Vst3Effect& effect)
    : vtable(&kViewTable), effect_(effect), scale_{&kScaleTable, this} {
    effect_.addRef();
}

Vst3View::~Vst3View() {
    removed();
    setFrame(nullptr);
    effect_.release();
}

Vst3View* Vst3View::create(Vst3Effect& effect) noexcept {
    return new (std::nothrow) Vst3View(effect);
}

uint32_t Vst3View::addRef() noexcept {
    return references_.fetch_add(1, std::memory_order_relaxed) + 1;
}

uint32_t Vst3View::release() noexcept {
    const uint32_t left = references_.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (left == 0) delete this;
    return left;
}

v3_result Vst3View::attached(void* parent, const char* type) {
    if (!parent || !isOurPlatformType(type)) return kInvalidArgument;
    if (open_) return kResultFalse;
    EditorWindow window{};
    if (!effect_.openEditor(parent, window)) return kResultFalse;
    open_ = true;
    effect_.attachView(this);
    EditorPump::announceEmbedding(window.child);
    if (!pump_.start(frame_, window.descriptor, [this] { tick(); })) {
        // Without a run loop the editor would never be drawn or answer the pointer.
        removed();
        return kResultFalse;
    }
    return kResultOk;
}

v3_result Vst3View::removed() {
    pump_.stop();
    if (open_) {
        effect_.closeEditor();
        effect_.attachView(nullptr);
    }
    open_ = false;
    return kResultOk;
}

void Vst3View::tick() {
    effect_.idleEditor();
}

v3_result Vst3View::setContentScale(float factor) {
    if (!(factor > 0.0f)) return kInvalidArgument;
    return effect_.scaleEditor(factor) ? kResultOk : kResultFalse;
}

bool Vst3View::requestSize(int width, int height) {
    if (!frame_) return false;
    v3_view_rect rect{0, 0, width, height};
    return v3_cpp_obj(frame_)->resize_view(frame_, view(), &rect) == kResultOk;
}

v3_result Vst3View::key(bool down, int16_t character, int16_t code, int16_t modifiers) {
    if (!open_) return kResultFalse;
    return effect_.editorKey(down, character, code, modifiers) ? kResultOk : kResultFalse;
}

v3_result Vst3View::size(v3_view_rect* rect) {
    if (!rect) return kInvalidArgument;
    return effect_.editorSize(*rect) ? kResultOk : kResultFalse;
}

v3_result Vst3View::setFrame(v3_plugin_frame** frame) {
    if (frame == frame_) return kResultOk;
    if (frame && *frame) reinterpret_cast<v3_funknown*>(*frame)->ref(frame);
    if (frame_) reinterpret_cast<v3_funknown*>(*frame_)->unref(frame_);
    frame_ = frame && *frame ? frame : nullptr;
    return kResultOk;
}

} // namespace vst3
