// The effect reached through its CLAP interface, as a host drives it: activated, processing,
// blocks through the plug-in's process call with an (empty) event list.
#pragma once

#include <clap/events.h>

#include <cstdint>
#include <vector>

#include "formats/clap/ClapEffect.h"

class ClapPath {
  public:
    explicit ClapPath(float rate, std::int32_t maxBlock = 4096) {
        host_.clap_version = CLAP_VERSION;
        host_.get_extension = [](const clap_host_t*, const char*) -> const void* {
            return nullptr;
        };
        plugin_ = (new lyreclap::ClapEffect(&host_, nullptr))->plugin();
        plugin_->init(plugin_);
        plugin_->activate(plugin_, rate, 1, static_cast<uint32_t>(maxBlock));
        plugin_->start_processing(plugin_);
    }
    ~ClapPath() {
        plugin_->stop_processing(plugin_);
        plugin_->deactivate(plugin_);
        plugin_->destroy(plugin_);
    }
    ClapPath(const ClapPath&) = delete;
    ClapPath& operator=(const ClapPath&) = delete;

    void process(const float* inL, const float* inR, float* outL, float* outR,
                 std::int32_t frames) {
        float* in[2] = {const_cast<float*>(inL), const_cast<float*>(inR)};
        float* out[2] = {outL, outR};
        clap_audio_buffer_t inBuffer{in, nullptr, 2, 0, 0}, outBuffer{out, nullptr, 2, 0, 0};
        clap_process_t data{};
        data.steady_time = -1;
        data.frames_count = static_cast<uint32_t>(frames);
        data.audio_inputs = &inBuffer;
        data.audio_outputs = &outBuffer;
        data.audio_inputs_count = data.audio_outputs_count = 1;
        data.in_events = &inEvents_;
        data.out_events = &outEvents_;
        plugin_->process(plugin_, &data);
    }

  private:
    static uint32_t CLAP_ABI size(const clap_input_events_t* list) {
        return static_cast<uint32_t>(static_cast<ClapPath*>(list->ctx)->events_.size());
    }
    static const clap_event_header_t* CLAP_ABI get(const clap_input_events_t* list,
                                                   uint32_t index) {
        return &static_cast<ClapPath*>(list->ctx)->events_[index].header;
    }
    static bool CLAP_ABI push(const clap_output_events_t*, const clap_event_header_t*) {
        return true;
    }

    clap_host_t host_{};
    const clap_plugin_t* plugin_ = nullptr;
    std::vector<clap_event_param_value_t> events_;
    clap_input_events_t inEvents_{this, size, get};
    clap_output_events_t outEvents_{this, push};
};
