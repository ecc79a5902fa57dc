#!/usr/bin/python3
"""Draws the editor skin and writes it to resources/ as <resource id>.png.

Run from the repository root:  python3 tools/make_artwork.py [output-dir]
(needs Debian's python3-cairo and fonts-liberation; with a pyenv python first
on PATH, call /usr/bin/python3). It ends by checking every bitmap's size.

Every bitmap is drawn twice from the same drawing code: at its own size, and
at twice that size for editors shown at more than 100 %, written under its
number plus DOUBLE_SIZE_OFFSET. The larger set is drawn, not enlarged: its
surfaces carry a device scale, so lines, gradients and letters are rendered
at the finer pixel grid.

Strip images are drawn on top of the piece of background that lies under
their control, so opaque bitmaps blend into the panel without an alpha
channel; only the knob handles, which move over the knob bodies, carry alpha.
"""
import math
import os
import random
import sys

import cairo

sys.dont_write_bytecode = True  # keep tools/ free of __pycache__
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import check_artwork  # noqa: E402
from skin_layout import (  # noqa: E402
    ABOUT_ID, ABOUT_SIZE, BACKGROUND_ID, BYPASS_ID, BYPASS_RECT, EDITOR_SIZE,
    KNOB_RANGE_DEG, KNOB_START_DEG, KNOBS, LARGE_HANDLE_ID,
    LARGE_HANDLE_SIZE, LED_ID, LED_RECT, NAME_FIELD_BACK, NAME_FIELD_INK,
    NAME_FIELD_RECT, PRESET_STRIPS, PROGRAM_MENU_RECT, SMALL_HANDLE_ID,
    SMALL_HANDLE_SIZE, VERSION_BOX, centre, height, width)

FONT = "Liberation Sans"

DOUBLE_SIZE_OFFSET = check_artwork.DOUBLE_SIZE_OFFSET
# Device pixels per skin pixel of the set being drawn (1 or 2).
pixel_scale = 1

# Palette: blue-grey panel, light "glass" windows that take black text,
# one warm accent for everything that shows a live state.
PANEL_TOP = (60, 70, 82)
PANEL_BOTTOM = (42, 49, 58)
BAR_TOP = (34, 39, 46)
BAR_BOTTOM = (26, 30, 36)
EDGE_DARK = (14, 17, 21)
EDGE_LIGHT = (96, 108, 122)
LABEL = (214, 222, 230)
CAPTION = (150, 164, 178)
SCALE = (150, 166, 182)
SCALE_MAJOR = (206, 216, 226)
WINDOW = NAME_FIELD_BACK
WINDOW_EDGE = (20, 24, 29)
ACCENT = (246, 162, 58)
ACCENT_DARK = (120, 68, 22)
INK_ON_DARK = (200, 210, 220)
ABOUT_PAPER = (228, 233, 238)
ABOUT_INK = (52, 60, 70)


# ----------------------------------------------------------------- helpers

def source(ctx, colour, alpha=1.0):
    ctx.set_source_rgba(colour[0] / 255.0, colour[1] / 255.0, colour[2] / 255.0, alpha)


def vertical_gradient(y0, y1, top, bottom):
    g = cairo.LinearGradient(0, y0, 0, y1)
    g.add_color_stop_rgb(0, *(c / 255.0 for c in top))
    g.add_color_stop_rgb(1, *(c / 255.0 for c in bottom))
    return g


def new_surface(fmt, w, h):
    """A surface of w x h skin pixels at the current pixel scale."""
    surface = cairo.ImageSurface(fmt, w * pixel_scale, h * pixel_scale)
    surface.set_device_scale(pixel_scale, pixel_scale)
    return surface


def new_context(surface):
    ctx = cairo.Context(surface)
    options = cairo.FontOptions()
    options.set_antialias(cairo.ANTIALIAS_GRAY)
    options.set_hint_style(cairo.HINT_STYLE_FULL)
    options.set_hint_metrics(cairo.HINT_METRICS_ON)
    ctx.set_font_options(options)
    return ctx


def set_font(ctx, size, bold=False):
    weight = cairo.FONT_WEIGHT_BOLD if bold else cairo.FONT_WEIGHT_NORMAL
    ctx.select_font_face(FONT, cairo.FONT_SLANT_NORMAL, weight)
    ctx.set_font_size(size)


def text_width(ctx, text, spacing):
    return sum(ctx.text_extents(ch).x_advance for ch in text) + spacing * (len(text) - 1)


def draw_text(ctx, text, x, baseline, size, colour, bold=False, align="centre",
              spacing=0, shadow=None):
    """Draws text on a whole-pixel origin so hinted glyphs stay sharp.

    shadow: (colour, alpha) of a one-pixel engraving below the text.
    """
    set_font(ctx, size, bold)
    w = text_width(ctx, text, spacing)
    if align == "centre":
        x0 = round(x - w / 2.0)
    elif align == "right":
        x0 = round(x - w)
    else:
        x0 = round(x)
    passes = []
    if shadow:
        passes.append((0, 1, shadow[0], shadow[1]))
    passes.append((0, 0, colour, 1.0))
    for dx, dy, col, alpha in passes:
        source(ctx, col, alpha)
        pen = x0 + dx
        for ch in text:
            ctx.move_to(pen, baseline + dy)
            ctx.show_text(ch)
            pen += ctx.text_extents(ch).x_advance + spacing
    return x0, x0 + w


def rounded_rect(ctx, x0, y0, x1, y1, r):
    ctx.new_sub_path()
    ctx.arc(x1 - r, y0 + r, r, -math.pi / 2, 0)
    ctx.arc(x1 - r, y1 - r, r, 0, math.pi / 2)
    ctx.arc(x0 + r, y1 - r, r, math.pi / 2, math.pi)
    ctx.arc(x0 + r, y0 + r, r, math.pi, 1.5 * math.pi)
    ctx.close_path()


def hline(ctx, x0, x1, y, colour, alpha=1.0):
    """One-pixel horizontal line covering pixel row y from x0 to x1 - 1."""
    source(ctx, colour, alpha)
    ctx.rectangle(x0, y, x1 - x0, 1)
    ctx.fill()


def vline(ctx, x, y0, y1, colour, alpha=1.0):
    source(ctx, colour, alpha)
    ctx.rectangle(x, y0, 1, y1 - y0)
    ctx.fill()


def fill_rect(ctx, x0, y0, x1, y1, paint, alpha=1.0):
    if isinstance(paint, tuple):
        source(ctx, paint, alpha)
    else:
        ctx.set_source(paint)
    ctx.rectangle(x0, y0, x1 - x0, y1 - y0)
    ctx.fill()


def frame_rect(ctx, x0, y0, x1, y1, colour, alpha=1.0):
    """One-pixel outline on the outermost pixels of the rectangle."""
    hline(ctx, x0, x1, y0, colour, alpha)
    hline(ctx, x0, x1, y1 - 1, colour, alpha)
    vline(ctx, x0, y0 + 1, y1 - 1, colour, alpha)
    vline(ctx, x1 - 1, y0 + 1, y1 - 1, colour, alpha)


def add_grain(surface, amount, seed):
    """Adds a faint fixed noise so large flat areas do not look plastic."""
    surface.flush()
    data = surface.get_data()
    stride = surface.get_stride()
    rnd = random.Random(seed)
    for y in range(surface.get_height()):
        row = y * stride
        for x in range(surface.get_width()):
            d = rnd.randint(-amount, amount)
            i = row + 4 * x
            for c in range(3):
                v = data[i + c] + d
                data[i + c] = 0 if v < 0 else 255 if v > 255 else v
    surface.mark_dirty()


def knob_angle(value):
    """Angle in radians (cairo's y-down frame) of a knob at a normalised value."""
    deg = KNOB_START_DEG + KNOB_RANGE_DEG * value
    return -math.radians(deg)


# -------------------------------------------------------------- background

def draw_panel(ctx):
    w, h = EDITOR_SIZE
    fill_rect(ctx, 0, 0, w, h, vertical_gradient(0, 210, PANEL_TOP, PANEL_BOTTOM))


def draw_panel_edges(ctx):
    w, h = EDITOR_SIZE
    frame_rect(ctx, 0, 0, w, h, EDGE_DARK)
    hline(ctx, 1, w - 1, 1, EDGE_LIGHT, 0.8)
    vline(ctx, 1, 2, 209, EDGE_LIGHT, 0.5)
    vline(ctx, w - 2, 2, 209, EDGE_DARK, 0.5)
    # two screws make it read as a physical front plate
    for sx, sy in ((10, 10), (w - 11, 10)):
        draw_screw(ctx, sx + 0.5, sy + 0.5)


def draw_screw(ctx, x, y):
    g = cairo.RadialGradient(x - 1.2, y - 1.2, 0.5, x, y, 4)
    g.add_color_stop_rgb(0, 0.80, 0.83, 0.86)
    g.add_color_stop_rgb(1, 0.36, 0.40, 0.45)
    source(ctx, EDGE_DARK, 0.7)
    ctx.arc(x, y + 0.5, 4, 0, 2 * math.pi)
    ctx.fill()
    ctx.set_source(g)
    ctx.arc(x, y, 3.5, 0, 2 * math.pi)
    ctx.fill()
    source(ctx, (40, 44, 50), 0.9)
    ctx.set_line_width(1.0)
    ctx.move_to(x - 2.2, y + 2.2)
    ctx.line_to(x + 2.2, y - 2.2)
    ctx.stroke()


def draw_name_plate(ctx):
    """The about band: a recessed plate carrying the product name."""
    x0, y0, x1, y1 = 50, 10, 280, 47
    rounded_rect(ctx, x0, y0, x1, y1, 4)
    ctx.set_source(vertical_gradient(y0, y1, (24, 28, 34), (34, 40, 48)))
    ctx.fill()
    # inner shadow at the top, catch light at the bottom edge
    rounded_rect(ctx, x0 + 0.5, y0 + 0.5, x1 - 0.5, y1 - 0.5, 3.5)
    source(ctx, EDGE_DARK, 0.9)
    ctx.set_line_width(1)
    ctx.stroke()
    hline(ctx, x0 + 4, x1 - 4, y1, EDGE_LIGHT, 0.55)
    hline(ctx, x0 + 3, x1 - 3, y0 + 1, (0, 0, 0), 0.35)

    cx = (x0 + x1) / 2.0
    set_font(ctx, 19, True)
    zem_w = text_width(ctx, "ZEM", 0)
    set_font(ctx, 19, False)
    gap = 6
    name_w = text_width(ctx, "Lyrebloom", 0)
    left = round(cx - (zem_w + gap + name_w) / 2.0)
    draw_text(ctx, "ZEM", left, 31, 19, ACCENT, bold=True, align="left",
              shadow=((0, 0, 0), 0.6))
    draw_text(ctx, "Lyrebloom", left + zem_w + gap, 31, 19, (236, 240, 244),
              align="left", shadow=((0, 0, 0), 0.6))
    draw_text(ctx, "STRING REZONATOR", cx, 42, 7, CAPTION, bold=True, spacing=2)
    draw_strings_emblem(ctx, 62, 18, 1)
    draw_strings_emblem(ctx, 267, 18, -1)


def draw_strings_emblem(ctx, x, top, direction):
    """Six strings of a lyre, shortest at the outside; two make the twelve."""
    for i in range(6):
        sx = x + direction * 3 * i
        length = 10 + 3 * i
        y0 = top + (18 - length) // 2 + 4
        vline(ctx, sx, y0, y0 + length, SCALE, 0.75 if i % 2 else 0.95)
        source(ctx, ACCENT, 0.9)
        ctx.rectangle(sx, y0 - 2, 1, 1)
        ctx.fill()


def draw_section_grooves(ctx):
    """Engraved frame around the knob area, one line dark and one light."""
    x0, y0, x1, y1 = 8, 52, 312, 208
    rounded_rect(ctx, x0 + 0.5, y0 + 0.5, x1 - 0.5, y1 - 0.5, 6)
    source(ctx, EDGE_DARK, 0.55)
    ctx.set_line_width(1)
    ctx.stroke()
    rounded_rect(ctx, x0 + 1.5, y0 + 1.5, x1 + 0.5, y1 + 0.5, 6)
    source(ctx, EDGE_LIGHT, 0.25)
    ctx.stroke()


def draw_knob_body(ctx, rect, large):
    cx, cy = centre(rect)
    r = width(rect) / 2.0
    cap_r = 15.5 if large else 5.5

    # soft drop shadow, mostly outside the knob's rectangle
    g = cairo.RadialGradient(cx, cy + 1.5, r - 2, cx, cy + 1.5, r + 2.5)
    g.add_color_stop_rgba(0, 0, 0, 0, 0.6)
    g.add_color_stop_rgba(1, 0, 0, 0, 0)
    ctx.set_source(g)
    ctx.arc(cx, cy + 1.5, r + 2.5, 0, 2 * math.pi)
    ctx.fill()

    # skirt: dark, lit from above
    ctx.arc(cx, cy, r - 0.5, 0, 2 * math.pi)
    ctx.set_source(vertical_gradient(cy - r, cy + r, (78, 86, 96), (20, 23, 28)))
    ctx.fill()
    ctx.arc(cx, cy, r - 1.0, 0, 2 * math.pi)
    ctx.set_source(vertical_gradient(cy - r, cy + r, (130, 140, 152), (30, 34, 40)))
    ctx.set_line_width(1)
    ctx.stroke()
    # grip grooves on the skirt
    grooves = 40 if large else 24
    ctx.set_line_width(0.8)
    for i in range(grooves):
        a = 2 * math.pi * i / grooves
        ctx.move_to(cx + math.cos(a) * (cap_r + 1.5), cy + math.sin(a) * (cap_r + 1.5))
        ctx.line_to(cx + math.cos(a) * (r - 1.5), cy + math.sin(a) * (r - 1.5))
    source(ctx, (0, 0, 0), 0.22)
    ctx.stroke()

    # cap: brushed metal, highlight towards the upper left
    ctx.arc(cx, cy, cap_r + 1.0, 0, 2 * math.pi)
    source(ctx, (8, 10, 12), 0.75)
    ctx.fill()
    g = cairo.RadialGradient(cx - cap_r * 0.4, cy - cap_r * 0.5, 0.5, cx, cy, cap_r * 1.25)
    g.add_color_stop_rgb(0, 0.88, 0.90, 0.92)
    g.add_color_stop_rgb(0.55, 0.68, 0.71, 0.75)
    g.add_color_stop_rgb(1, 0.45, 0.49, 0.54)
    ctx.set_source(g)
    ctx.arc(cx, cy, cap_r, 0, 2 * math.pi)
    ctx.fill()
    ctx.set_line_width(0.6)
    for k in range(2, int(cap_r), 2):
        ctx.arc(cx, cy, k, 0, 2 * math.pi)
        source(ctx, (255, 255, 255), 0.06)
        ctx.stroke()


def draw_knob_scale(ctx, rect, large, ticks, majors):
    cx, cy = centre(rect)
    r = width(rect) / 2.0
    inner = r + (2.0 if large else 2.0)
    outer = r + (4.5 if large else 4.0)
    longer = r + (5.5 if large else 5.0)
    ctx.set_line_cap(cairo.LINE_CAP_BUTT)
    for i in range(ticks):
        v = i / (ticks - 1)
        a = knob_angle(v)
        major = i in majors
        end = longer if major else outer
        ctx.move_to(cx + math.cos(a) * inner, cy + math.sin(a) * inner)
        ctx.line_to(cx + math.cos(a) * end, cy + math.sin(a) * end)
        ctx.set_line_width(1.3 if major else 1.0)
        source(ctx, SCALE_MAJOR if major else SCALE, 1.0 if major else 0.85)
        ctx.stroke()


def draw_display_window(ctx, rect):
    x0, y0, x1, y1 = rect
    fill_rect(ctx, x0, y0, x1, y1, WINDOW)
    # a little depth: darker top rows inside, catch light below the window
    hline(ctx, x0 + 1, x1 - 1, y0 + 1, (150, 168, 182))
    hline(ctx, x0 + 1, x1 - 1, y0 + 2, (176, 195, 207))
    frame_rect(ctx, x0, y0, x1, y1, WINDOW_EDGE)
    hline(ctx, x0 + 1, x1 - 1, y1, EDGE_LIGHT, 0.6)


def draw_knobs(ctx):
    for name, _tag, knob, display, large in KNOBS:
        cx, cy = centre(knob)
        r = width(knob) / 2.0
        if name == "Transpose":
            ticks, majors = 9, {0, 2, 4, 6, 8}          # every 6 semitones, octaves long
        else:
            ticks, majors = 11, {0, 5, 10}
        draw_knob_scale(ctx, knob, large, ticks, majors)
        draw_knob_body(ctx, knob, large)
        label_baseline = round(cy - r - (9 if large else 8))
        draw_text(ctx, name, cx, label_baseline, 10 if large else 9, LABEL, bold=True,
                  shadow=((0, 0, 0), 0.55))
        draw_display_window(ctx, display)


def draw_bypass_well(ctx):
    """A recess around the bypass switch and its LED."""
    x0, y0, x1, y1 = BYPASS_RECT
    rounded_rect(ctx, x0 - 2.5, y0 - 2.5, x1 + 2.5, y1 + 2.5, 4)
    source(ctx, (0, 0, 0), 0.35)
    ctx.fill()
    hline(ctx, x0, x1, y1 + 3, EDGE_LIGHT, 0.45)
    lcx, lcy = centre(LED_RECT)
    ctx.arc(lcx, lcy, 6.5, 0, 2 * math.pi)
    source(ctx, (0, 0, 0), 0.45)
    ctx.fill()
    ctx.arc(lcx, lcy + 0.5, 6.5, 0.1 * math.pi, 0.9 * math.pi)
    source(ctx, EDGE_LIGHT, 0.5)
    ctx.set_line_width(1)
    ctx.stroke()


def draw_preset_bar(ctx):
    w, h = EDITOR_SIZE
    top = 212
    fill_rect(ctx, 1, top, w - 1, h - 1, vertical_gradient(top, h, BAR_TOP, BAR_BOTTOM))
    hline(ctx, 1, w - 1, top - 1, EDGE_DARK)
    hline(ctx, 1, w - 1, top, (78, 88, 100), 0.7)
    frame_rect(ctx, 0, 0, w, h, EDGE_DARK)

    caption_base = 222
    shadow = ((0, 0, 0), 0.6)
    for text, rid in (("SAVE", 19999), ("DEFAULT", 19899), ("LOAD", 19998),
                      ("STO", 19995), ("RCL", 19991)):
        cx, _ = centre(PRESET_STRIPS[rid][0])
        draw_text(ctx, text, cx, caption_base, 7, CAPTION, bold=True, shadow=shadow)
    field_mid = (NAME_FIELD_RECT[0] + PROGRAM_MENU_RECT[2]) / 2.0
    draw_text(ctx, "PROGRAM", field_mid, caption_base, 7, CAPTION, bold=True, shadow=shadow)
    # memory letters between the store and recall columns
    for letter, rid in (("A", 19995), ("B", 19996)):
        rect = PRESET_STRIPS[rid][0]
        mid_x = (rect[2] + PRESET_STRIPS[19991 if letter == "A" else 19992][0][0]) / 2.0
        draw_text(ctx, letter, mid_x, rect[1] + 10, 9, LABEL, bold=True, shadow=shadow)

    # name field: same colours as the text field draws itself
    x0, y0, x1, y1 = NAME_FIELD_RECT
    fill_rect(ctx, x0, y0, x1, y1, NAME_FIELD_BACK)
    frame_rect(ctx, x0, y0, x1, y1, NAME_FIELD_INK)
    hline(ctx, x0 + 1, x1 - 1, y0 + 1, (160, 178, 190))
    hline(ctx, x0, x1, y1, EDGE_LIGHT, 0.5)

    # the program menu draws nothing: show a drop-down button under its area
    mx0, _, mx1, _ = PROGRAM_MENU_RECT
    draw_button_face(ctx, mx0, y0, mx1, y1, "normal")
    tri_cx = (mx0 + mx1) / 2.0
    tri_y = (y0 + y1) // 2 - 1
    source(ctx, INK_ON_DARK)
    ctx.move_to(tri_cx - 3, tri_y)
    ctx.line_to(tri_cx + 3, tri_y)
    ctx.line_to(tri_cx, tri_y + 3)
    ctx.close_path()
    ctx.fill()


def make_background():
    w, h = EDITOR_SIZE
    surface = new_surface(cairo.FORMAT_RGB24, w, h)
    ctx = new_context(surface)
    draw_panel(ctx)
    add_grain(surface, 2, 1128)
    draw_panel_edges(ctx)
    draw_name_plate(ctx)
    draw_section_grooves(ctx)
    draw_bypass_well(ctx)  # before the displays, which sit right against it
    draw_knobs(ctx)
    draw_preset_bar(ctx)
    return surface


# ------------------------------------------------------------------ strips

def draw_button_face(ctx, x0, y0, x1, y1, state, radius=2.0):
    """A small hardware-style button; state is normal, hover or pressed."""
    if state == "pressed":
        top, bottom, rim = (26, 30, 36), (44, 50, 58), (8, 10, 12)
    elif state == "hover":
        top, bottom, rim = (112, 124, 138), (74, 84, 96), (12, 14, 17)
    else:
        top, bottom, rim = (90, 100, 112), (56, 64, 74), (12, 14, 17)
    rounded_rect(ctx, x0, y0, x1, y1, radius)
    source(ctx, rim)
    ctx.fill()
    rounded_rect(ctx, x0 + 1, y0 + 1, x1 - 1, y1 - 1, max(radius - 1, 0.5))
    ctx.set_source(vertical_gradient(y0 + 1, y1 - 1, top, bottom))
    ctx.fill()
    if state == "pressed":
        hline(ctx, x0 + 1, x1 - 1, y0 + 1, (0, 0, 0), 0.5)
    else:
        hline(ctx, x0 + 2, x1 - 2, y0 + 1, (255, 255, 255), 0.28)


def glyph_colour(state):
    return {"normal": INK_ON_DARK, "hover": (255, 255, 255), "pressed": ACCENT}[state]


def draw_floppy(ctx, x, y, colour):
    """8 x 8 disk: body, shutter notch and label window."""
    fill_rect(ctx, x, y, x + 7, y + 8, colour)
    fill_rect(ctx, x + 7, y + 1, x + 8, y + 8, colour)
    fill_rect(ctx, x + 2, y, x + 5, y + 3, (40, 46, 54))
    fill_rect(ctx, x + 3, y + 1, x + 4, y + 2, colour)
    fill_rect(ctx, x + 1, y + 5, x + 7, y + 8, (40, 46, 54))
    fill_rect(ctx, x + 2, y + 6, x + 6, y + 7, colour, 0.6)


def draw_folder(ctx, x, y, colour):
    """9 x 7 open folder."""
    fill_rect(ctx, x, y, x + 4, y + 1, colour)
    fill_rect(ctx, x, y + 1, x + 9, y + 7, colour)
    fill_rect(ctx, x + 1, y + 3, x + 8, y + 6, (40, 46, 54))
    fill_rect(ctx, x + 1, y + 2, x + 8, y + 3, colour, 0.5)


def draw_record_dot(ctx, cx, cy, colour):
    ctx.arc(cx, cy, 2.5, 0, 2 * math.pi)
    source(ctx, colour)
    ctx.fill()


def draw_play_triangle(ctx, x, y, colour):
    """Right-pointing triangle in a 4 x 7 box, built from whole pixels."""
    for i, (a, b) in enumerate(((0, 7), (1, 6), (2, 5), (3, 4))):
        fill_rect(ctx, x + i, y + a, x + i + 1, y + b, colour)


def draw_side_triangle(ctx, x, y, colour, pointing_left):
    for i in range(4):
        col = x + (3 - i if pointing_left else i)
        fill_rect(ctx, col, y + i, col + 1, y + 7 - i, colour)


def square_button(kind):
    """Draws one image of a 12-wide square button into a frame of height fh."""
    def draw(ctx, state, w, fh, visible_h):
        size = 12
        top = 1 if visible_h >= 14 else 0
        draw_button_face(ctx, 0, top, w, top + size, state)
        dy = 1 if state == "pressed" else 0
        col = glyph_colour(state)
        gx, gy = 2, top + 2 + dy
        if kind == "save":
            draw_floppy(ctx, gx, gy, col)
        elif kind == "load":
            draw_folder(ctx, gx, gy + 1, col)
        elif kind == "store":
            draw_record_dot(ctx, w / 2.0, top + size / 2.0 + dy, col)
        else:
            draw_play_triangle(ctx, 4, top + 3 + dy, col)
    return draw


def label_button(text):
    def draw(ctx, state, w, fh, visible_h):
        # only 10 pixels high: the legend stays put and changes colour instead
        draw_button_face(ctx, 0, 0, w, fh, state, radius=2.0)
        draw_text(ctx, text, w / 2.0, 8, 7, glyph_colour(state), bold=True, spacing=1)
    return draw


def draw_rocker(ctx, image, w, fh, visible_h):
    """Images: normal, hover left, hover right, pressed left, pressed right."""
    left_state = {1: "hover", 3: "pressed"}.get(image, "normal")
    right_state = {2: "hover", 4: "pressed"}.get(image, "normal")
    mid = w // 2  # pixel column 15 is the divider; x >= 15.5 is the right half
    for x0, x1, state in ((0, mid + 1, left_state), (mid, w, right_state)):
        ctx.save()
        ctx.rectangle(x0, 0, x1 - x0, fh)
        ctx.clip()
        draw_button_face(ctx, 0, 0, w, fh, state, radius=3.0)
        ctx.restore()
    vline(ctx, mid, 1, fh - 1, (8, 10, 12))
    ldy = 1 if left_state == "pressed" else 0
    rdy = 1 if right_state == "pressed" else 0
    draw_side_triangle(ctx, 6, 3 + ldy, glyph_colour(left_state), True)
    draw_side_triangle(ctx, w - 10, 3 + rdy, glyph_colour(right_state), False)


STRIP_DRAWERS = {
    "rocker": lambda: draw_rocker,
    "load_bank": lambda: square_button("load"),
    "load_preset": lambda: square_button("load"),
    "save_bank": lambda: square_button("save"),
    "save_preset": lambda: square_button("save"),
    "default_bank": lambda: label_button("BANK"),
    "default_preset": lambda: label_button("PRESET"),
    "store_a": lambda: square_button("store"),
    "store_b": lambda: square_button("store"),
    "recall_a": lambda: square_button("recall"),
    "recall_b": lambda: square_button("recall"),
}

KICK_STATES = ("normal", "hover", "pressed")


def make_strip(background, rect, count, frame_h, draw_image):
    """Stacks `count` images of the control, each on the background under it."""
    w = width(rect)
    surface = new_surface(cairo.FORMAT_RGB24, w, frame_h * count)
    ctx = new_context(surface)
    for k in range(count):
        ctx.save()
        ctx.rectangle(0, k * frame_h, w, frame_h)
        ctx.clip()
        ctx.set_source_surface(background, -rect[0], k * frame_h - rect[1])
        ctx.paint()
        ctx.translate(0, k * frame_h)
        draw_image(ctx, k, w, frame_h)
        ctx.restore()
    return surface


def make_preset_strips(background):
    strips = {}
    for rid, (rect, count, frame_h, role) in PRESET_STRIPS.items():
        drawer = STRIP_DRAWERS[role]()
        visible_h = height(rect)
        if role == "rocker":
            image = (lambda d: lambda ctx, k, w, fh: d(ctx, k, w, fh, visible_h))(drawer)
        else:
            image = (lambda d, vh: lambda ctx, k, w, fh: d(ctx, KICK_STATES[k], w, fh, vh))(
                drawer, visible_h)
        strips[rid] = make_strip(background, rect, count, frame_h, image)
    return strips


def draw_bypass_image(ctx, on, w, h):
    draw_button_face(ctx, 0, 0, w, h, "pressed" if on else "normal", radius=3.0)
    dy = 1 if on else 0
    if on:
        # lit strip under the legend
        fill_rect(ctx, 10, 20 + dy, w - 10, 22 + dy, ACCENT, 0.9)
    else:
        fill_rect(ctx, 10, 20, w - 10, 22, ACCENT_DARK, 0.8)
    draw_text(ctx, "BYPASS", w / 2.0, 15 + dy, 9, ACCENT if on else INK_ON_DARK, bold=True,
              spacing=1, shadow=None if on else ((0, 0, 0), 0.5))


def make_bypass(background):
    rect = BYPASS_RECT
    return make_strip(background, rect, 2, height(rect),
                      lambda ctx, k, w, fh: draw_bypass_image(ctx, k == 1, w, fh))


def draw_led_image(ctx, on, w, h):
    cx, cy = w / 2.0, h / 2.0
    ctx.arc(cx, cy, 4.5, 0, 2 * math.pi)
    source(ctx, (6, 7, 9))
    ctx.fill()
    g = cairo.RadialGradient(cx - 1.2, cy - 1.4, 0.3, cx, cy, 4)
    if on:
        g.add_color_stop_rgb(0, 1.0, 0.96, 0.82)
        g.add_color_stop_rgb(0.45, 1.0, 0.70, 0.28)
        g.add_color_stop_rgb(1, 0.85, 0.42, 0.10)
    else:
        g.add_color_stop_rgb(0, 0.52, 0.36, 0.22)
        g.add_color_stop_rgb(0.5, 0.30, 0.18, 0.09)
        g.add_color_stop_rgb(1, 0.18, 0.10, 0.05)
    ctx.set_source(g)
    ctx.arc(cx, cy, 3.6, 0, 2 * math.pi)
    ctx.fill()


def make_led(background):
    rect = LED_RECT
    return make_strip(background, rect, 2, height(rect),
                      lambda ctx, k, w, fh: draw_led_image(ctx, k == 1, w, fh))


# ----------------------------------------------------------------- handles

def make_handle(size, dot_radius):
    """Transparent square with an accent dot centred in it."""
    surface = new_surface(cairo.FORMAT_ARGB32, size, size)
    ctx = new_context(surface)
    c = size / 2.0
    ctx.arc(c, c, dot_radius + 1.0, 0, 2 * math.pi)
    source(ctx, (0, 0, 0), 0.55)
    ctx.fill()
    g = cairo.RadialGradient(c - dot_radius * 0.4, c - dot_radius * 0.5, 0.2, c, c, dot_radius)
    g.add_color_stop_rgb(0, 1.0, 0.86, 0.60)
    g.add_color_stop_rgb(1, ACCENT[0] / 255.0, ACCENT[1] / 255.0, ACCENT[2] / 255.0)
    ctx.set_source(g)
    ctx.arc(c, c, dot_radius, 0, 2 * math.pi)
    ctx.fill()
    return surface


# ------------------------------------------------------------------- about

def make_about():
    w, h = ABOUT_SIZE
    surface = new_surface(cairo.FORMAT_RGB24, w, h)
    ctx = new_context(surface)
    header = 58
    fill_rect(ctx, 0, 0, w, header, vertical_gradient(0, header, (50, 59, 70), (30, 36, 44)))
    fill_rect(ctx, 0, header, w, h, ABOUT_PAPER)
    hline(ctx, 0, w, header, ACCENT)
    hline(ctx, 0, w, header + 1, (0, 0, 0), 0.25)

    set_font(ctx, 24, True)
    zem_w = text_width(ctx, "ZEM", 0)
    set_font(ctx, 24, False)
    name_w = text_width(ctx, "Lyrebloom", 0)
    gap = 7
    left = round((w - (zem_w + gap + name_w)) / 2.0)
    draw_text(ctx, "ZEM", left, 33, 24, ACCENT, bold=True, align="left",
              shadow=((0, 0, 0), 0.6))
    draw_text(ctx, "Lyrebloom", left + zem_w + gap, 33, 24, (240, 243, 246), align="left",
              shadow=((0, 0, 0), 0.6))
    draw_text(ctx, "STRING REZONATOR PLUG-IN", w / 2.0, 48, 8, CAPTION, bold=True, spacing=1)

    draw_lyre(ctx, 20, 68)

    # version: the editor prints the number into the box; keep it plain
    vx0, vy0, vx1, vy1 = VERSION_BOX
    draw_text(ctx, "Version", vx0 - 5, 91, 9, ABOUT_INK, align="right")
    fill_rect(ctx, vx0, vy0, min(vx1, w), vy1, ABOUT_PAPER)

    lines = ("Twelve tuned strings", "ring on with your sound,", "one semitone apart.")
    for i, line in enumerate(lines):
        draw_text(ctx, line, 124, 118 + 13 * i, 10, ABOUT_INK, align="left")
    hline(ctx, 124, w - 14, 160, (150, 162, 174))
    draw_text(ctx, "VST 2.4 audio effect", 124, 176, 9, (96, 106, 118), align="left")

    draw_text(ctx, "Click anywhere to close", w / 2.0, h - 9, 8, (110, 120, 132))
    # edge only around the dark header: the light paper stands out on its own,
    # and an edge there would run through the version box
    hline(ctx, 0, w, 0, EDGE_DARK)
    vline(ctx, 0, 1, header, EDGE_DARK)
    vline(ctx, w - 1, 1, header, EDGE_DARK)
    return surface


def draw_lyre(ctx, x, y):
    """Twelve strings between two horned arms: the picture the name comes from."""
    cx = x + 44.5
    base_y = y + 106
    yoke_y = y + 26
    arm = vertical_gradient(y, base_y, (96, 106, 118), (44, 52, 62))
    ctx.set_line_cap(cairo.LINE_CAP_ROUND)
    ctx.set_line_join(cairo.LINE_JOIN_ROUND)
    for side in (-1, 1):
        ctx.move_to(cx + side * 16, base_y)
        ctx.curve_to(cx + side * 46, base_y - 6, cx + side * 44, y + 60, cx + side * 30, yoke_y + 6)
        ctx.curve_to(cx + side * 22, yoke_y - 4, cx + side * 30, y + 6, cx + side * 40, y + 4)
        ctx.set_source(arm)
        ctx.set_line_width(4)
        ctx.stroke()
    # yoke across the arms and a sound box at the foot
    fill_rect(ctx, x + 14, yoke_y, x + 76, yoke_y + 3, arm)
    rounded_rect(ctx, cx - 22, base_y - 4, cx + 22, base_y + 4, 3)
    ctx.set_source(arm)
    ctx.fill()
    for i in range(12):
        sx = x + 28 + 3 * i
        vline(ctx, sx, yoke_y + 3, base_y - 4, (70, 80, 92), 0.9)
        source(ctx, ACCENT)
        ctx.rectangle(sx, yoke_y + 4 + (i % 2), 1, 2)
        ctx.fill()
    # a small bloom on the yoke
    bx, by = cx, yoke_y - 7
    for k in range(6):
        a = k * math.pi / 3 + math.pi / 6
        ctx.arc(bx + math.cos(a) * 3.2, by + math.sin(a) * 3.2, 2.6, 0, 2 * math.pi)
        source(ctx, ACCENT, 0.85)
        ctx.fill()
    ctx.arc(bx, by, 2.2, 0, 2 * math.pi)
    source(ctx, (255, 240, 210))
    ctx.fill()


# -------------------------------------------------------------------- main

def write(surface, out_dir, rid):
    surface.write_to_png(os.path.join(out_dir, f"{rid}.png"))


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    out_dir = argv[1] if len(argv) > 1 else os.path.join(here, "..", "resources")
    os.makedirs(out_dir, exist_ok=True)

    global pixel_scale
    for pixel_scale, offset in ((1, 0), (2, DOUBLE_SIZE_OFFSET)):
        background = make_background()
        write(background, out_dir, BACKGROUND_ID + offset)
        write(make_handle(LARGE_HANDLE_SIZE, 2.6), out_dir, LARGE_HANDLE_ID + offset)
        write(make_handle(SMALL_HANDLE_SIZE, 1.8), out_dir, SMALL_HANDLE_ID + offset)
        write(make_led(background), out_dir, LED_ID + offset)
        write(make_bypass(background), out_dir, BYPASS_ID + offset)
        write(make_about(), out_dir, ABOUT_ID + offset)
        for rid, strip in make_preset_strips(background).items():
            write(strip, out_dir, rid + offset)

    problems = check_artwork.check(out_dir)
    for p in problems:
        print("make_artwork:", p, file=sys.stderr)
    if problems:
        return 1
    print(f"make_artwork: wrote {2 * len(check_artwork.EXPECTED)} bitmaps to {os.path.normpath(out_dir)}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
