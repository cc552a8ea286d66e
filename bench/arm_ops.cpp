// ARM instruction counts, the driver: runs one operation n times on the
// target. bench/arm_counts.py runs it under qemu-arm with an instruction
// trace for two values of n and divides the difference of the counts by the
// difference of the n: what is left is the cost of one run of the operation.
//
//     arm_ops --list              every operation: name, period, unit
//     arm_ops <operation> <n>     n in decimal, always written at the same width
//
// An operation is named "<what>/<implementation>": libzuc (the C functions),
// facade (the zuc:: layer) or baseline (the same contract out of line in
// libzuc_baseline.so, see arm_baseline.h). Its state repeats every `period`
// runs, so the counted runs are whole cycles; one run handles `unit`
// elements (bytes, for the checksums), and the counts are per element.
//
// To count one more operation: add a line to the table at the end (and a run
// function if none fits), and its budget to arm_budget.txt.
#include <libzuc/zuc.hpp>

#include <link.h>
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <span>

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
struct Block {
    uint32_t words[8];
};

Rec recs[kLength];
uint32_t keys[kKeys], samples[kLength];
unsigned char bytes[256];

// The same pseudo-random values in every run.
void make_data() {
    uint32_t x = 12345;
    auto next = [&x] { return x = x * 1103515245u + 12345u; };
    for (unsigned int i = 0; i < kLength; ++i) {
        recs[i].key = next();
        samples[i] = next() >> 15; // readings below 2^17
    }
    for (uint32_t &k : keys) {
        k = next();
    }
    for (unsigned char &b : bytes) {
        b = static_cast<unsigned char>(next() >> 24);
    }
}

// Keeps a result alive without storing it.
template <class T>
void keep(T value) {
    asm volatile("" : : "r"(value));
}
// n runs of body(i), i counting 0, 1, ... cycle - 1, 0, 1, ...
template <unsigned int Cycle = 1, class Body>
void repeat(unsigned int n, Body body) {
    for (unsigned int run = 0, i = 0; run < n; ++run, i = i + 1 == Cycle ? 0 : i + 1) {
        body(i);
    }
}

list *walked_list() {
    list *l = list_new(nullptr, nullptr);
    for (Rec &r : recs) {
        list_add(l, &r);
    }
    return l;
}
template <auto First, auto End, auto Next, auto Get>
void walk_handles(unsigned int n) {
    const list *l = walked_list();
    repeat(n, [l](unsigned int) {
        uint32_t sum = 0;
        for (list_iterator i = First(l); End(i) == 0; i = Next(i)) {
            sum += static_cast<Rec *>(Get(i))->key;
        }
        keep(sum);
    });
}
int add_key(void *sum, void *element) {
    *static_cast<uint32_t *>(sum) += static_cast<Rec *>(element)->key;
    return 1;
}
template <auto Foreach>
void walk_foreach(unsigned int n) {
    const list *l = walked_list();
    repeat(n, [l](unsigned int) {
        uint32_t sum = 0;
        Foreach(l, &sum, add_key);
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

List filled_slist(unsigned int count) {
    List l;
    List_makeList(&l, offsetof(Rec, next), nullptr);
    for (unsigned int i = 0; i < count; ++i) {
        List_insertLast(&l, &recs[i]);
    }
    return l;
}
// kResident elements stay in the list, one more goes round.
template <auto Insert, auto Remove>
void slist_rotate(unsigned int n) {
    List l = filled_slist(kResident);
    void *x = &recs[kResident];
    repeat(n, [&](unsigned int) {
        Insert(&l, x);
        x = Remove(&l);
    });
}
template <auto Start, auto HasMore, auto Next>
void slist_walk(unsigned int n) {
    List l = filled_slist(kLength);
    repeat(n, [&l](unsigned int) {
        uint32_t sum = 0;
        for (Start(&l); HasMore(&l) != 0;) {
            sum += static_cast<Rec *>(Next(&l))->key;
        }
        keep(sum);
    });
}
void slist_rotate_facade(unsigned int n) {
    zuc::slist<Rec, &Rec::next> l;
    for (unsigned int i = 0; i < kResident; ++i) {
        l.push_back(recs[i]);
    }
    Rec *x = &recs[kResident];
    repeat(n, [&](unsigned int) {
        l.push_back(*x);
        x = l.pop_front();
    });
}

DList filled_dlist() {
    DList l;
    DList_makeDList(&l, offsetof(Rec, dnext), offsetof(Rec, dprev), nullptr);
    for (unsigned int i = 0; i < kResident; ++i) {
        DList_insertLast(&l, &recs[i]);
    }
    return l;
}
template <auto Insert, auto Remove>
void dlist_rotate(unsigned int n) {
    DList l = filled_dlist();
    void *x = &recs[kResident];
    repeat(n, [&](unsigned int) {
        Insert(&l, x);
        x = Remove(&l);
    });
}
// Unlinks a middle element and links it back behind its predecessor.
template <auto Remove, auto InsertAfter>
void dlist_move(unsigned int n) {
    DList l = filled_dlist();
    repeat(n, [&l](unsigned int) {
        Remove(&l, &recs[4]);
        InsertAfter(&l, &recs[3], &recs[4]);
    });
}
void dlist_rotate_facade(unsigned int n) {
    zuc::dlist<Rec, &Rec::dnext, &Rec::dprev> l;
    for (unsigned int i = 0; i < kResident; ++i) {
        l.push_back(recs[i]);
    }
    Rec *x = &recs[kResident];
    repeat(n, [&](unsigned int) {
        l.push_back(*x);
        x = l.pop_front();
    });
}

template <auto Alloc, auto Free>
void pool_cycle(unsigned int n) {
    mempool *p = mempool_create(kLength, sizeof(Block));
    repeat(n, [p](unsigned int) { Free(p, Alloc(p)); });
}
void pool_cycle_facade(unsigned int n) {
    auto p = *zuc::pool<Block>::make(kLength);
    repeat(n, [&p](unsigned int) { p.deallocate(p.allocate()); });
}

template <bool InPlace, auto Add, auto Get>
void queue_cycle(unsigned int n) {
    alignas(zuqueue) static unsigned char buffer[sizeof(zuqueue) + kQueue * sizeof(void *)];
    zuqueue *q = InPlace ? zuqueue_inplace_new(buffer, sizeof buffer, kQueue) : zuqueue_new(kQueue);
    repeat(n, [q](unsigned int) {
        Add(q, &recs[0]);
        keep(Get(q));
    });
}
void queue_cycle_facade(unsigned int n) {
    auto q = *zuc::queue<Rec>::make(kQueue);
    repeat(n, [&q](unsigned int) {
        (void)q.push(&recs[0]);
        keep(q.pop());
    });
}

// The table's callbacks: the key's bytes hashed by HashTab_hashMem (or by the
// baseline's), keys compared as numbers.
unsigned int zuc_hash(const void *key, unsigned int tableSize) {
    return HashTab_hashMem(key, tableSize, sizeof(uint32_t));
}
unsigned int base_hash(const void *key, unsigned int tableSize) {
    return base_HashTab_hashMem(key, tableSize, sizeof(uint32_t));
}
int same_key(const void *a, const void *b) {
    return *static_cast<const uint32_t *>(a) == *static_cast<const uint32_t *>(b) ? 1 : 0;
}
HashTab *half_full_table(HashTabHashFn hash) {
    static HashTab t;
    HashTab_init(&t, hash, same_key, kLength, nullptr);
    for (unsigned int i = 0; i < kKeys; ++i) {
        HashTab_store(&t, &keys[i], &recs[i]);
    }
    return &t;
}
template <auto Hash, auto Lookup>
void table_lookup(unsigned int n) {
    const HashTab *t = half_full_table(Hash);
    repeat<kKeys>(n, [t](unsigned int i) { keep(Lookup(t, &keys[i])); });
}
template <auto Hash, auto Delete, auto Store>
void table_delete_store(unsigned int n) {
    HashTab *t = half_full_table(Hash);
    repeat<kKeys>(n, [t](unsigned int i) {
        Delete(t, &keys[i]);
        Store(t, &keys[i], &recs[i]);
    });
}
void table_lookup_facade(unsigned int n) {
    auto t = *zuc::hash_table<uint32_t, Rec>::make(kLength);
    for (unsigned int i = 0; i < kKeys; ++i) {
        (void)t.insert(keys[i], &recs[i]);
    }
    repeat<kKeys>(n, [&t](unsigned int i) { keep(t.find(keys[i])); });
}

SlidingAverage *full_window() {
    SlidingAverage *p = SlidingAverage_create(kLength);
    for (uint32_t s : samples) {
        SlidingAverage_Add(p, s);
    }
    return p;
}
template <auto Add>
void average_add(unsigned int n) {
    SlidingAverage *p = full_window();
    repeat<kLength>(n, [p](unsigned int i) { Add(p, samples[i]); });
}
template <auto Variance>
void average_variance(unsigned int n) {
    const SlidingAverage *p = full_window();
    repeat(n, [p](unsigned int) { keep(Variance(p)); });
}
void average_add_facade(unsigned int n) {
    auto a = *zuc::sliding_average::make(kLength);
    for (uint32_t s : samples) {
        a.add(s);
    }
    repeat<kLength>(n, [&a](unsigned int i) { a.add(samples[i]); });
}

// 64 bytes one at a time, or all 256 in one call.
template <auto Update>
void crc_update(unsigned int n) {
    repeat(n, [](unsigned int) {
        uint16_t crc = 0;
        for (unsigned int i = 0; i < 64; ++i) {
            Update(bytes[i], &crc);
        }
        keep(crc);
    });
}
template <auto Calc>
void crc_calc(unsigned int n) {
    repeat(n, [](unsigned int) {
        uint16_t crc;
        Calc(bytes, &crc, sizeof bytes);
        keep(crc);
    });
}
void crc_calc_facade(unsigned int n) {
    repeat(n, [](unsigned int) { keep(zuc::crc16(std::span<const unsigned char>(bytes))); });
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
    {"list walk, foreach/libzuc", 1, kLength, walk_foreach<list_foreach>},
    {"list walk, foreach/baseline", 1, kLength, walk_foreach<base_list_foreach>},
    {"List insertLast+removeFirst/libzuc", 1, 1, slist_rotate<List_insertLast, List_removeFirst>},
    {"List insertLast+removeFirst/baseline", 1, 1,
     slist_rotate<base_List_insertLast, base_List_removeFirst>},
    {"List insertLast+removeFirst/facade", 1, 1, slist_rotate_facade},
    {"List cursor walk/libzuc", 1, kLength,
     slist_walk<List_startIterate, List_hasMoreElements, List_getNext>},
    {"List cursor walk/baseline", 1, kLength,
     slist_walk<base_List_startIterate, base_List_hasMoreElements, base_List_getNext>},
    {"DList insertLast+removeFirst/libzuc", 1, 1,
     dlist_rotate<DList_insertLast, DList_removeFirst>},
    {"DList insertLast+removeFirst/baseline", 1, 1,
     dlist_rotate<base_DList_insertLast, base_DList_removeFirst>},
    {"DList insertLast+removeFirst/facade", 1, 1, dlist_rotate_facade},
    {"DList insertLast+removeLast/libzuc", 1, 1, dlist_rotate<DList_insertLast, DList_removeLast>},
    {"DList insertLast+removeLast/baseline", 1, 1,
     dlist_rotate<base_DList_insertLast, base_DList_removeLast>},
    {"DList remove+insertAfter/libzuc", 1, 1, dlist_move<DList_remove, DList_insertAfter>},
    {"DList remove+insertAfter/baseline", 1, 1,
     dlist_move<base_DList_remove, base_DList_insertAfter>},
    {"mempool alloc+free/libzuc", 1, 1, pool_cycle<mempool_alloc, mempool_free>},
    {"mempool alloc+free/baseline", 1, 1, pool_cycle<base_mempool_alloc, base_mempool_free>},
    {"mempool alloc+free/facade", 1, 1, pool_cycle_facade},
    {"zuqueue add+get/libzuc", kQueue, 1, queue_cycle<false, zuqueue_add, zuqueue_get>},
    {"zuqueue add+get/baseline", kQueue, 1, queue_cycle<false, base_zuqueue_add, base_zuqueue_get>},
    {"zuqueue add+get/facade", kQueue, 1, queue_cycle_facade},
    {"zuqueue in place add+get/libzuc", kQueue, 1, queue_cycle<true, zuqueue_add, zuqueue_get>},
    {"zuqueue in place add+get/baseline", kQueue, 1,
     queue_cycle<true, base_zuqueue_add, base_zuqueue_get>},
    {"HashTab lookup hit, half full/libzuc", kKeys, 1, table_lookup<zuc_hash, HashTab_lookup>},
    {"HashTab lookup hit, half full/baseline", kKeys, 1,
     table_lookup<base_hash, base_HashTab_lookup>},
    {"HashTab lookup hit, half full/facade", kKeys, 1, table_lookup_facade},
    {"HashTab delete+store/libzuc", kKeys, 1,
     table_delete_store<zuc_hash, HashTab_delete, HashTab_store>},
    {"HashTab delete+store/baseline", kKeys, 1,
     table_delete_store<base_hash, base_HashTab_delete, base_HashTab_store>},
    {"SlidingAverage_Add/libzuc", kLength, 1, average_add<SlidingAverage_Add>},
    {"SlidingAverage_Add/baseline", kLength, 1, average_add<base_SlidingAverage_Add>},
    {"SlidingAverage_Add/facade", kLength, 1, average_add_facade},
    {"SlidingAverage_GetVariance, window 64/libzuc", 1, 1,
     average_variance<SlidingAverage_GetVariance>},
    {"SlidingAverage_GetVariance, window 64/baseline", 1, 1,
     average_variance<base_SlidingAverage_GetVariance>},
    {"zuclib_crc16Update, per byte/libzuc", 1, 64, crc_update<zuclib_crc16Update>},
    {"zuclib_crc16Update, per byte/baseline", 1, 64, crc_update<base_crc16Update>},
    {"zuclib_crc16Calc, per byte/libzuc", 1, sizeof bytes, crc_calc<zuclib_crc16Calc>},
    {"zuclib_crc16Calc, per byte/baseline", 1, sizeof bytes, crc_calc<base_crc16Calc>},
    {"zuclib_crc16Calc, per byte/facade", 1, sizeof bytes, crc_calc_facade},
};

// Where each library was loaded, for the script to tell which instructions
// ran in their libgcc helpers.
int print_base(dl_phdr_info *info, size_t, void *) {
    if (strstr(info->dlpi_name, "libzuc") != nullptr) {
        fprintf(stderr, "base %s %lx\n", info->dlpi_name,
                static_cast<unsigned long>(info->dlpi_addr));
    }
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    const bool listing = argc == 2 && strcmp(argv[1], "--list") == 0;
    for (const Operation &op : operations) {
        if (listing) {
            printf("%s\t%u\t%u\n", op.name, op.period, op.unit);
        } else if (argc == 3 && strcmp(op.name, argv[1]) == 0) {
            make_data();
            dl_iterate_phdr(print_base, nullptr);
            op.run(static_cast<unsigned int>(strtoul(argv[2], nullptr, 10)));
            return 0;
        }
    }
    if (!listing) {
        fprintf(stderr, "usage: %s --list | <operation> <n>\n", argv[0]);
    }
    return listing ? 0 : 2;
}
