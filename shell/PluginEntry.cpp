#include "shell/PluginEntry.h"

#include <new>

#include "shell/AudioEffect.h"

namespace {

// A host that answers 0 to the version query cannot drive us; a missing callback is
// tolerated because every callback is skipped then.
bool hostIsUsable(audioMasterCallback audioMaster) {
    return !audioMaster || audioMaster(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) != 0;
}

} // namespace

AEffect* pluginEntry(audioMasterCallback audioMaster) {
    if (!hostIsUsable(audioMaster) || !hostIsUsable(audioMaster)) return nullptr;
    try {
        AudioEffect* effect = createEffectInstance(audioMaster);
        return effect ? effect->getAeffect() : nullptr;
    } catch (...) {
        // Whatever was built has been released by the constructors' unwinding.
        return nullptr;
    }
}
