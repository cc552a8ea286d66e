// Differential fuzzing of the generic list: the core operations and the
// iteration handles, search, the walks with callbacks, counting, sorting, the
// derived lists and merging, on up to four lists at once, each modelled as a
// vector of element values.
//
// A list is made with one of three allocator pairs: the default one (malloc
// and free), or one of two counting pairs that log every call, accept back
// only the blocks they handed out, and refuse the n-th allocation of an
// operation when the input asks for it. So every request, every release (and
// its order relative to the element release callbacks) and every failure path
// is compared with the model, and at the end nothing may be left allocated.
#include <libzuc/llist.h>

#include "fuzz.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <unordered_set>
#include <vector>

namespace {

using zuc_fuzz::Call;
using zuc_fuzz::Calls;
using zuc_fuzz::fake;
using zuc_fuzz::Input;
using zuc_fuzz::num;

constexpr unsigned slot_count = 4;
constexpr std::size_t max_items = 40;

// Everything the library called during the current operation.
Calls calls;

// ---- Allocator pairs ----

std::unordered_set<void *> live[3]; // blocks handed out by pairs 1 and 2
std::vector<void *> made;           // blocks allocated during the operation
unsigned alloc_calls;               // allocation calls of the operation
unsigned fail_at;                   // the allocation call to refuse, 0 for none

// A released block shows in the log as new_block | n when it is the n-th
// block allocated during the same operation, else by its address (a node
// that existed before, which the model knows from its walk).
constexpr std::uintptr_t new_block = ~(~std::uintptr_t{0} >> 1);

std::uintptr_t block_ref(void *block) {
    for (std::size_t n = made.size(); n-- > 0;) {
        if (made[n] == block) {
            return new_block | n;
        }
    }
    return num(block);
}

void *allocate(unsigned pair, std::size_t size) {
    if (++alloc_calls == fail_at) {
        calls.push_back({'R', pair, size});
        return nullptr;
    }
    void *block = std::malloc(size);
    FUZZ_CHECK(block != nullptr);
    live[pair].insert(block);
    calls.push_back({'A', pair, size, new_block | made.size()});
    made.push_back(block);
    return block;
}

void release(unsigned pair, void *block) {
    FUZZ_CHECK(live[pair].erase(block) == 1); // a block of this pair, released once
    calls.push_back({'F', pair, block_ref(block)});
    std::free(block);
}

void *alloc1(std::size_t size) {
    return allocate(1, size);
}
void *alloc2(std::size_t size) {
    return allocate(2, size);
}
void free1(void *block) {
    release(1, block);
}
void free2(void *block) {
    release(2, block);
}
const list_alloc_fn pair_alloc[3] = {nullptr, alloc1, alloc2};
const list_free_fn pair_free[3] = {nullptr, free1, free2};

// ---- The model ----

struct Slot {
    list *lst = nullptr;
    std::vector<std::uintptr_t> items;
    bool sublist = false;
    unsigned pair = 0;
};
Slot slots[slot_count];

// The calls the model expects during one operation.
struct Expected {
    Calls calls;
    unsigned alloc_calls = 0;
    std::size_t made = 0;

    // One allocation request to pair; false when it is the one refused. The
    // default pair is not observed and never refuses.
    bool alloc(unsigned pair, std::size_t size) {
        if (pair == 0) {
            return true;
        }
        if (++alloc_calls == fail_at) {
            calls.push_back({'R', pair, size});
            return false;
        }
        calls.push_back({'A', pair, size, new_block | made++});
        return true;
    }
    // The reference of the block allocated last (meaningless for pair 0,
    // whose calls are not logged).
    std::uintptr_t last_made() const { return made == 0 ? 0 : new_block | (made - 1); }
    void release(unsigned pair, std::uintptr_t ref) {
        if (pair != 0) {
            calls.push_back({'F', pair, ref});
        }
    }
    void call(char kind, std::uintptr_t a, std::uintptr_t b = 0, std::uintptr_t c = 0) {
        calls.push_back({kind, a, b, c});
    }
};

// ---- Elements and callbacks ----

std::uintptr_t element(Input &in) {
    const unsigned v = in.byte();
    return v == 0 ? 0 : 0x10000 + v * 16u; // a null element now and then
}

void *context(Input &in) {
    const unsigned v = in.byte();
    return (v & 1) != 0 ? fake(0xC0000 + v * 16u) : nullptr;
}

// The sort and search key of an element; many elements share one.
unsigned key_of(std::uintptr_t e) {
    return (e >> 4) & 7;
}

// How the callbacks behave in the current operation.
struct Behaviour {
    unsigned keep_keys;   // predicates accept the elements with these keys
    unsigned stop_at;     // the walk callback's visit that returns 0 (0: none)
    unsigned sep_stop_at; // the separator's call that returns 0 (0: none)
    int go_on;            // what the walk callbacks return otherwise
    unsigned visits, sep_visits;
    // At visit change_at, the walk callback changes the list it walks: it
    // appends change_value, or with remove_next releases the node after the
    // one it was handed.
    Slot *walked;
    unsigned change_at;
    bool remove_next;
    std::uintptr_t change_value;
    unsigned copy_fail_at; // the copier call that returns null (0: none)
    unsigned copier_calls;
    unsigned op_serial; // makes every copy's value unique in the input
} cb;

bool keeps(std::uintptr_t e) {
    return ((cb.keep_keys >> key_of(e)) & 1) != 0;
}
std::uintptr_t adapted(std::uintptr_t e) {
    return key_of(e) == 0 ? 0 : e ^ 0x200000;
}
std::uintptr_t copy_value(unsigned call) {
    return call == cb.copy_fail_at ? 0 : 0x800000 + (cb.op_serial * 64u + call) * 16u;
}
// Sorting order: by key, with results of several magnitudes, as only the
// sign may count.
int order_value(std::uintptr_t earlier, std::uintptr_t later) {
    const int a = static_cast<int>(key_of(earlier));
    const int b = static_cast<int>(key_of(later));
    return a > b ? (a - b) * 1000 : a < b ? INT_MIN + a : 0;
}

void free_data(void *e) {
    calls.push_back({'D', num(e)});
}
int pred(void *e, void *ctx) {
    calls.push_back({'P', num(e), num(ctx)});
    return keeps(num(e)) ? (key_of(num(e)) % 2 != 0 ? -3 : 9) : 0;
}
void *adaptor(void *e) {
    calls.push_back({'M', num(e)});
    return fake(adapted(num(e)));
}
void *copier(void *e) {
    calls.push_back({'C', num(e)});
    return fake(copy_value(++cb.copier_calls));
}
int cmp(const void *key, const void *e) {
    calls.push_back({'K', num(key), num(e)});
    return key_of(num(key)) == key_of(num(e)) ? 0 : key_of(num(e)) % 2 != 0 ? -1 : INT_MIN;
}
int walk_result() {
    ++cb.visits;
    // A callback may add nodes, or release nodes other than its own: the walk
    // reads the link to the next node after the callback returns, so it visits
    // a new tail and skips a released successor.
    if (cb.visits == cb.change_at && cb.remove_next) {
        list_iterator i = list_first(cb.walked->lst);
        for (unsigned n = 0; n < cb.visits; ++n) {
            i = list_next(i);
        }
        if (!list_end(i)) {
            list_remove_node(cb.walked->lst, i.node);
        }
    } else if (cb.visits == cb.change_at) {
        FUZZ_EQ(list_add(cb.walked->lst, fake(cb.change_value)), cb.walked->lst);
    }
    return cb.visits == cb.stop_at ? 0 : cb.go_on;
}
int walk(void *ctx, void *e) {
    calls.push_back({'W', num(ctx), num(e)});
    return walk_result();
}
int dual(void *ctx1, void *ctx2, void *e) {
    calls.push_back({'2', num(ctx1), num(ctx2), num(e)});
    return walk_result();
}
int sep(void *ctx, list_node *next) {
    calls.push_back({'S', num(ctx), num(next)});
    return ++cb.sep_visits == cb.sep_stop_at ? 0 : cb.go_on;
}
int order(const void *earlier, const void *later) {
    calls.push_back({'O', num(earlier), num(later)});
    return order_value(num(earlier), num(later));
}

void start_walk(Input &in) {
    static const int go_on_values[] = {1, 7, -1, INT_MIN};
    cb.visits = cb.sep_visits = 0;
    cb.change_at = 0;
    cb.stop_at = in.below(max_items + 8);
    cb.sep_stop_at = in.below(max_items + 8);
    cb.go_on = go_on_values[in.below(4)];
}

// ---- Checks ----

// Checks the list's links and contents against the model, in both directions
// and through the iteration handles, and returns its nodes from the head.
std::vector<list_node *> check(const Slot &s) {
    std::vector<list_node *> nodes;
    const list_node *prev = nullptr;
    for (list_node *n = s.lst->head; n != nullptr; n = n->next) {
        FUZZ_CHECK(nodes.size() < s.items.size()); // also ends a cycle
        FUZZ_EQ(n->prev, prev);
        FUZZ_EQ(num(n->data), s.items[nodes.size()]);
        nodes.push_back(n);
        prev = n;
    }
    FUZZ_EQ(nodes.size(), s.items.size());
    FUZZ_EQ(s.lst->tail, prev);
    FUZZ_EQ(s.lst->is_sublist, s.sublist ? 1 : 0);
    FUZZ_CHECK(s.lst->alloc_fn == (s.pair == 0 ? std::malloc : pair_alloc[s.pair]));
    FUZZ_CHECK(s.lst->free_fn == (s.pair == 0 ? std::free : pair_free[s.pair]));
    std::size_t n = 0;
    for (list_iterator i = list_first(s.lst); !list_end(i); i = list_next(i), ++n) {
        FUZZ_CHECK(n < nodes.size());
        FUZZ_EQ(i.node, nodes[n]);
        FUZZ_EQ(num(list_get(i)), s.items[n]);
    }
    FUZZ_EQ(n, nodes.size());
    for (list_iterator i = list_last(s.lst); !list_end(i); i = list_prev(i)) {
        FUZZ_CHECK(n > 0);
        FUZZ_EQ(i.node, nodes[--n]);
    }
    FUZZ_EQ(n, 0u);
    FUZZ_EQ(list_size(s.lst), s.items.size());
    FUZZ_EQ(list_empty(s.lst), s.items.empty() ? 1 : 0);
    return nodes;
}

void check_all() {
    std::size_t blocks[3] = {};
    for (const Slot &s : slots) {
        if (s.lst != nullptr) {
            check(s);
            blocks[s.pair] += 1 + s.items.size(); // the record and one node per element
        }
    }
    FUZZ_EQ(live[1].size(), blocks[1]);
    FUZZ_EQ(live[2].size(), blocks[2]);
}

// ---- Operations ----

void op_new(Slot &s, Input &in, Expected &want) {
    if (s.lst != nullptr) {
        return;
    }
    const unsigned pair = in.below(3);
    const bool ok = want.alloc(pair, sizeof(list));
    list *lst = list_new(pair_alloc[pair], pair_free[pair]);
    if (!ok) {
        FUZZ_EQ(lst, nullptr);
        return;
    }
    FUZZ_CHECK(lst != nullptr);
    s = Slot{lst, {}, false, pair};
}

void op_add(Slot &s, Input &in, Expected &want, bool at_head) {
    if (s.lst == nullptr || s.sublist || s.items.size() >= max_items) {
        return;
    }
    const std::uintptr_t e = element(in);
    const bool ok = want.alloc(s.pair, sizeof(list_node));
    list *result = at_head ? list_insert(s.lst, fake(e)) : list_add(s.lst, fake(e));
    FUZZ_EQ(result, ok ? s.lst : nullptr);
    if (ok) {
        s.items.insert(at_head ? s.items.begin() : s.items.end(), e);
    }
}

void op_remove(Slot &s, Input &in, Expected &want, bool with_delete) {
    if (s.lst == nullptr || s.items.empty() || (with_delete && s.sublist)) {
        return;
    }
    const std::vector<list_node *> nodes = check(s);
    const std::size_t pos = in.below(256) % nodes.size();
    const bool with_free_data = with_delete && in.flag();
    if (with_free_data) {
        want.call('D', s.items[pos]);
    }
    want.release(s.pair, num(nodes[pos]));
    list_node *next = with_delete
                          ? list_delete(s.lst, nodes[pos], with_free_data ? free_data : nullptr)
                          : list_remove_node(s.lst, nodes[pos]);
    FUZZ_EQ(next, pos + 1 < nodes.size() ? nodes[pos + 1] : nullptr);
    s.items.erase(s.items.begin() + static_cast<long>(pos));
}

void op_clear(Slot &s, Input &in, Expected &want, bool and_free) {
    const bool with_free_data = in.flag();
    list_free_data_fn fd = with_free_data ? free_data : nullptr;
    if (s.lst == nullptr) {
        if (and_free) {
            list_free(nullptr, fd); // does nothing
        }
        return;
    }
    // Every element first, then every node, head to tail, then the record.
    if (with_free_data && !s.sublist) {
        for (std::uintptr_t e : s.items) {
            want.call('D', e);
        }
    }
    for (list_node *node : check(s)) {
        want.release(s.pair, num(node));
    }
    if (and_free) {
        want.release(s.pair, num(s.lst));
        list_free(s.lst, fd);
        s = Slot{};
    } else {
        list_clear(s.lst, fd);
        s.items.clear();
    }
}

void op_at(Slot &s, Input &in) {
    if (s.lst == nullptr || s.items.empty()) {
        return;
    }
    const unsigned idx = in.below(static_cast<unsigned>(s.items.size()));
    FUZZ_EQ(num(list_at(s.lst, idx)), s.items[idx]);
    FUZZ_EQ(num(list_get_item(s.lst, idx)), s.items[idx]);
}

void op_find_data(Slot &s, Input &in) {
    if (s.lst == nullptr) {
        return;
    }
    const std::uintptr_t v = in.flag() && !s.items.empty()
                                 ? s.items[in.below(static_cast<unsigned>(s.items.size()))]
                                 : element(in);
    const std::vector<list_node *> nodes = check(s);
    const auto at = std::find(s.items.begin(), s.items.end(), v) - s.items.begin();
    const std::size_t pos = static_cast<std::size_t>(at);
    FUZZ_EQ(list_find_data(s.lst, fake(v)), pos < nodes.size() ? nodes[pos] : nullptr);
}

void op_find(Slot &s, Input &in, Expected &want) {
    if (s.lst == nullptr) {
        return;
    }
    const std::uintptr_t key = element(in);
    const std::vector<list_node *> nodes = check(s);
    std::size_t match = nodes.size();
    for (std::size_t n = 0; n < s.items.size(); ++n) {
        want.call('K', key, s.items[n]);
        if (key_of(key) == key_of(s.items[n])) {
            match = n;
            break;
        }
    }
    FUZZ_EQ(list_find(s.lst, fake(key), cmp), match < nodes.size() ? nodes[match] : nullptr);
}

void op_foreach(Slot &s, Input &in, Expected &want) {
    if (s.lst == nullptr) {
        return;
    }
    void *ctx = context(in);
    start_walk(in);
    if (in.flag()) {
        cb.walked = &s;
        cb.change_at = in.below(8) + 1;
        cb.remove_next = s.sublist || s.items.size() >= max_items || in.flag();
        cb.change_value = element(in);
    }
    std::vector<list_node *> nodes = check(s);
    std::vector<std::uintptr_t> items = s.items;
    int result = 1;
    for (std::size_t n = 0; n < items.size(); ++n) {
        want.call('W', num(ctx), items[n]);
        if (n + 1 == cb.change_at && cb.remove_next) {
            if (n + 1 < items.size()) {
                want.release(s.pair, num(nodes[n + 1]));
                items.erase(items.begin() + static_cast<long>(n + 1));
                nodes.erase(nodes.begin() + static_cast<long>(n + 1));
            }
        } else if (n + 1 == cb.change_at) {
            want.alloc(s.pair, sizeof(list_node));
            items.push_back(cb.change_value);
        }
        if (n + 1 == cb.stop_at) {
            result = 0;
            break;
        }
    }
    FUZZ_EQ(list_foreach(s.lst, ctx, walk), result);
    s.items = items;
}

void op_dual_foreach(Slot &s, Input &in, Expected &want) {
    if (s.lst == nullptr) {
        return;
    }
    void *ctx1 = context(in);
    void *ctx2 = context(in);
    start_walk(in);
    int result = 1;
    for (std::size_t n = 0; n < s.items.size(); ++n) {
        want.call('2', num(ctx1), num(ctx2), s.items[n]);
        if (n + 1 == cb.stop_at) {
            result = 0;
            break;
        }
    }
    FUZZ_EQ(list_dual_foreach(s.lst, ctx1, ctx2, dual), result);
}

void op_foreach_reversed(Slot &s, Input &in, Expected &want) {
    if (s.lst == nullptr) {
        return;
    }
    void *ctx = context(in);
    start_walk(in);
    int result = 1;
    for (std::size_t n = 0; n < s.items.size(); ++n) {
        want.call('W', num(ctx), s.items[s.items.size() - 1 - n]);
        if (n + 1 == cb.stop_at) {
            result = 0;
            break;
        }
    }
    FUZZ_EQ(list_foreach_reversed(s.lst, ctx, walk), result);
}

void op_foreach_sep(Slot &s, Input &in, Expected &want) {
    if (s.lst == nullptr) {
        return;
    }
    void *ctx = context(in);
    start_walk(in);
    const std::vector<list_node *> nodes = check(s);
    int result = 1;
    for (std::size_t n = 0; n < s.items.size(); ++n) {
        want.call('W', num(ctx), s.items[n]);
        if (n + 1 == cb.stop_at) {
            result = 0;
            break;
        }
        if (n + 1 == s.items.size()) {
            break;
        }
        want.call('S', num(ctx), num(nodes[n + 1]));
        if (n + 1 == cb.sep_stop_at) {
            result = 0;
            break;
        }
    }
    FUZZ_EQ(list_foreach_sep(s.lst, ctx, walk, sep), result);
}

void op_count(Slot &s, Input &in, Expected &want) {
    if (s.lst == nullptr) {
        return;
    }
    const bool with_pred = in.flag();
    void *ctx = context(in);
    cb.keep_keys = in.byte();
    unsigned count = 0;
    for (std::uintptr_t e : s.items) {
        if (with_pred) {
            want.call('P', e, num(ctx));
        }
        count += !with_pred || keeps(e) ? 1 : 0;
    }
    FUZZ_EQ(list_count(s.lst, with_pred ? pred : nullptr, ctx), count);
}

// Whole passes from the head, exchanging the elements of neighbours that are
// out of order, until a pass exchanges nothing.
void op_sort(Slot &s, Expected &want) {
    if (s.lst == nullptr) {
        return;
    }
    const std::vector<list_node *> nodes = check(s);
    std::vector<std::uintptr_t> &v = s.items;
    bool exchanged = !v.empty();
    while (exchanged) {
        exchanged = false;
        for (std::size_t n = 0; n + 1 < v.size(); ++n) {
            want.call('O', v[n], v[n + 1]);
            if (order_value(v[n], v[n + 1]) > 0) {
                std::swap(v[n], v[n + 1]);
                exchanged = true;
            }
        }
    }
    list_sort(s.lst, order);
    FUZZ_CHECK(check(s) == nodes); // the nodes stay; only elements move
}

enum class Derived { Filter, FilterNeg, SublistCopy, Adaptor, ListCopy };

void op_derive(Slot &src, Slot &dst, Input &in, Expected &want, Derived kind) {
    if (src.lst == nullptr || dst.lst != nullptr) {
        return;
    }
    void *ctx = context(in);
    cb.keep_keys = in.byte();
    cb.copy_fail_at = in.below(max_items + 8);
    cb.copier_calls = 0;
    list_free_data_fn fd = in.flag() ? free_data : nullptr;

    // The new list is made with the source's pair and filled head to tail;
    // on a failure everything made so far goes back, and the result is null.
    Slot out{nullptr, {}, kind != Derived::ListCopy, src.pair};
    const bool have_record = want.alloc(src.pair, sizeof(list));
    const std::uintptr_t record = want.last_made();
    bool ok = have_record;
    std::vector<std::uintptr_t> node_refs;
    bool orphan = false; // a copy was made but found no node
    std::uintptr_t orphan_value = 0;
    unsigned copies = 0;
    for (std::size_t n = 0; ok && n < src.items.size(); ++n) {
        const std::uintptr_t e = src.items[n];
        std::uintptr_t value = e;
        bool append = true;
        switch (kind) {
        case Derived::Filter:
        case Derived::FilterNeg:
            want.call('P', e, num(ctx));
            append = keeps(e) == (kind == Derived::Filter);
            break;
        case Derived::SublistCopy:
            break;
        case Derived::Adaptor:
            want.call('M', e);
            value = adapted(e);
            break;
        case Derived::ListCopy:
            want.call('C', e);
            value = copy_value(++copies);
            ok = value != 0;
            break;
        }
        if (!ok || !append) {
            continue;
        }
        if (!want.alloc(src.pair, sizeof(list_node))) {
            ok = false;
            orphan = kind == Derived::ListCopy;
            orphan_value = value;
            break;
        }
        node_refs.push_back(want.last_made());
        out.items.push_back(value);
    }
    if (!ok && have_record) {
        if (kind == Derived::ListCopy && fd != nullptr) {
            for (std::uintptr_t copy : out.items) {
                want.call('D', copy);
            }
        }
        for (std::uintptr_t ref : node_refs) {
            want.release(src.pair, ref);
        }
        want.release(src.pair, record);
    }

    list *result = nullptr;
    switch (kind) {
    case Derived::Filter:
        result = sublist_create(src.lst, pred, ctx);
        break;
    case Derived::FilterNeg:
        result = sublist_create_neg(src.lst, pred, ctx);
        break;
    case Derived::SublistCopy:
        result = sublist_copy(src.lst);
        break;
    case Derived::Adaptor:
        result = sublist_adaptor(src.lst, adaptor);
        break;
    case Derived::ListCopy:
        result = list_copy(src.lst, copier, fd);
        break;
    }
    if (orphan && fd != nullptr) {
        // When and whether to release it is the implementation's choice; this
        // one releases it once, after the copies that were in the list.
        auto it = std::find(calls.begin(), calls.end(), Call{'D', orphan_value});
        FUZZ_CHECK(it != calls.end());
        FUZZ_CHECK(std::none_of(it + 1, calls.end(), [](const Call &c) { return c.kind == 'D'; }));
        calls.erase(it);
    }
    if (!ok) {
        FUZZ_EQ(result, nullptr);
        return;
    }
    FUZZ_CHECK(result != nullptr);
    out.lst = result;
    dst = out;
}

void op_merge(Slot &dest, Slot &src, Expected &want) {
    if (dest.lst == nullptr || src.lst == nullptr || &dest == &src ||
        dest.items.size() + src.items.size() > max_items) {
        return;
    }
    if (dest.sublist && !src.items.empty()) {
        return; // list_add would refuse the sublist by assertion
    }
    const std::vector<list_node *> src_nodes = check(src);
    std::size_t appended = 0;
    while (appended < src.items.size() && want.alloc(dest.pair, sizeof(list_node))) {
        ++appended;
    }
    const bool ok = appended == src.items.size();
    if (ok) {
        for (list_node *node : src_nodes) {
            want.release(src.pair, num(node));
        }
        want.release(src.pair, num(src.lst));
    }
    list *result = list_merge(dest.lst, src.lst);
    dest.items.insert(dest.items.end(), src.items.begin(),
                      src.items.begin() + static_cast<long>(appended));
    FUZZ_EQ(result, ok ? dest.lst : nullptr);
    if (ok) {
        src = Slot{};
    }
}

void step(Input &in) {
    const unsigned code = in.byte();
    calls.clear();
    made.clear();
    alloc_calls = 0;
    fail_at = (code & 0x80) != 0 ? in.below(6) + 1 : 0;
    ++cb.op_serial;
    Slot &s = slots[in.below(slot_count)];
    Slot &other = slots[in.below(slot_count)];
    Expected want;
    switch ((code & 0x7f) % 26) {
    case 0:
        op_new(s, in, want);
        break;
    case 1:
    case 2:
    case 3:
        op_add(s, in, want, false);
        break;
    case 4:
    case 5:
        op_add(s, in, want, true);
        break;
    case 6:
        op_remove(s, in, want, false);
        break;
    case 7:
        op_remove(s, in, want, true);
        break;
    case 8:
        op_clear(s, in, want, false);
        break;
    case 9:
        op_clear(s, in, want, true);
        break;
    case 10:
        op_at(s, in);
        break;
    case 11:
        op_find_data(s, in);
        break;
    case 12:
        op_find(s, in, want);
        break;
    case 13:
        fail_at = 0; // the callback's own append must succeed
        op_foreach(s, in, want);
        break;
    case 14:
        op_dual_foreach(s, in, want);
        break;
    case 15:
        op_foreach_reversed(s, in, want);
        break;
    case 16:
        op_foreach_sep(s, in, want);
        break;
    case 17:
        op_count(s, in, want);
        break;
    case 18:
        op_sort(s, want);
        break;
    case 19:
        op_derive(s, other, in, want, Derived::Filter);
        break;
    case 20:
        op_derive(s, other, in, want, Derived::FilterNeg);
        break;
    case 21:
        op_derive(s, other, in, want, Derived::SublistCopy);
        break;
    case 22:
        op_derive(s, other, in, want, Derived::Adaptor);
        break;
    case 23:
        op_derive(s, other, in, want, Derived::ListCopy);
        break;
    case 24:
        op_merge(s, other, want);
        break;
    default:
        op_new(s, in, want);
        op_add(s, in, want, false);
        break;
    }
    FUZZ_CALLS(calls, want.calls);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    Input in(data, size);
    cb = Behaviour{};
    while (in.more()) {
        step(in);
        check_all();
    }
    fail_at = 0;
    for (Slot &s : slots) {
        list_free(s.lst, nullptr);
        s = Slot{};
    }
    FUZZ_CHECK(live[1].empty() && live[2].empty());
    return 0;
}
