// Allocation-failure sweep. Every operation that allocates is run with its
// 1st, 2nd, 3rd ... allocation refused in turn, until a run refuses nothing and
// the operation succeeds. Every failed run must give the failure result, leave
// the state the interface promises (the source and destination lists as
// documented), and release whatever the operation had allocated, in the
// documented order; the successful run must keep exactly what it allocated
// and give it all back when the object is released.
//
// How the failures are injected (support/heap_wrap.h): this program links the
// static library with the linker options --wrap=malloc,calloc,posix_memalign,
// free, so every call of those functions from the library (and from the
// copier callback below) goes to counting wrappers that forward to the C
// library. Heap::start() begins a count; Heap::fail_in(n) makes the n-th
// allocation call from then on fail as an exhausted C library does (malloc and
// calloc return NULL, posix_memalign returns ENOMEM) without calling it.
// Heap::call(n) and Heap::freed(n) log the allocation calls and the releases
// in order, and HeapCount::live counts the blocks allocated during the count
// and not freed yet. The generic lists below use the default allocator pair,
// malloc and free, so they go through the same wrappers.
#include <libzuc/hashtab.h>
#include <libzuc/llist.h>
#include <libzuc/mempool.h>
#include <libzuc/slidingaverage.h>
#include <libzuc/zucmem.h>
#include <libzuc/zuqueue.h>

#include "heap_wrap.h"
#include "zuc_test.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

using zuc_test::Heap;
using zuc_test::HeapCount;
using Blocks = std::vector<const void *>;
using Elements = std::vector<void *>;

// Where the operation under test starts, in allocation calls of the count.
unsigned operation_start;

// Called by an attempt just before the operation: arms the refusal of its
// fail_at-th allocation.
void fail_from_here(unsigned fail_at) {
    operation_start = Heap::now().allocations;
    Heap::fail_in(fail_at);
}

// Runs attempt(fail_at) for fail_at = 1, 2, ..., each in a count of its own,
// until a run refuses no allocation. An attempt builds its fixtures, calls
// fail_from_here(fail_at), runs the operation, checks the outcome and releases
// everything, so no block may be live at the end of any run. An operation must
// give up at the refused allocation and ask for nothing more. Returns the
// number of runs, the last of them the successful one.
template <typename Attempt>
unsigned sweep(Attempt attempt) {
    constexpr unsigned give_up = 64;
    for (unsigned fail_at = 1; fail_at <= give_up; ++fail_at) {
        SCOPED_TRACE(::testing::Message() << "allocation " << fail_at << " refused");
        Heap::start();
        attempt(fail_at);
        const HeapCount count = Heap::stop();
        EXPECT_EQ(count.live, 0u);
        if (count.refused != 0) {
            EXPECT_EQ(count.allocations - operation_start, fail_at);
        }
        if (count.refused == 0 || ::testing::Test::HasFatalFailure()) {
            return fail_at;
        }
    }
    ADD_FAILURE() << "the operation still allocates after " << give_up << " runs";
    return 0;
}

bool refused() {
    return Heap::now().refused != 0;
}

// The blocks that the allocation calls from the first-th on returned, in order
// (a refused call returned none).
Blocks allocated_from(unsigned first) {
    Blocks blocks;
    for (unsigned n = first; n < Heap::now().allocations; ++n) {
        if (Heap::call(n).block != nullptr) {
            blocks.push_back(Heap::call(n).block);
        }
    }
    return blocks;
}

// The blocks released from the first-th release on, in order.
Blocks freed_from(unsigned first) {
    Blocks blocks;
    for (unsigned n = first; n < Heap::now().frees; ++n) {
        blocks.push_back(Heap::freed(n));
    }
    return blocks;
}

Blocks reversed(Blocks blocks) {
    return Blocks(blocks.rbegin(), blocks.rend());
}

// ---- Generic list ----

int elems[5];
void *const x = &elems[0];
void *const y = &elems[1];
void *const z = &elems[2];
void *const w = &elems[3];
const Elements xyzw{x, y, z, w};

Elements contents(const list *lst) {
    Elements found;
    for (list_iterator i = list_first(lst); !list_end(i); i = list_next(i)) {
        found.push_back(list_get(i));
    }
    return found;
}

Blocks nodes(const list *lst) {
    Blocks found;
    for (const list_node *node = lst->head; node != nullptr; node = node->next) {
        found.push_back(node);
    }
    return found;
}

// A list on the default heap; its allocations are counted but never refused.
list *make_list(const Elements &members) {
    list *lst = list_new(nullptr, nullptr);
    for (void *element : members) {
        list_add(lst, element);
    }
    return lst;
}

TEST(AllocFailureSweep, ListNew) {
    const unsigned runs = sweep([](unsigned fail_at) {
        fail_from_here(fail_at);
        list *lst = list_new(nullptr, nullptr);
        if (refused()) {
            EXPECT_EQ(lst, nullptr);
            EXPECT_EQ(Heap::now().frees, 0u);
            return;
        }
        ASSERT_NE(lst, nullptr);
        EXPECT_EQ(Heap::call(0).bytes, sizeof(list));
        list_free(lst, nullptr);
        EXPECT_EQ(freed_from(0), Blocks{lst});
    });
    EXPECT_EQ(runs, 2u); // the record
}

TEST(AllocFailureSweep, ListAddAndInsert) {
    const struct {
        const char *name;
        list *(*op)(list *, void *);
        Elements after;
    } cases[] = {{"list_add", list_add, {x, y, z}}, {"list_insert", list_insert, {z, x, y}}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const unsigned runs = sweep([&c](unsigned fail_at) {
            list *lst = make_list({x, y});
            const Blocks before = nodes(lst);
            const HeapCount made = Heap::now();
            fail_from_here(fail_at);
            list *result = c.op(lst, z);
            if (refused()) {
                // Nothing added, nothing released, links as they were.
                EXPECT_EQ(result, nullptr);
                EXPECT_EQ(contents(lst), (Elements{x, y}));
                EXPECT_EQ(nodes(lst), before);
                EXPECT_EQ(lst->tail, before.back());
                EXPECT_EQ(lst->tail->prev, lst->head);
                EXPECT_EQ(Heap::now().live, made.live);
                EXPECT_EQ(Heap::now().frees, made.frees);
            } else {
                EXPECT_EQ(result, lst);
                EXPECT_EQ(contents(lst), c.after);
                EXPECT_EQ(Heap::call(made.allocations).bytes, sizeof(list_node));
                EXPECT_EQ(Heap::now().live, made.live + 1);
            }
            list_free(lst, nullptr);
        });
        EXPECT_EQ(runs, 2u); // the node
    }
}

// Callbacks of the derived-list operations, and what they were handed.
Elements seen;
int context;

int keep_y_and_w(void *element, void *ctx) {
    EXPECT_EQ(ctx, &context);
    seen.push_back(element);
    return element == y || element == w ? 1 : 0;
}

void *next_int(void *element) {
    seen.push_back(element);
    return static_cast<int *>(element) + 1;
}

// A copier as a caller writes one: the copy is a heap block of its own, and
// when none can be had the copy fails. Its malloc goes through the wrappers
// too, so the sweep also fails the copies.
Elements copies;

void *copy_element(void *element) {
    seen.push_back(element);
    void *copy = std::malloc(sizeof(int));
    if (copy != nullptr) {
        copies.push_back(copy);
    }
    return copy;
}

void free_copy(void *copy) {
    std::free(copy);
}

// The four sublist operations over x, y, z, w: the source positions of the
// elements they keep, and what they store for each.
const struct Sublist {
    const char *name;
    list *(*make)(const list *);
    std::vector<unsigned> from;
    bool calls_back;
    bool adapts;
} sublists[] = {
    {"sublist_create",
     [](const list *l) { return sublist_create(l, keep_y_and_w, &context); },
     {1, 3},
     true,
     false},
    {"sublist_create_neg",
     [](const list *l) { return sublist_create_neg(l, keep_y_and_w, &context); },
     {0, 2},
     true,
     false},
    {"sublist_copy", sublist_copy, {0, 1, 2, 3}, false, false},
    {"sublist_adaptor",
     [](const list *l) { return sublist_adaptor(l, next_int); },
     {0, 1, 2, 3},
     true,
     true},
};

// The record is asked for first, then one node per kept element. When the
// node for a kept element is refused, the walk has handed the callback every
// element up to that one and no further; everything made so far is released,
// the nodes in order and the record last; the source is never touched.
TEST(AllocFailureSweep, Sublists) {
    for (const Sublist &s : sublists) {
        SCOPED_TRACE(s.name);
        const unsigned runs = sweep([&s](unsigned fail_at) {
            list *source = make_list(xyzw);
            const Blocks source_nodes = nodes(source);
            const HeapCount made = Heap::now();
            seen.clear();
            fail_from_here(fail_at);
            list *derived = s.make(source);

            EXPECT_EQ(contents(source), xyzw);
            EXPECT_EQ(nodes(source), source_nodes);
            const Blocks allocated = allocated_from(made.allocations);
            if (refused()) {
                EXPECT_EQ(derived, nullptr);
                Elements expected_seen;
                if (s.calls_back && fail_at > 1) {
                    expected_seen.assign(xyzw.begin(), xyzw.begin() + s.from[fail_at - 2] + 1);
                }
                EXPECT_EQ(seen, expected_seen);
                Blocks expected_freed;
                if (!allocated.empty()) {
                    expected_freed.assign(allocated.begin() + 1, allocated.end());
                    expected_freed.push_back(allocated.front());
                }
                EXPECT_EQ(freed_from(made.frees), expected_freed);
                EXPECT_EQ(Heap::now().live, made.live);
            } else {
                ASSERT_NE(derived, nullptr);
                Elements expected;
                for (unsigned position : s.from) {
                    expected.push_back(s.adapts ? static_cast<int *>(xyzw[position]) + 1
                                                : xyzw[position]);
                }
                EXPECT_EQ(contents(derived), expected);
                EXPECT_EQ(derived->is_sublist, 1);
                EXPECT_EQ(seen, s.calls_back ? xyzw : Elements{});
                EXPECT_EQ(Heap::now().live, made.live + 1 + s.from.size());
                list_free(derived, free_copy); // a sublist hands nothing to it
            }
            list_free(source, nullptr);
        });
        EXPECT_EQ(runs, 2 + s.from.size()) << "the record and one node per kept element";
    }
}

// Calls alternate: the record, then per element its copy and its node. A
// refused copy fails the copier; a refused node leaves a copy outside the
// list. With free_data every copy made goes to it, those in the list first
// (in order, before their nodes and the record are released), the one whose
// node was refused last of all; without it no copy is released.
TEST(AllocFailureSweep, ListCopy) {
    for (list_free_data_fn free_data : {free_copy, static_cast<list_free_data_fn>(nullptr)}) {
        SCOPED_TRACE(free_data != nullptr ? "with free_data" : "without free_data");
        const unsigned runs = sweep([free_data](unsigned fail_at) {
            list *source = make_list(xyzw);
            const HeapCount made = Heap::now();
            seen.clear();
            copies.clear();
            fail_from_here(fail_at);
            list *copy = list_copy(source, copy_element, free_data);

            EXPECT_EQ(contents(source), xyzw);
            if (!refused()) {
                ASSERT_NE(copy, nullptr);
                EXPECT_EQ(contents(copy), copies);
                EXPECT_EQ(copy->is_sublist, 0);
                EXPECT_EQ(Heap::now().live, made.live + 1 + 2 * xyzw.size());
                list_free(copy, free_copy);
                list_free(source, nullptr);
                return;
            }
            EXPECT_EQ(copy, nullptr);
            // The copy or the node of element fail_at / 2 (from 1) was refused.
            const Elements expected_seen(xyzw.begin(), xyzw.begin() + fail_at / 2);
            EXPECT_EQ(seen, expected_seen);
            Blocks record_and_nodes;
            for (const void *block : allocated_from(made.allocations)) {
                if (std::find(copies.begin(), copies.end(), block) == copies.end()) {
                    record_and_nodes.push_back(block);
                }
            }
            ASSERT_FALSE(record_and_nodes.empty() && fail_at > 1);
            const std::size_t in_list = record_and_nodes.empty() ? 0 : record_and_nodes.size() - 1;
            Blocks expected_freed;
            if (free_data != nullptr) {
                expected_freed.assign(copies.begin(), copies.begin() + in_list);
            }
            if (!record_and_nodes.empty()) {
                expected_freed.insert(expected_freed.end(), record_and_nodes.begin() + 1,
                                      record_and_nodes.end());
                expected_freed.push_back(record_and_nodes.front());
            }
            if (free_data != nullptr && copies.size() > in_list) {
                expected_freed.push_back(copies.back());
            }
            EXPECT_EQ(freed_from(made.frees), expected_freed);
            EXPECT_EQ(Heap::now().live, made.live + (free_data != nullptr ? 0 : copies.size()));
            if (free_data == nullptr) {
                for (void *orphan : copies) {
                    std::free(orphan);
                }
            }
            list_free(source, nullptr);
        });
        EXPECT_EQ(runs, 2 + 2 * xyzw.size()) << "the record, and a copy and a node per element";
    }
}

// When the node for the k-th element of src is refused, dest keeps its own
// elements followed by the k - 1 appended so far, src is whole and still the
// caller's, and nothing is released. Success releases src's nodes in order,
// then its record, and nothing of dest.
TEST(AllocFailureSweep, ListMerge) {
    const unsigned runs = sweep([](unsigned fail_at) {
        list *dest = make_list({w});
        list *src = make_list({x, y, z});
        const Blocks src_nodes = nodes(src);
        const HeapCount made = Heap::now();
        fail_from_here(fail_at);
        list *merged = list_merge(dest, src);
        if (refused()) {
            EXPECT_EQ(merged, nullptr);
            Elements expected{w, x, y, z};
            expected.resize(fail_at);
            EXPECT_EQ(contents(dest), expected);
            EXPECT_EQ(contents(src), (Elements{x, y, z}));
            EXPECT_EQ(nodes(src), src_nodes);
            EXPECT_EQ(Heap::now().frees, made.frees);
            EXPECT_EQ(Heap::now().live, made.live + fail_at - 1);
            list_free(src, nullptr);
        } else {
            EXPECT_EQ(merged, dest);
            EXPECT_EQ(contents(dest), (Elements{w, x, y, z}));
            Blocks expected_freed = src_nodes;
            expected_freed.push_back(src);
            EXPECT_EQ(freed_from(made.frees), expected_freed);
        }
        list_free(dest, nullptr);
    });
    EXPECT_EQ(runs, 4u); // a node of dest per element of src
}

// ---- Fixed-capacity stores, sliding average, aligned blocks ----

// Each is made by one call that allocates a fixed set of blocks, used without
// allocating, and released by one call that frees them all.
struct Store {
    const char *name;
    std::vector<unsigned long long> requests; // bytes of each allocation, in order
    void *(*make)();                          // null when it failed
    void (*use)(void *);                      // operations that never allocate
    void (*release)(void *);
};

HashTab table;
int key = 1;
int value = 2;

unsigned int hash_int(const void *k, unsigned int) {
    return static_cast<unsigned int>(*static_cast<const int *>(k));
}

int equal_int(const void *a, const void *b) {
    return *static_cast<const int *>(a) == *static_cast<const int *>(b);
}

const Store stores[] = {
    {"HashTab_init",
     {5 * sizeof(HashTabBucket), 11 * sizeof(HashTabBucket *)},
     []() -> void * {
         std::memset(static_cast<void *>(&table), 0xA5, sizeof table);
         if (HashTab_init(&table, hash_int, equal_int, 5, &key) == 0) {
             EXPECT_EQ(table.buckets, nullptr);
             EXPECT_EQ(table.table, nullptr);
             return nullptr;
         }
         return &table;
     },
     [](void *t) {
         auto *p = static_cast<HashTab *>(t);
         EXPECT_EQ(HashTab_store(p, &key, &value), 1);
         EXPECT_EQ(HashTab_lookup(p, &key), &value);
         HashTab_delete(p, &key);
     },
     [](void *t) {
         auto *p = static_cast<HashTab *>(t);
         HashTab_destroy(p);
         EXPECT_EQ(p->buckets, nullptr);
         EXPECT_EQ(p->table, nullptr);
     }},
    {"mempool_create",
     {sizeof(mempool), 4 * 8, 4 * sizeof(void *)},
     []() -> void * { return mempool_create(4, 8); },
     [](void *pool) {
         void *element = mempool_alloc(static_cast<mempool *>(pool));
         EXPECT_NE(element, nullptr);
         mempool_free(static_cast<mempool *>(pool), element);
     },
     [](void *pool) { mempool_destroy(static_cast<mempool *>(pool)); }},
    {"zuqueue_new",
     {sizeof(zuqueue), 4 * sizeof(void *)},
     []() -> void * { return zuqueue_new(4); },
     [](void *q) {
         EXPECT_EQ(zuqueue_add(static_cast<zuqueue *>(q), &key), 1);
         EXPECT_EQ(zuqueue_get(static_cast<zuqueue *>(q)), &key);
     },
     [](void *q) { zuqueue_free(static_cast<zuqueue *>(q), nullptr); }},
    {"SlidingAverage_create",
     {sizeof(SlidingAverage), 16 * sizeof(uint32_t)},
     []() -> void * { return SlidingAverage_create(16); },
     [](void *avg) {
         SlidingAverage_Add(static_cast<SlidingAverage *>(avg), 7);
         EXPECT_EQ(SlidingAverage_GetAverage(static_cast<SlidingAverage *>(avg)), 7.0);
     },
     [](void *avg) {
         SlidingAverage_destroy(static_cast<SlidingAverage *>(avg));
         SlidingAverage_destroy(nullptr); // releases nothing
     }},
    {"zu_memalign",
     {100},
     []() -> void * {
         void *block = zu_memalign(16, 100);
         EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block) % 16, 0u);
         return block;
     },
     [](void *block) { std::memset(block, 0x5A, 100); },
     zu_free},
};

// A failed construction releases what it had allocated, newest first; a
// successful one asks for exactly the sizes its object needs, its operations
// allocate nothing, and the release frees every block, newest first too.
TEST(AllocFailureSweep, Stores) {
    for (const Store &s : stores) {
        SCOPED_TRACE(s.name);
        const unsigned runs = sweep([&s](unsigned fail_at) {
            fail_from_here(fail_at);
            void *object = s.make();
            const Blocks allocated = allocated_from(0);
            if (refused()) {
                EXPECT_EQ(object, nullptr);
                EXPECT_EQ(freed_from(0), reversed(allocated));
                return;
            }
            ASSERT_NE(object, nullptr);
            ASSERT_EQ(Heap::now().allocations, s.requests.size());
            for (unsigned n = 0; n < s.requests.size(); ++n) {
                EXPECT_EQ(Heap::call(n).bytes, s.requests[n]) << "allocation " << n + 1;
            }
            s.use(object);
            EXPECT_EQ(Heap::now().allocations, s.requests.size());
            EXPECT_EQ(Heap::now().frees, 0u);
            s.release(object);
            EXPECT_EQ(freed_from(0), reversed(allocated));
        });
        EXPECT_EQ(runs, s.requests.size() + 1);
    }
}

} // namespace
