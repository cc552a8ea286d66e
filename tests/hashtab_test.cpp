// Hash table: table sizes, bucket order, store/lookup/delete semantics
// against a model, capacity refusals and checks.
#include <libzuc/hashtab.h>

#include "heap_wrap.h"
#include "zuc_test.h"

#include <climits>
#include <cstdint>
#include <cstring>
#include <map>
#include <random>
#include <set>
#include <vector>

namespace {

using zuc_test::Heap;
using zuc_test::HeapCount;

// Keys are ints compared by value, so two distinct pointers can be equal keys.
// The hash is the int itself: keys that differ by a multiple of the table
// size share a chain.
unsigned hash_calls;
unsigned equal_calls;

unsigned int key_value(const void *key) {
    return static_cast<unsigned int>(*static_cast<const int *>(key));
}
unsigned int int_hash(const void *key, unsigned int) {
    ++hash_calls;
    return key_value(key);
}
int int_equal(const void *key, const void *stored) {
    ++equal_calls;
    return key_value(key) == key_value(stored) ? 1 : 0;
}

bool is_prime(std::uint64_t n) {
    if (n < 2) {
        return false;
    }
    for (std::uint64_t d = 2; d * d <= n; ++d) {
        if (n % d == 0) {
            return false;
        }
    }
    return true;
}

std::uint64_t smallest_prime_from(std::uint64_t n) {
    while (!is_prime(n)) {
        ++n;
    }
    return n;
}

// Every bucket is in exactly one place: a chain that matches its key's hash,
// or the free list; the chains hold count buckets.
void expect_consistent(const HashTab &t) {
    std::set<const HashTabBucket *> seen;
    unsigned in_chains = 0;
    for (unsigned h = 0; h < t.tableSize; ++h) {
        for (const HashTabBucket *b = t.table[h]; b != nullptr; b = b->next) {
            ASSERT_TRUE(b >= t.buckets && b < t.buckets + t.capacity);
            ASSERT_TRUE(seen.insert(b).second) << "bucket linked twice";
            EXPECT_EQ(key_value(b->key) % t.tableSize, h);
            ++in_chains;
        }
    }
    EXPECT_EQ(in_chains, t.count);
    for (const HashTabBucket *b = t.freeList; b != nullptr; b = b->next) {
        ASSERT_TRUE(b >= t.buckets && b < t.buckets + t.capacity);
        ASSERT_TRUE(seen.insert(b).second) << "bucket linked twice";
    }
    EXPECT_EQ(seen.size(), t.capacity);
}

class HashTabTest : public ::testing::Test {
  protected:
    void SetUp() override {
        hash_calls = 0;
        equal_calls = 0;
    }
    void TearDown() override {
        if (t.buckets != nullptr) {
            HashTab_destroy(&t);
        }
    }
    void init(unsigned capacity) {
        ASSERT_EQ(HashTab_init(&t, int_hash, int_equal, capacity, &t), 1);
    }
    HashTab t{};
};

TEST_F(HashTabTest, TableSizeIsSmallestPrimeFromTwiceCapacityPlusOne) {
    std::vector<unsigned> capacities;
    for (unsigned c = 1; c <= 130; ++c) {
        capacities.push_back(c);
    }
    capacities.insert(capacities.end(), {1000, 4093, 65536});
    for (unsigned c : capacities) {
        ASSERT_EQ(HashTab_init(&t, int_hash, int_equal, c, nullptr), 1);
        EXPECT_EQ(t.tableSize, smallest_prime_from(2ull * c + 1)) << "capacity " << c;
        HashTab_destroy(&t);
    }
}

TEST_F(HashTabTest, InitThreadsThePoolTopDown) {
    int user;
    ASSERT_EQ(HashTab_init(&t, int_hash, int_equal, 4, &user), 1);
    EXPECT_EQ(t.hash, int_hash);
    EXPECT_EQ(t.equal, int_equal);
    EXPECT_EQ(t.userData, &user);
    EXPECT_EQ(t.count, 0u);
    EXPECT_EQ(t.capacity, 4u);
    EXPECT_EQ(t.freeList, &t.buckets[3]);
    for (unsigned i = 1; i < 4; ++i) {
        EXPECT_EQ(t.buckets[i].next, &t.buckets[i - 1]);
    }
    EXPECT_EQ(t.buckets[0].next, nullptr);
    for (unsigned h = 0; h < t.tableSize; ++h) {
        EXPECT_EQ(t.table[h], nullptr);
    }
    EXPECT_EQ(hash_calls + equal_calls, 0u);
}

TEST(HashTabHashMem, KnownValuesAndTheXorOfShiftedBytes) {
    const char abc[] = "abc";
    EXPECT_EQ(HashTab_hashMem(abc, UINT_MAX, 3), 291u); // ((0x61 << 1) ^ 0x62) << 1 ^ 0x63
    EXPECT_EQ(HashTab_hashMem(abc, 11, 3), 5u);
    EXPECT_EQ(HashTab_hashMem(abc, 3, 3), 0u);
    for (unsigned size : {0u, 1u, 11u, UINT_MAX}) {
        EXPECT_EQ(HashTab_hashMem(nullptr, size, 0), 0u);
    }
    // h = (h << 1) ^ b over the bytes is the XOR of each byte shifted by the
    // number of bytes after it, bits above 31 dropped: only the last 32 bytes
    // count.
    std::mt19937 rng(4);
    std::vector<unsigned char> data(80);
    for (int round = 0; round < 200; ++round) {
        for (auto &b : data) {
            b = static_cast<unsigned char>(rng());
        }
        unsigned length = 1 + rng() % 80;
        std::uint64_t h = 0;
        for (unsigned j = 0; j < length; ++j) {
            unsigned shift = length - 1 - j;
            if (shift < 32) {
                h ^= std::uint64_t{data[j]} << shift;
            }
        }
        h &= 0xFFFFFFFFu;
        unsigned size = round % 2 == 0 ? UINT_MAX : 1 + rng() % 1000;
        EXPECT_EQ(HashTab_hashMem(data.data(), size, length), h % size) << "length " << length;
    }
}

TEST_F(HashTabTest, FullTableRefusesWithoutCallingBack) {
    init(3);
    int k[4] = {10, 20, 30, 40};
    int v[4];
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(HashTab_store(&t, &k[i], &v[i]), 1);
    }
    // The pool is used from its last bucket down.
    EXPECT_EQ(t.buckets[2].key, &k[0]);
    EXPECT_EQ(t.buckets[1].key, &k[1]);
    EXPECT_EQ(t.buckets[0].key, &k[2]);
    EXPECT_EQ(t.freeList, nullptr);
    unsigned calls = hash_calls + equal_calls;
    EXPECT_EQ(HashTab_store(&t, &k[3], &v[3]), 0);
    EXPECT_EQ(HashTab_store(&t, &k[0], nullptr), 0); // present, but full comes first
    EXPECT_EQ(HashTab_store(&t, nullptr, &v[3]), 0); // no check on a full table
    EXPECT_EQ(hash_calls + equal_calls, calls);
    EXPECT_EQ(t.count, 3u);
    EXPECT_EQ(HashTab_lookup(&t, &k[3]), nullptr);
}

TEST_F(HashTabTest, DeletedBucketIsReusedFirst) {
    init(3);
    int k[4] = {1, 2, 3, 4};
    int v[4];
    for (int i = 0; i < 3; ++i) {
        HashTab_store(&t, &k[i], &v[i]);
    }
    HashTab_delete(&t, &k[1]); // in bucket 1
    EXPECT_EQ(t.count, 2u);
    EXPECT_EQ(t.freeList, &t.buckets[1]);
    EXPECT_EQ(t.buckets[1].key, &k[1]); // the freed bucket keeps its contents
    EXPECT_EQ(t.buckets[1].value, &v[1]);
    EXPECT_EQ(HashTab_lookup(&t, &k[1]), nullptr);
    EXPECT_EQ(HashTab_store(&t, &k[3], &v[3]), 1);
    EXPECT_EQ(t.buckets[1].key, &k[3]);
    EXPECT_EQ(HashTab_lookup(&t, &k[3]), &v[3]);
    expect_consistent(t);
}

TEST_F(HashTabTest, NullValueDoesNotBlockAnEqualKey) {
    init(4);
    int k = 9;
    int v;
    EXPECT_EQ(HashTab_store(&t, &k, nullptr), 1);
    EXPECT_EQ(HashTab_store(&t, &k, &v), 1);
    EXPECT_EQ(t.count, 2u);
    EXPECT_EQ(HashTab_lookup(&t, &k), &v);
    HashTab_delete(&t, &k); // removes the newest, the one with v
    EXPECT_EQ(HashTab_lookup(&t, &k), nullptr);
    EXPECT_EQ(t.count, 1u);
    expect_consistent(t);
}

// A record written from outside whose count misses an entry: deleting that
// entry leaves the count at 0 rather than wrapping it.
TEST_F(HashTabTest, DeleteNeverTakesTheCountBelowZeroAndDestroyZeroesTheRecord) {
    init(2);
    int k = 1;
    HashTab_store(&t, &k, &k);
    t.count = 0;
    HashTab_delete(&t, &k);
    EXPECT_EQ(t.count, 0u);
    EXPECT_EQ(HashTab_lookup(&t, &k), nullptr);
    HashTab_destroy(&t);
    const HashTab &d = t;
    EXPECT_TRUE(d.hash == nullptr && d.equal == nullptr && d.buckets == nullptr &&
                d.freeList == nullptr && d.table == nullptr && d.userData == nullptr);
    EXPECT_EQ(d.count + d.capacity + d.tableSize, 0u);
    init(1); // and the record can be used again
}

TEST_F(HashTabTest, RandomRunMatchesModel) {
    // Model: per key value, its entries oldest first. A store succeeds unless
    // the table is full or the key's newest value is non-null.
    constexpr unsigned capacity = 12; // 29 chains; keys up to 60 collide
    constexpr int key_range = 61;
    init(capacity);
    static int keys[2][key_range]; // two distinct pointers per key value
    static int values[16];
    for (int i = 0; i < key_range; ++i) {
        keys[0][i] = keys[1][i] = i;
    }
    std::map<int, std::vector<void *>> model;
    unsigned stored = 0;
    std::mt19937 rng(20);
    for (int step = 0; step < 3000; ++step) {
        int kv = static_cast<int>(rng() % key_range);
        const int *key = &keys[rng() % 2][kv];
        std::vector<void *> &entries = model[kv];
        void *newest = entries.empty() ? nullptr : entries.back();
        switch (rng() % 3) {
        case 0: {
            void *value = rng() % 5 == 0 ? nullptr : &values[rng() % 16];
            bool accepted = stored < capacity && newest == nullptr;
            ASSERT_EQ(HashTab_store(&t, key, value), accepted ? 1 : 0) << "step " << step;
            if (accepted) {
                entries.push_back(value);
                ++stored;
            }
            break;
        }
        case 1:
            ASSERT_EQ(HashTab_lookup(&t, key), newest) << "step " << step;
            break;
        default:
            HashTab_delete(&t, key);
            if (!entries.empty()) {
                entries.pop_back();
                --stored;
            }
            break;
        }
        ASSERT_EQ(t.count, stored);
        if (step % 50 == 0) {
            expect_consistent(t);
        }
    }
    expect_consistent(t);
}

TEST(HashTabCapacity, RefusedCapacitiesAllocateNothing) {
    // The limit: the last capacity whose pool, three 32-bit words per bucket,
    // fits in 32 bits.
    EXPECT_LE(std::uint64_t{HASHTAB_MAX_CAPACITY} * 12, 0xFFFFFFFFu);
    EXPECT_GT((std::uint64_t{HASHTAB_MAX_CAPACITY} + 1) * 12, 0xFFFFFFFFu);
    // 0; one above the limit; 2c + 1 == UINT_MAX; 2c + 1 wraps; the largest.
    for (unsigned capacity :
         {0u, HASHTAB_MAX_CAPACITY + 1, UINT_MAX / 2, UINT_MAX / 2 + 1, UINT_MAX}) {
        HashTab t;
        std::memset(static_cast<void *>(&t), 0xA5, sizeof t);
        Heap::start();
        EXPECT_EQ(HashTab_init(&t, int_hash, int_equal, capacity, &t), 0) << capacity;
        EXPECT_EQ(Heap::stop().allocations, 0u) << capacity;
        EXPECT_TRUE(t.buckets == nullptr && t.table == nullptr && t.freeList == nullptr);
        EXPECT_EQ(t.capacity, 0u);
    }
}

TEST(HashTabCapacity, LargestCapacityReachesTheAllocator) {
    // The pool allocation is refused here, after the table size is known.
    HashTab t;
    Heap::start(1);
    EXPECT_EQ(HashTab_init(&t, int_hash, int_equal, HASHTAB_MAX_CAPACITY, nullptr), 0);
    HeapCount count = Heap::stop();
    EXPECT_EQ(count.allocations, 1u);
    EXPECT_EQ(count.refused, 1u);
    // The whole pool was asked for: on the target 4294967292 bytes, the last
    // multiple of 12 below 2^32, not a wrapped remainder.
    EXPECT_EQ(Heap::call(0).bytes, std::uint64_t{HASHTAB_MAX_CAPACITY} * sizeof(HashTabBucket));
    EXPECT_EQ(t.buckets, nullptr);
    EXPECT_EQ(t.table, nullptr);
    EXPECT_EQ(t.tableSize, smallest_prime_from(2ull * HASHTAB_MAX_CAPACITY + 1));
}

using HashTabDeathTest = HashTabTest;

TEST_F(HashTabDeathTest, Checks) {
    init(2);
    int k = 1;
    EXPECT_ZUC_CHECK_FAILS(HashTab_lookup(nullptr, &k), "hashtab", "HashTab_lookup", "p != NULL");
    EXPECT_ZUC_CHECK_FAILS(HashTab_lookup(&t, nullptr), "hashtab", "HashTab_lookup", "key != NULL");
    EXPECT_ZUC_CHECK_FAILS(HashTab_delete(nullptr, &k), "hashtab", "HashTab_delete", "p != NULL");
    EXPECT_ZUC_CHECK_FAILS(HashTab_delete(&t, nullptr), "hashtab", "HashTab_delete", "key != NULL");
    // A null key given to a store is caught by the lookup inside it.
    EXPECT_ZUC_CHECK_FAILS(HashTab_store(&t, nullptr, &k), "hashtab", "HashTab_lookup",
                           "key != NULL");
    // Fewer entries than the capacity but no free bucket: a damaged record.
    t.freeList = nullptr;
    EXPECT_ZUC_CHECK_FAILS(HashTab_store(&t, &k, &k), "hashtab", "HashTab_store", "bucket != NULL");
}

} // namespace
