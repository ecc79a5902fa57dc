// The editor layer of the preset system: the preset and bank record codecs, the preset and
// bank files, the per-user defaults, memories and remembered paths, and the preset bar that
// puts them on screen. The record and settings work needs no window: the effect asks this
// object for its stored defaults while it is built. While the window is open, the bar's name
// field and program menu follow every rename and load made through this object at once, and
// changes made elsewhere (a host's chunk or rename, on any thread) on the next refresh.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "presets/PresetBarLayout.h"
#include "presets/ProgramRecord.h"
#include "presets/RecordFiles.h"
#include "presets/SettingsStore.h"
#include "shell/AEffGUIEditor.h"
#include "toolkit/CControlListener.h"

class CNotice;
class COptionMenu;
class CPresetSystemEffect;
class CTextEdit;

class CPresetSystemEditor : public AEffGUIEditor, public CControlListener {
  public:
    // Record operations need the effect to be a CPresetSystemEffect; with any other they do
    // nothing.
    explicit CPresetSystemEditor(AudioEffect* effect);
    // Stores the remembered paths when a file command of this instance changed them; an
    // instance that used none leaves what other instances stored alone.
    ~CPresetSystemEditor() override;

    // Adds the preset bar to the frame the subclass has built and starts the refresh timer.
    // False, doing nothing, without a frame or an effect.
    bool open(void* parentWindow) override;
    // Stops the refresh timer and drops the control references; the frame owns the controls.
    void close() override;
    // Brings the name field and the menu up to the store first (a host may have restored a
    // chunk or renamed a program on its own thread since the last refresh) and hides an
    // expired notice.
    void idle() override;
    // The preset bar's actions; other tags are left to the subclass.
    void valueChanged(CControl* control) override;

    // Called with a 25-byte name whenever the current program was renamed or loaded: the
    // name field and the current menu entry show it.
    virtual void showProgramName(const char* name);
    virtual void loadStoredDefaults();
    virtual void loadBankRecord(const std::uint8_t* record, bool reversed);
    virtual void makeBankRecord(std::uint8_t* record);
    virtual void loadPresetRecord(const std::uint8_t* record, bool reversed);
    virtual void makePresetRecord(std::uint8_t* record);
    // Called after a bank record replaced all six programs, with their names: the menu is
    // retitled and back on entry 0, the name field shows program 0's name.
    virtual void showBankNames(const ProgramNames& names);

  protected:
    // The user's editor size, shared by every instance of the user: "EditorScale", a 32-bit
    // percentage (100 to 200) in the machine's byte order; absent means automatic.
    double loadUserScaleFactor() override;
    void storeUserScaleFactor(double factor) override;

  public:
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
    // A file the record loader refuses is not remembered, and the open editor says so.
    // Loads answer whether the file's record was accepted.
    bool loadPresetFile(const char* path, bool reversed);
    bool loadBankFile(const char* path, bool reversed);
    bool savePresetFile(const char* path);
    bool saveBankFile(const char* path);

    const char* rememberedDirectory() const { return directory_; }
    const char* rememberedBankFileName() const { return bankFileName_; }
    const char* rememberedPresetFileName() const { return presetFileName_; }

    // The bar's controls while the window is open, else null.
    CTextEdit* getNameField() const { return nameField_; }
    COptionMenu* getProgramMenu() const { return programMenu_; }
    CControl* getPresetControl(std::int32_t tag) const;
    // The refusal notice while the window is open, else null.
    CNotice* getNotice() const { return notice_; }
    // Where open placed a control, by its place in the layout.
    const CRect& getPresetRect(presetbar::Slot slot) const { return rects_[slot]; }

  private:
    std::uint32_t uniqueID() const;
    void storePresetValue(std::u16string_view name);
    void recallPresetValue(std::u16string_view name);
    bool loadFile(const char* path, char* fileName, std::size_t size, bool bank, bool reversed);
    bool isAcceptedRecord(const std::uint8_t* record, bool bank) const;
    bool saveFile(const char* path, char* fileName, bool bank);
    void fillRects();
    void createNameFieldAndMenu();
    void createButtons();
    void createNotice();
    void showRefusal(const char* text);
    void showNamesFromStore();
    void renameFromField();
    void stepProgram(float direction);
    void chooseProgramFromMenu();
    void showInMenu(std::int32_t entry, const char* title);
    // Starts a file command's dialog; `onChosen` runs once with the chosen path, later (during
    // idle) or at once, and never when the dialog is cancelled, ambiguous or closed with the
    // editor.
    void chooseFile(const presetbar::FileDialog& dialog, bool reversed, const char* defaultName,
                    std::function<void(const std::string& path)> onChosen);
    void loadPresetFromDialog(bool reversed);
    void loadBankFromDialog(bool reversed);
    void savePresetFromDialog();
    void saveBankFromDialog();

    CPresetSystemEffect* presetEffect_;
    std::unique_ptr<SettingsStore> settings_;
    char directory_[recordfiles::kPathBufferSize] = {};
    char bankFileName_[recordfiles::kPathBufferSize] = {};
    char presetFileName_[recordfiles::kPathBufferSize] = {};
    bool pathsChanged_ = false;
    // The store's generation that the name field and menu show.
    std::uint32_t shownGeneration_ = 0;

    CTextEdit* nameField_ = nullptr;
    COptionMenu* programMenu_ = nullptr;
    CControl* rocker_ = nullptr;
    CControl* savePreset_ = nullptr;
    CControl* loadPreset_ = nullptr;
    CControl* storeA_ = nullptr;
    CControl* recallA_ = nullptr;
    CControl* storeB_ = nullptr;
    CControl* recallB_ = nullptr;
    CControl* defaultPreset_ = nullptr;
    CControl* saveBank_ = nullptr;
    CControl* loadBank_ = nullptr;
    CControl* defaultBank_ = nullptr;
    CNotice* notice_ = nullptr;
    CRect rects_[presetbar::kNumSlots];
};
