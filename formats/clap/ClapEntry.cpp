// The module's one export, clap_entry: a factory with the one plug-in.
#include <clap/entry.h>
#include <clap/plugin-factory.h>
#include <clap/plugin-features.h>

#include <cstring>
#include <new>

#include "formats/clap/ClapEffect.h"
#include "shell/EffectIdentity.h"
#include "shell/ProjectVersion.h"

namespace {

const char* const kFeatures[] = {CLAP_PLUGIN_FEATURE_AUDIO_EFFECT, CLAP_PLUGIN_FEATURE_REVERB,
                                 CLAP_PLUGIN_FEATURE_STEREO, nullptr};

const clap_plugin_descriptor_t kDescriptor = {
    CLAP_VERSION_INIT,
    "de.ostrandia.lyrebloom",
    identity::kEffectName,
    identity::kVendorString,
    "https://www.ostrandia.de",
    "",
    "",
    version::kText,
    identity::kProductString,
    const_cast<const char**>(kFeatures),
};

uint32_t CLAP_ABI pluginCount(const clap_plugin_factory_t*) {
    return 1;
}

const clap_plugin_descriptor_t* CLAP_ABI descriptor(const clap_plugin_factory_t*, uint32_t index) {
    return index == 0 ? &kDescriptor : nullptr;
}

const clap_plugin_t* CLAP_ABI createPlugin(const clap_plugin_factory_t*, const clap_host_t* host,
                                           const char* id) {
    if (!host || !id || std::strcmp(id, kDescriptor.id) != 0 ||
        !clap_version_is_compatible(host->clap_version))
        return nullptr;
    auto* effect = new (std::nothrow) lyreclap::ClapEffect(host, &kDescriptor);
    return effect ? effect->plugin() : nullptr;
}

const clap_plugin_factory_t kFactory = {pluginCount, descriptor, createPlugin};

bool CLAP_ABI entryInit(const char*) {
    return true;
}

void CLAP_ABI entryDeinit() {}

const void* CLAP_ABI factory(const char* id) {
    return id && std::strcmp(id, CLAP_PLUGIN_FACTORY_ID) == 0 ? &kFactory : nullptr;
}

} // namespace

extern "C" CLAP_EXPORT const clap_plugin_entry_t clap_entry = {CLAP_VERSION_INIT, entryInit,
                                                               entryDeinit, factory};
