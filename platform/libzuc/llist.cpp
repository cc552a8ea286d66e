// Generic doubly linked list of opaque element pointers.
#include <libzuc/llist.h>

#include <stdint.h>
#include <stdlib.h>

#define ZUC_MODULE "platform/libzuc/llist"
#include "zuc_check.h"
#include "zuc_export.h"

// Callers build and read these records directly, so their layout is fixed:
// fields in declaration order, pointer-sized slots, the flag last.
static_assert(offsetof(list, tail) == sizeof(void *));
static_assert(offsetof(list, alloc_fn) == 2 * sizeof(void *));
static_assert(offsetof(list, free_fn) == 3 * sizeof(void *));
static_assert(offsetof(list, is_sublist) == 4 * sizeof(void *));
static_assert(offsetof(list_node, prev) == sizeof(void *));
static_assert(offsetof(list_node, data) == 2 * sizeof(void *));
#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(list) == 20, "four pointers and the 8-bit flag, padded");
static_assert(sizeof(list_node) == 12, "three pointers");
static_assert(sizeof(list_iterator) == 4, "one pointer");
#endif

// Makes a node for data from lst's allocator; the caller links it in.
static list_node *new_node(list *lst, void *data) {
    auto *node = static_cast<list_node *>(lst->alloc_fn(sizeof(list_node)));
    if (node != nullptr) {
        node->data = data;
    }
    return node;
}

ZUC_EXPORT list *list_new(list_alloc_fn alloc_fn, list_free_fn free_fn) {
    if (alloc_fn == nullptr) {
        alloc_fn = malloc;
    }
    if (free_fn == nullptr) {
        free_fn = free;
    }
    auto *lst = static_cast<list *>(alloc_fn(sizeof(list)));
    if (lst == nullptr) {
        return nullptr;
    }
    lst->head = nullptr;
    lst->tail = nullptr;
    lst->alloc_fn = alloc_fn;
    lst->free_fn = free_fn;
    lst->is_sublist = 0;
    return lst;
}

ZUC_EXPORT void list_free(list *lst, list_free_data_fn free_data) {
    if (lst == nullptr) {
        return;
    }
    list_clear(lst, free_data);
    lst->free_fn(lst);
}

ZUC_EXPORT void list_clear(list *lst, list_free_data_fn free_data) {
    ZUC_CHECK(lst != NULL);
    // Every element is released before the first node goes, so the callback
    // always sees a whole list.
    if (!lst->is_sublist && free_data != nullptr) {
        for (list_node *node = lst->head; node != nullptr; node = node->next) {
            free_data(node->data);
        }
    }
    list_node *node = lst->head;
    while (node != nullptr) {
        list_node *next = node->next;
        lst->free_fn(node);
        node = next;
    }
    lst->head = nullptr;
    lst->tail = nullptr;
}

ZUC_EXPORT list *list_add(list *lst, void *data) {
    ZUC_CHECK(lst != NULL);
    ZUC_CHECK(!lst->is_sublist);
    list_node *node = new_node(lst, data);
    if (node == nullptr) {
        return nullptr;
    }
    node->next = nullptr;
    node->prev = lst->tail;
    if (lst->tail != nullptr) {
        lst->tail->next = node;
    } else {
        lst->head = node;
    }
    lst->tail = node;
    return lst;
}

ZUC_EXPORT list *list_insert(list *lst, void *data) {
    ZUC_CHECK(lst != NULL);
    ZUC_CHECK(!lst->is_sublist);
    list_node *node = new_node(lst, data);
    if (node == nullptr) {
        return nullptr;
    }
    node->next = lst->head;
    node->prev = nullptr;
    if (lst->head != nullptr) {
        lst->head->prev = node;
    }
    lst->head = node;
    if (lst->tail == nullptr) {
        lst->tail = node;
    }
    return lst;
}

ZUC_EXPORT list_node *list_remove_node(list *lst, list_node *node) {
    ZUC_CHECK(lst != NULL);
    ZUC_CHECK(node != NULL);
    if (node == lst->tail) {
        lst->tail = node->prev;
    }
    if (node->next != nullptr) {
        node->next->prev = node->prev;
    }
    if (node->prev != nullptr) {
        node->prev->next = node->next;
    } else {
        lst->head = node->next;
    }
    list_node *next = node->next;
    lst->free_fn(node);
    return next;
}

ZUC_EXPORT list_node *list_delete(list *lst, list_node *node, list_free_data_fn free_data) {
    ZUC_CHECK(lst != NULL);
    ZUC_CHECK(!lst->is_sublist);
    ZUC_CHECK(node != NULL);
    if (free_data != nullptr) {
        free_data(node->data);
    }
    return list_remove_node(lst, node);
}

ZUC_EXPORT list_iterator list_first(const list *lst) {
    ZUC_CHECK(lst != NULL);
    return list_iterator{lst->head};
}

ZUC_EXPORT list_iterator list_last(const list *lst) {
    ZUC_CHECK(lst != NULL);
    return list_iterator{lst->tail};
}

ZUC_EXPORT int list_end(list_iterator i) {
    return i.node == nullptr ? 1 : 0;
}

ZUC_EXPORT void *list_get(list_iterator i) {
    ZUC_CHECK(i.node != NULL);
    return i.node->data;
}

// Stepping from the end stays at the end rather than dereferencing null.
ZUC_EXPORT list_iterator list_next(list_iterator i) {
    return list_iterator{i.node != nullptr ? i.node->next : nullptr};
}

ZUC_EXPORT list_iterator list_prev(list_iterator i) {
    return list_iterator{i.node != nullptr ? i.node->prev : nullptr};
}

ZUC_EXPORT int list_empty(const list *lst) {
    return lst == nullptr || lst->head == nullptr ? 1 : 0;
}

ZUC_EXPORT unsigned int list_size(const list *lst) {
    unsigned int count = 0;
    if (lst != nullptr) {
        for (const list_node *node = lst->head; node != nullptr; node = node->next) {
            ++count;
        }
    }
    return count;
}

ZUC_EXPORT void *list_at(const list *lst, unsigned int idx) {
    ZUC_CHECK(lst != NULL);
    ZUC_CHECK(idx < list_size(lst));
    unsigned int position = 0;
    for (list_iterator i = list_first(lst); !list_end(i); i = list_next(i)) {
        if (position == idx) {
            return list_get(i);
        }
        ++position;
    }
    return nullptr; // not reached: idx was checked against the size
}

ZUC_EXPORT void *list_get_item(const list *lst, unsigned int index) {
    ZUC_CHECK(lst != NULL);
    ZUC_CHECK(index < list_size(lst));
    const list_node *node = lst->head;
    for (unsigned int step = 0; step < index; ++step) {
        node = node->next;
    }
    return node->data;
}
