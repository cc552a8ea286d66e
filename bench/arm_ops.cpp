// ARM instruction counts, the driver: runs one operation n times. Run under
// qemu-arm with an instruction trace for two values of n, the difference of
// the counts over the difference of the n is one run's cost (arm_counts.py).
//
//     arm_ops --list              every operation: name, period, unit
//     arm_ops <operation> <n>     n in decimal, always written at the same width
//
// An operation is "<what>/<who>": libzuc (the C functions), facade (the zuc::
// layer) or baseline (the same contract out of line, see arm_baseline.h). Its
// state repeats every `period` runs, so the counted runs are whole cycles; a
// run handles `unit` elements (bytes for the checksums); counts are per unit.
// To count one more operation, add a line to the table at the end (and a run
// function if none fits) and its budget to arm_budget.txt.
#include <libzuc/zuc.hpp>

#include <link.h>
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <array>

#include "arm_baseline.h"

namespace {

constexpr unsigned int kLength = 64;  // walked lists, the window, the table's capacity
constexpr unsigned int kResident = 8; // elements that stay in the rotated lists
constexpr unsigned int kQueue = 16;   // queue capacity
constexpr unsigned int kKeys = 32;    // keys in the table: half full

struct Rec {
    uint32_t key;
    Rec *next;          // List
    Rec *dnext, *dprev; // DList
};
using Block = std::array<uint32_t, 8>;

Rec recs[kLength];
uint32_t keys[kKeys], samples[kLength];
unsigned char bytes[kLength];

// The same pseudo-random values in every run.
void make_data() {
    uint32_t x = 12345;
    auto next = [&x] { return x = x * 1103515245u + 12345u; };
    for (unsigned int i = 0; i < kLength; ++i) {
        recs[i].key = next();
        samples[i] = next() >> 15; // readings below 2^17
        bytes[i] = static_cast<unsigned char>(next() >> 24);
        keys[i % kKeys] = next();
    }
}

// Keeps a result alive without storing it.
template <class T>
void keep(T value) {
    asm volatile("" : : "r"(value));
}
// n runs of body(i), i counting 0, 1, ... Cycle - 1, 0, 1, ...
template <unsigned int Cycle = 1, class Body>
void repeat(unsigned int n, Body body) {
    for (unsigned int run = 0, i = 0; run < n; ++run, i = i + 1 == Cycle ? 0 : i + 1) {
        body(i);
    }
}

// ---- Generic list: walks over kLength elements, summing their keys.

list *walked_list() {
    list *l = list_new(nullptr, nullptr);
    for (Rec &r : recs) {
        list_add(l, &r);
    }
    return l;
}
template <auto First, auto End, auto Next, auto Get>
void walk_handles(unsigned int n) {
    repeat(n, [l = walked_list()](unsigned int) {
        uint32_t sum = 0;
        for (list_iterator i = First(l); End(i) == 0; i = Next(i)) {
            sum += static_cast<Rec *>(Get(i))->key;
        }
        keep(sum);
    });
}
template <auto Foreach>
void walk_foreach(unsigned int n) {
    repeat(n, [l = walked_list()](unsigned int) {
        uint32_t sum = 0;
        Foreach(l, &sum, [](void *s, void *r) {
            *static_cast<uint32_t *>(s) += static_cast<Rec *>(r)->key;
            return 1;
        });
        keep(sum);
    });
}
void walk_facade(unsigned int n) {
    auto l = *zuc::list<Rec>::make();
    for (Rec &r : recs) {
        (void)l.push_back(&r);
    }
    repeat(n, [&l](unsigned int) {
        uint32_t sum = 0;
        for (const Rec *r : l) {
            sum += r->key;
        }
        keep(sum);
    });
}

// ---- Intrusive lists: kResident elements stay, one more goes round.

List slist_of(unsigned int count) {
    List l;
    List_makeList(&l, offsetof(Rec, next), nullptr);
    for (unsigned int i = 0; i < count; ++i) {
        List_insertLast(&l, &recs[i]);
    }
    return l;
}
DList dlist_of(unsigned int count) {
    DList l;
    DList_makeDList(&l, offsetof(Rec, dnext), offsetof(Rec, dprev), nullptr);
    for (unsigned int i = 0; i < count; ++i) {
        DList_insertLast(&l, &recs[i]);
    }
    return l;
}
template <auto Make, auto Insert, auto Remove>
void rotate(unsigned int n) {
    auto l = Make(kResident);
    void *x = &recs[kResident];
    repeat(n, [&](unsigned int) {
        Insert(&l, x);
        x = Remove(&l);
    });
}
template <auto Start, auto HasMore, auto Next>
void slist_walk(unsigned int n) {
    repeat(n, [l = slist_of(kLength)](unsigned int) mutable {
        uint32_t sum = 0;
        for (Start(&l); HasMore(&l) != 0;) {
            sum += static_cast<Rec *>(Next(&l))->key;
        }
        keep(sum);
    });
}
// Unlinks a middle element and links it back behind its predecessor.
template <auto Remove, auto InsertAfter>
void dlist_move(unsigned int n) {
    repeat(n, [l = dlist_of(kResident)](unsigned int) mutable {
        Remove(&l, &recs[4]);
        InsertAfter(&l, &recs[3], &recs[4]);
    });
}

// ---- Fixed-capacity stores.

template <auto Alloc, auto Free>
void pool_cycle(unsigned int n) {
    repeat(n, [p = mempool_create(kLength, sizeof(Block))](unsigned int) { Free(p, Alloc(p)); });
}
void pool_cycle_facade(unsigned int n) {
    auto p = *zuc::pool<Block>::make(kLength);
    repeat(n, [&p](unsigned int) { p.deallocate(p.allocate()); });
}

template <auto Add, auto Get>
void queue_cycle(unsigned int n) {
    repeat(n, [q = zuqueue_new(kQueue)](unsigned int) {
        Add(q, &recs[0]);
        keep(Get(q));
    });
}

// The table's callbacks: the key's bytes hashed by HashTab_hashMem (or by the
// baseline's), keys compared as numbers.
template <auto HashMem>
unsigned int hash(const void *key, unsigned int tableSize) {
    return HashMem(key, tableSize, sizeof(uint32_t));
}
int same_key(const void *a, const void *b) {
    return *static_cast<const uint32_t *>(a) == *static_cast<const uint32_t *>(b) ? 1 : 0;
}
template <auto HashMem, auto Lookup>
void table_lookup(unsigned int n) {
    static HashTab t;
    HashTab_init(&t, hash<HashMem>, same_key, kLength, nullptr);
    for (unsigned int i = 0; i < kKeys; ++i) {
        HashTab_store(&t, &keys[i], &recs[i]);
    }
    repeat<kKeys>(n, [](unsigned int i) { keep(Lookup(&t, &keys[i])); });
}
void table_lookup_facade(unsigned int n) {
    auto t = *zuc::hash_table<uint32_t, Rec>::make(kLength);
    for (unsigned int i = 0; i < kKeys; ++i) {
        (void)t.insert(keys[i], &recs[i]);
    }
    repeat<kKeys>(n, [&t](unsigned int i) { keep(t.find(keys[i])); });
}

// ---- Sliding average over a full window of kLength samples.

SlidingAverage *full_window() {
    SlidingAverage *p = SlidingAverage_create(kLength);
    for (uint32_t s : samples) {
        SlidingAverage_Add(p, s);
    }
    return p;
}
template <auto Add>
void average_add(unsigned int n) {
    repeat<kLength>(n, [p = full_window()](unsigned int i) { Add(p, samples[i]); });
}
template <auto Variance>
void average_variance(unsigned int n) {
    repeat(n, [p = full_window()](unsigned int) { keep(Variance(p)); });
}

// ---- CRC-16: kLength bytes, one at a time.

template <auto Update>
void crc_update(unsigned int n) {
    repeat(n, [](unsigned int) {
        uint16_t crc = 0;
        for (unsigned char b : bytes) {
            Update(b, &crc);
        }
        keep(crc);
    });
}

struct Operation {
    const char *name;
    unsigned int period, unit;
    void (*run)(unsigned int n);
};

constexpr Operation operations[] = {
    {"list walk, handles/libzuc", 1, kLength,
     walk_handles<list_first, list_end, list_next, list_get>},
    {"list walk, handles/baseline", 1, kLength,
     walk_handles<base_list_first, base_list_end, base_list_next, base_list_get>},
    {"list walk, handles/facade", 1, kLength, walk_facade},
    {"list walk, list_foreach/libzuc", 1, kLength, walk_foreach<list_foreach>},
    {"list walk, list_foreach/baseline", 1, kLength, walk_foreach<base_list_foreach>},
    {"List insertLast+removeFirst/libzuc", 1, 1,
     rotate<slist_of, List_insertLast, List_removeFirst>},
    {"List insertLast+removeFirst/baseline", 1, 1,
     rotate<slist_of, base_List_insertLast, base_List_removeFirst>},
    {"List cursor walk/libzuc", 1, kLength,
     slist_walk<List_startIterate, List_hasMoreElements, List_getNext>},
    {"List cursor walk/baseline", 1, kLength,
     slist_walk<base_List_startIterate, base_List_hasMoreElements, base_List_getNext>},
    {"DList insertLast+removeFirst/libzuc", 1, 1,
     rotate<dlist_of, DList_insertLast, DList_removeFirst>},
    {"DList insertLast+removeFirst/baseline", 1, 1,
     rotate<dlist_of, base_DList_insertLast, base_DList_removeFirst>},
    {"DList insertLast+removeLast/libzuc", 1, 1,
     rotate<dlist_of, DList_insertLast, DList_removeLast>},
    {"DList insertLast+removeLast/baseline", 1, 1,
     rotate<dlist_of, base_DList_insertLast, base_DList_removeLast>},
    {"DList remove+insertAfter/libzuc", 1, 1, dlist_move<DList_remove, DList_insertAfter>},
    {"DList remove+insertAfter/baseline", 1, 1,
     dlist_move<base_DList_remove, base_DList_insertAfter>},
    {"mempool alloc+free/libzuc", 1, 1, pool_cycle<mempool_alloc, mempool_free>},
    {"mempool alloc+free/baseline", 1, 1, pool_cycle<base_mempool_alloc, base_mempool_free>},
    {"mempool alloc+free/facade", 1, 1, pool_cycle_facade},
    {"zuqueue add+get/libzuc", kQueue, 1, queue_cycle<zuqueue_add, zuqueue_get>},
    {"zuqueue add+get/baseline", kQueue, 1, queue_cycle<base_zuqueue_add, base_zuqueue_get>},
    {"HashTab_lookup hit, half full/libzuc", kKeys, 1,
     table_lookup<HashTab_hashMem, HashTab_lookup>},
    {"HashTab_lookup hit, half full/baseline", kKeys, 1,
     table_lookup<base_HashTab_hashMem, base_HashTab_lookup>},
    {"HashTab_lookup hit, half full/facade", kKeys, 1, table_lookup_facade},
    {"SlidingAverage_Add/libzuc", kLength, 1, average_add<SlidingAverage_Add>},
    {"SlidingAverage_Add/baseline", kLength, 1, average_add<base_SlidingAverage_Add>},
    {"SlidingAverage_GetVariance, window 64/libzuc", 1, 1,
     average_variance<SlidingAverage_GetVariance>},
    {"SlidingAverage_GetVariance, window 64/baseline", 1, 1,
     average_variance<base_SlidingAverage_GetVariance>},
    {"zuclib_crc16Update, per byte/libzuc", 1, sizeof bytes, crc_update<zuclib_crc16Update>},
    {"zuclib_crc16Update, per byte/baseline", 1, sizeof bytes, crc_update<base_zuclib_crc16Update>},
};

} // namespace

int main(int argc, char **argv) {
    const bool listing = argc == 2 && strcmp(argv[1], "--list") == 0;
    for (const Operation &op : operations) {
        if (listing) {
            printf("%s\t%u\t%u\n", op.name, op.period, op.unit);
        } else if (argc == 3 && strcmp(op.name, argv[1]) == 0) {
            make_data();
            // Where each library was loaded, for the script to tell which
            // instructions ran in their libgcc helpers.
            dl_iterate_phdr(
                [](dl_phdr_info *info, size_t, void *) {
                    if (strstr(info->dlpi_name, "libzuc") != nullptr) {
                        fprintf(stderr, "base %s %lx\n", info->dlpi_name,
                                static_cast<unsigned long>(info->dlpi_addr));
                    }
                    return 0;
                },
                nullptr);
            op.run(static_cast<unsigned int>(strtoul(argv[2], nullptr, 10)));
            return 0;
        }
    }
    if (!listing) {
        fprintf(stderr, "usage: %s --list | <operation> <n>\n", argv[0]);
    }
    return listing ? 0 : 2;
}
