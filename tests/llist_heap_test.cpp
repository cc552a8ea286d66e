// The generic list's default allocator pair is the C heap: with the heap
// wrappers in place, its calls are seen, refused and balanced.
#include <libzuc/llist.h>

#include "heap_wrap.h"
#include "zuc_test.h"

namespace {

using zuc_test::Heap;
using zuc_test::HeapCount;

int element;

TEST(ListDefaultHeap, AllocationsAndReleasesBalance) {
    Heap::start();
    list *lst = list_new(nullptr, nullptr);
    ASSERT_NE(lst, nullptr);
    list_add(lst, &element);
    list_insert(lst, &element);
    EXPECT_EQ(Heap::now().live, 3u);
    list_free(lst, nullptr);
    HeapCount count = Heap::stop();
    EXPECT_EQ(count.allocations, 3u);
    EXPECT_EQ(count.frees, 3u);
    EXPECT_EQ(count.live, 0u);
}

TEST(ListDefaultHeap, EveryAllocationFailureIsHandled) {
    // Refuse the record, then the first node, then the second node.
    Heap::start(1);
    EXPECT_EQ(list_new(nullptr, nullptr), nullptr);
    EXPECT_EQ(Heap::stop().refused, 1u);

    for (unsigned fail_at = 2; fail_at <= 3; ++fail_at) {
        Heap::start(fail_at);
        list *lst = list_new(nullptr, nullptr);
        ASSERT_NE(lst, nullptr);
        bool added = list_add(lst, &element) != nullptr && list_add(lst, &element) != nullptr;
        EXPECT_FALSE(added);
        EXPECT_EQ(list_size(lst), fail_at - 2);
        list_free(lst, nullptr);
        HeapCount count = Heap::stop();
        EXPECT_EQ(count.refused, 1u);
        EXPECT_EQ(count.live, 0u);
    }
}

} // namespace
