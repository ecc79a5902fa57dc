// The module's one factory, listing the one class: the effect as a single VST 3 object.
#pragma once

#include "formats/vst3/Vst3Abi.h"

namespace vst3 {

// A static object; its reference count is not counted (it outlives every host reference).
v3_plugin_factory** pluginFactory();

} // namespace vst3
