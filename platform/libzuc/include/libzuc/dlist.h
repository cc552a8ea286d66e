/*
 * libzuc intrusive doubly linked list (DList): threads the caller's own
 * records into a chain through two pointer members of each record, one to
 * the next record and one to the previous.
 *
 * The caller gives its record type the two link members and names them by
 * their byte offsets when it makes the list; each link holds the start
 * address of the neighbouring record (NULL at the ends). The DList record
 * itself lives in caller memory. The list never allocates, never looks at an
 * element beyond its two link fields, and only DList_freeElements releases
 * anything (it hands every element to free). A record with several pairs of
 * link members can be in several lists at once, one list per pair.
 *
 *     typedef struct Timer {
 *         unsigned int due;
 *         struct Timer *next, *prev; // the links; the list writes them
 *     } Timer;
 *
 *     static int byDue(const void *a, const void *b) {
 *         const Timer *x = a, *y = b;
 *         return (x->due > y->due) - (x->due < y->due);
 *     }
 *
 *     DList timers;
 *     DList_makeDList(&timers, offsetof(Timer, next), offsetof(Timer, prev), byDue);
 *     DList_insertSorted(&timers, timer);
 *     DList_remove(&timers, cancelled); // O(1), no walk
 *
 * Each list has one built-in forward cursor (DList_startIterate,
 * DList_getNext), so one iteration at a time. No insertion or removal moves
 * it. Removing the element that DList_getNext just returned is safe during an
 * iteration; removing the element the cursor rests on makes the next
 * DList_getNext return that element and end the iteration. An element linked
 * in behind the cursor's element is still returned, one linked in front of
 * it is not.
 *
 * Cost: O(1) for everything, removal of any element and of the last one
 * included, except DList_insertSorted (at most count compare calls) and
 * DList_freeElements (linear).
 *
 * Nothing is checked: a NULL list, an element linked twice through the same
 * members, removing an element of another list or a NULL compare where one is
 * called are caller errors with no defined outcome. Nothing is locked, and
 * even a walk writes the cursor.
 */
#ifndef LIBZUC_DLIST_H
#define LIBZUC_DLIST_H

#include <stddef.h> /* offsetof, for the link offsets */

#ifdef __cplusplus
extern "C" {
#endif

/* Orders two elements: negative when first orders before second, zero when
 * they are equal, positive when first orders after second. Only the sign is
 * used. */
typedef int (*DList_compareFn)(const void *first, const void *second);

typedef struct DList {
    void *first;             /* first element; NULL when empty */
    void *last;              /* last element; NULL when empty */
    void *cursor;            /* what DList_getNext returns next; NULL when done */
    unsigned int count;      /* number of elements in the chain */
    DList_compareFn compare; /* may be NULL if DList_insertSorted is not used */
    unsigned int nextOffset; /* byte offset of the next link in every element */
    unsigned int prevOffset; /* byte offset of the previous link */
} DList;

/* Makes lst an empty list of elements linked through the pointer members at
 * nextOffset and prevOffset, ordered by compare. Elements of an earlier use
 * are forgotten, not touched. */
void DList_makeDList(DList *lst, unsigned int nextOffset, unsigned int prevOffset,
                     DList_compareFn compare);

/* Links element directly behind predecessor (an element of lst), or in front
 * of the first element when predecessor is NULL. */
void DList_insertAfter(DList *lst, void *predecessor, void *element);

/* Links element behind the last one. */
void DList_insertLast(DList *lst, void *element);

/* Links element in front of the first one. */
void DList_insertFirst(DList *lst, void *element);

/* Links element in front of the first element that does not order before it,
 * so it goes in front of its equals; calls compare(visited, element) for each
 * element passed, at most count times, and not at all on an empty list. */
void DList_insertSorted(DList *lst, void *element);

/* Unlinks element (an element of lst), clears both its links and returns it;
 * a NULL element returns NULL and changes nothing. The cursor is not moved,
 * even when it rests on element. */
void *DList_remove(DList *lst, void *element);

/* Removes and returns the first element, or NULL when empty. */
void *DList_removeFirst(DList *lst);

/* Removes and returns the last element, or NULL when empty. O(1). */
void *DList_removeLast(DList *lst);

/* The first element, or NULL when empty. */
void *DList_getFirst(const DList *lst);

/* The last element, or NULL when empty. */
void *DList_getLast(const DList *lst);

/* Puts the cursor on the first element. */
void DList_startIterate(DList *lst);

/* Returns the cursor's element and moves the cursor along its next link;
 * NULL when the iteration has run out or was never started. */
void *DList_getNext(DList *lst);

/* 1 when DList_getNext has an element to return, else 0. */
int DList_hasMoreElements(const DList *lst);

/* Unlinks every element and hands it to free, first to last, and leaves the
 * list empty with its cursor NULL; the offsets and compare stay, so the list
 * takes new elements at once. */
void DList_freeElements(DList *lst);

/* Same as DList_removeFirst. */
void *DList_pop(DList *lst);

/* Number of elements. */
unsigned int DList_getCount(const DList *lst);

/* 1 when count is 0, else 0. */
int DList_isEmpty(const DList *lst);

/* compare(first, second), the result returned unchanged. */
int DList_compareItems(const DList *lst, const void *first, const void *second);

#ifdef __cplusplus
}
#endif

#endif /* LIBZUC_DLIST_H */
