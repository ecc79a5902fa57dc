#include "formats/common/EffectDriver.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/Parameters.h"
#include "formats/common/ParameterText.h"
#include "formats/common/TailLength.h"
#include "presets/CPresetSystemEffect.h"
#include "presets/ChunkFormat.h"
#include "shell/AEffGUIEditor.h"
#include "shell/AudioEffect.h"
#include "shell/EffectIdentity.h"
#include "shell/PluginEntry.h"
#include "toolkit/CFrame.h"

namespace lyreformat {
namespace {

constexpr int32_t kDefaultScratch = 4096;

void copyUnpadded(const char* text, char* out, std::size_t size) {
    if (size == 0) return;
    const std::string s = trimmed(text);
    const std::size_t n = std::min(s.size(), size - 1);
    std::memcpy(out, s.data(), n);
    out[n] = 0;
}

} // namespace

EffectDriver::~EffectDriver() {
    if (record_) record_->dispatcher(record_, effClose, 0, 0, nullptr, 0.0f);
}

bool EffectDriver::create() {
    if (core_) return true;
    try {
        core_ = createEffectInstance(&EffectDriver::hostCallback);
        for (auto& channel : scratch_)
            channel.assign(kDefaultScratch, 0.0f);
    } catch (...) {
        delete core_;
        core_ = nullptr;
    }
    if (!core_) return false;
    record_ = core_->getAeffect();
    record_->user = this;
    presets_ = dynamic_cast<CPresetSystemEffect*>(core_);
    dispatch(effOpen);
    return true;
}

VstIntPtr EffectDriver::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                 float opt) {
    return record_ ? record_->dispatcher(record_, opcode, index, value, ptr, opt) : 0;
}

VstIntPtr VSTCALLBACK EffectDriver::hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                                 VstIntPtr value, void* /*ptr*/, float opt) {
    // While the effect is built, its record does not yet point back to us.
    auto* self = effect ? static_cast<EffectDriver*>(effect->user) : nullptr;
    if (!self) return opcode == audioMasterVersion ? kVstVersion : 0;
    return self->answer(opcode, index, value, opt);
}

VstIntPtr EffectDriver::answer(VstInt32 opcode, VstInt32 index, VstIntPtr value, float opt) {
    // Asked twice a block from the audio thread, so first. 0 means connected; only the second
    // input can be missing (mono in, stereo out).
    if (opcode == audioMasterPinConnected)
        return value == 0 && index == 1 && !inputStereo() ? 1 : 0;
    switch (opcode) {
    case audioMasterVersion:
        return kVstVersion;
    case audioMasterAutomate:
        listener_.automate(index, opt);
        return 0;
    case audioMasterBeginEdit:
        listener_.beginEdit(index);
        return 1;
    case audioMasterEndEdit:
        listener_.endEdit(index);
        return 1;
    case audioMasterUpdateDisplay:
        if (!quiet_) listener_.displayChanged();
        return 1;
    case audioMasterSizeWindow:
        return listener_.resizeEditor(index, static_cast<int32_t>(value)) ? 1 : 0;
    default:
        return 0;
    }
}

bool EffectDriver::reserve(int32_t maxFrames) {
    try {
        for (auto& channel : scratch_)
            channel.assign(static_cast<std::size_t>(std::max(maxFrames, 1)), 0.0f);
    } catch (...) {
        return false;
    }
    return true;
}

void EffectDriver::setRate(double sampleRate, int32_t maxFrames) {
    dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
    dispatch(effSetBlockSize, 0, maxFrames);
}

void EffectDriver::setActive(bool on) {
    dispatch(effMainsChanged, 0, on ? 1 : 0);
}

void EffectDriver::setParameter(int32_t index, double value) {
    if (!record_ || !isParameterIndex(index)) return;
    const float x = static_cast<float>(std::isnan(value) ? 0.0 : std::clamp(value, 0.0, 1.0));
    record_->setParameter(record_, index, x);
}

float EffectDriver::parameter(int32_t index) const {
    return record_ && isParameterIndex(index) ? record_->getParameter(record_, index) : 0.0f;
}

void EffectDriver::parameterName(int32_t index, char* out, std::size_t size) {
    char text[kVstMaxParamStrLen * 4] = {};
    dispatch(effGetParamName, index, 0, text);
    copyUnpadded(text, out, size);
}

void EffectDriver::parameterUnit(int32_t index, char* out, std::size_t size) {
    char text[kVstMaxParamStrLen * 4] = {};
    dispatch(effGetParamLabel, index, 0, text);
    copyUnpadded(text, out, size);
}

int32_t EffectDriver::program() const {
    return presets_ ? presets_->getCurrentProgramIndex() : 0;
}

void EffectDriver::selectProgram(int32_t index) {
    if (!presets_ || index < 0 || index >= kProgramCount || index == program()) return;
    quiet_ = true;
    presets_->selectProgram(index);
    quiet_ = false;
}

bool EffectDriver::programName(int32_t index, char* out, std::size_t size) {
    if (index < 0 || index >= kProgramCount) return false;
    char text[kVstMaxProgNameLen * 4] = {};
    if (dispatch(effGetProgramNameIndexed, index, 0, text) == 0) return false;
    copyUnpadded(text, out, size);
    return true;
}

bool EffectDriver::isState(const void* bytes, std::size_t size) const {
    if (!bytes || size != chunk::kSize) return false;
    const chunk::Parsed parsed =
        chunk::parse(static_cast<const std::uint8_t*>(bytes), static_cast<int32_t>(size),
                     static_cast<std::uint32_t>(identity::kUniqueID));
    return parsed.outcome == chunk::Parsed::Outcome::loaded;
}

bool EffectDriver::setState(const void* bytes, std::size_t size) {
    if (!presets_ || !isState(bytes, size)) return false;
    quiet_ = true;
    const VstIntPtr result =
        dispatch(effSetChunk, 0, static_cast<VstIntPtr>(size), const_cast<void*>(bytes));
    quiet_ = false;
    return result == 0;
}

const std::uint8_t* EffectDriver::state(std::size_t& size) {
    void* data = nullptr;
    const VstIntPtr got = dispatch(effGetChunk, 0, 0, &data);
    size = got > 0 && data ? static_cast<std::size_t>(got) : 0;
    return size ? static_cast<const std::uint8_t*>(data) : nullptr;
}

uint32_t EffectDriver::latency() const {
    return record_ ? static_cast<uint32_t>(std::max<VstInt32>(0, record_->initialDelay)) : 0;
}

uint32_t EffectDriver::tail() const {
    return record_ ? tailSampleCount(record_->getParameter(record_, kDecay), core_->getSampleRate())
                   : 0;
}

void EffectDriver::processPiece(float* const* in, float* const* out, int32_t from, int32_t to,
                                ChangePoints* changes) {
    int32_t at = from;
    while (at < to) {
        int32_t next = to;
        if (changes) {
            changes->applyUpTo(at);
            next = std::clamp(changes->nextOffset(), at + 1, to);
        }
        float* inputs[2] = {in[0] + (at - from), in[1] ? in[1] + (at - from) : nullptr};
        float* outputs[2] = {out[0] + at, out[1] + at};
        record_->processReplacing(record_, inputs, outputs, next - at);
        at = next;
    }
}

void EffectDriver::process(float* const* in, float* const* out, int32_t frames,
                           ChangePoints* changes) {
    if (!record_) return;
    bool aliased = false;
    for (int i = 0; i < 2; ++i)
        for (int c = 0; c < 2; ++c)
            aliased = aliased || (in[i] && in[i] == out[c]);
    const auto capacity = static_cast<int32_t>(scratch_[0].size());
    if (!aliased && !changes) {
        // The common block: nothing to split, nothing to copy.
        float* inputs[2] = {in[0], in[1]};
        record_->processReplacing(record_, inputs, const_cast<float**>(out), frames);
    } else if (!aliased || capacity == 0) {
        processPiece(in, out, 0, frames, changes);
    } else {
        // The effect reads its inputs after writing outputs in places: give it copies.
        for (int32_t from = 0; from < frames; from += capacity) {
            const int32_t to = std::min(frames, from + capacity);
            float* copies[2] = {scratch_[0].data(), in[1] ? scratch_[1].data() : nullptr};
            for (int c = 0; c < 2; ++c)
                if (in[c]) std::copy(in[c] + from, in[c] + to, copies[c]);
            processPiece(copies, out, from, to, changes);
        }
    }
    if (changes) changes->applyUpTo(INT32_MAX);
}

bool EffectDriver::hasEditor() const {
    return core_ && core_->getEditor();
}

bool EffectDriver::editorSize(int32_t& width, int32_t& height) {
    ERect* r = nullptr;
    if (dispatch(effEditGetRect, 0, 0, &r) == 0 || !r) return false;
    width = r->right - r->left;
    height = r->bottom - r->top;
    return true;
}

bool EffectDriver::openEditor(void* parent, EditorWindow& window) {
    if (dispatch(effEditOpen, 0, 0, parent) == 0) return false;
    auto* editor = core_ ? dynamic_cast<AEffGUIEditor*>(core_->getEditor()) : nullptr;
    CFrame* frame = editor ? editor->getFrame() : nullptr;
    window = {frame ? frame->getSystemWindow() : nullptr, frame ? frame->eventDescriptor() : -1};
    return true;
}

bool EffectDriver::scaleEditor(double factor) {
    auto* editor = core_ ? dynamic_cast<AEffGUIEditor*>(core_->getEditor()) : nullptr;
    return editor && editor->setHostScaleFactor(factor);
}

void EffectDriver::idleEditor() {
    dispatch(effEditIdle);
}

void EffectDriver::closeEditor() {
    dispatch(effEditClose);
}

bool EffectDriver::editorKey(bool down, int16_t character, int16_t code, int16_t modifiers) {
    // The virtual key and modifier numbers are the VST 2.4 ones.
    return dispatch(down ? effEditKeyDown : effEditKeyUp, character, code & 0xFF, nullptr,
                    static_cast<float>(modifiers & 0xFF)) != 0;
}

} // namespace lyreformat
