#include "host/clap/ClapPlugin.h"

#include <clap/ext/gui.h>
#include <clap/ext/thread-check.h>
#include <clap/ext/timer-support.h>
#include <clap/plugin-factory.h>

#if !defined(_WIN32)
#include <poll.h>
#endif

#include <algorithm>
#include <cstring>

#include "formats/clap/ClapPosixFd.h"

namespace lyrehost {
namespace {

// A host's input list over a vector of events built for the block.
struct InputEvents {
    clap_input_events_t list;
    std::vector<clap_event_param_value_t> events;

    explicit InputEvents(const std::vector<ClapEvent>& from) : list{this, size, get} {
        for (const ClapEvent& e : from) {
            clap_event_param_value_t event{};
            event.header = {sizeof event, e.time, CLAP_CORE_EVENT_SPACE_ID, e.type, 0};
            event.param_id = e.id;
            event.note_id = event.port_index = event.channel = event.key = -1;
            event.value = e.value;
            events.push_back(event);
        }
    }
    static uint32_t CLAP_ABI size(const clap_input_events_t* list) {
        return static_cast<uint32_t>(static_cast<InputEvents*>(list->ctx)->events.size());
    }
    static const clap_event_header_t* CLAP_ABI get(const clap_input_events_t* list,
                                                   uint32_t index) {
        auto& events = static_cast<InputEvents*>(list->ctx)->events;
        return index < events.size() ? &events[index].header : nullptr;
    }
};

// The output list: value and gesture events kept, anything else refused.
struct OutputEvents {
    clap_output_events_t list{this, push};
    std::vector<ClapEvent>* into;

    static bool CLAP_ABI push(const clap_output_events_t* list, const clap_event_header_t* event) {
        auto* self = static_cast<OutputEvents*>(list->ctx);
        if (!event || event->space_id != CLAP_CORE_EVENT_SPACE_ID) return false;
        if (event->type == CLAP_EVENT_PARAM_VALUE) {
            const auto* value = reinterpret_cast<const clap_event_param_value_t*>(event);
            if (self->into)
                self->into->push_back({event->type, event->time, value->param_id, value->value});
            return true;
        }
        if (event->type == CLAP_EVENT_PARAM_GESTURE_BEGIN ||
            event->type == CLAP_EVENT_PARAM_GESTURE_END) {
            const auto* gesture = reinterpret_cast<const clap_event_param_gesture_t*>(event);
            if (self->into)
                self->into->push_back({event->type, event->time, gesture->param_id, 0.0});
            return true;
        }
        return false;
    }
};

struct MemoryOut {
    clap_ostream_t stream{this, write};
    std::vector<uint8_t> bytes;
    static int64_t CLAP_ABI write(const clap_ostream_t* stream, const void* data, uint64_t size) {
        auto& bytes = static_cast<MemoryOut*>(stream->ctx)->bytes;
        const auto* from = static_cast<const uint8_t*>(data);
        bytes.insert(bytes.end(), from, from + size);
        return static_cast<int64_t>(size);
    }
};

struct MemoryIn {
    clap_istream_t stream{this, read};
    const std::vector<uint8_t>& bytes;
    std::size_t at = 0;
    explicit MemoryIn(const std::vector<uint8_t>& from) : bytes(from) {}
    static int64_t CLAP_ABI read(const clap_istream_t* stream, void* data, uint64_t size) {
        auto* self = static_cast<MemoryIn*>(stream->ctx);
        // A few bytes a call, as some hosts' streams give them.
        const auto n = std::min<uint64_t>({size, 100, self->bytes.size() - self->at});
        if (n > 0) std::memcpy(data, self->bytes.data() + self->at, n);
        self->at += n;
        return static_cast<int64_t>(n);
    }
};

void CLAP_ABI rescan(const clap_host_t* host, clap_param_rescan_flags) {
    ++static_cast<ClapPlugin*>(host->host_data)->record().rescans;
}
void CLAP_ABI clear(const clap_host_t*, clap_id, clap_param_clear_flags) {}
void CLAP_ABI requestFlush(const clap_host_t* host) {
    ++static_cast<ClapPlugin*>(host->host_data)->record().flushRequests;
}
void CLAP_ABI latencyChanged(const clap_host_t*) {}
void CLAP_ABI markDirty(const clap_host_t*) {}
void CLAP_ABI request(const clap_host_t*) {}

ClapHostRecord& recordOf(const clap_host_t* host) {
    return static_cast<ClapPlugin*>(host->host_data)->record();
}
bool CLAP_ABI registerTimer(const clap_host_t* host, uint32_t period, clap_id* id) {
    auto& timers = recordOf(host).timers;
    *id = timers.empty() ? 1 : timers.rbegin()->first + 1;
    timers[*id] = period;
    return true;
}
bool CLAP_ABI unregisterTimer(const clap_host_t* host, clap_id id) {
    return recordOf(host).timers.erase(id) == 1;
}
bool CLAP_ABI registerFd(const clap_host_t* host, int fd, clap_posix_fd_flags_t) {
    recordOf(host).descriptors.push_back(fd);
    ++recordOf(host).descriptorRegistrations;
    return true;
}
bool CLAP_ABI modifyFd(const clap_host_t*, int, clap_posix_fd_flags_t) {
    return true;
}
bool CLAP_ABI unregisterFd(const clap_host_t* host, int fd) {
    auto& fds = recordOf(host).descriptors;
    const auto found = std::find(fds.begin(), fds.end(), fd);
    if (found == fds.end()) return false;
    fds.erase(found);
    return true;
}

void CLAP_ABI guiResizeHintsChanged(const clap_host_t*) {}
bool CLAP_ABI guiRequestResize(const clap_host_t* host, uint32_t width, uint32_t height) {
    ClapHostRecord& record = recordOf(host);
    ++record.resizeRequests;
    record.resizeWidth = width;
    record.resizeHeight = height;
    return !record.refuseResize;
}
bool CLAP_ABI guiRequestShowOrHide(const clap_host_t*) {
    return false;
}
void CLAP_ABI guiClosed(const clap_host_t*, bool) {}

const clap_host_params_t kHostParams = {rescan, clear, requestFlush};
const clap_host_timer_support_t kHostTimers = {registerTimer, unregisterTimer};
const clap_host_posix_fd_support_t kHostDescriptors = {registerFd, modifyFd, unregisterFd};
const clap_host_latency_t kHostLatency = {latencyChanged};
const clap_host_gui_t kHostGui = {guiResizeHintsChanged, guiRequestResize, guiRequestShowOrHide,
                                  guiRequestShowOrHide, guiClosed};
const clap_host_state_t kHostState = {markDirty};

} // namespace

ClapPlugin::ClapPlugin() : host_{} {
    host_.clap_version = CLAP_VERSION;
    host_.host_data = this;
    host_.name = "lyrebloom test host";
    host_.vendor = "";
    host_.url = "";
    host_.version = "1";
    host_.get_extension = hostExtension;
    host_.request_restart = request;
    host_.request_process = request;
    host_.request_callback = [](const clap_host_t* host) { ++recordOf(host).callbackRequests; };
}

ClapPlugin& ClapPlugin::of(const clap_host_t* host) {
    return *static_cast<ClapPlugin*>(host->host_data);
}

const void* CLAP_ABI ClapPlugin::hostExtension(const clap_host_t* host, const char* id) {
    static const clap_host_thread_check_t threadCheck = {
        [](const clap_host_t* h) { return std::this_thread::get_id() == of(h).mainThread_; },
        [](const clap_host_t* h) { return std::this_thread::get_id() != of(h).mainThread_; }};
    if (!host || !id) return nullptr;
    if (!std::strcmp(id, CLAP_EXT_PARAMS)) return &kHostParams;
    if (!std::strcmp(id, CLAP_EXT_LATENCY)) return &kHostLatency;
    if (!std::strcmp(id, CLAP_EXT_STATE)) return &kHostState;
    if (!std::strcmp(id, CLAP_EXT_TIMER_SUPPORT)) return &kHostTimers;
    if (!std::strcmp(id, CLAP_EXT_POSIX_FD_SUPPORT)) return &kHostDescriptors;
    if (!std::strcmp(id, CLAP_EXT_GUI)) return &kHostGui;
    if (!std::strcmp(id, CLAP_EXT_THREAD_CHECK) && of(host).offerThreadCheck_) return &threadCheck;
    return nullptr;
}

std::string ClapPlugin::load(const std::string& path, uint32_t index) {
    unload();
    mainThread_ = std::this_thread::get_id();
    if (std::string error = library_.open(path); !error.empty()) return error;
    entry_ = static_cast<const clap_plugin_entry_t*>(library_.symbol("clap_entry"));
    if (!entry_ || !clap_version_is_compatible(entry_->clap_version)) {
        entry_ = nullptr;
        library_.close();
        return path + ": no clap_entry of a compatible version";
    }
    if (!entry_->init(path.c_str())) {
        entry_ = nullptr;
        library_.close();
        return path + ": entry init failed";
    }
    const auto* factory =
        static_cast<const clap_plugin_factory_t*>(entry_->get_factory(CLAP_PLUGIN_FACTORY_ID));
    const clap_plugin_descriptor_t* descriptor =
        factory && index < factory->get_plugin_count(factory)
            ? factory->get_plugin_descriptor(factory, index)
            : nullptr;
    plugin_ = descriptor ? factory->create_plugin(factory, &host_, descriptor->id) : nullptr;
    if (!plugin_ || !plugin_->init(plugin_)) {
        const std::string error = path + (plugin_ ? ": plug-in init failed" : ": no plug-in");
        unload();
        return error;
    }
    params_ = static_cast<const clap_plugin_params_t*>(extension(CLAP_EXT_PARAMS));
    state_ = static_cast<const clap_plugin_state_t*>(extension(CLAP_EXT_STATE));
    ports_ = static_cast<const clap_plugin_audio_ports_t*>(extension(CLAP_EXT_AUDIO_PORTS));
    return {};
}

void ClapPlugin::unload() {
    deactivate();
    if (plugin_) plugin_->destroy(plugin_);
    plugin_ = nullptr;
    params_ = nullptr;
    state_ = nullptr;
    ports_ = nullptr;
    if (entry_) entry_->deinit();
    entry_ = nullptr;
    library_.close();
}

const void* ClapPlugin::extension(const char* id) const {
    return plugin_ ? plugin_->get_extension(plugin_, id) : nullptr;
}

bool ClapPlugin::activate(double rate, uint32_t maxFrames) {
    deactivate();
    if (!plugin_ || !plugin_->activate(plugin_, rate, 1, maxFrames)) return false;
    active_ = true;
    processing_ = plugin_->start_processing(plugin_);
    return processing_;
}

void ClapPlugin::deactivate() {
    if (!active_) return;
    if (processing_) plugin_->stop_processing(plugin_);
    processing_ = false;
    plugin_->deactivate(plugin_);
    active_ = false;
}

clap_process_status ClapPlugin::process(float* const* in, float* const* out, uint32_t frames,
                                        const std::vector<ClapEvent>& events,
                                        std::vector<ClapEvent>* outEvents) {
    if (!processing_) return CLAP_PROCESS_ERROR;
    InputEvents input(events);
    OutputEvents output;
    output.into = outEvents;
    // Every port the plug-in has gets buffers: the first ones ours (with as many channels as
    // it asks: zam-plugins has mono ones; a null second input channel makes a mono input), any
    // further one (a side chain) silence.
    std::vector<std::vector<float>> spare;
    std::vector<std::vector<float*>> pointers[2];
    for (int side = 0; side < 2; ++side) {
        float* const* ours = side == 0 ? in : out;
        const bool input = side == 0;
        const uint32_t ports = !ours ? 0 : ports_ ? ports_->count(plugin_, input) : 1;
        for (uint32_t p = 0; p < ports; ++p) {
            auto& channels = pointers[side].emplace_back();
            for (uint32_t c = 0; c < this->channels(input, p); ++c) {
                if (p == 0 && c < 2 && !ours[c]) break;
                if (p == 0 && c < 2) {
                    channels.push_back(ours[c]);
                } else {
                    channels.push_back(spare.emplace_back(frames, 0.0f).data());
                }
            }
        }
    }
    std::vector<clap_audio_buffer_t> buffers[2];
    for (int side = 0; side < 2; ++side)
        for (auto& channels : pointers[side])
            buffers[side].push_back(
                {channels.data(), nullptr, static_cast<uint32_t>(channels.size()), 0, 0});
    clap_process_t data{};
    data.steady_time = -1;
    data.frames_count = frames;
    data.audio_inputs = buffers[0].empty() ? nullptr : buffers[0].data();
    data.audio_outputs = buffers[1].empty() ? nullptr : buffers[1].data();
    data.audio_inputs_count = static_cast<uint32_t>(buffers[0].size());
    data.audio_outputs_count = static_cast<uint32_t>(buffers[1].size());
    data.in_events = &input.list;
    data.out_events = &output.list;
    return plugin_->process(plugin_, &data);
}

void ClapPlugin::flush(const std::vector<ClapEvent>& events, std::vector<ClapEvent>* outEvents) {
    if (!params_) return;
    InputEvents input(events);
    OutputEvents output;
    output.into = outEvents;
    params_->flush(plugin_, &input.list, &output.list);
}

uint32_t ClapPlugin::channels(bool input, uint32_t port) const {
    clap_audio_port_info_t info{};
    if (!ports_ || !ports_->get(plugin_, port, input, &info)) return input ? 1 : 2;
    return info.channel_count;
}

std::vector<clap_param_info_t> ClapPlugin::parameters() const {
    std::vector<clap_param_info_t> infos;
    const uint32_t count = params_ ? params_->count(plugin_) : 0;
    for (uint32_t i = 0; i < count; ++i) {
        clap_param_info_t info{};
        if (params_->get_info(plugin_, i, &info)) infos.push_back(info);
    }
    return infos;
}

std::optional<double> ClapPlugin::value(clap_id id) const {
    double v = 0.0;
    if (!params_ || !params_->get_value(plugin_, id, &v)) return std::nullopt;
    return v;
}

std::string ClapPlugin::valueText(clap_id id, double value) const {
    char text[256] = {};
    if (!params_ || !params_->value_to_text(plugin_, id, value, text, sizeof text)) return {};
    return text;
}

std::optional<double> ClapPlugin::textValue(clap_id id, const std::string& text) const {
    double v = 0.0;
    if (!params_ || !params_->text_to_value(plugin_, id, text.c_str(), &v)) return std::nullopt;
    return v;
}

void ClapPlugin::runTimersAndDescriptors() {
    const auto* timers =
        static_cast<const clap_plugin_timer_support_t*>(extension(CLAP_EXT_TIMER_SUPPORT));
    const auto* fds =
        static_cast<const clap_plugin_posix_fd_support_t*>(extension(CLAP_EXT_POSIX_FD_SUPPORT));
    for (const auto& [id, period] : std::map(record_.timers))
        if (timers) timers->on_timer(plugin_, id);
#if !defined(_WIN32)
    for (int fd : std::vector(record_.descriptors)) {
        pollfd ready{fd, POLLIN, 0};
        if (fds && poll(&ready, 1, 0) > 0) fds->on_fd(plugin_, fd, CLAP_POSIX_FD_READ);
    }
#else
    (void)fds;
#endif
}

std::vector<uint8_t> ClapPlugin::saveState() const {
    MemoryOut out;
    if (!state_ || !state_->save(plugin_, &out.stream)) return {};
    return out.bytes;
}

bool ClapPlugin::loadState(const std::vector<uint8_t>& bytes) const {
    MemoryIn in(bytes);
    return state_ && state_->load(plugin_, &in.stream);
}

void ClapPlugin::runMainThreadCallback() {
    if (!plugin_ || record_.callbackRequests == 0) return;
    record_.callbackRequests = 0;
    plugin_->on_main_thread(plugin_);
}

} // namespace lyrehost
