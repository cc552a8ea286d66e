// Generic list: libzuc's list beside std::list<void *>, glib's GQueue and
// GList, and an out-of-line hand-written list of the same shape.
#include <libzuc/llist.h>

#include <glib.h>

#include <cstdint>
#include <cstdlib>
#include <list>

#include "bench.h"

namespace {

using zuc_bench::set_ops;

constexpr int kLength = 1000;

// Elements are pointers whose integer values are the keys, so no element
// memory is touched and every implementation compares the same way.
void *element(unsigned int i) {
    return reinterpret_cast<void *>(uintptr_t{i} + 1);
}
uintptr_t key_of(const void *e) {
    return reinterpret_cast<uintptr_t>(e);
}

// list_find's callback: 0 when the element matches the key.
int match(const void *key, const void *e) {
    return key_of(key) == key_of(e) ? 0 : 1;
}
// list_sort's callback: positive when the two are out of order.
int out_of_order(const void *earlier, const void *later) {
    return key_of(earlier) > key_of(later) ? 1 : 0;
}
// glib's three-way comparison over the same keys.
gint g_order(gconstpointer a, gconstpointer b) {
    return key_of(a) < key_of(b) ? -1 : key_of(a) > key_of(b) ? 1 : 0;
}
gint g_order_data(gconstpointer a, gconstpointer b, gpointer) {
    return g_order(a, b);
}
gint g_match(gconstpointer e, gconstpointer key) {
    return match(key, e);
}

// The values a sort starts from: ascending, or shuffled.
std::vector<void *> start_values(unsigned int n, bool sorted) {
    std::vector<void *> values;
    for (unsigned int i = 0; i < n; ++i) {
        values.push_back(element(i));
    }
    if (!sorted) {
        std::shuffle(values.begin(), values.end(), zuc_bench::rng());
    }
    return values;
}

// ---- The out-of-line baseline: a plain C list with the same API shape.

struct BaseNode {
    BaseNode *next, *prev;
    void *data;
};
struct BaseList {
    BaseNode *head, *tail;
};

ZUC_OUT_OF_LINE BaseList *base_new() {
    return static_cast<BaseList *>(calloc(1, sizeof(BaseList)));
}
ZUC_OUT_OF_LINE bool base_add(BaseList *l, void *data) {
    auto *node = static_cast<BaseNode *>(malloc(sizeof(BaseNode)));
    if (node == nullptr) {
        return false;
    }
    node->data = data;
    node->next = nullptr;
    node->prev = l->tail;
    if (l->tail != nullptr) {
        l->tail->next = node;
    } else {
        l->head = node;
    }
    l->tail = node;
    return true;
}
ZUC_OUT_OF_LINE BaseNode *base_first(const BaseList *l) {
    return l->head;
}
ZUC_OUT_OF_LINE BaseNode *base_next(const BaseNode *n) {
    return n->next;
}
ZUC_OUT_OF_LINE void *base_get(const BaseNode *n) {
    return n->data;
}
ZUC_OUT_OF_LINE void base_free(BaseList *l) {
    for (BaseNode *n = l->head; n != nullptr;) {
        BaseNode *next = n->next;
        free(n);
        n = next;
    }
    free(l);
}
ZUC_OUT_OF_LINE BaseNode *base_find(const BaseList *l, const void *key, list_cmp_fn cmp) {
    BaseNode *n = l->head;
    while (n != nullptr && cmp(key, n->data) != 0) {
        n = n->next;
    }
    return n;
}
ZUC_OUT_OF_LINE void base_sort(BaseList *l, list_order_fn func) {
    if (l->head == nullptr) {
        return;
    }
    bool sorted;
    do {
        sorted = true;
        for (BaseNode *n = l->head; n->next != nullptr; n = n->next) {
            if (func(n->data, n->next->data) > 0) {
                std::swap(n->data, n->next->data);
                sorted = false;
            }
        }
    } while (!sorted);
}

// ---- Append n elements, walk them, free the list.

void AppendWalkFree_libzuc(benchmark::State &state) {
    zuc_bench::fresh_heap();
    const auto n = static_cast<unsigned int>(state.range(0));
    for (auto _ : state) {
        list *lst = list_new(nullptr, nullptr);
        for (unsigned int i = 0; i < n; ++i) {
            list_add(lst, element(i));
        }
        uintptr_t sum = 0;
        for (list_iterator i = list_first(lst); !list_end(i); i = list_next(i)) {
            sum += key_of(list_get(i));
        }
        benchmark::DoNotOptimize(sum);
        list_free(lst, nullptr);
    }
    set_ops(state, n);
}

// The same with the walk done by list_foreach: one callback call per element
// instead of three calls into the library.
int add_key(void *sum, void *e) {
    *static_cast<uintptr_t *>(sum) += key_of(e);
    return 1;
}

void AppendWalkFree_libzuc_foreach(benchmark::State &state) {
    zuc_bench::fresh_heap();
    const auto n = static_cast<unsigned int>(state.range(0));
    for (auto _ : state) {
        list *lst = list_new(nullptr, nullptr);
        for (unsigned int i = 0; i < n; ++i) {
            list_add(lst, element(i));
        }
        uintptr_t sum = 0;
        list_foreach(lst, &sum, add_key);
        benchmark::DoNotOptimize(sum);
        list_free(lst, nullptr);
    }
    set_ops(state, n);
}

void AppendWalkFree_baseline(benchmark::State &state) {
    zuc_bench::fresh_heap();
    const auto n = static_cast<unsigned int>(state.range(0));
    for (auto _ : state) {
        BaseList *l = base_new();
        for (unsigned int i = 0; i < n; ++i) {
            base_add(l, element(i));
        }
        uintptr_t sum = 0;
        for (BaseNode *node = base_first(l); node != nullptr; node = base_next(node)) {
            sum += key_of(base_get(node));
        }
        benchmark::DoNotOptimize(sum);
        base_free(l);
    }
    set_ops(state, n);
}

void AppendWalkFree_std_list(benchmark::State &state) {
    zuc_bench::fresh_heap();
    const auto n = static_cast<unsigned int>(state.range(0));
    for (auto _ : state) {
        std::list<void *> l;
        for (unsigned int i = 0; i < n; ++i) {
            l.push_back(element(i));
        }
        uintptr_t sum = 0;
        for (void *e : l) {
            sum += key_of(e);
        }
        benchmark::DoNotOptimize(sum);
    }
    set_ops(state, n);
}

void AppendWalkFree_GQueue(benchmark::State &state) {
    zuc_bench::fresh_heap();
    const auto n = static_cast<unsigned int>(state.range(0));
    for (auto _ : state) {
        GQueue *q = g_queue_new();
        for (unsigned int i = 0; i < n; ++i) {
            g_queue_push_tail(q, element(i));
        }
        uintptr_t sum = 0;
        for (GList *l = q->head; l != nullptr; l = l->next) {
            sum += key_of(l->data);
        }
        benchmark::DoNotOptimize(sum);
        g_queue_free(q);
    }
    set_ops(state, n);
}

// GList has no tail pointer: appending is prepending, then one reversal.
void AppendWalkFree_GList(benchmark::State &state) {
    zuc_bench::fresh_heap();
    const auto n = static_cast<unsigned int>(state.range(0));
    for (auto _ : state) {
        GList *list = nullptr;
        for (unsigned int i = 0; i < n; ++i) {
            list = g_list_prepend(list, element(i));
        }
        list = g_list_reverse(list);
        uintptr_t sum = 0;
        for (GList *l = list; l != nullptr; l = l->next) {
            sum += key_of(l->data);
        }
        benchmark::DoNotOptimize(sum);
        g_list_free(list);
    }
    set_ops(state, n);
}

// ---- Find the last element with a comparison callback.

void Find_libzuc(benchmark::State &state) {
    const auto n = static_cast<unsigned int>(state.range(0));
    list *lst = list_new(nullptr, nullptr);
    for (unsigned int i = 0; i < n; ++i) {
        list_add(lst, element(i));
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(list_find(lst, element(n - 1), match));
    }
    list_free(lst, nullptr);
    set_ops(state, n);
}

void Find_baseline(benchmark::State &state) {
    const auto n = static_cast<unsigned int>(state.range(0));
    BaseList *l = base_new();
    for (unsigned int i = 0; i < n; ++i) {
        base_add(l, element(i));
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(base_find(l, element(n - 1), match));
    }
    base_free(l);
    set_ops(state, n);
}

void Find_std_list(benchmark::State &state) {
    const auto n = static_cast<unsigned int>(state.range(0));
    std::list<void *> l;
    for (unsigned int i = 0; i < n; ++i) {
        l.push_back(element(i));
    }
    for (auto _ : state) {
        const void *key = element(n - 1);
        benchmark::DoNotOptimize(
            std::find_if(l.begin(), l.end(), [key](void *e) { return match(key, e) == 0; }));
    }
    set_ops(state, n);
}

void Find_GQueue(benchmark::State &state) {
    const auto n = static_cast<unsigned int>(state.range(0));
    GQueue *q = g_queue_new();
    for (unsigned int i = 0; i < n; ++i) {
        g_queue_push_tail(q, element(i));
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(g_queue_find_custom(q, element(n - 1), g_match));
    }
    g_queue_free(q);
    set_ops(state, n);
}

// ---- Sort n elements, ascending or shuffled. Each round first writes the
// start values back (O(n), the same for everyone).

template <bool Sorted>
void Sort_libzuc(benchmark::State &state) {
    const auto n = static_cast<unsigned int>(state.range(0));
    const std::vector<void *> values = start_values(n, Sorted);
    list *lst = list_new(nullptr, nullptr);
    for (void *v : values) {
        list_add(lst, v);
    }
    for (auto _ : state) {
        zuc_bench::write_values(lst->head, values);
        list_sort(lst, out_of_order);
    }
    list_free(lst, nullptr);
    set_ops(state, n);
}

template <bool Sorted>
void Sort_baseline(benchmark::State &state) {
    const auto n = static_cast<unsigned int>(state.range(0));
    const std::vector<void *> values = start_values(n, Sorted);
    BaseList *l = base_new();
    for (void *v : values) {
        base_add(l, v);
    }
    for (auto _ : state) {
        zuc_bench::write_values(l->head, values);
        base_sort(l, out_of_order);
    }
    base_free(l);
    set_ops(state, n);
}

template <bool Sorted>
void Sort_std_list(benchmark::State &state) {
    const auto n = static_cast<unsigned int>(state.range(0));
    const std::vector<void *> values = start_values(n, Sorted);
    std::list<void *> l(values.begin(), values.end());
    for (auto _ : state) {
        std::copy(values.begin(), values.end(), l.begin());
        l.sort([](void *a, void *b) { return key_of(a) < key_of(b); });
    }
    set_ops(state, n);
}

template <bool Sorted>
void Sort_GQueue(benchmark::State &state) {
    const auto n = static_cast<unsigned int>(state.range(0));
    const std::vector<void *> values = start_values(n, Sorted);
    GQueue *q = g_queue_new();
    for (void *v : values) {
        g_queue_push_tail(q, v);
    }
    for (auto _ : state) {
        zuc_bench::write_values(q->head, values);
        g_queue_sort(q, g_order_data, nullptr);
    }
    g_queue_free(q);
    set_ops(state, n);
}

} // namespace

BENCHMARK(AppendWalkFree_libzuc)->Name("list/append_walk_free/libzuc")->Arg(kLength);
BENCHMARK(AppendWalkFree_libzuc_foreach)
    ->Name("list/append_walk_free/libzuc_foreach")
    ->Arg(kLength);
BENCHMARK(AppendWalkFree_baseline)->Name("list/append_walk_free/baseline")->Arg(kLength);
BENCHMARK(AppendWalkFree_std_list)->Name("list/append_walk_free/std::list")->Arg(kLength);
BENCHMARK(AppendWalkFree_GQueue)->Name("list/append_walk_free/GQueue")->Arg(kLength);
BENCHMARK(AppendWalkFree_GList)->Name("list/append_walk_free/GList")->Arg(kLength);

BENCHMARK(Find_libzuc)->Name("list/find/libzuc")->Arg(kLength);
BENCHMARK(Find_baseline)->Name("list/find/baseline")->Arg(kLength);
BENCHMARK(Find_std_list)->Name("list/find/std::list")->Arg(kLength);
BENCHMARK(Find_GQueue)->Name("list/find/GQueue")->Arg(kLength);

BENCHMARK(Sort_libzuc<true>)->Name("list/sort_sorted/libzuc")->Arg(kLength);
BENCHMARK(Sort_baseline<true>)->Name("list/sort_sorted/baseline")->Arg(kLength);
BENCHMARK(Sort_std_list<true>)->Name("list/sort_sorted/std::list")->Arg(kLength);
BENCHMARK(Sort_GQueue<true>)->Name("list/sort_sorted/GQueue")->Arg(kLength);
BENCHMARK(Sort_libzuc<false>)->Name("list/sort_shuffled/libzuc")->Arg(kLength);
BENCHMARK(Sort_baseline<false>)->Name("list/sort_shuffled/baseline")->Arg(kLength);
BENCHMARK(Sort_std_list<false>)->Name("list/sort_shuffled/std::list")->Arg(kLength);
BENCHMARK(Sort_GQueue<false>)->Name("list/sort_shuffled/GQueue")->Arg(kLength);

BENCHMARK_MAIN();
