// One CLAP plug-in loaded from its module through clap_entry and driven as a host drives it:
// entry init, factory, create, init, activate, process with event lists, params, state.
// The host offers params, latency, state and (unless switched off) thread-check, and records
// what the plug-in asks of it. Every failure is a value; nothing here throws at the caller.
#pragma once

#include <clap/entry.h>
#include <clap/ext/audio-ports.h>
#include <clap/ext/latency.h>
#include <clap/ext/params.h>
#include <clap/ext/state.h>
#include <clap/host.h>
#include <clap/plugin.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "host/SharedLibrary.h"

namespace lyrehost {

struct ClapEvent {
    uint16_t type; // CLAP_EVENT_PARAM_VALUE or a gesture
    uint32_t time;
    clap_id id;
    double value;
};

struct ClapHostRecord {
    int rescans = 0;
    int flushRequests = 0;
    // What the plug-in asked the host to run on its main thread: timer id -> period (ms),
    // and the descriptors it watches.
    std::map<clap_id, uint32_t> timers;
    std::vector<int> descriptors;
    // Every accepted descriptor registration, so a test sees one move to a new descriptor.
    int descriptorRegistrations = 0;
    // The editor's resize requests: the last size asked for, and whether to refuse.
    int resizeRequests = 0;
    uint32_t resizeWidth = 0, resizeHeight = 0;
    bool refuseResize = false;
    int callbackRequests = 0;
};

class ClapPlugin {
  public:
    ClapPlugin();
    ~ClapPlugin() { unload(); }
    ClapPlugin(const ClapPlugin&) = delete;
    ClapPlugin& operator=(const ClapPlugin&) = delete;

    // Offer thread-check (answering from the thread that loaded the plug-in); on by default.
    void offerThreadCheck(bool offer) { offerThreadCheck_ = offer; }

    // Loads the module, creates plug-in `index` of its factory and initialises it. Empty on
    // success, else a message naming the path and the reason.
    [[nodiscard]] std::string load(const std::string& path, uint32_t index = 0);
    // deactivate, destroy, deinit, unload. Harmless when nothing is loaded.
    void unload();
    bool isLoaded() const { return plugin_ != nullptr; }

    const clap_plugin_t* plugin() const { return plugin_; }
    const clap_plugin_descriptor_t* descriptor() const { return plugin_ ? plugin_->desc : nullptr; }
    const void* extension(const char* id) const;
    const clap_plugin_params_t* params() const { return params_; }
    const clap_plugin_state_t* state() const { return state_; }
    const clap_plugin_audio_ports_t* audioPorts() const { return ports_; }
    ClapHostRecord& record() { return record_; }

    bool activate(double rate, uint32_t maxFrames);
    void deactivate();
    bool isActive() const { return active_; }

    // One block: `in[1]` null for a one-channel input; events sorted by time.
    clap_process_status process(float* const* in, float* const* out, uint32_t frames,
                                const std::vector<ClapEvent>& events = {},
                                std::vector<ClapEvent>* outEvents = nullptr);
    void flush(const std::vector<ClapEvent>& events, std::vector<ClapEvent>* outEvents = nullptr);

    // The channels of an input or output port (when the plug-in does not say: as given).
    uint32_t channels(bool input, uint32_t port = 0) const;
    std::vector<clap_param_info_t> parameters() const;
    std::optional<double> value(clap_id id) const;
    std::string valueText(clap_id id, double value) const;
    std::optional<double> textValue(clap_id id, const std::string& text) const;

    // The host's main loop for an editor: every registered timer once, then the plug-in's
    // descriptor callback for each registered descriptor that is readable.
    void runTimersAndDescriptors();
    // The main-thread callback the plug-in asked for with request_callback, if it did.
    void runMainThreadCallback();

    // Empty when the plug-in saved nothing.
    std::vector<uint8_t> saveState() const;
    bool loadState(const std::vector<uint8_t>& bytes) const;

  private:
    static const void* CLAP_ABI hostExtension(const clap_host_t* host, const char* id);
    static ClapPlugin& of(const clap_host_t* host);

    SharedLibrary library_;
    const clap_plugin_entry_t* entry_ = nullptr;
    const clap_plugin_t* plugin_ = nullptr;
    const clap_plugin_params_t* params_ = nullptr;
    const clap_plugin_state_t* state_ = nullptr;
    const clap_plugin_audio_ports_t* ports_ = nullptr;
    clap_host_t host_;
    bool offerThreadCheck_ = true;
    bool active_ = false;
    bool processing_ = false;
    std::thread::id mainThread_;
    ClapHostRecord record_;
};

} // namespace lyrehost
