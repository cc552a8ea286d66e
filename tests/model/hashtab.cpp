// Model of the hash table: its entries in order of storing, each in the pool
// bucket it took, and the free buckets as a stack. Keys are records with an
// id, several sharing one, so equal keys behind different pointers are
// common; the hash callback spreads, collides everything, or hashes the id
// with HashTab_hashMem. Every callback call is predicted with its arguments.
#include <libzuc/hashtab.h>

#include "model.h"

#include <algorithm>
#include <vector>

namespace {

using zt::fake;
using zt::num;

struct Key {
    std::uint32_t id;
};
Key keys[6] = {{0}, {1}, {2}, {0}, {1}, {2}};
void *const user = fake(0x5EED);
unsigned mode; // how the hash callback hashes

unsigned hash_of(const void *key, unsigned size) {
    const std::uint32_t id = static_cast<const Key *>(key)->id;
    return mode == 0 ? id * 2654435761u : mode == 1 ? 77 : HashTab_hashMem(&id, size, 4);
}
unsigned hash(const void *key, unsigned size) {
    zt::log().push_back({'H', num(key), size});
    return hash_of(key, size);
}
int equal(const void *key, const void *stored) {
    zt::log().push_back({'E', num(key), num(stored)});
    const auto a = static_cast<const Key *>(key)->id, b = static_cast<const Key *>(stored)->id;
    return a == b ? int(a) - 7 : 0; // any non-zero means equal
}

// The smallest prime not below 2 * capacity + 1.
unsigned prime_size(unsigned capacity) {
    for (unsigned n = 2 * capacity + 1;; n += 2) {
        bool prime = n > 1;
        for (unsigned d = 3; d * d <= n && prime; d += 2) {
            prime = n % d != 0;
        }
        if (prime || n <= 3) {
            return n;
        }
    }
}

// HashTab_hashMem: byte i of n moves n - 1 - i places left, and what leaves
// the 32 bits is lost.
unsigned hash_bytes(const std::vector<std::uint8_t> &bytes, unsigned size) {
    std::uint32_t h = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const std::size_t shift = bytes.size() - 1 - i;
        h ^= shift < 32 ? std::uint32_t(bytes[i]) << shift : 0;
    }
    return bytes.empty() ? 0 : h % size;
}

struct Entry {
    unsigned key, bucket;
    void *value;
};

struct Model {
    HashTab t{};
    bool ready = false;
    unsigned blocks[2] = {}; // ids of the pool and the chain array
    std::vector<Entry> entries;
    std::vector<unsigned> free; // the top is the back
    std::vector<zt::Ev> want;

    unsigned chain(unsigned key) { return hash_of(&keys[key], t.tableSize) % t.tableSize; }
    // Lookup and delete see the newest entry of an equal key in the key's chain.
    std::ptrdiff_t find(unsigned key) {
        want.push_back({'H', num(&keys[key]), t.tableSize});
        for (std::size_t i = entries.size(); i-- > 0;) {
            if (chain(entries[i].key) == chain(key)) {
                want.push_back({'E', num(&keys[key]), num(&keys[entries[i].key])});
                if (keys[entries[i].key].id == keys[key].id) {
                    return std::ptrdiff_t(i);
                }
            }
        }
        return -1;
    }

    void init(zt::Input &in) {
        static const unsigned capacities[] = {1, 2, 3, 5, 10, 0};
        const unsigned capacity = capacities[in.pick(6)];
        const unsigned refused = in.pick(3);
        mode = in.pick(3);
        zt::Heap::refuse(refused);
        const int got = HashTab_init(&t, hash, equal, capacity, user);
        zt::Heap::refuse(0);
        const unsigned size = prime_size(capacity);
        blocks[0] = zt::Heap::next_id() - (refused == 1 ? 0 : refused == 2 ? 1 : 2);
        blocks[1] = blocks[0] + 1;
        if (capacity == 0) { // refused as a caller error: nothing allocated, record zero
            ZT_EQ(got, 0);
            ZT_EQ(t.tableSize + t.capacity + t.count, 0u);
            ZT_EQ(t.buckets, nullptr);
            return;
        }
        want.push_back(refused == 1
                           ? zt::Ev{'R', 'm', capacity * sizeof(HashTabBucket)}
                           : zt::Ev{'A', 'm', capacity * sizeof(HashTabBucket), blocks[0]});
        if (refused != 1) {
            want.push_back(refused == 2 ? zt::Ev{'R', 'c', size * sizeof(void *)}
                                        : zt::Ev{'A', 'c', size * sizeof(void *), blocks[1]});
        }
        if (refused == 2) {
            want.push_back({'F', 'f', blocks[0]});
        }
        ZT_EQ(got, refused == 0 ? 1 : 0);
        if (refused != 0) {
            ZT_EQ(t.buckets, nullptr);
            return;
        }
        ready = true;
        ZT_EQ(t.tableSize, size);
        entries.clear();
        free.clear();
        for (unsigned b = 0; b < capacity; ++b) {
            free.push_back(b); // the first store takes the last bucket
        }
    }

    void step(zt::Input &in) {
        const unsigned op = in.pick(6);
        if (op == 5) { // the byte hash, table sizes 1 and up
            std::vector<std::uint8_t> bytes(in.raw() % 40);
            for (auto &b : bytes) {
                b = std::uint8_t(in.raw());
            }
            const unsigned sizes[] = {1, 11, 0x80000001u, UINT32_MAX, in.u32() | 1};
            const unsigned size = bytes.empty() && in.pick(2) == 0 ? 0 : sizes[in.pick(5)];
            ZT_EQ(HashTab_hashMem(bytes.data(), size, unsigned(bytes.size())),
                  hash_bytes(bytes, size));
            return;
        }
        if (!ready) {
            init(in);
            return;
        }
        const unsigned key = in.pick(6);
        if (op == 0) {
            HashTab_destroy(&t);
            want.push_back({'F', 'f', blocks[1]});
            want.push_back({'F', 'f', blocks[0]});
            ready = false;
            const HashTab zero{};
            ZT_CHECK(t.hash == zero.hash && t.equal == zero.equal && t.count == 0 &&
                     t.capacity == 0 && t.tableSize == 0 && t.buckets == nullptr &&
                     t.freeList == nullptr && t.table == nullptr && t.userData == nullptr);
        } else if (op == 1) {
            void *const values[] = {nullptr, fake(0x100 + key), fake(0x200 + key)};
            void *const value = values[in.pick(3)];
            const int got = HashTab_store(&t, &keys[key], value);
            const bool full = entries.size() == t.capacity;
            const std::ptrdiff_t present = full ? -1 : find(key);
            const bool stored =
                !full && (present < 0 || entries[std::size_t(present)].value == nullptr);
            ZT_EQ(got, stored ? 1 : 0);
            if (stored) {
                want.push_back({'H', num(&keys[key]), t.tableSize});
                entries.push_back({key, free.back(), value});
                free.pop_back();
            }
        } else if (op == 2) {
            const std::ptrdiff_t found = find(key);
            ZT_EQ(HashTab_lookup(&t, &keys[key]),
                  found < 0 ? nullptr : entries[std::size_t(found)].value);
        } else {
            HashTab_delete(&t, &keys[key]);
            const std::ptrdiff_t found = find(key);
            if (found >= 0) {
                free.push_back(entries[std::size_t(found)].bucket);
                entries.erase(entries.begin() + found);
            }
        }
    }

    // The record, every chain newest first, each entry in its bucket, and the
    // free list top down.
    void check() {
        if (!ready) {
            return;
        }
        ZT_EQ(t.hash, &hash);
        ZT_EQ(t.equal, &equal);
        ZT_EQ(t.userData, user);
        ZT_EQ(t.count, entries.size());
        ZT_EQ(zt::Heap::id(t.buckets), blocks[0]);
        ZT_EQ(zt::Heap::id(t.table), blocks[1]);
        for (unsigned h = 0; h < t.tableSize; ++h) {
            const HashTabBucket *b = t.table[h];
            for (std::size_t i = entries.size(); i-- > 0;) {
                if (chain(entries[i].key) == h) {
                    ZT_EQ(b, &t.buckets[entries[i].bucket]);
                    ZT_EQ(b->key, &keys[entries[i].key]);
                    ZT_EQ(b->value, entries[i].value);
                    b = b->next;
                }
            }
            ZT_EQ(b, nullptr);
        }
        const HashTabBucket *b = t.freeList;
        for (std::size_t i = free.size(); i-- > 0; b = b->next) {
            ZT_EQ(b, &t.buckets[free[i]]);
        }
        ZT_EQ(b, nullptr);
    }
};

} // namespace

void model_hashtab(zt::Input &in) {
    Model m;
    const unsigned live = zt::Heap::live();
    zt::log().clear();
    while (in.next_op()) {
        m.step(in);
        ZT_EVENTS(m.want);
        m.want.clear();
        m.check();
    }
    if (m.ready) {
        HashTab_destroy(&m.t);
    }
    zt::log().clear();
    ZT_EQ(zt::Heap::live(), live);
}
