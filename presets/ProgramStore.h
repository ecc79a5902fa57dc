// The six programs, the current index and the applying flag, shared by the audio thread, the
// host's dispatcher and automation threads and the user-interface thread.
//
// Parameter write-backs (audio and automation threads) never lock and never allocate: every
// value is an atomic slot holding the value and the ticket of the write that produced it. A
// write takes a fresh ticket and only replaces slots holding an older one, so two writers
// racing over the six copies of a shared value still leave all six with the later value.
//
// Everything that reads or replaces whole records (names, chunks, record loads, selecting a
// program) runs through Access, which holds a mutex that only non-audio threads take. Readers
// inside Access also wait for in-flight write-backs (counted on entry and exit, as in a
// sequence lock) so a snapshot never holds half of one.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "presets/ProgramRecord.h"

class ProgramStore {
  public:
    // Lock-free; any thread. Indexes outside 0..7 are ignored.
    void writeCurrent(int index, float value) noexcept;
    void writeAll(int index, float value) noexcept;
    int currentIndex() const noexcept { return current_.load(std::memory_order_acquire); }
    bool isApplying() const noexcept { return applying_.load(std::memory_order_acquire); }
    // Counts replaced names and current-index changes (not value write-backs).
    std::uint32_t generation() const noexcept {
        return generation_.load(std::memory_order_acquire);
    }

    // Exclusive access for whole-record work. Never taken on the audio thread.
    class Access {
      public:
        explicit Access(ProgramStore& store) : store_(store), lock_(store.mutex_) {}

        ProgramRecord program(int k) const;
        // The 24 name bytes of program k and a terminator.
        void copyName(int k, char* text) const;
        ProgramBank programs() const;
        void setProgram(int k, const ProgramRecord& program);
        void setName(int k, const char* name);
        void setCurrentIndex(int index) {
            store_.current_.store(index, std::memory_order_release);
            store_.advanceGeneration();
        }
        void setApplying(bool on) { store_.applying_.store(on, std::memory_order_release); }

      private:
        ProgramStore& store_;
        std::unique_lock<std::mutex> lock_;
    };

    Access access() { return Access(*this); }

  private:
    using Slot = std::atomic<std::uint64_t>;

    void advanceGeneration() noexcept { generation_.fetch_add(1, std::memory_order_acq_rel); }
    void write(int first, int last, int index, float value) noexcept;
    static void replaceIfOlder(Slot& slot, std::uint32_t ticket, float value) noexcept;
    static float valueOf(const Slot& slot) noexcept;
    // Copies the values of programs first..last once no write-back is running across the copy.
    void copyValues(int first, int last, ProgramBank& out) const;

    std::mutex mutex_;
    char names_[kNumStoredPrograms][kProgramNameBytes] = {}; // guarded by mutex_
    Slot values_[kNumStoredPrograms][kProgramValues] = {};
    std::atomic<std::uint64_t> writesBegun_{0};
    std::atomic<std::uint64_t> writesEnded_{0};
    std::atomic<int> current_{0};
    std::atomic<bool> applying_{false};
    std::atomic<std::uint32_t> generation_{0};
};
