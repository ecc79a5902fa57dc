// One VST 2.4 plug-in loaded from a shared object and driven the way a host drives it.
// Every failure is reported as a value; nothing here throws at the caller for a bad plug-in.
#pragma once

#include <string>
#include <vector>

#include "host/CallLog.h"
#include "host/HostAnswers.h"
#include "host/SharedLibrary.h"
#include "shell/vst2.h"

namespace lyrehost {

struct StereoBuffer {
    std::vector<float> left;
    std::vector<float> right;
};

class Plugin {
  public:
    Plugin() = default;
    // effClose, then dlclose.
    ~Plugin() { unload(); }
    // The plug-in's AEffect::user points here, so an instance never moves.
    Plugin(const Plugin&) = delete;
    Plugin& operator=(const Plugin&) = delete;

    // Opens the module, runs VSTPluginMain (or the legacy "main") and checks the magic.
    // Returns an empty string on success, else a message naming the path and the reason.
    [[nodiscard]] std::string load(const std::string& path);
    // effClose and dlclose; harmless when nothing is loaded. The call log stays readable.
    void unload();
    bool isLoaded() const { return effect_ != nullptr; }
    AEffect* effect() const { return effect_; }

    // Set answers before load() to shape what the entry sees (audioMasterVersion 0, say).
    HostAnswers& answers() { return answers_; }
    CallLog& log() { return log_; }
    const CallLog& log() const { return log_; }

    // All of these do nothing and answer 0 or empty when no plug-in is loaded.
    // dispatch(effClose) is the same as unload(): the AEffect is gone afterwards.
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f);
    void open() { dispatch(effOpen); }
    void setSampleRate(float rate);
    void setBlockSize(VstInt32 frames);
    void suspend() { dispatch(effMainsChanged, 0, 0); }
    void resume() { dispatch(effMainsChanged, 0, 1); }
    // effSetSpeakerArrangement with mono or stereo arrangements of these channel counts.
    bool setSpeakerArrangement(VstInt32 inputChannels, VstInt32 outputChannels);

    void setParameter(VstInt32 index, float value);
    float getParameter(VstInt32 index);
    void processReplacing(float** inputs, float** outputs, VstInt32 frames);
    // Runs a stereo signal through processReplacing in blocks of at most blockSize frames.
    // Plug-ins with more pins get silent extra inputs; their extra outputs are dropped.
    StereoBuffer processBuffers(StereoBuffer input, VstInt32 blockSize = 512);

    VstInt32 numParams() const { return effect_ ? effect_->numParams : 0; }
    VstInt32 numInputs() const { return effect_ ? effect_->numInputs : 0; }
    VstInt32 numOutputs() const { return effect_ ? effect_->numOutputs : 0; }

    // Texts are read into zeroed 64-byte buffers, whatever the nominal limits say.
    std::string effectName() { return text(effGetEffectName); }
    std::string vendorString() { return text(effGetVendorString); }
    std::string productString() { return text(effGetProductString); }
    std::string parameterName(VstInt32 index) { return text(effGetParamName, index); }
    std::string parameterLabel(VstInt32 index) { return text(effGetParamLabel, index); }
    std::string parameterDisplay(VstInt32 index) { return text(effGetParamDisplay, index); }

  private:
    static VstIntPtr VSTCALLBACK hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                              VstIntPtr value, void* ptr, float opt);
    std::string text(VstInt32 opcode, VstInt32 index = 0);

    SharedLibrary library_;
    AEffect* effect_ = nullptr;
    HostAnswers answers_;
    CallLog log_;
};

} // namespace lyrehost
