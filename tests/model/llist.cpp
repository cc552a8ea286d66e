// Model of the generic list: three list slots, each a vector of its nodes
// (element and heap block id), and every allocation, release and callback
// call of an operation predicted in order.
#include <libzuc/llist.h>

#include "model.h"

#include <climits>
#include <vector>

namespace {

using zt::fake;
using zt::num;

struct Node {
    std::uintptr_t elem;
    unsigned id;
};

// The allocator pairs a list is made with: the defaults, ours, ours with the
// default free, the default malloc with our release.
const list_alloc_fn allocs[4] = {nullptr, zt::pair_alloc, zt::pair_alloc, nullptr};
const list_free_fn frees[4] = {nullptr, zt::pair_free, nullptr, zt::pair_free};

struct Slot {
    list *lst = nullptr;
    unsigned id = 0, pair = 0;
    bool sub = false;
    std::vector<Node> nodes;
};
Slot slots[3];

std::vector<zt::Ev> want;
unsigned next_id, refuse_left, copies_made;
void *const ctx = fake(0xC0);
void *const ctx2 = fake(0xD0);

// The model's side of a heap call through a list's pair; 0 when refused.
unsigned alloc(unsigned pair, std::size_t bytes) {
    const std::uintptr_t source = pair == 1 || pair == 2 ? '1' : 'm';
    if (refuse_left != 0 && --refuse_left == 0) {
        want.push_back({'R', source, bytes});
        return 0;
    }
    want.push_back({'A', source, bytes, next_id});
    return next_id++;
}
void release(unsigned pair, unsigned id) {
    want.push_back({'F', std::uintptr_t(pair == 1 || pair == 3 ? '1' : 'f'), id});
}
void refuse(unsigned n) {
    zt::Heap::refuse(n);
    refuse_left = n;
}

// Elements: NULL now and then; the key sorts and matches, and many share one.
std::uintptr_t element(zt::Input &in) {
    const unsigned v = in.pick(4);
    return v == 0 ? 0 : 0x100 + 0x10 * v;
}
unsigned key(std::uintptr_t e) {
    return (e >> 4) & 3;
}

// How the callbacks answer during the current operation.
struct {
    unsigned stop, sep_stop, visits, seps, keep, copy_fail, copies, grow_at;
    int go;
    Slot *grow;
} cb;

void note(char kind, const void *a, const void *b = nullptr, const void *c = nullptr) {
    zt::log().push_back({kind, num(a), num(b), num(c)});
}
bool keeps(std::uintptr_t e) {
    return ((cb.keep >> key(e)) & 1) != 0;
}
std::uintptr_t adapted(std::uintptr_t e) {
    return key(e) == 0 ? 0 : e + 0x8000;
}
std::uintptr_t copy_of(unsigned n) {
    return 0x10000 + 0x10 * n;
}
// Only the sign may count: "in order" is INT_MIN + a, never -1.
int order_of(std::uintptr_t earlier, std::uintptr_t later) {
    const int a = int(key(earlier)), b = int(key(later));
    return a > b ? (a - b) * 1000 : a < b ? INT_MIN + a : 0;
}

void free_data(void *e) {
    note('D', e);
}
int visit() {
    if (++cb.visits == cb.grow_at) {
        list_add(cb.grow->lst, fake(0x990));
    }
    return cb.visits == cb.stop ? 0 : cb.go;
}
int walk(void *c, void *e) {
    note('W', c, e);
    return visit();
}
int dual_walk(void *c1, void *c2, void *e) {
    note('U', c1, c2, e);
    return visit();
}
int separator(void *c, list_node *next) {
    note('S', c, fake(zt::Heap::id(next)));
    return ++cb.seps == cb.sep_stop ? 0 : cb.go;
}
int match(const void *k, const void *e) {
    note('K', k, e);
    return key(num(k)) == key(num(e)) ? 0 : key(num(e)) < key(num(k)) ? -5 : 3;
}
int predicate(void *e, void *c) {
    note('P', e, c);
    return keeps(num(e)) ? (key(num(e)) % 2 != 0 ? -3 : 9) : 0;
}
int order(const void *a, const void *b) {
    note('O', a, b);
    return order_of(num(a), num(b));
}
void *adaptor(void *e) {
    note('M', e);
    return fake(adapted(num(e)));
}
void *copier(void *e) {
    note('C', e);
    return ++cb.copies == cb.copy_fail ? nullptr : fake(copy_of(++copies_made));
}

list_node *node_at(const Slot &s, unsigned pos) {
    list_node *n = s.lst->head;
    while (pos-- > 0) {
        n = n->next;
    }
    return n;
}

// The record and both directions of the chain, through the links and through
// the handles, sizes and positions.
void check(const Slot &s) {
    const list *l = s.lst;
    if (l == nullptr) {
        return;
    }
    ZT_EQ(zt::Heap::id(l), s.id);
    ZT_EQ(l->is_sublist, s.sub ? 1 : 0);
    ZT_EQ(l->alloc_fn, allocs[s.pair] != nullptr ? allocs[s.pair] : &malloc);
    ZT_EQ(l->free_fn, frees[s.pair] != nullptr ? frees[s.pair] : &free);
    const unsigned n = unsigned(s.nodes.size());
    const list_node *prev = nullptr;
    list_iterator it = list_first(l);
    for (unsigned i = 0; i < n; ++i, it = list_next(it)) {
        ZT_CHECK(!list_end(it));
        ZT_EQ(it.node->prev, prev);
        ZT_EQ(zt::Heap::id(it.node), s.nodes[i].id);
        ZT_EQ(num(list_get(it)), s.nodes[i].elem);
        ZT_EQ(num(list_at(l, i)), s.nodes[i].elem);
        ZT_EQ(num(list_get_item(l, i)), s.nodes[i].elem);
        prev = it.node;
    }
    ZT_EQ(list_end(it), 1);
    ZT_EQ(list_end(list_next(it)), 1);
    ZT_EQ(l->tail, prev);
    it = list_last(l);
    for (unsigned i = n; i-- > 0; it = list_prev(it)) {
        ZT_EQ(it.node, node_at(s, i));
    }
    ZT_EQ(list_end(it), 1);
    ZT_EQ(list_end(list_prev(it)), 1);
    ZT_EQ(list_size(l), n);
    ZT_EQ(list_empty(l), n == 0 ? 1 : 0);
}

// list_free or list_clear as the model sees it.
void expect_clear(Slot &s, bool with_free_data) {
    if (!s.sub && with_free_data) {
        for (const Node &n : s.nodes) {
            want.push_back({'D', n.elem});
        }
    }
    for (const Node &n : s.nodes) {
        release(s.pair, n.id);
    }
    s.nodes.clear();
}

void make_or_free(zt::Input &in, Slot &s) {
    if (s.lst != nullptr) {
        const bool with = in.pick(2) != 0;
        list_free(s.lst, with ? free_data : nullptr);
        expect_clear(s, with);
        release(s.pair, s.id);
        s = Slot{};
        return;
    }
    list_free(nullptr, free_data);
    const unsigned pair = in.pick(4);
    refuse(in.pick(2));
    list *made = list_new(allocs[pair], frees[pair]);
    const unsigned id = alloc(pair, sizeof(list));
    ZT_EQ(made == nullptr, id == 0);
    if (made != nullptr) {
        s = Slot{made, id, pair, false, {}};
    }
}

void add(zt::Input &in, Slot &s, bool at_tail) {
    const std::uintptr_t e = element(in);
    refuse(in.pick(2));
    list *got = (at_tail ? list_add : list_insert)(s.lst, fake(e));
    const unsigned id = alloc(s.pair, sizeof(list_node));
    ZT_EQ(got, id == 0 ? nullptr : s.lst);
    if (id != 0) {
        s.nodes.insert(at_tail ? s.nodes.end() : s.nodes.begin(), Node{e, id});
    }
}

void remove(zt::Input &in, Slot &s, unsigned how) {
    const unsigned pos = in.pick(unsigned(s.nodes.size()));
    list_node *node = node_at(s, pos);
    list_node *const next = node->next;
    list_node *got = how == 0   ? list_remove_node(s.lst, node)
                     : how == 1 ? list_delete(s.lst, node, nullptr)
                                : list_delete(s.lst, node, free_data);
    ZT_EQ(got, next);
    if (how == 2) {
        want.push_back({'D', s.nodes[pos].elem});
    }
    release(s.pair, s.nodes[pos].id);
    s.nodes.erase(s.nodes.begin() + pos);
}

void find(zt::Input &in, Slot &s, bool by_key) {
    const std::uintptr_t k = element(in);
    unsigned pos = 0;
    while (pos < s.nodes.size() &&
           (by_key ? key(s.nodes[pos].elem) != key(k) : s.nodes[pos].elem != k)) {
        if (by_key) {
            want.push_back({'K', k, s.nodes[pos].elem});
        }
        ++pos;
    }
    if (by_key && pos < s.nodes.size()) {
        want.push_back({'K', k, s.nodes[pos].elem});
    }
    list_node *got = by_key ? list_find(s.lst, fake(k), match) : list_find_data(s.lst, fake(k));
    ZT_EQ(got, pos < s.nodes.size() ? node_at(s, pos) : nullptr);
}

// The walks with a callback that stops at a chosen visit; list_foreach's may
// also append to the list it walks, which the walk must then reach.
void walks(zt::Input &in, Slot &s, unsigned how) {
    const int answers[3] = {1, 7, -1};
    cb.stop = in.pick(4);
    cb.go = answers[in.pick(3)];
    cb.grow_at = how == 0 && !s.sub ? in.pick(3) : 0;
    cb.sep_stop = how == 3 ? in.pick(3) : 0;
    cb.grow = &s;
    int result = 1;
    const unsigned n = unsigned(s.nodes.size());
    for (unsigned i = 0, visits = 0; i < s.nodes.size() && result != 0; ++i) {
        const std::uintptr_t e = s.nodes[how == 2 ? n - 1 - i : i].elem;
        want.push_back(how == 1 ? zt::Ev{'U', num(ctx), num(ctx2), e} : zt::Ev{'W', num(ctx), e});
        if (++visits == cb.grow_at) {
            s.nodes.push_back({0x990, alloc(s.pair, sizeof(list_node))});
        }
        if (visits == cb.stop) {
            result = 0;
        } else if (how == 3 && i + 1 < n) {
            want.push_back({'S', num(ctx), s.nodes[i + 1].id});
            result = i + 1 == cb.sep_stop ? 0 : 1;
        }
    }
    const int got = how == 0   ? list_foreach(s.lst, ctx, walk)
                    : how == 1 ? list_dual_foreach(s.lst, ctx, ctx2, dual_walk)
                    : how == 2 ? list_foreach_reversed(s.lst, ctx, walk)
                               : list_foreach_sep(s.lst, ctx, walk, separator);
    ZT_EQ(got, result);
}

void count(zt::Input &in, Slot &s) {
    const bool all = in.pick(2) == 0;
    cb.keep = in.raw();
    unsigned counted = 0;
    for (const Node &n : s.nodes) {
        if (!all) {
            want.push_back({'P', n.elem, num(ctx)});
        }
        counted += all || keeps(n.elem) ? 1 : 0;
    }
    ZT_EQ(list_count(s.lst, all ? nullptr : predicate, ctx), counted);
}

// Whole passes of neighbour exchanges until one exchanges nothing; the nodes
// stay, the elements move.
void sort(Slot &s) {
    list_sort(s.lst, order);
    bool sorted = s.nodes.empty();
    while (!sorted) {
        sorted = true;
        for (std::size_t i = 0; i + 1 < s.nodes.size(); ++i) {
            std::uintptr_t &a = s.nodes[i].elem, &b = s.nodes[i + 1].elem;
            want.push_back({'O', a, b});
            if (order_of(a, b) > 0) {
                std::swap(a, b);
                sorted = false;
            }
        }
    }
}

// The four sublists and list_copy, into the first free slot.
void derive(zt::Input &in, Slot &src) {
    Slot *dst = &slots[0];
    while (dst->lst != nullptr) {
        if (++dst == slots + 3) {
            return;
        }
    }
    const unsigned kind = in.pick(5);
    const unsigned n = unsigned(src.nodes.size());
    cb.keep = in.raw();
    cb.copy_fail = kind == 4 ? in.pick(n + 1) : 0;
    const bool with = kind == 4 && in.pick(2) != 0;
    refuse(in.pick(n + 2));
    unsigned copies_before = copies_made;
    list *got = kind == 0   ? sublist_create(src.lst, predicate, ctx)
                : kind == 1 ? sublist_create_neg(src.lst, predicate, ctx)
                : kind == 2 ? sublist_copy(src.lst)
                : kind == 3 ? sublist_adaptor(src.lst, adaptor)
                            : list_copy(src.lst, copier, with ? free_data : nullptr);
    Slot made{got, alloc(src.pair, sizeof(list)), src.pair, kind != 4, {}};
    bool failed = made.id == 0;
    std::uintptr_t unplaced = 0;
    for (unsigned i = 0, copies = 0; i < n && !failed; ++i) {
        std::uintptr_t v = src.nodes[i].elem;
        if (kind <= 1) {
            want.push_back({'P', v, num(ctx)});
            if (keeps(v) != (kind == 0)) {
                continue;
            }
        } else if (kind == 3) {
            want.push_back({'M', v});
            v = adapted(v);
        } else if (kind == 4) {
            want.push_back({'C', v});
            if (++copies == cb.copy_fail) {
                failed = true;
                break;
            }
            v = copy_of(++copies_before);
        }
        const unsigned id = alloc(src.pair, sizeof(list_node));
        if (id == 0) {
            failed = true;
            unplaced = v;
            break;
        }
        made.nodes.push_back({v, id});
    }
    if (failed && made.id != 0) {
        expect_clear(made, with);
        release(made.pair, made.id);
        if (with && unplaced != 0) {
            want.push_back({'D', unplaced}); // a copy that never got its node
        }
    }
    ZT_EQ(got == nullptr, failed);
    if (!failed) {
        *dst = made;
    }
}

// Merges the next list (in slot order) into s.
void merge(zt::Input &in, Slot &dest) {
    Slot &src = slots[(&dest - slots + 1 + in.pick(2)) % 3];
    if (src.lst == nullptr || (dest.sub && !src.nodes.empty())) {
        return;
    }
    refuse(in.pick(unsigned(src.nodes.size()) + 2));
    list *got = list_merge(dest.lst, src.lst);
    for (const Node &n : src.nodes) {
        const unsigned id = alloc(dest.pair, sizeof(list_node));
        if (id == 0) {
            ZT_EQ(got, nullptr);
            return;
        }
        dest.nodes.push_back({n.elem, id});
    }
    ZT_EQ(got, dest.lst);
    expect_clear(src, false);
    release(src.pair, src.id);
    src = Slot{};
}

} // namespace

void model_llist(zt::Input &in) {
    next_id = zt::Heap::next_id();
    const unsigned live = zt::Heap::live();
    zt::log().clear();
    while (in.next_op()) {
        const unsigned op = in.pick(16);
        Slot &s = slots[in.pick(3)];
        cb = {};
        if (op == 0 || s.lst == nullptr) {
            make_or_free(in, s);
        } else if (op == 1) {
            const bool with = in.pick(2) != 0;
            list_clear(s.lst, with ? free_data : nullptr);
            expect_clear(s, with);
        } else if ((op == 2 || op == 3) && !s.sub && s.nodes.size() < 40) {
            add(in, s, op == 2);
        } else if (op == 4 || op == 5) {
            if (!s.nodes.empty() && (op == 4 || !s.sub)) {
                remove(in, s, op == 4 ? 0 : 1 + in.pick(2));
            }
        } else if (op == 6 || op == 7) {
            find(in, s, op == 7);
        } else if (op >= 8 && op <= 11) {
            walks(in, s, op - 8);
        } else if (op == 12) {
            count(in, s);
        } else if (op == 13) {
            sort(s);
        } else if (op == 14) {
            derive(in, s);
        } else if (op == 15) {
            merge(in, s);
        }
        refuse(0);
        ZT_EVENTS(want);
        want.clear();
        for (const Slot &each : slots) {
            check(each);
        }
    }
    for (Slot &s : slots) {
        if (s.lst != nullptr) {
            list_free(s.lst, nullptr);
            s = Slot{};
        }
    }
    zt::log().clear();
    ZT_EQ(zt::Heap::live(), live);
}
