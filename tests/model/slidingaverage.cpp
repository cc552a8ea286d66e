// Model of the sliding average, both forms: the window as a deque, oldest
// first, and the ring slot by slot. The mean, the weighted mean and the
// variance are computed from their definitions and compared exactly.
#include <libzuc/slidingaverage.h>

#include "model.h"

#include <cstring>
#include <deque>
#include <vector>

namespace {

// The variance of a full window: distances from the truncated mean, squared
// in double and truncated, summed in 128 bits from two halves; a variance
// that does not fit in 32 bits saturates.
std::uint32_t variance(const std::vector<std::uint32_t> &ring, double mean) {
    const auto m = std::uint32_t(mean);
    std::uint64_t low = 0, high = 0;
    for (std::uint32_t s : ring) {
        const double d = s > m ? s - m : m - s;
        const auto square = std::uint64_t(d * d);
        low += square;
        high += low < square ? 1 : 0;
    }
    const std::uint64_t v = low / ring.size();
    return high != 0 || v > UINT32_MAX ? UINT32_MAX : std::uint32_t(v);
}

} // namespace

void model_slidingaverage(zt::Input &in) {
    const unsigned live = zt::Heap::live();
    alignas(8) unsigned char buffer[4 + sizeof(SlidingAverage) + 8 * 4 + 8];
    SlidingAverage *p = nullptr;
    bool in_place = false;
    unsigned ids[2] = {}, write = 0;
    std::vector<std::uint32_t> ring;
    std::deque<std::uint32_t> window;
    std::vector<zt::Ev> want;
    zt::log().clear();
    while (in.next_op()) {
        const unsigned op = in.pick(4);
        if (p == nullptr) { // small windows, and windows about the 32-bit limit
            static const unsigned windows[] = {
                1, 2, 3, 8, UINT32_MAX / 4, UINT32_MAX / 4 + 1, UINT32_MAX};
            in_place = in.pick(2) != 0;
            const unsigned max = windows[in.pick(in_place ? 4 : 7)];
            if (in_place) { // at 8k + 4 half of the time, which the contract allows
                unsigned char *at = buffer + 4 * in.pick(2);
                std::memset(buffer, 0xEE, sizeof buffer);
                const unsigned size = unsigned(sizeof(SlidingAverage) + 4 * max);
                p = SlidingAverage_inplace_create(at, size + in.pick(2) * 5, max);
                ZT_CHECK(p == reinterpret_cast<SlidingAverage *>(at) &&
                         p->log == reinterpret_cast<std::uint32_t *>(at + sizeof(SlidingAverage)));
            } else {
                const unsigned refused = in.pick(3);
                ids[0] = zt::Heap::next_id();
                ids[1] = ids[0] + 1;
                zt::Heap::refuse(refused);
                p = SlidingAverage_create(max);
                zt::Heap::refuse(0);
                want = zt::made({{'m', sizeof(SlidingAverage)}, {'m', std::size_t{4} * max}},
                                refused, ids[0], max <= UINT32_MAX / 4);
                ZT_EQ(p != nullptr, zt::whole(want));
            }
            ring.assign(p != nullptr ? max : 0, 0);
            window.clear();
            write = 0;
        } else if (op == 0) {
            if (in.pick(2) == 0) {
                SlidingAverage_Reset(p);
                ring.assign(ring.size(), 0);
                window.clear();
                write = 0;
            } else {
                if (!in_place) {
                    SlidingAverage_destroy(p);
                    want.push_back({'F', 'f', ids[1]});
                    want.push_back({'F', 'f', ids[0]});
                }
                SlidingAverage_destroy(nullptr);
                p = nullptr;
            }
        } else { // samples are often at the edges
            const std::uint32_t sample = in.u32();
            SlidingAverage_Add(p, sample);
            if (window.size() == ring.size()) {
                window.pop_front();
            }
            window.push_back(sample);
            ring[write] = sample;
            write = (write + 1) % unsigned(ring.size());
        }
        ZT_EVENTS(want);
        want.clear();
        if (p == nullptr) {
            continue;
        }
        const unsigned n = unsigned(window.size());
        std::uint64_t sum = 0, weighted = 0;
        for (unsigned i = 0; i < n; ++i) {
            sum += window[i];
            weighted += std::uint64_t{window[i]} * (i + 1);
        }
        const double mean = n == 0 ? 0.0 : double(sum) / n;
        ZT_EQ(p->sum, sum);
        ZT_EQ(p->entries, n);
        ZT_EQ(p->maxEntries, ring.size());
        ZT_EQ(p->writeIndex, write);
        ZT_EQ(SlidingAverage_NoOfEntries(p), n);
        ZT_EQ(SlidingAverage_GetAverage(p), mean);
        ZT_EQ(SlidingAverage_GetWeightedAverage(p),
              n == 0 ? 0.0 : double(weighted) / (n * (n + 1.0) / 2));
        ZT_EQ(SlidingAverage_GetVariance(p), n < ring.size() ? 0 : variance(ring, mean));
        for (unsigned s = 0; s < ring.size(); ++s) {
            ZT_EQ(p->log[s], ring[s]);
        }
        if (!in_place) {
            ZT_EQ(zt::Heap::id(p), ids[0]);
            ZT_EQ(zt::Heap::id(p->log), ids[1]);
        }
    }
    if (!in_place) {
        SlidingAverage_destroy(p);
    }
    zt::log().clear();
    ZT_EQ(zt::Heap::live(), live);
}
