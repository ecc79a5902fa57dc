#pragma once

#include "shell/vst2.h"

class AudioEffect;

// Made by the effect's own code: the one effect class this library hosts.
AudioEffect* createEffectInstance(audioMasterCallback audioMaster);

// What both exported entry names do: check the host, build the effect, hand out its record.
AEffect* pluginEntry(audioMasterCallback audioMaster);
