// Cost growth: the time of one call as the data grows, n = 16 to 4^10
// (about a million) in powers of 4, so that each operation's complexity
// shows: a linear operation takes 4 times longer per step, a constant one
// the same, a quadratic one 16 times.
//
//   list_size          walks the whole list (no count is stored)
//   list_at            the last position: counts the list, then walks to it
//   list_sort          exchange sort; on sorted input one pass, on shuffled
//                      input up to n passes (only sizes that finish in seconds)
//   List_insertSorted  an element that orders after all n (a full walk)
//   List_removeLast    walks to the second-to-last of n (no back links)
//   HashTab_lookup     a hit in a table of n entries, constant on average
#include <libzuc/hashtab.h>
#include <libzuc/llist.h>
#include <libzuc/slist.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "bench.h"

namespace {

using zuc_bench::set_ops;

constexpr int64_t kMin = 16;
constexpr int64_t kMax = int64_t{1} << 20;
constexpr int64_t kMaxShuffledSort = 4096; // 16384 takes about a second per call

void *element(unsigned int i) {
    return reinterpret_cast<void *>(uintptr_t{i} + 1);
}
int out_of_order(const void *earlier, const void *later) {
    return reinterpret_cast<uintptr_t>(earlier) > reinterpret_cast<uintptr_t>(later) ? 1 : 0;
}

list *list_of(unsigned int n) {
    list *lst = list_new(nullptr, nullptr);
    for (unsigned int i = 0; i < n; ++i) {
        list_add(lst, element(i));
    }
    return lst;
}

void ListSize(benchmark::State &state) {
    const auto n = static_cast<unsigned int>(state.range(0));
    list *lst = list_of(n);
    for (auto _ : state) {
        benchmark::DoNotOptimize(list_size(lst));
    }
    list_free(lst, nullptr);
    set_ops(state, 1);
}

void ListAt(benchmark::State &state) {
    const auto n = static_cast<unsigned int>(state.range(0));
    list *lst = list_of(n);
    for (auto _ : state) {
        benchmark::DoNotOptimize(list_at(lst, n - 1));
    }
    list_free(lst, nullptr);
    set_ops(state, 1);
}

// Each round writes the start values back into the nodes first (O(n)).
template <bool Sorted>
void ListSort(benchmark::State &state) {
    const auto n = static_cast<unsigned int>(state.range(0));
    std::vector<void *> values;
    for (unsigned int i = 0; i < n; ++i) {
        values.push_back(element(i));
    }
    if (!Sorted) {
        std::shuffle(values.begin(), values.end(), zuc_bench::rng());
    }
    list *lst = list_of(n);
    for (auto _ : state) {
        zuc_bench::write_values(lst->head, values);
        list_sort(lst, out_of_order);
    }
    list_free(lst, nullptr);
    set_ops(state, 1);
}

// Records for the intrusive list: a key and the link.
struct Record {
    unsigned int key;
    Record *next;
};
int by_key(const void *a, const void *b) {
    const unsigned int x = static_cast<const Record *>(a)->key;
    const unsigned int y = static_cast<const Record *>(b)->key;
    return (x > y) - (x < y);
}

// n + 1 records in key order, the first n linked into l.
std::vector<Record> records(List *l, unsigned int n) {
    std::vector<Record> made(n + 1);
    List_makeList(l, offsetof(Record, next), by_key);
    for (unsigned int i = 0; i <= n; ++i) {
        made[i].key = i;
        if (i < n) {
            List_insertLast(l, &made[i]);
        }
    }
    return made;
}

void InsertSorted(benchmark::State &state) {
    const auto n = static_cast<unsigned int>(state.range(0));
    List l;
    std::vector<Record> r = records(&l, n);
    for (auto _ : state) {
        List_insertSorted(&l, &r[n]);    // orders after all n: walks them all, goes last
        List_removeAfter(&l, &r[n - 1]); // O(1), its predecessor is known
    }
    set_ops(state, 1);
}

void RemoveLast(benchmark::State &state) {
    const auto n = static_cast<unsigned int>(state.range(0));
    List l;
    std::vector<Record> r = records(&l, n);
    for (auto _ : state) {
        List_insertLast(&l, List_removeLast(&l)); // the insertion is O(1)
    }
    set_ops(state, 1);
}

unsigned int key_hash(const void *key, unsigned int) {
    uint32_t k;
    memcpy(&k, key, sizeof k);
    return k * 0x9E3779B1u;
}
int key_equal(const void *a, const void *b) {
    return memcmp(a, b, sizeof(uint32_t)) == 0 ? 1 : 0;
}

void Lookup(benchmark::State &state) {
    const auto n = static_cast<unsigned int>(state.range(0));
    const std::vector<uint32_t> keys = zuc_bench::distinct_keys(n);
    HashTab t;
    HashTab_init(&t, key_hash, key_equal, n, nullptr);
    for (const uint32_t &k : keys) {
        HashTab_store(&t, &k, const_cast<uint32_t *>(&k));
    }
    const std::vector<unsigned int> order = zuc_bench::shuffled_indexes(n);
    unsigned int i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(HashTab_lookup(&t, &keys[order[i]]));
        i = zuc_bench::next_index(i, n);
    }
    HashTab_destroy(&t);
    set_ops(state, 1);
}

void sizes(benchmark::internal::Benchmark *b) {
    b->RangeMultiplier(4)->Range(kMin, kMax);
}

} // namespace

BENCHMARK(ListSize)->Name("growth/list_size")->Apply(sizes);
BENCHMARK(ListAt)->Name("growth/list_at")->Apply(sizes);
BENCHMARK(ListSort<true>)->Name("growth/list_sort_sorted")->Apply(sizes);
BENCHMARK(ListSort<false>)
    ->Name("growth/list_sort_shuffled")
    ->RangeMultiplier(4)
    ->Range(kMin, kMaxShuffledSort);
BENCHMARK(InsertSorted)->Name("growth/List_insertSorted")->Apply(sizes);
BENCHMARK(RemoveLast)->Name("growth/List_removeLast")->Apply(sizes);
BENCHMARK(Lookup)->Name("growth/HashTab_lookup")->Apply(sizes);

BENCHMARK_MAIN();
