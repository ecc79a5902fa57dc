// The UI module's one export, lv2ui_descriptor: the calls of an LV2 host's UI side, each
// letting no exception out.
#include <lv2/ui/ui.h>

#include <cstring>

#include "formats/lv2/Lv2Ui.h"

namespace {

using lyrelv2::Lv2Ui;

LV2UI_Handle instantiate(const LV2UI_Descriptor*, const char* pluginUri, const char*,
                         LV2UI_Write_Function write, LV2UI_Controller controller,
                         LV2UI_Widget* widget, const LV2_Feature* const* features) {
    if (!pluginUri || std::strcmp(pluginUri, lyrelv2::kPluginUri) != 0) return nullptr;
    Lv2Ui* ui = nullptr;
    try {
        ui = new Lv2Ui(write, controller, features);
        if (ui->open(widget)) return ui;
    } catch (...) {
    }
    delete ui;
    return nullptr;
}

void cleanup(LV2UI_Handle handle) {
    try {
        delete static_cast<Lv2Ui*>(handle);
    } catch (...) {
    }
}

void portEvent(LV2UI_Handle handle, uint32_t port, uint32_t size, uint32_t format,
               const void* buffer) {
    try {
        static_cast<Lv2Ui*>(handle)->portEvent(port, size, format, buffer);
    } catch (...) {
    }
}

int idle(LV2UI_Handle handle) {
    try {
        return static_cast<Lv2Ui*>(handle)->idle();
    } catch (...) {
        return 1;
    }
}

// The UI reports no option values; it only takes the host's.
uint32_t getOptions(LV2_Handle, LV2_Options_Option*) {
    return LV2_OPTIONS_ERR_UNKNOWN;
}

uint32_t setOptions(LV2_Handle handle, const LV2_Options_Option* options) {
    try {
        return static_cast<Lv2Ui*>(handle)->setOptions(options);
    } catch (...) {
        return LV2_OPTIONS_ERR_UNKNOWN;
    }
}

const LV2UI_Idle_Interface kIdle = {idle};
const LV2_Options_Interface kOptions = {getOptions, setOptions};

const void* extensionData(const char* uri) {
    if (!uri) return nullptr;
    if (std::strcmp(uri, LV2_UI__idleInterface) == 0) return &kIdle;
    if (std::strcmp(uri, LV2_OPTIONS__interface) == 0) return &kOptions;
    return nullptr;
}

const LV2UI_Descriptor kDescriptor = {lyrelv2::kUiUri, instantiate, cleanup, portEvent,
                                      extensionData};

} // namespace

extern "C" LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index) {
    return index == 0 ? &kDescriptor : nullptr;
}
