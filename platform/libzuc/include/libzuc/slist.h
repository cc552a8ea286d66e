/*
 * libzuc intrusive singly linked list (List): threads the caller's own
 * records into a chain through one pointer member of each record.
 *
 * The caller gives its record type a link member and names it by its byte
 * offset when it makes the list; the link holds the start address of the next
 * record (NULL in the last one). The List record itself lives in caller
 * memory. The list never allocates, never looks at an element beyond its link
 * field, and only List_freeElements releases anything (it hands every element
 * to free). A record with several link members can be in several lists at
 * once, one list per member.
 *
 *     typedef struct Job {
 *         int priority;
 *         struct Job *nextJob; // the link; the list writes it
 *     } Job;
 *
 *     static int byPriority(const void *a, const void *b) {
 *         const Job *x = a, *y = b;
 *         return (x->priority > y->priority) - (x->priority < y->priority);
 *     }
 *
 *     List jobs;
 *     List_makeList(&jobs, offsetof(Job, nextJob), byPriority);
 *     List_insertSorted(&jobs, job);
 *     for (List_startIterate(&jobs); List_hasMoreElements(&jobs);)
 *         run((Job *)List_getNext(&jobs));
 *     List_freeElements(&jobs); // when the jobs came from malloc
 *
 * Each list has one built-in cursor (List_startIterate, List_getNext), so one
 * iteration at a time. Removals move the cursor off a removed element onto its
 * successor, so removing what List_getNext just returned, or any other
 * element, never leaves the cursor dangling. Insertions never move it: an
 * element linked in behind the cursor's element is still returned by the
 * iteration under way, one linked in front of it is not.
 *
 * Cost: O(1) for everything except List_insertSorted (at most count compare
 * calls), List_removeLast (count - 2 link steps, there are no back links),
 * List_freeElements (linear), List_sortList (linear when already sorted,
 * quadratic at worst) and List_mergeLists (one sorted insertion per element).
 *
 * Nothing is checked: a NULL list, an element linked twice through the same
 * member or a NULL compare where one is called are caller errors with no
 * defined outcome. Nothing is locked, and even a walk writes the cursor.
 */
#ifndef LIBZUC_SLIST_H
#define LIBZUC_SLIST_H

#include <stddef.h> /* offsetof, for the link offsets */

#ifdef __cplusplus
extern "C" {
#endif

/* Orders two elements: negative when first orders before second, zero when
 * they are equal, positive when first orders after second. Only the sign is
 * used. */
typedef int (*List_compareFn)(const void *first, const void *second);

typedef struct List {
    void *first;             /* first element; NULL when empty */
    void *last;              /* last element; NULL when empty */
    void *cursor;            /* what List_getNext returns next; NULL when done */
    unsigned int count;      /* number of elements in the chain */
    List_compareFn compare;  /* may be NULL if no ordering operation is used */
    unsigned int linkOffset; /* byte offset of the link in every element */
} List;

/* Makes lst an empty list of elements linked through the pointer member at
 * linkOffset, ordered by compare. Elements of an earlier use are forgotten,
 * not touched. */
void List_makeList(List *lst, unsigned int linkOffset, List_compareFn compare);

/* Links element behind the last one. */
void List_insertLast(List *lst, void *element);

/* Links element in front of the first one. */
void List_insertFirst(List *lst, void *element);

/* Links element in front of the first element that does not order before it,
 * so it goes in front of its equals; calls compare(visited, element) for each
 * element passed, at most count times, and not at all on an empty list. */
void List_insertSorted(List *lst, void *element);

/* Unlinks the element behind predecessor (the first element when predecessor
 * is NULL), clears its link and returns it; the cursor moves off it onto its
 * successor. Returns NULL, changing nothing, when there is no such element. */
void *List_removeAfter(List *lst, void *predecessor);

/* Removes and returns the first element, or NULL when empty. */
void *List_removeFirst(List *lst);

/* Removes and returns the last element, or NULL when empty. Walks count - 2
 * links from the first element to find the one before it. */
void *List_removeLast(List *lst);

/* The first element, or NULL when empty. */
void *List_getFirst(const List *lst);

/* The last element, or NULL when empty. */
void *List_getLast(const List *lst);

/* Puts the cursor on the first element. */
void List_startIterate(List *lst);

/* Returns the cursor's element and moves the cursor to its successor; NULL
 * when the iteration has run out or was never started. */
void *List_getNext(List *lst);

/* The element linked behind element, or NULL for the last element and for a
 * NULL element. Leaves the cursor alone, so it can walk during an iteration. */
void *List_getNextElem(const List *lst, void *element);

/* 1 when List_getNext has an element to return, else 0. */
int List_hasMoreElements(const List *lst);

/* Hands every element to free, first to last (each link is read before its
 * element goes), and leaves the list empty with its cursor NULL; linkOffset
 * and compare stay, so the list takes new elements at once. */
void List_freeElements(List *lst);

/* Stack view of the head: List_insertFirst, List_removeFirst, List_getFirst. */
void List_push(List *lst, void *element);
void *List_pop(List *lst);
void *List_peek(const List *lst);

/* Sorts lst in place with compare by an insertion sort that uses the list's
 * cursor (left NULL). An element that orders before its predecessor is moved
 * in front of its equals, so the sort is not stable: [b1, c, b2] with b1, b2
 * equal becomes [b2, b1, c]. Costs count - 1 compare calls on a sorted list. */
void List_sortList(List *lst);

/* Number of elements. */
unsigned int List_getCount(const List *lst);

/* 1 when count is 0, else 0. */
int List_isEmpty(const List *lst);

/* Moves every element of other, first to last, into lst by
 * List_insertSorted (with lst's compare). other's cursor ends NULL and the
 * rest of its record is untouched; when both lists use the same link offset
 * it no longer describes a chain: make it again before use. lst != other. */
void List_mergeLists(List *lst, List *other);

/* Moves other's whole chain behind lst's last element in O(1); both lists
 * must use the same link offset and lst != other. other's record is left
 * as it was: discard it or make it again before use. No cursor moves. */
void List_appendList(List *lst, const List *other);

/* compare(first, second), the result returned unchanged. */
int List_compareItems(const List *lst, const void *first, const void *second);

#ifdef __cplusplus
}
#endif

#endif /* LIBZUC_SLIST_H */
