// Differential fuzzing of the sliding average, in both forms: on the heap
// (SlidingAverage_create with each allocation refused in turn,
// SlidingAverage_destroy) and in a caller buffer
// (SlidingAverage_inplace_create), against a model that keeps the window as a
// deque of samples, oldest first, and the number of samples added since the
// last reset.
//
// The model computes every statistic from the window itself: the mean from
// the exact sum, the weighted mean with weights 1 (oldest) to n (newest), and
// the variance in 128-bit arithmetic, saturated to UINT32_MAX when it does not
// fit. Samples are often at the edges (0, 1, UINT32_MAX), so the 64-bit sums
// are exercised far beyond 32 bits. After every operation the record and the
// ring are compared with the model; bytes of the caller buffer past the ring
// must stay untouched; the heap form must free what it allocated and the
// in-place form must not touch the heap.
#include <libzuc/slidingaverage.h>

#include "fuzz.h"
#include "heap_life.h"

#include <climits>
#include <cstring>
#include <deque>
#include <vector>

namespace {

using zuc_fuzz::Input;

constexpr unsigned char guard = 0x5A;

SlidingAverage *avg;
bool in_place;
std::vector<std::uint64_t> storage; // the caller buffer, aligned for the record
unsigned used;                      // bytes of it the object may write
unsigned max_entries;
std::deque<std::uint32_t> window; // oldest first
unsigned long long added;         // samples added since the last reset
zuc_fuzz::HeapLife heap;

unsigned char *buffer() {
    return reinterpret_cast<unsigned char *>(storage.data());
}

std::uint64_t model_sum() {
    std::uint64_t sum = 0;
    for (std::uint32_t s : window) {
        sum += s;
    }
    return sum;
}

void check() {
    if (avg == nullptr) {
        return;
    }
    const unsigned n = static_cast<unsigned>(window.size());
    FUZZ_EQ(avg->maxEntries, max_entries);
    FUZZ_EQ(avg->entries, n);
    FUZZ_EQ(avg->sum, model_sum());
    FUZZ_EQ(avg->writeIndex, added % max_entries);
    // Filling: the samples in slots 0 .. n - 1, zeros behind them. Full: the
    // oldest at writeIndex, the rest upwards, wrapping.
    std::vector<std::uint32_t> ring(max_entries, 0);
    for (unsigned k = 0; k < n; ++k) {
        ring[n == max_entries ? (added + k) % max_entries : k] = window[k];
    }
    for (unsigned slot = 0; slot < max_entries; ++slot) {
        FUZZ_EQ(avg->log[slot], ring[slot]);
    }
    if (in_place) {
        FUZZ_EQ(static_cast<void *>(avg->log), buffer() + sizeof(SlidingAverage));
        for (std::size_t b = used; b < storage.size() * sizeof storage[0]; ++b) {
            FUZZ_EQ(buffer()[b], guard);
        }
    }
    heap.check();
}

void emptied() {
    window.clear();
    added = 0;
}

void op_create(Input &in) {
    max_entries = in.below(64) + 1;
    in_place = in.flag();
    if (in_place) {
        heap.begin();
        used = static_cast<unsigned>(sizeof(SlidingAverage) + max_entries * sizeof(std::uint32_t));
        const unsigned bufsize = used + in.below(3) * 4u;
        storage.assign(bufsize / sizeof storage[0] + 2, 0);
        std::memset(storage.data(), guard, storage.size() * sizeof storage[0]);
        avg = SlidingAverage_inplace_create(storage.data(), bufsize, max_entries);
        FUZZ_EQ(static_cast<void *>(avg), static_cast<void *>(storage.data()));
        heap.made(0); // the in-place form never touches the heap
    } else {
        const unsigned fail_at = in.below(4); // 1: the record, 2: the ring
        heap.begin(fail_at);
        avg = SlidingAverage_create(max_entries);
        if (fail_at == 1 || fail_at == 2) {
            FUZZ_EQ(avg, nullptr);
            heap.failed();
            return;
        }
        FUZZ_CHECK(avg != nullptr);
        heap.made(2);
    }
    emptied();
}

void op_destroy() {
    // There is nothing to release in place: the caller drops the buffer.
    if (!in_place) {
        SlidingAverage_destroy(avg);
    }
    avg = nullptr;
    heap.ended();
}

void op_add(Input &in) {
    const std::uint32_t sample = in.edgy_u32();
    SlidingAverage_Add(avg, sample);
    window.push_back(sample);
    if (window.size() > max_entries) {
        window.pop_front();
    }
    ++added;
}

double model_average() {
    return window.empty() ? 0.0
                          : static_cast<double>(model_sum()) / static_cast<double>(window.size());
}

double model_weighted_average() {
    if (window.empty()) {
        return 0.0;
    }
    std::uint64_t weighted = 0;
    std::uint64_t weights = 0;
    for (std::size_t k = 0; k < window.size(); ++k) {
        weighted += std::uint64_t{window[k]} * (k + 1);
        weights += k + 1;
    }
    return static_cast<double>(weighted) / static_cast<double>(weights);
}

// The population variance around the mean truncated to an integer, each
// squared distance truncated as the double square it is, saturated when the
// result does not fit in 32 bits; 0 until the window is full.
std::uint32_t model_variance() {
    if (window.size() != max_entries) {
        return 0;
    }
    const auto mean = static_cast<std::uint32_t>(model_average());
    unsigned __int128 squares = 0;
    for (std::uint32_t s : window) {
        const double d = static_cast<double>(s > mean ? s - mean : mean - s);
        squares += static_cast<std::uint64_t>(d * d);
    }
    const unsigned __int128 variance = squares / max_entries;
    return variance > UINT32_MAX ? UINT32_MAX : static_cast<std::uint32_t>(variance);
}

void step(Input &in) {
    const unsigned code = in.byte() % 12;
    if (avg == nullptr) {
        op_create(in);
        return;
    }
    switch (code) {
    case 0:
        op_destroy();
        break;
    case 1:
        SlidingAverage_Reset(avg);
        emptied();
        break;
    case 2:
        FUZZ_EQ(SlidingAverage_GetAverage(avg), model_average());
        break;
    case 3:
        FUZZ_EQ(SlidingAverage_GetWeightedAverage(avg), model_weighted_average());
        break;
    case 4:
        FUZZ_EQ(SlidingAverage_GetVariance(avg), model_variance());
        break;
    case 5:
        FUZZ_EQ(SlidingAverage_NoOfEntries(avg), window.size());
        break;
    default:
        op_add(in);
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    Input in(data, size);
    avg = nullptr;
    while (in.more()) {
        step(in);
        check();
    }
    if (avg != nullptr) {
        op_destroy();
    }
    return 0;
}
