// Fixed-capacity chained hash table over caller-owned keys and values.
#include <libzuc/hashtab.h>

#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#define ZUC_MODULE "platform/libzuc/hashtab"
#include "zuc_check.h"
#include "zuc_export.h"

// Callers read the record directly: nine 32-bit fields on the target, in
// declaration order.
#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(HashTab) == 36, "nine 32-bit fields");
static_assert(offsetof(HashTab, equal) == 4);
static_assert(offsetof(HashTab, count) == 8);
static_assert(offsetof(HashTab, capacity) == 12);
static_assert(offsetof(HashTab, tableSize) == 16);
static_assert(offsetof(HashTab, buckets) == 20);
static_assert(offsetof(HashTab, freeList) == 24);
static_assert(offsetof(HashTab, table) == 28);
static_assert(offsetof(HashTab, userData) == 32);
static_assert(sizeof(HashTabBucket) == 12, "three pointers");
static_assert(offsetof(HashTabBucket, key) == 4);
static_assert(offsetof(HashTabBucket, value) == 8);
#endif

// Number of chains for a capacity: the smallest prime not below
// 2 * capacity + 1, found by trying every divisor from 3 (even ones too) up to
// the square root. Callers keep capacity within HASHTAB_MAX_CAPACITY, where
// neither 2 * capacity + 1, nor the search, nor d * d can wrap.
static constexpr unsigned int table_size(unsigned int capacity) {
    unsigned int n = 2 * capacity + 1;
    while (n > 3) {
        unsigned int d = 3;
        while (d * d <= n && n % d != 0) {
            ++d;
        }
        if (d * d > n) {
            break;
        }
        n += 2;
    }
    return n;
}

// The limit is chosen so that, counted in 32-bit words as on the target, the
// bucket pool fits in 32 bits; then the chain array fits too, and on hosts
// with wider pointers the real byte counts fit in size_t.
static_assert(sizeof(unsigned int) == 4);
static_assert(HASHTAB_MAX_CAPACITY <= (UINT32_MAX - 1) / 2, "2 * capacity + 1 must not wrap");
static_assert(table_size(HASHTAB_MAX_CAPACITY) >= 2 * HASHTAB_MAX_CAPACITY + 1,
              "the prime search must not wrap");
static_assert(table_size(HASHTAB_MAX_CAPACITY) <= UINT32_MAX / 4, "chain array in 32 bits");
static_assert(HASHTAB_MAX_CAPACITY <= SIZE_MAX / sizeof(HashTabBucket));
static_assert(table_size(HASHTAB_MAX_CAPACITY) <= SIZE_MAX / sizeof(HashTabBucket *));

// x modulo d. The target (Cortex-A9) has no integer divide instruction, and
// libgcc's division runs a shift-and-subtract step per quotient bit; its VFP
// divides doubles in one instruction, and for 32-bit operands the truncated
// double quotient is the integer quotient, so the remainder is bit for bit
// the same:
//   Let x = q * d + r with 0 <= r < d. Both x and d convert to double exactly.
//   If r = 0, x / d = q < 2^32 is exact. Otherwise q < x / d <= q + 1 - 1/d.
//   As x / d < 2^32 / d, one unit in its last place is at most
//   2^32 / d * 2^-52 = 2^-20 / d, and the computed quotient differs from x / d
//   by less than that in every rounding mode. So it is at least q (q is a
//   double, and rounding is monotonic) and below q + 1, and truncates to q.
// A zero d, a caller error, still goes to the integer division, which reports
// it as it always did; the asm keeps the compiler from using what it knows
// there (that d is 0) to replace the division.
static unsigned int remainder_of(unsigned int x, unsigned int d) {
#if defined(__arm__) && !defined(__ARM_FEATURE_IDIV) && defined(__ARM_FP) && (__ARM_FP & 8) != 0
    if (d != 0) {
        const auto q = static_cast<unsigned int>(static_cast<double>(x) / static_cast<double>(d));
        return x - q * d;
    }
    asm("" : "+r"(d));
#endif
    return x % d;
}

// The chain a key belongs to: the callback's result, which can be anything,
// modulo the table size.
static unsigned int chain_index(const HashTab *p, const void *key) {
    return remainder_of(p->hash(key, p->tableSize), p->tableSize);
}

ZUC_EXPORT unsigned int HashTab_hashMem(const void *data, unsigned int tableSize,
                                        unsigned int length) {
    if (length == 0) {
        return 0;
    }
    const auto *bytes = static_cast<const unsigned char *>(data);
    unsigned int h = 0;
    for (unsigned int i = 0; i < length; ++i) {
        h = (h << 1) ^ bytes[i];
    }
    return remainder_of(h, tableSize);
}

ZUC_EXPORT int HashTab_init(HashTab *p, HashTabHashFn hash, HashTabEqualFn equal,
                            unsigned int capacity, void *userData) {
    // A pool of no bucket could not end its free list, and larger capacities
    // than the limit would wrap a size computation.
    if (capacity == 0 || capacity > HASHTAB_MAX_CAPACITY) {
        *p = HashTab{};
        return 0;
    }
    p->tableSize = table_size(capacity);
    p->hash = hash;
    p->capacity = capacity;
    p->equal = equal;
    p->count = 0;
    p->freeList = nullptr;
    p->table = nullptr;
    p->buckets = static_cast<HashTabBucket *>(malloc(size_t{capacity} * sizeof(HashTabBucket)));
    if (p->buckets == nullptr) {
        return 0;
    }
    // Threaded top-down: the first store takes the last bucket of the pool.
    p->buckets[0].next = nullptr;
    for (unsigned int i = 1; i < capacity; ++i) {
        p->buckets[i].next = &p->buckets[i - 1];
    }
    // tableSize is at least 3 here; the analyzer loses the bound on capacity
    // inside table_size's loop and supposes a wrapped 0.
    // NOLINTNEXTLINE(clang-analyzer-optin.portability.UnixAPI)
    p->table = static_cast<HashTabBucket **>(calloc(p->tableSize, sizeof(HashTabBucket *)));
    if (p->table == nullptr) {
        free(p->buckets);
        p->buckets = nullptr;
        return 0;
    }
    p->freeList = &p->buckets[capacity - 1];
    p->userData = userData;
    return 1;
}

ZUC_EXPORT void HashTab_destroy(HashTab *p) {
    free(p->table);
    free(p->buckets);
    *p = HashTab{};
}

ZUC_EXPORT void *HashTab_lookup(const HashTab *p, const void *key) {
    ZUC_CHECK(p != NULL);
    ZUC_CHECK(key != NULL);
    for (const HashTabBucket *b = p->table[chain_index(p, key)]; b != nullptr; b = b->next) {
        if (p->equal(key, b->key) != 0) {
            return b->value;
        }
    }
    return nullptr;
}

ZUC_EXPORT int HashTab_store(HashTab *p, const void *key, void *value) {
    // A full table refuses before anything else, even a NULL key.
    if (p->count >= p->capacity) {
        return 0;
    }
    // Only a non-NULL value counts as present: a NULL-valued entry stays and
    // the new one is stored in front of it.
    if (HashTab_lookup(p, key) != nullptr) {
        return 0;
    }
    HashTabBucket *bucket = p->freeList;
    ZUC_CHECK(bucket != NULL);
    p->freeList = bucket->next;
    HashTabBucket **head = &p->table[chain_index(p, key)];
    bucket->next = *head;
    bucket->key = key;
    bucket->value = value;
    *head = bucket;
    ++p->count;
    return 1;
}

ZUC_EXPORT void HashTab_delete(HashTab *p, const void *key) {
    ZUC_CHECK(p != NULL);
    ZUC_CHECK(key != NULL);
    for (HashTabBucket **link = &p->table[chain_index(p, key)]; *link != nullptr;
         link = &(*link)->next) {
        HashTabBucket *bucket = *link;
        if (p->equal(key, bucket->key) != 0) {
            *link = bucket->next;
            bucket->next = p->freeList;
            p->freeList = bucket;
            if (p->count > 0) {
                --p->count;
            }
            return;
        }
    }
}
