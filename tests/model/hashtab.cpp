// Model of the hash table: its entries in order of storing, each in the pool
// bucket it took, and the free buckets as a stack. Keys are records with an
// id, several sharing one, so equal keys behind different pointers are
// common; the hash callback spreads, collides everything, or hashes the id
// with HashTab_hashMem. Every callback call is predicted with its arguments.
#include <libzuc/hashtab.h>

#include "model.h"

#include <cstring>
#include <vector>

namespace {

using zt::num;

struct Key {
    std::uint32_t id;
};
Key keys[6] = {{0}, {1}, {2}, {0}, {1}, {2}};
void *const user = zt::fake(0x5EED);
unsigned mode; // how the hash callback hashes

struct Callbacks {
    static unsigned hash_of(const void *key, unsigned size) {
        const std::uint32_t id = static_cast<const Key *>(key)->id;
        return mode == 0 ? id * 2654435761u : mode == 1 ? 77 : HashTab_hashMem(&id, size, 4);
    }
    static unsigned hash(const void *key, unsigned size) {
        zt::log().push_back({'H', num(key), size});
        return hash_of(key, size);
    }
    static int equal(const void *key, const void *stored) {
        zt::log().push_back({'E', num(key), num(stored)});
        const auto a = static_cast<const Key *>(key)->id, b = static_cast<const Key *>(stored)->id;
        return a == b ? int(a) - 7 : 0; // any non-zero means equal
    }
    // The smallest prime not below 2 * capacity + 1.
    static unsigned prime_size(unsigned capacity) {
        unsigned n = 2 * capacity + 1;
        for (unsigned d = 3; d * d <= n; d += 2) {
            if (n % d == 0) { // on to the next odd number, from the first divisor again
                n += 2;
                d = 1;
            }
        }
        return n;
    }
    // HashTab_hashMem: byte i of n moves n - 1 - i places left, and what
    // leaves the 32 bits is lost.
    static unsigned hash_bytes(const std::vector<std::uint8_t> &bytes, unsigned size) {
        std::uint32_t h = 0;
        for (std::size_t i = 0, shift = bytes.size() - 1; i < bytes.size(); ++i, --shift) {
            h ^= shift < 32 ? std::uint32_t(bytes[i]) << shift : 0;
        }
        return bytes.empty() ? 0 : h % size;
    }
};

struct Entry {
    unsigned key, bucket;
    void *value;
};

struct Model : Callbacks {
    HashTab t{};
    bool ready = false;
    unsigned pool = 0; // the id of the bucket pool; the chain array's is next
    std::vector<Entry> entries;
    std::vector<unsigned> free; // the top is the back
    std::vector<zt::Ev> want;
    ~Model() {
        if (ready) {
            HashTab_destroy(&t);
        }
    }
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
    // Small tables, and capacities past the 32-bit limits: 0 and those are
    // refused with a zero record before anything is allocated. (The largest
    // one allowed is tried once, in the contract test: its prime search is
    // slow on a target without a divide instruction.)
    void init(zt::Input &in) {
        constexpr unsigned most = HASHTAB_MAX_CAPACITY;
        static const unsigned capacities[] = {
            1, 2, 3, 5, 10, 0, most + 1, UINT32_MAX / 2 + 1, UINT32_MAX};
        const unsigned capacity = capacities[in.pick(9)], refused = in.pick(3);
        mode = in.pick(3);
        pool = zt::Heap::next_id();
        std::memset(&t, 0xA5, sizeof t);
        const int got =
            zt::refusing(refused, [&] { return HashTab_init(&t, hash, equal, capacity, user); });
        const bool fits = capacity != 0 && capacity <= most;
        const unsigned size = fits ? prime_size(capacity) : 0;
        want = zt::made({{'m', capacity * sizeof(HashTabBucket)}, {'c', size * sizeof(void *)}},
                        refused, pool, fits);
        ready = zt::whole(want);
        ZT_EQ(got, ready ? 1 : 0);
        ZT_CHECK(t.buckets == nullptr || ready);
        ZT_CHECK(fits || (t.tableSize == 0 && t.capacity == 0 && t.count == 0));
        entries.clear();
        free.clear();
        for (unsigned b = 0; b < capacity && ready; ++b) {
            free.push_back(b); // the first store takes the last bucket
        }
        ZT_EQ(t.tableSize, ready ? size : t.tableSize);
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
            return ZT_EQ(HashTab_hashMem(bytes.data(), size, unsigned(bytes.size())),
                         hash_bytes(bytes, size));
        }
        if (!ready) {
            return init(in);
        }
        const unsigned key = in.pick(6);
        if (op == 0) {
            HashTab_destroy(&t);
            want = {{'F', 'f', pool + 1}, {'F', 'f', pool}};
            ready = false;
            ZT_CHECK(t.hash == nullptr && t.equal == nullptr && t.count == 0 && t.capacity == 0 &&
                     t.tableSize == 0 && t.buckets == nullptr && t.freeList == nullptr &&
                     t.table == nullptr && t.userData == nullptr);
        } else if (op == 1) { // a full table refuses at once; a key present with a value too
            void *const values[] = {nullptr, zt::fake(0x100 + key), zt::fake(0x200 + key)};
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
    // The record, every chain newest first, each entry in its bucket, and
    // the free list top down.
    void check() {
        if (!ready) {
            return;
        }
        ZT_CHECK(t.hash == hash && t.equal == equal && t.userData == user &&
                 t.count == entries.size());
        ZT_CHECK(zt::Heap::id(t.buckets) == pool && zt::Heap::id(t.table) == pool + 1);
        for (unsigned h = 0; h < t.tableSize; ++h) {
            const HashTabBucket *b = t.table[h];
            for (std::size_t i = entries.size(); i-- > 0;) {
                if (chain(entries[i].key) == h) {
                    ZT_CHECK(b == &t.buckets[entries[i].bucket] && b->key == &keys[entries[i].key]);
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
    zt::run<Model>(in);
}
