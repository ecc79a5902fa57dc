// The editor's top view. With a parent window it opens its own X connection and a child
// window there; without one it runs headless (drawing and events are then driven by hand).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>

#include "toolkit/CViewContainer.h"
#include "toolkit/VSTGUIEditorInterface.h"

class PlatformWindow;

class CFrame : public CViewContainer {
  public:
    // `scaleFactor` is device pixels per frame pixel: every view keeps its frame coordinates,
    // the window is that much larger and events arrive in frame coordinates.
    CFrame(const CRect& size, void* parentWindow, VSTGUIEditorInterface* editor,
           double scaleFactor = 1);
    ~CFrame() override;
    CFrame(const CFrame&) = delete;
    CFrame& operator=(const CFrame&) = delete;

    // Tears down the window, releases every view and then the frame itself.
    virtual void close();
    bool isOpen() const { return platform != nullptr; }
    // Our own child window (an X11 window id), or null when headless.
    void* getSystemWindow() const;
    VSTGUIEditorInterface* getEditor() const { return editor; }
    double getScaleFactor() const { return scaleFactor; }
    // Resizes the window to the new scale in place; views keep their frame coordinates.
    void setScaleFactor(double factor);

    // Polls a running file dialog, invalidates what changed and runs due timers; drawing
    // happens in pumpEvents.
    virtual void idle();
    // One non-blocking pass over the window system's events, timers and exposures.
    void pumpEvents();
    // What a host's run loop watches to call pumpEvents (-1: nothing to watch).
    int eventDescriptor() const;

    // The modal view sits on top of everything and receives all mouse input while set.
    bool setModalView(CView* view);
    CView* getModalView() const { return modalView; }
    void setFocusView(CView* view);
    CView* getFocusView() const { return focusView; }

    void invalidRect(const CRect& rect);
    void invalid() override { invalidRect(size); }
    // The area waiting to be redrawn (empty once drawn).
    const CRect& getInvalidArea() const { return invalidArea; }
    // Draws the invalid area into a context and clears it; the window backend uses this too.
    void drawInvalidArea(CDrawContext* context);

    // Global knob mode: the editor's when there is one, else the process-wide value.
    int32_t getKnobMode() const;
    static void setGlobalKnobMode(int32_t mode);
    static int32_t getGlobalKnobMode();

    // Window timers serviced by pumpEvents; the callback runs on the pumping thread.
    bool startWindowTimer(uintptr_t id, uint32_t intervalMs, std::function<void()> onTick);
    void stopWindowTimer(uintptr_t id);
    void onWindowTimer(uintptr_t id);

    // While a file dialog started on this frame is up, pointer and key input is ignored
    // (a gesture already under way still gets its release).
    bool isInputBlocked() const;
    // The window system says the screen's density around the window changed.
    void onScreenScaleChanged() {
        if (editor) editor->screenScaleChanged();
    }
    // Entry points for mouse and keyboard events in frame coordinates.
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseExited(CPoint& where, const CButtonState& buttons) override;
    bool onWheel(const CPoint& where, const float& distance, const CButtonState& buttons) override;
    int32_t onKeyDown(CKeyCode& key) override;
    int32_t onKeyUp(CKeyCode& key) override;

    // Forgets every pointer to a view that leaves the tree.
    void onViewRemoved(CView* view);
    bool isTypeOf(const char* type) const override;

  private:
    bool isAlive(const CView* view) const;
    CView* mouseTarget(const CPoint& where) const;

    VSTGUIEditorInterface* editor;
    double scaleFactor;
    std::unique_ptr<PlatformWindow> platform;
    CView* modalView = nullptr;
    CView* focusView = nullptr;
    CView* mouseDownView = nullptr;
    CView* hoverView = nullptr;
    CRect invalidArea;
    std::map<uintptr_t, std::function<void()>> windowTimers;
};
