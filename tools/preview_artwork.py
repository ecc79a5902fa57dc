#!/usr/bin/python3
"""Puts the generated bitmaps together the way the editor shows them.

Writes previews outside the repository (default /tmp/lyrebloom-preview):
  editor.png        resting state with sample values
  editor_states.png bypass on, hovered and pressed preset buttons
  editor_about.png  the about screen over the editor
  strips.png        every strip, enlarged, with its images side by side
and a 3x enlarged copy of each editor view for close inspection.
Run: python3 tools/preview_artwork.py [resources-dir] [preview-dir]
"""
import math
import os
import sys

import cairo

sys.dont_write_bytecode = True  # keep tools/ free of __pycache__
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from make_artwork import new_context  # noqa: E402
from skin_layout import (  # noqa: E402
    ABOUT_ID, ABOUT_ORIGIN, BACKGROUND_ID, BYPASS_ID, BYPASS_RECT, EDITOR_SIZE,
    KNOB_INSET, KNOB_RANGE_DEG, KNOB_START_DEG, KNOBS, LARGE_HANDLE_ID, LED_ID,
    LED_RECT, NAME_FIELD_INK, NAME_FIELD_RECT, PRESET_STRIPS, SMALL_HANDLE_ID,
    VERSION_BOX, VERSION_TEXT, centre, height, width)

SAMPLE = {  # name: (knob value, display text)
    "Decay": (0.62, "62%"), "Damp": (0.35, "35%"), "Transpose": (0.5, "0"),
    "Tune": (0.0, "-100c"), "Detune": (1.0, "100%"), "Mix": (0.25, "25%"),
    "Output": (0.5, "0.0dB"),
}


def load(res, rid):
    return cairo.ImageSurface.create_from_png(os.path.join(res, f"{rid}.png"))


def blit(ctx, surface, src_x, src_y, rect):
    ctx.save()
    ctx.rectangle(rect[0], rect[1], width(rect), height(rect))
    ctx.clip()
    ctx.set_source_surface(surface, rect[0] - src_x, rect[1] - src_y)
    ctx.paint()
    ctx.restore()


def text_in_box(ctx, text, rect, size, colour, align="centre"):
    ctx.select_font_face("Liberation Sans")
    ctx.set_font_size(size)
    ascent, descent = ctx.font_extents()[:2]
    adv = ctx.text_extents(text).x_advance
    x = rect[0] + (width(rect) - adv) / 2.0 if align == "centre" else rect[0]
    base = rect[1] + (height(rect) + ascent - descent) / 2.0
    ctx.set_source_rgb(*(c / 255.0 for c in colour))
    ctx.move_to(round(x), round(base))
    ctx.show_text(text)


def handle_position(rect, value):
    cx, cy = centre(rect)
    r = width(rect) / 2.0 - KNOB_INSET
    a = math.radians(KNOB_START_DEG + KNOB_RANGE_DEG * value)
    return cx + math.cos(a) * r, cy - math.sin(a) * r


def compose(res, bypass_on=False, states=None, about=False, values=None):
    w, h = EDITOR_SIZE
    out = cairo.ImageSurface(cairo.FORMAT_RGB24, w, h)
    ctx = new_context(out)
    ctx.set_source_surface(load(res, BACKGROUND_ID), 0, 0)
    ctx.paint()
    handles = {True: load(res, LARGE_HANDLE_ID), False: load(res, SMALL_HANDLE_ID)}
    for name, _tag, knob, display, large in KNOBS:
        value, text = (values or SAMPLE)[name]
        hx, hy = handle_position(knob, value)
        hs = handles[large]
        ctx.set_source_surface(hs, round(hx - hs.get_width() / 2.0),
                               round(hy - hs.get_height() / 2.0))
        ctx.paint()
        text_in_box(ctx, text, display, 9, (0, 0, 0))
    switch = load(res, BYPASS_ID)
    blit(ctx, switch, 0, height(BYPASS_RECT) * (1 if bypass_on else 0), BYPASS_RECT)
    led = load(res, LED_ID)
    blit(ctx, led, 0, height(LED_RECT) * (1 if bypass_on else 0), LED_RECT)
    text_in_box(ctx, "Default", NAME_FIELD_RECT, 11, NAME_FIELD_INK)
    for rid, (rect, _count, frame_h, _role) in PRESET_STRIPS.items():
        k = (states or {}).get(rid, 0)
        blit(ctx, load(res, rid), 0, k * frame_h, rect)
    if about:
        pic = load(res, ABOUT_ID)
        ox, oy = ABOUT_ORIGIN
        ctx.set_source_surface(pic, ox, oy)
        ctx.paint()
        vb = VERSION_BOX
        ctx.save()
        ctx.rectangle(ox, oy, pic.get_width(), pic.get_height())
        ctx.clip()
        text_in_box(ctx, VERSION_TEXT, (ox + vb[0], oy + vb[1], ox + vb[2], oy + vb[3]),
                    9, (0, 0, 0), align="left")
        ctx.restore()
    return out


def enlarged(surface, factor):
    w, h = surface.get_width(), surface.get_height()
    out = cairo.ImageSurface(cairo.FORMAT_RGB24, w * factor, h * factor)
    ctx = cairo.Context(out)
    ctx.scale(factor, factor)
    ctx.set_source_surface(surface, 0, 0)
    ctx.get_source().set_filter(cairo.FILTER_NEAREST)
    ctx.paint()
    return out


def strip_sheet(res, factor=6):
    ids = [BYPASS_ID, LED_ID, LARGE_HANDLE_ID, SMALL_HANDLE_ID] + sorted(PRESET_STRIPS)
    images = []
    for rid in ids:
        s = load(res, rid)
        if rid in PRESET_STRIPS:
            n, fh = PRESET_STRIPS[rid][1], PRESET_STRIPS[rid][2]
        elif rid in (BYPASS_ID, LED_ID):
            n, fh = 2, s.get_height() // 2
        else:
            n, fh = 1, s.get_height()
        images.append((s, n, fh))
    pad = 4
    sheet_w = max(s.get_width() * n + pad * (n - 1) for s, n, fh in images) * factor + 2 * pad
    sheet_h = sum(fh * factor + pad for s, n, fh in images) + pad
    out = cairo.ImageSurface(cairo.FORMAT_RGB24, sheet_w, sheet_h)
    ctx = cairo.Context(out)
    ctx.set_source_rgb(0.5, 0.5, 0.5)
    ctx.paint()
    y = pad
    for s, n, fh in images:
        for k in range(n):
            x = pad + k * (s.get_width() * factor + pad)
            ctx.save()
            ctx.translate(x, y)
            ctx.scale(factor, factor)
            ctx.rectangle(0, 0, s.get_width(), fh)
            ctx.clip()
            ctx.set_source_surface(s, 0, -k * fh)
            ctx.get_source().set_filter(cairo.FILTER_NEAREST)
            ctx.paint()
            ctx.restore()
        y += fh * factor + pad
    return out


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    res = argv[1] if len(argv) > 1 else os.path.join(here, "..", "resources")
    out_dir = argv[2] if len(argv) > 2 else "/tmp/lyrebloom-preview"
    os.makedirs(out_dir, exist_ok=True)
    hovered = {19997: 2, 19999: 1, 19899: 1, 19991: 2, 19990: 2, 19993: 2, 19996: 1}
    alt_values = {"Decay": (1.0, "100%"), "Damp": (0.0, "0%"), "Transpose": (0.0, "b24"),
                  "Tune": (1.0, "100c"), "Detune": (0.0, "0%"), "Mix": (1.0, "100%"),
                  "Output": (0.0, "-oo dB")}
    views = {
        "editor": compose(res),
        "editor_states": compose(res, bypass_on=True, states=hovered, values=alt_values),
        "editor_about": compose(res, about=True),
    }
    for name, surface in views.items():
        surface.write_to_png(os.path.join(out_dir, f"{name}.png"))
        enlarged(surface, 3).write_to_png(os.path.join(out_dir, f"{name}_x3.png"))
    strip_sheet(res).write_to_png(os.path.join(out_dir, "strips.png"))
    print(f"preview_artwork: wrote previews to {out_dir}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
