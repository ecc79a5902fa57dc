#include "toolkit/platform/win32/GdiplusDrawContext.h"

#include <cmath>
#include <memory>
#include <string>

#include "toolkit/CBitmap.h"
#include "toolkit/platform/win32/GdiplusBitmap.h"
#include "toolkit/platform/win32/GdiplusFontFamily.h"

namespace {

Gdiplus::Color toColor(const CColor& color) {
    return Gdiplus::Color(color.alpha, color.red, color.green, color.blue);
}

Gdiplus::RectF toRect(const CRect& rect) {
    return Gdiplus::RectF(
        static_cast<Gdiplus::REAL>(rect.left), static_cast<Gdiplus::REAL>(rect.top),
        static_cast<Gdiplus::REAL>(rect.getWidth()), static_cast<Gdiplus::REAL>(rect.getHeight()));
}

// Texts are 8-bit Latin-1 strings, which map one to one onto the first UTF-16 code points.
std::wstring latin1ToWide(const char* text) {
    std::wstring result;
    for (const char* p = text; p && *p; ++p)
        result += static_cast<wchar_t>(static_cast<unsigned char>(*p));
    return result;
}

int fontStyle(int style) {
    int result = Gdiplus::FontStyleRegular;
    if (style & kBoldFace) result |= Gdiplus::FontStyleBold;
    if (style & kItalicFace) result |= Gdiplus::FontStyleItalic;
    return result;
}

// Measures without GDI+'s extra padding, so widths and positions match the advance widths.
std::unique_ptr<Gdiplus::StringFormat> typographicFormat() {
    auto format = std::unique_ptr<Gdiplus::StringFormat>(
        Gdiplus::StringFormat::GenericTypographic()->Clone());
    format->SetFormatFlags(format->GetFormatFlags() | Gdiplus::StringFormatFlagsNoWrap |
                           Gdiplus::StringFormatFlagsMeasureTrailingSpaces);
    return format;
}

struct FontMetrics {
    double ascent;
    double descent;
};

FontMetrics metrics(const Gdiplus::FontFamily& family, int style, double size) {
    const double em = family.GetEmHeight(style);
    if (em <= 0) return {size * 0.9, size * 0.2};
    return {size * family.GetCellAscent(style) / em, size * family.GetCellDescent(style) / em};
}

} // namespace

GdiplusDrawContext::GdiplusDrawContext(Gdiplus::Graphics& graphics, double scale)
    : graphics(graphics) {
    scaleFactor = scale > 0 ? scale : 1;
    graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    // Scaled pictures are filtered smoothly; at 100 % every pixel lands on one pixel.
    graphics.SetInterpolationMode(scaleFactor == 1 ? Gdiplus::InterpolationModeNearestNeighbor
                                                   : Gdiplus::InterpolationModeHighQualityBilinear);
    if (scaleFactor != 1)
        graphics.ScaleTransform(static_cast<Gdiplus::REAL>(scaleFactor),
                                static_cast<Gdiplus::REAL>(scaleFactor));
    graphics.SetCompositingQuality(Gdiplus::CompositingQualityHighSpeed);
}

void GdiplusDrawContext::drawRect(const CRect& rect, CDrawStyle style) {
    if (style != kDrawStroked) {
        Gdiplus::SolidBrush brush(toColor(fillColor));
        graphics.SetSmoothingMode(Gdiplus::SmoothingModeNone);
        graphics.FillRectangle(&brush, toRect(rect));
    }
    if (style != kDrawFilled) {
        // Half-pixel inset keeps one-pixel lines on whole pixels.
        const CCoord half = lineWidth / 2;
        Gdiplus::Pen pen(toColor(frameColor), static_cast<Gdiplus::REAL>(lineWidth));
        graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
        graphics.DrawRectangle(&pen, static_cast<Gdiplus::REAL>(rect.left + half),
                               static_cast<Gdiplus::REAL>(rect.top + half),
                               static_cast<Gdiplus::REAL>(rect.getWidth() - lineWidth),
                               static_cast<Gdiplus::REAL>(rect.getHeight() - lineWidth));
    }
}

void GdiplusDrawContext::drawLine(const CPoint& from, const CPoint& to) {
    Gdiplus::Pen pen(toColor(frameColor), static_cast<Gdiplus::REAL>(lineWidth));
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    graphics.DrawLine(&pen, static_cast<Gdiplus::REAL>(from.x), static_cast<Gdiplus::REAL>(from.y),
                      static_cast<Gdiplus::REAL>(to.x), static_cast<Gdiplus::REAL>(to.y));
}

void GdiplusDrawContext::drawString(const char* text, const CRect& box, CHoriTxtAlign align,
                                    bool antialias) {
    if (!text || !*text) return;
    const auto family = installedFontFamily(font.getName());
    if (!family) return;
    const int style = fontStyle(font.getStyle());
    const Gdiplus::Font gdiFont(family.get(), static_cast<Gdiplus::REAL>(font.getSize()), style,
                                Gdiplus::UnitPixel);
    if (gdiFont.GetLastStatus() != Gdiplus::Ok) return;
    const std::wstring wide = latin1ToWide(text);
    const auto format = typographicFormat();

    Gdiplus::RectF bounds;
    graphics.MeasureString(wide.c_str(), static_cast<INT>(wide.size()), &gdiFont,
                           Gdiplus::PointF(0, 0), format.get(), &bounds);
    const FontMetrics fm = metrics(*family, style, font.getSize());
    CCoord x = box.left;
    if (align == kCenterText)
        x = box.left + (box.getWidth() - bounds.Width) / 2;
    else if (align == kRightText)
        x = box.right - bounds.Width;
    const CCoord baseline = box.top + (box.getHeight() + fm.ascent - fm.descent) / 2;

    const Gdiplus::GraphicsState state = graphics.Save();
    graphics.IntersectClip(toRect(box));
    graphics.SetTextRenderingHint(antialias ? Gdiplus::TextRenderingHintAntiAlias
                                            : Gdiplus::TextRenderingHintSingleBitPerPixel);
    // Text placement ignores the half-pixel offset, which would shift glyphs by half a pixel.
    graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeNone);
    Gdiplus::SolidBrush brush(toColor(fontColor));
    // Glyphs start on whole device pixels, as at 100 %, whatever the scale.
    const Gdiplus::PointF origin(static_cast<Gdiplus::REAL>(snapToDevice(x)),
                                 static_cast<Gdiplus::REAL>(snapToDevice(baseline) - fm.ascent));
    graphics.DrawString(wide.c_str(), static_cast<INT>(wide.size()), &gdiFont, origin, format.get(),
                        &brush);
    graphics.Restore(state);
}

CCoord GdiplusDrawContext::getStringWidth(const char* text) {
    if (!text || !*text) return 0;
    const auto family = installedFontFamily(font.getName());
    if (!family) return 0;
    const Gdiplus::Font gdiFont(family.get(), static_cast<Gdiplus::REAL>(font.getSize()),
                                fontStyle(font.getStyle()), Gdiplus::UnitPixel);
    const std::wstring wide = latin1ToWide(text);
    const auto format = typographicFormat();
    Gdiplus::RectF bounds;
    graphics.MeasureString(wide.c_str(), static_cast<INT>(wide.size()), &gdiFont,
                           Gdiplus::PointF(0, 0), format.get(), &bounds);
    return bounds.Width;
}

void GdiplusDrawContext::drawBitmap(const CBitmap& bitmap, const CRect& dest, const CPoint& offset,
                                    float alpha) {
    const auto* image = static_cast<const GdiplusBitmap*>(bitmap.getPlatformBitmap());
    if (!image || dest.isEmpty() || alpha <= 0) return;
    // Only the part of the placed picture inside dest: GDI+ would smear its edge pixels into
    // what lies beyond the picture, where nothing is to be drawn.
    const CCoord originX = dest.left - offset.x;
    const CCoord originY = dest.top - offset.y;
    const CRect placed(originX, originY, originX + image->width(), originY + image->height());
    const CRect visible = placed.intersect(dest);
    if (visible.isEmpty()) return;

    Gdiplus::ImageAttributes attributes;
    Gdiplus::ImageAttributes* useAttributes = nullptr;
    if (alpha < 1.0f) {
        Gdiplus::ColorMatrix matrix = {{{1, 0, 0, 0, 0},
                                        {0, 1, 0, 0, 0},
                                        {0, 0, 1, 0, 0},
                                        {0, 0, 0, alpha, 0},
                                        {0, 0, 0, 0, 1}}};
        attributes.SetColorMatrix(&matrix);
        useAttributes = &attributes;
    }
    if (scaleFactor == 1) {
        graphics.DrawImage(
            image->bitmap(), toRect(visible), static_cast<Gdiplus::REAL>(visible.left - originX),
            static_cast<Gdiplus::REAL>(visible.top - originY),
            static_cast<Gdiplus::REAL>(visible.getWidth()),
            static_cast<Gdiplus::REAL>(visible.getHeight()), Gdiplus::UnitPixel, useAttributes);
        return;
    }
    // Above 100 %: the picture made at twice the size (at 200 % one of its pixels per device
    // pixel), or at the factors in between that picture resampled once for this scale. It is
    // then copied pixel for pixel in device coordinates.
    const auto* large = static_cast<const GdiplusBitmap*>(bitmap.getDoubleSizeBitmap());
    const GdiplusBitmap* source = large ? large : image;
    const double ratio = large ? 2 : 1;
    Gdiplus::Bitmap* pixels = source->scaledBitmap(scaleFactor / ratio);
    if (!pixels) return;
    const CCoord s = scaleFactor;
    const CCoord left = std::round(visible.left * s), top = std::round(visible.top * s);
    const CCoord right = std::round(visible.right * s), bottom = std::round(visible.bottom * s);
    const CCoord pictureLeft = std::round(originX * s), pictureTop = std::round(originY * s);
    if (right <= left || bottom <= top) return;
    const Gdiplus::GraphicsState state = graphics.Save();
    graphics.ResetTransform();
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeNearestNeighbor);
    graphics.DrawImage(pixels, toRect(CRect(left, top, right, bottom)),
                       static_cast<Gdiplus::REAL>(left - pictureLeft),
                       static_cast<Gdiplus::REAL>(top - pictureTop),
                       static_cast<Gdiplus::REAL>(right - left),
                       static_cast<Gdiplus::REAL>(bottom - top), Gdiplus::UnitPixel, useAttributes);
    graphics.Restore(state);
}

void GdiplusDrawContext::pushClip(const CRect& rect) {
    clips.push_back(graphics.Save());
    graphics.IntersectClip(toRect(rect));
}

void GdiplusDrawContext::popClip() {
    if (clips.empty()) return;
    graphics.Restore(clips.back());
    clips.pop_back();
}
