#include "presets/CPresetSystemEditor.h"

#include <cmath>
#include <cstring>
#include <string>

#include "presets/CPresetSystemEffect.h"
#include "presets/PathConventions.h"
#include "presets/PresetRecords.h"
#include "presets/StoredSettings.h"
#include "toolkit/CFrame.h"

CPresetSystemEditor::CPresetSystemEditor(AudioEffect* effect)
    : AEffGUIEditor(effect), presetEffect_(dynamic_cast<CPresetSystemEffect*>(effect)),
      settings_(makeUserSettingsStore()) {
    // A working directory longer than the buffer is not remembered at all.
    paths::workingDirectory(directory_, sizeof directory_);
}

CPresetSystemEditor::~CPresetSystemEditor() {
    if (pathsChanged_) storeRememberedPaths();
}

std::uint32_t CPresetSystemEditor::uniqueID() const {
    return static_cast<std::uint32_t>(presetEffect_->getEffectUniqueID());
}

double CPresetSystemEditor::loadUserScaleFactor() {
    std::uint8_t bytes[4] = {};
    settings::loadRecord(*settings_, settings::kEditorScale, bytes, sizeof bytes);
    std::uint32_t percent = 0;
    std::memcpy(&percent, bytes, sizeof percent);
    return percent >= 100 && percent <= 200 ? percent / 100.0 : 0;
}

void CPresetSystemEditor::storeUserScaleFactor(double factor) {
    if (!(factor > 0)) {
        settings::deleteValue(*settings_, settings::kEditorScale);
        return;
    }
    const auto percent = static_cast<std::uint32_t>(std::lround(factor * 100));
    std::uint8_t bytes[4];
    std::memcpy(bytes, &percent, sizeof bytes);
    settings::storeRecord(*settings_, settings::kEditorScale, bytes, sizeof bytes);
}

void CPresetSystemEditor::loadStoredDefaults() {
    loadDefaultBank();
    loadDefaultPreset();
    loadRememberedPaths();
}

void CPresetSystemEditor::makePresetRecord(std::uint8_t* record) {
    if (presetEffect_) records::makePreset(presetEffect_->currentProgram(), uniqueID(), record);
}

void CPresetSystemEditor::makeBankRecord(std::uint8_t* record) {
    if (presetEffect_) records::makeBank(presetEffect_->programs(), uniqueID(), record);
}

void CPresetSystemEditor::loadPresetRecord(const std::uint8_t* record, bool reversed) {
    if (!presetEffect_) return;
    const auto program = records::decodePreset(record, uniqueID(), reversed);
    if (!program) return;
    char name[kProgramNameBuffer];
    copyProgramName(*program, name);
    showProgramName(name);
    presetEffect_->loadCurrentProgram(*program);
}

void CPresetSystemEditor::loadBankRecord(const std::uint8_t* record, bool reversed) {
    if (!presetEffect_) return;
    const auto bank = records::decodeBank(record, uniqueID(), reversed);
    // A refused bank still leaves program 0 current and applied.
    presetEffect_->loadPrograms(bank ? &*bank : nullptr);
    if (!bank) return;
    ProgramNames names;
    for (int k = 0; k < kNumStoredPrograms; ++k)
        copyProgramName((*bank)[k], names[k].data());
    showBankNames(names);
}

void CPresetSystemEditor::storePresetValue(std::u16string_view name) {
    std::uint8_t record[records::kPresetSize] = {};
    makePresetRecord(record);
    settings::storeRecord(*settings_, name, record, sizeof record);
}

void CPresetSystemEditor::recallPresetValue(std::u16string_view name) {
    std::uint8_t record[records::kPresetSize] = {};
    settings::loadRecord(*settings_, name, record, sizeof record);
    loadPresetRecord(record, false);
}

void CPresetSystemEditor::storeDefaultPreset() {
    storePresetValue(settings::kDefaultPreset);
}

void CPresetSystemEditor::deleteDefaultPreset() {
    settings::deleteValue(*settings_, settings::kDefaultPreset);
}

void CPresetSystemEditor::loadDefaultPreset() {
    recallPresetValue(settings::kDefaultPreset);
}

void CPresetSystemEditor::storeDefaultBank() {
    std::uint8_t record[records::kBankSize] = {};
    makeBankRecord(record);
    settings::storeRecord(*settings_, settings::kDefaultBank, record, sizeof record);
}

void CPresetSystemEditor::deleteDefaultBank() {
    settings::deleteValue(*settings_, settings::kDefaultBank);
}

void CPresetSystemEditor::loadDefaultBank() {
    std::uint8_t record[records::kBankSize] = {};
    settings::loadRecord(*settings_, settings::kDefaultBank, record, sizeof record);
    loadBankRecord(record, false);
}

void CPresetSystemEditor::storeMemoA() {
    storePresetValue(settings::kMemoA);
}

void CPresetSystemEditor::storeMemoB() {
    storePresetValue(settings::kMemoB);
}

void CPresetSystemEditor::recallMemoA() {
    recallPresetValue(settings::kMemoA);
}

void CPresetSystemEditor::recallMemoB() {
    recallPresetValue(settings::kMemoB);
}

void CPresetSystemEditor::loadRememberedPaths() {
    settings::loadPaths(*settings_, {directory_, bankFileName_, presetFileName_});
}

void CPresetSystemEditor::storeRememberedPaths() {
    settings::storePaths(*settings_, {directory_, bankFileName_, presetFileName_});
}

bool CPresetSystemEditor::isAcceptedRecord(const std::uint8_t* record, bool bank) const {
    if (!presetEffect_) return false;
    return bank ? records::decodeBank(record, uniqueID(), false).has_value()
                : records::decodePreset(record, uniqueID(), false).has_value();
}

bool CPresetSystemEditor::loadFile(const char* path, char* fileName, std::size_t size, bool bank,
                                   bool reversed) {
    try {
        const std::string target = recordfiles::targetPath(path, directory_);
        std::uint8_t record[records::kBankSize] = {};
        recordfiles::read(target, record, size);
        const bool accepted = isAcceptedRecord(record, bank);
        if (bank)
            loadBankRecord(record, reversed);
        else
            loadPresetRecord(record, reversed);
        if (accepted) {
            if (recordfiles::splitPath(path, fileName, directory_)) pathsChanged_ = true;
        } else {
            showRefusal(bank ? presetbar::kRefusedBank : presetbar::kRefusedPreset);
        }
        // A load may have changed every control, the bar's and the knobs'.
        if (frame) frame->invalid();
        return accepted;
    } catch (...) {
        // Out of memory for the path: the command does nothing, like a cancelled dialog.
        return false;
    }
}

bool CPresetSystemEditor::saveFile(const char* path, char* fileName, bool bank) {
    try {
        const std::string target = recordfiles::targetPath(path, directory_);
        if (recordfiles::splitPath(path, fileName, directory_)) pathsChanged_ = true;
        std::uint8_t record[records::kBankSize] = {};
        if (bank)
            makeBankRecord(record);
        else
            makePresetRecord(record);
        return recordfiles::write(target, record, bank ? records::kBankSize : records::kPresetSize);
    } catch (...) {
        return false;
    }
}

bool CPresetSystemEditor::loadPresetFile(const char* path, bool reversed) {
    return loadFile(path, presetFileName_, records::kPresetSize, false, reversed);
}

bool CPresetSystemEditor::loadBankFile(const char* path, bool reversed) {
    return loadFile(path, bankFileName_, records::kBankSize, true, reversed);
}

bool CPresetSystemEditor::savePresetFile(const char* path) {
    return saveFile(path, presetFileName_, false);
}

bool CPresetSystemEditor::saveBankFile(const char* path) {
    return saveFile(path, bankFileName_, true);
}
