// Differential fuzzing of the hash table: init (with each of its allocations
// refused in turn), store, lookup, delete and destroy against a model that
// keeps the entries in the order they were stored and the free buckets as a
// stack, and HashTab_hashMem against the byte-string hash computed directly.
//
// Keys are small records with an id; several keys share an id, so equal keys
// behind different pointers are common. The hash callback is one of several
// (spread, constant, small, HashTab_hashMem), so long chains and hash values
// far above the table size both occur. Every callback call is compared with
// the model's, and so is the table's whole structure after every operation:
// each chain, newest first, with the pool bucket each entry must occupy, and
// the free list. The C heap is counted: init allocates twice, nothing else
// allocates, and destroy frees both blocks.
#include <libzuc/hashtab.h>

#include "fuzz.h"
#include "heap_life.h"

#include <algorithm>
#include <vector>

namespace {

using zuc_fuzz::Call;
using zuc_fuzz::Calls;
using zuc_fuzz::fake;
using zuc_fuzz::Input;
using zuc_fuzz::num;

struct Key {
    unsigned id;
};
constexpr unsigned key_count = 24;
const Key keys[key_count] = {{0}, {1}, {2}, {3}, {4}, {5}, {6}, {7}, {8}, {9}, {0}, {1},
                             {2}, {3}, {4}, {5}, {0}, {1}, {2}, {3}, {0}, {1}, {0}, {100}};

Calls calls;
unsigned hash_mode;

unsigned hash_value(const Key *k, unsigned tableSize) {
    switch (hash_mode) {
    case 0:
        return k->id * 2654435761u;
    case 1:
        return 0x7FFFFFFFu; // every key in one chain
    case 2:
        return k->id;
    default:
        return HashTab_hashMem(&k->id, tableSize, sizeof k->id);
    }
}
unsigned hash(const void *key, unsigned tableSize) {
    calls.push_back({'H', num(key), tableSize});
    return hash_value(static_cast<const Key *>(key), tableSize);
}
int equal(const void *key, const void *stored) {
    calls.push_back({'E', num(key), num(stored)});
    const unsigned a = static_cast<const Key *>(key)->id;
    const unsigned b = static_cast<const Key *>(stored)->id;
    return a != b ? 0 : a % 2 != 0 ? -1 : 2; // any non-zero means equal
}

// The smallest prime not below 2 * capacity + 1, by trial division.
unsigned expected_table_size(unsigned capacity) {
    for (unsigned n = 2 * capacity + 1;; n += 2) {
        bool prime = n > 1;
        for (unsigned d = 2; d * d <= n; ++d) {
            prime = prime && n % d != 0;
        }
        if (prime) {
            return n;
        }
    }
}

// ---- The model ----

struct Entry {
    const Key *key;
    void *value;
    unsigned bucket; // index in the pool
};

HashTab tab;
bool ready;
unsigned capacity;
unsigned table_size;
void *user_data;
std::vector<Entry> entries;  // oldest first
std::vector<unsigned> spare; // free buckets, the top last
zuc_fuzz::HeapLife heap;
Calls want;

unsigned chain_of(const Key *k) {
    return hash_value(k, table_size) % table_size;
}

// The newest entry equal to k in k's chain, as the table's walk finds it,
// with the callback calls that walk makes; entries.size() when there is none.
std::size_t model_find(const Key *k) {
    want.push_back({'H', num(k), table_size});
    const unsigned h = chain_of(k);
    for (std::size_t n = entries.size(); n-- > 0;) {
        if (chain_of(entries[n].key) != h) {
            continue;
        }
        want.push_back({'E', num(k), num(entries[n].key)});
        if (entries[n].key->id == k->id) {
            return n;
        }
    }
    return entries.size();
}

void check() {
    if (!ready) {
        return;
    }
    FUZZ_CHECK(tab.hash == hash && tab.equal == equal);
    FUZZ_EQ(tab.count, entries.size());
    FUZZ_EQ(tab.capacity, capacity);
    FUZZ_EQ(tab.tableSize, table_size);
    FUZZ_EQ(tab.userData, user_data);
    // Each chain holds its entries newest first, each in its own bucket.
    std::vector<std::vector<const Entry *>> chains(table_size);
    for (std::size_t n = entries.size(); n-- > 0;) {
        chains[chain_of(entries[n].key)].push_back(&entries[n]);
    }
    for (unsigned h = 0; h < table_size; ++h) {
        std::size_t n = 0;
        for (const HashTabBucket *b = tab.table[h]; b != nullptr; b = b->next, ++n) {
            FUZZ_CHECK(n < chains[h].size());
            FUZZ_EQ(b, &tab.buckets[chains[h][n]->bucket]);
            FUZZ_EQ(b->key, chains[h][n]->key);
            FUZZ_EQ(b->value, chains[h][n]->value);
        }
        FUZZ_EQ(n, chains[h].size());
    }
    // The free list is a stack of the other buckets.
    std::size_t n = spare.size();
    for (const HashTabBucket *b = tab.freeList; b != nullptr; b = b->next) {
        FUZZ_CHECK(n > 0);
        FUZZ_EQ(b, &tab.buckets[spare[--n]]);
    }
    FUZZ_EQ(n, 0u);
    heap.check();
}

void expect_zeroed() {
    FUZZ_CHECK(tab.hash == nullptr && tab.equal == nullptr && tab.count == 0 && tab.capacity == 0 &&
               tab.tableSize == 0 && tab.buckets == nullptr && tab.freeList == nullptr &&
               tab.table == nullptr && tab.userData == nullptr);
}

void op_init(Input &in) {
    if (ready) {
        return;
    }
    capacity = in.below(25);
    hash_mode = in.below(4);
    user_data = fake(in.byte() * 16u);
    const unsigned fail_at = in.below(4); // 1: the bucket pool, 2: the chains
    heap.begin(fail_at);
    ready = HashTab_init(&tab, hash, equal, capacity, user_data) != 0;
    entries.clear();
    spare.clear();
    if (capacity == 0) {
        // This implementation refuses an empty pool outright.
        FUZZ_CHECK(!ready);
        expect_zeroed();
    } else if (fail_at == 1 || fail_at == 2) {
        FUZZ_CHECK(!ready);
        FUZZ_CHECK(tab.buckets == nullptr && tab.table == nullptr);
    }
    if (!ready) {
        heap.failed();
        return;
    }
    heap.made(2);
    table_size = expected_table_size(capacity);
    // The first store takes the last bucket of the pool.
    for (unsigned n = 0; n < capacity; ++n) {
        spare.push_back(n);
    }
}

void op_destroy() {
    if (!ready) {
        return;
    }
    HashTab_destroy(&tab);
    expect_zeroed();
    heap.ended();
    ready = false;
}

const Key *pick_key(Input &in) {
    return &keys[in.below(key_count)];
}

void op_store(Input &in) {
    void *value = in.flag() ? nullptr : fake(0x5000 + in.byte() * 16u);
    if (entries.size() >= capacity) {
        // A full table refuses at once, even a null key, calling nothing.
        const Key *k = in.flag() ? nullptr : pick_key(in);
        FUZZ_EQ(HashTab_store(&tab, k, value), 0);
        return;
    }
    const Key *k = pick_key(in);
    const std::size_t found = model_find(k);
    int stored = 0;
    if (found == entries.size() || entries[found].value == nullptr) {
        want.push_back({'H', num(k), table_size});
        entries.push_back({k, value, spare.back()});
        spare.pop_back();
        stored = 1;
    }
    FUZZ_EQ(HashTab_store(&tab, k, value), stored);
}

void op_lookup(Input &in) {
    const Key *k = pick_key(in);
    const std::size_t found = model_find(k);
    FUZZ_EQ(HashTab_lookup(&tab, k), found < entries.size() ? entries[found].value : nullptr);
}

void op_delete(Input &in) {
    const Key *k = pick_key(in);
    const std::size_t found = model_find(k);
    if (found == entries.size()) {
        HashTab_delete(&tab, k);
        return;
    }
    const Entry gone = entries[found];
    entries.erase(entries.begin() + static_cast<long>(found));
    spare.push_back(gone.bucket);
    HashTab_delete(&tab, k);
    // The freed bucket keeps its key and value.
    FUZZ_EQ(tab.buckets[gone.bucket].key, gone.key);
    FUZZ_EQ(tab.buckets[gone.bucket].value, gone.value);
}

// h = (h << 1) ^ byte over the bytes, modulo the table size.
void op_hash_mem(Input &in) {
    unsigned char bytes[48];
    const unsigned length = in.below(sizeof bytes + 1);
    unsigned h = 0;
    for (unsigned n = 0; n < length; ++n) {
        bytes[n] = in.byte();
        h = (h << 1) ^ bytes[n];
    }
    unsigned size = in.edgy_u32();
    if (size == 0 && length > 0) {
        size = 1;
    }
    FUZZ_EQ(HashTab_hashMem(bytes, size, length), length == 0 ? 0 : h % size);
}

void step(Input &in) {
    calls.clear();
    want.clear();
    const unsigned code = in.byte() % 10;
    if (!ready && code < 8) {
        op_init(in);
        return;
    }
    switch (code) {
    case 0:
    case 1:
    case 2:
        op_store(in);
        break;
    case 3:
    case 4:
        op_lookup(in);
        break;
    case 5:
    case 6:
        op_delete(in);
        break;
    case 7:
        op_destroy();
        break;
    default:
        op_hash_mem(in);
        break;
    }
    FUZZ_CALLS(calls, want);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    Input in(data, size);
    ready = false;
    while (in.more()) {
        step(in);
        check();
    }
    op_destroy();
    return 0;
}
