// The plug-in as a CLAP host sees it: a clap_plugin whose calls are translated into the
// effect driver's, the effect's own edits turned into the host's parameter events.
//
// Threads as CLAP defines them: process, reset and params.flush while active on the audio
// thread; everything else on the main thread. Where the host offers thread-check, main-thread
// calls from another thread are refused.
#pragma once

#include <clap/events.h>
#include <clap/ext/params.h>
#include <clap/ext/thread-check.h>
#include <clap/host.h>
#include <clap/plugin.h>
#include <clap/stream.h>

#include <atomic>
#include <cstdint>

#include "formats/clap/ClapGui.h"
#include "formats/common/EffectDriver.h"

namespace lyreclap {

class ClapEffect final : private lyreformat::EditListener {
  public:
    ClapEffect(const clap_host_t* host, const clap_plugin_descriptor_t* descriptor);
    const clap_plugin_t* plugin() const { return &plugin_; }
    static ClapEffect& of(const clap_plugin_t* plugin) {
        return *static_cast<ClapEffect*>(plugin->plugin_data);
    }

    bool init();
    bool activate(double rate, uint32_t maxFrames);
    void deactivate();
    void reset();
    clap_process_status process(const clap_process_t& process);
    const void* extension(const char* id) const;

    // params
    bool value(clap_id id, double& out) const;
    bool valueToText(clap_id id, double value, char* text, uint32_t size);
    bool textToValue(clap_id id, const char* text, double& out) const;
    void flush(const clap_input_events_t* in, const clap_output_events_t* out);
    // The main-thread callback the host gives after request_callback.
    void mainThreadPass();

    // state
    bool save(const clap_ostream_t& stream);
    bool load(const clap_istream_t& stream);

    uint32_t latency() const { return driver_.latency(); }
    ClapGui& gui() { return gui_; }

  private:
    // The effect's edits: kept per parameter until the next process or flush hands them on.
    void automate(int32_t index, float value) override;
    void beginEdit(int32_t index) override;
    void endEdit(int32_t index) override;
    void displayChanged() override;
    bool resizeEditor(int32_t width, int32_t height) override;

    bool onMainThread() const;
    // Asks for the main thread when an event chose a program (the audio thread may not switch).
    void requestProgramSwitch(int32_t program);
    // Applies the host's events of one block in time order; also used for a flush.
    class Events;
    void report(const clap_output_events_t* out);

    clap_plugin_t plugin_;
    const clap_host_t* host_;
    const clap_host_params_t* hostParams_ = nullptr;
    const clap_host_thread_check_t* threadCheck_ = nullptr;
    lyreformat::EffectDriver driver_{*this};
    ClapGui gui_{driver_, host_};
    bool active_ = false;

    enum Pending : uint32_t { kBegin = 1, kValue = 2, kEnd = 4 };
    std::atomic<uint32_t> pending_[8]{};
    std::atomic<float> editValue_[8]{};
    std::atomic<bool> announceValues_{false};
    // A program the host chose in an event: switched on the main thread, since a switch takes
    // the program store's lock, which the audio thread never does (-1: none).
    std::atomic<int32_t> requestedProgram_{-1};
};

} // namespace lyreclap
