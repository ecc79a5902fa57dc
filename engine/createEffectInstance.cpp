#include "engine/Lyrebloom.h"
#include "shell/PluginEntry.h"

AudioEffect* createEffectInstance(audioMasterCallback audioMaster) {
    return new Lyrebloom(audioMaster);
}
