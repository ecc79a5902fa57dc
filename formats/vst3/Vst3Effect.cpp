#include "formats/vst3/Vst3Effect.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "engine/FactoryPrograms.h"
#include "engine/Parameters.h"
#include "formats/vst3/Vst3ParameterText.h"
#include "formats/vst3/Vst3Streams.h"
#include "formats/vst3/Vst3View.h"
#include "presets/ChunkFormat.h"

namespace vst3 {

extern const v3_component_cpp kComponentTable;
extern const v3_audio_processor_cpp kProcessorTable;
extern const v3_edit_controller_cpp kControllerTable;
extern const v3_unit_information_cpp kUnitTable;
extern const v3_process_context_requirements_cpp kRequirementsTable;

namespace {

using lyreformat::kProgramCount;

// A list parameter's step for a normalised value: program k is k / 5.
int32_t programIndex(double value) {
    const double x = std::isnan(value) ? 0.0 : std::clamp(value, 0.0, 1.0);
    return std::min<int32_t>(
        kProgramCount - 1, static_cast<int32_t>(std::floor(static_cast<float>(x) * kProgramCount)));
}

} // namespace

Vst3Effect::Vst3Effect()
    : component_{&kComponentTable, this}, processor_{&kProcessorTable, this},
      controller_{&kControllerTable, this}, units_{&kUnitTable, this}, requirements_{
                                                                           &kRequirementsTable,
                                                                           this} {}

Vst3Effect::~Vst3Effect() {
    terminate();
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

void Vst3Effect::automate(int32_t index, float value) {
    if (handler_)
        v3_cpp_obj(handler_)->perform_edit(handler_, static_cast<v3_param_id>(index), value);
}

void Vst3Effect::beginEdit(int32_t index) {
    if (handler_) v3_cpp_obj(handler_)->begin_edit(handler_, static_cast<v3_param_id>(index));
}

void Vst3Effect::endEdit(int32_t index) {
    if (handler_) v3_cpp_obj(handler_)->end_edit(handler_, static_cast<v3_param_id>(index));
}

void Vst3Effect::displayChanged() {
    if (handler_)
        v3_cpp_obj(handler_)->restart_component(handler_, V3_RESTART_PARAM_VALUES_CHANGED);
}

// --- IPluginBase ---

v3_result Vst3Effect::initialize(v3_funknown** context) {
    // A host that takes us for component and controller initialises twice.
    if (driver_.created()) return kResultOk;
    if (!driver_.create()) return kInternalError;
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
    info->channel_count = direction == V3_INPUT && !driver_.inputStereo() ? 1 : 2;
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
    if (!driver_.created()) return kNotInitialized;
    // The effect's resume and suspend both clear the strings, as a VST 2.4 host's mains switch.
    active_ = state != 0;
    driver_.setActive(active_);
    return kResultOk;
}

v3_result Vst3Effect::setState(v3_bstream** stream) {
    if (!driver_.created()) return kNotInitialized;
    std::uint8_t bytes[chunk::kSize];
    if (!readAll(stream, bytes, static_cast<int32_t>(chunk::kSize))) return kResultFalse;
    return driver_.setState(bytes, chunk::kSize) ? kResultOk : kResultFalse;
}

v3_result Vst3Effect::getState(v3_bstream** stream) {
    if (!driver_.created()) return kNotInitialized;
    std::size_t size = 0;
    const std::uint8_t* data = driver_.state(size);
    if (!data) return kResultFalse;
    return writeAll(stream, data, static_cast<int32_t>(size)) ? kResultOk : kResultFalse;
}

// --- IAudioProcessor ---

v3_result Vst3Effect::setBusArrangements(const uint64_t* inputs, int32_t numIns,
                                         const uint64_t* outputs, int32_t numOuts) {
    // Stereo out only; a mono input is heard as by a VST 2.4 host with one input pin connected.
    const bool accepted = inputs && outputs && numIns == 1 && numOuts == 1 &&
                          outputs[0] == kSpeakerArrStereo &&
                          (inputs[0] == kSpeakerArrStereo || inputs[0] == kSpeakerArrMono);
    driver_.setInputStereo(!accepted || inputs[0] == kSpeakerArrStereo);
    return accepted ? kResultOk : kResultFalse;
}

v3_result Vst3Effect::busArrangement(int32_t direction, int32_t index,
                                     uint64_t* arrangement) const {
    if (!arrangement || index != 0 || (direction != V3_INPUT && direction != V3_OUTPUT))
        return kInvalidArgument;
    *arrangement =
        direction == V3_INPUT && !driver_.inputStereo() ? kSpeakerArrMono : kSpeakerArrStereo;
    return kResultOk;
}

uint32_t Vst3Effect::latencySamples() const {
    return driver_.latency();
}

uint32_t Vst3Effect::tailSamples() const {
    return driver_.tail();
}

v3_result Vst3Effect::setupProcessing(const v3_process_setup* setup) {
    if (!driver_.created()) return kNotInitialized;
    if (!setup || setup->symbolic_sample_size != V3_SAMPLE_32 || setup->max_block_size <= 0 ||
        !(setup->sample_rate > 0.0) || !std::isfinite(setup->sample_rate))
        return kInvalidArgument;
    // The copies of aliased inputs are resized here, so never while the audio thread runs.
    if (active_) return kResultFalse;
    if (!driver_.reserve(setup->max_block_size)) return kOutOfMemory;
    driver_.setRate(setup->sample_rate, setup->max_block_size);
    return kResultOk;
}

v3_result Vst3Effect::setProcessing(v3_bool /*state*/) {
    // The strings keep ringing across a pause; only the mains switch (setActive) clears them,
    // as for a VST 2.4 host.
    return driver_.created() ? kResultOk : kNotInitialized;
}

void Vst3Effect::Queues::gather(v3_param_changes** changes) {
    // Program changes come through the controller.
    count_ = 0;
    if (!changes || !*changes) return;
    const int32_t count = v3_cpp_obj(changes)->get_param_count(changes);
    for (int32_t i = 0; i < count && count_ < 8; ++i) {
        v3_param_value_queue** queue = v3_cpp_obj(changes)->get_param_data(changes, i);
        if (!queue || !*queue) continue;
        const v3_param_id id = v3_cpp_obj(queue)->get_param_id(queue);
        if (!isParameterIndex(static_cast<int32_t>(id))) continue;
        queues_[count_++] = {queue, static_cast<int32_t>(id),
                             v3_cpp_obj(queue)->get_point_count(queue), 0};
    }
}

int32_t Vst3Effect::Queues::nextOffset() {
    int32_t next = INT32_MAX;
    for (int32_t q = 0; q < count_; ++q) {
        Queue& queue = queues_[q];
        if (queue.next >= queue.count) continue;
        int32_t offset = 0;
        double value = 0.0;
        if (v3_cpp_obj(queue.queue)->get_point(queue.queue, queue.next, &offset, &value) ==
            kResultOk)
            next = std::min(next, offset);
    }
    return next;
}

// Every point at or before `upTo`, queue order then point order.
void Vst3Effect::Queues::applyUpTo(int32_t upTo) {
    for (int32_t q = 0; q < count_; ++q) {
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
            driver_.setParameter(queue.id, value);
            ++queue.next;
        }
    }
}

v3_result Vst3Effect::process(v3_process_data* data) {
    if (!data) return kInvalidArgument;
    if (!driver_.created()) return kNotInitialized;
    queues_.gather(data->input_params);
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
        queues_.applyUpTo(INT32_MAX);
        announceValues(*data);
        return kResultOk;
    }
    float* in[2] = {inBus->channel_buffers_32[0],
                    inBus->num_channels >= 2 ? inBus->channel_buffers_32[1] : nullptr};
    driver_.process(in, outBus->channel_buffers_32, frames, queues_.empty() ? nullptr : &queues_);
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
            v3_cpp_obj(queue)->add_point(queue, 0, driver_.parameter(static_cast<int32_t>(id)),
                                         &index);
    }
}

// --- IEditController ---

v3_result Vst3Effect::setComponentState(v3_bstream** stream) {
    // One object: the component's state is ours already; only check that it would be.
    std::uint8_t bytes[chunk::kSize];
    if (!readAll(stream, bytes, static_cast<int32_t>(chunk::kSize))) return kResultFalse;
    return driver_.isState(bytes, chunk::kSize) ? kResultOk : kResultFalse;
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
        info->step_count = kProgramCount - 1;
        info->flags = V3_PARAM_PROGRAM_CHANGE | V3_PARAM_IS_LIST;
        return kResultOk;
    }
    char text[kVstMaxParamStrLen * 4] = {};
    driver_.parameterName(index, text, sizeof text);
    toString128(text, info->title);
    toString128(text, info->short_title);
    driver_.parameterUnit(index, text, sizeof text);
    toString128(text, info->units);
    info->param_id = static_cast<v3_param_id>(index);
    info->step_count = index == kTranspose ? lyreformat::kTransposeSteps : index == kBypass ? 1 : 0;
    info->default_normalised_value = kFactoryPrograms[0].values[index];
    info->flags = V3_PARAM_CAN_AUTOMATE | (index == kBypass ? V3_PARAM_IS_BYPASS : 0);
    return kResultOk;
}

v3_result Vst3Effect::stringForValue(v3_param_id id, double value, int16_t* text) {
    if (!text) return kInvalidArgument;
    if (id == kProgramParamId) {
        if (!driver_.created()) return kNotInitialized;
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
    if (!driver_.created()) return 0.0;
    if (id == kProgramParamId) return driver_.program() / static_cast<double>(kProgramCount - 1);
    return driver_.parameter(static_cast<int32_t>(id));
}

v3_result Vst3Effect::setNormalized(v3_param_id id, double value) {
    if (!driver_.created()) return kNotInitialized;
    if (id == kProgramParamId) {
        // The host switches programs from inside its own locks and re-reads the values
        // itself; a restart request from in here would re-enter them (Ardour 7.3 deadlocks).
        // The processor reports the new values instead, as output changes of its next block.
        driver_.selectProgram(programIndex(value));
        announceValues_.store(true, std::memory_order_release);
        return kResultOk;
    }
    if (!isParameterIndex(static_cast<int32_t>(id))) return kInvalidArgument;
    driver_.setParameter(static_cast<int32_t>(id), value);
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
    if (!name || std::strcmp(name, "editor") != 0 || !driver_.hasEditor()) return nullptr;
    Vst3View* view = Vst3View::create(*this);
    return view ? view->view() : nullptr;
}

bool Vst3Effect::editorSize(v3_view_rect& rect) {
    int32_t width = 0, height = 0;
    if (!driver_.editorSize(width, height)) return false;
    rect = {0, 0, width, height};
    return true;
}

bool Vst3Effect::openEditor(void* parent, EditorWindow& window) {
    return driver_.openEditor(parent, window);
}

bool Vst3Effect::scaleEditor(double factor) {
    return driver_.scaleEditor(factor);
}

bool Vst3Effect::resizeEditor(int32_t width, int32_t height) {
    return view_ && view_->requestSize(width, height);
}

void Vst3Effect::idleEditor() {
    driver_.idleEditor();
}

void Vst3Effect::closeEditor() {
    driver_.closeEditor();
}

bool Vst3Effect::editorKey(bool down, int16_t character, int16_t code, int16_t modifiers) {
    return driver_.editorKey(down, character, code, modifiers);
}

// --- IUnitInfo ---

v3_result Vst3Effect::programName(int32_t listId, int32_t index, int16_t* name) {
    if (!name || listId != kProgramListId || index < 0 || index >= kProgramCount)
        return kInvalidArgument;
    char text[kVstMaxProgNameLen * 4] = {};
    if (!driver_.programName(index, text, sizeof text)) return kResultFalse;
    toString128(text, name);
    return kResultOk;
}

} // namespace vst3
