// Model of the sliding average, both forms: the ring slot by slot, the next slot and the number of
// samples held, which end before it; the statistics from their definitions, compared exactly.
#include <libzuc/slidingaverage.h>

#include "model.h"

#include <algorithm>
#include <cstring>

namespace {

struct Model {
    alignas(8) unsigned char buffer[4 + sizeof(SlidingAverage) + 8 * 4 + 8];
    SlidingAverage *p = nullptr;
    bool in_place = false;
    unsigned id = 0, write = 0, n = 0; // the record's id; the ring's follows
    std::vector<std::uint32_t> ring;
    std::vector<zt::Ev> want;
    ~Model() { SlidingAverage_destroy(in_place ? nullptr : p); }
    void step(zt::Input &in) {
        const unsigned op = in.pick(4);
        if (p == nullptr) { // small windows, and windows about the 32-bit limit
            constexpr unsigned q = UINT32_MAX / 4;
            static const unsigned windows[] = {1, 2, 3, 8, q, q + 1, UINT32_MAX};
            in_place = in.pick(2) != 0;
            const unsigned max = windows[in.pick(in_place ? 4 : 7)];
            if (in_place) { // at 8k + 4 half of the time, which the contract allows
                unsigned char *at = buffer + 4 * in.pick(2);
                std::memset(buffer, 0xEE, sizeof buffer);
                p = SlidingAverage_inplace_create(
                    at, unsigned(sizeof *p + 4 * max + in.pick(2) * 5), max);
                ZT_EQ(static_cast<void *>(p), at);
            } else {
                const unsigned refused = in.pick(3);
                p = zt::construct([&] { return SlidingAverage_create(max); },
                                  {{'m', sizeof *p}, {'m', std::size_t{4} * max}}, refused,
                                  max <= q, id, want);
            }
            ring.assign(p != nullptr ? max : 0, 0);
            n = write = 0;
        } else if (op == 0 && in.pick(2) != 0) {
            SlidingAverage_destroy(in_place ? nullptr : p);
            if (!in_place) {
                want = {{'F', 'f', id + 1}, {'F', 'f', id}};
            }
            p = nullptr;
        } else if (op == 0) {
            SlidingAverage_Reset(p);
            ring.assign(ring.size(), 0);
            n = write = 0;
        } else { // samples are often at the edges
            ring[write] = in.u32();
            SlidingAverage_Add(p, ring[write]);
            write = (write + 1) % unsigned(ring.size());
            n += n < ring.size() ? 1 : 0;
        }
    }
    // The record (read through a copy: it may be only 4-aligned), the ring, and every query.
    void check() {
        if (p == nullptr) {
            return;
        }
        SlidingAverage r;
        std::memcpy(&r, static_cast<void *>(p), sizeof r);
        const unsigned max = unsigned(ring.size());
        std::uint64_t sum = 0, weighted = 0;
        for (unsigned i = 1; i <= n; ++i) { // newest first, in n running sums; the oldest in 1
            weighted += sum += ring[(write + max - i) % max];
        }
        const double mean = n == 0 ? 0.0 : double(sum) / n;
        ZT_CHECK(r.sum == sum && r.entries == n && r.maxEntries == max && r.writeIndex == write);
        ZT_CHECK(in_place ? static_cast<void *>(r.log) == reinterpret_cast<char *>(p) + sizeof r
                          : zt::Heap::id(p) == id && zt::Heap::id(r.log) == id + 1);
        ZT_CHECK(std::equal(ring.begin(), ring.end(), r.log));
        ZT_EQ(SlidingAverage_NoOfEntries(p), n);
        ZT_EQ(SlidingAverage_GetAverage(p), mean);
        ZT_EQ(SlidingAverage_GetWeightedAverage(p),
              n == 0 ? 0.0 : double(weighted) / (n * (n + 1.0) / 2));
        // The variance of a full window: distances from the truncated mean, squared in double and
        // truncated, summed in 128 bits (two halves), saturated to 32 bits.
        const auto m = std::uint32_t(mean);
        std::uint64_t low = 0, high = 0;
        for (std::uint32_t s : ring) {
            const double d = s > m ? s - m : m - s;
            high += (low += std::uint64_t(d * d)) < std::uint64_t(d * d) ? 1 : 0;
        }
        const std::uint64_t variance = n < max ? 0 : high != 0 ? UINT64_MAX : low / n;
        ZT_EQ(SlidingAverage_GetVariance(p), std::min<std::uint64_t>(variance, UINT32_MAX));
    }
};

} // namespace

void model_slidingaverage(zt::Input &in) {
    zt::run<Model>(in);
}
