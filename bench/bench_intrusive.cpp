// Intrusive lists: libzuc's List and DList beside Boost.Intrusive's slist
// and list, the <sys/queue.h> macros written inline (STAILQ, TAILQ), and the
// same macros behind out-of-line functions (the baseline).
//
// Insertion and removal at the ends are timed in bursts: kBurst elements in,
// then all of them out, so that inlined code cannot cancel a removal against
// the insertion just before it.
#include <libzuc/dlist.h>
#include <libzuc/slist.h>

#include <sys/queue.h>

#include <boost/intrusive/list.hpp>
#include <boost/intrusive/slist.hpp>

#include <cstddef>
#include <cstdint>

#include "bench.h"

namespace {

namespace bi = boost::intrusive;
using zuc_bench::set_ops;

constexpr unsigned int kBurst = 64;
constexpr unsigned int kResident = 16;
constexpr int kSortedLength = 64;
constexpr int kWalkLength = 1000;

// Each implementation links its own record type, laid out the way its users
// would write it. Boost's hooks are in their default (safe) mode, which clears
// the links of an unlinked element as libzuc does.
struct Item { // libzuc: plain C record, links named by offset
    uint32_t key;
    Item *next;          // List
    Item *dnext, *dprev; // DList
};
struct QItem { // <sys/queue.h>
    uint32_t key;
    STAILQ_ENTRY(QItem) sq;
    TAILQ_ENTRY(QItem) tq;
};
struct BItem : bi::slist_base_hook<>, bi::list_base_hook<> { // Boost.Intrusive
    uint32_t key = 0;
};

using BoostSlist = bi::slist<BItem, bi::cache_last<true>>; // push_back needs the tail
using BoostList = bi::list<BItem>;
STAILQ_HEAD(ItemStailq, QItem);
TAILQ_HEAD(ItemTailq, QItem);

int by_key(const void *a, const void *b) {
    const uint32_t x = static_cast<const Item *>(a)->key;
    const uint32_t y = static_cast<const Item *>(b)->key;
    return (x > y) - (x < y);
}
int q_by_key(const void *a, const void *b) {
    const uint32_t x = static_cast<const QItem *>(a)->key;
    const uint32_t y = static_cast<const QItem *>(b)->key;
    return (x > y) - (x < y);
}

void make_list(List *l) {
    List_makeList(l, offsetof(Item, next), by_key);
}
void make_dlist(DList *l) {
    DList_makeDList(l, offsetof(Item, dnext), offsetof(Item, dprev), by_key);
}

// kWalkLength records of type T, the same random keys for every type, at
// stable addresses for the whole run. The Boost benchmarks unlink theirs at
// the end, since safe-mode hooks must be unlinked before they are reused.
template <typename T>
std::vector<T> &items() {
    static std::vector<T> storage = [] {
        std::vector<T> made(kWalkLength);
        std::mt19937 keys(7u);
        for (T &item : made) {
            item.key = static_cast<uint32_t>(keys());
        }
        return made;
    }();
    return storage;
}

// ---- The out-of-line baseline: the <sys/queue.h> macros in functions.

ZUC_OUT_OF_LINE void base_stailq_insert_tail(ItemStailq *h, QItem *e) {
    STAILQ_INSERT_TAIL(h, e, sq);
}
ZUC_OUT_OF_LINE void base_stailq_insert_head(ItemStailq *h, QItem *e) {
    STAILQ_INSERT_HEAD(h, e, sq);
}
ZUC_OUT_OF_LINE QItem *base_stailq_remove_head(ItemStailq *h) {
    QItem *e = STAILQ_FIRST(h);
    if (e != nullptr) {
        STAILQ_REMOVE_HEAD(h, sq);
    }
    return e;
}
ZUC_OUT_OF_LINE void base_stailq_insert_sorted(ItemStailq *h, QItem *e,
                                               int (*cmp)(const void *, const void *)) {
    QItem *before = nullptr;
    for (QItem *v = STAILQ_FIRST(h); v != nullptr && cmp(v, e) < 0; v = STAILQ_NEXT(v, sq)) {
        before = v;
    }
    if (before == nullptr) {
        STAILQ_INSERT_HEAD(h, e, sq);
    } else {
        STAILQ_INSERT_AFTER(h, before, e, sq);
    }
}
ZUC_OUT_OF_LINE QItem *base_stailq_next(QItem *e) {
    return STAILQ_NEXT(e, sq);
}
ZUC_OUT_OF_LINE QItem *base_tailq_next(QItem *e) {
    return TAILQ_NEXT(e, tq);
}
ZUC_OUT_OF_LINE void base_tailq_insert_tail(ItemTailq *h, QItem *e) {
    TAILQ_INSERT_TAIL(h, e, tq);
}
ZUC_OUT_OF_LINE void base_tailq_insert_after(ItemTailq *h, QItem *after, QItem *e) {
    TAILQ_INSERT_AFTER(h, after, e, tq);
}
ZUC_OUT_OF_LINE QItem *base_tailq_remove(ItemTailq *h, QItem *e) {
    if (e != nullptr) {
        TAILQ_REMOVE(h, e, tq);
    }
    return e;
}
ZUC_OUT_OF_LINE QItem *base_tailq_remove_head(ItemTailq *h) {
    return base_tailq_remove(h, TAILQ_FIRST(h));
}
ZUC_OUT_OF_LINE QItem *base_tailq_remove_tail(ItemTailq *h) {
    return base_tailq_remove(h, TAILQ_LAST(h, ItemTailq));
}
ZUC_OUT_OF_LINE void base_tailq_insert_sorted(ItemTailq *h, QItem *e,
                                              int (*cmp)(const void *, const void *)) {
    QItem *v = TAILQ_FIRST(h);
    while (v != nullptr && cmp(v, e) < 0) {
        v = TAILQ_NEXT(v, tq);
    }
    if (v == nullptr) {
        TAILQ_INSERT_TAIL(h, e, tq);
    } else {
        TAILQ_INSERT_BEFORE(v, e, tq);
    }
}

// ---- Singly linked: kBurst insertions at the tail, then kBurst removals from the head (a FIFO).
void SlistFifo_libzuc(benchmark::State &state) {
    std::vector<Item> &it = items<Item>();
    List l;
    make_list(&l);
    for (auto _ : state) {
        for (unsigned int i = 0; i < kBurst; ++i) {
            List_insertLast(&l, &it[i]);
        }
        for (unsigned int i = 0; i < kBurst; ++i) {
            benchmark::DoNotOptimize(List_removeFirst(&l));
        }
    }
    set_ops(state, kBurst);
}

void SlistFifo_baseline(benchmark::State &state) {
    std::vector<QItem> &it = items<QItem>();
    ItemStailq h = STAILQ_HEAD_INITIALIZER(h);
    for (auto _ : state) {
        for (unsigned int i = 0; i < kBurst; ++i) {
            base_stailq_insert_tail(&h, &it[i]);
        }
        for (unsigned int i = 0; i < kBurst; ++i) {
            benchmark::DoNotOptimize(base_stailq_remove_head(&h));
        }
    }
    set_ops(state, kBurst);
}

void SlistFifo_queue_h(benchmark::State &state) {
    std::vector<QItem> &it = items<QItem>();
    ItemStailq h = STAILQ_HEAD_INITIALIZER(h);
    for (auto _ : state) {
        for (unsigned int i = 0; i < kBurst; ++i) {
            STAILQ_INSERT_TAIL(&h, &it[i], sq);
        }
        for (unsigned int i = 0; i < kBurst; ++i) {
            QItem *e = STAILQ_FIRST(&h);
            STAILQ_REMOVE_HEAD(&h, sq);
            benchmark::DoNotOptimize(e);
        }
    }
    set_ops(state, kBurst);
}

void SlistFifo_boost(benchmark::State &state) {
    std::vector<BItem> &it = items<BItem>();
    BoostSlist l;
    for (auto _ : state) {
        for (unsigned int i = 0; i < kBurst; ++i) {
            l.push_back(it[i]);
        }
        for (unsigned int i = 0; i < kBurst; ++i) {
            BItem *e = &l.front();
            l.pop_front();
            benchmark::DoNotOptimize(e);
        }
    }
    set_ops(state, kBurst);
}

// ---- Singly linked: kBurst pushes, then kBurst pops (a stack).
void SlistLifo_libzuc(benchmark::State &state) {
    std::vector<Item> &it = items<Item>();
    List l;
    make_list(&l);
    for (auto _ : state) {
        for (unsigned int i = 0; i < kBurst; ++i) {
            List_push(&l, &it[i]);
        }
        for (unsigned int i = 0; i < kBurst; ++i) {
            benchmark::DoNotOptimize(List_pop(&l));
        }
    }
    set_ops(state, kBurst);
}

void SlistLifo_baseline(benchmark::State &state) {
    std::vector<QItem> &it = items<QItem>();
    ItemStailq h = STAILQ_HEAD_INITIALIZER(h);
    for (auto _ : state) {
        for (unsigned int i = 0; i < kBurst; ++i) {
            base_stailq_insert_head(&h, &it[i]);
        }
        for (unsigned int i = 0; i < kBurst; ++i) {
            benchmark::DoNotOptimize(base_stailq_remove_head(&h));
        }
    }
    set_ops(state, kBurst);
}

void SlistLifo_queue_h(benchmark::State &state) {
    std::vector<QItem> &it = items<QItem>();
    ItemStailq h = STAILQ_HEAD_INITIALIZER(h);
    for (auto _ : state) {
        for (unsigned int i = 0; i < kBurst; ++i) {
            STAILQ_INSERT_HEAD(&h, &it[i], sq);
        }
        for (unsigned int i = 0; i < kBurst; ++i) {
            QItem *e = STAILQ_FIRST(&h);
            STAILQ_REMOVE_HEAD(&h, sq);
            benchmark::DoNotOptimize(e);
        }
    }
    set_ops(state, kBurst);
}

void SlistLifo_boost(benchmark::State &state) {
    std::vector<BItem> &it = items<BItem>();
    BoostSlist l;
    for (auto _ : state) {
        for (unsigned int i = 0; i < kBurst; ++i) {
            l.push_front(it[i]);
        }
        for (unsigned int i = 0; i < kBurst; ++i) {
            BItem *e = &l.front();
            l.pop_front();
            benchmark::DoNotOptimize(e);
        }
    }
    set_ops(state, kBurst);
}

// ---- Doubly linked: kBurst insertions at the tail, then kBurst removals from the head (a FIFO).
void DlistFifo_libzuc(benchmark::State &state) {
    std::vector<Item> &it = items<Item>();
    DList l;
    make_dlist(&l);
    for (auto _ : state) {
        for (unsigned int i = 0; i < kBurst; ++i) {
            DList_insertLast(&l, &it[i]);
        }
        for (unsigned int i = 0; i < kBurst; ++i) {
            benchmark::DoNotOptimize(DList_removeFirst(&l));
        }
    }
    set_ops(state, kBurst);
}

void DlistFifo_baseline(benchmark::State &state) {
    std::vector<QItem> &it = items<QItem>();
    ItemTailq h = TAILQ_HEAD_INITIALIZER(h);
    for (auto _ : state) {
        for (unsigned int i = 0; i < kBurst; ++i) {
            base_tailq_insert_tail(&h, &it[i]);
        }
        for (unsigned int i = 0; i < kBurst; ++i) {
            benchmark::DoNotOptimize(base_tailq_remove_head(&h));
        }
    }
    set_ops(state, kBurst);
}

void DlistFifo_queue_h(benchmark::State &state) {
    std::vector<QItem> &it = items<QItem>();
    ItemTailq h = TAILQ_HEAD_INITIALIZER(h);
    for (auto _ : state) {
        for (unsigned int i = 0; i < kBurst; ++i) {
            TAILQ_INSERT_TAIL(&h, &it[i], tq);
        }
        for (unsigned int i = 0; i < kBurst; ++i) {
            QItem *e = TAILQ_FIRST(&h);
            TAILQ_REMOVE(&h, e, tq);
            benchmark::DoNotOptimize(e);
        }
    }
    set_ops(state, kBurst);
}

void DlistFifo_boost(benchmark::State &state) {
    std::vector<BItem> &it = items<BItem>();
    BoostList l;
    for (auto _ : state) {
        for (unsigned int i = 0; i < kBurst; ++i) {
            l.push_back(it[i]);
        }
        for (unsigned int i = 0; i < kBurst; ++i) {
            BItem *e = &l.front();
            l.pop_front();
            benchmark::DoNotOptimize(e);
        }
    }
    set_ops(state, kBurst);
}

// ---- Doubly linked: kBurst insertions at the tail, then kBurst removals from the tail (a stack at
// the tail).
void DlistLifo_libzuc(benchmark::State &state) {
    std::vector<Item> &it = items<Item>();
    DList l;
    make_dlist(&l);
    for (auto _ : state) {
        for (unsigned int i = 0; i < kBurst; ++i) {
            DList_insertLast(&l, &it[i]);
        }
        for (unsigned int i = 0; i < kBurst; ++i) {
            benchmark::DoNotOptimize(DList_removeLast(&l));
        }
    }
    set_ops(state, kBurst);
}

void DlistLifo_baseline(benchmark::State &state) {
    std::vector<QItem> &it = items<QItem>();
    ItemTailq h = TAILQ_HEAD_INITIALIZER(h);
    for (auto _ : state) {
        for (unsigned int i = 0; i < kBurst; ++i) {
            base_tailq_insert_tail(&h, &it[i]);
        }
        for (unsigned int i = 0; i < kBurst; ++i) {
            benchmark::DoNotOptimize(base_tailq_remove_tail(&h));
        }
    }
    set_ops(state, kBurst);
}

void DlistLifo_queue_h(benchmark::State &state) {
    std::vector<QItem> &it = items<QItem>();
    ItemTailq h = TAILQ_HEAD_INITIALIZER(h);
    for (auto _ : state) {
        for (unsigned int i = 0; i < kBurst; ++i) {
            TAILQ_INSERT_TAIL(&h, &it[i], tq);
        }
        for (unsigned int i = 0; i < kBurst; ++i) {
            QItem *e = TAILQ_LAST(&h, ItemTailq);
            TAILQ_REMOVE(&h, e, tq);
            benchmark::DoNotOptimize(e);
        }
    }
    set_ops(state, kBurst);
}

void DlistLifo_boost(benchmark::State &state) {
    std::vector<BItem> &it = items<BItem>();
    BoostList l;
    for (auto _ : state) {
        for (unsigned int i = 0; i < kBurst; ++i) {
            l.push_back(it[i]);
        }
        for (unsigned int i = 0; i < kBurst; ++i) {
            BItem *e = &l.back();
            l.pop_back();
            benchmark::DoNotOptimize(e);
        }
    }
    set_ops(state, kBurst);
}

// ---- Doubly linked: unlink an element from the middle and link it back in
// after its predecessor.

void DlistMiddle_libzuc(benchmark::State &state) {
    std::vector<Item> &it = items<Item>();
    DList l;
    make_dlist(&l);
    for (unsigned int i = 0; i < kResident; ++i) {
        DList_insertLast(&l, &it[i]);
    }
    unsigned int i = 1;
    for (auto _ : state) {
        DList_remove(&l, &it[i]);
        DList_insertAfter(&l, &it[i - 1], &it[i]);
        i = i + 2 == kResident ? 1 : i + 1;
    }
    set_ops(state, 1);
}

void DlistMiddle_baseline(benchmark::State &state) {
    std::vector<QItem> &it = items<QItem>();
    ItemTailq h = TAILQ_HEAD_INITIALIZER(h);
    for (unsigned int i = 0; i < kResident; ++i) {
        base_tailq_insert_tail(&h, &it[i]);
    }
    unsigned int i = 1;
    for (auto _ : state) {
        base_tailq_remove(&h, &it[i]);
        base_tailq_insert_after(&h, &it[i - 1], &it[i]);
        i = i + 2 == kResident ? 1 : i + 1;
    }
    set_ops(state, 1);
}

void DlistMiddle_queue_h(benchmark::State &state) {
    std::vector<QItem> &it = items<QItem>();
    ItemTailq h = TAILQ_HEAD_INITIALIZER(h);
    for (unsigned int i = 0; i < kResident; ++i) {
        TAILQ_INSERT_TAIL(&h, &it[i], tq);
    }
    unsigned int i = 1;
    for (auto _ : state) {
        TAILQ_REMOVE(&h, &it[i], tq);
        TAILQ_INSERT_AFTER(&h, &it[i - 1], &it[i], tq);
        benchmark::ClobberMemory();
        i = i + 2 == kResident ? 1 : i + 1;
    }
    set_ops(state, 1);
}

void DlistMiddle_boost(benchmark::State &state) {
    std::vector<BItem> &it = items<BItem>();
    BoostList l;
    for (unsigned int i = 0; i < kResident; ++i) {
        l.push_back(it[i]);
    }
    unsigned int i = 1;
    for (auto _ : state) {
        l.erase(l.iterator_to(it[i]));
        l.insert(std::next(l.iterator_to(it[i - 1])), it[i]);
        benchmark::ClobberMemory();
        i = i + 2 == kResident ? 1 : i + 1;
    }
    l.clear();
    set_ops(state, 1);
}

// ---- Sorted insertion of n elements with random keys into an emptied list.

void SlistSorted_libzuc(benchmark::State &state) {
    const auto n = static_cast<unsigned int>(state.range(0));
    std::vector<Item> &it = items<Item>();
    List l;
    for (auto _ : state) {
        make_list(&l);
        for (unsigned int i = 0; i < n; ++i) {
            List_insertSorted(&l, &it[i]);
        }
        benchmark::DoNotOptimize(l.first);
    }
    set_ops(state, n);
}

void SlistSorted_baseline(benchmark::State &state) {
    const auto n = static_cast<unsigned int>(state.range(0));
    std::vector<QItem> &it = items<QItem>();
    ItemStailq h;
    for (auto _ : state) {
        STAILQ_INIT(&h);
        for (unsigned int i = 0; i < n; ++i) {
            base_stailq_insert_sorted(&h, &it[i], q_by_key);
        }
        benchmark::DoNotOptimize(STAILQ_FIRST(&h));
    }
    set_ops(state, n);
}

void SlistSorted_queue_h(benchmark::State &state) {
    const auto n = static_cast<unsigned int>(state.range(0));
    std::vector<QItem> &it = items<QItem>();
    ItemStailq h;
    for (auto _ : state) {
        STAILQ_INIT(&h);
        for (unsigned int i = 0; i < n; ++i) {
            QItem *e = &it[i];
            QItem *before = nullptr;
            for (QItem *v = STAILQ_FIRST(&h); v != nullptr && v->key < e->key;
                 v = STAILQ_NEXT(v, sq)) {
                before = v;
            }
            if (before == nullptr) {
                STAILQ_INSERT_HEAD(&h, e, sq);
            } else {
                STAILQ_INSERT_AFTER(&h, before, e, sq);
            }
        }
        benchmark::DoNotOptimize(STAILQ_FIRST(&h));
    }
    set_ops(state, n);
}

void SlistSorted_boost(benchmark::State &state) {
    const auto n = static_cast<unsigned int>(state.range(0));
    std::vector<BItem> &it = items<BItem>();
    BoostSlist l;
    for (auto _ : state) {
        l.clear();
        for (unsigned int i = 0; i < n; ++i) {
            BItem &e = it[i];
            auto before = l.before_begin();
            for (auto v = l.begin(); v != l.end() && v->key < e.key; ++v) {
                before = v;
            }
            l.insert_after(before, e);
        }
        benchmark::DoNotOptimize(&l.front());
    }
    l.clear();
    set_ops(state, n);
}

void DlistSorted_libzuc(benchmark::State &state) {
    const auto n = static_cast<unsigned int>(state.range(0));
    std::vector<Item> &it = items<Item>();
    DList l;
    for (auto _ : state) {
        make_dlist(&l);
        for (unsigned int i = 0; i < n; ++i) {
            DList_insertSorted(&l, &it[i]);
        }
        benchmark::DoNotOptimize(l.first);
    }
    set_ops(state, n);
}

void DlistSorted_baseline(benchmark::State &state) {
    const auto n = static_cast<unsigned int>(state.range(0));
    std::vector<QItem> &it = items<QItem>();
    ItemTailq h;
    for (auto _ : state) {
        TAILQ_INIT(&h);
        for (unsigned int i = 0; i < n; ++i) {
            base_tailq_insert_sorted(&h, &it[i], q_by_key);
        }
        benchmark::DoNotOptimize(TAILQ_FIRST(&h));
    }
    set_ops(state, n);
}

void DlistSorted_queue_h(benchmark::State &state) {
    const auto n = static_cast<unsigned int>(state.range(0));
    std::vector<QItem> &it = items<QItem>();
    ItemTailq h;
    for (auto _ : state) {
        TAILQ_INIT(&h);
        for (unsigned int i = 0; i < n; ++i) {
            QItem *e = &it[i];
            QItem *v = TAILQ_FIRST(&h);
            while (v != nullptr && v->key < e->key) {
                v = TAILQ_NEXT(v, tq);
            }
            if (v == nullptr) {
                TAILQ_INSERT_TAIL(&h, e, tq);
            } else {
                TAILQ_INSERT_BEFORE(v, e, tq);
            }
        }
        benchmark::DoNotOptimize(TAILQ_FIRST(&h));
    }
    set_ops(state, n);
}

void DlistSorted_boost(benchmark::State &state) {
    const auto n = static_cast<unsigned int>(state.range(0));
    std::vector<BItem> &it = items<BItem>();
    BoostList l;
    for (auto _ : state) {
        l.clear();
        for (unsigned int i = 0; i < n; ++i) {
            BItem &e = it[i];
            auto v =
                std::find_if(l.begin(), l.end(), [&e](const BItem &x) { return x.key >= e.key; });
            l.insert(v, e);
        }
        benchmark::DoNotOptimize(&l.front());
    }
    l.clear();
    set_ops(state, n);
}

// ---- Walk n elements with the list's own iteration.

void SlistWalk_libzuc(benchmark::State &state) {
    const auto n = static_cast<unsigned int>(state.range(0));
    std::vector<Item> &it = items<Item>();
    List l;
    make_list(&l);
    for (unsigned int i = 0; i < n; ++i) {
        List_insertLast(&l, &it[i]);
    }
    for (auto _ : state) {
        uint32_t sum = 0;
        for (List_startIterate(&l); List_hasMoreElements(&l);) {
            sum += static_cast<Item *>(List_getNext(&l))->key;
        }
        benchmark::DoNotOptimize(sum);
    }
    set_ops(state, n);
}

void SlistWalk_baseline(benchmark::State &state) {
    const auto n = static_cast<unsigned int>(state.range(0));
    std::vector<QItem> &it = items<QItem>();
    ItemStailq h = STAILQ_HEAD_INITIALIZER(h);
    for (unsigned int i = 0; i < n; ++i) {
        base_stailq_insert_tail(&h, &it[i]);
    }
    for (auto _ : state) {
        uint32_t sum = 0;
        for (QItem *e = STAILQ_FIRST(&h); e != nullptr; e = base_stailq_next(e)) {
            sum += e->key;
        }
        benchmark::DoNotOptimize(sum);
    }
    set_ops(state, n);
}

void SlistWalk_queue_h(benchmark::State &state) {
    const auto n = static_cast<unsigned int>(state.range(0));
    std::vector<QItem> &it = items<QItem>();
    ItemStailq h = STAILQ_HEAD_INITIALIZER(h);
    for (unsigned int i = 0; i < n; ++i) {
        STAILQ_INSERT_TAIL(&h, &it[i], sq);
    }
    for (auto _ : state) {
        uint32_t sum = 0;
        QItem *e;
        STAILQ_FOREACH(e, &h, sq) {
            sum += e->key;
        }
        benchmark::DoNotOptimize(sum);
    }
    set_ops(state, n);
}

void SlistWalk_boost(benchmark::State &state) {
    const auto n = static_cast<unsigned int>(state.range(0));
    std::vector<BItem> &it = items<BItem>();
    BoostSlist l;
    for (unsigned int i = 0; i < n; ++i) {
        l.push_back(it[i]);
    }
    for (auto _ : state) {
        uint32_t sum = 0;
        for (const BItem &e : l) {
            sum += e.key;
        }
        benchmark::DoNotOptimize(sum);
    }
    l.clear();
    set_ops(state, n);
}

void DlistWalk_libzuc(benchmark::State &state) {
    const auto n = static_cast<unsigned int>(state.range(0));
    std::vector<Item> &it = items<Item>();
    DList l;
    make_dlist(&l);
    for (unsigned int i = 0; i < n; ++i) {
        DList_insertLast(&l, &it[i]);
    }
    for (auto _ : state) {
        uint32_t sum = 0;
        for (DList_startIterate(&l); DList_hasMoreElements(&l);) {
            sum += static_cast<Item *>(DList_getNext(&l))->key;
        }
        benchmark::DoNotOptimize(sum);
    }
    set_ops(state, n);
}

void DlistWalk_baseline(benchmark::State &state) {
    const auto n = static_cast<unsigned int>(state.range(0));
    std::vector<QItem> &it = items<QItem>();
    ItemTailq h = TAILQ_HEAD_INITIALIZER(h);
    for (unsigned int i = 0; i < n; ++i) {
        base_tailq_insert_tail(&h, &it[i]);
    }
    for (auto _ : state) {
        uint32_t sum = 0;
        for (QItem *e = TAILQ_FIRST(&h); e != nullptr; e = base_tailq_next(e)) {
            sum += e->key;
        }
        benchmark::DoNotOptimize(sum);
    }
    set_ops(state, n);
}

void DlistWalk_queue_h(benchmark::State &state) {
    const auto n = static_cast<unsigned int>(state.range(0));
    std::vector<QItem> &it = items<QItem>();
    ItemTailq h = TAILQ_HEAD_INITIALIZER(h);
    for (unsigned int i = 0; i < n; ++i) {
        TAILQ_INSERT_TAIL(&h, &it[i], tq);
    }
    for (auto _ : state) {
        uint32_t sum = 0;
        QItem *e;
        TAILQ_FOREACH(e, &h, tq) {
            sum += e->key;
        }
        benchmark::DoNotOptimize(sum);
    }
    set_ops(state, n);
}

void DlistWalk_boost(benchmark::State &state) {
    const auto n = static_cast<unsigned int>(state.range(0));
    std::vector<BItem> &it = items<BItem>();
    BoostList l;
    for (unsigned int i = 0; i < n; ++i) {
        l.push_back(it[i]);
    }
    for (auto _ : state) {
        uint32_t sum = 0;
        for (const BItem &e : l) {
            sum += e.key;
        }
        benchmark::DoNotOptimize(sum);
    }
    l.clear();
    set_ops(state, n);
}

} // namespace

BENCHMARK(SlistFifo_libzuc)->Name("slist/insert_last+remove_first/libzuc");
BENCHMARK(SlistFifo_baseline)->Name("slist/insert_last+remove_first/baseline");
BENCHMARK(SlistFifo_boost)->Name("slist/insert_last+remove_first/Boost.Intrusive");
BENCHMARK(SlistFifo_queue_h)->Name("slist/insert_last+remove_first/sys_queue.h");
BENCHMARK(SlistLifo_libzuc)->Name("slist/push+pop/libzuc");
BENCHMARK(SlistLifo_baseline)->Name("slist/push+pop/baseline");
BENCHMARK(SlistLifo_boost)->Name("slist/push+pop/Boost.Intrusive");
BENCHMARK(SlistLifo_queue_h)->Name("slist/push+pop/sys_queue.h");
BENCHMARK(SlistSorted_libzuc)->Name("slist/insert_sorted/libzuc")->Arg(kSortedLength);
BENCHMARK(SlistSorted_baseline)->Name("slist/insert_sorted/baseline")->Arg(kSortedLength);
BENCHMARK(SlistSorted_boost)->Name("slist/insert_sorted/Boost.Intrusive")->Arg(kSortedLength);
BENCHMARK(SlistSorted_queue_h)->Name("slist/insert_sorted/sys_queue.h")->Arg(kSortedLength);
BENCHMARK(SlistWalk_libzuc)->Name("slist/iterate/libzuc")->Arg(kWalkLength);
BENCHMARK(SlistWalk_baseline)->Name("slist/iterate/baseline")->Arg(kWalkLength);
BENCHMARK(SlistWalk_boost)->Name("slist/iterate/Boost.Intrusive")->Arg(kWalkLength);
BENCHMARK(SlistWalk_queue_h)->Name("slist/iterate/sys_queue.h")->Arg(kWalkLength);

BENCHMARK(DlistFifo_libzuc)->Name("dlist/insert_last+remove_first/libzuc");
BENCHMARK(DlistFifo_baseline)->Name("dlist/insert_last+remove_first/baseline");
BENCHMARK(DlistFifo_boost)->Name("dlist/insert_last+remove_first/Boost.Intrusive");
BENCHMARK(DlistFifo_queue_h)->Name("dlist/insert_last+remove_first/sys_queue.h");
BENCHMARK(DlistLifo_libzuc)->Name("dlist/insert_last+remove_last/libzuc");
BENCHMARK(DlistLifo_baseline)->Name("dlist/insert_last+remove_last/baseline");
BENCHMARK(DlistLifo_boost)->Name("dlist/insert_last+remove_last/Boost.Intrusive");
BENCHMARK(DlistLifo_queue_h)->Name("dlist/insert_last+remove_last/sys_queue.h");
BENCHMARK(DlistMiddle_libzuc)->Name("dlist/remove+insert_after/libzuc");
BENCHMARK(DlistMiddle_baseline)->Name("dlist/remove+insert_after/baseline");
BENCHMARK(DlistMiddle_boost)->Name("dlist/remove+insert_after/Boost.Intrusive");
BENCHMARK(DlistMiddle_queue_h)->Name("dlist/remove+insert_after/sys_queue.h");
BENCHMARK(DlistSorted_libzuc)->Name("dlist/insert_sorted/libzuc")->Arg(kSortedLength);
BENCHMARK(DlistSorted_baseline)->Name("dlist/insert_sorted/baseline")->Arg(kSortedLength);
BENCHMARK(DlistSorted_boost)->Name("dlist/insert_sorted/Boost.Intrusive")->Arg(kSortedLength);
BENCHMARK(DlistSorted_queue_h)->Name("dlist/insert_sorted/sys_queue.h")->Arg(kSortedLength);
BENCHMARK(DlistWalk_libzuc)->Name("dlist/iterate/libzuc")->Arg(kWalkLength);
BENCHMARK(DlistWalk_baseline)->Name("dlist/iterate/baseline")->Arg(kWalkLength);
BENCHMARK(DlistWalk_boost)->Name("dlist/iterate/Boost.Intrusive")->Arg(kWalkLength);
BENCHMARK(DlistWalk_queue_h)->Name("dlist/iterate/sys_queue.h")->Arg(kWalkLength);

BENCHMARK_MAIN();
