// Allocation-failure sweep. Every operation that allocates is run with its
// 1st, 2nd, 3rd ... allocation refused in turn, until a run refuses nothing and
// the operation succeeds. Every failed run must give the failure result, leave
// the state the interface promises (the source and destination lists as
// documented), and release whatever the operation had allocated, in the
// documented order; the successful run must keep exactly what it allocated
// and give it all back when the object is released. What the successful
// operations compute is the family tests' business.
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

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

using zuc_test::Heap;
using zuc_test::HeapCount;
using Blocks = std::vector<const void *>;
using Elements = std::vector<void *>;

// The count as it stood just before the operation under test.
HeapCount before;

// Called by an attempt just before the operation: arms the refusal of its
// fail_at-th allocation.
void fail_from_here(unsigned fail_at) {
    before = Heap::now();
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
            EXPECT_EQ(count.allocations - before.allocations, fail_at);
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

// The blocks that the operation's allocation calls returned, in order (a
// refused call returned none).
Blocks allocated() {
    Blocks blocks;
    for (unsigned n = before.allocations; n < Heap::now().allocations; ++n) {
        if (Heap::call(n).block != nullptr) {
            blocks.push_back(Heap::call(n).block);
        }
    }
    return blocks;
}

// The blocks the operation released, in order.
Blocks freed() {
    Blocks blocks;
    for (unsigned n = before.frees; n < Heap::now().frees; ++n) {
        blocks.push_back(Heap::freed(n));
    }
    return blocks;
}

// A new list's blocks, its record first, as a failed operation releases
// them: the nodes in order, then the record.
Blocks record_last(Blocks blocks) {
    if (!blocks.empty()) {
        blocks.push_back(blocks.front());
        blocks.erase(blocks.begin());
    }
    return blocks;
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
            return;
        }
        EXPECT_EQ(Heap::call(0).bytes, sizeof(list));
        list_free(lst, nullptr);
        EXPECT_EQ(freed(), Blocks{lst});
    });
    EXPECT_EQ(runs, 2u); // the record
}

TEST(AllocFailureSweep, ListAddAndInsert) {
    for (list *(*op)(list *, void *) : {list_add, list_insert}) {
        const unsigned runs = sweep([op](unsigned fail_at) {
            list *lst = make_list({x, y});
            const Blocks old_nodes = nodes(lst);
            fail_from_here(fail_at);
            list *result = op(lst, z);
            if (refused()) {
                // Nothing added, nothing released, links as they were.
                EXPECT_EQ(result, nullptr);
                EXPECT_EQ(contents(lst), (Elements{x, y}));
                EXPECT_EQ(nodes(lst), old_nodes);
                EXPECT_EQ(lst->tail, old_nodes.back());
                EXPECT_EQ(Heap::now().frees, before.frees);
            } else {
                EXPECT_EQ(result, lst);
                EXPECT_EQ(Heap::call(before.allocations).bytes, sizeof(list_node));
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
void *copy_element(void *element) {
    seen.push_back(element);
    return std::malloc(sizeof(int));
}

void free_copy(void *copy) {
    std::free(copy);
}

// The record is asked for first, then one node per kept element. When the
// node for a kept element is refused, the walk has handed the callback every
// element up to that one and no further; everything made so far is released,
// the nodes in order and the record last; the source is never touched.
TEST(AllocFailureSweep, Sublists) {
    const struct {
        list *(*make)(const list *);
        std::vector<unsigned> kept; // the positions in the source kept
        bool calls_back;
    } sublists[] = {
        {[](const list *l) { return sublist_create(l, keep_y_and_w, &context); }, {1, 3}, true},
        {[](const list *l) { return sublist_create_neg(l, keep_y_and_w, &context); }, {0, 2}, true},
        {sublist_copy, {0, 1, 2, 3}, false},
        {[](const list *l) { return sublist_adaptor(l, next_int); }, {0, 1, 2, 3}, true},
    };
    for (const auto &s : sublists) {
        SCOPED_TRACE(s.kept.size());
        const unsigned runs = sweep([&s](unsigned fail_at) {
            list *source = make_list(xyzw);
            const Blocks source_nodes = nodes(source);
            seen.clear();
            fail_from_here(fail_at);
            list *derived = s.make(source);

            EXPECT_EQ(contents(source), xyzw);
            EXPECT_EQ(nodes(source), source_nodes);
            if (refused()) {
                EXPECT_EQ(derived, nullptr);
                const unsigned handed = s.calls_back && fail_at > 1 ? s.kept[fail_at - 2] + 1 : 0;
                EXPECT_EQ(seen, Elements(xyzw.begin(), xyzw.begin() + handed));
                EXPECT_EQ(freed(), record_last(allocated()));
            } else {
                EXPECT_EQ(Heap::now().live, before.live + 1 + s.kept.size());
                list_free(derived, free_copy); // a sublist hands nothing to it
            }
            list_free(source, nullptr);
        });
        EXPECT_EQ(runs, 2 + s.kept.size()) << "the record and one node per kept element";
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
            seen.clear();
            fail_from_here(fail_at);
            list *copy = list_copy(source, copy_element, free_data);
            EXPECT_EQ(contents(source), xyzw);
            if (!refused()) {
                EXPECT_EQ(Heap::now().live, before.live + 1 + 2 * xyzw.size());
                list_free(copy, free_copy);
                list_free(source, nullptr);
                return;
            }
            EXPECT_EQ(copy, nullptr);
            // The copy or the node of element fail_at / 2 (from 1) was refused.
            EXPECT_EQ(seen, Elements(xyzw.begin(), xyzw.begin() + fail_at / 2));
            // Made: the record, then a copy and a node for each of the first
            // `whole` elements, then maybe a copy whose node was refused.
            const Blocks made = allocated();
            const std::size_t whole = made.empty() ? 0 : (made.size() - 1) / 2;
            Blocks expected;
            for (std::size_t n = 0; free_data != nullptr && n < whole; ++n) {
                expected.push_back(made[1 + 2 * n]);
            }
            for (std::size_t n = 0; n < whole; ++n) {
                expected.push_back(made[2 + 2 * n]);
            }
            if (!made.empty()) {
                expected.push_back(made.front());
            }
            const bool orphan = made.size() % 2 == 0 && !made.empty();
            if (orphan && free_data != nullptr) {
                expected.push_back(made.back());
            }
            EXPECT_EQ(freed(), expected);
            if (free_data == nullptr) {
                for (std::size_t n = 0; n < whole + (orphan ? 1 : 0); ++n) {
                    std::free(const_cast<void *>(made[1 + 2 * n]));
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
        fail_from_here(fail_at);
        list *merged = list_merge(dest, src);
        if (refused()) {
            EXPECT_EQ(merged, nullptr);
            Elements expected{w, x, y, z};
            expected.resize(fail_at);
            EXPECT_EQ(contents(dest), expected);
            EXPECT_EQ(contents(src), (Elements{x, y, z}));
            EXPECT_EQ(nodes(src), src_nodes);
            EXPECT_EQ(freed(), Blocks{});
            list_free(src, nullptr);
        } else {
            EXPECT_EQ(merged, dest);
            Blocks expected = src_nodes;
            expected.push_back(src);
            EXPECT_EQ(freed(), expected);
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
         HashTab_store(static_cast<HashTab *>(t), &key, &key);
         HashTab_lookup(static_cast<HashTab *>(t), &key);
         HashTab_delete(static_cast<HashTab *>(t), &key);
     },
     [](void *t) { HashTab_destroy(static_cast<HashTab *>(t)); }},
    {"mempool_create",
     {sizeof(mempool), 4 * 8, 4 * sizeof(void *)},
     []() -> void * { return mempool_create(4, 8); },
     [](void *pool) {
         mempool_free(static_cast<mempool *>(pool), mempool_alloc(static_cast<mempool *>(pool)));
     },
     [](void *pool) { mempool_destroy(static_cast<mempool *>(pool)); }},
    {"zuqueue_new",
     {sizeof(zuqueue), 4 * sizeof(void *)},
     []() -> void * { return zuqueue_new(4); },
     [](void *q) {
         zuqueue_add(static_cast<zuqueue *>(q), &key);
         zuqueue_get(static_cast<zuqueue *>(q));
     },
     [](void *q) { zuqueue_free(static_cast<zuqueue *>(q), nullptr); }},
    {"SlidingAverage_create",
     {sizeof(SlidingAverage), 16 * sizeof(uint32_t)},
     []() -> void * { return SlidingAverage_create(16); },
     [](void *avg) {
         SlidingAverage_Add(static_cast<SlidingAverage *>(avg), 7);
         SlidingAverage_GetVariance(static_cast<SlidingAverage *>(avg));
     },
     [](void *avg) {
         SlidingAverage_destroy(static_cast<SlidingAverage *>(avg));
         SlidingAverage_destroy(nullptr); // releases nothing
     }},
    {"zu_memalign",
     {100},
     []() -> void * { return zu_memalign(16, 100); },
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
            const Blocks made = allocated();
            const Blocks newest_first(made.rbegin(), made.rend());
            if (refused()) {
                EXPECT_EQ(object, nullptr);
                EXPECT_EQ(freed(), newest_first);
                return;
            }
            ASSERT_EQ(Heap::now().allocations, s.requests.size());
            for (unsigned n = 0; n < s.requests.size(); ++n) {
                EXPECT_EQ(Heap::call(n).bytes, s.requests[n]) << "allocation " << n + 1;
            }
            s.use(object);
            EXPECT_EQ(Heap::now().allocations, s.requests.size());
            EXPECT_EQ(Heap::now().frees, 0u);
            s.release(object);
            EXPECT_EQ(freed(), newest_first);
        });
        EXPECT_EQ(runs, s.requests.size() + 1);
    }
}

} // namespace
