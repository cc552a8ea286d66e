// The out-of-line baseline of the ARM instruction counts (arm_ops.cpp): each
// operation counted, written a second time as plainly as its contract reads,
// on the library's own records, in a shared library of its own
// (libzuc_baseline.so) so that both sides pay the same PLT stub. Each base_<f>
// has exactly the type of the library's <f>.
#ifndef LIBZUC_BENCH_ARM_BASELINE_H
#define LIBZUC_BENCH_ARM_BASELINE_H

#include <libzuc/zuc.hpp>

extern "C" {
decltype(list_first) base_list_first;
decltype(list_end) base_list_end;
decltype(list_next) base_list_next;
decltype(list_get) base_list_get;
decltype(list_foreach) base_list_foreach;
decltype(List_insertLast) base_List_insertLast;
decltype(List_removeFirst) base_List_removeFirst;
decltype(List_startIterate) base_List_startIterate;
decltype(List_hasMoreElements) base_List_hasMoreElements;
decltype(List_getNext) base_List_getNext;
decltype(DList_insertAfter) base_DList_insertAfter;
decltype(DList_insertLast) base_DList_insertLast;
decltype(DList_remove) base_DList_remove;
decltype(DList_removeFirst) base_DList_removeFirst;
decltype(DList_removeLast) base_DList_removeLast;
decltype(mempool_alloc) base_mempool_alloc;
decltype(mempool_free) base_mempool_free;
decltype(zuqueue_add) base_zuqueue_add;
decltype(zuqueue_get) base_zuqueue_get;
decltype(HashTab_hashMem) base_HashTab_hashMem;
decltype(HashTab_lookup) base_HashTab_lookup;
decltype(SlidingAverage_Add) base_SlidingAverage_Add;
decltype(SlidingAverage_GetVariance) base_SlidingAverage_GetVariance;
decltype(zuclib_crc16Update) base_zuclib_crc16Update;
}

#endif
