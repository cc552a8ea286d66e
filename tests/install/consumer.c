/* A program built against an installed libzuc as another team would build it,
 * seeing only the installed headers and library; any result other than the
 * one worked out by hand fails it. */
#include <libzuc/crc16.h>
#include <libzuc/dlist.h>
#include <libzuc/slist.h>
#include <libzuc/zuqueue.h>

#include <stdio.h> /* not <stddef.h>: the list headers must bring offsetof */

typedef struct Item {
    int key;
    struct Item *next, *dnext, *dprev;
} Item;

static int byKey(const void *a, const void *b) {
    const Item *x = a, *y = b;
    return (x->key > y->key) - (x->key < y->key);
}

int main(void) {
    uint16_t crc = 1; /* overwritten: CRC-16/XMODEM's catalogue check value */
    zuclib_crc16Calc("123456789", &crc, 9);
    /* A queue of two in a static buffer made as zuqueue.h shows: aligned for
     * the record (a misaligned one stops the ARM target with SIGBUS) and
     * sized at compile time. */
    static union {
        zuqueue record;
        unsigned char bytes[ZUQUEUE_SIZE(2)];
    } buf;
    Item items[] = {{3, 0, 0, 0}, {1, 0, 0, 0}, {2, 0, 0, 0}};
    zuqueue *q = zuqueue_inplace_new(&buf, sizeof buf, 2);
    int ok = crc == 0x31C3 && zuqueue_add(q, &items[0]) == 1 && zuqueue_add(q, &items[1]) == 1 &&
             zuqueue_add(q, &items[2]) == 0 && zuqueue_get(q) == &items[0];
    /* Sorted insertion, and removal from the middle of a doubly linked list,
     * through link members of the caller's record. */
    List lst;
    List_makeList(&lst, offsetof(Item, next), byKey);
    DList dl;
    DList_makeDList(&dl, offsetof(Item, dnext), offsetof(Item, dprev), NULL);
    for (int i = 0; i < 3; ++i) {
        List_insertSorted(&lst, &items[i]);
        DList_insertLast(&dl, &items[i]);
    }
    DList_remove(&dl, &items[1]);
    ok = ok && List_getFirst(&lst) == &items[1] && items[1].next == &items[2] &&
         items[2].next == &items[0] && items[0].next == NULL && List_getCount(&lst) == 3;
    ok = ok && items[0].dnext == &items[2] && items[2].dprev == &items[0] &&
         DList_getCount(&dl) == 2;
    printf("consumer: %s\n", ok ? "results as expected" : "WRONG RESULTS");
    return !ok;
}
