#include "editor/ADEditor.h"

#include "editor/CAbout.h"
#include "editor/CLED.h"
#include "editor/DisplayText.h"
#include "editor/MyFrame.h"
#include "engine/ParameterMapping.h"
#include "resources/EmbeddedBitmaps.h"
#include "shell/AudioEffect.h"
#include "toolkit/CBitmap.h"
#include "toolkit/CButtons.h"
#include "toolkit/CKnob.h"
#include "toolkit/COptionMenu.h"
#include "toolkit/CParamDisplay.h"

#include <cmath>
#include <cstdio>

namespace {

constexpr int32_t kLargeHandleBitmap = 1129;
constexpr int32_t kSmallHandleBitmap = 1130;
constexpr int32_t kLEDBitmap = 1131;
constexpr int32_t kBypassBitmap = 1132;

struct KnobLayout {
    int32_t tag;
    CRect knob;
    CRect display;
    bool large;
    float defaultValue;
    CParamDisplayValueToStringProc text;
};

// In the order the controls are added to the frame, which is also their drawing order.
constexpr int kCreationOrder[ADEditor::kNumKnobs] = {1, 2, 4, 5, 6, 3, 0};
const KnobLayout kLayout[ADEditor::kNumKnobs] = {
    {kOutput, CRect(233, 164, 255, 186), CRect(219, 189, 269, 203), false, 0.5f,
     displaytext::decibels},
    {kDecay, CRect(50, 71, 95, 116), CRect(48, 120, 98, 134), true, 0.5f, displaytext::percent},
    {kDamp, CRect(224, 71, 269, 116), CRect(222, 120, 272, 134), true, 0.5f, displaytext::percent},
    {kMix, CRect(64, 164, 86, 186), CRect(51, 189, 101, 203), false, 0.25f, displaytext::percent},
    {kTranspose, CRect(149, 86, 171, 108), CRect(135, 112, 185, 126), false, 0.5f,
     displaytext::semitones},
    {kTune, CRect(108, 123, 130, 145), CRect(95, 148, 145, 162), false, 0.5f, displaytext::cents},
    {kDetune, CRect(189, 123, 211, 145), CRect(176, 148, 226, 162), false, 0.0f,
     displaytext::percent},
};

const CPoint kBypassTopLeft(131, 162);
const CPoint kLEDTopLeft(155, 135);
const CRect kAboutClickArea(50, 10, 280, 47);
const CPoint kAboutTopLeft(30, 10);
const CPoint kVersionPosition(172, 80);
// The Output display shows the gain 4 p², which must not be clipped at 1.
constexpr float kOutputDisplayMaximum = 20.0f;

// The switch and the LED show Bypass rounded the way the effect rounds it (in double, so a value
// just below one half never lights the LED of an effect that is not bypassed); values below 0
// show off and above 1 on, as the toolkit keeps a control's value within its range.
float roundedSwitch(float p) {
    return mapping::bypassValue(p) >= 1 ? 1.0f : 0.0f;
}

} // namespace

ADEditor::ADEditor(AudioEffect* effect) : CPresetSystemEditor(effect) {
    registerEmbeddedBitmaps();
    auto* background = new CBitmap(kBackgroundBitmap);
    setUnscaledSize(static_cast<int>(background->getWidth()),
                    static_cast<int>(background->getHeight()));
    background->forget();
}

ADEditor::~ADEditor() {
    close();
}

int ADEditor::knobSlotOf(std::int32_t index) {
    for (int slot = 0; slot < kNumKnobs; ++slot)
        if (kLayout[slot].tag == index) return slot;
    return -1;
}

bool ADEditor::open(void* parentWindow) {
    AEffGUIEditor::open(parentWindow);
    // The screen of this window may want another size than the one the host was told.
    reloadUserScaleFactor();
    applyScaleFactor(wantedScaleFactor(), true);
    backgroundBitmap = new CBitmap(kBackgroundBitmap);

    ERect* editorRect = nullptr;
    getRect(&editorRect);
    const CRect frameSize(editorRect->left, editorRect->top,
                          editorRect->left + backgroundBitmap->getWidth(),
                          editorRect->top + backgroundBitmap->getHeight());
    auto* myFrame = new MyFrame(frameSize, parentWindow, this, getScaleFactor());
    myFrame->onFreeRightClick = [this](const CPoint& where) { openScaleMenu(where); };
    frame = myFrame;
    frame->setBackground(backgroundBitmap);
    setKnobMode(kLinearMode);

    // Everything is built from the effect's values now; older hand-overs are moot.
    pendingParameters.store(0);
    createKnobsAndDisplays();
    createBypassAboutAndLED();

    CPresetSystemEditor::open(parentWindow);
    return true;
}

void ADEditor::createScaleMenu() {
    // Invisible and of no size: only openScaleMenu opens it, at the click.
    scaleMenu =
        new COptionMenu(CRect(), this, kScaleMenuTag, nullptr, nullptr, kNoDrawStyle | kCheckStyle);
    for (const double factor : kScaleFactors) {
        char title[16];
        std::snprintf(title, sizeof title, "%d %%", static_cast<int>(std::lround(factor * 100)));
        scaleMenu->addEntry(title);
    }
    scaleMenu->addEntry("Automatic");
    scaleMenu->setCurrent(userScaleEntry());
    frame->addView(scaleMenu);
}

void ADEditor::openScaleMenu(const CPoint& where) {
    // Made on the first right click, so the frame holds only the controls until then.
    if (!scaleMenu) createScaleMenu();
    scaleMenu->setViewSize(CRect(where.x, where.y, where.x, where.y));
    CPoint at = where;
    scaleMenu->onMouseDown(at, kLButton);
}

void ADEditor::createKnobsAndDisplays() {
    auto* largeHandle = new CBitmap(kLargeHandleBitmap);
    auto* smallHandle = new CBitmap(kSmallHandleBitmap);
    const CFontDesc font("Arial", 9);
    for (int slot : kCreationOrder) {
        const KnobLayout& l = kLayout[slot];
        const float p = effect->getParameter(l.tag);
        knobs[slot] = new CKnob(l.knob, this, l.tag, backgroundBitmap,
                                l.large ? largeHandle : smallHandle, l.knob.getTopLeft());
        knobs[slot]->setValue(p);
        knobs[slot]->setDefaultValue(l.defaultValue);
        frame->addView(knobs[slot]);

        displays[slot] = new CParamDisplay(l.display, backgroundBitmap);
        displays[slot]->setBackOffset(l.display.getTopLeft());
        displays[slot]->setHoriAlign(kCenterText);
        displays[slot]->setFont(font);
        displays[slot]->setFontColor(CColor{0, 0, 0, 255});
        if (l.tag == kOutput) displays[slot]->setMax(kOutputDisplayMaximum);
        displays[slot]->setValue(l.tag == kOutput ? mapping::outputGain(p) : p);
        displays[slot]->setStringConvert(l.text);
        frame->addView(displays[slot]);
    }
    largeHandle->forget();
    smallHandle->forget();
}

void ADEditor::createBypassAboutAndLED() {
    const float bypass = effect->getParameter(kBypass);

    auto* switchBitmap = new CBitmap(kBypassBitmap);
    const CRect switchRect(kBypassTopLeft, switchBitmap->getWidth(), switchBitmap->getHeight() / 2);
    bypassSwitch = new COnOffButton(switchRect, this, kBypass, switchBitmap, 0);
    bypassSwitch->setValue(roundedSwitch(bypass));
    frame->addView(bypassSwitch);
    switchBitmap->forget();

    auto* aboutBitmap = new CBitmap(kAboutBitmap);
    const CRect aboutRect(kAboutTopLeft, aboutBitmap->getWidth(), aboutBitmap->getHeight());
    about = new CAbout(kAboutClickArea, this, kAboutTag, aboutBitmap, aboutRect, CPoint(0, 0),
                       kVersionPosition);
    frame->addView(about);
    aboutBitmap->forget();

    auto* ledBitmap = new CBitmap(kLEDBitmap);
    const CRect ledRect(kLEDTopLeft, ledBitmap->getWidth(), ledBitmap->getHeight() / 2);
    bypassLED = new CLED(ledRect, ledBitmap);
    bypassLED->setValue(bypass);
    frame->addView(bypassLED);
    ledBitmap->forget();
}

void ADEditor::close() {
    CPresetSystemEditor::close();
    bypassSwitch = nullptr;
    bypassLED = nullptr;
    for (int slot = 0; slot < kNumKnobs; ++slot) {
        knobs[slot] = nullptr;
        displays[slot] = nullptr;
    }
    about = nullptr;
    scaleMenu = nullptr;
    if (frame) {
        frame->close();
        frame = nullptr;
    }
    if (backgroundBitmap) {
        backgroundBitmap->forget();
        backgroundBitmap = nullptr;
    }
}

int32_t ADEditor::userScaleEntry() const {
    for (int32_t i = 0; i < kAutomaticScaleEntry; ++i)
        if (kScaleFactors[i] == getUserScaleFactor()) return i;
    return kAutomaticScaleEntry;
}

void ADEditor::idle() {
    applyPendingParameters();
    CPresetSystemEditor::idle();
    // A size the host refused leaves the menu showing the one that still applies.
    if (scaleMenu && !scaleMenu->isPopupOpen() && scaleMenu->getCurrent() != userScaleEntry())
        scaleMenu->setCurrent(userScaleEntry());
}

void ADEditor::setParameter(VstInt32 index, float /*value*/) {
    if (static_cast<std::uint32_t>(index) >= static_cast<std::uint32_t>(kNumParams)) return;
    pendingParameters.fetch_or(1u << index, std::memory_order_release);
}

void ADEditor::applyPendingParameters() {
    if (!frame) return;
    std::uint32_t pending = pendingParameters.exchange(0, std::memory_order_acquire);
    for (std::int32_t index = 0; pending != 0; ++index, pending >>= 1)
        if (pending & 1u) showParameter(index);
}

void ADEditor::showParameter(std::int32_t index) {
    const float p = effect->getParameter(index);
    if (index == kBypass) {
        if (bypassSwitch) bypassSwitch->setValue(roundedSwitch(p));
        if (bypassLED) bypassLED->setValue(roundedSwitch(p));
        return;
    }
    const int slot = knobSlotOf(index);
    if (knobs[slot]) knobs[slot]->setValue(p);
    if (displays[slot]) displays[slot]->setValue(index == kOutput ? mapping::outputGain(p) : p);
}

void ADEditor::valueChanged(CControl* control) {
    CPresetSystemEditor::valueChanged(control);
    if (!control || !effect) return;
    const int32_t tag = control->getTag();
    if (tag == kScaleMenuTag) {
        const int32_t entry = static_cast<COptionMenu*>(control)->getCurrent();
        requestUserScaleFactor(entry >= 0 && entry < kAutomaticScaleEntry ? kScaleFactors[entry]
                                                                          : 0);
    }
    if (tag >= 0 && tag <= kBypass) effect->setParameterAutomated(tag, control->getValue());
}
