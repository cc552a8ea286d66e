// Memory pool: libzuc's mempool beside glibc's malloc/free of the same size,
// boost::object_pool, and an out-of-line free list (the baseline).
//
// Every element handed out is written once, as a user would. Two patterns:
// LIFO (take one, give it back at once) and interleaved (kLive elements stay
// out; each step returns the oldest and takes a new one).
#include <libzuc/mempool.h>

#include <boost/pool/object_pool.hpp>

#include <cstdint>
#include <cstdlib>

#include "bench.h"

namespace {

using zuc_bench::next_index;
using zuc_bench::set_ops;

constexpr unsigned int kElements = 1024;
constexpr unsigned int kLive = 64;

struct Element {
    uint32_t words[8]; // 32 bytes
};

// ---- The out-of-line baseline: free elements linked through their first
// bytes, carved from one block.

struct BasePool {
    void *freeList;
    unsigned char *block;
};

BasePool base_create() {
    BasePool p{nullptr, static_cast<unsigned char *>(calloc(kElements, sizeof(Element)))};
    for (unsigned int i = kElements; i-- > 0;) {
        void *e = p.block + i * sizeof(Element);
        *static_cast<void **>(e) = p.freeList;
        p.freeList = e;
    }
    return p;
}
ZUC_OUT_OF_LINE void *base_alloc(BasePool *p) {
    void *e = p->freeList;
    if (e != nullptr) {
        p->freeList = *static_cast<void **>(e);
    }
    return e;
}
ZUC_OUT_OF_LINE void base_free(BasePool *p, void *e) {
    if (e != nullptr) {
        *static_cast<void **>(e) = p->freeList;
        p->freeList = e;
    }
}

// Each allocator behind the same two calls.
struct Libzuc {
    mempool *pool = mempool_create(kElements, sizeof(Element));
    ~Libzuc() { mempool_destroy(pool); }
    void *take() { return mempool_alloc(pool); }
    void give(void *e) { mempool_free(pool, e); }
};
struct Baseline {
    BasePool pool = base_create();
    ~Baseline() { free(pool.block); }
    void *take() { return base_alloc(&pool); }
    void give(void *e) { base_free(&pool, e); }
};
struct Malloc {
    void *take() { return malloc(sizeof(Element)); }
    void give(void *e) { free(e); }
};
struct BoostObjectPool {
    boost::object_pool<Element> pool{kElements};
    void *take() { return pool.malloc(); }
    void give(void *e) { pool.free(static_cast<Element *>(e)); }
};

void touch(void *e, unsigned int value) {
    static_cast<Element *>(e)->words[0] = value;
}

template <typename Allocator>
void Lifo(benchmark::State &state) {
    zuc_bench::fresh_heap();
    Allocator a;
    unsigned int i = 0;
    for (auto _ : state) {
        void *e = a.take();
        touch(e, ++i);
        benchmark::DoNotOptimize(e);
        a.give(e);
    }
    set_ops(state, 1);
}

template <typename Allocator>
void Interleaved(benchmark::State &state) {
    zuc_bench::fresh_heap();
    Allocator a;
    void *live[kLive];
    for (void *&e : live) {
        e = a.take();
    }
    unsigned int oldest = 0;
    unsigned int i = 0;
    for (auto _ : state) {
        a.give(live[oldest]);
        void *e = a.take();
        touch(e, ++i);
        benchmark::DoNotOptimize(e);
        live[oldest] = e;
        oldest = next_index(oldest, kLive);
    }
    for (void *e : live) {
        a.give(e);
    }
    set_ops(state, 1);
}

} // namespace

BENCHMARK(Lifo<Libzuc>)->Name("mempool/alloc+free_lifo/libzuc");
BENCHMARK(Lifo<Baseline>)->Name("mempool/alloc+free_lifo/baseline");
BENCHMARK(Lifo<Malloc>)->Name("mempool/alloc+free_lifo/malloc");
BENCHMARK(Lifo<BoostObjectPool>)->Name("mempool/alloc+free_lifo/boost::object_pool");
BENCHMARK(Interleaved<Libzuc>)->Name("mempool/alloc+free_interleaved/libzuc");
BENCHMARK(Interleaved<Baseline>)->Name("mempool/alloc+free_interleaved/baseline");
BENCHMARK(Interleaved<Malloc>)->Name("mempool/alloc+free_interleaved/malloc");
BENCHMARK(Interleaved<BoostObjectPool>)->Name("mempool/alloc+free_interleaved/boost::object_pool");

BENCHMARK_MAIN();
