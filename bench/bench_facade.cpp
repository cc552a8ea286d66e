// The C++ layer beside the C calls it wraps: for every family, one benchmark
// body runs the same work through two adapters, one calling the C functions
// as a C program would, the other the zuc:: facade as a C++ program would.
// The facade is inline, so each pair should cost the same.
//
// Names are "facade/<family>.<facade operation>/<C|facade>". The walks of the
// lists pair the facade's iterators with the C walk they amount to: the first
// element from the library, then the links read in place (list_first and
// list_node::next; List_getFirst and the link field).
#include <libzuc/zuc.hpp>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <optional>
#include <utility>

#include "bench.h"

namespace {

using zuc_bench::next_index;
using zuc_bench::set_ops;

constexpr unsigned int kWalkLength = 1000;
constexpr unsigned int kSortLength = 256;
constexpr unsigned int kSortedLength = 64;
constexpr unsigned int kBurst = 64;
constexpr unsigned int kTableCapacity = 1000;
constexpr unsigned int kTableFill = kTableCapacity / 2;
constexpr unsigned int kPoolElements = 1024;
constexpr unsigned int kQueueCapacity = 256;
constexpr unsigned int kWindow = 64;
constexpr unsigned int kCrcBytes = 4096;
constexpr unsigned int kMapEntries = 32;

// The records every family stores: a key and the links of both intrusive lists.
struct Rec {
    uint32_t key;
    Rec *next;          // slist
    Rec *dnext, *dprev; // dlist
};

// kWalkLength records with random keys, at stable addresses for the whole run.
std::vector<Rec> &records() {
    static std::vector<Rec> made = [] {
        std::vector<Rec> r(kWalkLength);
        for (Rec &each : r) {
            each.key = static_cast<uint32_t>(zuc_bench::rng()());
        }
        return r;
    }();
    return made;
}

// Appends the first n records to l, a list adapter.
template <typename L>
void append_records(L &l, unsigned int n) {
    std::vector<Rec> &r = records();
    for (unsigned int i = 0; i < n; ++i) {
        l.push_back(&r[i]);
    }
}

// What a factory made, or the end of the run: both sides check, as their
// users would, and the compiler then knows the object is there.
template <typename T>
T *made(T *object) {
    if (object == nullptr) {
        std::abort();
    }
    return object;
}
template <typename T>
T made(std::optional<T> object) {
    if (!object) {
        std::abort();
    }
    return std::move(*object);
}

// The C callbacks, and the facade's callables doing the same work. Both
// sides of the intrusive lists order by one function: with <=> in the
// facade's comparison GCC picks other (here fewer) instructions for the
// compare itself, and the pair would measure that, not the layer.
int key_order(const Rec &a, const Rec &b) {
    return (a.key > b.key) - (a.key < b.key);
}
int c_by_key(const void *a, const void *b) {
    return key_order(*static_cast<const Rec *>(a), *static_cast<const Rec *>(b));
}
struct ByKey {
    int operator()(const Rec &a, const Rec &b) const noexcept { return key_order(a, b); }
};
int c_match(const void *key, const void *e) {
    return *static_cast<const uint32_t *>(key) == static_cast<const Rec *>(e)->key ? 0 : 1;
}
int c_out_of_order(const void *earlier, const void *later) {
    return static_cast<const Rec *>(earlier)->key > static_cast<const Rec *>(later)->key ? 1 : 0;
}
uint32_t mix(uint32_t k) {
    return k * 0x9E3779B1u; // multiplicative (Fibonacci) hashing
}
unsigned int c_hash(const void *key, unsigned int) {
    uint32_t k;
    memcpy(&k, key, sizeof k);
    return mix(k);
}
int c_equal(const void *key, const void *stored) {
    return memcmp(key, stored, sizeof(uint32_t)) == 0 ? 1 : 0;
}
struct KeyHash {
    unsigned int operator()(uint32_t k) const noexcept { return mix(k); }
};

// ---- Generic list.

struct CList {
    list *lst = made(list_new(nullptr, nullptr));
    CList() = default;
    CList(const CList &) = delete;
    ~CList() { list_free(lst, nullptr); }
    void push_back(Rec *r) { list_add(lst, r); }
    uint32_t sum_keys() const {
        uint32_t sum = 0;
        for (list_node *n = list_first(lst).node; n != nullptr; n = n->next) {
            sum += static_cast<const Rec *>(n->data)->key;
        }
        return sum;
    }
    list_node *find(uint32_t key) const { return list_find(lst, &key, c_match); }
    void sort() { list_sort(lst, c_out_of_order); }
    list *native() const { return lst; }
};

struct FacadeList {
    zuc::list<Rec> l = made(zuc::list<Rec>::make());
    void push_back(Rec *r) { (void)l.push_back(r); }
    uint32_t sum_keys() const {
        uint32_t sum = 0;
        for (const Rec *r : l) {
            sum += r->key;
        }
        return sum;
    }
    list_node *find(uint32_t key) const {
        return l.find_if([key](const Rec *r) { return r->key == key; }).node();
    }
    void sort() {
        l.sort([](const Rec *a, const Rec *b) { return a->key < b->key; });
    }
    const list *native() const { return l.native(); }
};

// Makes a list, appends n records, walks them and frees the list.
template <typename L>
void ListPushIterateFree(benchmark::State &state) {
    zuc_bench::fresh_heap();
    const auto n = static_cast<unsigned int>(state.range(0));
    for (auto _ : state) {
        L l;
        append_records(l, n);
        benchmark::DoNotOptimize(l.sum_keys());
    }
    set_ops(state, n);
}

// Finds the last of n records by key, through a callback.
template <typename L>
void ListFind(benchmark::State &state) {
    const auto n = static_cast<unsigned int>(state.range(0));
    L l;
    append_records(l, n);
    const uint32_t last = records()[n - 1].key;
    for (auto _ : state) {
        benchmark::DoNotOptimize(l.find(last));
    }
    set_ops(state, n);
}

// Sorts n records; each round first puts them back in their start order.
template <typename L>
void ListSort(benchmark::State &state) {
    const auto n = static_cast<unsigned int>(state.range(0));
    L l;
    append_records(l, n); // their keys are random: a shuffled start
    std::vector<void *> start;
    for (unsigned int i = 0; i < n; ++i) {
        start.push_back(&records()[i]);
    }
    for (auto _ : state) {
        zuc_bench::write_values(l.native()->head, start);
        l.sort();
    }
    set_ops(state, n);
}

// ---- Intrusive lists.

struct CSlist {
    List l;
    CSlist() { clear(); }
    void push_back(Rec *r) { List_insertLast(&l, r); }
    Rec *pop() { return static_cast<Rec *>(List_removeFirst(&l)); }
    void insert_sorted(Rec *r) { List_insertSorted(&l, r); }
    void clear() { List_makeList(&l, offsetof(Rec, next), c_by_key); }
    uint32_t sum_keys() const {
        uint32_t sum = 0;
        for (auto *r = static_cast<const Rec *>(List_getFirst(&l)); r != nullptr; r = r->next) {
            sum += r->key;
        }
        return sum;
    }
};

struct CDlist {
    DList l;
    CDlist() { clear(); }
    void push_back(Rec *r) { DList_insertLast(&l, r); }
    Rec *pop() { return static_cast<Rec *>(DList_removeLast(&l)); }
    void insert_sorted(Rec *r) { DList_insertSorted(&l, r); }
    void clear() { DList_makeDList(&l, offsetof(Rec, dnext), offsetof(Rec, dprev), c_by_key); }
    uint32_t sum_keys() const {
        uint32_t sum = 0;
        for (auto *r = static_cast<const Rec *>(DList_getFirst(&l)); r != nullptr; r = r->dnext) {
            sum += r->key;
        }
        return sum;
    }
};

// Either facade list; Pop removes at the end the C adapter removes at.
template <typename L, Rec *(L::*Pop)()>
struct FacadeIntrusive {
    L l;
    void push_back(Rec *r) { l.push_back(*r); }
    Rec *pop() { return (l.*Pop)(); }
    void insert_sorted(Rec *r) { l.insert_sorted(*r); }
    void clear() { l.clear(); }
    uint32_t sum_keys() const {
        uint32_t sum = 0;
        for (const Rec &r : l) {
            sum += r.key;
        }
        return sum;
    }
};
using Slist = zuc::slist<Rec, &Rec::next, ByKey>;
using Dlist = zuc::dlist<Rec, &Rec::dnext, &Rec::dprev, ByKey>;
using FacadeSlist = FacadeIntrusive<Slist, &Slist::pop_front>;
using FacadeDlist = FacadeIntrusive<Dlist, &Dlist::pop_back>;

// kBurst records appended, then kBurst removed (first for slist, last for dlist).
template <typename L>
void IntrusiveBurst(benchmark::State &state) {
    std::vector<Rec> &r = records();
    L l;
    for (auto _ : state) {
        for (unsigned int i = 0; i < kBurst; ++i) {
            l.push_back(&r[i]);
        }
        for (unsigned int i = 0; i < kBurst; ++i) {
            benchmark::DoNotOptimize(l.pop());
        }
    }
    set_ops(state, kBurst);
}

// Sorted insertion of n records with random keys into an emptied list.
template <typename L>
void IntrusiveInsertSorted(benchmark::State &state) {
    const auto n = static_cast<unsigned int>(state.range(0));
    std::vector<Rec> &r = records();
    L l;
    for (auto _ : state) {
        l.clear();
        for (unsigned int i = 0; i < n; ++i) {
            l.insert_sorted(&r[i]);
        }
        benchmark::ClobberMemory();
    }
    set_ops(state, n);
}

// Walks n records.
template <typename L>
void IntrusiveIterate(benchmark::State &state) {
    const auto n = static_cast<unsigned int>(state.range(0));
    L l;
    append_records(l, n);
    for (auto _ : state) {
        benchmark::DoNotOptimize(l.sum_keys());
    }
    set_ops(state, n);
}

// ---- Hash table: kTableFill entries of a table for kTableCapacity; the
// keys are the records' keys, the values the records.

struct CTable {
    HashTab t{};
    CTable() {
        if (HashTab_init(&t, c_hash, c_equal, kTableCapacity, nullptr) == 0) {
            std::abort();
        }
    }
    CTable(const CTable &) = delete;
    ~CTable() { HashTab_destroy(&t); }
    Rec *find(const uint32_t &key) const { return static_cast<Rec *>(HashTab_lookup(&t, &key)); }
    void insert(const uint32_t &key, Rec *value) { HashTab_store(&t, &key, value); }
    void erase(const uint32_t &key) { HashTab_delete(&t, &key); }
};

struct FacadeTable {
    using Table = zuc::hash_table<uint32_t, Rec, KeyHash>;
    Table t = made(Table::make(kTableCapacity));
    Rec *find(const uint32_t &key) const { return t.find(key); }
    void insert(const uint32_t &key, Rec *value) { (void)t.insert(key, value); }
    void erase(const uint32_t &key) { t.erase(key); }
};

template <typename T>
void fill(T &table) {
    for (unsigned int i = 0; i < kTableFill; ++i) {
        table.insert(records()[i].key, &records()[i]);
    }
}

// Looks up stored keys (hit) or keys that are not stored, in a random order.
template <typename T>
void TableFind(benchmark::State &state, bool hit) {
    std::vector<Rec> &r = records();
    T table;
    fill(table);
    const std::vector<unsigned int> order = zuc_bench::shuffled_indexes(kTableFill);
    const unsigned int first = hit ? 0 : kTableFill; // records kTableFill.. are never stored
    unsigned int i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(table.find(r[first + order[i]].key));
        i = next_index(i, kTableFill);
    }
    set_ops(state, 1);
}

template <typename T>
void TableFindHit(benchmark::State &state) {
    TableFind<T>(state, true);
}
template <typename T>
void TableFindMiss(benchmark::State &state) {
    TableFind<T>(state, false);
}

// Deletes a stored key and stores it again, at a constant fill.
template <typename T>
void TableEraseInsert(benchmark::State &state) {
    std::vector<Rec> &r = records();
    T table;
    fill(table);
    const std::vector<unsigned int> order = zuc_bench::shuffled_indexes(kTableFill);
    unsigned int i = 0;
    for (auto _ : state) {
        const Rec &each = r[order[i]];
        table.erase(each.key);
        table.insert(each.key, &r[order[i]]);
        i = next_index(i, kTableFill);
    }
    set_ops(state, 1);
}

// ---- Memory pool.

struct Element {
    uint32_t words[8]; // 32 bytes
};

struct CPool {
    mempool *pool = made(mempool_create(kPoolElements, sizeof(Element)));
    CPool() = default;
    CPool(const CPool &) = delete;
    ~CPool() { mempool_destroy(pool); }
    Element *take() { return static_cast<Element *>(mempool_alloc(pool)); }
    void give(Element *e) { mempool_free(pool, e); }
};

struct FacadePool {
    zuc::pool<Element> pool = made(zuc::pool<Element>::make(kPoolElements));
    Element *take() { return pool.allocate(); }
    void give(Element *e) { pool.deallocate(e); }
};

// Takes an element, writes it, gives it back.
template <typename P>
void PoolTakeGive(benchmark::State &state) {
    P p;
    uint32_t i = 0;
    for (auto _ : state) {
        Element *e = p.take();
        e->words[0] = ++i;
        benchmark::DoNotOptimize(e);
        p.give(e);
    }
    set_ops(state, 1);
}

// ---- Queue, on the heap and in place.

struct CQueue {
    zuqueue *q = made(zuqueue_new(kQueueCapacity));
    CQueue() = default;
    CQueue(const CQueue &) = delete;
    ~CQueue() { zuqueue_free(q, nullptr); }
    void push(Rec *r) { zuqueue_add(q, r); }
    Rec *pop() { return static_cast<Rec *>(zuqueue_get(q)); }
};

struct CInplaceQueue {
    alignas(zuqueue) unsigned char buffer[sizeof(zuqueue) + kQueueCapacity * sizeof(void *)];
    zuqueue *q = zuqueue_inplace_new(buffer, sizeof buffer, kQueueCapacity);
    CInplaceQueue() = default;
    CInplaceQueue(const CInplaceQueue &) = delete;
    void push(Rec *r) { zuqueue_add(q, r); }
    Rec *pop() { return static_cast<Rec *>(zuqueue_get(q)); }
};

struct FacadeQueue {
    zuc::queue<Rec> q = made(zuc::queue<Rec>::make(kQueueCapacity));
    void push(Rec *r) { (void)q.push(r); }
    Rec *pop() { return q.pop(); }
};

struct FacadeInplaceQueue {
    zuc::inplace_queue<Rec, kQueueCapacity> q;
    void push(Rec *r) { (void)q.push(r); }
    Rec *pop() { return q.pop(); }
};

// A push and a pop in turn.
template <typename Q>
void QueuePushPop(benchmark::State &state) {
    std::vector<Rec> &r = records();
    Q q;
    unsigned int i = 0;
    for (auto _ : state) {
        q.push(&r[i]);
        benchmark::DoNotOptimize(q.pop());
        i = next_index(i, kWalkLength);
    }
    set_ops(state, 1);
}

// ---- Sliding average over a full window.

struct CAverage {
    SlidingAverage *avg = made(SlidingAverage_create(kWindow));
    CAverage() = default;
    CAverage(const CAverage &) = delete;
    ~CAverage() { SlidingAverage_destroy(avg); }
    void add(uint32_t sample) { SlidingAverage_Add(avg, sample); }
    double mean() const { return SlidingAverage_GetAverage(avg); }
};

struct FacadeAverage {
    zuc::sliding_average avg = made(zuc::sliding_average::make(kWindow));
    void add(uint32_t sample) { avg.add(sample); }
    double mean() const { return avg.average(); }
};

// Adds the records' keys as samples, cyclically.
template <typename A>
void AverageAdd(benchmark::State &state) {
    std::vector<Rec> &r = records();
    A a;
    unsigned int i = 0;
    for (auto _ : state) {
        a.add(r[i].key);
        i = next_index(i, kWalkLength);
    }
    benchmark::DoNotOptimize(a.mean());
    set_ops(state, 1);
}

template <typename A>
void AverageMean(benchmark::State &state) {
    A a;
    for (unsigned int i = 0; i < kWindow; ++i) {
        a.add(records()[i].key);
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(a.mean());
    }
    set_ops(state, 1);
}

// ---- CRC-16 of a buffer.

struct CCrc {
    static uint16_t of(const std::vector<std::byte> &data) {
        uint16_t crc;
        zuclib_crc16Calc(data.data(), &crc, static_cast<uint32_t>(data.size()));
        return crc;
    }
};
struct FacadeCrc {
    static uint16_t of(const std::vector<std::byte> &data) { return zuc::crc16(data); }
};

template <typename C>
void Crc(benchmark::State &state) {
    std::vector<std::byte> data(static_cast<std::size_t>(state.range(0)));
    for (std::byte &b : data) {
        b = static_cast<std::byte>(zuc_bench::rng()());
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(C::of(data));
    }
    set_ops(state, static_cast<double>(data.size()));
}

// ---- Search map: kMapEntries entries, each key looked up in turn.

struct MapEntries {
    zuclib_uint_uint_map_entry at[kMapEntries];
};
constexpr MapEntries kEntries = [] {
    MapEntries e{};
    for (uint32_t i = 0; i < kMapEntries; ++i) {
        e.at[i] = {1000 + 7 * i, i};
    }
    return e;
}();
// The C table: the same entries, then the sentinel.
constexpr auto kCMap = [] {
    std::array<zuclib_uint_uint_map_entry, kMapEntries + 1> t{};
    std::copy(std::begin(kEntries.at), std::end(kEntries.at), t.begin());
    t[kMapEntries] = {ZUCLIB_UINT_UINT_MAP_END, 0};
    return t;
}();
constexpr auto kFacadeMap = zuc::uint_uint_map(kEntries.at);

struct CMap {
    static std::optional<uint32_t> find(uint32_t key) {
        const uint32_t value = zuclib_search_uint_uint_map(kCMap.data(), key);
        if (value == ZUCLIB_UINT_UINT_MAP_END) {
            return std::nullopt;
        }
        return value;
    }
};
struct FacadeMap {
    static std::optional<uint32_t> find(uint32_t key) { return kFacadeMap.find(key); }
};

template <typename M>
void MapFind(benchmark::State &state) {
    unsigned int i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(M::find(kEntries.at[i].key));
        i = next_index(i, kMapEntries);
    }
    set_ops(state, 1);
}

// ---- Aligned allocation: a block taken and released.

void AlignedC(benchmark::State &state) {
    zuc_bench::fresh_heap();
    for (auto _ : state) {
        void *block = zu_memalign(64, 256);
        benchmark::DoNotOptimize(block);
        zu_free(block);
    }
    set_ops(state, 1);
}

void AlignedFacade(benchmark::State &state) {
    zuc_bench::fresh_heap();
    for (auto _ : state) {
        zuc::aligned_ptr<void> block = zuc::memalign(64, 256);
        benchmark::DoNotOptimize(block.get());
    }
    set_ops(state, 1);
}

} // namespace

// Registers body<C> and body<Facade> as one pair; the rest are the
// benchmark's settings.
#define ZUC_BENCH_PAIR(op, body, C, Facade, ...)                                                   \
    BENCHMARK(body<C>)->Name("facade/" op "/C") __VA_ARGS__;                                       \
    BENCHMARK(body<Facade>)->Name("facade/" op "/facade") __VA_ARGS__

ZUC_BENCH_PAIR("list.push_back+iterate+free", ListPushIterateFree, CList,
               FacadeList, ->Arg(kWalkLength));
ZUC_BENCH_PAIR("list.find_if", ListFind, CList, FacadeList, ->Arg(kWalkLength));
ZUC_BENCH_PAIR("list.sort", ListSort, CList, FacadeList, ->Arg(kSortLength));
ZUC_BENCH_PAIR("slist.push_back+pop_front", IntrusiveBurst, CSlist, FacadeSlist);
ZUC_BENCH_PAIR("slist.insert_sorted", IntrusiveInsertSorted, CSlist,
               FacadeSlist, ->Arg(kSortedLength));
ZUC_BENCH_PAIR("slist.iterate", IntrusiveIterate, CSlist, FacadeSlist, ->Arg(kWalkLength));
ZUC_BENCH_PAIR("dlist.push_back+pop_back", IntrusiveBurst, CDlist, FacadeDlist);
ZUC_BENCH_PAIR("dlist.insert_sorted", IntrusiveInsertSorted, CDlist,
               FacadeDlist, ->Arg(kSortedLength));
ZUC_BENCH_PAIR("dlist.iterate", IntrusiveIterate, CDlist, FacadeDlist, ->Arg(kWalkLength));
ZUC_BENCH_PAIR("hash_table.find_hit", TableFindHit, CTable, FacadeTable);
ZUC_BENCH_PAIR("hash_table.find_miss", TableFindMiss, CTable, FacadeTable);
ZUC_BENCH_PAIR("hash_table.erase+insert", TableEraseInsert, CTable, FacadeTable);
ZUC_BENCH_PAIR("pool.allocate+deallocate", PoolTakeGive, CPool, FacadePool);
ZUC_BENCH_PAIR("queue.push+pop", QueuePushPop, CQueue, FacadeQueue);
ZUC_BENCH_PAIR("inplace_queue.push+pop", QueuePushPop, CInplaceQueue, FacadeInplaceQueue);
ZUC_BENCH_PAIR("sliding_average.add", AverageAdd, CAverage, FacadeAverage);
ZUC_BENCH_PAIR("sliding_average.average", AverageMean, CAverage, FacadeAverage);
ZUC_BENCH_PAIR("crc16.span", Crc, CCrc, FacadeCrc, ->Arg(kCrcBytes));
ZUC_BENCH_PAIR("uint_uint_map.find", MapFind, CMap, FacadeMap);
BENCHMARK(AlignedC)->Name("facade/aligned_ptr.memalign+destroy/C");
BENCHMARK(AlignedFacade)->Name("facade/aligned_ptr.memalign+destroy/facade");

BENCHMARK_MAIN();
