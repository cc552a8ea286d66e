// C++ sliding averages (both forms), CRC-16 over spans, strings and pieces,
// compile-time search maps, and aligned blocks as unique pointers.
#include <libzuc/crc16.hpp>
#include <libzuc/searchmap.hpp>
#include <libzuc/slidingaverage.hpp>
#include <libzuc/zucmem.hpp>

#include "heap_wrap.h"
#include "zuc_test.h"

#include <cstdint>
#include <span>
#include <string_view>

namespace {

using zuc_test::Heap;
using namespace std::string_view_literals;

// ---- sliding average ----

// Window of 3 fed 1, 2, 3, 4: the 1 has gone; mean 3, weighted
// (1 * 2 + 2 * 3 + 3 * 4) / 6, variance (1 + 0 + 1) / 3 truncated.
template <class Window>
void expect_window_of_three(Window &w) {
    EXPECT_EQ(w.capacity(), 3u);
    for (std::uint32_t sample : {1u, 2u, 3u, 4u}) {
        w.add(sample);
    }
    EXPECT_TRUE(w.full());
    EXPECT_EQ(w.size(), 3u);
    EXPECT_DOUBLE_EQ(w.average(), 3.0);
    EXPECT_DOUBLE_EQ(w.weighted_average(), 20.0 / 6.0);
    EXPECT_EQ(w.variance(), 0u);
    w.reset();
    EXPECT_EQ(w.size(), 0u);
    w.add(0);
    w.add(3);
    w.add(3);
    EXPECT_EQ(w.variance(), 2u); // mean 2: distances 2, 1, 1
}

TEST(CppSlidingAverage, BothFormsAnswerAndTheHeapFormOwnsItsBlocks) {
    EXPECT_EQ(zuc_test::runs_until_made([] {
                  auto w = zuc::sliding_average::make(3);
                  if (w) {
                      zuc::sliding_average moved(std::move(*w));
                      EXPECT_EQ(w->native(), nullptr);
                      expect_window_of_three(moved);
                  }
                  return w.has_value();
              }),
              3u);
    using Window = zuc::inplace_sliding_average<3>;
    // The record and the ring, rounded up to the record's alignment only.
    EXPECT_GE(sizeof(Window), sizeof(SlidingAverage) + 3 * sizeof(std::uint32_t));
    EXPECT_LT(sizeof(Window),
              sizeof(SlidingAverage) + 3 * sizeof(std::uint32_t) + alignof(SlidingAverage));
    Heap::start();
    {
        Window w;
        EXPECT_EQ(static_cast<const void *>(w.native()), static_cast<const void *>(&w));
        expect_window_of_three(w);
    }
    EXPECT_EQ(Heap::stop().allocations, 0u);
}

TEST(CppSlidingAverageDeathTest, AnEmptyWindowAbortsInTheLibrary) {
    EXPECT_ZUC_CHECK_FAILS(zuc::sliding_average::make(0), "slidingaverage", "SlidingAverage_create",
                           "maxEntries > 0");
}

// ---- CRC-16 ----

struct CrcCase {
    std::string_view text;
    std::uint16_t crc;
};
const CrcCase crc_cases[] = {
    {"123456789", 0x31C3}, {"abc", 0x9DD6}, {"", 0}, {"\0\0abc"sv, 0x9DD6}};

TEST(CppCrc16, EveryFormOfTheDataGivesTheSameChecksum) {
    for (const CrcCase &c : crc_cases) {
        SCOPED_TRACE(c.text);
        std::span<const std::byte> bytes = std::as_bytes(std::span(c.text));
        std::span<const unsigned char> uchars(
            reinterpret_cast<const unsigned char *>(c.text.data()), c.text.size());
        EXPECT_EQ(zuc::crc16(c.text), c.crc);
        EXPECT_EQ(zuc::crc16(bytes), c.crc);
        EXPECT_EQ(zuc::crc16(uchars), c.crc);
        for (std::size_t split = 0; split <= c.text.size(); ++split) {
            zuc::crc16_state state;
            state.update(bytes.first(split));
            state.update(uchars.subspan(split));
            EXPECT_EQ(state.value(), c.crc) << "split at " << split;
        }
    }
    zuc::crc16_state state;
    state.update(std::uint8_t{0x01});
    EXPECT_EQ(state.value(), 0x1021);
    state.reset();
    state.update(std::string_view("1234"));
    state.update(std::byte{'5'});
    state.update("6789");
    EXPECT_EQ(state.value(), 0x31C3);
}

// ---- search maps ----

constexpr auto codes = zuc::uint_uint_map({{10, 1000}, {70000, 7}, {10, 2}});
constexpr auto states = zuc::str_uint_map({{"idle", 0}, {"busy", 1}, {"spare", 1}});
static_assert(codes.entries().size() == 3 && states.entries().size() == 3);

TEST(CppSearchMap, TablesEndInTheirSentinelAndLookupsAreOptional) {
    EXPECT_EQ(codes.find(70000), std::optional<std::uint32_t>(7));
    EXPECT_EQ(codes.find(10), std::optional<std::uint32_t>(1000)); // the first match
    EXPECT_EQ(codes.find(11), std::nullopt);
    EXPECT_EQ(codes.find(ZUCLIB_UINT_UINT_MAP_END), std::nullopt);
    EXPECT_EQ(codes.data()[3].key, ZUCLIB_UINT_UINT_MAP_END);
    EXPECT_EQ(zuclib_search_uint_uint_map(codes.data(), 70000), 7u);

    EXPECT_EQ(states.find(1), states.entries()[1].str);
    EXPECT_EQ(states.find(2), nullptr);
    EXPECT_EQ(states.data()[3].str, nullptr);
}

// ---- aligned blocks ----

TEST(CppAlignedBlocks, BlocksAreAlignedAndReleasedOnceByTheirOwner) {
    static_assert(sizeof(zuc::aligned_ptr<void>) == sizeof(void *));
    EXPECT_EQ(zuc_test::runs_until_made([] {
                  zuc::aligned_ptr<double[]> v = zuc::aligned_array<double>(10, 64);
                  zuc::aligned_ptr<void> block = zuc::memalign(32, 100);
                  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(v.get()) % 64, 0u);
                  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block.get()) % 32, 0u);
                  if (v != nullptr) {
                      v[9] = 1.5; // the whole array is usable
                  }
                  return v != nullptr && block != nullptr;
              }),
              3u);
    Heap::start();
    EXPECT_EQ(zuc::aligned_array<std::uint64_t>(SIZE_MAX / 4, 16), nullptr); // bytes overflow
    EXPECT_EQ(Heap::stop().allocations, 0u);
}

TEST(CppAlignedBlocksDeathTest, AnOddAlignmentAborts) {
    EXPECT_ZUC_CHECK_FAILS(zuc::memalign(3, 8), "zucmem", "zu_memalign", "(alignment % 2) == 0");
}

} // namespace
