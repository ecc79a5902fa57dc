// The C tables a CLAP host calls: each entry finds its object and lets no exception out.
#include "formats/clap/ClapInterfaces.h"

#include <cstring>

#include "formats/clap/ClapEffect.h"
#include "formats/clap/ClapParameters.h"

namespace lyreclap {
namespace {

template <typename R, typename F> R guarded(R failure, F&& call) noexcept {
    try {
        return call();
    } catch (...) {
        return failure;
    }
}

ClapEffect* of(const clap_plugin_t* plugin) {
    return plugin && plugin->plugin_data ? &ClapEffect::of(plugin) : nullptr;
}

bool CLAP_ABI init(const clap_plugin_t* plugin) {
    return guarded(false, [&] { return of(plugin) && of(plugin)->init(); });
}

void CLAP_ABI destroy(const clap_plugin_t* plugin) {
    guarded(0, [&] {
        delete of(plugin);
        return 0;
    });
}

bool CLAP_ABI activate(const clap_plugin_t* plugin, double rate, uint32_t, uint32_t maxFrames) {
    return guarded(false, [&] { return of(plugin) && of(plugin)->activate(rate, maxFrames); });
}

void CLAP_ABI deactivate(const clap_plugin_t* plugin) {
    guarded(0, [&] {
        if (of(plugin)) of(plugin)->deactivate();
        return 0;
    });
}

bool CLAP_ABI startProcessing(const clap_plugin_t* plugin) {
    return of(plugin) != nullptr;
}

void CLAP_ABI stopProcessing(const clap_plugin_t*) {}

void CLAP_ABI reset(const clap_plugin_t* plugin) {
    guarded(0, [&] {
        if (of(plugin)) of(plugin)->reset();
        return 0;
    });
}

clap_process_status CLAP_ABI process(const clap_plugin_t* plugin, const clap_process_t* data) {
    return guarded<clap_process_status>(CLAP_PROCESS_ERROR, [&] {
        return of(plugin) && data ? of(plugin)->process(*data)
                                  : static_cast<clap_process_status>(CLAP_PROCESS_ERROR);
    });
}

const void* CLAP_ABI extension(const clap_plugin_t* plugin, const char* id) {
    return of(plugin) ? of(plugin)->extension(id) : nullptr;
}

void CLAP_ABI onMainThread(const clap_plugin_t* plugin) {
    guarded(false, [&] {
        if (of(plugin)) of(plugin)->mainThreadPass();
        return true;
    });
}

uint32_t CLAP_ABI paramsCount(const clap_plugin_t*) {
    return kParameterCount;
}

bool CLAP_ABI paramsInfo(const clap_plugin_t*, uint32_t index, clap_param_info_t* info) {
    return info && guarded(false, [&] { return parameterInfo(index, *info); });
}

bool CLAP_ABI paramsValue(const clap_plugin_t* plugin, clap_id id, double* value) {
    return value && of(plugin) && of(plugin)->value(id, *value);
}

bool CLAP_ABI paramsValueToText(const clap_plugin_t* plugin, clap_id id, double value, char* text,
                                uint32_t size) {
    return guarded(false,
                   [&] { return of(plugin) && of(plugin)->valueToText(id, value, text, size); });
}

bool CLAP_ABI paramsTextToValue(const clap_plugin_t* plugin, clap_id id, const char* text,
                                double* value) {
    return value &&
           guarded(false, [&] { return of(plugin) && of(plugin)->textToValue(id, text, *value); });
}

void CLAP_ABI paramsFlush(const clap_plugin_t* plugin, const clap_input_events_t* in,
                          const clap_output_events_t* out) {
    guarded(0, [&] {
        if (of(plugin)) of(plugin)->flush(in, out);
        return 0;
    });
}

bool CLAP_ABI stateSave(const clap_plugin_t* plugin, const clap_ostream_t* stream) {
    return stream && guarded(false, [&] { return of(plugin) && of(plugin)->save(*stream); });
}

bool CLAP_ABI stateLoad(const clap_plugin_t* plugin, const clap_istream_t* stream) {
    return stream && guarded(false, [&] { return of(plugin) && of(plugin)->load(*stream); });
}

uint32_t CLAP_ABI portsCount(const clap_plugin_t*, bool) {
    return 1;
}

bool CLAP_ABI portsGet(const clap_plugin_t*, uint32_t index, bool isInput,
                       clap_audio_port_info_t* info) {
    if (index != 0 || !info) return false;
    std::memset(info, 0, sizeof *info);
    info->id = 0;
    std::strcpy(info->name, isInput ? "Input" : "Output");
    info->flags = CLAP_AUDIO_PORT_IS_MAIN;
    info->channel_count = 2;
    info->port_type = CLAP_PORT_STEREO;
    // The output may be the input's buffer: the effect copies aliased inputs itself.
    info->in_place_pair = 0;
    return true;
}

uint32_t CLAP_ABI latencyGet(const clap_plugin_t* plugin) {
    return of(plugin) ? of(plugin)->latency() : 0;
}

bool CLAP_ABI guiSupported(const clap_plugin_t*, const char* api, bool floating) {
    return ClapGui::isOurApi(api, floating);
}

bool CLAP_ABI guiPreferred(const clap_plugin_t*, const char** api, bool* floating) {
    if (!api || !floating) return false;
#if defined(_WIN32)
    *api = CLAP_WINDOW_API_WIN32;
#else
    *api = CLAP_WINDOW_API_X11;
#endif
    *floating = false;
    return true;
}

bool CLAP_ABI guiCreate(const clap_plugin_t* plugin, const char* api, bool floating) {
    return guarded(false, [&] { return of(plugin) && of(plugin)->gui().create(api, floating); });
}

void CLAP_ABI guiDestroy(const clap_plugin_t* plugin) {
    guarded(0, [&] {
        if (of(plugin)) of(plugin)->gui().destroy();
        return 0;
    });
}

bool CLAP_ABI guiScale(const clap_plugin_t* plugin, double scale) {
    return guarded(false, [&] { return of(plugin) && of(plugin)->gui().setScale(scale); });
}

bool CLAP_ABI guiSize(const clap_plugin_t* plugin, uint32_t* width, uint32_t* height) {
    return width && height &&
           guarded(false, [&] { return of(plugin) && of(plugin)->gui().size(*width, *height); });
}

bool CLAP_ABI guiCanResize(const clap_plugin_t*) {
    return false;
}

bool CLAP_ABI guiResizeHints(const clap_plugin_t*, clap_gui_resize_hints_t*) {
    return false;
}

// A host asking for another size gets the one there is.
bool CLAP_ABI guiAdjustSize(const clap_plugin_t* plugin, uint32_t* width, uint32_t* height) {
    return guiSize(plugin, width, height);
}

bool CLAP_ABI guiSetSize(const clap_plugin_t* plugin, uint32_t width, uint32_t height) {
    return guarded(false, [&] { return of(plugin) && of(plugin)->gui().setSize(width, height); });
}

bool CLAP_ABI guiSetParent(const clap_plugin_t* plugin, const clap_window_t* window) {
    return window &&
           guarded(false, [&] { return of(plugin) && of(plugin)->gui().setParent(*window); });
}

bool CLAP_ABI guiSetTransient(const clap_plugin_t*, const clap_window_t*) {
    return false;
}

void CLAP_ABI guiSuggestTitle(const clap_plugin_t*, const char*) {}

// Embedded: the host's window shows and hides us.
bool CLAP_ABI guiShowOrHide(const clap_plugin_t*) {
    return true;
}

void CLAP_ABI onTimer(const clap_plugin_t* plugin, clap_id) {
    guarded(0, [&] {
        if (of(plugin)) of(plugin)->gui().tick();
        return 0;
    });
}

void CLAP_ABI onFd(const clap_plugin_t* plugin, int, clap_posix_fd_flags_t) {
    onTimer(plugin, 0);
}

} // namespace

const clap_plugin_gui_t kGuiExtension = {
    guiSupported, guiPreferred,    guiCreate,       guiDestroy,    guiScale,
    guiSize,      guiCanResize,    guiResizeHints,  guiAdjustSize, guiSetSize,
    guiSetParent, guiSetTransient, guiSuggestTitle, guiShowOrHide, guiShowOrHide};
const clap_plugin_timer_support_t kTimerExtension = {onTimer};
const clap_plugin_posix_fd_support_t kPosixFdExtension = {onFd};

const clap_plugin_params_t kParamsExtension = {paramsCount,       paramsInfo,        paramsValue,
                                               paramsValueToText, paramsTextToValue, paramsFlush};
const clap_plugin_state_t kStateExtension = {stateSave, stateLoad};
const clap_plugin_audio_ports_t kAudioPortsExtension = {portsCount, portsGet};
const clap_plugin_latency_t kLatencyExtension = {latencyGet};

clap_plugin_t pluginCalls(const clap_plugin_descriptor_t* descriptor, void* data) {
    return {descriptor,      data,           init,  destroy, activate,  deactivate,
            startProcessing, stopProcessing, reset, process, extension, onMainThread};
}

} // namespace lyreclap
