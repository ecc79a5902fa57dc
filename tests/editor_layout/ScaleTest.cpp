// The editor at another size: chosen from the panel's right-click menu, granted or refused by
// the host, remembered for the next instance; controls, drags and texts at the new scale.
#include "LayoutFixture.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "toolkit/CButtons.h"
#include "toolkit/CFrame.h"
#include "toolkit/CKnob.h"
#include "toolkit/COptionMenu.h"
#include "toolkit/CTextEdit.h"

namespace {

using namespace layout;

constexpr int kEntry200 = 4;
// A point of bare panel, where no control lies.
constexpr int kPanelX = 8, kPanelY = 60;

class EditorScale : public LayoutFixture {
  protected:
    void SetUp() override {
        // Every test starts from no stored size, in a settings folder of its own.
        char pattern[] = "/tmp/lyre-scale-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        settingsDir = pattern;
        setenv("XDG_CONFIG_HOME", pattern, 1);
        LayoutFixture::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        XDestroyWindow(display, parent);
        createParentWindow(2 * kWidth, 2 * kHeight);
        plugin.answers().setHook(
            [this](const lyrehost::HostCall& call) -> std::optional<VstIntPtr> {
                if (call.opcode != audioMasterSizeWindow) return std::nullopt;
                requested.push_back({call.index, call.value});
                return grantResize ? 1 : 0;
            });
    }
    void TearDown() override {
        LayoutFixture::TearDown();
        std::filesystem::remove_all(settingsDir);
    }

    ERect rect() {
        ERect* r = nullptr;
        plugin.dispatch(effEditGetRect, 0, 0, &r);
        return r ? *r : ERect{};
    }
    // Right click on bare panel, then a left click on the menu's entry (frame coordinates,
    // at the scale the editor has now).
    void chooseSize(int entry) {
        const double s = editor()->getFrame()->getScaleFactor();
        click(parent, static_cast<int>(kPanelX * s), static_cast<int>(kPanelY * s), 3);
        idle(60);
        COptionMenu* menu = editor()->getScaleMenu();
        ASSERT_TRUE(menu->isPopupOpen());
        const CPoint at = menu->getPopupEntryRect(entry).getCenter();
        click(parent, static_cast<int>(at.x * s), static_cast<int>(at.y * s));
        idle(150);
    }
    Pixels screenAt(double s) {
        idle(100);
        return capture(parent, static_cast<int>(kWidth * s), static_cast<int>(kHeight * s));
    }

    std::string settingsDir;
    bool grantResize = true;
    std::vector<std::pair<VstInt32, VstIntPtr>> requested;
};

TEST_F(EditorScale, TwoHundredPercentPutsEveryControlAtTwiceItsPlaceAndIsRemembered) {
    ASSERT_TRUE(openEditor());
    const ERect before = rect();
    EXPECT_EQ(before.right, kWidth);
    EXPECT_EQ(before.bottom, kHeight);

    chooseSize(kEntry200);
    ASSERT_EQ(requested.size(), 1u);
    EXPECT_EQ(requested[0].first, 2 * kWidth);
    EXPECT_EQ(requested[0].second, 2 * kHeight);
    const ERect after = rect();
    EXPECT_EQ(after.right, 2 * kWidth);
    EXPECT_EQ(after.bottom, 2 * kHeight);
    ASSERT_EQ(editor()->getFrame()->getScaleFactor(), 2.0);

    // Hit-testing: a click at twice the switch's centre toggles Bypass.
    const float bypass = plugin.getParameter(kBypass);
    const CPoint centre = kBypassSwitchRect.getCenter();
    click(parent, static_cast<int>(2 * centre.x), static_cast<int>(2 * centre.y));
    idle(60);
    EXPECT_NE(plugin.getParameter(kBypass), bypass);

    // Drags are in editor pixels: 200 of them (400 on screen) sweep a knob's whole range,
    // 100 of them half of it.
    const int slot = slotOf(kDetune);
    const CPoint knobCentre = kKnobs[slot].knob.getCenter();
    plugin.setParameter(kDetune, 0);
    idle(40);
    drag(static_cast<int>(2 * knobCentre.x), static_cast<int>(2 * knobCentre.y), 200, 0);
    EXPECT_NEAR(plugin.getParameter(kDetune), 0.5f, 0.01f);
    drag(static_cast<int>(2 * knobCentre.x), static_cast<int>(2 * knobCentre.y), 0, -200);
    EXPECT_NEAR(plugin.getParameter(kDetune), 1.0f, 0.01f);

    // Control+click, the about screen, the program menu and the name field at twice their places.
    controlClick(static_cast<int>(2 * knobCentre.x), static_cast<int>(2 * knobCentre.y));
    EXPECT_EQ(plugin.getParameter(kDetune), 0.0f);
    CFrame* frame = editor()->getFrame();
    click(parent, 2 * 120, 2 * 30);
    idle(100);
    EXPECT_NE(frame->getModalView(), nullptr);
    click(parent, 2 * 72, 2 * 93);
    idle(100);
    EXPECT_EQ(frame->getModalView(), nullptr);
    const CPoint menuAt = editor()->getProgramMenu()->getViewSize().getCenter();
    click(parent, static_cast<int>(2 * menuAt.x), static_cast<int>(2 * menuAt.y));
    idle(60);
    EXPECT_TRUE(editor()->getProgramMenu()->isPopupOpen());
    click(parent, 2 * kPanelX, 2 * kPanelY); // outside the list: closes it
    idle(60);
    const CPoint nameAt = editor()->getNameField()->getViewSize().getCenter();
    click(parent, static_cast<int>(2 * nameAt.x), static_cast<int>(2 * nameAt.y));
    idle(60);
    EXPECT_TRUE(editor()->getNameField()->isEditingText());

    // The next instance of the same user opens at the chosen size, before any open.
    closeEditor();
    plugin.unload();
    ASSERT_EQ(plugin.load(LYREBLOOM_SO), "");
    plugin.open();
    EXPECT_EQ(rect().right, 2 * kWidth);
    EXPECT_EQ(rect().bottom, 2 * kHeight);
}

TEST_F(EditorScale, TextsAreDrawnAtTheLargerSizeNotBlownUp) {
    ASSERT_TRUE(openEditor());
    const Pixels small = screenAt(1);
    // At 100 % nothing changed: the editor is the reference screenshot, pixel for pixel.
    int refWidth = 0, refHeight = 0;
    EXPECT_EQ(small, loadResource("../docs/editor.png", refWidth, refHeight));
    chooseSize(kEntry200);
    ASSERT_EQ(editor()->getFrame()->getScaleFactor(), 2.0);
    const Pixels large = screenAt(2);
    if (const char* path = std::getenv("LYRE_EDITOR_SCREENSHOT_200")) {
        EXPECT_TRUE(writePng(large, 2 * kWidth, 2 * kHeight, path));
    }

    // The panel above the controls is the background made at twice the size, pixel for pixel.
    int artWidth = 0, artHeight = 0;
    const Pixels art = loadResource("21128.png", artWidth, artHeight);
    ASSERT_EQ(artWidth, 2 * kWidth);
    int unlike = 0;
    for (int y = 0; y < 2 * 47; ++y)
        for (int x = 0; x < 2 * kWidth; ++x) {
            const auto i = static_cast<size_t>(y * 2 * kWidth + x);
            unlike += large[i] != art[i];
        }
    EXPECT_EQ(unlike, 0);

    // The Decay display: its text at 200 % is not the 100 % text with each pixel doubled, and
    // its edges are as steep (a smoothed enlargement would soften them).
    const CRect box = kKnobs[slotOf(kDecay)].display;
    int differentFromDoubled = 0;
    int steepestSmall = 0, steepestLarge = 0;
    auto grey = [](std::uint32_t p) {
        return static_cast<int>(((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF));
    };
    for (int y = static_cast<int>(box.top); y < box.bottom; ++y)
        for (int x = static_cast<int>(box.left); x + 1 < box.right; ++x) {
            const auto i = static_cast<size_t>(y * kWidth + x);
            steepestSmall = std::max(steepestSmall, std::abs(grey(small[i]) - grey(small[i + 1])));
            for (int dy = 0; dy < 2; ++dy)
                for (int dx = 0; dx < 2; ++dx) {
                    const auto j = static_cast<size_t>((2 * y + dy) * 2 * kWidth + 2 * x + dx);
                    if (large[j] != small[i]) ++differentFromDoubled;
                    steepestLarge =
                        std::max(steepestLarge, std::abs(grey(large[j]) - grey(large[j + 1])));
                }
        }
    EXPECT_GT(differentFromDoubled, 40);
    EXPECT_GT(steepestSmall, 300);
    EXPECT_GE(steepestLarge, steepestSmall * 8 / 10);
}

// Automatic: the desktop's font resolution (Xft.dpi 144 is 150 %) decides when the editor
// opens, and the host is asked for that size.
TEST_F(EditorScale, AutomaticFollowsTheDesktopsXftDpi) {
    const Window root = DefaultRootWindow(display);
    const Atom resources = XInternAtom(display, "RESOURCE_MANAGER", False);
    const char text[] = "Xft.dpi:\t144\n";
    XChangeProperty(display, root, resources, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(text), sizeof text - 1);
    XSync(display, False);
    const bool opened = openEditor();
    XDeleteProperty(display, root, resources);
    XSync(display, False);
    ASSERT_TRUE(opened);
    ASSERT_EQ(requested.size(), 1u);
    EXPECT_EQ(requested[0].first, 480);
    EXPECT_EQ(requested[0].second, 386);
    EXPECT_EQ(editor()->getFrame()->getScaleFactor(), 1.5);
    EXPECT_EQ(rect().right, 480);
    if (const char* path = std::getenv("LYRE_EDITOR_SCREENSHOT_150")) {
        EXPECT_TRUE(writePng(screenAt(1.5), 480, 386, path));
    }
}

TEST_F(EditorScale, ARefusedResizeLeavesTheEditorWholeAndWorking) {
    grantResize = false;
    ASSERT_TRUE(openEditor());
    chooseSize(kEntry200);
    EXPECT_EQ(requested.size(), 1u);
    EXPECT_EQ(rect().right, kWidth);
    EXPECT_EQ(rect().bottom, kHeight);
    EXPECT_EQ(editor()->getFrame()->getScaleFactor(), 1.0);
    EXPECT_EQ(editor()->getScaleMenu()->getCurrent(), ADEditor::kAutomaticScaleEntry);

    const float bypass = plugin.getParameter(kBypass);
    const CPoint centre = kBypassSwitchRect.getCenter();
    click(parent, static_cast<int>(centre.x), static_cast<int>(centre.y));
    idle(60);
    EXPECT_NE(plugin.getParameter(kBypass), bypass);

    // Nothing was remembered: the next instance opens at 100 %.
    closeEditor();
    plugin.unload();
    ASSERT_EQ(plugin.load(LYREBLOOM_SO), "");
    plugin.open();
    EXPECT_EQ(rect().right, kWidth);
}

} // namespace
