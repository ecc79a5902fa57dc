// Loading, unloading and the host callback that every loaded plug-in talks to.
#include <exception>

#include "host/Plugin.h"

namespace lyrehost {
namespace {

using EntryProc = AEffect* (*)(audioMasterCallback);

// The instance whose entry is running on this thread. The first host calls arrive with a null
// effect, or with an AEffect whose user field we have not set yet.
thread_local Plugin* tLoading = nullptr;

class LoadingScope {
  public:
    explicit LoadingScope(Plugin* plugin) : previous_(tLoading) { tLoading = plugin; }
    ~LoadingScope() { tLoading = previous_; }
    LoadingScope(const LoadingScope&) = delete;
    LoadingScope& operator=(const LoadingScope&) = delete;

  private:
    Plugin* previous_;
};

} // namespace

std::string Plugin::load(const std::string& path) {
    unload();
    try {
        if (std::string error = library_.open(path); !error.empty()) return error;
        auto entry = reinterpret_cast<EntryProc>(library_.symbol("VSTPluginMain"));
        if (!entry) entry = reinterpret_cast<EntryProc>(library_.symbol("main"));
        if (!entry) {
            library_.close();
            return path + ": not a VST 2 plug-in (no VSTPluginMain or main entry)";
        }
        AEffect* effect = nullptr;
        {
            LoadingScope loading(this);
            effect = entry(&Plugin::hostCallback);
        }
        if (!effect) {
            library_.close();
            return path + ": the plug-in refused to load (its entry returned null)";
        }
        if (effect->magic != kEffectMagic) {
            library_.close();
            return path + ": not a VST 2 plug-in (bad magic number)";
        }
        effect->user = this;
        effect_ = effect;
        return {};
    } catch (const std::exception& e) {
        library_.close();
        return path + ": " + e.what();
    } catch (...) {
        library_.close();
        return path + ": the plug-in's entry threw an exception";
    }
}

void Plugin::unload() {
    if (effect_) {
        effect_->dispatcher(effect_, effClose, 0, 0, nullptr, 0.0f);
        effect_ = nullptr;
    }
    library_.close();
}

VstIntPtr Plugin::hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                               void* ptr, float opt) {
    try {
        Plugin* target = tLoading;
        if (!target && effect) target = static_cast<Plugin*>(effect->user);
        if (!target) return opcode == audioMasterVersion ? kVstVersion : 0;
        const HostCall call{effect, opcode, index, value, ptr, opt, 0};
        target->log_.record(call);
        return target->answers_.answer(call);
    } catch (...) {
        return 0; // an exception must never unwind into the plug-in
    }
}

} // namespace lyrehost
