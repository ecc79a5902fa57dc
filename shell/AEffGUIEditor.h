// The editor's binding to the GUI toolkit: base state, host editor opcodes, gesture brackets
// forwarded to the host, the idle-stuff pass and the frame's 50 ms refresh timer.
//
// On Linux the frame opens its own X connection and `idle` pumps that connection's events
// (input, timers, exposures) without blocking. On Windows the constructor initialises OLE for
// the thread, and the idle-stuff pass dispatches one pending paint message.
#pragma once

#include <cstdint>

#include "shell/AEffEditor.h"
#include "toolkit/VSTGUIEditorInterface.h"

class CFrame;

class AEffGUIEditor : public AEffEditor, public VSTGUIEditorInterface {
  public:
    using TickSource = uint32_t (*)();
    using Sleeper = void (*)(uint32_t milliseconds);

    explicit AEffGUIEditor(AudioEffect* effect);
    ~AEffGUIEditor() override;

    bool getRect(ERect** rect) override;
    bool open(void* parentWindow) override;
    void close() override;
    void idle() override;
    bool onKeyDown(VstKeyCode& keyCode) override;
    bool onKeyUp(VstKeyCode& keyCode) override;
    bool setKnobMode(VstInt32 mode) override;

    int32_t getKnobMode() const override;
    void beginEdit(int32_t tag) override;
    void endEdit(int32_t tag) override;
    void doIdleStuff() override;

    CFrame* getFrame() const { return frame; }
    void* getParentWindow() const { return systemWindow; }

    // Millisecond tick count and sleep used by doIdleStuff; null restores the system's.
    static void setTickSource(TickSource source);
    static void setSleeper(Sleeper sleeper);

    static constexpr uintptr_t kRefreshTimerId = 0x4C79; // any id unique per window
    static constexpr uint32_t kRefreshIntervalMs = 50;

  protected:
    // The refresh timer keeps the frame idling while the host pumps our window.
    bool startRefreshTimer();
    void stopRefreshTimer();

    CFrame* frame = nullptr;
    ERect rect{};

  private:
    void pumpFrame();

    uint32_t nextIdleStuffTime;
    bool insideIdleStuff = false;
    bool pumping = false;
    bool editorThreadReady = false;
};
