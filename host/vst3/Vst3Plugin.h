// One VST 3 plug-in loaded from its bundle through the exported entry and driven the way a host
// drives it: factory, instance, initialize, the controller asked of the component (one object)
// or made from its class ID, processing setup, and calls with host-owned streams and queues.
// Every failure is a value; nothing here throws at the caller for a bad plug-in.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "formats/vst3/Vst3Abi.h"
#include "host/SharedLibrary.h"
#include "host/vst3/HostObjects.h"

namespace lyrehost {

class Vst3Plugin {
  public:
    Vst3Plugin() = default;
    ~Vst3Plugin() { unload(); }
    Vst3Plugin(const Vst3Plugin&) = delete;
    Vst3Plugin& operator=(const Vst3Plugin&) = delete;

    // The module inside a bundle folder for this platform, or `path` itself if it is a file.
    static std::string modulePath(const std::string& path);

    // Loads the module, creates class `classIndex` (the first audio module class by default)
    // and initialises it. Empty on success, else a message naming the path and the reason.
    [[nodiscard]] std::string load(const std::string& path, int classIndex = -1);
    // The host's side of closing: processing and activity off, handler cleared, terminate,
    // release, ModuleExit, unload. Harmless when nothing is loaded.
    void unload();
    bool isLoaded() const { return component_ != nullptr; }

    v3_plugin_factory** factory() const { return factory_; }
    v3_component** component() const { return component_; }
    v3_audio_processor** processor() const { return processor_; }
    v3_edit_controller** controller() const { return controller_; }
    vst3host::ComponentHandler& handler() { return handler_; }
    vst3host::HostApplication& application() { return application_; }
    std::string className() const { return className_; }

    // setupProcessing (stereo in and out, 32-bit, realtime), setActive(1), setProcessing(1);
    // when already running, the host's order for a new rate: off, setup, on.
    v3_result start(double sampleRate, int32_t maxBlock);
    void stop();
    bool isRunning() const { return running_; }

    // One block: stereo in and out (may alias), with the queued changes (null for none).
    v3_result process(float* const* inputs, float* const* outputs, int32_t frames,
                      vst3host::ParamChanges* changes = nullptr,
                      vst3host::ParamChanges* outputChanges = nullptr);
    // A process call with no audio that only delivers `changes`.
    v3_result flush(vst3host::ParamChanges& changes);

    std::vector<std::uint8_t> componentState();
    v3_result setComponentState(const std::vector<std::uint8_t>& bytes);

    int32_t parameterCount();
    v3_param_info parameterInfo(int32_t index);
    std::string valueText(v3_param_id id, double value);
    double normalized(v3_param_id id);

  private:
    SharedLibrary library_;
    v3_plugin_factory** factory_ = nullptr;
    v3_component** component_ = nullptr;
    v3_audio_processor** processor_ = nullptr;
    v3_edit_controller** controller_ = nullptr;
    bool separateController_ = false;
    bool running_ = false;
    std::string className_;
    vst3host::ComponentHandler handler_;
    vst3host::HostApplication application_;
};

} // namespace lyrehost
