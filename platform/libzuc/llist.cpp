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
    // idx is below the size, so the walk never runs off the end.
    list_iterator i = list_first(lst);
    for (unsigned int position = 0; position < idx; ++position) {
        i = list_next(i);
    }
    return list_get(i);
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

// ---- Traversal, search and sort ----
// These read the records directly; none allocates, releases or relinks.

ZUC_EXPORT list_node *list_find_data(const list *lst, const void *data) {
    ZUC_CHECK(lst);
    list_node *node = lst->head;
    while (node != nullptr && node->data != data) {
        node = node->next;
    }
    return node;
}

ZUC_EXPORT list_node *list_find(const list *lst, const void *key, list_cmp_fn cmp) {
    ZUC_CHECK(lst);
    ZUC_CHECK(cmp);
    list_node *node = lst->head;
    while (node != nullptr && cmp(key, node->data) != 0) {
        node = node->next;
    }
    return node;
}

ZUC_EXPORT int list_foreach(const list *lst, void *ctx, list_walk_fn f) {
    ZUC_CHECK(lst != NULL);
    ZUC_CHECK(f != NULL);
    // The link is read after the callback, which may add nodes behind it.
    for (const list_node *node = lst->head; node != nullptr; node = node->next) {
        if (f(ctx, node->data) == 0) {
            return 0;
        }
    }
    return 1;
}

ZUC_EXPORT int list_dual_foreach(const list *lst, void *ctx1, void *ctx2, list_dual_walk_fn f) {
    if (lst == nullptr || f == nullptr) {
        return 1;
    }
    for (const list_node *node = lst->head; node != nullptr; node = node->next) {
        if (f(ctx1, ctx2, node->data) == 0) {
            return 0;
        }
    }
    return 1;
}

ZUC_EXPORT int list_foreach_reversed(const list *lst, void *ctx, list_walk_fn f) {
    if (lst == nullptr || f == nullptr) {
        return 1;
    }
    for (const list_node *node = lst->tail; node != nullptr; node = node->prev) {
        if (f(ctx, node->data) == 0) {
            return 0;
        }
    }
    return 1;
}

ZUC_EXPORT int list_foreach_sep(const list *lst, void *ctx, list_walk_fn f, list_sep_fn sep) {
    if (lst == nullptr || lst->head == nullptr) {
        return 1;
    }
    const list_node *node = lst->head;
    for (;;) {
        if (f != nullptr && f(ctx, node->data) == 0) {
            return 0;
        }
        if (node == lst->tail) {
            return 1;
        }
        // The separator is told which node comes next, and that node is the one
        // the walk moves to.
        list_node *next = node->next;
        if (sep != nullptr && sep(ctx, next) == 0) {
            return 0;
        }
        node = next;
    }
}

ZUC_EXPORT unsigned int list_count(const list *lst, list_pred_fn pred, void *ctx) {
    unsigned int count = 0;
    if (lst != nullptr) {
        for (const list_node *node = lst->head; node != nullptr; node = node->next) {
            if (pred == nullptr || pred(node->data, ctx) != 0) {
                ++count;
            }
        }
    }
    return count;
}

// Exchange sort over whole passes. Callers count on its exact comparisons (n - 1
// per pass, one pass for a sorted list) and on its stability, and handles keep
// their nodes because only element pointers move.
ZUC_EXPORT void list_sort(list *lst, list_order_fn func) {
    ZUC_CHECK(lst != NULL);
    ZUC_CHECK(func != NULL);
    if (lst->head == nullptr) {
        return;
    }
    bool sorted;
    do {
        sorted = true;
        for (list_node *node = lst->head; node->next != nullptr; node = node->next) {
            list_node *later = node->next;
            if (func(node->data, later->data) > 0) {
                void *moved = node->data;
                node->data = later->data;
                later->data = moved;
                sorted = false;
            }
        }
    } while (!sorted);
}

// ---- Derived lists ----
// Built only from list_new, list_add, list_free and the iteration handles, so
// a derived list is an ordinary list in every respect but its flag.

namespace {

// What a derived list does with one element of its source.
struct Derivation {
    enum Action { Skip, Append, Fail } action;
    void *value; // the pointer to append
};

} // namespace

// Makes a list with src's allocator pair and fills it from src, head to tail,
// as pick decides per element. On a failed pick or append the new list is
// freed with free_data, and a value that could not be appended goes to
// free_data last, so nothing the walk made is left behind.
template <typename Pick>
static list *derive(const list *src, list_free_data_fn free_data, Pick pick) {
    list *out = list_new(src->alloc_fn, src->free_fn);
    if (out == nullptr) {
        return nullptr;
    }
    for (list_iterator i = list_first(src); !list_end(i); i = list_next(i)) {
        const Derivation d = pick(list_get(i));
        if (d.action == Derivation::Skip) {
            continue;
        }
        if (d.action == Derivation::Fail || list_add(out, d.value) == nullptr) {
            list_free(out, free_data);
            if (d.action == Derivation::Append && free_data != nullptr) {
                free_data(d.value);
            }
            return nullptr;
        }
    }
    return out;
}

// The flag goes on only once the list is full: filling it used list_add.
static list *as_sublist(list *lst) {
    if (lst != nullptr) {
        lst->is_sublist = 1;
    }
    return lst;
}

// Keeps the elements for which include_node's verdict, tested against 0,
// equals keep_nonzero.
static list *filtered(const list *lst, list_pred_fn include_node, void *ctx, bool keep_nonzero) {
    return as_sublist(derive(lst, nullptr, [&](void *element) {
        const bool keep = (include_node(element, ctx) != 0) == keep_nonzero;
        return Derivation{keep ? Derivation::Append : Derivation::Skip, element};
    }));
}

ZUC_EXPORT list *sublist_create(const list *lst, list_pred_fn include_node, void *ctx) {
    ZUC_CHECK(lst != NULL);
    ZUC_CHECK(include_node != NULL);
    return filtered(lst, include_node, ctx, true);
}

ZUC_EXPORT list *sublist_create_neg(const list *lst, list_pred_fn include_node, void *ctx) {
    ZUC_CHECK(lst != NULL);
    ZUC_CHECK(include_node != NULL);
    return filtered(lst, include_node, ctx, false);
}

ZUC_EXPORT list *sublist_copy(const list *lst) {
    if (lst == nullptr) {
        return nullptr;
    }
    return as_sublist(derive(lst, nullptr, [](void *element) {
        return Derivation{Derivation::Append, element};
    }));
}

ZUC_EXPORT list *sublist_adaptor(const list *lst, list_adaptor_fn adaptor) {
    if (lst == nullptr || adaptor == nullptr) {
        return nullptr;
    }
    return as_sublist(derive(lst, nullptr, [adaptor](void *element) {
        return Derivation{Derivation::Append, adaptor(element)};
    }));
}

ZUC_EXPORT list *list_copy(const list *lst, list_copier_fn copier, list_free_data_fn free_data) {
    ZUC_CHECK(lst != NULL);
    ZUC_CHECK(copier != NULL);
    return derive(lst, free_data, [copier](void *element) {
        void *copy = copier(element);
        return Derivation{copy != nullptr ? Derivation::Append : Derivation::Fail, copy};
    });
}

ZUC_EXPORT list *list_merge(list *dest, list *src) {
    ZUC_CHECK(src != NULL);
    ZUC_CHECK(dest != NULL);
    // Copy the pointers into new nodes of dest; on failure src is still whole
    // and the caller's, so its nodes cannot have been moved.
    for (list_iterator i = list_first(src); !list_end(i); i = list_next(i)) {
        if (list_add(dest, list_get(i)) == nullptr) {
            return nullptr;
        }
    }
    list_free(src, nullptr);
    return dest;
}
