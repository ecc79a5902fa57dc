// The editor layer of the preset system: the preset and bank record codecs, the preset and
// bank files, and the per-user defaults, memories and remembered paths. Everything here works
// without a window: the effect asks this object for its stored defaults while it is built.
// The controls that trigger these operations belong to the editor classes above this one,
// which also override the two show hooks to keep their name field and program menu in step.
#pragma once

#include <cstdint>
#include <memory>

#include "presets/ProgramRecord.h"
#include "presets/RecordFiles.h"
#include "presets/SettingsStore.h"
#include "shell/AEffGUIEditor.h"

class CPresetSystemEffect;

class CPresetSystemEditor : public AEffGUIEditor {
  public:
    // Record operations need the effect to be a CPresetSystemEffect; with any other they do
    // nothing.
    explicit CPresetSystemEditor(AudioEffect* effect);
    // Stores the remembered paths.
    ~CPresetSystemEditor() override;

    // Called with a 25-byte name whenever the current program was renamed or loaded.
    virtual void showProgramName(const char* name);
    virtual void loadStoredDefaults();
    virtual void loadBankRecord(const std::uint8_t* record, bool reversed);
    virtual void makeBankRecord(std::uint8_t* record);
    virtual void loadPresetRecord(const std::uint8_t* record, bool reversed);
    virtual void makePresetRecord(std::uint8_t* record);
    // Called after a bank record replaced all six programs, with their names.
    virtual void showBankNames(const ProgramNames& names);

    void storeDefaultPreset();
    void deleteDefaultPreset();
    void loadDefaultPreset();
    void storeDefaultBank();
    void deleteDefaultBank();
    void loadDefaultBank();
    void storeMemoA();
    void storeMemoB();
    void recallMemoA();
    void recallMemoB();
    void loadRememberedPaths();
    void storeRememberedPaths();

    // The file commands, once a dialog has chosen `path`. The chosen directory and file name
    // are remembered when they fit their buffers; the file itself is always the one chosen.
    void loadPresetFile(const char* path, bool reversed);
    void loadBankFile(const char* path, bool reversed);
    bool savePresetFile(const char* path);
    bool saveBankFile(const char* path);

    const char* rememberedDirectory() const { return directory_; }
    const char* rememberedBankFileName() const { return bankFileName_; }
    const char* rememberedPresetFileName() const { return presetFileName_; }

  private:
    std::uint32_t uniqueID() const;
    void storePresetValue(std::u16string_view name);
    void recallPresetValue(std::u16string_view name);
    void loadFile(const char* path, char* fileName, std::size_t size, bool bank, bool reversed);
    bool saveFile(const char* path, char* fileName, bool bank);

    CPresetSystemEffect* presetEffect_;
    std::unique_ptr<SettingsStore> settings_;
    char directory_[recordfiles::kPathBufferSize] = {};
    char bankFileName_[recordfiles::kPathBufferSize] = {};
    char presetFileName_[recordfiles::kPathBufferSize] = {};
};
