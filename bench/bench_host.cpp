// Host times: libzuc, through the shared library as users call it, beside
// what a C or C++ team would use instead ("<family>/<operation>/<who>"), and
// the growth of its costs with n ("growth/<function>/<n>").
#include <libzuc/zuc.hpp>

#include <benchmark/benchmark.h>
#include <glib.h>
#include <malloc.h>

#include <boost/accumulators/accumulators.hpp>
#include <boost/accumulators/statistics/rolling_mean.hpp>
#include <boost/accumulators/statistics/stats.hpp>
#include <boost/circular_buffer.hpp>
#include <boost/crc.hpp>
#include <boost/intrusive/list.hpp>
#include <boost/intrusive/slist.hpp>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <list>
#include <numeric>
#include <random>
#include <unordered_map>
#include <vector>

namespace {

// Everything is sized so that no addition fails: one that did would stop the run.
template <class T>
T must(T result) {
    return result ? result : (std::abort(), result);
}

namespace bi = boost::intrusive;

std::mt19937 rng(20240601u);
void *element(uintptr_t i) {
    return reinterpret_cast<void *>(i + 1);
}
uintptr_t value(const void *e) {
    return reinterpret_cast<uintptr_t>(e);
}
// Runs body per iteration; the report divides the time by `per`. Every
// benchmark starts from a trimmed heap: what others left in malloc's bins shifts it.
template <class T>
void run(benchmark::State &state, T &&body, double per = 1) {
    malloc_trim(0);
    for (auto _ : state) {
        body();
    }
    state.counters["per"] = per;
}

// ---- Memory pool: take a 32-byte element, write it, give it back.
struct ZucPool {
    mempool *p = mempool_create(1024, 32);
    ~ZucPool() { mempool_destroy(p); }
    void *take() { return mempool_alloc(p); }
    void give(void *e) { mempool_free(p, e); }
};
struct Malloc {
    void *take() { return malloc(32); }
    void give(void *e) { free(e); }
};
template <class Pool>
void AllocFree(benchmark::State &state) {
    Pool pool;
    run(state, [&pool] {
        void *e = pool.take();
        *static_cast<volatile char *>(e) = 1;
        pool.give(e);
    });
}

// ---- Queues of 256 slots: an add and a get in turn. Lists: append, walk, free 1000 (per element).
struct ZucQueue {
    zuqueue *q = zuqueue_new(256);
    ~ZucQueue() { zuqueue_free(q, nullptr); }
    void add(void *e) { must(zuqueue_add(q, e)); }
    void *get() { return zuqueue_get(q); }
};
template <class Container>
struct StdQueue {
    Container q;
    void add(void *e) { q.push_back(e); }
    void *get() {
        void *e = q.front();
        q.pop_front();
        return e;
    }
    uintptr_t sum() {
        return std::accumulate(q.begin(), q.end(), uintptr_t{0},
                               [](uintptr_t s, void *e) { return s + value(e); });
    }
};
struct Ring : StdQueue<boost::circular_buffer<void *>> {
    Ring() { q.set_capacity(256); }
};
struct GlibQueue {
    GQueue *q = g_queue_new();
    ~GlibQueue() { g_queue_free(q); }
    void add(void *e) { g_queue_push_tail(q, e); }
    void *get() { return g_queue_pop_head(q); }
    uintptr_t sum() {
        uintptr_t s = 0;
        for (GList *n = q->head; n != nullptr; n = n->next) {
            s += value(n->data);
        }
        return s;
    }
};
struct ZucList {
    list *l = list_new(nullptr, nullptr);
    ~ZucList() { list_free(l, nullptr); }
    void add(void *e) { must(list_add(l, e)); }
    uintptr_t sum() {
        uintptr_t s = 0;
        for (list_iterator i = list_first(l); !list_end(i); i = list_next(i)) {
            s += value(list_get(i));
        }
        return s;
    }
};
template <class Queue>
void AddGet(benchmark::State &state) {
    Queue queue;
    uintptr_t i = 0;
    run(state, [&] {
        queue.add(element(i++));
        benchmark::DoNotOptimize(queue.get());
    });
}
template <class List>
void AppendWalkFree(benchmark::State &state) {
    run(
        state,
        [] {
            List l;
            for (uintptr_t i = 0; i < 1000; ++i) {
                l.add(element(i));
            }
            benchmark::DoNotOptimize(l.sum());
        },
        1000);
}

// ---- Hash table, half full, 32-bit keys in the caller's memory, hashed alike.
uint32_t key_hash(const void *key) {
    uint32_t k;
    memcpy(&k, key, sizeof k);
    return k * 0x9E3779B1u;
}
bool key_equal(const void *a, const void *b) {
    return memcmp(a, b, sizeof(uint32_t)) == 0;
}
struct ZucTable {
    HashTab t{};
    explicit ZucTable(unsigned int capacity) {
        must(HashTab_init(
            &t, [](const void *k, unsigned int) { return key_hash(k); },
            [](const void *a, const void *b) { return key_equal(a, b) ? 1 : 0; }, capacity,
            nullptr));
    }
    ~ZucTable() { HashTab_destroy(&t); }
    void *find(const void *k) { return HashTab_lookup(&t, k); }
    void store(const void *k, void *v) { must(HashTab_store(&t, k, v)); }
    void erase(const void *k) { HashTab_delete(&t, k); }
};
struct StdTable {
    std::unordered_map<const void *, void *,
                       decltype([](const void *k) -> size_t { return key_hash(k); }),
                       decltype([](const void *a, const void *b) { return key_equal(a, b); })>
        m;
    explicit StdTable(unsigned int capacity) : m(capacity) {}
    void *find(const void *k) {
        auto found = m.find(k);
        return found == m.end() ? nullptr : found->second;
    }
    void store(const void *k, void *v) { m.emplace(k, v); }
    void erase(const void *k) { m.erase(k); }
};
struct GlibTable {
    explicit GlibTable(unsigned int) {}
    GHashTable *t = g_hash_table_new([](gconstpointer k) -> guint { return key_hash(k); },
                                     [](gconstpointer a, gconstpointer b) -> gboolean {
                                         return key_equal(a, b) ? TRUE : FALSE;
                                     });
    ~GlibTable() { g_hash_table_destroy(t); }
    void *find(const void *k) { return g_hash_table_lookup(t, k); }
    void store(const void *k, void *v) { g_hash_table_insert(t, const_cast<void *>(k), v); }
    void erase(const void *k) { g_hash_table_remove(t, k); }
};
// A lookup of a stored key, or its delete and store again, in a fixed order,
// in a table of 2n buckets holding n keys.
template <class Table, bool Lookup>
void TableOp(benchmark::State &state) {
    const auto n = static_cast<unsigned int>(state.range(0));
    std::vector<uint32_t> keys(n);
    for (uint32_t i = 0; i < n; ++i) {
        const uint32_t k = (i + 1) * 2654435769u; // both steps are one to one: distinct keys
        keys[i] = k ^ (k >> 15);                  // that fill the chains evenly
    }
    std::shuffle(keys.begin(), keys.end(), rng);
    Table table(2 * n);
    for (const uint32_t &key : keys) {
        table.store(&key, element(key));
    }
    unsigned int i = 0;
    run(state, [&] {
        if (Lookup) {
            benchmark::DoNotOptimize(table.find(&keys[i]));
        } else {
            table.erase(&keys[i]);
            table.store(&keys[i], element(i));
        }
        i = i + 1 == n ? 0 : i + 1;
    });
    state.SetComplexityN(n);
}

// ---- Intrusive lists: 64 records in at the back, then out at the front (per
// record). Boost's hooks are in safe mode: they clear links as libzuc does.
struct Rec {
    unsigned int key;
    Rec *next, *dnext, *dprev; // libzuc's links: plain members at known offsets
};
struct ZucSlist {
    List l;
    ZucSlist() { List_makeList(&l, offsetof(Rec, next), nullptr); }
    void push(Rec &r) { List_insertLast(&l, &r); }
    void *pop() { return List_removeFirst(&l); }
};
struct ZucDlist {
    DList l;
    ZucDlist() { DList_makeDList(&l, offsetof(Rec, dnext), offsetof(Rec, dprev), nullptr); }
    void push(Rec &r) { DList_insertLast(&l, &r); }
    void *pop() { return DList_removeFirst(&l); }
};
struct BoostRec : bi::slist_base_hook<>, bi::list_base_hook<> {};
template <class Container>
struct BoostList {
    Container l;
    void push(BoostRec &r) { l.push_back(r); }
    void *pop() {
        void *r = &l.front();
        l.pop_front();
        return r;
    }
};
template <class R, class L>
void Burst(benchmark::State &state) {
    static R recs[64];
    L l;
    run(
        state,
        [&] {
            for (R &r : recs) {
                l.push(r);
            }
            for (int i = 0; i < 64; ++i) {
                benchmark::DoNotOptimize(l.pop());
            }
        },
        64);
}

// ---- CRC-16/XMODEM of 4096 bytes (per byte). Boost's crc_optimal runs the
// byte-wise table loop, each lookup waiting for the one before: the limit.
std::array<uint8_t, 4096> data = [] {
    std::array<uint8_t, 4096> d{};
    std::generate(d.begin(), d.end(), [] { return static_cast<uint8_t>(rng()); });
    return d;
}();
template <class Crc>
void Checksum(benchmark::State &state, Crc crc) {
    run(
        state, [&crc] { benchmark::DoNotOptimize(crc(data.data(), data.size())); }, data.size());
}

// ---- Sliding average: a sample into a full window of 64.
template <class Add>
void AddSample(benchmark::State &state, Add add) {
    uint32_t sample = 0;
    run(state, [&] { add(sample = sample * 1103515245u + 12345u); });
}

// ---- Cost growth: the time of one call as n grows.
list *numbers(unsigned int n, bool sorted) {
    std::vector<uintptr_t> values(n);
    std::iota(values.begin(), values.end(), 0u);
    if (!sorted) {
        std::shuffle(values.begin(), values.end(), rng);
    }
    list *lst = list_new(nullptr, nullptr);
    for (uintptr_t v : values) {
        must(list_add(lst, element(v)));
    }
    return lst;
}
// list_size walks the whole list (no count is kept).
void ListSize(benchmark::State &state) {
    const auto n = static_cast<unsigned int>(state.range(0));
    list *l = numbers(n, true);
    run(state, [&] { benchmark::DoNotOptimize(list_size(l)); });
    list_free(l, nullptr);
    state.SetComplexityN(n);
}
// Exchange sort: one pass over sorted input, up to n over shuffled (O(n) reset per round).
template <bool Sorted>
void ListSort(benchmark::State &state) {
    const auto n = static_cast<unsigned int>(state.range(0));
    list *l = numbers(n, Sorted);
    std::vector<void *> start;
    for (list_node *node = l->head; node != nullptr; node = node->next) {
        start.push_back(node->data);
    }
    run(state, [&] {
        auto v = start.begin();
        for (list_node *node = l->head; node != nullptr; node = node->next) {
            node->data = *v++;
        }
        list_sort(l, [](const void *a, const void *b) { return value(a) > value(b) ? 1 : 0; });
    });
    list_free(l, nullptr);
    state.SetComplexityN(n);
}
// n records in key order in a List, and one more that orders after them all:
// inserting it walks all n; removing the last walks to the one before it.
template <bool Sorted>
void ListToEnd(benchmark::State &state) {
    const auto n = static_cast<unsigned int>(state.range(0));
    std::vector<Rec> r(n + 1);
    List l;
    List_makeList(&l, offsetof(Rec, next), [](const void *a, const void *b) {
        const unsigned int x = static_cast<const Rec *>(a)->key,
                           y = static_cast<const Rec *>(b)->key;
        return (x > y) - (x < y);
    });
    for (unsigned int i = 0; i < n; ++i) {
        r[i].key = i;
        List_insertLast(&l, &r[i]);
    }
    r[n].key = n;
    run(state, [&] {
        if (Sorted) {
            List_insertSorted(&l, &r[n]);
            List_removeAfter(&l, &r[n - 1]);
        } else {
            List_insertLast(&l, List_removeLast(&l));
        }
    });
    state.SetComplexityN(n);
}
// n = 16 .. 4^10, fitted to the complexity the design promises.
template <benchmark::BigO Complexity, int64_t Largest = 1 << 20>
void growth(benchmark::internal::Benchmark *b) {
    b->RangeMultiplier(4)->Range(16, Largest)->Complexity(Complexity);
}

} // namespace

BENCHMARK(AllocFree<ZucPool>)->Name("mempool/alloc+free/libzuc");
BENCHMARK(AllocFree<Malloc>)->Name("mempool/alloc+free/malloc");
BENCHMARK(AddGet<ZucQueue>)->Name("zuqueue/add+get/libzuc");
BENCHMARK(AddGet<GlibQueue>)->Name("zuqueue/add+get/GQueue");
BENCHMARK(AddGet<StdQueue<std::deque<void *>>>)->Name("zuqueue/add+get/std::deque");
BENCHMARK(AddGet<Ring>)->Name("zuqueue/add+get/boost::circular_buffer");
BENCHMARK(TableOp<ZucTable, true>)->Name("hashtab/lookup hit/libzuc")->Arg(500);
BENCHMARK(TableOp<GlibTable, true>)->Name("hashtab/lookup hit/GHashTable")->Arg(500);
BENCHMARK(TableOp<StdTable, true>)->Name("hashtab/lookup hit/std::unordered_map")->Arg(500);
BENCHMARK(TableOp<ZucTable, false>)->Name("hashtab/delete+store/libzuc")->Arg(500);
BENCHMARK(TableOp<GlibTable, false>)->Name("hashtab/delete+store/GHashTable")->Arg(500);
BENCHMARK(TableOp<StdTable, false>)->Name("hashtab/delete+store/std::unordered_map")->Arg(500);
BENCHMARK(AppendWalkFree<ZucList>)->Name("list/append+walk+free/libzuc");
BENCHMARK(AppendWalkFree<GlibQueue>)->Name("list/append+walk+free/GQueue");
BENCHMARK(AppendWalkFree<StdQueue<std::list<void *>>>)->Name("list/append+walk+free/std::list");
BENCHMARK(Burst<Rec, ZucSlist>)->Name("intrusive/List insertLast+removeFirst/libzuc");
BENCHMARK(Burst<BoostRec, BoostList<bi::slist<BoostRec, bi::cache_last<true>>>>)
    ->Name("intrusive/List insertLast+removeFirst/Boost.Intrusive");
BENCHMARK(Burst<Rec, ZucDlist>)->Name("intrusive/DList insertLast+removeFirst/libzuc");
BENCHMARK(Burst<BoostRec, BoostList<bi::list<BoostRec>>>)
    ->Name("intrusive/DList insertLast+removeFirst/Boost.Intrusive");
BENCHMARK_CAPTURE(Checksum, libzuc, [](const uint8_t *d, size_t n) {
    uint16_t crc;
    zuclib_crc16Calc(d, &crc, static_cast<uint32_t>(n));
    return crc;
})->Name("crc16/checksum 4096/libzuc");
BENCHMARK_CAPTURE(Checksum, boost, [](const uint8_t *d, size_t n) {
    boost::crc_optimal<16, 0x1021, 0, 0, false, false> crc; // CRC-16/XMODEM
    crc.process_bytes(d, n);
    return crc.checksum();
})->Name("crc16/checksum 4096/boost::crc_optimal");
BENCHMARK_CAPTURE(AddSample, libzuc, [p = SlidingAverage_create(64)](uint32_t s) {
    SlidingAverage_Add(p, s);
})->Name("slidingaverage/add/libzuc");
BENCHMARK_CAPTURE(AddSample, boost, [](uint32_t s) {
    namespace acc = boost::accumulators;
    static acc::accumulator_set<double, acc::stats<acc::tag::rolling_mean>> mean(
        acc::tag::rolling_window::window_size = 64);
    mean(s);
})->Name("slidingaverage/add/Boost rolling_mean");
BENCHMARK(ListSize)->Name("growth/list_size")->Apply(growth<benchmark::oN>);
BENCHMARK(ListSort<true>)->Name("growth/list_sort, sorted")->Apply(growth<benchmark::oN>);
BENCHMARK(ListSort<false>) // larger sizes take seconds
    ->Name("growth/list_sort, shuffled")
    ->Apply(growth<benchmark::oNSquared, 4096>);
BENCHMARK(ListToEnd<true>)->Name("growth/List_insertSorted")->Apply(growth<benchmark::oN>);
BENCHMARK(ListToEnd<false>)->Name("growth/List_removeLast")->Apply(growth<benchmark::oN>);
BENCHMARK(TableOp<ZucTable, true>)->Name("growth/HashTab_lookup")->Apply(growth<benchmark::o1>);

BENCHMARK_MAIN();
