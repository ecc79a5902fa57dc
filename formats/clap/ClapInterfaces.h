// The C tables a CLAP host calls for the plug-in and its extensions.
#pragma once

#include <clap/ext/audio-ports.h>
#include <clap/ext/gui.h>
#include <clap/ext/latency.h>
#include <clap/ext/params.h>
#include <clap/ext/state.h>
#include <clap/ext/timer-support.h>
#include <clap/plugin.h>

#include "formats/clap/ClapPosixFd.h"

namespace lyreclap {

extern const clap_plugin_params_t kParamsExtension;
extern const clap_plugin_state_t kStateExtension;
extern const clap_plugin_audio_ports_t kAudioPortsExtension;
extern const clap_plugin_latency_t kLatencyExtension;
extern const clap_plugin_gui_t kGuiExtension;
extern const clap_plugin_timer_support_t kTimerExtension;
extern const clap_plugin_posix_fd_support_t kPosixFdExtension;
// The plug-in's own table, for the object at `data`.
clap_plugin_t pluginCalls(const clap_plugin_descriptor_t* descriptor, void* data);

} // namespace lyreclap
