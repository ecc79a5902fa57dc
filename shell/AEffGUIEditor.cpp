#include "shell/AEffGUIEditor.h"

#include "shell/AudioEffectX.h"
#include "shell/ModuleInstance.h"
#include "toolkit/CBitmap.h"
#include "toolkit/CFrame.h"
#include "toolkit/PlatformServices.h"

namespace {

uint32_t systemTicks() {
    return platformTickCount();
}

void systemSleep(uint32_t milliseconds) {
    platformSleep(milliseconds);
}

AEffGUIEditor::TickSource tickSource = systemTicks;
AEffGUIEditor::Sleeper sleeper = systemSleep;

} // namespace

void AEffGUIEditor::setTickSource(TickSource source) {
    tickSource = source ? source : systemTicks;
}
void AEffGUIEditor::setSleeper(Sleeper newSleeper) {
    sleeper = newSleeper ? newSleeper : systemSleep;
}

AEffGUIEditor::AEffGUIEditor(AudioEffect* effect)
    : AEffEditor(effect), nextIdleStuffTime(tickSource()) {
    // The bitmaps are resources of this module (on Windows), found through its handle.
    if (void* module = moduleInstance()) CBitmap::setResourceModule(module);
    editorThreadReady = beginEditorThread();
}

AEffGUIEditor::~AEffGUIEditor() {
    // A subclass closes its own view; this only catches a frame left behind.
    if (frame) {
        frame->close();
        frame = nullptr;
    }
    if (editorThreadReady) endEditorThread();
}

bool AEffGUIEditor::getRect(ERect** result) {
    *result = &rect;
    return true;
}

bool AEffGUIEditor::open(void* parentWindow) {
    return AEffEditor::open(parentWindow);
}

void AEffGUIEditor::close() {
    if (frame) {
        stopRefreshTimer();
        frame->close();
        frame = nullptr;
    }
}

void AEffGUIEditor::idle() {
    if (insideIdleStuff || !frame) return;
    if (pumping) {
        // Reached from our own pump (the refresh timer): redraw, but do not pump again.
        frame->idle();
        return;
    }
    pumpFrame();
}

void AEffGUIEditor::pumpFrame() {
    pumping = true;
    frame->idle();
    frame->pumpEvents();
    pumping = false;
}

bool AEffGUIEditor::onKeyDown(VstKeyCode& keyCode) {
    if (!frame) return false;
    CKeyCode key{keyCode.character, keyCode.virt, keyCode.modifier};
    return frame->onKeyDown(key) > 0;
}

bool AEffGUIEditor::onKeyUp(VstKeyCode& keyCode) {
    if (!frame) return false;
    CKeyCode key{keyCode.character, keyCode.virt, keyCode.modifier};
    return frame->onKeyUp(key) > 0;
}

bool AEffGUIEditor::setKnobMode(VstInt32 mode) {
    CFrame::setGlobalKnobMode(mode);
    return true;
}

int32_t AEffGUIEditor::getKnobMode() const {
    return CFrame::getGlobalKnobMode();
}

void AEffGUIEditor::beginEdit(int32_t tag) {
    if (auto* effectX = dynamic_cast<AudioEffectX*>(effect)) effectX->beginEdit(tag);
}

void AEffGUIEditor::endEdit(int32_t tag) {
    if (auto* effectX = dynamic_cast<AudioEffectX*>(effect)) effectX->endEdit(tag);
}

void AEffGUIEditor::doIdleStuff() {
    uint32_t now = tickSource();
    if (now < nextIdleStuffTime) {
        sleeper(4);
        now += 4;
        if (now < nextIdleStuffTime - 50) return;
    }
    idle();
    // On X11 idle has just pumped the exposures; Windows queues a paint message instead.
    dispatchPendingPaint();
    nextIdleStuffTime = now + 100;
    insideIdleStuff = true;
    if (effect) effect->masterIdle();
    insideIdleStuff = false;
}

bool AEffGUIEditor::startRefreshTimer() {
    if (!frame) return false;
    return frame->startWindowTimer(kRefreshTimerId, kRefreshIntervalMs, [this] { idle(); });
}

void AEffGUIEditor::stopRefreshTimer() {
    if (frame) frame->stopWindowTimer(kRefreshTimerId);
}
