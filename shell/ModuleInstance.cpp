#include "shell/ModuleInstance.h"

#include <atomic>

namespace {
// Written by the loader thread, read by whichever thread opens the editor.
std::atomic<void*> recordedInstance{nullptr};
} // namespace

void* moduleInstance() {
    return recordedInstance.load(std::memory_order_acquire);
}

void setModuleInstance(void* instance) {
    recordedInstance.store(instance, std::memory_order_release);
}
