/*
 * libzuc bounded pointer queue: first in, first out, fixed capacity.
 *
 * A ring of `capacity` pointer slots with a fill count. Adding never
 * allocates: a full queue refuses the element (result 0), an empty queue
 * yields NULL. The queue never looks at its elements; on release it can hand
 * each element still queued, oldest first, to a caller callback.
 *
 * Two forms:
 *  - heap: zuqueue_new allocates the record and the slot array (two blocks),
 *    zuqueue_free drains and frees them;
 *  - in place: zuqueue_inplace_new builds the queue in the caller's buffer of
 *    at least zuqueue_size(capacity) bytes - the record, then one pointer slot
 *    per element - and never touches the heap; zuqueue_inplace_free only
 *    drains. `members` holds the absolute address of the first slot, so an
 *    in-place queue must not be moved or copied.
 *
 * The in-place buffer must be aligned for a pointer (alignof(void *), 4 on
 * the 32-bit target): the record and the slots are read and written as whole
 * words. The alignment is not checked. A misaligned buffer is undefined
 * behaviour that happens to work on x86-64, but on the ARM target it stops
 * the program with a bus error (SIGBUS). A static buffer declared as a union
 * with the record, and sized by ZUQUEUE_SIZE, is right on every platform:
 *
 *     enum { CAPACITY = 16 };
 *     static union {
 *         zuqueue record;
 *         unsigned char bytes[ZUQUEUE_SIZE(CAPACITY)];
 *     } buf;
 *     zuqueue *q = zuqueue_inplace_new(&buf, sizeof buf, CAPACITY);
 *
 * A slot is non-NULL exactly while it holds an element, so NULL can never be
 * queued. The indexes name the slots used last; both start at capacity - 1,
 * so the first element goes into slot 0, and they only ever advance.
 *
 * Cost: add and get are O(1); draining is linear. Caller errors abort with
 * the standard assertion report (checks listed per function). Nothing is
 * locked.
 */
#ifndef LIBZUC_ZUQUEUE_H
#define LIBZUC_ZUQUEUE_H

#include <limits.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Release callback for elements still queued; receives one element. */
typedef void (*zuqueue_release_fn)(void *elem);

typedef struct zuqueue {
    unsigned int capacity;    /* number of slots */
    unsigned int count;       /* elements queued now */
    unsigned int write_index; /* slot filled last by zuqueue_add */
    unsigned int read_index;  /* slot emptied last by zuqueue_get */
    void **members;           /* the slots; NULL where empty */
} zuqueue;

/* Greatest capacity whose in-place size (the record plus one pointer slot per
 * element) fits in an unsigned int: 1073741818 on the 32-bit target, where
 * that size is (capacity + 5) * 4; less where pointers are wider. */
#define ZUQUEUE_MAX_CAPACITY ((unsigned int)((UINT_MAX - sizeof(zuqueue)) / sizeof(void *)))

/* zuqueue_size(capacity) as a constant expression, to size static buffers:
 * sizeof(zuqueue) plus capacity pointer slots, (capacity + 5) * 4 on the
 * 32-bit target. Only for capacities up to ZUQUEUE_MAX_CAPACITY (beyond, it
 * wraps where the function saturates). */
#define ZUQUEUE_SIZE(capacity) ((unsigned int)(sizeof(zuqueue) + (capacity) * sizeof(void *)))

/* Makes an empty queue of capacity slots on the heap. Returns NULL, with
 * nothing left allocated, when an allocation fails, and without allocating
 * when capacity exceeds ZUQUEUE_MAX_CAPACITY. Capacity 0 is not refused: such
 * a queue is always full and always empty. Release it with zuqueue_free. */
zuqueue *zuqueue_new(unsigned int capacity);

/* Bytes an in-place queue of capacity slots needs: sizeof(zuqueue) plus
 * capacity pointer slots, (capacity + 5) * 4 on the 32-bit target. For a
 * capacity above ZUQUEUE_MAX_CAPACITY it returns UINT_MAX, never a wrapped
 * smaller size; no buffer makes such a queue. */
unsigned int zuqueue_size(unsigned int capacity);

/* Builds an empty queue of capacity slots in mem (memsize bytes, aligned for
 * a pointer, see above; the alignment is not checked) and returns it. Only
 * the record and the slots are written. Aborts: "mem != NULL", "memsize > 0",
 * "capacity > 0", "capacity <= ZUQUEUE_MAX_CAPACITY",
 * "memsize >= zuqueue_size(capacity)" (checked in this order). */
zuqueue *zuqueue_inplace_new(void *mem, unsigned int memsize, unsigned int capacity);

/* Queues elem as the newest element. Returns 1, or 0 when the queue is full
 * (the caller keeps elem). Aborts: "p != NULL", "elem != NULL",
 * "p->members[i] == NULL" (the second even when full, the third only if the
 * slots were damaged). */
int zuqueue_add(zuqueue *p, void *elem);

/* Removes and returns the oldest element, or NULL when the queue is empty.
 * Aborts: "p != NULL", "elem != NULL" (the second only if the slots were
 * damaged). */
void *zuqueue_get(zuqueue *p);

/* Hands every element still queued, oldest first and already removed, to a
 * non-NULL release, then frees the slots and the record of a queue made by
 * zuqueue_new. With a NULL release the elements are dropped unvisited. A NULL
 * p does nothing. */
void zuqueue_free(zuqueue *p, zuqueue_release_fn release);

/* Hands every element still queued, oldest first and already removed, to
 * release, leaving the in-place queue empty and usable. Frees nothing. A NULL
 * p or a NULL release does nothing: the elements stay queued. */
void zuqueue_inplace_free(zuqueue *p, zuqueue_release_fn release);

#ifdef __cplusplus
}
#endif

#endif /* LIBZUC_ZUQUEUE_H */
