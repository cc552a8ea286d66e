// Intrusive doubly linked list: the caller's records chained through a next
// and a previous link field at byte offsets.
#include <libzuc/dlist.h>

#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include "zuc_export.h"
#include "zuc_link.h"

// Callers declare and read DList records directly: on the target, seven
// 32-bit words in this order.
#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(offsetof(DList, last) == 4);
static_assert(offsetof(DList, cursor) == 8);
static_assert(offsetof(DList, count) == 12);
static_assert(offsetof(DList, compare) == 16);
static_assert(offsetof(DList, nextOffset) == 20);
static_assert(offsetof(DList, prevOffset) == 24);
static_assert(sizeof(DList) == 28);
#endif

static void *next_of(const DList *lst, const void *element) {
    return zuc_link_get(element, lst->nextOffset);
}

ZUC_EXPORT void DList_makeDList(DList *lst, unsigned int nextOffset, unsigned int prevOffset,
                                DList_compareFn compare) {
    lst->first = nullptr;
    lst->last = nullptr;
    lst->cursor = nullptr;
    lst->count = 0;
    lst->compare = compare;
    lst->nextOffset = nextOffset;
    lst->prevOffset = prevOffset;
}

// The operations that write links read the offsets into locals first: a link
// is written through memcpy, which for all the compiler knows may write the
// list record itself, so it would read them again after every link written.

ZUC_EXPORT void DList_insertAfter(DList *lst, void *predecessor, void *element) {
    const unsigned int next = lst->nextOffset;
    const unsigned int prev = lst->prevOffset;
    void *successor = predecessor == nullptr ? lst->first : zuc_link_get(predecessor, next);
    zuc_link_set(element, next, successor);
    zuc_link_set(element, prev, predecessor);
    if (predecessor == nullptr) {
        lst->first = element;
    } else {
        zuc_link_set(predecessor, next, element);
    }
    // Only the last element has no successor (a null predecessor has none on
    // an empty list only), so the link says whether the predecessor was last.
    if (successor == nullptr) {
        lst->last = element;
    } else {
        zuc_link_set(successor, prev, element);
    }
    ++lst->count;
}

ZUC_EXPORT void DList_insertLast(DList *lst, void *element) {
    const unsigned int next = lst->nextOffset;
    const unsigned int prev = lst->prevOffset;
    void *last = lst->last;
    zuc_link_set(element, next, nullptr);
    zuc_link_set(element, prev, last);
    if (last == nullptr) {
        lst->first = element;
    } else {
        zuc_link_set(last, next, element);
    }
    lst->last = element;
    ++lst->count;
}

ZUC_EXPORT void DList_insertFirst(DList *lst, void *element) {
    DList_insertAfter(lst, nullptr, element);
}

ZUC_EXPORT void DList_insertSorted(DList *lst, void *element) {
    // Stopping at the first element that is not smaller puts the new element
    // in front of its equals; when every element is smaller it goes last.
    void *before = nullptr;
    for (void *visited = lst->first; visited != nullptr; visited = next_of(lst, visited)) {
        if (lst->compare(visited, element) >= 0) {
            break;
        }
        before = visited;
    }
    DList_insertAfter(lst, before, element);
}

ZUC_EXPORT void *DList_remove(DList *lst, void *element) {
    if (element == nullptr) {
        return nullptr;
    }
    const unsigned int next = lst->nextOffset;
    const unsigned int prev = lst->prevOffset;
    void *successor = zuc_link_get(element, next);
    void *predecessor = zuc_link_get(element, prev);
    zuc_link_set(element, next, nullptr);
    zuc_link_set(element, prev, nullptr);
    // Only the first element has no predecessor and only the last one no
    // successor, so the links say whether first or last moves, without
    // reading either from the record.
    if (predecessor == nullptr) {
        lst->first = successor;
    } else {
        zuc_link_set(predecessor, next, successor);
    }
    if (successor == nullptr) {
        lst->last = predecessor;
    } else {
        zuc_link_set(successor, prev, predecessor);
    }
    // The cursor stays: it has either moved past element already, or it
    // rests on it and the iteration ends there, its next link being null.
    --lst->count;
    return element;
}

ZUC_EXPORT void *DList_removeFirst(DList *lst) {
    return DList_remove(lst, lst->first);
}

ZUC_EXPORT void *DList_removeLast(DList *lst) {
    return DList_remove(lst, lst->last);
}

ZUC_EXPORT void *DList_getFirst(const DList *lst) {
    return lst->first;
}

ZUC_EXPORT void *DList_getLast(const DList *lst) {
    return lst->last;
}

ZUC_EXPORT void DList_startIterate(DList *lst) {
    lst->cursor = lst->first;
}

ZUC_EXPORT void *DList_getNext(DList *lst) {
    void *element = lst->cursor;
    if (element != nullptr) {
        lst->cursor = next_of(lst, element);
    }
    return element;
}

ZUC_EXPORT int DList_hasMoreElements(const DList *lst) {
    return lst->cursor != nullptr ? 1 : 0;
}

ZUC_EXPORT void DList_freeElements(DList *lst) {
    // The cursor steps past each element before it is unlinked and freed.
    DList_startIterate(lst);
    while (lst->cursor != nullptr) {
        free(DList_remove(lst, DList_getNext(lst)));
    }
    lst->count = 0;
    lst->first = nullptr;
    lst->last = nullptr;
}

ZUC_EXPORT void *DList_pop(DList *lst) {
    return DList_removeFirst(lst);
}

ZUC_EXPORT unsigned int DList_getCount(const DList *lst) {
    return lst->count;
}

ZUC_EXPORT int DList_isEmpty(const DList *lst) {
    return lst->count == 0 ? 1 : 0;
}

ZUC_EXPORT int DList_compareItems(const DList *lst, const void *first, const void *second) {
    return lst->compare(first, second);
}
