#include "formats/lv2/Lv2Effect.h"

#include <lv2/atom/atom.h>

#include <algorithm>
#include <cstring>
#include <limits>

#include "presets/ChunkFormat.h"

namespace lyrelv2 {
namespace {

// The largest piece handed to the effect at once; longer blocks are split.
constexpr uint32_t kMaxPiece = 4096;

} // namespace

Lv2Effect::Lv2Effect(double rate, const LV2_Feature* const* features) : rate_(rate) {
    for (auto f = features; f && *f; ++f) {
        if (std::strcmp((*f)->URI, LV2_URID__map) != 0 || !(*f)->data) continue;
        const auto* map = static_cast<const LV2_URID_Map*>((*f)->data);
        chunkKey_ = map->map(map->handle, kChunkUri);
        chunkType_ = map->map(map->handle, LV2_ATOM__Chunk);
    }
}

bool Lv2Effect::create() {
    if (!driver_.create() || !driver_.reserve(static_cast<int32_t>(kMaxPiece))) return false;
    driver_.setRate(rate_, static_cast<int32_t>(kMaxPiece));
    rememberControls();
    return true;
}

void Lv2Effect::connect(uint32_t port, void* data) {
    if (port < kPortCount) ports_[port] = static_cast<float*>(data);
}

void Lv2Effect::activate() {
    driver_.setActive(true);
}

void Lv2Effect::deactivate() {
    driver_.setActive(false);
}

void Lv2Effect::rememberControls() {
    for (uint32_t port = kFirstControl; port < kPortCount; ++port) {
        seen_[port] = driver_.parameter(parameterOfPort(port));
        // No value a host writes: the next block converts every port once.
        written_[port] = std::numeric_limits<float>::quiet_NaN();
    }
}

void Lv2Effect::takeControls() {
    for (uint32_t port = kFirstControl; port < kPortCount; ++port) {
        // Most blocks change nothing: compare what the host wrote before converting it.
        if (!ports_[port] || std::memcmp(ports_[port], &written_[port], sizeof(float)) == 0)
            continue;
        written_[port] = *ports_[port];
        const double value = normalizedOfPort(port, *ports_[port]);
        if (value == seen_[port]) continue;
        seen_[port] = value;
        driver_.setParameter(parameterOfPort(port), value);
    }
}

void Lv2Effect::run(uint32_t frames) {
    takeControls();
    if (!ports_[kInputLeft] || !ports_[kOutputLeft] || !ports_[kOutputRight]) return;
    const bool stereo = ports_[kInputRight] != nullptr;
    if (stereo != driver_.inputStereo()) driver_.setInputStereo(stereo);
    for (uint32_t from = 0; from < frames; from += kMaxPiece) {
        const uint32_t n = std::min(kMaxPiece, frames - from);
        float* in[2] = {ports_[kInputLeft] + from,
                        ports_[kInputRight] ? ports_[kInputRight] + from : nullptr};
        float* out[2] = {ports_[kOutputLeft] + from, ports_[kOutputRight] + from};
        driver_.process(in, out, static_cast<int32_t>(n), nullptr);
    }
}

LV2_State_Status Lv2Effect::save(LV2_State_Store_Function store, LV2_State_Handle handle) {
    if (!chunkKey_) return LV2_STATE_ERR_NO_FEATURE;
    std::size_t size = 0;
    const std::uint8_t* bytes = driver_.state(size);
    if (!bytes) return LV2_STATE_ERR_UNKNOWN;
    return store(handle, chunkKey_, bytes, size, chunkType_,
                 LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
}

LV2_State_Status Lv2Effect::restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle) {
    if (!chunkKey_) return LV2_STATE_ERR_NO_FEATURE;
    std::size_t size = 0;
    uint32_t type = 0, flags = 0;
    const void* bytes = retrieve(handle, chunkKey_, &size, &type, &flags);
    if (!bytes) return LV2_STATE_ERR_NO_PROPERTY;
    if (type != chunkType_) return LV2_STATE_ERR_BAD_TYPE;
    if (!driver_.setState(bytes, size)) return LV2_STATE_ERR_UNKNOWN;
    // The host sets the ports it saved beside the state; values equal to the state's stay
    // unapplied, so the restored state is what plays.
    rememberControls();
    return LV2_STATE_SUCCESS;
}

} // namespace lyrelv2
