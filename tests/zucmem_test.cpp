// Aligned allocation: alignment honoured, refusals as NULL, balance, checks.
#include <libzuc/zucmem.h>

#include "heap_wrap.h"
#include "zuc_test.h"

#include <cstdint>
#include <cstring>

#if defined(__SANITIZE_ADDRESS__)
// posix_memalign refuses some alignments on purpose here; the sanitizer would
// otherwise report that as an error instead of returning the failure.
extern "C" const char *__asan_default_options() {
    return "allocator_may_return_null=1";
}
#endif

namespace {

using zuc_test::Heap;
using zuc_test::HeapCount;

TEST(ZuMemalign, PowersOfTwoFromThePointerSizeUp) {
    for (size_t alignment = sizeof(void *); alignment <= 65536; alignment *= 2) {
        for (size_t size : {1u, 100u, 4096u}) {
            Heap::start();
            void *block = zu_memalign(alignment, size);
            ASSERT_NE(block, nullptr) << "alignment " << alignment << ", size " << size;
            EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % alignment, 0u) << alignment;
            std::memset(block, 0x5A, size); // the whole block is usable
            zu_free(block);
            HeapCount count = Heap::stop();
            EXPECT_EQ(count.allocations, 1u);
            EXPECT_EQ(count.live, 0u);
        }
    }
}

// Even alignments that are not a power of two, or below the pointer size,
// give null; size zero is passed on; freeing null does nothing.
TEST(ZuMemalign, RefusalsSizeZeroAndNull) {
    for (size_t alignment : {size_t{0}, size_t{2}, size_t{6}, size_t{12}, sizeof(void *) + 2}) {
        Heap::start();
        EXPECT_EQ(zu_memalign(alignment, 8), nullptr) << alignment;
        EXPECT_EQ(Heap::stop().live, 0u) << alignment;
    }
    Heap::start();
    void *block = zu_memalign(16, 0);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % 16, 0u);
    zu_free(block);
    zu_free(nullptr);
    const HeapCount count = Heap::stop();
    EXPECT_EQ(count.allocations, 1u);
    EXPECT_EQ(count.frees, 1u);
    EXPECT_EQ(count.live, 0u);
}

TEST(ZuMemalignDeathTest, OddAlignmentAborts) {
    for (size_t alignment : {1u, 3u, 17u}) {
        EXPECT_ZUC_CHECK_FAILS(zu_memalign(alignment, 8), "zucmem", "zu_memalign",
                               "(alignment % 2) == 0");
    }
}

} // namespace
