// Hash table: libzuc's HashTab beside std::unordered_map and glib's
// GHashTable with the same hash and equality, and an out-of-line chained
// table of the same design (the baseline).
//
// Keys are 32-bit numbers held in the caller's memory and named by pointer,
// as HashTab wants them. The table holds up to kCapacity entries; the size
// argument is the fill in percent of that capacity.
#include <libzuc/hashtab.h>

#include <glib.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <unordered_map>

#include "bench.h"

namespace {

using zuc_bench::next_index;
using zuc_bench::set_ops;

constexpr unsigned int kCapacity = 1000;

// kCapacity keys that can be stored, then kCapacity keys that never are.
const std::vector<uint32_t> &keys() {
    static const std::vector<uint32_t> k = zuc_bench::distinct_keys(2 * kCapacity);
    return k;
}
const void *stored_key(unsigned int i) {
    return &keys()[i];
}
const void *absent_key(unsigned int i) {
    return &keys()[kCapacity + i];
}
void *value_of(unsigned int i) {
    return reinterpret_cast<void *>(uintptr_t{i} + 1);
}

// The one hash and equality every implementation uses.
uint32_t key_hash(const void *key) {
    uint32_t k;
    memcpy(&k, key, sizeof k);
    return k * 0x9E3779B1u; // multiplicative (Fibonacci) hashing
}
bool key_equal(const void *a, const void *b) {
    uint32_t x, y;
    memcpy(&x, a, sizeof x);
    memcpy(&y, b, sizeof y);
    return x == y;
}

unsigned int zuc_hash(const void *key, unsigned int) {
    return key_hash(key);
}
int zuc_equal(const void *key, const void *stored) {
    return key_equal(key, stored) ? 1 : 0;
}
guint g_hash(gconstpointer key) {
    return key_hash(key);
}
gboolean g_equal(gconstpointer a, gconstpointer b) {
    return key_equal(a, b) ? TRUE : FALSE;
}
struct StdHash {
    std::size_t operator()(const void *key) const noexcept { return key_hash(key); }
};
struct StdEqual {
    bool operator()(const void *a, const void *b) const noexcept { return key_equal(a, b); }
};
using StdMap = std::unordered_map<const void *, void *, StdHash, StdEqual>;

unsigned int filled(const benchmark::State &state) {
    return static_cast<unsigned int>(state.range(0)) * kCapacity / 100;
}

// ---- The out-of-line baseline: a chained table with a bucket pool and a
// free list, as HashTab, without its checks.

struct BaseBucket {
    BaseBucket *next;
    const void *key;
    void *value;
};
struct BaseTable {
    unsigned int (*hash)(const void *, unsigned int);
    int (*equal)(const void *, const void *);
    unsigned int count, capacity, tableSize;
    BaseBucket *buckets, *freeList, **table;
};

BaseTable base_new(unsigned int capacity, unsigned int tableSize) {
    BaseTable t{zuc_hash, zuc_equal, 0, capacity, tableSize, nullptr, nullptr, nullptr};
    t.buckets = static_cast<BaseBucket *>(calloc(capacity, sizeof(BaseBucket)));
    t.table = static_cast<BaseBucket **>(calloc(tableSize, sizeof(BaseBucket *)));
    for (unsigned int i = 0; i < capacity; ++i) {
        t.buckets[i].next = t.freeList;
        t.freeList = &t.buckets[i];
    }
    return t;
}
void base_free(BaseTable *t) {
    free(t->buckets);
    free(t->table);
}
ZUC_OUT_OF_LINE void *base_lookup(const BaseTable *t, const void *key) {
    for (BaseBucket *b = t->table[t->hash(key, t->tableSize) % t->tableSize]; b != nullptr;
         b = b->next) {
        if (t->equal(key, b->key) != 0) {
            return b->value;
        }
    }
    return nullptr;
}
ZUC_OUT_OF_LINE bool base_store(BaseTable *t, const void *key, void *value) {
    if (t->count >= t->capacity || base_lookup(t, key) != nullptr) {
        return false;
    }
    BaseBucket *b = t->freeList;
    t->freeList = b->next;
    BaseBucket **head = &t->table[t->hash(key, t->tableSize) % t->tableSize];
    *b = BaseBucket{*head, key, value};
    *head = b;
    ++t->count;
    return true;
}
ZUC_OUT_OF_LINE void base_delete(BaseTable *t, const void *key) {
    for (BaseBucket **link = &t->table[t->hash(key, t->tableSize) % t->tableSize]; *link != nullptr;
         link = &(*link)->next) {
        BaseBucket *b = *link;
        if (t->equal(key, b->key) != 0) {
            *link = b->next;
            b->next = t->freeList;
            t->freeList = b;
            --t->count;
            return;
        }
    }
}

// Each implementation behind the same four operations, so that one
// benchmark body serves all of them.
struct Libzuc {
    HashTab t{};
    Libzuc() { HashTab_init(&t, zuc_hash, zuc_equal, kCapacity, nullptr); }
    ~Libzuc() { HashTab_destroy(&t); }
    void *lookup(const void *k) { return HashTab_lookup(&t, k); }
    void store(const void *k, void *v) { HashTab_store(&t, k, v); }
    void erase(const void *k) { HashTab_delete(&t, k); }
};
struct Baseline {
    BaseTable t;
    Baseline() {
        HashTab sizing{}; // the same number of chains as HashTab
        HashTab_init(&sizing, zuc_hash, zuc_equal, kCapacity, nullptr);
        t = base_new(kCapacity, sizing.tableSize);
        HashTab_destroy(&sizing);
    }
    ~Baseline() { base_free(&t); }
    void *lookup(const void *k) { return base_lookup(&t, k); }
    void store(const void *k, void *v) { base_store(&t, k, v); }
    void erase(const void *k) { base_delete(&t, k); }
};
struct StdUnorderedMap {
    StdMap m;
    StdUnorderedMap() { m.reserve(kCapacity); }
    void *lookup(const void *k) {
        auto found = m.find(k);
        return found == m.end() ? nullptr : found->second;
    }
    void store(const void *k, void *v) { m.emplace(k, v); }
    void erase(const void *k) { m.erase(k); }
};
struct GHash {
    GHashTable *t = g_hash_table_new(g_hash, g_equal);
    ~GHash() { g_hash_table_destroy(t); }
    void *lookup(const void *k) { return g_hash_table_lookup(t, k); }
    void store(const void *k, void *v) { g_hash_table_insert(t, const_cast<void *>(k), v); }
    void erase(const void *k) { g_hash_table_remove(t, k); }
};

template <typename Table>
void fill(Table &table, unsigned int n) {
    for (unsigned int i = 0; i < n; ++i) {
        table.store(stored_key(i), value_of(i));
    }
}

// Looks up the stored keys (Hit) or keys that are not stored, in a fixed
// random order.
template <typename Table, bool Hit>
void Lookup(benchmark::State &state) {
    const unsigned int n = filled(state);
    Table table;
    fill(table, n);
    const std::vector<unsigned int> order = zuc_bench::shuffled_indexes(Hit ? n : kCapacity);
    unsigned int i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(table.lookup(Hit ? stored_key(order[i]) : absent_key(order[i])));
        i = next_index(i, static_cast<unsigned int>(order.size()));
    }
    set_ops(state, 1);
}

// Deletes a stored key and stores it again: one delete and one store that
// succeeds, at a constant fill (a full table cannot take a store first).
template <typename Table>
void DeleteStore(benchmark::State &state) {
    zuc_bench::fresh_heap();
    const unsigned int n = filled(state);
    Table table;
    fill(table, n);
    const std::vector<unsigned int> order = zuc_bench::shuffled_indexes(n);
    unsigned int i = 0;
    for (auto _ : state) {
        table.erase(stored_key(order[i]));
        table.store(stored_key(order[i]), value_of(order[i]));
        i = next_index(i, n);
    }
    set_ops(state, 1);
}

void fills(benchmark::internal::Benchmark *b) {
    b->Arg(25)->Arg(50)->Arg(100);
}

} // namespace

BENCHMARK(Lookup<Libzuc, true>)->Name("hashtab/lookup_hit/libzuc")->Apply(fills);
BENCHMARK(Lookup<Baseline, true>)->Name("hashtab/lookup_hit/baseline")->Apply(fills);
BENCHMARK(Lookup<StdUnorderedMap, true>)
    ->Name("hashtab/lookup_hit/std::unordered_map")
    ->Apply(fills);
BENCHMARK(Lookup<GHash, true>)->Name("hashtab/lookup_hit/GHashTable")->Apply(fills);
BENCHMARK(Lookup<Libzuc, false>)->Name("hashtab/lookup_miss/libzuc")->Apply(fills);
BENCHMARK(Lookup<Baseline, false>)->Name("hashtab/lookup_miss/baseline")->Apply(fills);
BENCHMARK(Lookup<StdUnorderedMap, false>)
    ->Name("hashtab/lookup_miss/std::unordered_map")
    ->Apply(fills);
BENCHMARK(Lookup<GHash, false>)->Name("hashtab/lookup_miss/GHashTable")->Apply(fills);
BENCHMARK(DeleteStore<Libzuc>)->Name("hashtab/delete+store/libzuc")->Apply(fills);
BENCHMARK(DeleteStore<Baseline>)->Name("hashtab/delete+store/baseline")->Apply(fills);
BENCHMARK(DeleteStore<StdUnorderedMap>)
    ->Name("hashtab/delete+store/std::unordered_map")
    ->Apply(fills);
BENCHMARK(DeleteStore<GHash>)->Name("hashtab/delete+store/GHashTable")->Apply(fills);

BENCHMARK_MAIN();
