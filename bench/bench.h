// Shared pieces of the benchmark programs.
//
// Every benchmark is named "<family>/<operation>/<implementation>", with the
// size argument, if any, appended by Google Benchmark ("/1024"). bench/report.py
// reads the names that way: for each family and operation it sets libzuc
// beside the other implementations measured in the same run.
//
// Implementations:
//   libzuc    the library, called through the shared library as users call it;
//   baseline  the same work hand-written in this program, each operation an
//             out-of-line function (ZUC_OUT_OF_LINE): what any C interface can
//             reach, since a call into a shared library is never inlined;
//   others    the alternatives a C or C++ team would pick instead, used the way
//             their documentation shows (header-only templates inline freely).
#ifndef LIBZUC_BENCH_H
#define LIBZUC_BENCH_H

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <random>
#include <vector>

// Keeps the compiler from inlining, cloning or specialising a baseline
// operation for its call site: it stays one real call with unknown arguments.
#if defined(__GNUC__) && !defined(__clang__)
#define ZUC_OUT_OF_LINE __attribute__((noinline, noipa))
#else
#define ZUC_OUT_OF_LINE __attribute__((noinline))
#endif

namespace zuc_bench {

// Operations one iteration performs; the report divides the time by it.
inline void set_ops(benchmark::State &state, double ops) {
    state.counters["ops"] = ops;
}

// Hands the heap's free memory back before a benchmark that allocates in its
// timed loop. glibc's malloc is markedly faster or slower depending on what
// earlier benchmarks left in its bins, and random interleaving changes that
// history from one repetition to the next; from the same starting state every
// implementation settles into the same regime.
inline void fresh_heap() {
    malloc_trim(0);
}

// The same pseudo-random sequences in every run, so runs compare.
inline std::mt19937 &rng() {
    static std::mt19937 generator(20240601u);
    return generator;
}

// 0 .. n-1 in a random order.
inline std::vector<unsigned int> shuffled_indexes(unsigned int n) {
    std::vector<unsigned int> order(n);
    std::iota(order.begin(), order.end(), 0u);
    std::shuffle(order.begin(), order.end(), rng());
    return order;
}

// n distinct random 32-bit keys, in random order.
inline std::vector<uint32_t> distinct_keys(unsigned int n) {
    std::vector<uint32_t> keys;
    std::uniform_int_distribution<uint32_t> any;
    while (keys.size() < n) {
        while (keys.size() < n) {
            keys.push_back(any(rng()));
        }
        std::sort(keys.begin(), keys.end());
        keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    }
    std::shuffle(keys.begin(), keys.end(), rng());
    return keys;
}

// Writes values into the data fields of the nodes from head on, in order, for
// any node type with `next` and `data` members (libzuc's, glib's, a
// baseline's): puts a list back into its start order before each sort.
template <typename Node>
void write_values(Node *head, const std::vector<void *> &values) {
    auto value = values.begin();
    for (Node *node = head; node != nullptr; node = node->next) {
        node->data = *value++;
    }
}

// The position after i in a cyclic walk over n items.
inline unsigned int next_index(unsigned int i, unsigned int n) {
    return i + 1 == n ? 0 : i + 1;
}

} // namespace zuc_bench

#endif
