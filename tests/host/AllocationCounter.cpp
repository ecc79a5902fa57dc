#include "AllocationCounter.h"

#include <cstdlib>
#include <new>

namespace {
thread_local bool tCounting = false;
thread_local std::size_t tAllocations = 0;

void* allocate(std::size_t size) {
    if (tCounting) ++tAllocations;
    if (void* memory = std::malloc(size ? size : 1)) return memory;
    throw std::bad_alloc();
}
} // namespace

AllocationCounter::AllocationCounter() {
    tAllocations = 0;
    tCounting = true;
}
AllocationCounter::~AllocationCounter() {
    tCounting = false;
}
std::size_t AllocationCounter::count() const {
    return tAllocations;
}

void* operator new(std::size_t size) {
    return allocate(size);
}
void* operator new[](std::size_t size) {
    return allocate(size);
}
void operator delete(void* memory) noexcept {
    std::free(memory);
}
void operator delete[](void* memory) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, std::size_t) noexcept {
    std::free(memory);
}
