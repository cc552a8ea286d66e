// Intrusive lists: libzuc's List and DList beside Boost.Intrusive's slist
// and list, the <sys/queue.h> macros written inline (STAILQ, TAILQ), and the
// same macros behind out-of-line functions (the baseline).
//
// Insertion and removal at the ends are timed in bursts: kBurst elements in,
// then all of them out, so that inlined code cannot cancel a removal against
// the insertion just before it. Each implementation sits behind the same
// small adapter, so that one benchmark body serves all of them.
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

// ---- The adapters. E is the record type; clear() empties the list as its
// users would before reusing the records.

struct LibzucSlist {
    using E = Item;
    List l;
    LibzucSlist() { make_list(&l); }
    void push_front(E *e) { List_insertFirst(&l, e); }
    void push_back(E *e) { List_insertLast(&l, e); }
    E *pop_front() { return static_cast<E *>(List_removeFirst(&l)); }
    void insert_sorted(E *e) { List_insertSorted(&l, e); }
    void clear() { make_list(&l); }
    uint32_t sum_keys() {
        uint32_t sum = 0;
        for (List_startIterate(&l); List_hasMoreElements(&l);) {
            sum += static_cast<E *>(List_getNext(&l))->key;
        }
        return sum;
    }
};

struct BaselineSlist {
    using E = QItem;
    ItemStailq h;
    BaselineSlist() { STAILQ_INIT(&h); }
    void push_front(E *e) { base_stailq_insert_head(&h, e); }
    void push_back(E *e) { base_stailq_insert_tail(&h, e); }
    E *pop_front() { return base_stailq_remove_head(&h); }
    void insert_sorted(E *e) { base_stailq_insert_sorted(&h, e, q_by_key); }
    void clear() { STAILQ_INIT(&h); }
    uint32_t sum_keys() {
        uint32_t sum = 0;
        for (E *e = STAILQ_FIRST(&h); e != nullptr; e = base_stailq_next(e)) {
            sum += e->key;
        }
        return sum;
    }
};

struct QueueSlist {
    using E = QItem;
    ItemStailq h;
    QueueSlist() { STAILQ_INIT(&h); }
    void push_front(E *e) { STAILQ_INSERT_HEAD(&h, e, sq); }
    void push_back(E *e) { STAILQ_INSERT_TAIL(&h, e, sq); }
    E *pop_front() {
        E *e = STAILQ_FIRST(&h);
        STAILQ_REMOVE_HEAD(&h, sq);
        return e;
    }
    void insert_sorted(E *e) {
        E *before = nullptr;
        for (E *v = STAILQ_FIRST(&h); v != nullptr && v->key < e->key; v = STAILQ_NEXT(v, sq)) {
            before = v;
        }
        if (before == nullptr) {
            STAILQ_INSERT_HEAD(&h, e, sq);
        } else {
            STAILQ_INSERT_AFTER(&h, before, e, sq);
        }
    }
    void clear() { STAILQ_INIT(&h); }
    uint32_t sum_keys() {
        uint32_t sum = 0;
        E *e;
        STAILQ_FOREACH(e, &h, sq) {
            sum += e->key;
        }
        return sum;
    }
};

struct BoostSlistAdapter {
    using E = BItem;
    BoostSlist l;
    ~BoostSlistAdapter() { l.clear(); }
    void push_front(E *e) { l.push_front(*e); }
    void push_back(E *e) { l.push_back(*e); }
    E *pop_front() {
        E *e = &l.front();
        l.pop_front();
        return e;
    }
    void insert_sorted(E *e) {
        auto before = l.before_begin();
        for (auto v = l.begin(); v != l.end() && v->key < e->key; ++v) {
            before = v;
        }
        l.insert_after(before, *e);
    }
    void clear() { l.clear(); }
    uint32_t sum_keys() {
        uint32_t sum = 0;
        for (const E &e : l) {
            sum += e.key;
        }
        return sum;
    }
};

struct LibzucDlist {
    using E = Item;
    DList l;
    LibzucDlist() { make_dlist(&l); }
    void push_back(E *e) { DList_insertLast(&l, e); }
    E *pop_front() { return static_cast<E *>(DList_removeFirst(&l)); }
    E *pop_back() { return static_cast<E *>(DList_removeLast(&l)); }
    void remove(E *e) { DList_remove(&l, e); }
    void insert_after(E *before, E *e) { DList_insertAfter(&l, before, e); }
    void insert_sorted(E *e) { DList_insertSorted(&l, e); }
    void clear() { make_dlist(&l); }
    uint32_t sum_keys() {
        uint32_t sum = 0;
        for (DList_startIterate(&l); DList_hasMoreElements(&l);) {
            sum += static_cast<E *>(DList_getNext(&l))->key;
        }
        return sum;
    }
};

struct BaselineDlist {
    using E = QItem;
    ItemTailq h;
    BaselineDlist() { TAILQ_INIT(&h); }
    void push_back(E *e) { base_tailq_insert_tail(&h, e); }
    E *pop_front() { return base_tailq_remove_head(&h); }
    E *pop_back() { return base_tailq_remove_tail(&h); }
    void remove(E *e) { base_tailq_remove(&h, e); }
    void insert_after(E *before, E *e) { base_tailq_insert_after(&h, before, e); }
    void insert_sorted(E *e) { base_tailq_insert_sorted(&h, e, q_by_key); }
    void clear() { TAILQ_INIT(&h); }
    uint32_t sum_keys() {
        uint32_t sum = 0;
        for (E *e = TAILQ_FIRST(&h); e != nullptr; e = base_tailq_next(e)) {
            sum += e->key;
        }
        return sum;
    }
};

struct QueueDlist {
    using E = QItem;
    ItemTailq h;
    QueueDlist() { TAILQ_INIT(&h); }
    void push_back(E *e) { TAILQ_INSERT_TAIL(&h, e, tq); }
    E *pop_front() { return remove_and_return(TAILQ_FIRST(&h)); }
    E *pop_back() { return remove_and_return(TAILQ_LAST(&h, ItemTailq)); }
    E *remove_and_return(E *e) {
        TAILQ_REMOVE(&h, e, tq);
        return e;
    }
    void remove(E *e) { TAILQ_REMOVE(&h, e, tq); }
    void insert_after(E *before, E *e) { TAILQ_INSERT_AFTER(&h, before, e, tq); }
    void insert_sorted(E *e) {
        E *v = TAILQ_FIRST(&h);
        while (v != nullptr && v->key < e->key) {
            v = TAILQ_NEXT(v, tq);
        }
        if (v == nullptr) {
            TAILQ_INSERT_TAIL(&h, e, tq);
        } else {
            TAILQ_INSERT_BEFORE(v, e, tq);
        }
    }
    void clear() { TAILQ_INIT(&h); }
    uint32_t sum_keys() {
        uint32_t sum = 0;
        E *e;
        TAILQ_FOREACH(e, &h, tq) {
            sum += e->key;
        }
        return sum;
    }
};

struct BoostDlistAdapter {
    using E = BItem;
    BoostList l;
    ~BoostDlistAdapter() { l.clear(); }
    void push_back(E *e) { l.push_back(*e); }
    E *pop_front() {
        E *e = &l.front();
        l.pop_front();
        return e;
    }
    E *pop_back() {
        E *e = &l.back();
        l.pop_back();
        return e;
    }
    void remove(E *e) { l.erase(l.iterator_to(*e)); }
    void insert_after(E *before, E *e) { l.insert(std::next(l.iterator_to(*before)), *e); }
    void insert_sorted(E *e) {
        l.insert(std::find_if(l.begin(), l.end(), [e](const E &x) { return x.key >= e->key; }), *e);
    }
    void clear() { l.clear(); }
    uint32_t sum_keys() {
        uint32_t sum = 0;
        for (const E &e : l) {
            sum += e.key;
        }
        return sum;
    }
};

// ---- The benchmarks.

// kBurst insertions by Insert, then kBurst removals by Remove.
template <typename L, void (L::*Insert)(typename L::E *), typename L::E *(L::*Remove)()>
void Burst(benchmark::State &state) {
    std::vector<typename L::E> &it = items<typename L::E>();
    L l;
    for (auto _ : state) {
        for (unsigned int i = 0; i < kBurst; ++i) {
            (l.*Insert)(&it[i]);
        }
        for (unsigned int i = 0; i < kBurst; ++i) {
            benchmark::DoNotOptimize((l.*Remove)());
        }
    }
    set_ops(state, kBurst);
}

// Unlinks an element from the middle of kResident and links it back in
// after its predecessor.
template <typename L>
void RemoveInsertAfter(benchmark::State &state) {
    std::vector<typename L::E> &it = items<typename L::E>();
    L l;
    for (unsigned int i = 0; i < kResident; ++i) {
        l.push_back(&it[i]);
    }
    unsigned int i = 1;
    for (auto _ : state) {
        l.remove(&it[i]);
        l.insert_after(&it[i - 1], &it[i]);
        benchmark::ClobberMemory();
        i = i + 2 == kResident ? 1 : i + 1;
    }
    l.clear();
    set_ops(state, 1);
}

// Sorted insertion of n elements with random keys into an emptied list.
template <typename L>
void InsertSorted(benchmark::State &state) {
    const auto n = static_cast<unsigned int>(state.range(0));
    std::vector<typename L::E> &it = items<typename L::E>();
    L l;
    for (auto _ : state) {
        l.clear();
        for (unsigned int i = 0; i < n; ++i) {
            l.insert_sorted(&it[i]);
        }
        benchmark::ClobberMemory();
    }
    l.clear();
    set_ops(state, n);
}

// Walks n elements with the list's own iteration.
template <typename L>
void Iterate(benchmark::State &state) {
    const auto n = static_cast<unsigned int>(state.range(0));
    std::vector<typename L::E> &it = items<typename L::E>();
    L l;
    for (unsigned int i = 0; i < n; ++i) {
        l.push_back(&it[i]);
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(l.sum_keys());
    }
    l.clear();
    set_ops(state, n);
}

} // namespace

#define ZUC_BENCH_INTRUSIVE(family, L, name)                                                       \
    BENCHMARK(Burst<L, &L::push_back, &L::pop_front>)                                              \
        ->Name(family "/insert_last+remove_first/" name);                                          \
    BENCHMARK(InsertSorted<L>)->Name(family "/insert_sorted/" name)->Arg(kSortedLength);           \
    BENCHMARK(Iterate<L>)->Name(family "/iterate/" name)->Arg(kWalkLength)

ZUC_BENCH_INTRUSIVE("slist", LibzucSlist, "libzuc");
ZUC_BENCH_INTRUSIVE("slist", BaselineSlist, "baseline");
ZUC_BENCH_INTRUSIVE("slist", BoostSlistAdapter, "Boost.Intrusive");
ZUC_BENCH_INTRUSIVE("slist", QueueSlist, "sys_queue.h");
BENCHMARK(Burst<LibzucSlist, &LibzucSlist::push_front, &LibzucSlist::pop_front>)
    ->Name("slist/insert_first+remove_first/libzuc");
BENCHMARK(Burst<BaselineSlist, &BaselineSlist::push_front, &BaselineSlist::pop_front>)
    ->Name("slist/insert_first+remove_first/baseline");
BENCHMARK(Burst<BoostSlistAdapter, &BoostSlistAdapter::push_front, &BoostSlistAdapter::pop_front>)
    ->Name("slist/insert_first+remove_first/Boost.Intrusive");
BENCHMARK(Burst<QueueSlist, &QueueSlist::push_front, &QueueSlist::pop_front>)
    ->Name("slist/insert_first+remove_first/sys_queue.h");

ZUC_BENCH_INTRUSIVE("dlist", LibzucDlist, "libzuc");
ZUC_BENCH_INTRUSIVE("dlist", BaselineDlist, "baseline");
ZUC_BENCH_INTRUSIVE("dlist", BoostDlistAdapter, "Boost.Intrusive");
ZUC_BENCH_INTRUSIVE("dlist", QueueDlist, "sys_queue.h");
BENCHMARK(Burst<LibzucDlist, &LibzucDlist::push_back, &LibzucDlist::pop_back>)
    ->Name("dlist/insert_last+remove_last/libzuc");
BENCHMARK(Burst<BaselineDlist, &BaselineDlist::push_back, &BaselineDlist::pop_back>)
    ->Name("dlist/insert_last+remove_last/baseline");
BENCHMARK(Burst<BoostDlistAdapter, &BoostDlistAdapter::push_back, &BoostDlistAdapter::pop_back>)
    ->Name("dlist/insert_last+remove_last/Boost.Intrusive");
BENCHMARK(Burst<QueueDlist, &QueueDlist::push_back, &QueueDlist::pop_back>)
    ->Name("dlist/insert_last+remove_last/sys_queue.h");
BENCHMARK(RemoveInsertAfter<LibzucDlist>)->Name("dlist/remove+insert_after/libzuc");
BENCHMARK(RemoveInsertAfter<BaselineDlist>)->Name("dlist/remove+insert_after/baseline");
BENCHMARK(RemoveInsertAfter<BoostDlistAdapter>)->Name("dlist/remove+insert_after/Boost.Intrusive");
BENCHMARK(RemoveInsertAfter<QueueDlist>)->Name("dlist/remove+insert_after/sys_queue.h");

BENCHMARK_MAIN();
