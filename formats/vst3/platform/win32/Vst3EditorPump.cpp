// On Windows the editor's own window timer and the host's message loop keep it running.
#include "formats/vst3/Vst3EditorPump.h"

namespace vst3 {

struct EditorPump::Native {};

EditorPump::EditorPump() : native_(std::make_unique<Native>()) {}
EditorPump::~EditorPump() = default;

bool EditorPump::start(v3_plugin_frame** /*frame*/, int /*descriptor*/,
                       std::function<void()> /*tick*/) {
    return true;
}

void EditorPump::stop() {}

void EditorPump::watch(int /*descriptor*/) {}

void EditorPump::announceEmbedding(void* /*childWindow*/) {}

} // namespace vst3
