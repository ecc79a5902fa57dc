#include <gtest/gtest.h>

#include "ToolkitTestSupport.h"
#include "toolkit/CButtons.h"
#include "toolkit/CKnob.h"
#include "toolkit/CParamDisplay.h"

namespace {

TEST(Bitmap, LoadsRegisteredPngByNumberAndIsEmptyForUnknownNumbers) {
    registerTestBitmap(501, 7, 5, [](int, int) { return kRed; });
    auto* bitmap = new CBitmap(501);
    EXPECT_TRUE(bitmap->isLoaded());
    EXPECT_EQ(bitmap->getWidth(), 7);
    EXPECT_EQ(bitmap->getHeight(), 5);
    bitmap->forget();

    auto* missing = new CBitmap(99999);
    EXPECT_FALSE(missing->isLoaded());
    EXPECT_EQ(missing->getWidth(), 0);
    Canvas canvas(4, 4, kBlue);
    missing->draw(&canvas.context(), CRect(0, 0, 4, 4));
    EXPECT_TRUE(near(canvas.pixel(1, 1), kBlue));
    missing->forget();
}

TEST(Bitmap, CorruptDataGivesAnEmptyBitmap) {
    static const unsigned char garbage[] = {0x89, 'P', 'N', 'G', 1, 2, 3};
    const CBitmapResource resource{502, garbage, sizeof garbage};
    CBitmap::addResources(&resource, 1);
    auto* bitmap = new CBitmap(502);
    EXPECT_FALSE(bitmap->isLoaded());
    bitmap->forget();
}

TEST(Bitmap, ControlsHoldTheirOwnReference) {
    registerTestBitmap(503, 4, 4, [](int, int) { return kRed; });
    auto* bitmap = new CBitmap(503);
    auto* control = new CControl(CRect(0, 0, 4, 4), nullptr, 0, bitmap);
    EXPECT_EQ(bitmap->getNbReference(), 2);
    bitmap->forget(); // the loader lets go once the control holds it
    EXPECT_EQ(bitmap->getNbReference(), 1);
    EXPECT_TRUE(control->getBackground()->isLoaded());
    control->forget(); // last reference: ASan would report a leak or a double free
}

TEST(Bitmap, MultiImageDrawShowsImageKFromKTimesHeight) {
    registerStripBitmap(504, 6, 4, {kRed, kGreen, kBlue});
    auto* bitmap = new CBitmap(504);
    for (int k = 0; k < 3; ++k) {
        Canvas canvas(20, 20);
        drawMultiImage(&canvas.context(), bitmap, CRect(10, 10, 16, 14), CPoint(0, 0), 4, k);
        const CColor expected = k == 0 ? kRed : k == 1 ? kGreen : kBlue;
        EXPECT_TRUE(near(canvas.pixel(10, 10), expected)) << k;
        EXPECT_TRUE(near(canvas.pixel(15, 13), expected)) << k;
        // Nothing outside the destination rectangle.
        EXPECT_TRUE(near(canvas.pixel(10, 14), {128, 128, 128, 255})) << k;
        EXPECT_TRUE(near(canvas.pixel(9, 10), {128, 128, 128, 255})) << k;
    }
    bitmap->forget();
}

TEST(OnOffButton, ShowsTheLowerImageOnlyAtItsMaximum) {
    registerStripBitmap(505, 8, 4, {kRed, kGreen});
    auto* bitmap = new CBitmap(505);
    auto* button = new COnOffButton(CRect(0, 0, 8, 4), nullptr, 7, bitmap);
    bitmap->forget();
    Canvas canvas(8, 4);
    button->setValue(0.99f);
    button->draw(&canvas.context());
    EXPECT_TRUE(near(canvas.pixel(2, 2), kRed));
    button->setValue(1.0f);
    button->draw(&canvas.context());
    EXPECT_TRUE(near(canvas.pixel(2, 2), kGreen));
    button->forget();
}

TEST(Knob, DrawsTheBackgroundPieceAndTheHandleWhereTheValueSays) {
    registerTestBitmap(506, 100, 100, [](int, int) { return kBlue; });
    registerTestBitmap(507, 4, 4, [](int, int) { return kYellow; });
    auto* background = new CBitmap(506);
    auto* handle = new CBitmap(507);
    auto* knob = new CKnob(CRect(0, 0, 40, 40), nullptr, 0, background, handle, CPoint(10, 10));
    background->forget();
    handle->forget();
    auto yellowIn = [](Canvas& canvas, int l, int t, int r, int b) {
        return canvas.count(l, t, r, b, [](CColor c) { return near(c, kYellow, 40); });
    };
    knob->setValue(0.0f); // lower left
    {
        Canvas canvas(40, 40);
        knob->draw(&canvas.context());
        EXPECT_TRUE(near(canvas.pixel(20, 20), kBlue));
        EXPECT_GT(yellowIn(canvas, 0, 20, 20, 40), 4);
        EXPECT_EQ(yellowIn(canvas, 20, 0, 40, 40), 0);
    }
    knob->setValue(0.5f); // top
    {
        Canvas canvas(40, 40);
        knob->draw(&canvas.context());
        EXPECT_GT(yellowIn(canvas, 15, 0, 25, 15), 4);
        EXPECT_EQ(yellowIn(canvas, 0, 20, 40, 40), 0);
    }
    knob->setValue(1.0f); // lower right
    {
        Canvas canvas(40, 40);
        knob->draw(&canvas.context());
        EXPECT_GT(yellowIn(canvas, 20, 20, 40, 40), 4);
        EXPECT_EQ(yellowIn(canvas, 0, 0, 20, 40), 0);
    }
    knob->forget();
}

void toPercent(float value, char* text) {
    std::snprintf(text, 256, "%d%%", static_cast<int>(value * 100));
}

TEST(ParamDisplay, UsesTheConversionHookAndDrawsItsTextInTheFontColour) {
    auto* display = new CParamDisplay(CRect(0, 0, 50, 14));
    display->setStringConvert(toPercent);
    display->setValue(0.257f);
    char text[CParamDisplay::kTextSize] = {};
    display->getDisplayText(text);
    EXPECT_STREQ(text, "25%");

    display->setFontColor(kBlackCColor);
    display->setFont(CFontDesc("Arial", 9));
    Canvas canvas(50, 14, kWhiteCColor);
    display->draw(&canvas.context());
    const int dark = canvas.count(0, 0, 50, 14, isDark);
    EXPECT_GT(dark, 5);
    // Centred: ink on both sides of the middle, none at the far edges.
    auto inked = [](CColor c) { return c.red < 200; };
    EXPECT_GT(canvas.count(0, 0, 25, 14, inked), 0);
    EXPECT_GT(canvas.count(25, 0, 50, 14, inked), 0);
    EXPECT_EQ(canvas.count(0, 0, 8, 14, inked), 0);
    EXPECT_EQ(canvas.count(42, 0, 50, 14, inked), 0);
    display->forget();
}

TEST(ParamDisplay, HighLatin1TextDoesNotBreakLaterDrawing) {
    auto* display = new CParamDisplay(CRect(0, 0, 80, 14));
    display->setFontColor(kBlackCColor);
    Canvas canvas(80, 28, kWhiteCColor);
    CairoDrawContext& context = canvas.context();
    context.setFontColor(kBlackCColor);
    context.drawString("Caf\xE9 \xFF", CRect(0, 0, 80, 14));
    context.drawString("after", CRect(0, 14, 80, 28));
    EXPECT_EQ(cairo_status(context.getCairo()), CAIRO_STATUS_SUCCESS);
    EXPECT_GT(canvas.count(0, 14, 80, 28, isDark), 5);
    display->forget();
}

} // namespace
