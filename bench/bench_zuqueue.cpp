// Bounded pointer queue: libzuc's zuqueue (heap and in-place forms) beside
// std::deque<void *>, boost::circular_buffer<void *>, glib's GQueue, and an
// out-of-line ring of the same design (the baseline).
//
// Two patterns on a queue of kCapacity slots: an add and a get in turn (the
// queue stays nearly empty), and bursts that fill the queue and drain it.
#include <libzuc/zuqueue.h>

#include <glib.h>

#include <boost/circular_buffer.hpp>

#include <cstdint>
#include <cstdlib>
#include <deque>

#include "bench.h"

namespace {

using zuc_bench::set_ops;

constexpr unsigned int kCapacity = 256;

void *element(unsigned int i) {
    return reinterpret_cast<void *>(uintptr_t{i} + 1);
}

// ---- The out-of-line baseline: a ring with a count, the indexes wrapped by
// a comparison (no division), without zuqueue's checks.

struct BaseRing {
    unsigned int capacity, count, write, read;
    void **slots;
};

ZUC_OUT_OF_LINE bool base_add(BaseRing *q, void *e) {
    if (q->count == q->capacity) {
        return false;
    }
    q->write = q->write + 1 == q->capacity ? 0 : q->write + 1;
    q->slots[q->write] = e;
    ++q->count;
    return true;
}
ZUC_OUT_OF_LINE void *base_get(BaseRing *q) {
    if (q->count == 0) {
        return nullptr;
    }
    q->read = q->read + 1 == q->capacity ? 0 : q->read + 1;
    --q->count;
    void *e = q->slots[q->read];
    q->slots[q->read] = nullptr; // empty slots hold null, as in zuqueue
    return e;
}

// Each queue behind the same two calls.
struct Libzuc {
    zuqueue *q = zuqueue_new(kCapacity);
    ~Libzuc() { zuqueue_free(q, nullptr); }
    bool add(void *e) { return zuqueue_add(q, e) != 0; }
    void *get() { return zuqueue_get(q); }
};
struct LibzucInPlace {
    void *buffer = malloc(zuqueue_size(kCapacity));
    zuqueue *q = zuqueue_inplace_new(buffer, zuqueue_size(kCapacity), kCapacity);
    ~LibzucInPlace() { free(buffer); }
    bool add(void *e) { return zuqueue_add(q, e) != 0; }
    void *get() { return zuqueue_get(q); }
};
struct Baseline {
    BaseRing q{kCapacity, 0, kCapacity - 1, kCapacity - 1,
               static_cast<void **>(calloc(kCapacity, sizeof(void *)))};
    ~Baseline() { free(q.slots); }
    bool add(void *e) { return base_add(&q, e); }
    void *get() { return base_get(&q); }
};
struct StdDeque {
    std::deque<void *> q;
    bool add(void *e) {
        q.push_back(e);
        return true;
    }
    void *get() {
        void *e = q.front();
        q.pop_front();
        return e;
    }
};
struct BoostCircularBuffer {
    boost::circular_buffer<void *> q{kCapacity};
    bool add(void *e) {
        if (q.full()) {
            return false;
        }
        q.push_back(e);
        return true;
    }
    void *get() {
        void *e = q.front();
        q.pop_front();
        return e;
    }
};
struct GlibQueue {
    GQueue *q = g_queue_new();
    ~GlibQueue() { g_queue_free(q); }
    bool add(void *e) {
        g_queue_push_tail(q, e);
        return true;
    }
    void *get() { return g_queue_pop_head(q); }
};

template <typename Queue>
void AddGet(benchmark::State &state) {
    zuc_bench::fresh_heap();
    Queue q;
    unsigned int i = 0;
    for (auto _ : state) {
        q.add(element(i++));
        benchmark::DoNotOptimize(q.get());
    }
    set_ops(state, 1);
}

template <typename Queue>
void Burst(benchmark::State &state) {
    zuc_bench::fresh_heap();
    Queue q;
    for (auto _ : state) {
        for (unsigned int i = 0; i < kCapacity; ++i) {
            q.add(element(i));
        }
        for (unsigned int i = 0; i < kCapacity; ++i) {
            benchmark::DoNotOptimize(q.get());
        }
    }
    set_ops(state, kCapacity);
}

} // namespace

BENCHMARK(AddGet<Libzuc>)->Name("zuqueue/add+get/libzuc");
BENCHMARK(AddGet<LibzucInPlace>)->Name("zuqueue/add+get/libzuc_inplace");
BENCHMARK(AddGet<Baseline>)->Name("zuqueue/add+get/baseline");
BENCHMARK(AddGet<StdDeque>)->Name("zuqueue/add+get/std::deque");
BENCHMARK(AddGet<BoostCircularBuffer>)->Name("zuqueue/add+get/boost::circular_buffer");
BENCHMARK(AddGet<GlibQueue>)->Name("zuqueue/add+get/GQueue");
BENCHMARK(Burst<Libzuc>)->Name("zuqueue/fill+drain/libzuc");
BENCHMARK(Burst<LibzucInPlace>)->Name("zuqueue/fill+drain/libzuc_inplace");
BENCHMARK(Burst<Baseline>)->Name("zuqueue/fill+drain/baseline");
BENCHMARK(Burst<StdDeque>)->Name("zuqueue/fill+drain/std::deque");
BENCHMARK(Burst<BoostCircularBuffer>)->Name("zuqueue/fill+drain/boost::circular_buffer");
BENCHMARK(Burst<GlibQueue>)->Name("zuqueue/fill+drain/GQueue");

BENCHMARK_MAIN();
