// Memory pool: element addresses and zero fill, LIFO reuse and the stack's
// layout against a model, size refusals and checks.
#include <libzuc/mempool.h>

#include "heap_wrap.h"
#include "zuc_test.h"

#include <climits>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

namespace {

using zuc_test::Heap;
using zuc_test::HeapCount;

unsigned char *start_of(const mempool *pool) {
    return static_cast<unsigned char *>(pool->elements);
}

bool all_zero(const void *p, unsigned size) {
    const auto *bytes = static_cast<const unsigned char *>(p);
    for (unsigned i = 0; i < size; ++i) {
        if (bytes[i] != 0) {
            return false;
        }
    }
    return true;
}

TEST(Mempool, HandsOutZeroedElementsBackToBackInAddressOrder) {
    for (unsigned size : {1u, 3u, 6u, 7u, 13u, 16u}) {
        SCOPED_TRACE(size);
        constexpr unsigned n = 5;
        mempool *pool = mempool_create(n, size);
        ASSERT_NE(pool, nullptr);
        EXPECT_EQ(pool->nelements, n);
        EXPECT_EQ(pool->elementsize, size);
        std::vector<unsigned char *> got;
        for (unsigned i = 0; i < n; ++i) {
            got.push_back(static_cast<unsigned char *>(mempool_alloc(pool)));
            EXPECT_EQ(got.back(), start_of(pool) + i * size);
            EXPECT_TRUE(all_zero(got.back(), size));
            EXPECT_EQ(pool->nallocated, i + 1);
            std::memset(got.back(), static_cast<int>(i + 1), size);
        }
        EXPECT_EQ(mempool_alloc(pool), nullptr);
        EXPECT_EQ(pool->nallocated, n);
        // Filling every element whole disturbed none of its neighbours.
        for (unsigned i = 0; i < n; ++i) {
            for (unsigned b = 0; b < size; ++b) {
                EXPECT_EQ(got[i][b], i + 1) << "element " << i;
            }
        }
        mempool_destroy(pool);
    }
    mempool_destroy(nullptr);
}

TEST(Mempool, RandomRunMatchesModel) {
    // Model: the free elements as a stack whose top is the back; a new pool
    // has element 0 on top. Handed-out elements carry a tag to catch overlap.
    constexpr unsigned n = 9, size = 5;
    mempool *pool = mempool_create(n, size);
    ASSERT_NE(pool, nullptr);
    unsigned char *start = start_of(pool);
    std::vector<unsigned char *> free_stack, handed_out;
    for (unsigned i = n; i-- > 0;) {
        free_stack.push_back(start + i * size);
    }
    std::mt19937 rng(8);
    unsigned char tag = 0;
    for (int step = 0; step < 2000; ++step) {
        if (rng() % 8 == 0) {
            mempool_free(pool, nullptr); // ignored
        } else if (rng() % 2 == 0) {
            void *element = mempool_alloc(pool);
            if (free_stack.empty()) {
                ASSERT_EQ(element, nullptr);
                continue;
            }
            ASSERT_EQ(element, free_stack.back()) << "step " << step;
            free_stack.pop_back();
            handed_out.push_back(static_cast<unsigned char *>(element));
            std::memset(element, ++tag, size);
        } else if (!handed_out.empty()) {
            std::size_t pick = rng() % handed_out.size();
            unsigned char *element = handed_out[pick];
            for (unsigned b = 0; b < size; ++b) {
                ASSERT_EQ(element[b], element[0]) << "element overwritten";
            }
            handed_out.erase(handed_out.begin() + static_cast<std::ptrdiff_t>(pick));
            mempool_free(pool, element);
            free_stack.push_back(element);
        }
        // The stack array: sentinels below nallocated, then the free
        // elements with the top at slot nallocated.
        ASSERT_EQ(pool->nallocated, handed_out.size());
        for (unsigned slot = 0; slot < n; ++slot) {
            void *expected = slot < pool->nallocated ? nullptr : free_stack[n - 1 - slot];
            ASSERT_EQ(pool->stack[slot], expected) << "step " << step << " slot " << slot;
        }
    }
    mempool_destroy(pool);
}

TEST(MempoolHeap, SizesBeyond32BitsAreRefusedBeforeAllocating) {
    // A pool is accepted when, counted as on the 32-bit target, both the
    // element block and the stack of 4-byte slots fit in 32 bits. Accepted
    // ones reach the element block's calloc, which is refused here.
    struct Case {
        unsigned nelements, elementsize;
    };
    const Case cases[] = {
        {65536, 65536},        {65537, 65535}, // product 2^32, then 2^32 - 1
        {2, UINT_MAX / 2 + 1}, {1, UINT_MAX},       {UINT_MAX, 2},
        {1u << 30, 1},         {(1u << 30) - 1, 1}, // the stack alone: 2^32 bytes, then less
    };
    for (const Case &c : cases) {
        std::uint64_t block = std::uint64_t{c.nelements} * c.elementsize;
        std::uint64_t stack = std::uint64_t{c.nelements} * 4;
        bool accepted = block <= 0xFFFFFFFFu && stack <= 0xFFFFFFFFu;
        Heap::start(2);
        EXPECT_EQ(mempool_create(c.nelements, c.elementsize), nullptr);
        HeapCount count = Heap::stop();
        EXPECT_EQ(count.allocations, accepted ? 2u : 0u) << c.nelements << " x " << c.elementsize;
        if (accepted) { // the whole block was asked for
            EXPECT_EQ(Heap::call(1).bytes, block) << c.nelements << " x " << c.elementsize;
        }
        EXPECT_EQ(count.live, 0u);
    }
}

TEST(MempoolDeathTest, CallerErrors) {
    EXPECT_ZUC_CHECK_FAILS(mempool_create(0, 0), "mempool", "mempool_create", "nelements > 0");
    EXPECT_ZUC_CHECK_FAILS(mempool_create(1, 0), "mempool", "mempool_create", "elementsize > 0");
    EXPECT_ZUC_CHECK_FAILS(mempool_alloc(nullptr), "mempool", "mempool_alloc", "pool != NULL");
    EXPECT_ZUC_CHECK_FAILS(mempool_free(nullptr, nullptr), "mempool", "mempool_free",
                           "pool != NULL");
    mempool *pool = mempool_create(2, 4);
    int foreign;
    EXPECT_ZUC_CHECK_FAILS(mempool_free(pool, &foreign), "mempool", "mempool_free",
                           "pool->nallocated > 0");
    mempool_destroy(pool);
}

TEST(MempoolDeathTest, DamagedStackIsReportedByPopAndPush) {
    mempool *pool = mempool_create(2, 4);
    pool->stack[0] = nullptr; // the top of the stack claims no free element
    EXPECT_ZUC_CHECK_FAILS(mempool_alloc(pool), "mempool", "stack_pop",
                           "element != STACK_SENTINEL");
    mempool_destroy(pool);

    pool = mempool_create(2, 4);
    void *element = mempool_alloc(pool);
    pool->stack[0] = element; // the slot to push into is not empty
    EXPECT_ZUC_CHECK_FAILS(mempool_free(pool, element), "mempool", "stack_push",
                           "pool->stack[pool->nallocated] == STACK_SENTINEL");
    mempool_destroy(pool);
}

} // namespace
