/* A program built against an installed libzuc as another team would build it,
 * seeing only the installed headers and library. Its expected results are
 * known independently of the library; any mismatch fails it. */
#include <libzuc/crc16.h>
#include <libzuc/dlist.h>
#include <libzuc/searchmap.h>
#include <libzuc/slist.h>
#include <libzuc/zuqueue.h>

#include <stdio.h> /* not <stddef.h>: the list headers must bring offsetof */

static int failures;
#define EXPECT(ok) (void)((ok) || (fprintf(stderr, "consumer: not %s\n", #ok), ++failures))

typedef struct Item {
    int key;
    struct Item *next, *prev;
} Item;

static int byKey(const void *a, const void *b) {
    const Item *x = a, *y = b;
    return (x->key > y->key) - (x->key < y->key);
}

static void *released;
static int releases;
static void release(void *elem) {
    released = elem, ++releases;
}

int main(void) {
    uint16_t crc = 1; /* CRC-16/XMODEM's catalogue check value */
    zuclib_crc16Calc("123456789", &crc, 9);
    EXPECT(crc == 0x31C3);
    static const zuclib_str_uint_map_entry states[] = {{"idle", 0}, {"busy", 1}, {NULL, 0}};
    EXPECT(zuclib_search_str_uint_map(states, 1) == states[1].str);

    /* A queue of two refuses a third element, gives the oldest first and
     * hands the one left to the release callback. */
    int a = 1, b = 2, c = 3;
    zuqueue *q = zuqueue_new(2);
    EXPECT(q != NULL && zuqueue_add(q, &a) == 1 && zuqueue_add(q, &b) == 1);
    EXPECT(zuqueue_add(q, &c) == 0 && zuqueue_get(q) == &a);
    zuqueue_free(q, release);
    EXPECT(releases == 1 && released == &b);
    /* In place, in a static buffer made as zuqueue.h shows: aligned for the
     * record (a misaligned one stops the ARM target with SIGBUS) and sized
     * at compile time. */
    static union {
        zuqueue record;
        unsigned char bytes[ZUQUEUE_SIZE(2)];
    } buf;
    q = zuqueue_inplace_new(&buf, sizeof buf, 2);
    EXPECT(zuqueue_add(q, &a) == 1 && zuqueue_add(q, &b) == 1 && zuqueue_add(q, &c) == 0);
    EXPECT(zuqueue_get(q) == &a);

    /* Sorted insertion through a link member of the caller's record. */
    Item items[] = {{3, NULL, NULL}, {1, NULL, NULL}, {2, NULL, NULL}};
    List lst;
    List_makeList(&lst, offsetof(Item, next), byKey);
    for (int i = 0; i < 3; ++i) {
        List_insertSorted(&lst, &items[i]);
    }
    EXPECT(List_getFirst(&lst) == &items[1] && items[1].next == &items[2] &&
           items[2].next == &items[0] && items[0].next == NULL && List_getCount(&lst) == 3);
    /* Removal from the middle of a doubly linked list relinks the neighbours. */
    DList dl;
    DList_makeDList(&dl, offsetof(Item, next), offsetof(Item, prev), NULL);
    for (int i = 0; i < 3; ++i) {
        DList_insertLast(&dl, &items[i]);
    }
    DList_remove(&dl, &items[1]);
    EXPECT(items[0].next == &items[2] && items[2].prev == &items[0] && DList_getCount(&dl) == 2);

    printf("consumer: %d failures\n", failures);
    return failures != 0;
}
