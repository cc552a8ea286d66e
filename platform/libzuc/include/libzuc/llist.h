/*
 * libzuc generic list: a doubly linked list of opaque element pointers.
 *
 * Every list carries its own allocator pair, chosen by list_new (by default
 * malloc and free). The list record and every node come from that pair and go
 * back to it; the list never asks for other memory, and it asks for exactly
 * two sizes: one list record (once) and one node (three pointers) per element.
 *
 * Ownership: the list owns its record and nodes; the elements stay the
 * caller's. An element is handed to a release callback only by list_clear,
 * list_free and list_delete, only when the caller passes one, and never from
 * a sublist. Any element value, NULL included, is stored unchanged.
 *
 * A sublist (made by the derived-list operations) flags is_sublist: adding to
 * it and deleting from it abort, and clearing or freeing it never releases its
 * elements, which belong to another list.
 *
 * Iteration handles (list_iterator) are plain values holding a node pointer;
 * a NULL node means the walk ran off either end. A handle stays valid while
 * other nodes are added or removed; list_remove_node and list_delete return
 * the following node so a forward walk can remove as it goes.
 *
 *     list *l = list_new(NULL, NULL);
 *     for (list_iterator i = list_first(l); !list_end(i); i = list_next(i))
 *         use(list_get(i));
 *
 * Walks with callbacks (list_foreach and its variants), searches, counting
 * and list_sort never allocate, release or relink anything; list_sort only
 * moves element pointers between nodes. A callback may add nodes, or remove
 * nodes other than the one it was handed, but must not release that one: the
 * walk reads the link to the next node after the callback returns. The
 * callbacks' argument orders differ between operations; each typedef below
 * gives its own.
 *
 * Derived lists (sublist_*, list_copy) are new lists made with the source's
 * allocator pair; the source is only read. A sublist holds the source's
 * element pointers (or values an adaptor made from them) but never owns them.
 * list_merge appends one list's elements to another and frees the emptied
 * list. On allocation failure they release everything they made and return
 * NULL.
 *
 * Cost: add, insert, remove and delete are O(1); no count is stored, so
 * list_size is O(n) and list_at / list_get_item walk the list twice. Walks,
 * searches and derived lists are single passes; list_sort is an exchange sort,
 * n - 1 comparisons per pass and at most n passes, in place and stable.
 *
 * Caller errors (a NULL list where one is required, adding to a sublist, a
 * position out of range, ...) abort with the standard assertion report; the
 * checks listed per function stay on in every build. Allocation failure is
 * reported by the result only. Nothing is locked: one thread at a time.
 */
#ifndef LIBZUC_LLIST_H
#define LIBZUC_LLIST_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Obtains a block of at least `size` bytes, or returns NULL. malloc fits. */
typedef void *(*list_alloc_fn)(size_t size);
/* Releases a block that the matching list_alloc_fn returned. free fits. */
typedef void (*list_free_fn)(void *block);
/* Element release callback: receives one element (a node's data). free fits. */
typedef void (*list_free_data_fn)(void *data);

/* Each callback below gets untyped pointers, in the order its comment gives;
 * the orders differ between operations on purpose. Contexts (ctx, ctx1, ctx2)
 * and keys are handed through untouched and may be NULL. */

/* list_find: receives the caller's key, then one element; returns 0 when the
 * element matches the key. */
typedef int (*list_cmp_fn)(const void *key, const void *element);
/* list_sort: receives the element of the earlier node, then that of the later
 * one; a result greater than 0 means the two are out of order. Only the sign
 * is used. */
typedef int (*list_order_fn)(const void *earlier, const void *later);
/* list_foreach, list_foreach_reversed, list_foreach_sep: receives ctx, then one
 * element; returns non-zero to go on, 0 to stop the walk. */
typedef int (*list_walk_fn)(void *ctx, void *element);
/* list_dual_foreach: receives ctx1, ctx2, then one element; returns non-zero
 * to go on, 0 to stop the walk. */
typedef int (*list_dual_walk_fn)(void *ctx1, void *ctx2, void *element);
/* list_count, sublist_create, sublist_create_neg: receives one element, then
 * ctx (note: element first); returns non-zero or 0. */
typedef int (*list_pred_fn)(void *element, void *ctx);
/* sublist_adaptor: receives one element; returns the value to store in the
 * sublist in its place (any value, NULL included). */
typedef void *(*list_adaptor_fn)(void *element);
/* list_copy: receives one element; returns a new copy of it, or NULL when the
 * copy cannot be made. */
typedef void *(*list_copier_fn)(void *element);

typedef struct list_node list_node;
struct list_node {
    list_node *next; /* following node; NULL at the tail */
    list_node *prev; /* preceding node; NULL at the head */
    void *data;      /* the caller's element */
};

/* list_foreach_sep's separator: receives ctx, then the node that comes next
 * (the node, not its element); returns non-zero to go on, 0 to stop. */
typedef int (*list_sep_fn)(void *ctx, list_node *next);

typedef struct list {
    list_node *head;        /* first node; NULL when empty */
    list_node *tail;        /* last node; NULL when empty */
    list_alloc_fn alloc_fn; /* gives the record (once) and every node */
    list_free_fn free_fn;   /* takes back every node, and the record last */
    uint8_t is_sublist;     /* 1 for a sublist, else 0 */
} list;

typedef struct list_iterator {
    list_node *node; /* NULL once the walk has run off either end */
} list_iterator;

/* Makes an empty list. A NULL alloc_fn means malloc, a NULL free_fn means free,
 * each independently. Returns NULL, having called nothing else, when the
 * record cannot be allocated. Release the list with list_free. */
list *list_new(list_alloc_fn alloc_fn, list_free_fn free_fn);

/* Clears lst as list_clear does, then hands the record to the list's own
 * free_fn. A NULL lst does nothing. */
void list_free(list *lst, list_free_data_fn free_data);

/* Empties lst. Unless lst is a sublist, a non-NULL free_data first gets every
 * element, head to tail, before any node is released. The list stays usable.
 * Aborts: "lst != NULL". */
void list_clear(list *lst, list_free_data_fn free_data);

/* Appends data at the tail. Returns lst, or NULL when no node could be
 * allocated (the list is then unchanged).
 * Aborts: "lst != NULL", "!lst->is_sublist". */
list *list_add(list *lst, void *data);

/* Prepends data at the head. Returns lst, or NULL when no node could be
 * allocated (the list is then unchanged).
 * Aborts: "lst != NULL", "!lst->is_sublist". */
list *list_insert(list *lst, void *data);

/* Unlinks node (a node of lst) and releases it; its element is not touched.
 * Works on sublists too. Returns the node that followed, or NULL.
 * Aborts: "lst != NULL", "node != NULL". */
list_node *list_remove_node(list *lst, list_node *node);

/* Hands node's element to free_data (when not NULL), then removes node as
 * list_remove_node does and returns the node that followed, or NULL.
 * Aborts: "lst != NULL", "!lst->is_sublist", "node != NULL". */
list_node *list_delete(list *lst, list_node *node, list_free_data_fn free_data);

/* Handle of the head; at the end (node NULL) when lst is empty.
 * Aborts: "lst != NULL". */
list_iterator list_first(const list *lst);

/* Handle of the tail; at the end (node NULL) when lst is empty.
 * Aborts: "lst != NULL". */
list_iterator list_last(const list *lst);

/* 1 when the handle is at the end (i.node is NULL), else 0. */
int list_end(list_iterator i);

/* The element of the handle's node. Aborts: "i.node != NULL". */
void *list_get(list_iterator i);

/* Handle of the node after i.node (at the end after the tail). A handle that
 * is already at the end stays at the end. */
list_iterator list_next(list_iterator i);

/* Handle of the node before i.node (at the end before the head). A handle
 * that is already at the end stays at the end. */
list_iterator list_prev(list_iterator i);

/* 1 when lst has no node, else 0. A NULL lst counts as empty. */
int list_empty(const list *lst);

/* Number of nodes, counted by a walk from the head. A NULL lst gives 0. */
unsigned int list_size(const list *lst);

/* The element at position idx (0 is the head), reached with the iteration
 * handles after counting the list.
 * Aborts: "lst != NULL", "idx < list_size(lst)". */
void *list_at(const list *lst, unsigned int idx);

/* The element at position index (0 is the head), reached by following next
 * index times after counting the list.
 * Aborts: "lst != NULL", "index < list_size(lst)". */
void *list_get_item(const list *lst, unsigned int index);

/* ---- Traversal, search and sort ---- */

/* The first node, from the head, whose element is the very pointer data
 * (identity, not content; NULL finds a NULL element), or NULL when there is
 * none. Aborts: "lst". */
list_node *list_find_data(const list *lst, const void *data);

/* The first node, from the head, for whose element cmp(key, element) returns 0,
 * or NULL; cmp is not called after a match. Aborts: "lst", "cmp". */
list_node *list_find(const list *lst, const void *key, list_cmp_fn cmp);

/* Calls f(ctx, element) head to tail. Returns 1 when the walk reached the end
 * (also for an empty list), 0 as soon as f returns 0.
 * Aborts: "lst != NULL", "f != NULL". */
int list_foreach(const list *lst, void *ctx, list_walk_fn f);

/* As list_foreach, calling f(ctx1, ctx2, element). Checks nothing: a NULL lst
 * counts as empty and a NULL f as one that always goes on. */
int list_dual_foreach(const list *lst, void *ctx1, void *ctx2, list_dual_walk_fn f);

/* As list_foreach, tail to head. Checks nothing: a NULL lst counts as empty
 * and a NULL f as one that always goes on. */
int list_foreach_reversed(const list *lst, void *ctx, list_walk_fn f);

/* Calls f(ctx, element) for every element and, between two neighbours only,
 * sep(ctx, next node): f, sep, f, ..., f. Returns 1 at the end, 0 as soon as
 * f or sep returns 0. Checks nothing: a NULL lst counts as empty, and a NULL f
 * or sep is skipped as if it had gone on. */
int list_foreach_sep(const list *lst, void *ctx, list_walk_fn f, list_sep_fn sep);

/* Number of elements for which pred(element, ctx) returns non-zero; with a
 * NULL pred, every element (as list_size). A NULL lst gives 0. */
unsigned int list_count(const list *lst, list_pred_fn pred, void *ctx);

/* Sorts in place and stably: whole passes head to tail, exchanging the
 * elements of neighbours for which func(earlier, later) > 0, until a pass
 * exchanges nothing. Nodes keep their places (a handle then holds whatever
 * element moved there); works on sublists. func must describe a consistent
 * order. Aborts: "lst != NULL", "func != NULL". */
void list_sort(list *lst, list_order_fn func);

/* ---- Derived lists ----
 * Each result is made with lst's allocator pair, released by the caller with
 * list_free, and independent of lst from then on. NULL on failure, after
 * releasing every node and record made so far; lst is never changed. */

/* A sublist of the elements for which include_node(element, ctx) returns
 * non-zero, in order. Aborts: "lst != NULL", "include_node != NULL". */
list *sublist_create(const list *lst, list_pred_fn include_node, void *ctx);

/* A sublist of the elements for which include_node(element, ctx) returns 0,
 * in order. Aborts: "lst != NULL", "include_node != NULL". */
list *sublist_create_neg(const list *lst, list_pred_fn include_node, void *ctx);

/* A sublist of all elements of lst, in order. Checks nothing: a NULL lst
 * gives NULL. */
list *sublist_copy(const list *lst);

/* A sublist holding adaptor(element) for every element, in order; the values
 * are never released by the list (release them yourself before list_free if
 * adaptor allocated them). Checks nothing: a NULL lst or adaptor gives NULL. */
list *sublist_adaptor(const list *lst, list_adaptor_fn adaptor);

/* An ordinary list owning copier(element) of every element, in order. When
 * copier returns NULL or a node cannot be allocated, every copy made so far
 * goes to free_data (when not NULL), in the order made, and NULL is returned.
 * Aborts: "lst != NULL", "copier != NULL". */
list *list_copy(const list *lst, list_copier_fn copier, list_free_data_fn free_data);

/* Appends every element of src to dest (new nodes from dest's allocator), then
 * frees src without touching its elements and returns dest. src must be
 * another list than dest. When a node cannot be allocated, returns NULL with
 * dest holding the elements appended so far and src unchanged.
 * Aborts: "src != NULL", "dest != NULL", "!lst->is_sublist" (the third
 * reported by list_add, for a sublist dest once src has an element). */
list *list_merge(list *dest, list *src);

#ifdef __cplusplus
}
#endif

#endif /* LIBZUC_LLIST_H */
