#include "host/vst3/Vst3Plugin.h"

#include <cstring>
#include <exception>
#include <filesystem>

namespace lyrehost {
namespace {

using EntryProc = v3_plugin_factory**(V3_API*)();
using ModuleEntryProc = bool (*)(void*);
using ModuleExitProc = bool (*)();

#if defined(_WIN32)
#if defined(_WIN64)
constexpr const char* kArchFolder = "x86_64-win";
#else
constexpr const char* kArchFolder = "x86-win";
#endif
constexpr const char* kModuleSuffix = ".vst3";
#else
constexpr const char* kArchFolder = "x86_64-linux";
constexpr const char* kModuleSuffix = ".so";
#endif

template <class T> T** queried(void** from, const v3_tuid iid) {
    void* obj = nullptr;
    auto** unknown = reinterpret_cast<v3_funknown**>(from);
    if ((*unknown)->query_interface(from, iid, &obj) != vst3::kResultOk || !obj) return nullptr;
    return static_cast<T**>(obj);
}

template <class T> void releaseInterface(T**& obj) {
    if (obj) reinterpret_cast<v3_funknown*>(*obj)->unref(obj);
    obj = nullptr;
}

} // namespace

std::string Vst3Plugin::modulePath(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_directory(std::filesystem::path(path), error)) return path;
    std::string bundle = path;
    while (bundle.size() > 1 && (bundle.back() == '/' || bundle.back() == '\\'))
        bundle.pop_back();
    std::string name = bundle.substr(bundle.find_last_of("/\\") + 1);
    if (const auto dot = name.rfind(".vst3"); dot != std::string::npos) name.resize(dot);
    return bundle + "/Contents/" + kArchFolder + "/" + name + kModuleSuffix;
}

std::string Vst3Plugin::load(const std::string& path, int classIndex) {
    unload();
    const std::string module = modulePath(path);
    try {
        if (std::string error = library_.open(module); !error.empty()) return error;
#if !defined(_WIN32)
        auto moduleEntry = reinterpret_cast<ModuleEntryProc>(library_.symbol("ModuleEntry"));
        if (!moduleEntry || !library_.symbol("ModuleExit")) {
            library_.close();
            return module + ": not a VST 3 module (no ModuleEntry or ModuleExit)";
        }
        if (!moduleEntry(library_.nativeHandle())) {
            library_.close();
            return module + ": ModuleEntry refused the module";
        }
#endif
        auto entry = reinterpret_cast<EntryProc>(library_.symbol("GetPluginFactory"));
        factory_ = entry ? entry() : nullptr;
        if (!factory_) {
            unload();
            return module + ": no plug-in factory (GetPluginFactory missing or null)";
        }
        v3_plugin_factory* f = v3_cpp_obj(factory_);
        const int32_t count = f->num_classes(factory_);
        v3_class_info info{};
        int chosen = -1;
        for (int32_t i = 0; i < count && chosen < 0; ++i) {
            if (f->get_class_info(factory_, i, &info) != vst3::kResultOk) continue;
            if ((classIndex < 0 && std::strcmp(info.category, "Audio Module Class") == 0) ||
                classIndex == i)
                chosen = i;
        }
        if (chosen < 0) {
            unload();
            return module + ": no audio module class";
        }
        className_ = std::string(info.name, strnlen(info.name, sizeof info.name));
        void* obj = nullptr;
        if (f->create_instance(factory_, info.class_id, v3_component_iid, &obj) !=
                vst3::kResultOk ||
            !obj) {
            unload();
            return module + ": createInstance refused the audio module class";
        }
        component_ = static_cast<v3_component**>(obj);
        if (v3_cpp_obj_initialize(component_, application_.context()) != vst3::kResultOk) {
            releaseInterface(component_);
            unload();
            return module + ": initialize failed";
        }
        processor_ = queried<v3_audio_processor>(reinterpret_cast<void**>(component_),
                                                 v3_audio_processor_iid);
        // One object answers the controller itself; otherwise the controller class is made.
        controller_ = queried<v3_edit_controller>(reinterpret_cast<void**>(component_),
                                                  v3_edit_controller_iid);
        if (!controller_) {
            v3_tuid cid{};
            if (v3_cpp_obj(component_)->get_controller_class_id(component_, cid) ==
                    vst3::kResultOk &&
                f->create_instance(factory_, cid, v3_edit_controller_iid, &obj) ==
                    vst3::kResultOk &&
                obj) {
                controller_ = static_cast<v3_edit_controller**>(obj);
                separateController_ = true;
                v3_cpp_obj_initialize(controller_, application_.context());
            }
        }
        if (!processor_) {
            unload();
            return module + ": the component is no audio processor";
        }
        if (controller_)
            v3_cpp_obj(controller_)->set_component_handler(controller_, handler_.handler());
        return {};
    } catch (const std::exception& e) {
        unload();
        return module + ": " + e.what();
    }
}

void Vst3Plugin::unload() {
    stop();
    if (controller_) {
        v3_cpp_obj(controller_)->set_component_handler(controller_, nullptr);
        if (separateController_) v3_cpp_obj_terminate(controller_);
    }
    releaseInterface(controller_);
    releaseInterface(processor_);
    if (component_) v3_cpp_obj_terminate(component_);
    releaseInterface(component_);
    separateController_ = false;
    if (factory_) reinterpret_cast<v3_funknown*>(*factory_)->unref(factory_);
    factory_ = nullptr;
#if !defined(_WIN32)
    if (library_.isOpen())
        if (auto exit = reinterpret_cast<ModuleExitProc>(library_.symbol("ModuleExit"))) exit();
#endif
    library_.close();
}

v3_result Vst3Plugin::start(double sampleRate, int32_t maxBlock) {
    if (!component_) return vst3::kNotInitialized;
    stop();
    v3_speaker_arrangement in = vst3::kSpeakerArrStereo, out = vst3::kSpeakerArrStereo;
    v3_cpp_obj(processor_)->set_bus_arrangements(processor_, &in, 1, &out, 1);
    v3_process_setup setup{V3_REALTIME, V3_SAMPLE_32, maxBlock, sampleRate};
    if (const v3_result r = v3_cpp_obj(processor_)->setup_processing(processor_, &setup);
        r != vst3::kResultOk)
        return r;
    v3_cpp_obj(component_)->activate_bus(component_, V3_AUDIO, V3_INPUT, 0, 1);
    v3_cpp_obj(component_)->activate_bus(component_, V3_AUDIO, V3_OUTPUT, 0, 1);
    if (const v3_result r = v3_cpp_obj(component_)->set_active(component_, 1); r != vst3::kResultOk)
        return r;
    v3_cpp_obj(processor_)->set_processing(processor_, 1);
    running_ = true;
    return vst3::kResultOk;
}

void Vst3Plugin::stop() {
    if (!running_) return;
    v3_cpp_obj(processor_)->set_processing(processor_, 0);
    v3_cpp_obj(component_)->set_active(component_, 0);
    running_ = false;
}

v3_result Vst3Plugin::process(float* const* inputs, float* const* outputs, int32_t frames,
                              vst3host::ParamChanges* changes,
                              vst3host::ParamChanges* outputChanges) {
    if (!processor_) return vst3::kNotInitialized;
    v3_audio_bus_buffers in{}, out{};
    in.num_channels = 2;
    in.channel_buffers_32 = const_cast<float**>(inputs);
    out.num_channels = 2;
    out.channel_buffers_32 = const_cast<float**>(outputs);
    v3_process_data data{};
    data.process_mode = V3_REALTIME;
    data.symbolic_sample_size = V3_SAMPLE_32;
    data.nframes = frames;
    data.num_input_buses = 1;
    data.num_output_buses = 1;
    data.inputs = &in;
    data.outputs = &out;
    data.input_params = changes ? changes->changes() : nullptr;
    data.output_params = outputChanges ? outputChanges->changes() : nullptr;
    return v3_cpp_obj(processor_)->process(processor_, &data);
}

v3_result Vst3Plugin::flush(vst3host::ParamChanges& changes) {
    if (!processor_) return vst3::kNotInitialized;
    v3_process_data data{};
    data.symbolic_sample_size = V3_SAMPLE_32;
    data.input_params = changes.changes();
    return v3_cpp_obj(processor_)->process(processor_, &data);
}

std::vector<std::uint8_t> Vst3Plugin::componentState() {
    vst3host::MemoryStream stream;
    if (!component_ ||
        v3_cpp_obj(component_)->get_state(component_, stream.stream()) != vst3::kResultOk)
        return {};
    return stream.bytes;
}

v3_result Vst3Plugin::setComponentState(const std::vector<std::uint8_t>& bytes) {
    if (!component_) return vst3::kNotInitialized;
    vst3host::MemoryStream stream(bytes);
    const v3_result r = v3_cpp_obj(component_)->set_state(component_, stream.stream());
    if (r == vst3::kResultOk && controller_) {
        vst3host::MemoryStream again(bytes);
        v3_cpp_obj(controller_)->set_component_state(controller_, again.stream());
    }
    return r;
}

int32_t Vst3Plugin::parameterCount() {
    return controller_ ? v3_cpp_obj(controller_)->get_parameter_count(controller_) : 0;
}

v3_param_info Vst3Plugin::parameterInfo(int32_t index) {
    v3_param_info info{};
    if (controller_) v3_cpp_obj(controller_)->get_parameter_info(controller_, index, &info);
    return info;
}

std::string Vst3Plugin::valueText(v3_param_id id, double value) {
    v3_str_128 text{};
    if (!controller_ ||
        v3_cpp_obj(controller_)->get_parameter_string_for_value(controller_, id, value, text) !=
            vst3::kResultOk)
        return {};
    return vst3host::narrow(text);
}

double Vst3Plugin::normalized(v3_param_id id) {
    return controller_ ? v3_cpp_obj(controller_)->get_parameter_normalised(controller_, id) : 0.0;
}

} // namespace lyrehost
