// The out-of-line baseline of the ARM instruction counts (arm_ops.cpp): each
// operation the driver counts, written a second time as plainly as its
// contract reads, on the library's own records, in a shared library of its
// own (libzuc_baseline.so) so that both sides pay the same PLT stub.
#ifndef LIBZUC_BENCH_ARM_BASELINE_H
#define LIBZUC_BENCH_ARM_BASELINE_H

#include <libzuc/crc16.h>
#include <libzuc/dlist.h>
#include <libzuc/hashtab.h>
#include <libzuc/llist.h>
#include <libzuc/mempool.h>
#include <libzuc/slidingaverage.h>
#include <libzuc/slist.h>
#include <libzuc/zuqueue.h>

extern "C" {
list_iterator base_list_first(const list *lst);
int base_list_end(list_iterator i);
list_iterator base_list_next(list_iterator i);
void *base_list_get(list_iterator i);
int base_list_foreach(const list *lst, void *ctx, list_walk_fn f);
void base_List_insertLast(List *lst, void *element);
void *base_List_removeFirst(List *lst);
void base_List_startIterate(List *lst);
int base_List_hasMoreElements(const List *lst);
void *base_List_getNext(List *lst);
void base_DList_insertAfter(DList *lst, void *predecessor, void *element);
void base_DList_insertLast(DList *lst, void *element);
void *base_DList_remove(DList *lst, void *element);
void *base_DList_removeFirst(DList *lst);
void *base_DList_removeLast(DList *lst);
void *base_mempool_alloc(mempool *pool);
void base_mempool_free(mempool *pool, void *element);
int base_zuqueue_add(zuqueue *p, void *elem);
void *base_zuqueue_get(zuqueue *p);
unsigned int base_HashTab_hashMem(const void *data, unsigned int tableSize, unsigned int length);
void *base_HashTab_lookup(const HashTab *p, const void *key);
int base_HashTab_store(HashTab *p, const void *key, void *value);
void base_HashTab_delete(HashTab *p, const void *key);
void base_SlidingAverage_Add(SlidingAverage *p, unsigned int sample);
uint32_t base_SlidingAverage_GetVariance(const SlidingAverage *p);
void base_crc16Calc(const void *data, uint16_t *crc, uint32_t len);
void base_crc16Update(uint8_t byte, uint16_t *crc);
}

#endif
