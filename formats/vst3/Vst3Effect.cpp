#include "formats/vst3/Vst3Effect.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "engine/FactoryPrograms.h"
#include "engine/Parameters.h"
#include "formats/vst3/Vst3ParameterText.h"
#include "formats/vst3/Vst3Streams.h"
#include "formats/vst3/Vst3Tail.h"
#include "formats/vst3/Vst3View.h"
#include "presets/CPresetSystemEffect.h"
#include "presets/ChunkFormat.h"
#include "shell/AEffGUIEditor.h"
#include "shell/AudioEffect.h"
#include "shell/EffectIdentity.h"
#include "shell/PluginEntry.h"
#include "toolkit/CFrame.h"

namespace vst3 {

extern const v3_component_cpp kComponentTable;
extern const v3_audio_processor_cpp kProcessorTable;
extern const v3_edit_controller_cpp kControllerTable;
extern const v3_unit_information_cpp kUnitTable;
extern const v3_process_context_requirements_cpp kRequirementsTable;

namespace {

constexpr int32_t kStepsTranspose = 48;
constexpr int32_t kPrograms = 6;
constexpr int32_t kDefaultScratch = 4096;

float clampedValue(double value) {
    // NaN is no value a host may send; it counts as 0.
    return static_cast<float>(std::isnan(value) ? 0.0 : std::clamp(value, 0.0, 1.0));
}

// A list parameter's step for a normalised value: program k is k / 5.
int32_t programIndex(double value) {
    return std::min<int32_t>(kPrograms - 1,
                             static_cast<int32_t>(std::floor(clampedValue(value) * kPrograms)));
}

} // namespace

Vst3Effect::Vst3Effect()
    : component_{&kComponentTable, this}, processor_{&kProcessorTable, this},
      controller_{&kControllerTable, this}, units_{&kUnitTable, this}, requirements_{
                                                                           &kRequirementsTable,
                                                                           this} {}

Vst3Effect::~Vst3Effect() {
    terminate();
    if (record_) record_->dispatcher(record_, effClose, 0, 0, nullptr, 0.0f);
}

Vst3Effect* Vst3Effect::create() noexcept {
    return new (std::nothrow) Vst3Effect();
}

void* Vst3Effect::query(const uint8_t* iid) noexcept {
    if (!iid) return nullptr;
    Face* face = nullptr;
    if (sameId(iid, v3_funknown_iid) || sameId(iid, v3_plugin_base_iid) ||
        sameId(iid, v3_component_iid))
        face = &component_;
    else if (sameId(iid, v3_audio_processor_iid))
        face = &processor_;
    else if (sameId(iid, v3_edit_controller_iid))
        face = &controller_;
    else if (sameId(iid, v3_unit_information_iid))
        face = &units_;
    else if (sameId(iid, v3_process_context_requirements_iid))
        face = &requirements_;
    if (face) addRef();
    return face;
}

uint32_t Vst3Effect::addRef() noexcept {
    return references_.fetch_add(1, std::memory_order_relaxed) + 1;
}

uint32_t Vst3Effect::release() noexcept {
    const uint32_t left = references_.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (left == 0) delete this;
    return left;
}

// --- the effect as a VST 2.4 host drives it ---

bool Vst3Effect::createCore() {
    if (core_) return true;
    try {
        core_ = createEffectInstance(&Vst3Effect::hostCallback);
    } catch (...) {
        core_ = nullptr;
    }
    if (!core_) return false;
    record_ = core_->getAeffect();
    record_->user = this;
    presets_ = dynamic_cast<CPresetSystemEffect*>(core_);
    dispatch(effOpen);
    return true;
}

VstIntPtr Vst3Effect::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                               float opt) {
    return record_ ? record_->dispatcher(record_, opcode, index, value, ptr, opt) : 0;
}

VstIntPtr VSTCALLBACK Vst3Effect::hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                               VstIntPtr value, void* /*ptr*/, float opt) {
    // While the effect is built, its record does not yet point back to us.
    auto* self = effect ? static_cast<Vst3Effect*>(effect->user) : nullptr;
    if (!self) return opcode == audioMasterVersion ? kVstVersion : 0;
    return self->answer(opcode, index, value, opt);
}

VstIntPtr Vst3Effect::answer(VstInt32 opcode, VstInt32 index, VstIntPtr value, float opt) {
    // Asked twice a block from the audio thread, so first. 0 means connected; only the second
    // input can be missing (mono in, stereo out).
    if (opcode == audioMasterPinConnected)
        return value == 0 && index == 1 && !inputStereo_.load(std::memory_order_relaxed) ? 1 : 0;
    switch (opcode) {
    case audioMasterVersion:
        return kVstVersion;
    case audioMasterAutomate:
        if (handler_) v3_cpp_obj(handler_)->perform_edit(handler_, index, opt);
        return 0;
    case audioMasterBeginEdit:
        if (handler_) v3_cpp_obj(handler_)->begin_edit(handler_, index);
        return 1;
    case audioMasterEndEdit:
        if (handler_) v3_cpp_obj(handler_)->end_edit(handler_, index);
        return 1;
    case audioMasterSizeWindow:
        return view_ && view_->requestSize(index, static_cast<int>(value)) ? 1 : 0;
    case audioMasterUpdateDisplay:
        if (handler_ && !quiet_)
            v3_cpp_obj(handler_)->restart_component(handler_, V3_RESTART_PARAM_VALUES_CHANGED);
        return 1;
    default:
        return 0;
    }
}

// --- IPluginBase ---

v3_result Vst3Effect::initialize(v3_funknown** context) {
    // A host that takes us for component and controller initialises twice.
    if (core_) return kResultOk;
    if (!createCore()) return kInternalError;
    try {
        for (auto& channel : scratch_)
            channel.assign(kDefaultScratch, 0.0f);
    } catch (...) {
        return kOutOfMemory;
    }
    if (context && *context) {
        v3_cpp_obj_ref(context);
        context_ = context;
    }
    return kResultOk;
}

v3_result Vst3Effect::terminate() {
    setComponentHandler(nullptr);
    if (context_) v3_cpp_obj_unref(context_);
    context_ = nullptr;
    return kResultOk;
}

// --- IComponent ---

int32_t Vst3Effect::busCount(int32_t mediaType, int32_t direction) const {
    return mediaType == V3_AUDIO && (direction == V3_INPUT || direction == V3_OUTPUT) ? 1 : 0;
}

v3_result Vst3Effect::busInfo(int32_t mediaType, int32_t direction, int32_t index,
                              v3_bus_info* info) const {
    if (!info || mediaType != V3_AUDIO || index != 0 ||
        (direction != V3_INPUT && direction != V3_OUTPUT))
        return kInvalidArgument;
    std::memset(info, 0, sizeof *info);
    info->media_type = V3_AUDIO;
    info->direction = direction;
    info->channel_count =
        direction == V3_INPUT && !inputStereo_.load(std::memory_order_relaxed) ? 1 : 2;
    toString128(direction == V3_INPUT ? "Input" : "Output", info->bus_name);
    info->bus_type = V3_MAIN;
    info->flags = V3_DEFAULT_ACTIVE;
    return kResultOk;
}

v3_result Vst3Effect::activateBus(int32_t mediaType, int32_t direction, int32_t index,
                                  v3_bool /*state*/) {
    return busCount(mediaType, direction) > index && index >= 0 ? kResultOk : kInvalidArgument;
}

v3_result Vst3Effect::setActive(v3_bool state) {
    if (!core_) return kNotInitialized;
    // The effect's resume and suspend both clear the strings, as a VST 2.4 host's mains switch.
    active_ = state != 0;
    dispatch(effMainsChanged, 0, active_ ? 1 : 0);
    return kResultOk;
}

v3_result Vst3Effect::setState(v3_bstream** stream) {
    if (!core_ || !presets_) return kNotInitialized;
    std::uint8_t bytes[chunk::kSize];
    if (!readAll(stream, bytes, static_cast<int32_t>(chunk::kSize))) return kResultFalse;
    const chunk::Parsed parsed = chunk::parse(bytes, static_cast<int32_t>(chunk::kSize),
                                              static_cast<std::uint32_t>(identity::kUniqueID));
    if (parsed.outcome != chunk::Parsed::Outcome::loaded) return kResultFalse;
    quiet_ = true;
    const VstIntPtr result = dispatch(effSetChunk, 0, static_cast<VstIntPtr>(chunk::kSize), bytes);
    quiet_ = false;
    return result == 0 ? kResultOk : kResultFalse;
}

v3_result Vst3Effect::getState(v3_bstream** stream) {
    if (!core_) return kNotInitialized;
    void* data = nullptr;
    const VstIntPtr size = dispatch(effGetChunk, 0, 0, &data);
    if (size <= 0 || !data) return kResultFalse;
    return writeAll(stream, data, static_cast<int32_t>(size)) ? kResultOk : kResultFalse;
}

// --- IAudioProcessor ---

v3_result Vst3Effect::setBusArrangements(const uint64_t* inputs, int32_t numIns,
                                         const uint64_t* outputs, int32_t numOuts) {
    // Stereo out only; a mono input is heard as by a VST 2.4 host with one input pin connected.
    const bool accepted = inputs && outputs && numIns == 1 && numOuts == 1 &&
                          outputs[0] == kSpeakerArrStereo &&
                          (inputs[0] == kSpeakerArrStereo || inputs[0] == kSpeakerArrMono);
    inputStereo_.store(!accepted || inputs[0] == kSpeakerArrStereo, std::memory_order_relaxed);
    return accepted ? kResultOk : kResultFalse;
}

v3_result Vst3Effect::busArrangement(int32_t direction, int32_t index,
                                     uint64_t* arrangement) const {
    if (!arrangement || index != 0 || (direction != V3_INPUT && direction != V3_OUTPUT))
        return kInvalidArgument;
    *arrangement = direction == V3_INPUT && !inputStereo_.load(std::memory_order_relaxed)
                       ? kSpeakerArrMono
                       : kSpeakerArrStereo;
    return kResultOk;
}

uint32_t Vst3Effect::latencySamples() const {
    return record_ ? static_cast<uint32_t>(std::max<VstInt32>(0, record_->initialDelay)) : 0;
}

uint32_t Vst3Effect::tailSamples() const {
    return record_ ? tailSampleCount(record_->getParameter(record_, kDecay), core_->getSampleRate())
                   : 0;
}

v3_result Vst3Effect::setupProcessing(const v3_process_setup* setup) {
    if (!core_) return kNotInitialized;
    if (!setup || setup->symbolic_sample_size != V3_SAMPLE_32 || setup->max_block_size <= 0 ||
        !(setup->sample_rate > 0.0) || !std::isfinite(setup->sample_rate))
        return kInvalidArgument;
    // The copies of aliased inputs are resized here, so never while the audio thread runs.
    if (active_) return kResultFalse;
    try {
        for (auto& channel : scratch_)
            channel.assign(static_cast<std::size_t>(setup->max_block_size), 0.0f);
    } catch (...) {
        return kOutOfMemory;
    }
    dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(setup->sample_rate));
    dispatch(effSetBlockSize, 0, setup->max_block_size);
    return kResultOk;
}

v3_result Vst3Effect::setProcessing(v3_bool /*state*/) {
    // The strings keep ringing across a pause; only the mains switch (setActive) clears them,
    // as for a VST 2.4 host.
    return core_ ? kResultOk : kNotInitialized;
}

// Applies every point at or before `upTo` (queue order, then point order) and advances.
void Vst3Effect::applyPoints(v3_process_data& /*data*/, int32_t upTo) {
    for (int32_t q = 0; q < queueCount_; ++q) {
        Queue& queue = queues_[q];
        while (queue.next < queue.count) {
            int32_t offset = 0;
            double value = 0.0;
            if (v3_cpp_obj(queue.queue)->get_point(queue.queue, queue.next, &offset, &value) !=
                kResultOk) {
                queue.next = queue.count;
                break;
            }
            if (offset > upTo) break;
            record_->setParameter(record_, queue.id, clampedValue(value));
            ++queue.next;
        }
    }
}

void Vst3Effect::processPiece(float* const* in, float* const* out, int32_t from, int32_t to,
                              v3_process_data& data) {
    // Split at every change point, as a VST 2.4 host that splits its blocks there.
    int32_t at = from;
    while (at < to) {
        applyPoints(data, at);
        int32_t next = to;
        for (int32_t q = 0; q < queueCount_; ++q) {
            Queue& queue = queues_[q];
            if (queue.next >= queue.count) continue;
            int32_t offset = 0;
            double value = 0.0;
            if (v3_cpp_obj(queue.queue)->get_point(queue.queue, queue.next, &offset, &value) ==
                kResultOk)
                next = std::min(next, offset);
        }
        float* inputs[2] = {in[0] + (at - from), in[1] ? in[1] + (at - from) : nullptr};
        float* outputs[2] = {out[0] + at, out[1] + at};
        record_->processReplacing(record_, inputs, outputs, next - at);
        at = next;
    }
}

v3_result Vst3Effect::process(v3_process_data* data) {
    if (!data) return kInvalidArgument;
    if (!core_) return kNotInitialized;
    // Gather the queues of our parameters; program changes come through the controller.
    queueCount_ = 0;
    if (data->input_params && *data->input_params) {
        v3_param_changes** changes = data->input_params;
        const int32_t count = v3_cpp_obj(changes)->get_param_count(changes);
        for (int32_t i = 0; i < count && queueCount_ < 8; ++i) {
            v3_param_value_queue** queue = v3_cpp_obj(changes)->get_param_data(changes, i);
            if (!queue || !*queue) continue;
            const v3_param_id id = v3_cpp_obj(queue)->get_param_id(queue);
            if (!isParameterIndex(static_cast<int32_t>(id))) continue;
            queues_[queueCount_++] = {queue, static_cast<int32_t>(id),
                                      v3_cpp_obj(queue)->get_point_count(queue), 0};
        }
    }
    const int32_t frames = data->nframes;
    const v3_audio_bus_buffers* inBus = data->num_input_buses >= 1 ? data->inputs : nullptr;
    const v3_audio_bus_buffers* outBus = data->num_output_buses >= 1 ? data->outputs : nullptr;
    const bool playable = frames > 0 && inBus && outBus &&
                          data->symbolic_sample_size == V3_SAMPLE_32 && inBus->num_channels >= 1 &&
                          outBus->num_channels == 2 && inBus->channel_buffers_32 &&
                          outBus->channel_buffers_32 && inBus->channel_buffers_32[0] &&
                          outBus->channel_buffers_32[0] && outBus->channel_buffers_32[1] &&
                          (inBus->num_channels == 1 || inBus->channel_buffers_32[1]);
    if (!playable) {
        // A flush: the parameters only.
        applyPoints(*data, INT32_MAX);
        announceValues(*data);
        return kResultOk;
    }
    float* in[2] = {inBus->channel_buffers_32[0],
                    inBus->num_channels >= 2 ? inBus->channel_buffers_32[1] : nullptr};
    float* const* out = outBus->channel_buffers_32;
    bool aliased = false;
    for (float* i : in)
        for (int c = 0; c < 2; ++c)
            aliased = aliased || (i && i == out[c]);
    const auto capacity = static_cast<int32_t>(scratch_[0].size());
    if (!aliased && queueCount_ == 0) {
        // The common block: nothing to split, nothing to copy.
        record_->processReplacing(record_, in, const_cast<float**>(out), frames);
    } else if (!aliased || capacity == 0) {
        processPiece(in, out, 0, frames, *data);
    } else {
        // The effect reads its inputs after writing outputs in places: give it copies.
        for (int32_t from = 0; from < frames; from += capacity) {
            const int32_t to = std::min(frames, from + capacity);
            float* copies[2] = {scratch_[0].data(), in[1] ? scratch_[1].data() : nullptr};
            for (int c = 0; c < 2; ++c)
                if (in[c]) std::copy(in[c] + from, in[c] + to, copies[c]);
            processPiece(copies, out, from, to, *data);
        }
    }
    if (queueCount_ > 0) applyPoints(*data, INT32_MAX);
    if (data->output_params) announceValues(*data);
    return kResultOk;
}

void Vst3Effect::announceValues(v3_process_data& data) {
    if (!data.output_params || !*data.output_params) return;
    // A plain load first: the exchange (a locked instruction) only after a switch.
    if (!announceValues_.load(std::memory_order_relaxed) ||
        !announceValues_.exchange(false, std::memory_order_acq_rel))
        return;
    v3_param_changes** changes = data.output_params;
    for (v3_param_id id = 0; id < static_cast<v3_param_id>(kNumParams); ++id) {
        int32_t index = 0;
        v3_param_value_queue** queue = v3_cpp_obj(changes)->add_param_data(changes, &id, &index);
        if (queue && *queue)
            v3_cpp_obj(queue)->add_point(
                queue, 0, record_->getParameter(record_, static_cast<VstInt32>(id)), &index);
    }
}

// --- IEditController ---

v3_result Vst3Effect::setComponentState(v3_bstream** stream) {
    // One object: the component's state is ours already; only check that it would be.
    std::uint8_t bytes[chunk::kSize];
    if (!readAll(stream, bytes, static_cast<int32_t>(chunk::kSize))) return kResultFalse;
    const chunk::Parsed parsed = chunk::parse(bytes, static_cast<int32_t>(chunk::kSize),
                                              static_cast<std::uint32_t>(identity::kUniqueID));
    return parsed.outcome == chunk::Parsed::Outcome::loaded ? kResultOk : kResultFalse;
}

int32_t Vst3Effect::parameterCount() const {
    return kNumParams + 1;
}

v3_result Vst3Effect::parameterInfo(int32_t index, v3_param_info* info) {
    if (!info || index < 0 || index >= parameterCount()) return kInvalidArgument;
    std::memset(info, 0, sizeof *info);
    info->unit_id = kRootUnitId;
    if (index == kNumParams) {
        info->param_id = kProgramParamId;
        toString128("Program", info->title);
        toString128("Program", info->short_title);
        info->step_count = kPrograms - 1;
        info->flags = V3_PARAM_PROGRAM_CHANGE | V3_PARAM_IS_LIST;
        return kResultOk;
    }
    char text[kVstMaxParamStrLen * 4] = {};
    dispatch(effGetParamName, index, 0, text);
    toString128(text, info->title);
    toString128(text, info->short_title);
    std::memset(text, 0, sizeof text);
    dispatch(effGetParamLabel, index, 0, text);
    toString128(text, info->units);
    info->param_id = static_cast<v3_param_id>(index);
    info->step_count = index == kTranspose ? kStepsTranspose : index == kBypass ? 1 : 0;
    info->default_normalised_value = kFactoryPrograms[0].values[index];
    info->flags = V3_PARAM_CAN_AUTOMATE | (index == kBypass ? V3_PARAM_IS_BYPASS : 0);
    return kResultOk;
}

v3_result Vst3Effect::stringForValue(v3_param_id id, double value, int16_t* text) {
    if (!text) return kInvalidArgument;
    if (id == kProgramParamId) {
        if (!presets_) return kNotInitialized;
        return programName(kProgramListId, programIndex(value), text);
    }
    if (!isParameterIndex(static_cast<int32_t>(id))) return kInvalidArgument;
    valueText(static_cast<int32_t>(id), value, text);
    return kResultOk;
}

v3_result Vst3Effect::valueForString(v3_param_id id, const int16_t* text, double* value) {
    if (!text || !value || !isParameterIndex(static_cast<int32_t>(id))) return kInvalidArgument;
    const std::optional<double> typed = typedValue(static_cast<int32_t>(id), text);
    if (!typed) return kResultFalse;
    *value = *typed;
    return kResultOk;
}

double Vst3Effect::normalized(v3_param_id id) {
    if (!record_) return 0.0;
    if (id == kProgramParamId)
        return presets_ ? presets_->getCurrentProgramIndex() / static_cast<double>(kPrograms - 1)
                        : 0.0;
    if (!isParameterIndex(static_cast<int32_t>(id))) return 0.0;
    return record_->getParameter(record_, static_cast<VstInt32>(id));
}

void Vst3Effect::selectProgram(int32_t index) {
    if (!presets_ || index == presets_->getCurrentProgramIndex()) return;
    presets_->selectProgram(index);
}

v3_result Vst3Effect::setNormalized(v3_param_id id, double value) {
    if (!record_) return kNotInitialized;
    if (id == kProgramParamId) {
        // The host switches programs from inside its own locks and re-reads the values
        // itself; a restart request from in here would re-enter them (Ardour 7.3 deadlocks).
        // The processor reports the new values instead, as output changes of its next block.
        quiet_ = true;
        selectProgram(programIndex(value));
        quiet_ = false;
        announceValues_.store(true, std::memory_order_release);
        return kResultOk;
    }
    if (!isParameterIndex(static_cast<int32_t>(id))) return kInvalidArgument;
    record_->setParameter(record_, static_cast<VstInt32>(id), clampedValue(value));
    return kResultOk;
}

v3_result Vst3Effect::setComponentHandler(v3_component_handler** handler) {
    if (handler == handler_) return kResultOk;
    if (handler && *handler) v3_cpp_obj_ref(handler);
    if (handler_) v3_cpp_obj_unref(handler_);
    handler_ = handler && *handler ? handler : nullptr;
    return kResultOk;
}

// --- the editor ---

v3_plugin_view** Vst3Effect::createView(const char* name) {
    if (!core_ || !name || std::strcmp(name, "editor") != 0 || !core_->getEditor()) return nullptr;
    Vst3View* view = Vst3View::create(*this);
    return view ? view->view() : nullptr;
}

bool Vst3Effect::editorSize(v3_view_rect& rect) {
    ERect* r = nullptr;
    if (dispatch(effEditGetRect, 0, 0, &r) == 0 || !r) return false;
    rect = {r->left, r->top, r->right, r->bottom};
    return true;
}

bool Vst3Effect::openEditor(void* parent, EditorWindow& window) {
    if (dispatch(effEditOpen, 0, 0, parent) == 0) return false;
    editorWindow(window);
    return true;
}

bool Vst3Effect::editorWindow(EditorWindow& window) const {
    auto* editor = core_ ? dynamic_cast<AEffGUIEditor*>(core_->getEditor()) : nullptr;
    CFrame* frame = editor ? editor->getFrame() : nullptr;
    window = {frame ? frame->getSystemWindow() : nullptr, frame ? frame->eventDescriptor() : -1,
              editor ? editor->getScaleFactor() : 1.0};
    return frame != nullptr;
}

bool Vst3Effect::scaleEditor(double factor) {
    auto* editor = core_ ? dynamic_cast<AEffGUIEditor*>(core_->getEditor()) : nullptr;
    return editor && editor->setHostScaleFactor(factor);
}

void Vst3Effect::idleEditor() {
    dispatch(effEditIdle);
}

void Vst3Effect::closeEditor() {
    dispatch(effEditClose);
}

bool Vst3Effect::editorKey(bool down, int16_t character, int16_t code, int16_t modifiers) {
    // The virtual key and modifier numbers are the VST 2.4 ones.
    return dispatch(down ? effEditKeyDown : effEditKeyUp, character, code & 0xFF, nullptr,
                    static_cast<float>(modifiers & 0xFF)) != 0;
}

// --- IUnitInfo ---

v3_result Vst3Effect::programName(int32_t listId, int32_t index, int16_t* name) {
    if (!name || listId != kProgramListId || index < 0 || index >= kPrograms)
        return kInvalidArgument;
    char text[kVstMaxProgNameLen * 4] = {};
    if (dispatch(effGetProgramNameIndexed, index, 0, text) == 0) return kResultFalse;
    toString128(text, name);
    return kResultOk;
}

} // namespace vst3
