"""Where every control of the editor sits, in pixels of the 320 x 257 skin.

Rectangles are (left, top, right, bottom), right and bottom exclusive. The
artwork generator and the preview both read these, so the skin and the
controls placed over it cannot drift apart.
"""

import re
from pathlib import Path

EDITOR_SIZE = (320, 257)

# name, tag, knob rectangle, display rectangle, large knob?
KNOBS = [
    ("Decay", 2, (50, 71, 95, 116), (48, 120, 98, 134), True),
    ("Damp", 3, (224, 71, 269, 116), (222, 120, 272, 134), True),
    ("Transpose", 4, (149, 86, 171, 108), (135, 112, 185, 126), False),
    ("Tune", 5, (108, 123, 130, 145), (95, 148, 145, 162), False),
    ("Detune", 6, (189, 123, 211, 145), (176, 148, 226, 162), False),
    ("Mix", 1, (64, 164, 86, 186), (51, 189, 101, 203), False),
    ("Output", 0, (233, 164, 255, 186), (219, 189, 269, 203), False),
]

LARGE_HANDLE_ID = 1129
SMALL_HANDLE_ID = 1130
LARGE_HANDLE_SIZE = 9
SMALL_HANDLE_SIZE = 6

# Knob sweep: value 0 at 225 degrees (lower left), value 1 at -45 degrees
# (lower right), clockwise; the handle's centre sits KNOB_INSET pixels inside
# the knob's radius.
KNOB_START_DEG = 225.0
KNOB_RANGE_DEG = -270.0
KNOB_INSET = 3

BYPASS_RECT = (131, 162, 193, 190)
BYPASS_ID = 1132
LED_RECT = (155, 135, 165, 145)
LED_ID = 1131

ABOUT_CLICK_RECT = (50, 10, 280, 47)
ABOUT_ID = 1200
ABOUT_SIZE = (260, 204)
ABOUT_ORIGIN = (30, 10)
VERSION_BOX = (172, 80, 272, 95)  # inside the about picture
# The release's version lives in the project's CMake version only.
VERSION_TEXT = "v." + re.search(
    r"project\(Lyrebloom VERSION ([0-9.]+)",
    (Path(__file__).resolve().parent.parent / "CMakeLists.txt").read_text()).group(1)

BACKGROUND_ID = 1128

NAME_FIELD_RECT = (96, 233, 212, 248)
NAME_FIELD_BACK = (189, 207, 218)
NAME_FIELD_INK = (36, 36, 32)
PROGRAM_MENU_RECT = (214, 237, 224, 251)

# Strips of the preset bar: id -> (rectangle, image count, image height, role)
PRESET_STRIPS = {
    19997: ((230, 234, 261, 248), 5, 14, "rocker"),
    19993: ((76, 241, 88, 255), 3, 14, "load_bank"),
    19994: ((11, 241, 23, 255), 3, 14, "save_bank"),
    19990: ((32, 243, 69, 253), 3, 10, "default_bank"),
    19998: ((76, 226, 88, 240), 3, 14, "load_preset"),
    19999: ((11, 226, 23, 240), 3, 14, "save_preset"),
    19899: ((27, 229, 74, 239), 3, 10, "default_preset"),
    19991: ((293, 226, 305, 240), 3, 14, "recall_a"),
    19995: ((269, 226, 281, 240), 3, 14, "store_a"),
    19992: ((293, 241, 305, 253), 3, 14, "recall_b"),
    19996: ((269, 241, 281, 253), 3, 14, "store_b"),
}


def width(rect):
    return rect[2] - rect[0]


def height(rect):
    return rect[3] - rect[1]


def centre(rect):
    return ((rect[0] + rect[2]) / 2.0, (rect[1] + rect[3]) / 2.0)
