/* A C user of the families. It builds one object of each for GDB to print when
 * it calls ready(): lists filled at both ends, two keys in one hash chain, a
 * queue and a window that have wrapped. The window is in place at 8k + 4, as
 * its contract allows though its record's 64-bit sum asks for 8 on the target:
 * the alignment sanitizer stops at any access that assumes more. Given an
 * argument, it writes into a pool element it gave back, which a memory checker
 * must report at that line. */
#include <libzuc/dlist.h>
#include <libzuc/hashtab.h>
#include <libzuc/llist.h>
#include <libzuc/mempool.h>
#include <libzuc/slidingaverage.h>
#include <libzuc/slist.h>
#include <libzuc/zuqueue.h>

#define P(n) ((void *)(uintptr_t)(n))
struct Item {
    struct Item *prev, *next, *link; /* no followed link at offset 0 */
} item_a, item_b;

static unsigned int by_address(const void *key, unsigned int tableSize) {
    return (unsigned int)(uintptr_t)key % tableSize;
}
static int same(const void *key, const void *storedKey) {
    return key == storedKey;
}
static void ready(void) {}
int main(int argc, char **argv) {
    mempool *pool = mempool_create(5, 2 * sizeof(int)); /* 2 of 5 handed out, a third came back */
    int *job = mempool_alloc(pool); /* the library's check stops at a NULL pool */
    int ok = mempool_alloc(pool) && mempool_alloc(pool);
    job[0] = 7;
    mempool_free(pool, job);
    if (argc > 1 && argv[1]) {
        job[1] = 1; /* the element is the pool's again */
    }
    list *names = list_new(NULL, NULL); /* 0x33, 0x11, 0x22 */
    ok = ok && names && list_add(names, P(0x11)) && list_add(names, P(0x22)) &&
         list_insert(names, P(0x33));
    List singly; /* b, a */
    List_makeList(&singly, offsetof(struct Item, link), NULL);
    List_insertLast(&singly, &item_a);
    List_insertFirst(&singly, &item_b);
    DList doubly; /* a, b */
    DList_makeDList(&doubly, offsetof(struct Item, next), offsetof(struct Item, prev), NULL);
    DList_insertFirst(&doubly, &item_a);
    DList_insertLast(&doubly, &item_b);
    HashTab table; /* 11 chains: 2 in chain 2; 1, then 12 in front of it, in chain 1 */
    ok = ok && HashTab_init(&table, by_address, same, 4, NULL) &&
         HashTab_store(&table, P(2), P(0x20)) && HashTab_store(&table, P(1), P(0x10)) &&
         HashTab_store(&table, P(12), P(0xc0));
    static union {
        uint64_t align8;
        unsigned char bytes[4 + sizeof(SlidingAverage) + 3 * sizeof(uint32_t)];
    } buf;
    zuqueue *queue = zuqueue_new(4); /* 2, 3, 4, 5 in slots 1, 2, 3, 0 */
    SlidingAverage *window = SlidingAverage_inplace_create(buf.bytes + 4, sizeof buf - 4, 3);
    for (unsigned int n = 1; n <= 5; ++n) { /* 5 n^2: 45, 80, 125 in slots 2, 0, 1 */
        ok = ok && zuqueue_add(queue, P(n)) && (n != 3 || zuqueue_get(queue) == P(1));
        SlidingAverage_Add(window, 5 * n * n);
    }
    ready();
    ok = ok && (void *)window == buf.bytes + 4 && SlidingAverage_GetVariance(window) == 1072 &&
         SlidingAverage_GetWeightedAverage(window) > SlidingAverage_GetAverage(window) &&
         SlidingAverage_NoOfEntries(window) == 3 && (SlidingAverage_Reset(window), 1);
    list_free(names, NULL), HashTab_destroy(&table), zuqueue_free(queue, NULL);
    mempool_destroy(pool);
    return !ok;
}
