// Model of the hash table: the entries in order of storing, each in the pool bucket it took, and
// the free buckets as a stack. Keys are ids, equal ones behind different pointers; the hash
// callback spreads, collides all or uses HashTab_hashMem. Every call predicted with arguments.
#include <libzuc/hashtab.h>

#include "model.h"

#include <cstring>
#include <numeric>
#include <tuple>
#include <vector>

namespace {

const std::uint32_t keys[6] = {0, 1, 2, 0, 1, 2};
void *const user = zt::fake(0x5EED);
unsigned mode; // how the hash callback hashes
constexpr auto id = [](const void *key) { return *static_cast<const std::uint32_t *>(key); };

unsigned hash_of(const void *key, unsigned size) {
    return mode == 0 ? id(key) * 2654435761u : mode == 1 ? 77 : HashTab_hashMem(key, size, 4);
}
unsigned hash(const void *key, unsigned size) {
    zt::log().push_back({'H', zt::num(key), size});
    return hash_of(key, size);
}
int equal(const void *key, const void *stored) {
    zt::log().push_back({'E', zt::num(key), zt::num(stored)});
    return id(key) == id(stored) ? int(id(key)) - 7 : 0; // any non-zero means equal
}
// The smallest prime not below 2 * capacity + 1 (odd, so odd divisors do).
unsigned prime_size(unsigned capacity) {
    unsigned n = 2 * capacity + 1, d = 3;
    while (d * d <= n) {
        d = n % d == 0 ? (n += 2, 3) : d + 2; // a divisor: the next odd number, from 3 again
    }
    return n;
}
auto fields(const HashTab &t) {
    return std::tuple(t.hash, t.equal, t.count, t.capacity, t.tableSize, t.buckets, t.freeList,
                      t.table, t.userData);
}
struct Entry {
    const std::uint32_t *key;
    unsigned bucket;
    void *value;
};
struct Model {
    HashTab t{};
    bool ready = false;
    unsigned capacity = 0, pool = 0; // the bucket pool's id; the chain array's is next
    std::vector<Entry> entries;
    std::vector<unsigned> free; // the top is the back
    std::vector<zt::Ev> want;
    ~Model() { ready ? HashTab_destroy(&t) : void(); }
    unsigned chain(const void *key) { return hash_of(key, t.tableSize) % t.tableSize; }
    // Lookup, store and delete see the newest entry of an equal key in the key's chain.
    std::vector<Entry>::iterator find(const std::uint32_t *key) {
        want.push_back({'H', zt::num(key), t.tableSize});
        for (auto e = entries.rbegin(); e != entries.rend(); ++e) {
            if (chain(e->key) == chain(key)) {
                want.push_back({'E', zt::num(key), zt::num(e->key)});
                if (*e->key == *key) {
                    return std::prev(e.base());
                }
            }
        }
        return entries.end();
    }
    void step(zt::Input &in) {
        const unsigned op = in.pick(6);
        if (op == 5) { // the byte hash: byte i of n moves n - 1 - i places left, the rest is lost
            std::vector<std::uint8_t> bytes(in.raw() % 40);
            std::uint32_t h = 0;
            for (std::size_t i = 0, shift = bytes.size() - 1; i < bytes.size(); ++i, --shift) {
                bytes[i] = std::uint8_t(in.raw());
                h ^= shift < 32 ? std::uint32_t(bytes[i]) << shift : 0;
            }
            const unsigned sizes[] = {1, 11, 0x80000001u, UINT32_MAX, in.u32() | 1};
            const unsigned size = bytes.empty() && in.pick(2) == 0 ? 0 : sizes[in.pick(5)];
            return ZT_EQ(HashTab_hashMem(bytes.data(), size, unsigned(bytes.size())),
                         bytes.empty() ? 0 : h % size);
        }
        if (!ready) {
            // Small tables, and 0 and sizes past the 32-bit limits: a zero record, no allocation.
            // (The largest allowed is left to the contract test: it is slow on the target.)
            constexpr unsigned most = HASHTAB_MAX_CAPACITY;
            static const unsigned capacities[] = {
                1, 2, 3, 5, 10, 0, most + 1, UINT32_MAX / 2 + 1, UINT32_MAX};
            capacity = capacities[in.pick(9)];
            const unsigned refused = in.pick(3);
            mode = in.pick(3);
            const bool fits = capacity != 0 && capacity <= most;
            std::memset(&t, 0xA5, sizeof t);
            ready = zt::construct([&] { return HashTab_init(&t, hash, equal, capacity, user); },
                                  {{'m', capacity * sizeof(HashTabBucket)},
                                   {'c', (fits ? prime_size(capacity) : 0) * sizeof(void *)}},
                                  refused, fits, pool, want) != 0;
            ZT_CHECK(ready || (t.buckets == nullptr && t.table == nullptr));
            ZT_CHECK(fits || fields(t) == fields(HashTab{}));
            entries.clear();
            free.resize(ready ? capacity : 0); // the first store takes the last bucket
            std::iota(free.begin(), free.end(), 0u);
            return;
        }
        const std::uint32_t *const key = &keys[in.pick(6)];
        void *const values[] = {nullptr, zt::fake(zt::num(key) + 1), zt::fake(zt::num(key) + 2)};
        void *const value = op == 1 ? values[in.pick(3)] : nullptr;
        const bool full = op == 1 && entries.size() == capacity; // refused with no callback call
        const auto e = op == 0 || full ? entries.end() : find(key);
        void *const found = e == entries.end() ? nullptr : e->value;
        if (op == 0) {
            HashTab_destroy(&t);
            want = {{'F', 'f', pool + 1}, {'F', 'f', pool}};
            ready = false;
            ZT_CHECK(fields(t) == fields(HashTab{}));
        } else if (op == 1) { // a key present with a value is refused too
            ZT_EQ(HashTab_store(&t, key, value), !full && found == nullptr ? 1 : 0);
            if (!full && found == nullptr) {
                want.push_back({'H', zt::num(key), t.tableSize});
                entries.push_back({key, free.back(), value});
                free.pop_back();
            }
        } else if (op == 2) {
            ZT_EQ(HashTab_lookup(&t, key), found);
        } else {
            HashTab_delete(&t, key);
            if (e != entries.end()) {
                free.push_back(e->bucket);
                entries.erase(e);
            }
        }
    }
    // The record, every chain newest first and the free list top down, and each entry in its
    // bucket.
    void check() {
        if (!ready) {
            return;
        }
        ZT_CHECK(t.hash == hash && t.equal == equal && t.userData == user &&
                 t.count == entries.size() && t.capacity == capacity &&
                 t.tableSize == prime_size(capacity) && zt::Heap::id(t.buckets) == pool &&
                 zt::Heap::id(t.table) == pool + 1);
        std::vector<std::vector<unsigned>> lists(t.tableSize); // bucket numbers
        for (auto e = entries.rbegin(); e != entries.rend(); ++e) {
            lists[chain(e->key)].push_back(e->bucket);
            ZT_CHECK(t.buckets[e->bucket].key == e->key && t.buckets[e->bucket].value == e->value);
        }
        lists.emplace_back(free.rbegin(), free.rend());
        for (unsigned h = 0; h <= t.tableSize; ++h) {
            const HashTabBucket *b = h < t.tableSize ? t.table[h] : t.freeList;
            for (std::size_t i = 0; i < lists[h].size(); ++i, b = b->next) {
                ZT_EQ(b, &t.buckets[lists[h][i]]);
            }
            ZT_EQ(b, nullptr);
        }
    }
};

} // namespace

void model_hashtab(zt::Input &in) {
    zt::run<Model>(in);
}
