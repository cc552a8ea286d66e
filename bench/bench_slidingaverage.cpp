// Sliding average: libzuc's SlidingAverage beside Boost.Accumulators'
// rolling mean and variance, a recomputation from a plain window (what code
// without a running sum does), and an out-of-line ring with a running sum
// (the baseline). The window holds kWindow samples and is full throughout.
#include <libzuc/slidingaverage.h>

#include <boost/accumulators/accumulators.hpp>
#include <boost/accumulators/statistics/rolling_mean.hpp>
#include <boost/accumulators/statistics/rolling_variance.hpp>
#include <boost/accumulators/statistics/stats.hpp>

#include <cstdint>

#include "bench.h"

namespace {

namespace acc = boost::accumulators;
using zuc_bench::next_index;
using zuc_bench::set_ops;

constexpr unsigned int kWindow = 64;
constexpr unsigned int kSamples = 4096; // a longer sequence of samples, fed cyclically

const std::vector<uint32_t> &samples() {
    static const std::vector<uint32_t> s = [] {
        std::vector<uint32_t> made(kSamples);
        std::uniform_int_distribution<uint32_t> reading(0, 100000);
        for (uint32_t &v : made) {
            v = reading(zuc_bench::rng());
        }
        return made;
    }();
    return s;
}

using RollingMean = acc::accumulator_set<double, acc::stats<acc::tag::rolling_mean>>;
using RollingMeanVariance =
    acc::accumulator_set<double, acc::stats<acc::tag::rolling_mean, acc::tag::rolling_variance>>;

// ---- The baseline: a ring of the last kWindow samples with a running sum,
// every operation out of line. recomputed_mean ignores the running sum and
// sums the window, as code without one does; the weighted mean and the
// variance walk the window in libzuc too, so their baseline is that walk.

struct Window {
    uint32_t ring[kWindow] = {};
    unsigned int next = 0;
    uint64_t sum = 0;
};

ZUC_OUT_OF_LINE void base_add(Window *w, uint32_t sample) {
    w->sum = w->sum - w->ring[w->next] + sample;
    w->ring[w->next] = sample;
    w->next = next_index(w->next, kWindow);
}
ZUC_OUT_OF_LINE double base_mean(const Window *w) {
    return static_cast<double>(w->sum) / kWindow;
}
ZUC_OUT_OF_LINE double recomputed_mean(const Window *w) {
    uint64_t sum = 0;
    for (uint32_t s : w->ring) {
        sum += s;
    }
    return static_cast<double>(sum) / kWindow;
}
ZUC_OUT_OF_LINE double recomputed_weighted_mean(const Window *w) {
    uint64_t weighted = 0;
    unsigned int slot = w->next; // the oldest sample
    for (uint64_t weight = 1; weight <= kWindow; ++weight) {
        weighted += w->ring[slot] * weight;
        slot = next_index(slot, kWindow);
    }
    return static_cast<double>(weighted) / (kWindow * (kWindow + 1) / 2);
}
ZUC_OUT_OF_LINE uint32_t recomputed_variance(const Window *w) {
    const auto mean = static_cast<uint32_t>(recomputed_mean(w));
    uint64_t squares = 0;
    for (uint32_t s : w->ring) {
        const uint64_t d = s > mean ? s - mean : mean - s;
        squares += d * d;
    }
    return static_cast<uint32_t>(squares / kWindow);
}

SlidingAverage *full_libzuc() {
    SlidingAverage *p = SlidingAverage_create(kWindow);
    for (unsigned int i = 0; i < kWindow; ++i) {
        SlidingAverage_Add(p, samples()[i]);
    }
    return p;
}
Window full_window() {
    Window w;
    for (unsigned int i = 0; i < kWindow; ++i) {
        base_add(&w, samples()[i]);
    }
    return w;
}
template <typename Set>
Set full_accumulator() {
    Set a(acc::tag::rolling_window::window_size = kWindow);
    for (unsigned int i = 0; i < kWindow; ++i) {
        a(samples()[i]);
    }
    return a;
}

// ---- Add one sample.

void Add_libzuc(benchmark::State &state) {
    SlidingAverage *p = full_libzuc();
    unsigned int i = 0;
    for (auto _ : state) {
        SlidingAverage_Add(p, samples()[i]);
        i = next_index(i, kSamples);
    }
    SlidingAverage_destroy(p);
    set_ops(state, 1);
}

void Add_baseline(benchmark::State &state) {
    Window w = full_window();
    unsigned int i = 0;
    for (auto _ : state) {
        base_add(&w, samples()[i]);
        i = next_index(i, kSamples);
    }
    set_ops(state, 1);
}

template <typename Set>
void Add_boost(benchmark::State &state) {
    Set a = full_accumulator<Set>();
    unsigned int i = 0;
    for (auto _ : state) {
        a(samples()[i]);
        i = next_index(i, kSamples);
    }
    benchmark::DoNotOptimize(acc::rolling_mean(a));
    set_ops(state, 1);
}

// ---- Read a statistic of the full window.

void Mean_libzuc(benchmark::State &state) {
    SlidingAverage *p = full_libzuc();
    for (auto _ : state) {
        benchmark::DoNotOptimize(SlidingAverage_GetAverage(p));
    }
    SlidingAverage_destroy(p);
    set_ops(state, 1);
}
void Mean_baseline(benchmark::State &state) {
    Window w = full_window();
    for (auto _ : state) {
        benchmark::DoNotOptimize(base_mean(&w));
    }
    set_ops(state, 1);
}
void Mean_recomputed(benchmark::State &state) {
    Window w = full_window();
    for (auto _ : state) {
        benchmark::DoNotOptimize(recomputed_mean(&w));
    }
    set_ops(state, 1);
}
void Mean_boost(benchmark::State &state) {
    RollingMean a = full_accumulator<RollingMean>();
    for (auto _ : state) {
        benchmark::DoNotOptimize(acc::rolling_mean(a));
        benchmark::ClobberMemory();
    }
    set_ops(state, 1);
}

void WeightedMean_libzuc(benchmark::State &state) {
    SlidingAverage *p = full_libzuc();
    for (auto _ : state) {
        benchmark::DoNotOptimize(SlidingAverage_GetWeightedAverage(p));
    }
    SlidingAverage_destroy(p);
    set_ops(state, 1);
}
void WeightedMean_recomputed(benchmark::State &state) {
    Window w = full_window();
    for (auto _ : state) {
        benchmark::DoNotOptimize(recomputed_weighted_mean(&w));
    }
    set_ops(state, 1);
}

void Variance_libzuc(benchmark::State &state) {
    SlidingAverage *p = full_libzuc();
    for (auto _ : state) {
        benchmark::DoNotOptimize(SlidingAverage_GetVariance(p));
    }
    SlidingAverage_destroy(p);
    set_ops(state, 1);
}
void Variance_recomputed(benchmark::State &state) {
    Window w = full_window();
    for (auto _ : state) {
        benchmark::DoNotOptimize(recomputed_variance(&w));
    }
    set_ops(state, 1);
}
void Variance_boost(benchmark::State &state) {
    RollingMeanVariance a = full_accumulator<RollingMeanVariance>();
    for (auto _ : state) {
        benchmark::DoNotOptimize(acc::rolling_variance(a));
        benchmark::ClobberMemory();
    }
    set_ops(state, 1);
}

} // namespace

BENCHMARK(Add_libzuc)->Name("slidingaverage/add/libzuc");
BENCHMARK(Add_baseline)->Name("slidingaverage/add/baseline");
BENCHMARK(Add_boost<RollingMean>)->Name("slidingaverage/add/boost_rolling_mean");
BENCHMARK(Add_boost<RollingMeanVariance>)->Name("slidingaverage/add/boost_rolling_mean+variance");
BENCHMARK(Mean_libzuc)->Name("slidingaverage/mean/libzuc");
BENCHMARK(Mean_baseline)->Name("slidingaverage/mean/baseline");
BENCHMARK(Mean_boost)->Name("slidingaverage/mean/boost_rolling_mean");
BENCHMARK(Mean_recomputed)->Name("slidingaverage/mean/recomputed");
BENCHMARK(WeightedMean_libzuc)->Name("slidingaverage/weighted_mean/libzuc");
BENCHMARK(WeightedMean_recomputed)->Name("slidingaverage/weighted_mean/baseline");
BENCHMARK(Variance_libzuc)->Name("slidingaverage/variance/libzuc");
BENCHMARK(Variance_boost)->Name("slidingaverage/variance/boost_rolling_variance");
BENCHMARK(Variance_recomputed)->Name("slidingaverage/variance/baseline");

BENCHMARK_MAIN();
