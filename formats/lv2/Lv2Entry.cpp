// The module's one export, lv2_descriptor: the C calls of an LV2 host, each finding its
// instance and letting no exception out.
#include <lv2/core/lv2.h>
#include <lv2/state/state.h>

#include <cstring>
#include <new>

#include "formats/lv2/Lv2Effect.h"

namespace {

using lyrelv2::Lv2Effect;

Lv2Effect& of(LV2_Handle handle) {
    return *static_cast<Lv2Effect*>(handle);
}

template <typename F> void guarded(F&& call) noexcept {
    try {
        call();
    } catch (...) {
    }
}

LV2_Handle instantiate(const LV2_Descriptor*, double rate, const char*,
                       const LV2_Feature* const* features) {
    if (!(rate > 0.0)) return nullptr;
    Lv2Effect* effect = nullptr;
    try {
        effect = new Lv2Effect(rate, features);
        if (effect->create()) return effect;
    } catch (...) {
    }
    delete effect;
    return nullptr;
}

void connect(LV2_Handle handle, uint32_t port, void* data) {
    of(handle).connect(port, data);
}

void activate(LV2_Handle handle) {
    guarded([&] { of(handle).activate(); });
}

void run(LV2_Handle handle, uint32_t frames) {
    guarded([&] { of(handle).run(frames); });
}

void deactivate(LV2_Handle handle) {
    guarded([&] { of(handle).deactivate(); });
}

void cleanup(LV2_Handle handle) {
    guarded([&] { delete &of(handle); });
}

LV2_State_Status save(LV2_Handle handle, LV2_State_Store_Function store, LV2_State_Handle state,
                      uint32_t, const LV2_Feature* const*) {
    LV2_State_Status status = LV2_STATE_ERR_UNKNOWN;
    if (store) guarded([&] { status = of(handle).save(store, state); });
    return status;
}

LV2_State_Status restore(LV2_Handle handle, LV2_State_Retrieve_Function retrieve,
                         LV2_State_Handle state, uint32_t, const LV2_Feature* const*) {
    LV2_State_Status status = LV2_STATE_ERR_UNKNOWN;
    if (retrieve) guarded([&] { status = of(handle).restore(retrieve, state); });
    return status;
}

const LV2_State_Interface kState = {save, restore};

const void* extensionData(const char* uri) {
    return uri && std::strcmp(uri, LV2_STATE__interface) == 0 ? &kState : nullptr;
}

const LV2_Descriptor kDescriptor = {lyrelv2::kPluginUri, instantiate, connect,      activate, run,
                                    deactivate,          cleanup,     extensionData};

} // namespace

extern "C" LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index) {
    return index == 0 ? &kDescriptor : nullptr;
}
