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
    // Automatic follows the new screen by the next idle pass (outside the window's dispatch).
    void screenScaleChanged() override { screenChangePending = true; }

    // Device pixels per editor pixel: 1, 1.25, 1.5, 1.75 or 2. The editor's rectangle and
    // window are its 100 % size times this; controls, texts and gestures keep their editor
    // pixels.
    double getScaleFactor() const { return scaleFactor; }
    // The scale a plug-in interface's host asks for (a content scale factor, a set_scale
    // call); 0 forgets it. It applies unless the user chose a size in the editor. Answers
    // whether the editor now has the scale it should have (false: the host refused the new
    // window size, and the editor kept its old one).
    virtual bool setHostScaleFactor(double factor);
    // The user's choice from the editor, remembered for every instance; 0 is automatic.
    virtual bool setUserScaleFactor(double factor);
    // The same from inside one of the editor's own event handlers: applied by the next idle
    // pass, outside the window's event dispatch, as the view is built again.
    void requestUserScaleFactor(double factor) { pendingUserScale = factor; }
    double getUserScaleFactor() const { return userScale; }
    // 1, 1.25, 1.5, 1.75 or 2: the nearest factor within that range; 0 for anything not above 0.
    static double nearestScaleFactor(double factor);
    static constexpr double kScaleFactors[] = {1.0, 1.25, 1.5, 1.75, 2.0};

    CFrame* getFrame() const { return frame; }
    void* getParentWindow() const { return systemWindow; }

    // Millisecond tick count and sleep used by doIdleStuff; null restores the system's.
    static void setTickSource(TickSource source);
    static void setSleeper(Sleeper sleeper);

    static constexpr uintptr_t kRefreshTimerId = 0x4C79; // any id unique per window
    static constexpr uint32_t kRefreshIntervalMs = 50;

  protected:
    // The editor's size at 100 %; the rectangle is this times the scale factor.
    void setUnscaledSize(int width, int height);
    // Reads the user's choice again (another instance may have changed it).
    void reloadUserScaleFactor() { userScale = nearestScaleFactor(loadUserScaleFactor()); }
    // The scale the editor should have now: the user's, else the host's, else the screen's.
    double wantedScaleFactor() const;
    // Takes `factor` as the editor's scale: the rectangle follows; an open editor first asks
    // the host for the new window size and, if that is granted, resizes its window in place
    // to the new scale. False when the host refused (nothing changes then).
    // `windowShown`: the host already sized a window for the old scale.
    bool applyScaleFactor(double factor, bool windowShown);
    // Where the user's choice is kept: the subclass with the per-user store overrides these.
    virtual double loadUserScaleFactor() { return 0; }
    virtual void storeUserScaleFactor(double /*factor*/) {}
    // The screen's scale around the parent window (or the default screen's without one).
    virtual double screenScaleFactor() const;

    // The refresh timer keeps the frame idling while the host pumps our window.
    bool startRefreshTimer();
    void stopRefreshTimer();

    CFrame* frame = nullptr;
    ERect rect{};

  private:
    void pumpFrame();

    int unscaledWidth = 0;
    int unscaledHeight = 0;
    double scaleFactor = 1;
    double hostScale = 0;
    double userScale = 0;
    double pendingUserScale = -1; // below 0: no request waiting
    bool screenChangePending = false;
    uint32_t nextIdleStuffTime;
    bool insideIdleStuff = false;
    bool pumping = false;
    bool editorThreadReady = false;
};
