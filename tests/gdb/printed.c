/* One object of each family for GDB to print when main() calls ready(): lists
 * filled at both ends, two keys in one hash chain, a queue and a window that
 * have wrapped. */
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
int main(void) {
    list *names = list_new(NULL, NULL); /* 0x33, 0x11, 0x22 */
    int ok = names && list_add(names, P(0x11)) && list_add(names, P(0x22)) &&
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
    mempool *pool = mempool_create(5, 8); /* 2 of 5 handed out, after a third came back */
    ok = ok && pool && mempool_alloc(pool) && mempool_alloc(pool);
    mempool_free(pool, mempool_alloc(pool));
    zuqueue *queue = zuqueue_new(4);                   /* 2, 3, 4, 5 in slots 1, 2, 3, 0 */
    SlidingAverage *window = SlidingAverage_create(3); /* 5 n^2: 45, 80, 125 in slots 2, 0, 1 */
    for (unsigned int n = 1; n <= 5; ++n) {
        ok = ok && zuqueue_add(queue, P(n)) && (n != 3 || zuqueue_get(queue) == P(1));
        SlidingAverage_Add(window, 5 * n * n);
    }
    ready();
    return ok ? 0 : 1;
}
