/* One object of each family for GDB to print in ready(): lists filled at both
 * ends, two keys in one hash chain, a queue and a window that have wrapped. */
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
} item_a, item_b, item_c;
list *names;
List singly;
DList doubly;
HashTab table;
mempool *pool;
zuqueue *queue;
SlidingAverage *window;

static unsigned int by_address(const void *key, unsigned int tableSize) {
    return (unsigned int)(uintptr_t)key % tableSize;
}
static int same(const void *key, const void *storedKey) {
    return key == storedKey;
}

static void ready(void) {}

int main(void) {
    names = list_new(NULL, NULL); /* 0x33, 0x11, 0x22 */
    int ok = names && list_add(names, P(0x11)) && list_add(names, P(0x22)) &&
             list_insert(names, P(0x33));
    List_makeList(&singly, offsetof(struct Item, link), NULL); /* b, a, c */
    List_insertLast(&singly, &item_a);
    List_insertLast(&singly, &item_c);
    List_insertFirst(&singly, &item_b);
    DList_makeDList(&doubly, offsetof(struct Item, next), offsetof(struct Item, prev),
                    NULL); /* c, b, a */
    DList_insertLast(&doubly, &item_a);
    DList_insertFirst(&doubly, &item_b);
    DList_insertFirst(&doubly, &item_c);
    /* 11 chains: 2 in chain 2; 1, then 12 in front of it, in chain 1 */
    ok = ok && HashTab_init(&table, by_address, same, 4, NULL) &&
         HashTab_store(&table, P(2), P(0x20)) && HashTab_store(&table, P(1), P(0x10)) &&
         HashTab_store(&table, P(12), P(0xc0));
    pool = mempool_create(5, 8); /* 2 of 5 handed out */
    void *taken[3] = {mempool_alloc(pool), mempool_alloc(pool), mempool_alloc(pool)};
    mempool_free(pool, taken[1]);
    queue = zuqueue_new(4); /* 2, 3, 4, 5 in slots 1, 2, 3, 0 */
    for (unsigned int n = 1; n <= 5; ++n) {
        ok = ok && zuqueue_add(queue, P(n)) && (n != 3 || zuqueue_get(queue) == P(1));
    }
    window = SlidingAverage_create(3); /* 5, 20, 45, 80: 20, 45, 80 in slots 1, 2, 0 */
    for (unsigned int i = 1; i <= 4; ++i) {
        SlidingAverage_Add(window, 5 * i * i);
    }
    ready();
    return ok ? 0 : 1;
}
