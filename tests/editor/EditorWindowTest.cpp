// The built plug-in's editor in a real X server: opened in a host-made parent window,
// driven by XTest pointer input and effEditIdle, checked by what the host heard and by
// the pixels on screen compared with the skin's own bitmaps.
#include <cairo.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "XDisplayFixture.h"
#include "host/Plugin.h"

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 257;

// A skin bitmap from the resources folder, as 0xRRGGBB pixels.
std::vector<uint32_t> loadPng(const std::string& name, int& width, int& height) {
    const std::string path = std::string(LYRE_RESOURCES_DIR) + "/" + name;
    cairo_surface_t* surface = cairo_image_surface_create_from_png(path.c_str());
    std::vector<uint32_t> pixels;
    if (cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS) {
        width = cairo_image_surface_get_width(surface);
        height = cairo_image_surface_get_height(surface);
        const unsigned char* data = cairo_image_surface_get_data(surface);
        const int stride = cairo_image_surface_get_stride(surface);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                pixels.push_back(reinterpret_cast<const uint32_t*>(data + y * stride)[x] &
                                 0xFFFFFF);
    }
    cairo_surface_destroy(surface);
    return pixels;
}

// Mean absolute channel difference between a screen region and the same-sized region of a
// bitmap starting at `source`, leaving out the points in `skip`.
double meanDifference(const std::vector<uint32_t>& screen, const CRect& region,
                      const std::vector<uint32_t>& bitmap, int bitmapWidth, CPoint source = {},
                      const CRect& skip = CRect()) {
    double total = 0;
    int samples = 0;
    for (int y = static_cast<int>(region.top); y < region.bottom; ++y)
        for (int x = static_cast<int>(region.left); x < region.right; ++x) {
            if (skip.pointInside(CPoint(x, y))) continue;
            const int bx = x - static_cast<int>(region.left) + static_cast<int>(source.x);
            const int by = y - static_cast<int>(region.top) + static_cast<int>(source.y);
            const CColor a = colourOf(screen[static_cast<size_t>(y * kWidth + x)]);
            const CColor b = colourOf(bitmap[static_cast<size_t>(by * bitmapWidth + bx)]);
            total +=
                std::abs(a.red - b.red) + std::abs(a.green - b.green) + std::abs(a.blue - b.blue);
            samples += 3;
        }
    return samples ? total / samples : 1e9;
}

// Above y 66 nothing but the background is drawn until the about screen opens.
const CRect kAboveTheControls(0, 0, kWidth, 66);

class EditorWindow : public XDisplayFixture {
  protected:
    void SetUp() override {
        XDisplayFixture::SetUp();
        if (IsSkipped()) return;
        ASSERT_EQ(plugin.load(LYREBLOOM_SO), "");
        plugin.open();
        background = loadPng("1128.png", backgroundWidth, backgroundHeight);
        picture = loadPng("1200.png", pictureWidth, pictureHeight);
        ASSERT_EQ(backgroundWidth, kWidth);
        ASSERT_EQ(pictureWidth, 260);
    }
    void TearDown() override {
        if (plugin.isLoaded()) plugin.unload();
        XDisplayFixture::TearDown();
    }
    void idle(int milliseconds) {
        pumpFor(milliseconds, [&] { plugin.dispatch(effEditIdle); });
    }
    std::vector<uint32_t> screen() { return capture(parent, kWidth, kHeight); }
    size_t heard(VstInt32 opcode) const { return plugin.log().count(opcode); }

    lyrehost::Plugin plugin;
    std::vector<uint32_t> background, picture;
    int backgroundWidth = 0, backgroundHeight = 0, pictureWidth = 0, pictureHeight = 0;
};

TEST_F(EditorWindow, AboutScreenOpensAndClosesWithRealClicks) {
    ASSERT_NE(plugin.effect()->flags & effFlagsHasEditor, 0);
    ERect* rect = nullptr;
    ASSERT_EQ(plugin.dispatch(effEditGetRect, 0, 0, &rect), 1);
    ASSERT_EQ(rect->right, kWidth);
    ASSERT_EQ(rect->bottom, kHeight);
    createParentWindow(rect->right, rect->bottom);
    plugin.log().clear();

    ASSERT_EQ(plugin.dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(parent)), 1);
    EXPECT_EQ(childCount(parent), 1) << "one child window in the host's parent";
    idle(200);
    const auto closed = screen();
    EXPECT_LT(meanDifference(closed, kAboveTheControls, background, kWidth), 2.0)
        << "the frame shows the background bitmap";

    click(parent, 120, 30, 3); // a right click on the about area does nothing
    idle(100);
    EXPECT_LT(meanDifference(screen(), kAboveTheControls, background, kWidth), 2.0);

    click(parent, 120, 30);
    idle(200);
    const auto open = screen();
    const CRect versionBox(202, 90, 302, 105);
    // The picture lies at 30, 10 at its own size; below it the background stays.
    EXPECT_LT(meanDifference(open, CRect(30, 10, 290, 214), picture, pictureWidth, CPoint(0, 0),
                             versionBox),
              2.0);
    EXPECT_LT(meanDifference(open, CRect(0, 214, kWidth, 220), background, kWidth, CPoint(0, 214)),
              2.0);
    int ink = 0;
    for (int y = 90; y < 105; ++y)
        for (int x = 202; x < 240; ++x) {
            const CColor c = colourOf(open[static_cast<size_t>(y * kWidth + x)]);
            if (c.red + c.green + c.blue < 3 * 128) ++ink;
        }
    EXPECT_GT(ink, 10) << "the version text is printed in black";

    if (const char* path = std::getenv("LYRE_ABOUT_SCREENSHOT")) {
        EXPECT_TRUE(writePng(open, kWidth, kHeight, path));
    }

    click(parent, 72, 93); // on the picture, over where the Decay knob lies
    idle(200);
    EXPECT_LT(meanDifference(screen(), kAboveTheControls, background, kWidth), 2.0)
        << "closing brings back everything under the picture";

    EXPECT_EQ(heard(audioMasterAutomate), 0u);
    EXPECT_EQ(heard(audioMasterBeginEdit), 0u);
    EXPECT_EQ(heard(audioMasterEndEdit), 0u);

    plugin.dispatch(effEditClose);
    sync();
    EXPECT_EQ(childCount(parent), 0);
    EXPECT_EQ(errorCount, 0);
}

TEST_F(EditorWindow, OpenCloseManyTimesLeavesNoWindowAndNoXError) {
    createParentWindow(kWidth, kHeight);
    plugin.dispatch(effEditIdle); // before any open: ignored
    for (int round = 0; round < 25; ++round) {
        ASSERT_EQ(plugin.dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(parent)), 1);
        if (round % 5 == 0) {
            click(parent, 120, 30); // leave the about screen open at close now and then
        }
        idle(20);
        plugin.dispatch(effEditClose);
        plugin.dispatch(effEditIdle); // after close: ignored
        sync();
        ASSERT_EQ(childCount(parent), 0) << round;
    }
    ASSERT_EQ(plugin.dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(parent)), 1);
    idle(150);
    EXPECT_LT(meanDifference(screen(), kAboveTheControls, background, kWidth), 2.0)
        << "a reopened editor starts with the about screen closed";
    plugin.dispatch(effEditClose);
    sync();
    EXPECT_EQ(errorCount, 0);
}

} // namespace
