// The 32-bit Windows heap hands out 8-byte-aligned blocks while the compiler assumes 16 for
// plain operator new: over-aligned types must still land on their alignment.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace {

template <std::size_t Alignment> struct alignas(Alignment) Lanes {
    float values[Alignment / sizeof(float)];
};

template <std::size_t Alignment> void expectAlignedAllocations() {
    std::vector<std::unique_ptr<Lanes<Alignment>>> single;
    std::vector<std::unique_ptr<Lanes<Alignment>[]>> arrays;
    for (int i = 0; i < 64; ++i) {
        single.emplace_back(new Lanes<Alignment>());
        arrays.emplace_back(new Lanes<Alignment>[static_cast<std::size_t>(i % 7 + 1)]);
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(single.back().get()) % Alignment, 0u);
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(arrays.back().get()) % Alignment, 0u);
    }
    std::vector<Lanes<Alignment>> grown;
    for (int i = 0; i < 100; ++i) {
        grown.emplace_back();
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(grown.data()) % Alignment, 0u);
    }
}

TEST(HeapAlignment, SixteenByteTypes) {
    expectAlignedAllocations<16>();
}
TEST(HeapAlignment, ThirtyTwoByteTypes) {
    expectAlignedAllocations<32>();
}

} // namespace
