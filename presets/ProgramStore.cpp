#include "presets/ProgramStore.h"

#include <bit>
#include <cstring>
#include <thread>

namespace {

std::uint64_t pack(std::uint32_t ticket, float value) {
    return (std::uint64_t{ticket} << 32) | std::bit_cast<std::uint32_t>(value);
}

std::uint32_t ticketOf(std::uint64_t slot) {
    return static_cast<std::uint32_t>(slot >> 32);
}

// Tickets wrap; a later ticket is at most half the range ahead.
bool isLater(std::uint32_t ticket, std::uint32_t than) {
    return static_cast<std::int32_t>(ticket - than) > 0;
}

} // namespace

void ProgramStore::writeCurrent(int index, float value) noexcept {
    const int k = current_.load(std::memory_order_acquire);
    write(k, k, index, value);
}

void ProgramStore::writeAll(int index, float value) noexcept {
    write(0, kNumStoredPrograms - 1, index, value);
}

void ProgramStore::write(int first, int last, int index, float value) noexcept {
    if (index < 0 || index >= kProgramValues || !isStoredProgram(first) || !isStoredProgram(last))
        return;
    const auto ticket =
        static_cast<std::uint32_t>(writesBegun_.fetch_add(1, std::memory_order_relaxed) + 1);
    for (int k = first; k <= last; ++k)
        replaceIfOlder(values_[k][index], ticket, value);
    writesEnded_.fetch_add(1, std::memory_order_release);
}

// Values are stored with release and read with acquire, so a reader that sees a value also sees
// the begun count of the write that stored it.
void ProgramStore::replaceIfOlder(Slot& slot, std::uint32_t ticket, float value) noexcept {
    const std::uint64_t desired = pack(ticket, value);
    std::uint64_t seen = slot.load(std::memory_order_relaxed);
    while (isLater(ticket, ticketOf(seen)) &&
           !slot.compare_exchange_weak(seen, desired, std::memory_order_release,
                                       std::memory_order_relaxed))
        ;
}

float ProgramStore::valueOf(const Slot& slot) noexcept {
    return std::bit_cast<float>(static_cast<std::uint32_t>(slot.load(std::memory_order_acquire)));
}

void ProgramStore::copyValues(int first, int last, ProgramBank& out) const {
    for (int attempt = 0;; ++attempt) {
        const std::uint64_t ended = writesEnded_.load(std::memory_order_acquire);
        const std::uint64_t begun = writesBegun_.load(std::memory_order_acquire);
        if (begun == ended) {
            for (int k = first; k <= last; ++k)
                for (int i = 0; i < kProgramValues; ++i)
                    out[k].values[i] = valueOf(values_[k][i]);
            if (writesBegun_.load(std::memory_order_relaxed) == begun) return;
        }
        // A write-back is a handful of stores; let a preempted writer finish.
        if (attempt >= 16) std::this_thread::yield();
    }
}

ProgramRecord ProgramStore::Access::program(int k) const {
    ProgramBank bank;
    store_.copyValues(k, k, bank);
    std::memcpy(bank[k].name, store_.names_[k], kProgramNameBytes);
    return bank[k];
}

void ProgramStore::Access::copyName(int k, char* text) const {
    std::memcpy(text, store_.names_[k], kProgramNameBytes);
    text[kProgramNameBytes] = 0;
}

ProgramBank ProgramStore::Access::programs() const {
    ProgramBank bank;
    store_.copyValues(0, kNumStoredPrograms - 1, bank);
    for (int k = 0; k < kNumStoredPrograms; ++k)
        std::memcpy(bank[k].name, store_.names_[k], kProgramNameBytes);
    return bank;
}

void ProgramStore::Access::setProgram(int k, const ProgramRecord& program) {
    std::memcpy(store_.names_[k], program.name, kProgramNameBytes);
    for (int i = 0; i < kProgramValues; ++i)
        store_.write(k, k, i, program.values[i]);
    store_.advanceGeneration();
}

void ProgramStore::Access::setName(int k, const char* name) {
    ProgramRecord named;
    std::memcpy(named.name, store_.names_[k], kProgramNameBytes);
    nameProgram(named, name);
    std::memcpy(store_.names_[k], named.name, kProgramNameBytes);
    store_.advanceGeneration();
}
