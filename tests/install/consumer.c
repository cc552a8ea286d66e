/* A program built against an installed libzuc, as another team would build
 * it: it sees only the installed headers and library. It calls a few
 * families and checks their results against values known independently of
 * the library; any mismatch makes it fail. */
#include <libzuc/crc16.h>
#include <libzuc/dlist.h>
#include <libzuc/searchmap.h>
#include <libzuc/slist.h>
#include <libzuc/zuqueue.h>

#include <stdio.h> /* not <stddef.h>: the list headers bring offsetof */

static int failures;

static void expect(int ok, const char *what) {
    if (!ok) {
        fprintf(stderr, "consumer: %s\n", what);
        ++failures;
    }
}

typedef struct Item {
    int key;
    struct Item *next;
    struct Item *prev;
} Item;

static int byKey(const void *a, const void *b) {
    const Item *x = a, *y = b;
    return (x->key > y->key) - (x->key < y->key);
}

static unsigned int released;

static void countRelease(void *elem) {
    (void)elem;
    ++released;
}

int main(void) {
    /* The catalogue check value of CRC-16/XMODEM. */
    uint16_t crc = 1;
    zuclib_crc16Calc("123456789", &crc, 9);
    expect(crc == 0x31C3, "CRC-16 of \"123456789\" is not 0x31C3");

    static const zuclib_str_uint_map_entry states[] = {{"idle", 0}, {"busy", 1}, {NULL, 0}};
    const char *busy = zuclib_search_str_uint_map(states, 1);
    expect(busy == states[1].str, "search map lookup");

    /* A queue of two: the third add is refused; the oldest comes out first;
     * freeing hands the one left to the release callback. */
    int a = 1, b = 2, c = 3;
    zuqueue *q = zuqueue_new(2);
    expect(q != NULL, "zuqueue_new(2) failed");
    if (q != NULL) {
        expect(zuqueue_add(q, &a) == 1 && zuqueue_add(q, &b) == 1, "adding to a free queue");
        expect(zuqueue_add(q, &c) == 0, "adding to a full queue");
        expect(zuqueue_get(q) == &a, "the oldest element first");
        zuqueue_free(q, countRelease);
        expect(released == 1, "zuqueue_free released one element");
    }
    /* The in-place form in a static buffer made as zuqueue.h shows. */
    static union {
        zuqueue record;
        unsigned char bytes[ZUQUEUE_SIZE(2)];
    } buf;
    zuqueue *inplace = zuqueue_inplace_new(&buf, sizeof buf, 2);
    expect(zuqueue_add(inplace, &a) == 1 && zuqueue_add(inplace, &b) == 1 &&
               zuqueue_add(inplace, &c) == 0 && zuqueue_get(inplace) == &a,
           "in-place queue of two");

    /* Sorted insertion through a link member of the caller's record. */
    Item items[] = {{3, NULL, NULL}, {1, NULL, NULL}, {2, NULL, NULL}};
    List lst;
    List_makeList(&lst, offsetof(Item, next), byKey);
    for (unsigned int i = 0; i < 3; ++i) {
        List_insertSorted(&lst, &items[i]);
    }
    int expected = 1;
    for (List_startIterate(&lst); List_hasMoreElements(&lst); ++expected) {
        const Item *item = List_getNext(&lst);
        expect(item->key == expected, "List walk out of order");
    }
    expect(expected == 4 && List_getCount(&lst) == 3, "List holds three items");

    /* Removal from the middle of a doubly linked list relinks the neighbours. */
    DList dl;
    DList_makeDList(&dl, offsetof(Item, next), offsetof(Item, prev), NULL);
    for (unsigned int i = 0; i < 3; ++i) {
        DList_insertLast(&dl, &items[i]);
    }
    DList_remove(&dl, &items[1]);
    expect(items[0].next == &items[2] && items[2].prev == &items[0] && DList_getCount(&dl) == 2,
           "DList_remove relinks the neighbours");

    if (failures == 0) {
        printf("consumer: all checks passed\n");
    }
    return failures == 0 ? 0 : 1;
}
