#!/usr/bin/python3
"""Checks that every skin bitmap in resources/ has the size its control needs.

The table is written out by hand on purpose: it must not be derived from the
generator's own layout, or a wrong rectangle there would pass unnoticed.
Run: python3 tools/check_artwork.py [resources-dir]
"""
import os
import struct
import sys

import cairo

# id: (width, height, needs alpha, why)
EXPECTED = {
    1128: (320, 257, False, "editor background"),
    1129: (9, 9, True, "large knob handle dot"),
    1130: (6, 6, True, "small knob handle dot"),
    1131: (10, 20, False, "LED 10 x 10, off and on"),
    1132: (62, 56, False, "bypass switch 62 x 28, off and on"),
    1200: (260, 204, False, "about picture"),
    19899: (47, 30, False, "default preset 47 wide, 3 x 10"),
    19990: (37, 30, False, "default bank 37 wide, 3 x 10"),
    19991: (12, 42, False, "recall A 12 wide, 3 x 14"),
    19992: (12, 42, False, "recall B 12 wide, 3 x 14"),
    19993: (12, 42, False, "load bank 12 wide, 3 x 14"),
    19994: (12, 42, False, "save bank 12 wide, 3 x 14"),
    19995: (12, 42, False, "store A 12 wide, 3 x 14"),
    19996: (12, 42, False, "store B 12 wide, 3 x 14"),
    19997: (31, 70, False, "program rocker 31 wide, 5 x 14"),
    19998: (12, 42, False, "load preset 12 wide, 3 x 14"),
    19999: (12, 42, False, "save preset 12 wide, 3 x 14"),
}

# The set for editors above 100 %: the same bitmaps at twice the size, under
# their numbers plus this.
DOUBLE_SIZE_OFFSET = 20000

# Black text is printed over these areas at run time, so they must be light
# and, for the version, flat. (left, top, right, bottom), right/bottom exclusive.
VERSION_BOX_IN_ABOUT = (172, 80, 260, 95)  # 172, 80 .. 272, 95 clipped to the picture
DISPLAY_INTERIORS = [  # display rectangles less their one-pixel frame
    (49, 121, 97, 133), (223, 121, 271, 133), (136, 113, 184, 125), (96, 149, 144, 161),
    (177, 149, 225, 161), (52, 190, 100, 202), (220, 190, 268, 202),
]
MIN_LUMINANCE_UNDER_BLACK_TEXT = 0.6

PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"
COLOUR_TYPES_WITH_ALPHA = (4, 6)


def read_png_header(path):
    """Returns (width, height, bit depth, colour type) from the IHDR chunk."""
    with open(path, "rb") as f:
        head = f.read(33)
    if len(head) < 33 or head[:8] != PNG_SIGNATURE or head[12:16] != b"IHDR":
        raise ValueError(f"{path}: not a PNG")
    w, h, depth, colour_type = struct.unpack(">IIBB", head[16:26])
    return w, h, depth, colour_type


def pixels(path, rect):
    """Yields (r, g, b) of every pixel of rect in the PNG at path."""
    surface = cairo.ImageSurface.create_from_png(path)
    surface.flush()
    data, stride = surface.get_data(), surface.get_stride()
    for y in range(rect[1], rect[3]):
        for x in range(rect[0], rect[2]):
            i = y * stride + 4 * x  # native-endian ARGB32 / RGB24: B, G, R, A
            yield data[i + 2], data[i + 1], data[i]


def luminance(rgb):
    r, g, b = (c / 255.0 for c in rgb)
    return 0.2126 * r + 0.7152 * g + 0.0722 * b


def check_text_areas(resources_dir):
    problems = []
    about = os.path.join(resources_dir, "1200.png")
    colours = set(pixels(about, VERSION_BOX_IN_ABOUT))
    if len(colours) != 1:
        problems.append(f"1200.png: version box holds {len(colours)} colours, expected one")
    elif luminance(colours.pop()) < MIN_LUMINANCE_UNDER_BLACK_TEXT:
        problems.append("1200.png: version box too dark for black text")
    background = os.path.join(resources_dir, "1128.png")
    for rect in DISPLAY_INTERIORS:
        darkest = min(luminance(p) for p in pixels(background, rect))
        if darkest < MIN_LUMINANCE_UNDER_BLACK_TEXT:
            problems.append(f"1128.png: display area {rect} too dark for black text")
    return problems


def check(resources_dir):
    """Returns a list of problems; empty when every bitmap is right."""
    problems = []
    sets = [(rid, size) for rid, size in EXPECTED.items()]
    sets += [(rid + DOUBLE_SIZE_OFFSET, (2 * w, 2 * h, alpha, why + ", twice the size"))
             for rid, (w, h, alpha, why) in EXPECTED.items()]
    for rid, (w, h, alpha, why) in sorted(sets):
        path = os.path.join(resources_dir, f"{rid}.png")
        if not os.path.isfile(path):
            problems.append(f"{rid}.png missing ({why})")
            continue
        try:
            got_w, got_h, depth, colour_type = read_png_header(path)
        except ValueError as err:
            problems.append(str(err))
            continue
        if (got_w, got_h) != (w, h):
            problems.append(f"{rid}.png is {got_w} x {got_h}, expected {w} x {h} ({why})")
        if depth != 8:
            problems.append(f"{rid}.png has bit depth {depth}, expected 8")
        if alpha and colour_type not in COLOUR_TYPES_WITH_ALPHA:
            problems.append(f"{rid}.png needs an alpha channel ({why})")
    if not problems:
        problems += check_text_areas(resources_dir)
    return problems


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    resources_dir = argv[1] if len(argv) > 1 else os.path.join(here, "..", "resources")
    problems = check(resources_dir)
    for p in problems:
        print("check_artwork:", p, file=sys.stderr)
    if problems:
        return 1
    print(f"check_artwork: {2 * len(EXPECTED)} bitmaps have their expected sizes; text areas clear")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
