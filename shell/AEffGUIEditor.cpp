#include "shell/AEffGUIEditor.h"

#include <cmath>

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

double AEffGUIEditor::nearestScaleFactor(double factor) {
    if (!(factor > 0)) return 0;
    double best = kScaleFactors[0];
    for (double candidate : kScaleFactors)
        if (std::fabs(candidate - factor) < std::fabs(best - factor)) best = candidate;
    return best;
}

void AEffGUIEditor::setUnscaledSize(int width, int height) {
    unscaledWidth = width;
    unscaledHeight = height;
    userScale = nearestScaleFactor(loadUserScaleFactor());
    scaleFactor = wantedScaleFactor();
    rect.top = 0;
    rect.left = 0;
    rect.bottom = static_cast<VstInt16>(std::lround(unscaledHeight * scaleFactor));
    rect.right = static_cast<VstInt16>(std::lround(unscaledWidth * scaleFactor));
}

double AEffGUIEditor::wantedScaleFactor() const {
    if (userScale > 0) return userScale;
    if (hostScale > 0) return hostScale;
    const double screen = nearestScaleFactor(screenScaleFactor());
    return screen > 0 ? screen : 1;
}

double AEffGUIEditor::screenScaleFactor() const {
    return platformScreenScale(systemWindow);
}

bool AEffGUIEditor::applyScaleFactor(double factor, bool windowShown) {
    if (factor == scaleFactor) return true;
    const auto width = static_cast<VstInt16>(std::lround(unscaledWidth * factor));
    const auto height = static_cast<VstInt16>(std::lround(unscaledHeight * factor));
    if (windowShown) {
        // A host that will not resize its window keeps the editor as it is: a larger view
        // would be cut off, a smaller one would leave a margin.
        auto* effectX = dynamic_cast<AudioEffectX*>(effect);
        if (!effectX || !effectX->sizeWindow(width, height)) return false;
    }
    scaleFactor = factor;
    rect.bottom = static_cast<VstInt16>(rect.top + height);
    rect.right = static_cast<VstInt16>(rect.left + width);
    if (frame) frame->setScaleFactor(factor);
    return true;
}

bool AEffGUIEditor::setHostScaleFactor(double factor) {
    hostScale = nearestScaleFactor(factor);
    return applyScaleFactor(wantedScaleFactor(), frame != nullptr);
}

bool AEffGUIEditor::setUserScaleFactor(double factor) {
    const double previous = userScale;
    userScale = nearestScaleFactor(factor);
    // Stored first: the view built again at the new scale reads it back.
    storeUserScaleFactor(userScale);
    if (!applyScaleFactor(wantedScaleFactor(), frame != nullptr)) {
        userScale = previous;
        storeUserScaleFactor(previous);
        return false;
    }
    return true;
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
    if (pendingUserScale >= 0 && frame) {
        const double factor = pendingUserScale;
        pendingUserScale = -1;
        setUserScaleFactor(factor);
    }
    if (screenChangePending && frame) {
        screenChangePending = false;
        // Only Automatic follows the screen; a refusing host keeps the old size.
        applyScaleFactor(wantedScaleFactor(), true);
    }
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
