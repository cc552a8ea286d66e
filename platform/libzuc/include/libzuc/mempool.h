/*
 * libzuc memory pool: equal-sized elements handed out from one block.
 *
 * mempool_create allocates three blocks once: the record, the elements (one
 * zero-filled block of nelements * elementsize bytes) and a stack of pointers
 * to the free elements. Taking and returning an element never touches the
 * heap; an exhausted pool answers NULL. mempool_destroy frees all three
 * blocks, whether or not elements are still handed out.
 *
 * Element i starts at elements + i * elementsize: back to back, with no
 * rounding up, so elements are aligned only as far as the block's alignment
 * and the element size allow. A new pool hands out elements in address
 * order; afterwards the element returned last is handed out first. Elements
 * are zero only until their first use: a reused element keeps what its
 * previous user left in it.
 *
 * The stack grows downwards from the end of its array: slots below
 * nallocated hold the null pointer (the stack's sentinel), slots from
 * nallocated up point to free elements.
 *
 * Cost: alloc and free are O(1) and never search or clear memory. The pool
 * does not recognise foreign elements or elements returned twice; giving it
 * either is a caller error it does not detect. Nothing is locked.
 */
#ifndef LIBZUC_MEMPOOL_H
#define LIBZUC_MEMPOOL_H

#ifdef __cplusplus
extern "C" {
#endif

typedef struct mempool {
    unsigned int nelements;   /* number of elements */
    unsigned int nallocated;  /* elements handed out now */
    unsigned int elementsize; /* bytes per element, the stride in the block */
    void **stack;             /* nelements slots; free elements from nallocated up */
    void *elements;           /* the block of nelements * elementsize bytes */
} mempool;

/* Makes a pool of nelements zero-filled elements of elementsize bytes, all
 * free. Returns NULL, with nothing left allocated, when an allocation fails,
 * and without allocating when nelements * elementsize exceeds 32 bits or
 * nelements exceeds UINT32_MAX / 4 (the stack, counted in 32-bit slots).
 * Aborts: "nelements > 0", "elementsize > 0". */
mempool *mempool_create(unsigned int nelements, unsigned int elementsize);

/* Hands out a free element, or returns NULL when every element is handed
 * out. Aborts: "pool != NULL", "element != STACK_SENTINEL" (the second
 * reported by stack_pop, and only if the stack was damaged). */
void *mempool_alloc(mempool *pool);

/* Returns element, handed out by this pool, to it; it is the next one handed
 * out. A NULL element does nothing. Aborts: "pool != NULL",
 * "pool->nallocated > 0", "pool->stack[pool->nallocated] == STACK_SENTINEL"
 * (the first even for a NULL element; the third reported by stack_push, and
 * only if the stack was damaged). */
void mempool_free(mempool *pool, void *element);

/* Frees the stack, the element block and the record. Elements still handed
 * out become invalid. A NULL pool does nothing. */
void mempool_destroy(mempool *pool);

#ifdef __cplusplus
}
#endif

#endif /* LIBZUC_MEMPOOL_H */
