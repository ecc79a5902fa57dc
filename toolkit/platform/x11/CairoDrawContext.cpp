#include "toolkit/platform/x11/CairoDrawContext.h"

#include <cmath>
#include <string>

#include "toolkit/CBitmap.h"
#include "toolkit/platform/x11/CairoBitmap.h"

namespace {

// Texts are 8-bit Latin-1 strings; Cairo wants UTF-8 and stops drawing on invalid input.
std::string latin1ToUtf8(const char* text) {
    std::string result;
    for (const char* p = text; p && *p; ++p) {
        const auto byte = static_cast<unsigned char>(*p);
        if (byte < 0x80) {
            result += static_cast<char>(byte);
        } else {
            result += static_cast<char>(0xC0 | (byte >> 6));
            result += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return result;
}

} // namespace

CairoDrawContext::CairoDrawContext(cairo_t* cairo, double scale) : cairo(cairo) {
    scaleFactor = scale > 0 ? scale : 1;
    if (scaleFactor != 1) cairo_scale(cairo, scaleFactor, scaleFactor);
}

void CairoDrawContext::applyColor(const CColor& color) {
    cairo_set_source_rgba(cairo, color.red / 255.0, color.green / 255.0, color.blue / 255.0,
                          color.alpha / 255.0);
}

void CairoDrawContext::applyFont() {
    const int style = font.getStyle();
    cairo_select_font_face(cairo, font.getName().c_str(),
                           (style & kItalicFace) ? CAIRO_FONT_SLANT_ITALIC
                                                 : CAIRO_FONT_SLANT_NORMAL,
                           (style & kBoldFace) ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cairo, font.getSize());
}

void CairoDrawContext::drawRect(const CRect& rect, CDrawStyle style) {
    if (style != kDrawStroked) {
        cairo_rectangle(cairo, rect.left, rect.top, rect.getWidth(), rect.getHeight());
        applyColor(fillColor);
        cairo_fill(cairo);
    }
    if (style != kDrawFilled) {
        // Half-pixel inset keeps one-pixel lines on whole pixels.
        const CCoord half = lineWidth / 2;
        cairo_rectangle(cairo, rect.left + half, rect.top + half, rect.getWidth() - lineWidth,
                        rect.getHeight() - lineWidth);
        cairo_set_line_width(cairo, lineWidth);
        applyColor(frameColor);
        cairo_stroke(cairo);
    }
}

void CairoDrawContext::drawLine(const CPoint& from, const CPoint& to) {
    cairo_move_to(cairo, from.x, from.y);
    cairo_line_to(cairo, to.x, to.y);
    cairo_set_line_width(cairo, lineWidth);
    applyColor(frameColor);
    cairo_stroke(cairo);
}

void CairoDrawContext::drawString(const char* text, const CRect& box, CHoriTxtAlign align,
                                  bool antialias) {
    if (!text || !*text) return;
    const std::string utf8 = latin1ToUtf8(text);
    cairo_save(cairo);
    cairo_rectangle(cairo, box.left, box.top, box.getWidth(), box.getHeight());
    cairo_clip(cairo);
    applyFont();
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options,
                                     antialias ? CAIRO_ANTIALIAS_GRAY : CAIRO_ANTIALIAS_NONE);
    cairo_set_font_options(cairo, options);
    cairo_font_options_destroy(options);

    cairo_text_extents_t extents;
    cairo_text_extents(cairo, utf8.c_str(), &extents);
    cairo_font_extents_t fontExtents;
    cairo_font_extents(cairo, &fontExtents);
    CCoord x = box.left;
    if (align == kCenterText)
        x = box.left + (box.getWidth() - extents.x_advance) / 2;
    else if (align == kRightText)
        x = box.right - extents.x_advance;
    const CCoord baseline =
        box.top + (box.getHeight() + fontExtents.ascent - fontExtents.descent) / 2;
    // Glyphs start on whole device pixels, as at 100 %, whatever the scale.
    cairo_move_to(cairo, snapToDevice(x), snapToDevice(baseline));
    applyColor(fontColor);
    cairo_show_text(cairo, utf8.c_str());
    cairo_restore(cairo);
}

CCoord CairoDrawContext::getStringWidth(const char* text) {
    cairo_save(cairo);
    applyFont();
    cairo_text_extents_t extents;
    cairo_text_extents(cairo, latin1ToUtf8(text).c_str(), &extents);
    cairo_restore(cairo);
    return extents.x_advance;
}

void CairoDrawContext::drawBitmap(const CBitmap& bitmap, const CRect& dest, const CPoint& offset,
                                  float alpha) {
    const auto* image = static_cast<const CairoBitmap*>(bitmap.getPlatformBitmap());
    if (!image || dest.isEmpty()) return;
    cairo_save(cairo);
    cairo_rectangle(cairo, dest.left, dest.top, dest.getWidth(), dest.getHeight());
    cairo_clip(cairo);
    const auto* large =
        scaleFactor > 1 ? static_cast<const CairoBitmap*>(bitmap.getDoubleSizeBitmap()) : nullptr;
    if (large) {
        // Above 100 % the picture made at twice the size: one of its pixels per device pixel
        // at 200 %, smoothly filtered in between.
        cairo_pattern_t* pattern = cairo_pattern_create_for_surface(large->surface());
        cairo_matrix_t matrix;
        cairo_matrix_init_scale(&matrix, 2, 2);
        cairo_matrix_translate(&matrix, offset.x - dest.left, offset.y - dest.top);
        cairo_pattern_set_matrix(pattern, &matrix);
        cairo_pattern_set_filter(pattern,
                                 scaleFactor == 2 ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_GOOD);
        cairo_set_source(cairo, pattern);
        cairo_pattern_destroy(pattern);
    } else {
        cairo_set_source_surface(cairo, image->surface(), dest.left - offset.x,
                                 dest.top - offset.y);
        // Enlarged pictures are filtered smoothly; at 100 % every pixel lands on one pixel.
        cairo_pattern_set_filter(cairo_get_source(cairo),
                                 scaleFactor == 1 ? CAIRO_FILTER_GOOD : CAIRO_FILTER_BILINEAR);
    }
    cairo_paint_with_alpha(cairo, alpha);
    cairo_restore(cairo);
}

void CairoDrawContext::pushClip(const CRect& rect) {
    cairo_save(cairo);
    cairo_rectangle(cairo, rect.left, rect.top, rect.getWidth(), rect.getHeight());
    cairo_clip(cairo);
}

void CairoDrawContext::popClip() {
    cairo_restore(cairo);
}
