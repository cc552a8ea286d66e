// Model of the generic list: three list slots, each a vector of its nodes (element and heap block
// id), and every allocation, release and callback call of an operation predicted in order.
#include <libzuc/llist.h>

#include "model.h"

#include <algorithm>
#include <climits>

namespace {

using zt::fake, zt::num;

// The allocator pairs a list is made with: the defaults, ours, ours with the default free, the
// default malloc with our release.
const list_alloc_fn allocs[4] = {nullptr, zt::pair_alloc, zt::pair_alloc, nullptr};
const list_free_fn frees[4] = {nullptr, zt::pair_free, nullptr, zt::pair_free};
void *const ctx = fake(0xC0), *const ctx2 = fake(0xD0);

struct Node {
    std::uintptr_t elem;
    unsigned id;
    list_node *node; // as found by the last check
};
struct Slot {
    list *lst = nullptr;
    unsigned id = 0, pair = 0;
    bool sub = false;
    std::vector<Node> nodes;
};

// How the callbacks answer during the current operation.
struct {
    unsigned stop, sep_stop, visits, seps, keep, copy_fail, copies, grow_at;
    int go;
    list *grow;
} cb;
unsigned copies_made;

void note(char k, const void *a, const void *b = nullptr, const void *c = nullptr) {
    zt::log().push_back({k, num(a), num(b), num(c)});
}

// Elements: NULL now and then; the key sorts and matches, and many share one.
const std::uintptr_t elements[4] = {0, 0x110, 0x120, 0x130};
struct E {
    static unsigned key(std::uintptr_t e) { return (e >> 4) & 3; }
    static bool keeps(std::uintptr_t e) { return ((cb.keep >> key(e)) & 1) != 0; }
    static std::uintptr_t adapted(std::uintptr_t e) { return key(e) == 0 ? 0 : e + 0x8000; }
    static std::uintptr_t copy(unsigned n) { return 0x10000 + 0x10 * n; }
    // Only the sign may count: "in order" is INT_MIN + a, never -1.
    static int order(std::uintptr_t x, std::uintptr_t y) {
        const int a = int(key(x)), b = int(key(y));
        return a > b ? (a - b) * 1000 : a < b ? INT_MIN + a : 0;
    }
    // A walk's callback; its grow_at-th call appends to the list walked.
    static int visit() {
        ZT_CHECK(++cb.visits != cb.grow_at || list_add(cb.grow, fake(0x990)) != nullptr);
        return cb.visits == cb.stop ? 0 : cb.go;
    }
    static void free_data(void *e) { note('D', e); }
    static int walk(void *c, void *e) { return note('W', c, e), visit(); }
    static int dual(void *c, void *d, void *e) { return note('U', c, d, e), visit(); }
    static int sep(void *c, list_node *next) {
        return note('S', c, fake(zt::Heap::id(next))), ++cb.seps == cb.sep_stop ? 0 : cb.go;
    }
    // list_find's match (0 when e has the key of k), and list_sort's order (keys descending).
    static int match(const void *k, const void *e) {
        return note('K', k, e), order(num(e), num(k));
    }
    static int pred(void *e, void *c) {
        return note('P', e, c), keeps(num(e)) ? (key(num(e)) % 2 != 0 ? -3 : 9) : 0;
    }
    static void *adaptor(void *e) { return note('M', e), fake(adapted(num(e))); }
    static void *copier(void *e) {
        return note('C', e), ++cb.copies == cb.copy_fail ? nullptr : fake(copy(++copies_made));
    }
};

struct Model {
    Slot slots[3];
    std::vector<zt::Ev> want;
    unsigned next_id = zt::Heap::next_id(), refuse_left = 0;
    ~Model() {
        std::for_each(slots, slots + 3, [](Slot &s) { list_free(s.lst, nullptr); });
    }
    // The model's side of a heap call through a list's pair; 0 when refused.
    unsigned alloc(unsigned pair, std::size_t bytes) {
        const bool refused = refuse_left != 0 && --refuse_left == 0;
        want.push_back({refused ? 'R' : 'A', std::uintptr_t(pair == 1 || pair == 2 ? '1' : 'm'),
                        bytes, refused ? 0 : next_id});
        return refused ? 0 : next_id++;
    }
    void release(unsigned pair, unsigned id) {
        want.push_back({'F', std::uintptr_t(pair % 2 ? '1' : 'f'), id});
    }
    void refuse(unsigned n) { zt::Heap::refuse(refuse_left = n); }
    // A node for v at the tail of to, unless the allocation is refused.
    bool append(Slot &to, std::uintptr_t v) {
        const unsigned id = alloc(to.pair, sizeof(list_node));
        return id != 0 && (to.nodes.push_back({v, id, nullptr}), true);
    }
    bool kept(std::uintptr_t e) { return want.push_back({'P', e, num(ctx)}), E::keeps(e); }
    // list_clear: the elements first, then the nodes; list_free (record) also releases the list
    // record, which frees the slot.
    void clear(Slot &s, bool with, bool record) {
        for (int pass = with && !s.sub ? 0 : 1; pass < 2; ++pass) {
            for (const Node &n : s.nodes) {
                pass == 0 ? want.push_back({'D', n.elem}) : release(s.pair, n.id);
            }
        }
        s.nodes.clear();
        if (record) {
            release(s.pair, s.id);
            s = Slot{};
        }
    }
    // Every list record, and its chain through the handles both ways, the positions and the size.
    void check() {
        for (Slot &s : slots) {
            if (const list *l = s.lst) {
                const unsigned n = unsigned(s.nodes.size());
                ZT_CHECK(zt::Heap::id(l) == s.id && l->is_sublist == (s.sub ? 1 : 0));
                ZT_CHECK(l->alloc_fn == (allocs[s.pair] != nullptr ? allocs[s.pair] : &malloc) &&
                         l->free_fn == (frees[s.pair] != nullptr ? frees[s.pair] : &free));
                list_iterator it = list_first(l);
                list_node *prev = nullptr;
                for (unsigned i = 0; i < n; ++i, prev = it.node, it = list_next(it)) {
                    const std::uintptr_t e = s.nodes[i].elem;
                    s.nodes[i].node = it.node;
                    ZT_CHECK(list_prev(it).node == prev && zt::Heap::id(it.node) == s.nodes[i].id);
                    ZT_CHECK(num(list_get(it)) == e && num(list_at(l, i)) == e &&
                             num(list_get_item(l, i)) == e);
                }
                ZT_CHECK(list_end(it) && list_end(list_next(it)) && list_end(list_prev(it)) &&
                         l->tail == prev && list_last(l).node == prev);
                ZT_CHECK(list_size(l) == n && list_empty(l) == (n == 0) &&
                         sublist_adaptor(l, nullptr) == nullptr);
            }
        }
    }
    // The walks, the callback stopping at a chosen visit (list_foreach's may grow the list, which
    // the walk must reach; a NULL one goes on in the others).
    void walks(zt::Input &in, Slot &s, unsigned how) {
        const int answers[3] = {1, 7, -1};
        cb.stop = in.pick(4);
        cb.go = answers[in.pick(3)];
        cb.grow_at = how == 0 && !s.sub ? in.pick(3) : 0;
        cb.sep_stop = how == 3 ? in.pick(3) : 0;
        const unsigned missing = how == 0 ? 0 : in.pick(4); // bit 0: f, bit 1: sep
        const list_walk_fn f = (missing & 1) != 0 ? nullptr : E::walk;
        const list_sep_fn sep = (missing & 2) != 0 ? nullptr : E::sep;
        const int got = how == 0   ? list_foreach(s.lst, ctx, E::walk)
                        : how == 1 ? list_dual_foreach(s.lst, ctx, ctx2, f ? E::dual : nullptr)
                        : how == 2 ? list_foreach_reversed(s.lst, ctx, f)
                                   : list_foreach_sep(s.lst, ctx, f, sep);
        int result = 1;
        for (unsigned i = 0, n = unsigned(s.nodes.size()); i < s.nodes.size() && result != 0; ++i) {
            if (f != nullptr) {
                const std::uintptr_t e = s.nodes[how == 2 ? n - 1 - i : i].elem;
                want.push_back(how == 1 ? zt::Ev{'U', num(ctx), num(ctx2), e}
                                        : zt::Ev{'W', num(ctx), e});
                if (i + 1 == cb.grow_at) {
                    append(s, 0x990);
                }
                result = i + 1 == cb.stop ? 0 : 1;
            }
            if (how == 3 && sep != nullptr && result != 0 && i + 1 < n) {
                want.push_back({'S', num(ctx), s.nodes[i + 1].id});
                result = i + 1 == cb.sep_stop ? 0 : 1;
            }
        }
        ZT_EQ(got, result);
    }
    // The four sublists and list_copy, into the first free slot; a failed copier or node releases
    // all made, with free_data the copies too, the unplaced last.
    void derive(zt::Input &in, Slot &src) {
        Slot *dst = std::find_if(slots, slots + 3, [](const Slot &s) { return s.lst == nullptr; });
        if (dst == slots + 3) {
            return;
        }
        const unsigned kind = in.pick(5), n = unsigned(src.nodes.size()), copies = copies_made;
        cb.keep = in.raw();
        cb.copy_fail = kind == 4 ? in.pick(n + 1) : 0;
        const bool with = kind == 4 && in.pick(2) != 0;
        refuse(in.pick(n + 2));
        list *got = kind == 0   ? sublist_create(src.lst, E::pred, ctx)
                    : kind == 1 ? sublist_create_neg(src.lst, E::pred, ctx)
                    : kind == 2 ? sublist_copy(src.lst)
                    : kind == 3 ? sublist_adaptor(src.lst, E::adaptor)
                                : list_copy(src.lst, E::copier, with ? E::free_data : nullptr);
        Slot made{got, alloc(src.pair, sizeof(list)), src.pair, kind != 4, {}};
        for (unsigned i = 0; i < n && made.id != 0; ++i) {
            std::uintptr_t v = src.nodes[i].elem;
            if (kind <= 1 && kept(v) != (kind == 0)) {
                continue;
            }
            if (kind >= 3) {
                want.push_back({kind == 3 ? 'M' : 'C', v});
                v = kind == 3 ? E::adapted(v) : i + 1 == cb.copy_fail ? 0 : E::copy(copies + i + 1);
            }
            if ((kind == 4 && v == 0) || !append(made, v)) {
                clear(made, with, true);
                if (with && v != 0) {
                    want.push_back({'D', v}); // the copy that never got its node
                }
            }
        }
        ZT_EQ(got == nullptr, made.id == 0);
        *dst = made.id != 0 ? made : Slot{};
    }
    void merge(zt::Input &in, Slot &dest) {
        Slot &src = slots[(&dest - slots + 1 + in.pick(2)) % 3];
        if (src.lst == nullptr || (dest.sub && !src.nodes.empty())) {
            return;
        }
        refuse(in.pick(unsigned(src.nodes.size()) + 2));
        list *got = list_merge(dest.lst, src.lst);
        for (const Node &n : src.nodes) {
            if (!append(dest, n.elem)) {
                return ZT_EQ(got, nullptr);
            }
        }
        ZT_EQ(got, dest.lst);
        clear(src, false, true);
    }
    void step(zt::Input &in) {
        const unsigned op = in.pick(16);
        Slot &s = slots[in.pick(3)];
        cb = {};
        cb.grow = s.lst;
        if (s.lst == nullptr) { // a new list, after what the unchecked operations make of NULL
            list_free(nullptr, E::free_data);
            ZT_CHECK(list_size(nullptr) == 0 && list_empty(nullptr) == 1 &&
                     list_count(nullptr, E::pred, ctx) == 0 &&
                     list_dual_foreach(nullptr, ctx, ctx2, E::dual) == 1 &&
                     list_foreach_reversed(nullptr, ctx, E::walk) == 1 &&
                     list_foreach_sep(nullptr, ctx, E::walk, E::sep) == 1 &&
                     sublist_copy(nullptr) == nullptr &&
                     sublist_adaptor(nullptr, E::adaptor) == nullptr);
            const unsigned pair = in.pick(4);
            refuse(in.pick(2));
            list *made = list_new(allocs[pair], frees[pair]);
            const unsigned id = alloc(pair, sizeof(list));
            ZT_EQ(made == nullptr, id == 0);
            s = made != nullptr ? Slot{made, id, pair, false, {}} : Slot{};
        } else if (op <= 1) {
            const bool with = in.pick(2) != 0;
            (op == 0 ? list_free : list_clear)(s.lst, with ? E::free_data : nullptr);
            clear(s, with, op == 0);
        } else if ((op == 2 || op == 3) && !s.sub && s.nodes.size() < 40) {
            const std::uintptr_t e = elements[in.pick(4)];
            refuse(in.pick(2));
            list *got = (op == 2 ? list_add : list_insert)(s.lst, fake(e));
            const unsigned id = alloc(s.pair, sizeof(list_node));
            ZT_EQ(got, id == 0 ? nullptr : s.lst);
            if (id != 0) {
                s.nodes.insert(op == 2 ? s.nodes.end() : s.nodes.begin(), Node{e, id, nullptr});
            }
        } else if ((op == 4 || op == 5) && !s.nodes.empty() && (op == 4 || !s.sub)) {
            const unsigned how = op == 4 ? 0 : 1 + in.pick(2), n = unsigned(s.nodes.size());
            const unsigned pos = in.pick(n);
            list_node *node = s.nodes[pos].node,
                      *next = pos + 1 < n ? s.nodes[pos + 1].node : nullptr;
            ZT_EQ(how == 0 ? list_remove_node(s.lst, node)
                           : list_delete(s.lst, node, how == 2 ? E::free_data : nullptr),
                  next);
            if (how == 2) {
                want.push_back({'D', s.nodes[pos].elem});
            }
            release(s.pair, s.nodes[pos].id);
            s.nodes.erase(s.nodes.begin() + pos);
        } else if (op == 6 || op == 7) { // list_find_data, list_find
            const std::uintptr_t k = elements[in.pick(4)];
            auto hit = [&](std::uintptr_t e) {
                return op == 7 ? (want.push_back({'K', k, e}), E::key(e) == E::key(k)) : e == k;
            };
            unsigned pos = 0;
            while (pos < s.nodes.size() && !hit(s.nodes[pos].elem)) {
                ++pos;
            }
            ZT_EQ(op == 7 ? list_find(s.lst, fake(k), E::match) : list_find_data(s.lst, fake(k)),
                  pos < s.nodes.size() ? s.nodes[pos].node : nullptr);
        } else if (op >= 8 && op <= 11) {
            walks(in, s, op - 8);
        } else if (op == 12) {
            const bool all = in.pick(2) == 0;
            cb.keep = in.raw();
            unsigned counted = 0;
            for (const Node &n : s.nodes) {
                counted += all || kept(n.elem) ? 1 : 0;
            }
            ZT_EQ(list_count(s.lst, all ? nullptr : E::pred, ctx), counted);
        } else if (op == 13) {
            // Whole passes of neighbour exchanges until one exchanges nothing; the nodes stay, the
            // elements move.
            list_sort(s.lst, E::match);
            for (bool sorted = s.nodes.empty(); !sorted;) {
                sorted = true;
                for (std::size_t i = 0; i + 1 < s.nodes.size(); ++i) {
                    std::uintptr_t &a = s.nodes[i].elem, &b = s.nodes[i + 1].elem;
                    want.push_back({'K', a, b});
                    sorted = E::order(b, a) > 0 ? (std::swap(a, b), false) : sorted;
                }
            }
        } else if (op == 14) {
            derive(in, s);
        } else if (op == 15) {
            merge(in, s);
        }
        refuse(0);
    }
};

} // namespace

void model_llist(zt::Input &in) {
    zt::run<Model>(in);
}
