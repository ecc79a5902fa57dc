// The effect reached through its VST 3 interface, as a host drives it: created by the module's
// factory, set up, active and processing, blocks through IAudioProcessor::process with a
// parameter change list (empty unless a change is pending), as Ardour passes one every block.
#pragma once

#include <cstdint>

#include "formats/vst3/Vst3Factory.h"
#include "host/vst3/HostObjects.h"

class Vst3Path {
  public:
    explicit Vst3Path(float rate, std::int32_t maxBlock = 4096) {
        v3_plugin_factory** factory = vst3::pluginFactory();
        void* obj = nullptr;
        v3_cpp_obj(factory)->create_instance(factory, vst3::kClassId.bytes, v3_component_iid, &obj);
        component_ = static_cast<v3_component**>(obj);
        v3_cpp_obj_initialize(component_, application_.context());
        reinterpret_cast<v3_funknown*>(*component_)
            ->query_interface(component_, v3_audio_processor_iid, &obj);
        processor_ = static_cast<v3_audio_processor**>(obj);
        v3_process_setup setup{V3_REALTIME, V3_SAMPLE_32, maxBlock, rate};
        v3_cpp_obj(processor_)->setup_processing(processor_, &setup);
        v3_cpp_obj(component_)->set_active(component_, 1);
        v3_cpp_obj(processor_)->set_processing(processor_, 1);
    }
    ~Vst3Path() {
        v3_cpp_obj(processor_)->set_processing(processor_, 0);
        v3_cpp_obj(component_)->set_active(component_, 0);
        reinterpret_cast<v3_funknown*>(*processor_)->unref(processor_);
        v3_cpp_obj_terminate(component_);
        reinterpret_cast<v3_funknown*>(*component_)->unref(component_);
    }
    Vst3Path(const Vst3Path&) = delete;
    Vst3Path& operator=(const Vst3Path&) = delete;

    void process(const float* inL, const float* inR, float* outL, float* outR,
                 std::int32_t frames) {
        float* in[2] = {const_cast<float*>(inL), const_cast<float*>(inR)};
        float* out[2] = {outL, outR};
        v3_audio_bus_buffers inBus{2, 0, {in}}, outBus{2, 0, {out}};
        v3_process_data data{};
        data.symbolic_sample_size = V3_SAMPLE_32;
        data.nframes = frames;
        data.num_input_buses = data.num_output_buses = 1;
        data.inputs = &inBus;
        data.outputs = &outBus;
        data.input_params = changes_.changes();
        v3_cpp_obj(processor_)->process(processor_, &data);
        if (!changes_.empty()) changes_.clear();
    }
    // Delivered at the start of the next block.
    void setParameter(int index, float x) {
        changes_.queueFor(static_cast<v3_param_id>(index)).points.emplace_back(0, x);
    }
    void reset() {
        v3_cpp_obj(component_)->set_active(component_, 0);
        v3_cpp_obj(component_)->set_active(component_, 1);
    }

  private:
    lyrehost::vst3host::HostApplication application_;
    lyrehost::vst3host::ParamChanges changes_;
    v3_component** component_ = nullptr;
    v3_audio_processor** processor_ = nullptr;
};
