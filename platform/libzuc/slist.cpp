// Intrusive singly linked list: the caller's records chained through one link
// field at a byte offset.
#include <libzuc/slist.h>

#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include "zuc_export.h"
#include "zuc_link.h"

// Callers declare and read List records directly: on the target, six 32-bit
// words in this order.
#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(offsetof(List, last) == 4);
static_assert(offsetof(List, cursor) == 8);
static_assert(offsetof(List, count) == 12);
static_assert(offsetof(List, compare) == 16);
static_assert(offsetof(List, linkOffset) == 20);
static_assert(sizeof(List) == 24);
#endif

static void *next_of(const List *lst, const void *element) {
    return zuc_link_get(element, lst->linkOffset);
}

static void set_next(const List *lst, void *element, void *next) {
    zuc_link_set(element, lst->linkOffset, next);
}

// Links element behind predecessor, or in front of the first element when
// predecessor is null. Every insertion ends here; none moves the cursor. The
// offset is read once: a link is written through memcpy, which for all the
// compiler knows may write the list record itself.
static void link_after(List *lst, void *predecessor, void *element) {
    const unsigned int link = lst->linkOffset;
    void *successor = predecessor == nullptr ? lst->first : zuc_link_get(predecessor, link);
    zuc_link_set(element, link, successor);
    if (predecessor == nullptr) {
        lst->first = element;
    } else {
        zuc_link_set(predecessor, link, element);
    }
    // Only the last element has no successor (a null predecessor has none on
    // an empty list only), so the link says whether the predecessor was last.
    if (successor == nullptr) {
        lst->last = element;
    }
    ++lst->count;
}

ZUC_EXPORT void List_makeList(List *lst, unsigned int linkOffset, List_compareFn compare) {
    lst->first = nullptr;
    lst->last = nullptr;
    lst->cursor = nullptr;
    lst->count = 0;
    lst->compare = compare;
    lst->linkOffset = linkOffset;
}

ZUC_EXPORT void List_insertLast(List *lst, void *element) {
    // link_after with last as the predecessor, whose link is null: so is the
    // new element's, and it becomes last without a test.
    const unsigned int link = lst->linkOffset;
    void *last = lst->last;
    zuc_link_set(element, link, nullptr);
    if (last == nullptr) {
        lst->first = element;
    } else {
        zuc_link_set(last, link, element);
    }
    lst->last = element;
    ++lst->count;
}

ZUC_EXPORT void List_insertFirst(List *lst, void *element) {
    link_after(lst, nullptr, element);
}

ZUC_EXPORT void List_insertSorted(List *lst, void *element) {
    if (lst->first == nullptr) {
        link_after(lst, nullptr, element);
        return;
    }
    void *before = nullptr;
    void *visited = lst->first;
    // Stopping at the first element that is not smaller puts the new element
    // in front of its equals.
    while (lst->compare(visited, element) < 0) {
        void *next = next_of(lst, visited);
        if (next == nullptr) {
            link_after(lst, visited, element);
            return;
        }
        before = visited;
        visited = next;
    }
    link_after(lst, before, element);
}

ZUC_EXPORT void *List_removeAfter(List *lst, void *predecessor) {
    const unsigned int link = lst->linkOffset;
    void *removed = predecessor == nullptr ? lst->first : zuc_link_get(predecessor, link);
    if (removed == nullptr) {
        return nullptr;
    }
    void *successor = zuc_link_get(removed, link);
    if (predecessor == nullptr) {
        lst->first = successor;
    } else {
        zuc_link_set(predecessor, link, successor);
    }
    // An iteration under way carries on with the successor, never with an
    // element that has left the list.
    if (lst->cursor == removed) {
        lst->cursor = successor;
    }
    // Only the last element has no successor: no need to read last.
    if (successor == nullptr) {
        lst->last = predecessor;
    }
    zuc_link_set(removed, link, nullptr);
    --lst->count;
    return removed;
}

ZUC_EXPORT void *List_removeFirst(List *lst) {
    return List_removeAfter(lst, nullptr);
}

ZUC_EXPORT void *List_removeLast(List *lst) {
    if (lst->count == 1) {
        return List_removeAfter(lst, nullptr);
    }
    // Without back links the second-to-last element is found by counting;
    // an empty list leaves predecessor null and the removal finds nothing.
    void *predecessor = lst->first;
    for (unsigned int steps = 2; steps < lst->count; ++steps) {
        predecessor = next_of(lst, predecessor);
    }
    return List_removeAfter(lst, predecessor);
}

ZUC_EXPORT void *List_getFirst(const List *lst) {
    return lst->first;
}

ZUC_EXPORT void *List_getLast(const List *lst) {
    return lst->last;
}

ZUC_EXPORT void List_startIterate(List *lst) {
    lst->cursor = lst->first;
}

ZUC_EXPORT void *List_getNext(List *lst) {
    void *element = lst->cursor;
    if (element != nullptr) {
        lst->cursor = next_of(lst, element);
    }
    return element;
}

ZUC_EXPORT void *List_getNextElem(const List *lst, void *element) {
    return element == nullptr ? nullptr : next_of(lst, element);
}

ZUC_EXPORT int List_hasMoreElements(const List *lst) {
    return lst->cursor != nullptr ? 1 : 0;
}

ZUC_EXPORT void List_freeElements(List *lst) {
    // The cursor steps past each element before it is freed, so no link is
    // read from a released block.
    List_startIterate(lst);
    while (lst->cursor != nullptr) {
        free(List_getNext(lst));
    }
    lst->count = 0;
    lst->first = nullptr;
    lst->last = nullptr;
}

ZUC_EXPORT void List_push(List *lst, void *element) {
    List_insertFirst(lst, element);
}

ZUC_EXPORT void *List_pop(List *lst) {
    return List_removeFirst(lst);
}

ZUC_EXPORT void *List_peek(const List *lst) {
    return List_getFirst(lst);
}

ZUC_EXPORT void List_sortList(List *lst) {
    // The elements before the cursor form a sorted prefix ending at tail. An
    // element that orders before tail is taken out and put back by sorted
    // insertion, which lands inside the prefix; tail's successor is then the
    // cursor's element again.
    List_startIterate(lst);
    void *tail = List_getNext(lst);
    if (tail == nullptr) {
        return;
    }
    while (lst->cursor != nullptr) {
        void *element = List_getNext(lst);
        if (lst->compare(tail, element) <= 0) {
            tail = element;
        } else {
            List_removeAfter(lst, tail);
            List_insertSorted(lst, element);
        }
    }
}

ZUC_EXPORT unsigned int List_getCount(const List *lst) {
    return lst->count;
}

ZUC_EXPORT int List_isEmpty(const List *lst) {
    return lst->count == 0 ? 1 : 0;
}

ZUC_EXPORT void List_mergeLists(List *lst, List *other) {
    // other's cursor moves past each element before its link is rewritten.
    List_startIterate(other);
    while (other->cursor != nullptr) {
        List_insertSorted(lst, List_getNext(other));
    }
}

ZUC_EXPORT void List_appendList(List *lst, const List *other) {
    if (other->first == nullptr) {
        return;
    }
    if (lst->last == nullptr) {
        lst->first = other->first;
    } else {
        set_next(lst, lst->last, other->first);
    }
    lst->last = other->last;
    lst->count += other->count;
}

ZUC_EXPORT int List_compareItems(const List *lst, const void *first, const void *second) {
    return lst->compare(first, second);
}
