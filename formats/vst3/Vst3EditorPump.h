// Keeps an open editor running where VST 3 gives a plug-in no idle call: on Linux through the
// host's run loop (a timer and the editor's X connection), on Windows nothing (the editor's
// own window timer and the host's message loop do it). One implementation per platform.
#pragma once

#include <functional>
#include <memory>

#include "formats/vst3/Vst3Abi.h"

namespace vst3 {

class EditorPump {
  public:
    EditorPump();
    ~EditorPump();
    EditorPump(const EditorPump&) = delete;
    EditorPump& operator=(const EditorPump&) = delete;

    // Registers `tick` with what `frame` offers for `descriptor` (-1: none) and a timer.
    // False when the platform needs a run loop and the host gave none.
    bool start(v3_plugin_frame** frame, int descriptor, std::function<void()> tick);
    // Unregisters everything start registered; harmless when nothing is.
    void stop();
    // Watches `descriptor` instead of the one given before: the editor built its window again
    // (a new size) with a connection of its own. Safe from inside a tick.
    void watch(int descriptor);

    // The editor's child window in `parent` announces itself as an XEmbed client where the
    // host's window is an XEmbed socket; nothing on Windows.
    static void announceEmbedding(void* childWindow);

    struct Native;

  private:
    std::unique_ptr<Native> native_;
};

} // namespace vst3
