// The LV2 UI module in a window of our host on a real X server, as jalv or Ardour host it:
// ui:parent, ui:resize and ui:touch offered, idle called; a knob drag with XTest heard as
// touch and port writes.
#include <lv2/atom/atom.h>
#include <lv2/options/options.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include <chrono>
#include <string>
#include <thread>

#include "XDisplayFixture.h"
#include "XEmbedProbe.h"
#include "host/SharedLibrary.h"

namespace {

constexpr int kWidth = 320, kHeight = 257;
constexpr uint32_t kDecayPort = 6;

struct Write {
    uint32_t port;
    float value;
};

class Lv2Ui : public XDisplayFixture {
  protected:
    void SetUp() override {
        XDisplayFixture::SetUp();
        if (IsSkipped()) return;
        ASSERT_EQ(library.open(LYREBLOOM_LV2_BUNDLE "/lyrebloom_ui.so"), "");
        auto entry = reinterpret_cast<const LV2UI_Descriptor* (*)(uint32_t)>(
            library.symbol("lv2ui_descriptor"));
        ASSERT_NE(entry, nullptr);
        descriptor = entry(0);
        ASSERT_NE(descriptor, nullptr);
        idle = static_cast<const LV2UI_Idle_Interface*>(
            descriptor->extension_data(LV2_UI__idleInterface));
        ASSERT_NE(idle, nullptr);
    }
    void run(LV2UI_Handle ui, int ms) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (std::chrono::steady_clock::now() < end) {
            ASSERT_EQ(idle->idle(ui), 0);
            sync();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    static void writePort(LV2UI_Controller self, uint32_t port, uint32_t size, uint32_t format,
                          const void* buffer) {
        EXPECT_EQ(size, sizeof(float));
        EXPECT_EQ(format, 0u);
        static_cast<Lv2Ui*>(self)->writes.push_back({port, *static_cast<const float*>(buffer)});
    }
    static int resize(LV2UI_Feature_Handle self, int width, int height) {
        auto* test = static_cast<Lv2Ui*>(self);
        test->asked = {width, height};
        if (test->refuseResize) return 1;
        test->size = {width, height};
        return 0;
    }
    static void touch(LV2UI_Feature_Handle self, uint32_t port, bool grabbed) {
        static_cast<Lv2Ui*>(self)->touches.emplace_back(port, grabbed);
    }
    static LV2_URID mapUri(LV2_URID_Map_Handle self, const char* uri) {
        auto& uris = static_cast<Lv2Ui*>(self)->uris;
        for (size_t i = 0; i < uris.size(); ++i)
            if (uris[i] == uri) return static_cast<LV2_URID>(i + 1);
        uris.emplace_back(uri);
        return static_cast<LV2_URID>(uris.size());
    }
    LV2_URID urid(const char* uri) { return mapUri(this, uri); }

    lyrehost::SharedLibrary library;
    const LV2UI_Descriptor* descriptor = nullptr;
    const LV2UI_Idle_Interface* idle = nullptr;
    std::vector<Write> writes;
    std::vector<std::pair<uint32_t, bool>> touches;
    std::pair<int, int> size{0, 0};
    std::pair<int, int> asked{0, 0};
    bool refuseResize = false;
    std::vector<std::string> uris;
};

TEST_F(Lv2Ui, EmbedsAndReportsAKnobDragAsTouchAndWrites) {
    createParentWindow(kWidth, kHeight);
    LV2UI_Resize resizer{this, resize};
    LV2UI_Touch toucher{this, touch};
    const LV2_Feature parentFeature{LV2_UI__parent, reinterpret_cast<void*>(parent)};
    const LV2_Feature resizeFeature{LV2_UI__resize, &resizer};
    const LV2_Feature touchFeature{LV2_UI__touch, &toucher};
    const LV2_Feature* features[] = {&parentFeature, &resizeFeature, &touchFeature, nullptr};
    LV2UI_Widget widget = nullptr;
    // Another plug-in's URI, or no parent window: no UI.
    EXPECT_EQ(descriptor->instantiate(descriptor, "urn:other", LYREBLOOM_LV2_BUNDLE, writePort,
                                      this, &widget, features),
              nullptr);
    const LV2_Feature* none[] = {nullptr};
    EXPECT_EQ(descriptor->instantiate(descriptor, "https://www.ostrandia.de/plugins/lyrebloom",
                                      LYREBLOOM_LV2_BUNDLE, writePort, this, &widget, none),
              nullptr);
    EXPECT_EQ(childCount(parent), 0);

    LV2UI_Handle ui =
        descriptor->instantiate(descriptor, "https://www.ostrandia.de/plugins/lyrebloom",
                                LYREBLOOM_LV2_BUNDLE, writePort, this, &widget, features);
    ASSERT_NE(ui, nullptr);
    EXPECT_EQ(reinterpret_cast<unsigned long>(widget), xprobe::onlyChild(display, parent));
    EXPECT_EQ(size, std::make_pair(kWidth, kHeight));
    // The host's values arrive as port events: no writes back.
    const float decay = 0.25f;
    descriptor->port_event(ui, kDecayPort, sizeof decay, 0, &decay);
    run(ui, 200);
    EXPECT_TRUE(writes.empty());

    moveTo(parent, 72, 100);
    xprobe::pressButton(display, true);
    run(ui, 60);
    for (int y = 96; y >= 70; y -= 4) {
        moveTo(parent, 72, y);
        run(ui, 30);
    }
    xprobe::pressButton(display, false);
    run(ui, 100);
    ASSERT_EQ(touches.size(), 2u);
    EXPECT_EQ(touches.front(), std::make_pair(kDecayPort, true));
    EXPECT_EQ(touches.back(), std::make_pair(kDecayPort, false));
    ASSERT_GE(writes.size(), 2u);
    for (const Write& write : writes)
        EXPECT_EQ(write.port, kDecayPort);
    EXPECT_GT(writes.back().value, decay);

    descriptor->cleanup(ui);
    sync();
    EXPECT_EQ(childCount(parent), 0);
    EXPECT_EQ(errorCount, 0);
}

// A size chosen from the panel's menu is asked of the host through ui:resize: refused, the
// editor stays as it is; granted, the host's window holds the editor at the new size; and
// Automatic brings it back (and leaves no stored size to the other tests).
TEST_F(Lv2Ui, ASizeChosenInTheEditorIsAskedOfTheHostThroughUiResize) {
    createParentWindow(2 * kWidth, 2 * kHeight);
    LV2UI_Resize resizer{this, resize};
    const LV2_Feature parentFeature{LV2_UI__parent, reinterpret_cast<void*>(parent)};
    const LV2_Feature resizeFeature{LV2_UI__resize, &resizer};
    const LV2_Feature* features[] = {&parentFeature, &resizeFeature, nullptr};
    LV2UI_Widget widget = nullptr;
    LV2UI_Handle ui =
        descriptor->instantiate(descriptor, "https://www.ostrandia.de/plugins/lyrebloom",
                                LYREBLOOM_LV2_BUNDLE, writePort, this, &widget, features);
    ASSERT_NE(ui, nullptr);
    ASSERT_EQ(size, std::make_pair(kWidth, kHeight));
    run(ui, 200);
    // Hosts hold on to the window they were given (an embedding socket destroys itself with
    // it), so a new size must resize that window, never replace it.
    const auto widgetWindow = reinterpret_cast<unsigned long>(widget);
    ASSERT_EQ(xprobe::onlyChild(display, parent), widgetWindow);
    xprobe::watchChildren(display, parent);
    // Right click on bare panel at (8, 60), then an entry of the list below it (16 px each):
    // 200 % is the fifth, Automatic the sixth.
    auto choose = [&](int entry, int scale) {
        click(parent, 8 * scale, 60 * scale, 3);
        run(ui, 150);
        click(parent, 48 * scale, (60 + 16 * entry + 8) * scale);
        run(ui, 250);
    };

    refuseResize = true;
    choose(4, 1);
    EXPECT_EQ(asked, std::make_pair(2 * kWidth, 2 * kHeight));
    EXPECT_EQ(size, std::make_pair(kWidth, kHeight));
    EXPECT_EQ(xprobe::windowWidth(display, xprobe::onlyChild(display, parent)), kWidth);

    refuseResize = false;
    choose(4, 1);
    EXPECT_EQ(size, std::make_pair(2 * kWidth, 2 * kHeight));
    EXPECT_EQ(xprobe::windowWidth(display, xprobe::onlyChild(display, parent)), 2 * kWidth);

    choose(5, 2);
    EXPECT_EQ(size, std::make_pair(kWidth, kHeight));
    EXPECT_EQ(xprobe::windowWidth(display, xprobe::onlyChild(display, parent)), kWidth);
    EXPECT_EQ(xprobe::onlyChild(display, parent), widgetWindow);
    EXPECT_FALSE(xprobe::childDestroyed(display, parent));
    descriptor->cleanup(ui);
    sync();
    EXPECT_EQ(errorCount, 0);
}

// The host's scale, as an option at instantiation and set later through the options interface,
// sizes the editor unless the user chose a size; Automatic goes back to the host's scale.
TEST_F(Lv2Ui, FollowsTheHostsScaleFactorUnlessTheUserChoseASize) {
    createParentWindow(2 * kWidth, 2 * kHeight);
    LV2UI_Resize resizer{this, resize};
    LV2_URID_Map map{this, mapUri};
    float two = 2.0f;
    const LV2_Options_Option options[] = {{LV2_OPTIONS_INSTANCE, 0, urid(LV2_UI__updateRate),
                                           sizeof two, urid(LV2_ATOM__Float), &two},
                                          {LV2_OPTIONS_INSTANCE, 0, urid(LV2_UI__scaleFactor),
                                           sizeof two, urid(LV2_ATOM__Float), &two},
                                          {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr}};
    const LV2_Feature parentFeature{LV2_UI__parent, reinterpret_cast<void*>(parent)};
    const LV2_Feature resizeFeature{LV2_UI__resize, &resizer};
    const LV2_Feature optionsFeature{LV2_OPTIONS__options,
                                     const_cast<LV2_Options_Option*>(options)};
    const LV2_Feature mapFeature{LV2_URID__map, &map};
    // The options before the map, as a host may list them.
    const LV2_Feature* features[] = {&parentFeature, &resizeFeature, &optionsFeature, &mapFeature,
                                     nullptr};
    const auto* interface = static_cast<const LV2_Options_Interface*>(
        descriptor->extension_data(LV2_OPTIONS__interface));
    ASSERT_NE(interface, nullptr);
    auto setScale = [&](LV2UI_Handle ui, float factor, LV2_URID type) {
        const LV2_Options_Option change[] = {
            {LV2_OPTIONS_INSTANCE, 0, urid(LV2_UI__scaleFactor), sizeof factor, type, &factor},
            {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr}};
        const uint32_t status = interface->set(ui, change);
        run(ui, 150);
        return status;
    };
    auto childWidth = [&] {
        return xprobe::windowWidth(display, xprobe::onlyChild(display, parent));
    };
    auto choose = [&](LV2UI_Handle ui, int entry, int scale) {
        click(parent, 8 * scale, 60 * scale, 3);
        run(ui, 150);
        click(parent, 48 * scale, (60 + 16 * entry + 8) * scale);
        run(ui, 250);
    };

    LV2UI_Widget widget = nullptr;
    LV2UI_Handle ui =
        descriptor->instantiate(descriptor, "https://www.ostrandia.de/plugins/lyrebloom",
                                LYREBLOOM_LV2_BUNDLE, writePort, this, &widget, features);
    ASSERT_NE(ui, nullptr);
    run(ui, 150);
    EXPECT_EQ(asked, std::make_pair(2 * kWidth, 2 * kHeight));
    EXPECT_EQ(xprobe::windowWidth(display, reinterpret_cast<unsigned long>(widget)), 2 * kWidth);

    // 257 × 1.5 = 385.5, rounded up.
    EXPECT_EQ(setScale(ui, 1.5f, urid(LV2_ATOM__Float)), 0u);
    EXPECT_EQ(size, std::make_pair(480, 386));
    EXPECT_EQ(childWidth(), 480);
    // A value that is not a float is refused and changes nothing.
    EXPECT_EQ(setScale(ui, 2.0f, urid(LV2_ATOM__Int)), uint32_t{LV2_OPTIONS_ERR_BAD_VALUE});
    EXPECT_EQ(size, std::make_pair(480, 386));
    // Beyond what the editor offers: its largest size.
    EXPECT_EQ(setScale(ui, 3.0f, urid(LV2_ATOM__Float)), 0u);
    EXPECT_EQ(size, std::make_pair(2 * kWidth, 2 * kHeight));
    EXPECT_EQ(childWidth(), 2 * kWidth);

    // The user chooses 100 %: remembered, and it wins over the host's 2 in the next UI too.
    choose(ui, 0, 2);
    EXPECT_EQ(size, std::make_pair(kWidth, kHeight));
    descriptor->cleanup(ui);
    ui = descriptor->instantiate(descriptor, "https://www.ostrandia.de/plugins/lyrebloom",
                                 LYREBLOOM_LV2_BUNDLE, writePort, this, &widget, features);
    ASSERT_NE(ui, nullptr);
    run(ui, 150);
    EXPECT_EQ(asked, std::make_pair(kWidth, kHeight));
    EXPECT_EQ(childWidth(), kWidth);
    EXPECT_EQ(setScale(ui, 1.5f, urid(LV2_ATOM__Float)), 0u);
    EXPECT_EQ(childWidth(), kWidth);

    // Automatic: the host's latest scale again (and no stored size left to the other tests).
    choose(ui, 5, 1);
    EXPECT_EQ(size, std::make_pair(480, 386));
    EXPECT_EQ(childWidth(), 480);
    descriptor->cleanup(ui);
    sync();
    EXPECT_EQ(errorCount, 0);
}

} // namespace
