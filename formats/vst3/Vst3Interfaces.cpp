// The vtables hosts call through. Each entry finds its object from the interface pointer and
// forwards; no exception leaves through here. Named functions, not lambdas: every entry needs
// the interface's calling convention (__stdcall on 32-bit Windows).
#include "formats/vst3/Vst3Effect.h"

namespace vst3 {
namespace {

Vst3Effect& of(void* self) {
    return *static_cast<Vst3Effect::Face*>(self)->owner;
}

template <class F> v3_result guarded(F&& f) noexcept {
    try {
        return f();
    } catch (...) {
        return kInternalError;
    }
}

template <class T, class F> T guardedValue(T failure, F&& f) noexcept {
    try {
        return f();
    } catch (...) {
        return failure;
    }
}

void copyName(const char* name, int16_t* out) {
    int i = 0;
    for (; name[i]; ++i)
        out[i] = static_cast<int16_t>(name[i]);
    out[i] = 0;
}

// FUnknown and IPluginBase, the same for every face.
v3_result V3_API queryInterface(void* self, const v3_tuid iid, void** obj) {
    if (!obj) return kInvalidArgument;
    *obj = of(self).query(iid);
    return *obj ? kResultOk : kNoInterface;
}
uint32_t V3_API addRef(void* self) {
    return of(self).addRef();
}
uint32_t V3_API release(void* self) {
    return of(self).release();
}
v3_result V3_API initialize(void* self, v3_funknown** context) {
    return guarded([&] { return of(self).initialize(context); });
}
v3_result V3_API terminate(void* self) {
    return guarded([&] { return of(self).terminate(); });
}

// IComponent
v3_result V3_API controllerClassId(void*, v3_tuid) {
    return kNotImplemented; // one object: no separate controller class
}
v3_result V3_API setIoMode(void*, int32_t) {
    return kNotImplemented;
}
int32_t V3_API busCount(void* self, int32_t type, int32_t dir) {
    return of(self).busCount(type, dir);
}
v3_result V3_API busInfo(void* self, int32_t type, int32_t dir, int32_t index, v3_bus_info* info) {
    return guarded([&] { return of(self).busInfo(type, dir, index, info); });
}
v3_result V3_API routingInfo(void*, v3_routing_info*, v3_routing_info*) {
    return kNotImplemented;
}
v3_result V3_API activateBus(void* self, int32_t type, int32_t dir, int32_t index, v3_bool on) {
    return guarded([&] { return of(self).activateBus(type, dir, index, on); });
}
v3_result V3_API setActive(void* self, v3_bool state) {
    return guarded([&] { return of(self).setActive(state); });
}
v3_result V3_API setState(void* self, v3_bstream** stream) {
    return guarded([&] { return of(self).setState(stream); });
}
v3_result V3_API getState(void* self, v3_bstream** stream) {
    return guarded([&] { return of(self).getState(stream); });
}

// IAudioProcessor
v3_result V3_API setBusArrangements(void* self, v3_speaker_arrangement* in, int32_t numIns,
                                    v3_speaker_arrangement* out, int32_t numOuts) {
    return guarded([&] { return of(self).setBusArrangements(in, numIns, out, numOuts); });
}
v3_result V3_API busArrangement(void* self, int32_t dir, int32_t index,
                                v3_speaker_arrangement* arrangement) {
    return guarded([&] { return of(self).busArrangement(dir, index, arrangement); });
}
v3_result V3_API canProcessSampleSize(void*, int32_t size) {
    return size == V3_SAMPLE_32 ? kResultOk : kResultFalse;
}
uint32_t V3_API latencySamples(void* self) {
    return of(self).latencySamples();
}
v3_result V3_API setupProcessing(void* self, v3_process_setup* setup) {
    return guarded([&] { return of(self).setupProcessing(setup); });
}
v3_result V3_API setProcessing(void* self, v3_bool state) {
    return guarded([&] { return of(self).setProcessing(state); });
}
v3_result V3_API process(void* self, v3_process_data* data) {
    return guarded([&] { return of(self).process(data); });
}
uint32_t V3_API tailSamples(void* self) {
    return guardedValue<uint32_t>(0, [&] { return of(self).tailSamples(); });
}

// IEditController
v3_result V3_API setComponentState(void* self, v3_bstream** stream) {
    return guarded([&] { return of(self).setComponentState(stream); });
}
v3_result V3_API setControllerState(void*, v3_bstream**) {
    return kResultOk; // the controller has no state of its own: it is all in the component's
}
v3_result V3_API getControllerState(void*, v3_bstream**) {
    return kNotImplemented;
}
int32_t V3_API parameterCount(void* self) {
    return of(self).parameterCount();
}
v3_result V3_API parameterInfo(void* self, int32_t index, v3_param_info* info) {
    return guarded([&] { return of(self).parameterInfo(index, info); });
}
v3_result V3_API stringForValue(void* self, v3_param_id id, double value, v3_str_128 text) {
    return guarded([&] { return of(self).stringForValue(id, value, text); });
}
v3_result V3_API valueForString(void* self, v3_param_id id, int16_t* text, double* value) {
    return guarded([&] { return of(self).valueForString(id, text, value); });
}
// The host's plain values are the normalised ones: linear and exactly inverse.
double V3_API plainValue(void*, v3_param_id, double value) {
    return value;
}
double V3_API normalizedValue(void*, v3_param_id, double value) {
    return value;
}
double V3_API getNormalized(void* self, v3_param_id id) {
    return guardedValue(0.0, [&] { return of(self).normalized(id); });
}
v3_result V3_API setNormalized(void* self, v3_param_id id, double value) {
    return guarded([&] { return of(self).setNormalized(id, value); });
}
v3_result V3_API setComponentHandler(void* self, v3_component_handler** handler) {
    return guarded([&] { return of(self).setComponentHandler(handler); });
}
v3_plugin_view** V3_API createView(void* self, const char* name) {
    try {
        return of(self).createView(name);
    } catch (...) {
        return nullptr;
    }
}

// IUnitInfo: one root unit with the program list.
int32_t V3_API one(void*) {
    return 1;
}
v3_result V3_API unitInfo(void*, int32_t index, v3_unit_info* info) {
    if (!info || index != 0) return kInvalidArgument;
    *info = {};
    info->id = kRootUnitId;
    info->parent_unit_id = kNoParentUnitId;
    copyName("Root", info->name);
    info->program_list_id = kProgramListId;
    return kResultOk;
}
v3_result V3_API programListInfo(void*, int32_t index, v3_program_list_info* info) {
    if (!info || index != 0) return kInvalidArgument;
    *info = {};
    info->id = kProgramListId;
    copyName("Programs", info->name);
    info->programCount = 6;
    return kResultOk;
}
v3_result V3_API programName(void* self, int32_t list, int32_t index, v3_str_128 name) {
    return guarded([&] { return of(self).programName(list, index, name); });
}
v3_result V3_API programInfo(void*, int32_t, int32_t, const char*, v3_str_128) {
    return kResultFalse;
}
v3_result V3_API hasPitchNames(void*, int32_t, int32_t) {
    return kResultFalse;
}
v3_result V3_API pitchName(void*, int32_t, int32_t, int16_t, v3_str_128) {
    return kResultFalse;
}
int32_t V3_API selectedUnit(void*) {
    return kRootUnitId;
}
v3_result V3_API selectUnit(void*, int32_t) {
    return kResultOk;
}
v3_result V3_API unitByBus(void*, int32_t, int32_t, int32_t, int32_t, int32_t*) {
    return kResultFalse;
}
v3_result V3_API unitProgramData(void*, int32_t, int32_t, v3_bstream**) {
    return kNotImplemented;
}

// IProcessContextRequirements: the effect reads no time or transport.
uint32_t V3_API contextRequirements(void*) {
    return 0;
}

} // namespace

extern const v3_component_cpp kComponentTable;
const v3_component_cpp kComponentTable{{queryInterface, addRef, release},
                                       {initialize, terminate},
                                       {controllerClassId, setIoMode, busCount, busInfo,
                                        routingInfo, activateBus, setActive, setState, getState}};

extern const v3_audio_processor_cpp kProcessorTable;
const v3_audio_processor_cpp kProcessorTable{{queryInterface, addRef, release},
                                             {setBusArrangements, busArrangement,
                                              canProcessSampleSize, latencySamples, setupProcessing,
                                              setProcessing, process, tailSamples}};

extern const v3_edit_controller_cpp kControllerTable;
const v3_edit_controller_cpp kControllerTable{
    {queryInterface, addRef, release},
    {initialize, terminate},
    {setComponentState, setControllerState, getControllerState, parameterCount, parameterInfo,
     stringForValue, valueForString, plainValue, normalizedValue, getNormalized, setNormalized,
     setComponentHandler, createView}};

extern const v3_unit_information_cpp kUnitTable;
const v3_unit_information_cpp kUnitTable{{queryInterface, addRef, release},
                                         {one, unitInfo, one, programListInfo, programName,
                                          programInfo, hasPitchNames, pitchName, selectedUnit,
                                          selectUnit, unitByBus, unitProgramData}};

extern const v3_process_context_requirements_cpp kRequirementsTable;
const v3_process_context_requirements_cpp kRequirementsTable{{queryInterface, addRef, release},
                                                             {contextRequirements}};

} // namespace vst3
