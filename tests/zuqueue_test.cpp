// Bounded pointer queue: both forms against a model, slot use, draining,
// in-place sizes and buffers, capacity refusals, checks.
#include <libzuc/zuqueue.h>

#include "heap_wrap.h"
#include "zuc_test.h"

#include <climits>
#include <cstdint>
#include <cstring>
#include <deque>
#include <random>
#include <string>
#include <vector>

namespace {

using zuc_test::Heap;
using zuc_test::HeapCount;

int elems[8];
void *const A = &elems[0];
void *const B = &elems[1];
void *const C = &elems[2];

// What the release callback saw, with the number of blocks freed so far.
struct Release {
    void *elem;
    unsigned frees_before;
    bool operator==(const Release &) const = default;
};
std::vector<Release> released;
void record_release(void *elem) {
    released.push_back({elem, Heap::now().frees});
}

// The in-place size counted independently: the record, then one slot per
// element, in 64 bits so nothing wraps.
std::uint64_t true_size(std::uint64_t capacity) {
    return sizeof(zuqueue) + capacity * sizeof(void *);
}

// Every test runs on a heap queue and on an in-place one.
class ZuqueueForms : public ::testing::TestWithParam<bool> {
  protected:
    void TearDown() override { drop(); }
    void drop() {
        if (q != nullptr) {
            (GetParam() ? zuqueue_inplace_free : zuqueue_free)(q, nullptr);
        }
        q = nullptr;
    }
    // An in-place queue is made in a buffer full of garbage.
    zuqueue *make(unsigned capacity) {
        drop();
        if (GetParam()) {
            unsigned size = zuqueue_size(capacity);
            buffer.assign(size / sizeof(void *) + 1, &buffer);
            q = zuqueue_inplace_new(buffer.data(), size, capacity);
        } else {
            q = zuqueue_new(capacity);
        }
        return q;
    }
    zuqueue *q = nullptr;
    std::vector<void *> buffer; // pointer-aligned storage for the in-place form
};

std::string form_name(const ::testing::TestParamInfo<bool> &param) {
    return param.param ? "InPlace" : "Heap";
}

INSTANTIATE_TEST_SUITE_P(, ZuqueueForms, ::testing::Values(false, true), form_name);

// The k-th element ever added goes into slot k mod capacity (so the indexes
// start on the last slot and are never reset), and the k-th one taken comes
// out of that slot and leaves it empty.
TEST_P(ZuqueueForms, RandomRunMatchesDeque) {
    std::mt19937 rng(5);
    static int items[64];
    for (unsigned capacity : {1u, 5u}) {
        SCOPED_TRACE(capacity);
        make(capacity);
        std::deque<void *> model;
        unsigned long long adds = 0, gets = 0;
        for (int step = 0; step < 2000; ++step) {
            if (rng() % 2 == 0) {
                void *elem = &items[rng() % 64];
                bool fits = model.size() < capacity;
                ASSERT_EQ(zuqueue_add(q, elem), fits ? 1 : 0) << "step " << step;
                if (fits) {
                    ASSERT_EQ(q->members[adds++ % capacity], elem);
                    model.push_back(elem);
                }
            } else {
                void *expected = model.empty() ? nullptr : model.front();
                ASSERT_EQ(zuqueue_get(q), expected) << "step " << step;
                if (!model.empty()) {
                    ASSERT_EQ(q->members[gets++ % capacity], nullptr);
                    model.pop_front();
                }
            }
            ASSERT_EQ(q->count, model.size());
            unsigned occupied = 0;
            for (unsigned i = 0; i < capacity; ++i) {
                occupied += q->members[i] != nullptr ? 1 : 0;
            }
            ASSERT_EQ(occupied, model.size());
        }
    }
}

using ZuqueueFormsDeathTest = ZuqueueForms;
INSTANTIATE_TEST_SUITE_P(, ZuqueueFormsDeathTest, ::testing::Values(false, true), form_name);

TEST_P(ZuqueueFormsDeathTest, NullElementAndDamagedSlots) {
    make(1);
    EXPECT_ZUC_CHECK_FAILS(zuqueue_add(nullptr, A), "zuqueue", "zuqueue_add", "p != NULL");
    EXPECT_ZUC_CHECK_FAILS(zuqueue_get(nullptr), "zuqueue", "zuqueue_get", "p != NULL");
    zuqueue_add(q, A);
    // Refused as null before the queue is found full.
    EXPECT_ZUC_CHECK_FAILS(zuqueue_add(q, nullptr), "zuqueue", "zuqueue_add", "elem != NULL");
    q->members[0] = nullptr; // count says one element, the slot says none
    EXPECT_ZUC_CHECK_FAILS(zuqueue_get(q), "zuqueue", "zuqueue_get", "elem != NULL");
    q->members[0] = B;
    q->count = 0; // count says empty, the slot is taken
    EXPECT_ZUC_CHECK_FAILS(zuqueue_add(q, A), "zuqueue", "zuqueue_add", "p->members[i] == NULL");
}

// Freeing hands what is left to the release callback, oldest first, before
// any block goes; the in-place form frees nothing and stays usable, and
// without a callback it is left as it was.
TEST(ZuqueueRelease, FreeDrainsOldestFirst) {
    released.clear();
    Heap::start();
    zuqueue *q = zuqueue_new(3);
    zuqueue_add(q, A);
    zuqueue_add(q, B);
    zuqueue_free(q, record_release);
    q = zuqueue_new(3);
    zuqueue_add(q, A);
    zuqueue_free(q, nullptr);
    zuqueue_free(nullptr, record_release);
    HeapCount count = Heap::stop();
    EXPECT_EQ(count.frees, 4u);
    EXPECT_EQ(count.live, 0u);
    EXPECT_EQ(released, (std::vector<Release>{{A, 0}, {B, 0}}));

    released.clear();
    alignas(void *) unsigned char buffer[128];
    std::memset(buffer, 0xAA, sizeof buffer);
    const unsigned size = zuqueue_size(2);
    q = zuqueue_inplace_new(buffer, size, 2);
    EXPECT_EQ(static_cast<void *>(q), buffer);
    EXPECT_EQ(static_cast<void *>(q->members), buffer + sizeof(zuqueue));
    zuqueue_add(q, A);
    zuqueue_add(q, B);
    zuqueue_inplace_free(q, nullptr);
    EXPECT_EQ(q->count, 2u);
    Heap::start();
    zuqueue_inplace_free(q, record_release);
    zuqueue_inplace_free(nullptr, record_release);
    EXPECT_EQ(Heap::stop().frees, 0u);
    EXPECT_EQ(released, (std::vector<Release>{{A, 0}, {B, 0}}));
    EXPECT_EQ(zuqueue_add(q, C), 1);
    EXPECT_EQ(zuqueue_get(q), C);
    for (unsigned i = size; i < sizeof buffer; ++i) {
        EXPECT_EQ(buffer[i], 0xAA) << "byte " << i << " beyond the slots was written";
    }
}

TEST(ZuqueueSize, CountsRecordAndSlotsInTheirWidths) {
    for (unsigned capacity : {0u, 1u, 10u, 1000u, ZUQUEUE_MAX_CAPACITY}) {
        EXPECT_EQ(zuqueue_size(capacity), true_size(capacity)) << capacity;
#if UINTPTR_MAX == 0xFFFFFFFFu
        EXPECT_EQ(zuqueue_size(capacity), (capacity + 5ull) * 4) << capacity;
#endif
    }
    // The limit is the last capacity whose size fits; beyond it the size
    // saturates instead of wrapping to something small.
    EXPECT_LE(true_size(ZUQUEUE_MAX_CAPACITY), UINT_MAX);
    EXPECT_GT(true_size(ZUQUEUE_MAX_CAPACITY + 1ull), UINT_MAX);
    for (unsigned capacity : {ZUQUEUE_MAX_CAPACITY + 1, 1073741819u, UINT_MAX - 4, UINT_MAX}) {
        EXPECT_EQ(zuqueue_size(capacity), UINT_MAX) << capacity;
    }
}

TEST(ZuqueueInPlaceDeathTest, ChecksInOrder) {
    alignas(void *) unsigned char buffer[64];
    const unsigned size = zuqueue_size(2);
    EXPECT_ZUC_CHECK_FAILS(zuqueue_inplace_new(nullptr, 0, 0), "zuqueue", "zuqueue_inplace_new",
                           "mem != NULL");
    EXPECT_ZUC_CHECK_FAILS(zuqueue_inplace_new(buffer, 0, 0), "zuqueue", "zuqueue_inplace_new",
                           "memsize > 0");
    EXPECT_ZUC_CHECK_FAILS(zuqueue_inplace_new(buffer, 1, 0), "zuqueue", "zuqueue_inplace_new",
                           "capacity > 0");
    EXPECT_ZUC_CHECK_FAILS(zuqueue_inplace_new(buffer, size - 1, 2), "zuqueue",
                           "zuqueue_inplace_new", "memsize >= zuqueue_size(capacity)");
    // The largest capacity still has its true size compared: one byte short of
    // it (0xFFFFFFFB on the target) is refused.
    EXPECT_ZUC_CHECK_FAILS(
        zuqueue_inplace_new(buffer, static_cast<unsigned>(true_size(ZUQUEUE_MAX_CAPACITY) - 1),
                            ZUQUEUE_MAX_CAPACITY),
        "zuqueue", "zuqueue_inplace_new", "memsize >= zuqueue_size(capacity)");
    // Capacities whose size does not fit are refused before the size is
    // compared, whatever memsize claims: 1073741819 and UINT_MAX - 4 make
    // (capacity + 5) * 4 wrap to 0 in 32 bits.
    for (unsigned capacity : {ZUQUEUE_MAX_CAPACITY + 1, 1073741819u, UINT_MAX - 4, UINT_MAX}) {
        for (unsigned memsize : {24u, UINT_MAX}) {
            EXPECT_ZUC_CHECK_FAILS(zuqueue_inplace_new(buffer, memsize, capacity), "zuqueue",
                                   "zuqueue_inplace_new", "capacity <= ZUQUEUE_MAX_CAPACITY");
        }
    }
    EXPECT_NE(zuqueue_inplace_new(buffer, size, 2), nullptr);
}

TEST(ZuqueueNew, CapacityZeroIsAlwaysFullAndEmpty) {
    zuqueue *q = zuqueue_new(0);
    if (q != nullptr) { // calloc of zero bytes may legitimately fail
        EXPECT_EQ(zuqueue_add(q, A), 0);
        EXPECT_EQ(zuqueue_get(q), nullptr);
        zuqueue_free(q, record_release);
    }
}

TEST(ZuqueueNew, OversizedCapacitiesAreRefusedBeforeAllocating) {
    for (unsigned capacity : {ZUQUEUE_MAX_CAPACITY + 1, 1073741819u, UINT_MAX}) {
        Heap::start();
        EXPECT_EQ(zuqueue_new(capacity), nullptr) << capacity;
        EXPECT_EQ(Heap::stop().allocations, 0u) << capacity;
    }
    // The largest accepted capacity reaches calloc (refused here) with every
    // slot asked for.
    Heap::start(2);
    EXPECT_EQ(zuqueue_new(ZUQUEUE_MAX_CAPACITY), nullptr);
    HeapCount count = Heap::stop();
    EXPECT_EQ(count.allocations, 2u);
    EXPECT_EQ(Heap::call(1).bytes, std::uint64_t{ZUQUEUE_MAX_CAPACITY} * sizeof(void *));
    EXPECT_EQ(count.live, 0u);
}

} // namespace
