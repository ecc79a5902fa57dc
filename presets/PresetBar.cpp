// The preset bar of CPresetSystemEditor: its controls, their actions and the file dialogs.
#include <algorithm>
#include <cstring>

#include "editor/CNotice.h"
#include "editor/CPSKickButton.h"
#include "editor/CPSRockerSwitch.h"
#include "editor/CSaveLoadButton.h"
#include "presets/CPresetSystemEditor.h"
#include "presets/CPresetSystemEffect.h"
#include "toolkit/CBitmap.h"
#include "toolkit/CFrame.h"
#include "toolkit/CNewFileSelector.h"
#include "toolkit/COptionMenu.h"
#include "toolkit/CTextEdit.h"
#include "toolkit/PlatformServices.h"

using namespace presetbar;

namespace {

// Load buttons report 0.5 for the right button alone: the endian-reversed load.
bool isReversedLoad(const CControl* control) {
    return control->getValue() == 0.5f;
}

// Default buttons report 0.5 for a double click with Control held: delete.
bool isDeleteGesture(const CControl* control) {
    return control->getValue() < 0.75f;
}

} // namespace

bool CPresetSystemEditor::open(void* /*parentWindow*/) {
    if (!frame || !effect) return false;
    fillRects();
    createNameFieldAndMenu();
    createButtons();
    createNotice();
    startRefreshTimer();
    return true;
}

void CPresetSystemEditor::close() {
    stopRefreshTimer();
    nameField_ = nullptr;
    programMenu_ = nullptr;
    notice_ = nullptr;
    for (CControl** control : {&rocker_, &savePreset_, &loadPreset_, &storeA_, &recallA_, &storeB_,
                               &recallB_, &defaultPreset_, &saveBank_, &loadBank_, &defaultBank_})
        *control = nullptr;
}

void CPresetSystemEditor::fillRects() {
    for (int slot = 0; slot < kNumSlots; ++slot)
        rects_[slot] = kRects[slot];
    rects_[kNameFieldSlot] = nameFieldRect(kRects[kNameFieldSlot], kNameFont);
}

void CPresetSystemEditor::createNameFieldAndMenu() {
    auto* background = new CBitmap(kBackgroundBitmap);
    // Taken before the names are read: a change in between shows on the first refresh.
    if (presetEffect_) shownGeneration_ = presetEffect_->programListGeneration();
    char name[kProgramNameBuffer] = {};
    if (presetEffect_) presetEffect_->getProgramName(name);

    const CRect& field = rects_[kNameFieldSlot];
    nameField_ = new CTextEdit(field, this, kNameFieldTag, name, background);
    nameField_->setFont(kNameFont);
    nameField_->setFontColor(kNameText);
    nameField_->setBackColor(kNameBack);
    nameField_->setFrameColor(kNameFrame);
    nameField_->setHoriAlign(kCenterText);
    nameField_->setBackOffset(field.getTopLeft());
    frame->addView(nameField_);

    const CRect& menu = rects_[kMenuSlot];
    programMenu_ = new COptionMenu(menu, this, kMenuTag, background, nullptr, kMenuStyle);
    programMenu_->setBackOffset(menu.getTopLeft());
    programMenu_->setNbItemsPerColumn(kMenuEntriesPerColumn);
    for (int k = 0; k < kNumStoredPrograms; ++k) {
        char title[kProgramNameBuffer] = {};
        if (presetEffect_) presetEffect_->getProgramNameIndexed(0, k, title);
        programMenu_->addEntry(title);
    }
    programMenu_->setCurrent(presetEffect_ ? presetEffect_->getCurrentProgramIndex() : 0);
    frame->addView(programMenu_);
    background->forget();
}

void CPresetSystemEditor::createButtons() {
    for (const Button& button : kButtons) {
        auto* bitmap = new CBitmap(button.bitmap);
        const auto height = static_cast<std::int32_t>(bitmap->getHeight());
        const CRect& where = rects_[button.slot];
        const CPoint origin(0, 0);
        CControl* control = nullptr;
        switch (button.kind) {
        case Kind::rocker:
            control = new CPSRockerSwitch(where, this, button.tag, height / kRockerImages, bitmap,
                                          origin, CRockerSwitch::kHorizontal);
            break;
        case Kind::saveLoad:
            control =
                new CSaveLoadButton(where, this, button.tag, height / kKickImages, bitmap, origin);
            break;
        case Kind::kick:
        case Kind::doubleClickKick:
            control = new CPSKickButton(where, this, button.tag, height / kKickImages, bitmap,
                                        origin, button.kind == Kind::doubleClickKick);
            break;
        }
        frame->addView(control);
        bitmap->forget();
        switch (button.tag) {
        case kRockerTag:
            rocker_ = control;
            break;
        case kLoadBankTag:
            loadBank_ = control;
            break;
        case kSaveBankTag:
            saveBank_ = control;
            break;
        case kDefaultBankTag:
            defaultBank_ = control;
            break;
        case kLoadPresetTag:
            loadPreset_ = control;
            break;
        case kSavePresetTag:
            savePreset_ = control;
            break;
        case kDefaultPresetTag:
            defaultPreset_ = control;
            break;
        case kRecallATag:
            recallA_ = control;
            break;
        case kStoreATag:
            storeA_ = control;
            break;
        case kRecallBTag:
            recallB_ = control;
            break;
        case kStoreBTag:
            storeB_ = control;
            break;
        default:
            break;
        }
    }
}

// Last, so it is drawn over everything it covers.
void CPresetSystemEditor::createNotice() {
    notice_ = new CNotice(kNoticeRect);
    notice_->setFont(kNoticeFont);
    notice_->setFontColor(kNameText);
    notice_->setBackColor(kNoticeBack);
    notice_->setFrameColor(kNameFrame);
    notice_->setHoriAlign(kCenterText);
    frame->addView(notice_);
}

void CPresetSystemEditor::showRefusal(const char* text) {
    if (notice_) notice_->show(text, platformTickCount(), kNoticeMilliseconds);
}

void CPresetSystemEditor::idle() {
    if (frame) {
        showNamesFromStore();
        if (notice_) notice_->expire(platformTickCount());
    }
    AEffGUIEditor::idle();
}

// A chunk, a bank or a rename that did not come through this editor changed the store since
// the bar last showed it. Nothing is stored here: the bar only shows what the store holds.
void CPresetSystemEditor::showNamesFromStore() {
    if (!presetEffect_ || (!nameField_ && !programMenu_)) return;
    const std::uint32_t generation = presetEffect_->programListGeneration();
    if (generation == shownGeneration_) return;
    // A name being typed or a list being chosen from is left alone; the bar catches up once
    // the user is done.
    if ((nameField_ && nameField_->isEditingText()) ||
        (programMenu_ && programMenu_->isPopupOpen()))
        return;
    shownGeneration_ = generation;
    const std::int32_t current = presetEffect_->getCurrentProgramIndex();
    char name[kProgramNameBuffer] = {};
    if (programMenu_) {
        for (std::int32_t k = 0; k < kNumStoredPrograms; ++k) {
            CMenuItem* item = programMenu_->getEntry(k);
            if (!item || !presetEffect_->getProgramNameIndexed(0, k, name)) continue;
            if (std::strcmp(item->getTitle(), name) != 0) {
                item->setTitle(name);
                programMenu_->setDirty();
            }
        }
        programMenu_->setCurrent(current);
    }
    if (nameField_ && presetEffect_->getProgramNameIndexed(0, current, name))
        nameField_->setText(name);
}

CControl* CPresetSystemEditor::getPresetControl(std::int32_t tag) const {
    switch (tag) {
    case kNameFieldTag:
        return nameField_;
    case kMenuTag:
        return programMenu_;
    case kRockerTag:
        return rocker_;
    case kLoadBankTag:
        return loadBank_;
    case kSaveBankTag:
        return saveBank_;
    case kDefaultBankTag:
        return defaultBank_;
    case kLoadPresetTag:
        return loadPreset_;
    case kSavePresetTag:
        return savePreset_;
    case kDefaultPresetTag:
        return defaultPreset_;
    case kRecallATag:
        return recallA_;
    case kStoreATag:
        return storeA_;
    case kRecallBTag:
        return recallB_;
    case kStoreBTag:
        return storeB_;
    default:
        return nullptr;
    }
}

void CPresetSystemEditor::showInMenu(std::int32_t entry, const char* title) {
    if (!programMenu_) return;
    if (CMenuItem* item = programMenu_->getEntry(entry)) item->setTitle(title);
    programMenu_->setDirty();
}

void CPresetSystemEditor::showProgramName(const char* name) {
    if (nameField_) nameField_->setText(name);
    if (programMenu_) showInMenu(programMenu_->getCurrent(), name);
}

void CPresetSystemEditor::showBankNames(const ProgramNames& names) {
    if (programMenu_) {
        for (int k = 0; k < kNumStoredPrograms; ++k)
            showInMenu(k, names[k].data());
        programMenu_->setCurrent(0);
    }
    if (nameField_) nameField_->setText(names[0].data());
}

void CPresetSystemEditor::valueChanged(CControl* control) {
    if (!control || !presetEffect_) return;
    switch (control->getTag()) {
    case kNameFieldTag:
        renameFromField();
        break;
    case kRockerTag:
        stepProgram(control->getValue());
        break;
    case kLoadBankTag:
        loadBankFromDialog(isReversedLoad(control));
        break;
    case kSaveBankTag:
        saveBankFromDialog();
        break;
    case kLoadPresetTag:
        loadPresetFromDialog(isReversedLoad(control));
        break;
    case kSavePresetTag:
        savePresetFromDialog();
        break;
    case kMenuTag:
        chooseProgramFromMenu();
        break;
    case kDefaultBankTag:
        if (isDeleteGesture(control))
            deleteDefaultBank();
        else
            storeDefaultBank();
        break;
    case kDefaultPresetTag:
        if (isDeleteGesture(control))
            deleteDefaultPreset();
        else
            storeDefaultPreset();
        break;
    case kStoreATag:
        storeMemoA();
        break;
    case kStoreBTag:
        storeMemoB();
        break;
    case kRecallATag:
        recallMemoA();
        break;
    case kRecallBTag:
        recallMemoB();
        break;
    default:
        break;
    }
}

void CPresetSystemEditor::renameFromField() {
    if (!nameField_) return;
    char name[kProgramNameBuffer] = {};
    const char* typed = nameField_->getText();
    std::memcpy(name, typed, strnlen(typed, kProgramNameBytes));
    nameField_->setText(name);
    if (programMenu_) showInMenu(programMenu_->getCurrent(), name);
    presetEffect_->setCurrentProgramName(name);
}

void CPresetSystemEditor::stepProgram(float direction) {
    // The release reports 0 and does nothing.
    if (direction == 0) return;
    int n = presetEffect_->getCurrentProgramIndex();
    n = direction > 0 ? std::min(n + 1, kNumStoredPrograms - 1) : std::max(n - 1, 0);
    if (programMenu_) programMenu_->setCurrent(n);
    // At either end the same program is applied again, under its own name.
    char name[kProgramNameBuffer] = {};
    presetEffect_->getProgramNameIndexed(0, n, name);
    if (nameField_) nameField_->setText(name);
    presetEffect_->selectProgram(n);
    presetEffect_->setCurrentProgramName(name);
}

void CPresetSystemEditor::chooseProgramFromMenu() {
    if (!programMenu_) return;
    const auto n = static_cast<std::int32_t>(programMenu_->getValue() + 0.5f);
    if (!isStoredProgram(n)) return;
    programMenu_->setCurrent(n);
    // The program takes the entry's title, which a host's chunk may have made stale.
    char title[kProgramNameBuffer] = {};
    const char* entryTitle = programMenu_->getEntry(n)->getTitle();
    std::memcpy(title, entryTitle, strnlen(entryTitle, kProgramNameBytes));
    presetEffect_->selectProgram(n);
    presetEffect_->setCurrentProgramName(title);
    if (nameField_) nameField_->setText(title);
}

void CPresetSystemEditor::chooseFile(const FileDialog& dialog, bool reversed,
                                     const char* defaultName,
                                     std::function<void(const std::string& path)> onChosen) {
    // One dialog at a time: while it is up the frame ignores input, and a command reached
    // another way is refused here.
    if (!frame || CNewFileSelector::isDialogRunning(frame)) return;
    CNewFileSelector* selector = CNewFileSelector::create(
        frame, dialog.save ? CNewFileSelector::kSelectSaveFile : CNewFileSelector::kSelectFile);
    if (!selector) return;
    try {
        const CFileExtension type{dialog.typeDescription, dialog.extension};
        selector->setTitle(reversed ? dialog.reversedTitle : dialog.title);
        selector->setInitialDirectory(directory_);
        if (dialog.save) {
            selector->setDefaultSaveName(defaultName);
            selector->setDefaultExtension(type);
        } else {
            selector->setAllowMultiFileSelection(false);
        }
        selector->addFileExtension(type);
        // The dialog's answer arrives during a later idle pass (or at once for a dialog that
        // runs its own loop); the command continues only with exactly one file.
        selector->runAsync(
            [onChosen = std::move(onChosen)](CNewFileSelector* answered, bool confirmed) {
                if (!confirmed || answered->getNumSelectedFiles() != 1) return;
                const std::string path = answered->getSelectedFile(0);
                if (!path.empty()) onChosen(path);
            });
    } catch (...) {
        // No memory for the dialog's texts: as if it had been cancelled.
    }
    selector->forget();
}

void CPresetSystemEditor::loadPresetFromDialog(bool reversed) {
    chooseFile(kLoadPresetDialog, reversed, nullptr, [this, reversed](const std::string& path) {
        loadPresetFile(path.c_str(), reversed);
    });
}

void CPresetSystemEditor::loadBankFromDialog(bool reversed) {
    chooseFile(kLoadBankDialog, reversed, nullptr,
               [this, reversed](const std::string& path) { loadBankFile(path.c_str(), reversed); });
}

void CPresetSystemEditor::savePresetFromDialog() {
    chooseFile(kSavePresetDialog, false, presetFileName_,
               [this](const std::string& path) { savePresetFile(path.c_str()); });
}

void CPresetSystemEditor::saveBankFromDialog() {
    chooseFile(kSaveBankDialog, false, bankFileName_,
               [this](const std::string& path) { saveBankFile(path.c_str()); });
}
