// Sliding average: worked examples, wrap-around, large samples, reset, a
// randomized run against a plain model, both forms' memory use, and checks.
#include <libzuc/slidingaverage.h>

#include "heap_wrap.h"
#include "zuc_test.h"

#include <climits>
#include <cstdint>
#include <cstring>
#include <deque>
#include <numeric>
#include <random>
#include <vector>

namespace {

using zuc_test::Heap;
using zuc_test::HeapCount;

constexpr uint32_t max_sample = UINT32_MAX;

// Storage for in-place objects, aligned for the record on any host.
struct Buffer {
    explicit Buffer(unsigned int bytes) : words((bytes + 7) / 8 + 1) {}
    void *data() { return words.data(); }
    std::vector<uint64_t> words;
};

unsigned int inplace_size(unsigned int maxEntries) {
    return static_cast<unsigned int>(sizeof(SlidingAverage) + maxEntries * sizeof(uint32_t));
}

struct Example {
    const char *name;
    unsigned int window;
    std::vector<uint32_t> samples;
    double mean;
    double weighted;
    uint32_t variance;
};

// Expected values worked out by hand: weights 1 (oldest) .. n (newest); the
// variance is the mean of the squared distances to the truncated mean.
const Example examples[] = {
    {"empty", 4, {}, 0.0, 0.0, 0},
    {"window of one keeps the last", 1, {7, 9}, 9.0, 9.0, 0},
    {"one then three", 2, {1, 3}, 2.0, 7.0 / 3, 1},
    {"mean truncated before the variance", 2, {0, 3}, 1.5, 2.0, 2},
    {"oldest dropped", 3, {1, 2, 3, 4}, 3.0, 20.0 / 6, 0},
    {"no variance until full",
     10,
     {0, 1000000, 0, 1000000, 0, 1000000, 0, 1000000, 0},
     4000000.0 / 9,
     (2e6 + 4e6 + 6e6 + 8e6) / 45,
     0},
    {"sum beyond 32 bits", 2, {max_sample, max_sample}, 4294967295.0, 4294967295.0, 0},
    // Mean 168000 / 8 = 21000; squares 7 * 20000^2 + 140000^2 = 22400000000,
    // past 32 bits, though the variance itself fits.
    {"squares beyond 32 bits",
     8,
     {1000, 1000, 1000, 1000, 1000, 1000, 1000, 161000},
     21000.0,
     (1000.0 * 28 + 161000.0 * 8) / 36,
     2800000000u},
    // sum 8589934590; weighted 4294967295 + 2 * 4294967294 + 3 * 1 = 12884901886;
    // the squared distances run to 2^62, far past what the result can hold.
    {"large samples",
     3,
     {max_sample, max_sample - 1, 1},
     2863311530.0,
     12884901886.0 / 6,
     UINT32_MAX},
    // The squared distances sum to 2^64 + 162884: a wrapped 64-bit sum would
    // give a variance of 32576.
    {"squares beyond 64 bits",
     5,
     {0, 0, max_sample, max_sample, 2147380025},
     2147462923.0,
     40801671190.0 / 15,
     UINT32_MAX},
};

TEST(SlidingAverageExamples, MeanWeightedMeanVariance) {
    for (const Example &example : examples) {
        SCOPED_TRACE(example.name);
        SlidingAverage *avg = SlidingAverage_create(example.window);
        ASSERT_NE(avg, nullptr);
        for (uint32_t sample : example.samples) {
            SlidingAverage_Add(avg, sample);
        }
        const auto held = std::min<size_t>(example.samples.size(), example.window);
        EXPECT_EQ(SlidingAverage_NoOfEntries(avg), held);
        EXPECT_DOUBLE_EQ(SlidingAverage_GetAverage(avg), example.mean);
        EXPECT_DOUBLE_EQ(SlidingAverage_GetWeightedAverage(avg), example.weighted);
        EXPECT_EQ(SlidingAverage_GetVariance(avg), example.variance);
        SlidingAverage_destroy(avg);
    }
}

TEST(SlidingAverageRing, FillsFromSlotZeroOverwritesTheOldestAndResets) {
    SlidingAverage *avg = SlidingAverage_create(3);
    ASSERT_NE(avg, nullptr);
    auto ring = [avg] { return std::vector<uint32_t>(avg->log, avg->log + 3); };
    SlidingAverage_Add(avg, 1);
    SlidingAverage_Add(avg, 2);
    EXPECT_EQ(ring(), (std::vector<uint32_t>{1, 2, 0}));
    EXPECT_EQ(avg->writeIndex, 2u);
    for (uint32_t sample = 3; sample <= 7; ++sample) {
        SlidingAverage_Add(avg, sample);
    }
    EXPECT_EQ(ring(), (std::vector<uint32_t>{7, 5, 6}));
    EXPECT_EQ(avg->writeIndex, 1u); // the oldest, 5
    EXPECT_EQ(avg->sum, 5u + 6 + 7);

    SlidingAverage_Reset(avg);
    EXPECT_EQ(SlidingAverage_NoOfEntries(avg), 0u);
    EXPECT_EQ(SlidingAverage_GetAverage(avg), 0.0);
    EXPECT_EQ(SlidingAverage_GetWeightedAverage(avg), 0.0);
    EXPECT_EQ(avg->writeIndex, 0u);
    EXPECT_EQ(avg->sum, 0u);
    EXPECT_EQ(ring(), std::vector<uint32_t>(3, 0));
    SlidingAverage_Add(avg, 5);
    SlidingAverage_Add(avg, 8);
    EXPECT_EQ(avg->log[0], 5u);
    EXPECT_DOUBLE_EQ(SlidingAverage_GetWeightedAverage(avg), (5.0 + 2 * 8) / 3);
    SlidingAverage_destroy(avg);
}

// The last `window` samples, oldest first, and the statistics recomputed
// from them on every query.
struct Model {
    unsigned int window;
    std::deque<uint32_t> samples;

    void add(uint32_t sample) {
        samples.push_back(sample);
        if (samples.size() > window) {
            samples.pop_front();
        }
    }
    uint64_t sum() const { return std::accumulate(samples.begin(), samples.end(), uint64_t{0}); }
    double mean() const { return samples.empty() ? 0.0 : double(sum()) / samples.size(); }
    double weighted_mean() const {
        uint64_t total = 0, weights = 0, weight = 0;
        for (uint32_t sample : samples) {
            total += ++weight * sample;
            weights += weight;
        }
        return samples.empty() ? 0.0 : double(total) / double(weights);
    }
    // Exact for samples below 2^16, where every square is exact in double.
    uint32_t variance() const {
        if (samples.size() < window) {
            return 0;
        }
        const auto m = static_cast<uint64_t>(mean());
        uint64_t squares = 0;
        for (uint32_t sample : samples) {
            const uint64_t d = sample > m ? sample - m : m - sample;
            squares += d * d;
        }
        return static_cast<uint32_t>(squares / samples.size());
    }
};

TEST(SlidingAverageRandomized, AgreesWithAPlainRecomputation) {
    std::mt19937 rng(5150);
    // Full-range samples check the means; samples below 2^16 keep the variance
    // representable, so it is checked too.
    for (uint32_t limit : {65535u, max_sample}) {
        for (unsigned int window : {1u, 2u, 3u, 7u, 64u, 1000u}) {
            SCOPED_TRACE(testing::Message() << "window " << window << ", samples <= " << limit);
            std::uniform_int_distribution<uint32_t> sample_of(0, limit);
            SlidingAverage *avg = SlidingAverage_create(window);
            ASSERT_NE(avg, nullptr);
            Model model{window, {}};
            for (unsigned int i = 0; i < 3 * window + 5; ++i) {
                const uint32_t sample = sample_of(rng);
                SlidingAverage_Add(avg, sample);
                model.add(sample);
                ASSERT_EQ(SlidingAverage_NoOfEntries(avg), model.samples.size());
                ASSERT_EQ(avg->sum, model.sum());
                ASSERT_DOUBLE_EQ(SlidingAverage_GetAverage(avg), model.mean());
                ASSERT_DOUBLE_EQ(SlidingAverage_GetWeightedAverage(avg), model.weighted_mean());
                if (limit == 65535u) {
                    ASSERT_EQ(SlidingAverage_GetVariance(avg), model.variance());
                }
            }
            SlidingAverage_destroy(avg);
        }
    }
}

// Past 2^53 a 64-bit sum no longer fits a double's mantissa and converting it
// rounds. 4096 samples near 2^32 carry the weighted sum to about 2^55; the
// weighted mean must be that sum rounded to nearest, as the compiler's own
// conversion in the model rounds it. Compared exactly: one ulp off fails.
TEST(SlidingAverageRandomized, WeightedSumsBeyond53BitsRoundToNearest) {
    constexpr unsigned int window = 4096;
    std::mt19937 rng(8191);
    std::uniform_int_distribution<uint32_t> sample_of(0xF0000000u, max_sample);
    SlidingAverage *avg = SlidingAverage_create(window);
    ASSERT_NE(avg, nullptr);
    Model model{window, {}};
    for (unsigned int i = 1; i <= window + 64; ++i) {
        const uint32_t sample = sample_of(rng);
        SlidingAverage_Add(avg, sample);
        model.add(sample);
        if (i >= window - 64 && i % 8 == 0) {
            ASSERT_EQ(SlidingAverage_GetWeightedAverage(avg), model.weighted_mean()) << i;
        }
    }
    SlidingAverage_destroy(avg);
}

TEST(SlidingAverageHeap, RingThatDoesNotFitIn32BitsIsRefusedBeforeAllocating) {
    const unsigned int largest = UINT_MAX / 4; // 4 * largest still fits
    for (unsigned int window : {largest + 1, UINT_MAX / 2, UINT_MAX}) {
        Heap::start();
        EXPECT_EQ(SlidingAverage_create(window), nullptr);
        EXPECT_EQ(Heap::stop().allocations, 0u);
    }
    // The largest ring that fits is asked for (and refused here, as a 32-bit
    // system would), and the record is given back.
    Heap::start(2);
    EXPECT_EQ(SlidingAverage_create(largest), nullptr);
    HeapCount count = Heap::stop();
    EXPECT_EQ(count.allocations, 2u);
    EXPECT_EQ(Heap::call(1).bytes, uint64_t{largest} * 4); // 4294967292
    EXPECT_EQ(count.live, 0u);
}

TEST(SlidingAverageInplace, ExactBufferHoldsRecordAndRingAndNothingMore) {
    constexpr unsigned int window = 5;
    const unsigned int size = inplace_size(window);
#if UINTPTR_MAX == 0xFFFFFFFFu
    EXPECT_EQ(size, 4 * window + 24);
#endif
    Buffer buf(size + 16);
    auto *bytes = static_cast<unsigned char *>(buf.data());
    std::memset(bytes, 0xA5, size + 16);

    Heap::start();
    SlidingAverage *avg = SlidingAverage_inplace_create(buf.data(), size, window);
    for (uint32_t sample = 1; sample <= 12; ++sample) {
        SlidingAverage_Add(avg, sample);
    }
    EXPECT_EQ(Heap::stop().allocations, 0u);

    ASSERT_EQ(static_cast<void *>(avg), buf.data());
    EXPECT_EQ(reinterpret_cast<unsigned char *>(avg->log), bytes + sizeof(SlidingAverage));
    EXPECT_EQ(avg->maxEntries, window);
    EXPECT_DOUBLE_EQ(SlidingAverage_GetAverage(avg), 10.0);
    EXPECT_EQ(SlidingAverage_GetVariance(avg), 2u); // (4 + 1 + 0 + 1 + 4) / 5
    for (unsigned int i = size; i < size + 16; ++i) {
        EXPECT_EQ(bytes[i], 0xA5) << "byte " << i << " past the buffer";
    }
}

TEST(SlidingAverageDeathTest, CallerErrorsAbort) {
    Buffer buf(inplace_size(8));
    void *const aligned = buf.data();
    void *const misaligned = static_cast<char *>(aligned) + 2;
    const unsigned int size = inplace_size(8);
    const char *module = "slidingaverage";
    const char *inplace = "SlidingAverage_inplace_create";
    const char *big_enough = "bufsize >= maxEntries * sizeof *p->log + sizeof *p";

    EXPECT_ZUC_CHECK_FAILS(SlidingAverage_create(0), module, "SlidingAverage_create",
                           "maxEntries > 0");
    EXPECT_ZUC_CHECK_FAILS(SlidingAverage_inplace_create(nullptr, size, 8), module, inplace, "buf");
    EXPECT_ZUC_CHECK_FAILS(SlidingAverage_inplace_create(aligned, size - 1, 8), module, inplace,
                           big_enough);
    // Too small is reported before misaligned, and before a zero window.
    EXPECT_ZUC_CHECK_FAILS(SlidingAverage_inplace_create(misaligned, size - 1, 8), module, inplace,
                           big_enough);
    EXPECT_ZUC_CHECK_FAILS(SlidingAverage_inplace_create(misaligned, size, 8), module, inplace,
                           "(intptr_t)buf % 4 == 0");
    EXPECT_ZUC_CHECK_FAILS(SlidingAverage_inplace_create(aligned, inplace_size(0) - 1, 0), module,
                           inplace, big_enough);
    EXPECT_ZUC_CHECK_FAILS(SlidingAverage_inplace_create(aligned, size, 0), module, inplace,
                           "maxEntries > 0");

    SlidingAverage no_ring{};
    EXPECT_ZUC_CHECK_FAILS(SlidingAverage_Reset(nullptr), module, "SlidingAverage_Reset",
                           "p != NULL");
    EXPECT_ZUC_CHECK_FAILS(SlidingAverage_Reset(&no_ring), module, "SlidingAverage_Reset",
                           "p->log");
    EXPECT_ZUC_CHECK_FAILS(SlidingAverage_Add(nullptr, 1), module, "SlidingAverage_Add",
                           "p != NULL");
    EXPECT_ZUC_CHECK_FAILS(SlidingAverage_GetAverage(nullptr), module, "SlidingAverage_GetAverage",
                           "p");
    EXPECT_ZUC_CHECK_FAILS(SlidingAverage_NoOfEntries(nullptr), module,
                           "SlidingAverage_NoOfEntries", "p");
    EXPECT_ZUC_CHECK_FAILS(SlidingAverage_GetVariance(nullptr), module,
                           "SlidingAverage_GetVariance", "p != NULL");
}

TEST(SlidingAverageDeathTest, WindowWhoseSizeWouldWrapIsCaughtBeforeTheSizeCheck) {
    Buffer buf(inplace_size(8));
    const char *fits = "maxEntries <= (UINT_MAX - sizeof *p) / sizeof *p->log";
    // The largest window whose record and ring fit in 32 bits, worked out in
    // 64-bit arithmetic.
    const auto largest =
        static_cast<unsigned int>((uint64_t{UINT_MAX} - sizeof(SlidingAverage)) / 4);
    // 2^30 samples: in 32 bits the byte count wraps to the record alone, which
    // this buffer would hold.
    for (unsigned int window : {largest + 1, 1u << 30, UINT_MAX}) {
        EXPECT_ZUC_CHECK_FAILS(SlidingAverage_inplace_create(buf.data(), inplace_size(8), window),
                               "slidingaverage", "SlidingAverage_inplace_create", fits);
    }
    // The largest window passes that check and meets the size check.
    const uint64_t needed = uint64_t{largest} * 4 + sizeof(SlidingAverage);
    EXPECT_ZUC_CHECK_FAILS(
        SlidingAverage_inplace_create(buf.data(), static_cast<unsigned int>(needed - 1), largest),
        "slidingaverage", "SlidingAverage_inplace_create",
        "bufsize >= maxEntries * sizeof *p->log + sizeof *p");
}

} // namespace
