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

static void *prev_of(const DList *lst, const void *element) {
    return zuc_link_get(element, lst->prevOffset);
}

static void set_next(const DList *lst, void *element, void *next) {
    zuc_link_set(element, lst->nextOffset, next);
}

static void set_prev(const DList *lst, void *element, void *prev) {
    zuc_link_set(element, lst->prevOffset, prev);
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

ZUC_EXPORT void DList_insertAfter(DList *lst, void *predecessor, void *element) {
    if (predecessor == nullptr) {
        if (lst->first != nullptr) {
            set_prev(lst, lst->first, element);
        }
        set_next(lst, element, lst->first);
        set_prev(lst, element, nullptr);
        lst->first = element;
    } else {
        void *successor = next_of(lst, predecessor);
        set_next(lst, element, successor);
        set_next(lst, predecessor, element);
        set_prev(lst, element, predecessor);
        if (successor != nullptr) {
            set_prev(lst, successor, element);
        }
    }
    // A null predecessor on an empty list matches the null last as well.
    if (predecessor == lst->last) {
        lst->last = element;
    }
    ++lst->count;
}

ZUC_EXPORT void DList_insertLast(DList *lst, void *element) {
    set_next(lst, element, nullptr);
    set_prev(lst, element, lst->last);
    if (lst->last == nullptr) {
        lst->first = element;
    } else {
        set_next(lst, lst->last, element);
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
    void *successor = next_of(lst, element);
    void *predecessor = prev_of(lst, element);
    set_next(lst, element, nullptr);
    set_prev(lst, element, nullptr);
    if (lst->first == element) {
        lst->first = successor;
    }
    if (lst->last == element) {
        lst->last = predecessor;
    }
    if (predecessor != nullptr) {
        set_next(lst, predecessor, successor);
    }
    if (successor != nullptr) {
        set_prev(lst, successor, predecessor);
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
