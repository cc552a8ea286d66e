// Sliding-window mean, weighted mean and variance over unsigned 32-bit samples.
#include <libzuc/slidingaverage.h>

#include <limits.h>
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#define ZUC_MODULE "platform/libzuc/slidingaverage"
#include "zuc_check.h"
#include "zuc_export.h"

// Callers lay the record out in their own buffers, so it is pinned: the
// 64-bit sum first, then the ring pointer and the three counters.
static_assert(offsetof(SlidingAverage, sum) == 0);
static_assert(offsetof(SlidingAverage, log) == sizeof(uint64_t));
static_assert(offsetof(SlidingAverage, maxEntries) == sizeof(uint64_t) + sizeof(uint32_t *));
static_assert(offsetof(SlidingAverage, entries) == offsetof(SlidingAverage, maxEntries) + 4);
static_assert(offsetof(SlidingAverage, writeIndex) == offsetof(SlidingAverage, entries) + 4);
#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(SlidingAverage) == 24, "six 32-bit words");
#endif

// The in-place form accepts any buffer at a multiple of 4, but SlidingAverage
// asks for 8 wherever uint64_t does, the target included, and reaching a
// record through it at 8k + 4 is undefined. So the operations are defined
// with their record parameter as a Record: the same type, layout and
// declaration, asking for 4 only. The compiler emits the same loads and
// stores (on the target a word-aligned ldrd/strd for the sum is fine).
using Record [[gnu::aligned(4)]] = SlidingAverage;
static_assert(alignof(Record) == 4 && sizeof(Record) == sizeof(SlidingAverage));

// A 64-bit sum as a double, rounded to nearest. The target's VFP converts
// only 32-bit integers; libgcc's 64-bit conversion would bring its whole
// software double adder into the library (about 900 bytes). Both halves
// convert exactly and the high one scales exactly, so the addition's single
// rounding yields the correctly rounded value, as a direct conversion does.
static double to_double(uint64_t value) {
    constexpr double twoTo32 = 4294967296.0;
    return static_cast<double>(static_cast<uint32_t>(value >> 32)) * twoTo32 +
           static_cast<double>(static_cast<uint32_t>(value));
}

ZUC_EXPORT SlidingAverage *SlidingAverage_create(unsigned int maxEntries) {
    ZUC_CHECK(maxEntries > 0);
    // The ring's byte count is 32-bit arithmetic on the target; a window whose
    // ring would not fit is refused before anything is allocated.
    unsigned int ringBytes;
    if (__builtin_mul_overflow(maxEntries, sizeof(uint32_t), &ringBytes)) {
        return nullptr;
    }
    auto *p = static_cast<SlidingAverage *>(malloc(sizeof(SlidingAverage)));
    if (p == nullptr) {
        return nullptr;
    }
    p->log = static_cast<uint32_t *>(malloc(ringBytes));
    if (p->log == nullptr) {
        free(p);
        return nullptr;
    }
    p->maxEntries = maxEntries;
    SlidingAverage_Reset(p);
    return p;
}

ZUC_EXPORT SlidingAverage *SlidingAverage_inplace_create(void *buf, unsigned int bufsize,
                                                         unsigned int maxEntries) {
    Record *p = static_cast<Record *>(buf);
    ZUC_CHECK(buf);
    // The record plus the ring must fit in 32 bits, or the size check below could pass
    // a wrapped-around byte count.
    ZUC_CHECK(maxEntries <= (UINT_MAX - sizeof *p) / sizeof *p->log);
    ZUC_CHECK(bufsize >= maxEntries * sizeof *p->log + sizeof *p);
    ZUC_CHECK((intptr_t)buf % 4 == 0);
    ZUC_CHECK(maxEntries > 0);
    p->log = reinterpret_cast<uint32_t *>(p + 1);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wsign-conversion" // the address is compared as written
    ZUC_CHECK((intptr_t)p->log % sizeof *p->log == 0);
#pragma GCC diagnostic pop
    p->maxEntries = maxEntries;
    SlidingAverage_Reset(static_cast<SlidingAverage *>(buf));
    return static_cast<SlidingAverage *>(buf);
}

ZUC_EXPORT void SlidingAverage_destroy(Record *p) {
    if (p == nullptr) {
        return;
    }
    free(p->log);
    free(p);
}

ZUC_EXPORT void SlidingAverage_Reset(Record *p) {
    ZUC_CHECK(p != NULL);
    ZUC_CHECK(p->log);
    p->entries = 0;
    p->writeIndex = 0;
    p->sum = 0;
    memset(p->log, 0, p->maxEntries * sizeof *p->log);
}

ZUC_EXPORT void SlidingAverage_Add(Record *p, unsigned int sample) {
    ZUC_CHECK(p != NULL);
    if (p->entries == p->maxEntries) {
        p->sum -= p->log[p->writeIndex];
        p->log[p->writeIndex] = sample;
        p->sum += sample;
    } else {
        p->sum += sample;
        p->log[p->writeIndex] = sample;
        ++p->entries;
    }
    // writeIndex stays below maxEntries, so the wrap needs no division (which
    // the target would do in a library call).
    p->writeIndex = p->writeIndex + 1 == p->maxEntries ? 0 : p->writeIndex + 1;
}

ZUC_EXPORT double SlidingAverage_GetAverage(const Record *p) {
    ZUC_CHECK(p);
    if (p->entries == 0) {
        return 0.0;
    }
    return to_double(p->sum) / static_cast<double>(p->entries);
}

// Adds each sample from first up to last, times a weight one above the one
// before it, to weighted; weight ends at the last weight given.
[[gnu::noinline]] static uint64_t weigh(const uint32_t *first, const uint32_t *last,
                                        unsigned int *weight, uint64_t weighted) {
    unsigned int w = *weight;
    for (const uint32_t *sample = first; sample != last; ++sample) {
        weighted += static_cast<uint64_t>(*sample) * ++w;
    }
    *weight = w;
    return weighted;
}

ZUC_EXPORT double SlidingAverage_GetWeightedAverage(const Record *p) {
    const unsigned int n = p->entries;
    if (n == 0) {
        return 0.0;
    }
    // Oldest first: from slot 0 while filling; once full from writeIndex to the
    // last slot, then on from slot 0. Two straight runs rather than a wrap test
    // per slot, which would chain each step to the one before it.
    const unsigned int oldest = p->maxEntries == n ? p->writeIndex : 0;
    unsigned int weight = 0;
    uint64_t weighted = weigh(p->log + oldest, p->log + n, &weight, 0);
    weighted = weigh(p->log, p->log + oldest, &weight, weighted);
    const uint64_t weights = static_cast<uint64_t>(n) * (n + uint64_t{1}) / 2;
    return to_double(weighted) / to_double(weights);
}

ZUC_EXPORT unsigned int SlidingAverage_NoOfEntries(const Record *p) {
    ZUC_CHECK(p);
    return p->entries;
}

// The square of a distance as the variance defines it: squared in double and
// truncated to 64 bits. Below 2^26 the square is below 2^52, exact in double,
// so the integer product is the same value without the round trip through
// double (which on the target is a libgcc call per sample).
static uint64_t square_of(uint32_t distance) {
    constexpr uint32_t exactBelow = uint32_t{1} << 26;
    if (distance < exactBelow) {
        return uint64_t{distance} * distance;
    }
    const auto d = static_cast<double>(distance);
    return static_cast<uint64_t>(d * d);
}

// dividend / divisor, truncated, and UINT32_MAX when that does not fit. The
// target has no divide instruction, and libgcc's 64-bit division takes some
// 340 instructions; below 2^52 the VFP's double quotient, truncated, is the
// same integer:
//   The dividend x converts exactly (to_double rounds once, and below 2^53
//   there is nothing to round), and so does the divisor d. Let x = q * d + r
//   with 0 <= r < d. If r = 0, x / d = q is exact. Otherwise
//   q < x / d <= q + 1 - 1/d, and as x / d < 2^52 / d, one unit in its last
//   place is below 1/d, which bounds the rounding error in every rounding
//   mode. So the computed quotient is at least q and below q + 1.
static uint32_t saturated_quotient(uint64_t dividend, uint32_t divisor) {
#if defined(__arm__) && !defined(__ARM_FEATURE_IDIV) && defined(__ARM_FP) && (__ARM_FP & 8) != 0
    constexpr uint64_t exactBelow = uint64_t{1} << 52;
    constexpr double twoTo32 = 4294967296.0;
    if (dividend < exactBelow) {
        const double quotient = to_double(dividend) / static_cast<double>(divisor);
        return quotient >= twoTo32 ? UINT32_MAX : static_cast<uint32_t>(quotient);
    }
#endif
    const uint64_t quotient = dividend / divisor;
    return quotient > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(quotient);
}

ZUC_EXPORT uint32_t SlidingAverage_GetVariance(const Record *p) {
    ZUC_CHECK(p != NULL);
    if (p->entries != p->maxEntries) {
        return 0;
    }
    // The mean is at most the largest sample, so it fits once truncated.
    const auto mean = static_cast<uint32_t>(SlidingAverage_GetAverage(p));
    const unsigned int n = p->entries;
    uint64_t squares = 0;
    for (unsigned int slot = 0; slot < n; ++slot) {
        const uint32_t sample = p->log[slot];
        // A sum of squares past 64 bits means a variance far above 2^32.
        if (__builtin_add_overflow(
                squares, square_of(sample > mean ? sample - mean : mean - sample), &squares)) {
            return UINT32_MAX;
        }
    }
    return saturated_quotient(squares, n);
}
