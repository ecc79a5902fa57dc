// Where the preset bar's thirteen controls sit on the 320 x 257 skin, which bitmaps they draw
// from and what their file dialogs ask.
#pragma once

#include <cstdint>

#include "toolkit/CFontDesc.h"
#include "toolkit/CGeometry.h"

namespace presetbar {

enum Tag : std::int32_t {
    kNameFieldTag = 1000,
    kRockerTag = 1001,
    kLoadBankTag = 1002,
    kSaveBankTag = 1003,
    kLoadPresetTag = 1004,
    kSavePresetTag = 1005,
    kMenuTag = 1012,
    kDefaultBankTag = 1013,
    kDefaultPresetTag = 1014,
    kStoreATag = 1015,
    kStoreBTag = 1016,
    kRecallATag = 1017,
    kRecallBTag = 1018,
};

// The order in which the editor keeps the controls' rectangles.
enum Slot : int {
    kNameFieldSlot,
    kMenuSlot,
    kRockerSlot,
    kLoadPresetSlot,
    kSavePresetSlot,
    kDefaultPresetSlot,
    kStoreASlot,
    kStoreBSlot,
    kRecallASlot,
    kRecallBSlot,
    kLoadBankSlot,
    kSaveBankSlot,
    kDefaultBankSlot,
    kNumSlots
};

enum class Kind { rocker, saveLoad, kick, doubleClickKick };

struct Button {
    Tag tag;
    Slot slot;
    Kind kind;
    std::int32_t bitmap;
};

// The buttons in the order they are added to the frame (after the name field and the menu),
// which is also their drawing order.
inline constexpr Button kButtons[] = {
    {kRockerTag, kRockerSlot, Kind::rocker, 19997},
    {kLoadBankTag, kLoadBankSlot, Kind::saveLoad, 19993},
    {kSaveBankTag, kSaveBankSlot, Kind::saveLoad, 19994},
    {kDefaultBankTag, kDefaultBankSlot, Kind::doubleClickKick, 19990},
    {kLoadPresetTag, kLoadPresetSlot, Kind::saveLoad, 19998},
    {kSavePresetTag, kSavePresetSlot, Kind::saveLoad, 19999},
    {kDefaultPresetTag, kDefaultPresetSlot, Kind::doubleClickKick, 19899},
    {kRecallATag, kRecallASlot, Kind::kick, 19991},
    {kStoreATag, kStoreASlot, Kind::kick, 19995},
    {kRecallBTag, kRecallBSlot, Kind::kick, 19992},
    {kStoreBTag, kStoreBSlot, Kind::kick, 19996},
};

// Rectangles by slot. The name field's is the design box, centred on its font when placed.
// Recall B and store B are 12 pixels high, two less than their images.
inline const CRect kRects[kNumSlots] = {
    CRect(96, 235, 212, 246),  CRect(214, 237, 224, 251), CRect(230, 234, 261, 248),
    CRect(76, 226, 88, 240),   CRect(11, 226, 23, 240),   CRect(27, 229, 74, 239),
    CRect(269, 226, 281, 240), CRect(269, 241, 281, 253), CRect(293, 226, 305, 240),
    CRect(293, 241, 305, 253), CRect(76, 241, 88, 255),   CRect(11, 241, 23, 255),
    CRect(32, 243, 69, 253),
};

inline constexpr std::int32_t kBackgroundBitmap = 1128;
inline constexpr int kKickImages = 3;
inline constexpr int kRockerImages = 5;

inline const CFontDesc kNameFont{"Arial", 11};
inline constexpr CColor kNameText{36, 36, 32, 255};
inline constexpr CColor kNameBack{189, 207, 218, 255};
inline constexpr CColor kNameFrame{36, 36, 32, 255};
// Text grows the field this much above and below the font.
inline constexpr CCoord kNameMargin = 2;

// No draw (0x1000) with popup and check styles: an invisible click area over the skin.
inline constexpr std::int32_t kMenuStyle = 0x1E00;
inline constexpr std::int32_t kMenuEntriesPerColumn = 16;

// The program name field's box: the design box centred vertically on the font, with a margin.
inline CRect nameFieldRect(const CRect& design, const CFontDesc& font) {
    const CCoord middle = (design.top + design.bottom) / 2;
    const CCoord half = font.getSize() / 2;
    return CRect(design.left, middle - half - kNameMargin, design.right,
                 middle + half + kNameMargin);
}

// The notice that says a chosen file was refused: over the labels above the bar, in the name
// field's colours on a warning tone, long enough to be read.
inline const CRect kNoticeRect(40, 207, 280, 223);
inline const CFontDesc kNoticeFont{"Arial", 11};
inline constexpr CColor kNoticeBack{238, 206, 128, 255};
inline constexpr std::uint32_t kNoticeMilliseconds = 4000;
inline constexpr const char* kRefusedPreset = "Refused: not a ZEM preset file";
inline constexpr const char* kRefusedBank = "Refused: not a ZEM bank file";

struct FileDialog {
    bool save;
    const char* title;
    const char* reversedTitle; // loads only
    const char* typeDescription;
    const char* extension;
};

inline constexpr FileDialog kLoadPresetDialog{false, "Load preset", "Load preset (endian-reversed)",
                                              "ZEM Preset", "zem"};
inline constexpr FileDialog kSavePresetDialog{true, "Save preset", nullptr, "ZEM Preset", "zem"};
inline constexpr FileDialog kLoadBankDialog{false, "Load bank", "Load bank (endian-reversed)",
                                            "ZEM Bank", "zeb"};
inline constexpr FileDialog kSaveBankDialog{true, "Save bank", nullptr, "ZEM Bank", "zeb"};

} // namespace presetbar
