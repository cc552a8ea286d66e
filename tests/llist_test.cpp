// Generic list: allocator use, random edits against a model, walks with
// callbacks, search, counting, sorting, derived lists and merging, and every
// check. Allocation failures are swept in alloc_failure_test.
#include <libzuc/llist.h>

#include "zuc_test.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

using zuc_test::AllocEvent;
using zuc_test::RecordingAllocator;
using Elements = std::vector<void *>;

// Distinct element pointers that are never dereferenced.
int elems[9];
void *const x = &elems[0];
void *const y = &elems[1];
void *const z = &elems[2];
void *const w = &elems[3];
int context;
int other_context;
void *const ctx = &context;
void *const ctx2 = &other_context;

// Names for what the logs below show: elements x, y, z, w (others e4 ...),
// contexts c and d, null 0, and whatever a test adds to names.
std::map<const void *, std::string> names;
std::string name(const void *p) {
    if (names.count(p) != 0) {
        return names[p];
    }
    if (p == nullptr || p == ctx || p == ctx2) {
        return p == nullptr ? "0" : p == ctx ? "c" : "d";
    }
    const auto n = static_cast<const int *>(p) - elems;
    return n < 4 ? std::string(1, "xyzw"[n]) : "e" + std::to_string(n);
}

// Walks the list both ways, checks the link invariants on the way and returns
// the elements head to tail.
Elements contents(const list *lst) {
    Elements forward;
    const list_node *prev = nullptr;
    for (list_iterator i = list_first(lst); !list_end(i); i = list_next(i)) {
        EXPECT_EQ(i.node->prev, prev);
        prev = i.node;
        forward.push_back(list_get(i));
    }
    EXPECT_EQ(lst->tail, prev);
    Elements backward;
    for (list_iterator i = list_last(lst); !list_end(i); i = list_prev(i)) {
        backward.insert(backward.begin(), list_get(i));
    }
    EXPECT_EQ(forward, backward);
    return forward;
}

list *make_list(const Elements &items, list_alloc_fn alloc_fn = nullptr,
                list_free_fn free_fn = nullptr) {
    list *lst = list_new(alloc_fn, free_fn);
    for (void *item : items) {
        EXPECT_EQ(list_add(lst, item), lst);
    }
    return lst;
}

list *make_recorded(const Elements &items) {
    return make_list(items, RecordingAllocator::alloc, RecordingAllocator::release);
}

void release_element(void *element) {
    RecordingAllocator::release_element(element);
}

// The recording allocator's log as text: "+list" and "+node" for allocations
// of those sizes, "-n" for the release of block n, and the bare name of an
// element handed to the release callback.
std::string alloc_log() {
    std::string text;
    for (const AllocEvent &e : RecordingAllocator::events()) {
        text += text.empty() ? "" : " ";
        if (e.kind == AllocEvent::Alloc) {
            text += e.size == sizeof(list)        ? "+list"
                    : e.size == sizeof(list_node) ? "+node"
                                                  : "+" + std::to_string(e.size);
        } else {
            text += e.kind == AllocEvent::Free ? "-" : "";
            text += name(e.block);
        }
    }
    RecordingAllocator::events().clear();
    return text;
}

// Names the list record L and its nodes by their elements: #x, #y ...
void name_blocks(const list *lst) {
    names[lst] = "L";
    for (const list_node *node = lst->head; node != nullptr; node = node->next) {
        names[node] = std::string("#").append(name(node->data));
    }
}

class ListAllocation : public ::testing::Test {
  protected:
    void SetUp() override {
        RecordingAllocator::reset();
        names.clear();
    }
    void TearDown() override { EXPECT_EQ(RecordingAllocator::live_blocks(), 0); }
};

TEST_F(ListAllocation, DefaultsTakenIndependently) {
    list *both = list_new(nullptr, nullptr);
    ASSERT_NE(both, nullptr);
    EXPECT_EQ(both->alloc_fn, static_cast<list_alloc_fn>(malloc));
    EXPECT_EQ(both->free_fn, static_cast<list_free_fn>(free));
    EXPECT_EQ(both->is_sublist, 0);
    EXPECT_TRUE(contents(both).empty());
    list_free(both, nullptr);

    list *alloc_only = list_new(RecordingAllocator::alloc, nullptr);
    EXPECT_EQ(alloc_only->free_fn, static_cast<list_free_fn>(free));
    list_free(alloc_only, nullptr); // released through free: compatible with malloc
    list *free_only = list_new(nullptr, RecordingAllocator::release);
    EXPECT_EQ(free_only->alloc_fn, static_cast<list_alloc_fn>(malloc));
    names[free_only] = "F";
    list_free(free_only, nullptr);
    // One record allocated through the recorder, one released through it.
    EXPECT_EQ(alloc_log(), "+list -F");
}

TEST_F(ListAllocation, ElementsGoFirstHeadToTailThenNodesThenTheRecord) {
    list *lst = make_recorded({x});
    list_insert(lst, y);
    list_add(lst, z);
    EXPECT_EQ(alloc_log(), "+list +node +node +node");
    name_blocks(lst);
    list_clear(lst, release_element);
    EXPECT_EQ(alloc_log(), "y x z -#y -#x -#z");
    EXPECT_TRUE(contents(lst).empty());
    EXPECT_EQ(lst->free_fn, &RecordingAllocator::release);

    list_add(lst, w);
    list_add(lst, x);
    name_blocks(lst);
    alloc_log();
    list_free(lst, release_element);
    EXPECT_EQ(alloc_log(), "w x -#w -#x -L");
    list_free(nullptr, release_element); // does nothing
}

// Additions at both ends and removals anywhere, with and without a release
// callback, against a vector; null elements are stored like any other.
TEST_F(ListAllocation, RandomEditsMatchAVector) {
    std::mt19937 rng(7);
    list *lst = make_recorded({});
    Elements model;
    for (int step = 0; step < 500 && !HasFailure(); ++step) {
        SCOPED_TRACE(step);
        void *element = rng() % 5 == 0 ? nullptr : &elems[rng() % 9];
        const unsigned at = model.empty() ? 0 : static_cast<unsigned>(rng() % model.size());
        const unsigned op = model.empty() ? rng() % 2 : rng() % 5;
        alloc_log();
        if (op < 2) {
            EXPECT_EQ((op == 0 ? list_add : list_insert)(lst, element), lst);
            model.insert(op == 0 ? model.end() : model.begin(), element);
            EXPECT_EQ(alloc_log(), "+node");
        } else {
            list_node *node = lst->head;
            for (unsigned n = 0; n < at; ++n) {
                node = node->next;
            }
            names = {{node, "N"}};
            list_node *const next = node->next;
            list_node *const got = op == 2   ? list_remove_node(lst, node)
                                   : op == 3 ? list_delete(lst, node, nullptr)
                                             : list_delete(lst, node, release_element);
            EXPECT_EQ(got, next);
            EXPECT_EQ(alloc_log(), op == 4 ? name(model[at]) + " -N" : "-N");
            model.erase(model.begin() + at);
        }
        EXPECT_EQ(contents(lst), model);
        EXPECT_EQ(list_size(lst), model.size());
        EXPECT_EQ(list_empty(lst), model.empty() ? 1 : 0);
        for (unsigned n = 0; n < model.size(); ++n) {
            EXPECT_EQ(list_at(lst, n), model[n]);
            EXPECT_EQ(list_get_item(lst, n), model[n]);
        }
    }
    list_free(lst, nullptr);
}

TEST(ListCore, HandlesStepOffEitherEndAndStayThere) {
    list *lst = make_list({x, y});
    for (list_iterator past : {list_next(list_last(lst)), list_prev(list_first(lst))}) {
        EXPECT_EQ(list_end(past), 1);
        EXPECT_EQ(list_end(list_next(past)), 1);
        EXPECT_EQ(list_end(list_prev(past)), 1);
    }
    list_clear(lst, nullptr);
    EXPECT_EQ(list_size(lst), 0u);
    EXPECT_EQ(list_empty(lst), 1);
    EXPECT_EQ(list_end(list_first(lst)), 1);
    EXPECT_EQ(list_end(list_last(lst)), 1);
    list_free(lst, nullptr);
    EXPECT_EQ(list_empty(nullptr), 1); // a null list counts as empty
    EXPECT_EQ(list_size(nullptr), 0u);
}

// ---- Walks, search and counting ----

// Every callback call as text, e.g. "f(c,x)": which callback ('f' walk, 'd'
// dual walk, 's' separator, 'p' predicate, 'k' find) and its arguments in
// the order received; a node shows as # and its element. Each callback
// answers with the result set for its element (or node), else `otherwise`.
std::string calls;
std::map<const void *, int> answers;
int otherwise = 1;

int answer(char callback, std::vector<std::string> args, const void *about) {
    calls += (calls.empty() ? "" : " ") + std::string(1, callback) + "(";
    for (std::size_t n = 0; n < args.size(); ++n) {
        calls += (n == 0 ? "" : ",") + args[n];
    }
    calls += ")";
    return answers.count(about) != 0 ? answers[about] : otherwise;
}
int walk(void *c, void *e) {
    return answer('f', {name(c), name(e)}, e);
}
int dual_walk(void *c1, void *c2, void *e) {
    return answer('d', {name(c1), name(c2), name(e)}, e);
}
int separator(void *c, list_node *next) {
    return answer('s', {name(c), std::string("#").append(name(next->data))}, next);
}
int predicate(void *e, void *c) {
    return answer('p', {name(e), name(c)}, e);
}
int match(const void *key, const void *e) {
    return answer('k', {name(key), name(e)}, e);
}

std::string take_calls() {
    std::string taken = calls;
    calls.clear();
    return taken;
}

class ListWalk : public ::testing::Test {
  protected:
    void SetUp() override {
        calls.clear();
        answers.clear();
        otherwise = 1;
    }
    void TearDown() override {
        list_free(lst, nullptr);
        list_free(empty, nullptr);
    }
    list *lst = make_list({x, y, z});
    list *empty = list_new(nullptr, nullptr);
};

TEST_F(ListWalk, FindDataAndFindStopAtTheFirstMatch) {
    list_add(lst, y);
    list_add(lst, nullptr);
    EXPECT_EQ(list_find_data(lst, y), lst->head->next);
    EXPECT_EQ(list_find_data(lst, nullptr), lst->tail);
    EXPECT_EQ(list_find_data(lst, w), nullptr);
    EXPECT_EQ(list_find_data(empty, nullptr), nullptr);

    answers = {{x, -1}, {y, 0}, {z, 0}}; // only 0 matches, and the key comes first
    EXPECT_EQ(list_find(lst, w, match), lst->head->next);
    EXPECT_EQ(take_calls(), "k(w,x) k(w,y)");
    answers.clear();
    EXPECT_EQ(list_find(lst, nullptr, match), nullptr);
    EXPECT_EQ(take_calls(), "k(0,x) k(0,y) k(0,z) k(0,y) k(0,0)");
    EXPECT_EQ(list_find(empty, w, match), nullptr);
    EXPECT_EQ(take_calls(), "");
}

TEST_F(ListWalk, WalksStopOnZeroAndReturnExactlyZeroOrOne) {
    const struct {
        std::map<const void *, int> answers;
        int otherwise;
        int forward_result; // of list_foreach and list_dual_foreach
        const char *forward;
        int backward_result; // of list_foreach_reversed
        const char *backward;
    } cases[] = {
        {{}, 1, 1, "xyz", 1, "zyx"},
        {{{x, -1}, {z, INT_MIN}}, 7, 1, "xyz", 1, "zyx"}, // any non-zero continues
        {{{y, 0}}, 1, 0, "xy", 0, "zy"},
        {{{x, 0}}, 1, 0, "x", 0, "zyx"},
        {{{z, 0}}, 1, 0, "xyz", 0, "z"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.forward);
        std::string single, dual, reversed;
        for (const char *e = c.forward; *e != '\0'; ++e) {
            single += std::string(single.empty() ? "" : " ") + "f(c," + *e + ")";
            dual += std::string(dual.empty() ? "" : " ") + "d(c,d," + *e + ")";
        }
        for (const char *e = c.backward; *e != '\0'; ++e) {
            reversed += std::string(reversed.empty() ? "" : " ") + "f(c," + *e + ")";
        }
        answers = c.answers;
        otherwise = c.otherwise;
        EXPECT_EQ(list_foreach(lst, ctx, walk), c.forward_result);
        EXPECT_EQ(take_calls(), single);
        EXPECT_EQ(list_dual_foreach(lst, ctx, ctx2, dual_walk), c.forward_result);
        EXPECT_EQ(take_calls(), dual);
        EXPECT_EQ(list_foreach_reversed(lst, ctx, walk), c.backward_result);
        EXPECT_EQ(take_calls(), reversed);
    }
}

TEST_F(ListWalk, SeparatorRunsOnlyBetweenNeighboursAndGetsTheNextNode) {
    otherwise = 5;
    const struct {
        std::map<const void *, int> answers;
        int result;
        const char *calls;
    } cases[] = {
        {{}, 1, "f(c,x) s(c,#y) f(c,y) s(c,#z) f(c,z)"},
        {{{lst->head->next, 0}}, 0, "f(c,x) s(c,#y)"},
        {{{y, 0}}, 0, "f(c,x) s(c,#y) f(c,y)"},
        {{{z, 0}}, 0, "f(c,x) s(c,#y) f(c,y) s(c,#z) f(c,z)"},
    };
    for (const auto &c : cases) {
        answers = c.answers;
        EXPECT_EQ(list_foreach_sep(lst, ctx, walk, separator), c.result);
        EXPECT_EQ(take_calls(), c.calls);
    }
    list_clear(lst, nullptr);
    list_add(lst, w);
    EXPECT_EQ(list_foreach_sep(lst, ctx, walk, separator), 1);
    EXPECT_EQ(take_calls(), "f(c,w)");
}

TEST_F(ListWalk, CountGivesElementFirstAndCountsNonZero) {
    list_add(lst, nullptr);
    answers = {{x, 3}, {y, 0}, {z, -1}, {nullptr, 0}};
    EXPECT_EQ(list_count(lst, predicate, ctx), 2u);
    EXPECT_EQ(take_calls(), "p(x,c) p(y,c) p(z,c) p(0,c)");
    EXPECT_EQ(list_count(lst, nullptr, ctx), 4u);
}

// The empty list, and where the unchecked walks meet a null list or callback.
TEST_F(ListWalk, EmptyListsAndNullsGiveOneOrZeroWithoutCalls) {
    for (list *none : {empty, static_cast<list *>(nullptr)}) {
        EXPECT_EQ(list_dual_foreach(none, ctx, ctx2, dual_walk), 1);
        EXPECT_EQ(list_foreach_reversed(none, ctx, walk), 1);
        EXPECT_EQ(list_foreach_sep(none, ctx, walk, separator), 1);
        EXPECT_EQ(list_count(none, predicate, ctx), 0u);
    }
    EXPECT_EQ(list_foreach(empty, ctx, walk), 1);
    EXPECT_EQ(take_calls(), "");
    EXPECT_EQ(list_dual_foreach(lst, ctx, ctx2, nullptr), 1);
    EXPECT_EQ(list_foreach_reversed(lst, ctx, nullptr), 1);
    EXPECT_EQ(list_foreach_sep(lst, ctx, walk, nullptr), 1);
    EXPECT_EQ(take_calls(), "f(c,x) f(c,y) f(c,z)");
    // Without f only the separators run, and one of them can still stop the walk.
    answers = {{lst->tail, 0}};
    EXPECT_EQ(list_foreach_sep(lst, ctx, nullptr, separator), 0);
    EXPECT_EQ(take_calls(), "s(c,#y) s(c,#z)");
}

// ---- Sorting ----

// A sort key with the element's original position, so that an unstable
// exchange shows.
struct Item {
    int key;
    unsigned serial;
};

std::vector<std::pair<int, int>> compared; // keys as handed to the ordering callback

// Only the sign may matter: out of order is a large positive value, in order a
// negative one that an unsigned or non-zero test would take for "swap".
int by_key(const void *earlier, const void *later) {
    const int a = static_cast<const Item *>(earlier)->key;
    const int b = static_cast<const Item *>(later)->key;
    compared.emplace_back(a, b);
    return a > b ? 42 : a < b ? INT_MIN : 0;
}

// Sorts items with by_key and returns their serials head to tail; the nodes
// must stay where they were, only the elements move.
std::vector<unsigned> sort_items(std::vector<Item> items) {
    list *lst = list_new(nullptr, nullptr);
    std::vector<const list_node *> nodes;
    for (Item &item : items) {
        list_add(lst, &item);
        nodes.push_back(lst->tail);
    }
    compared.clear();
    list_sort(lst, by_key);
    std::vector<unsigned> serials;
    for (list_iterator i = list_first(lst); !list_end(i); i = list_next(i)) {
        EXPECT_EQ(i.node, nodes[serials.size()]);
        serials.push_back(static_cast<Item *>(list_get(i))->serial);
    }
    EXPECT_EQ(contents(lst).size(), items.size());
    list_free(lst, nullptr);
    return serials;
}

std::vector<Item> items_of(const std::vector<int> &keys) {
    std::vector<Item> items;
    for (unsigned n = 0; n < keys.size(); ++n) {
        items.push_back({keys[n], n});
    }
    return items;
}

TEST(ListSort, PassesOverTheWholeListUntilOneExchangesNothing) {
    // Calls worked out by hand: n - 1 per pass, one clean pass at the end.
    const struct {
        std::vector<int> keys;
        std::size_t calls;
        std::vector<unsigned> order; // serials after the sort
    } cases[] = {
        {{}, 0, {}},
        {{5}, 0, {0}},
        {{1, 2}, 1, {0, 1}},
        {{2, 1}, 2, {1, 0}},
        {{3, 2, 1}, 6, {2, 1, 0}},
        {{1, 2, 3, 4}, 3, {0, 1, 2, 3}},
        {{2, 3, 4, 1}, 12, {3, 0, 1, 2}},
        {{4, 1, 2, 3}, 6, {1, 2, 3, 0}},
        {{2, 1, 2, 1}, 9, {1, 3, 0, 2}}, // equal keys keep their order
        {{7, 7, 7}, 2, {0, 1, 2}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.keys));
        EXPECT_EQ(sort_items(items_of(c.keys)), c.order);
        EXPECT_EQ(compared.size(), c.calls);
    }
    // Earlier first: pass 1 moves 3 to the tail, pass 2 finds 1, 2, 3 in order.
    sort_items(items_of({3, 1, 2}));
    EXPECT_EQ(compared, (std::vector<std::pair<int, int>>{{3, 1}, {3, 2}, {1, 2}, {2, 3}}));
}

TEST(ListSort, MatchesStableSortOnRandomLists) {
    std::mt19937 random(20240531u);
    for (int round = 0; round < 300; ++round) {
        SCOPED_TRACE(round);
        const unsigned size = std::uniform_int_distribution<unsigned>(0, 24)(random);
        std::uniform_int_distribution<int> key(-3, 5); // many equal keys
        std::vector<Item> items;
        for (unsigned n = 0; n < size; ++n) {
            items.push_back({key(random), n});
        }
        std::vector<Item> model = items;
        std::stable_sort(model.begin(), model.end(),
                         [](const Item &a, const Item &b) { return a.key < b.key; });
        std::vector<unsigned> expected;
        for (const Item &item : model) {
            expected.push_back(item.serial);
        }
        ASSERT_EQ(sort_items(items), expected);
        // Whole passes only, at most one per element.
        const std::size_t per_pass = size > 1 ? size - 1 : 1;
        EXPECT_EQ(compared.size() % per_pass, 0u);
        EXPECT_LE(compared.size() / per_pass, size > 1 ? size : 0);
    }
}

// ---- Derived lists and merging ----

// Every element a callback was handed, in order, for every callback below.
Elements seen;

int keep_y_and_w(void *element, void *context_given) {
    EXPECT_EQ(context_given, ctx);
    seen.push_back(element);
    return element == y ? 1 : element == w ? -8 : 0; // any non-zero keeps
}

// Maps x to NULL (stored like any other value) and the others to the next
// int, so that a result shows which element it came from.
void *shift(void *element) {
    seen.push_back(element);
    return element == x ? nullptr : static_cast<int *>(element) + 1;
}

// Copies are heap blocks of their own, logged when released.
Elements copies;

void *copy_element(void *element) {
    seen.push_back(element);
    copies.push_back(std::malloc(sizeof(int)));
    return copies.back();
}

void release_copy(void *copy) {
    RecordingAllocator::release_element(copy);
    std::free(copy);
}

Elements released_elements() {
    Elements released;
    for (const AllocEvent &e : RecordingAllocator::events()) {
        if (e.kind == AllocEvent::Element) {
            released.push_back(e.block);
        }
    }
    return released;
}

// A source on the recording allocator, which no derived list may change.
class DerivedList : public ::testing::Test {
  protected:
    void SetUp() override {
        RecordingAllocator::reset();
        seen.clear();
        copies.clear();
        source = make_recorded({x, y, z, w});
    }
    void TearDown() override {
        EXPECT_EQ(contents(source), (Elements{x, y, z, w}));
        list_free(source, nullptr);
        EXPECT_EQ(RecordingAllocator::live_blocks(), 0);
    }
    list *source = nullptr;
};

TEST_F(DerivedList, SublistsHoldTheSourcesElementsAndNeverReleaseThem) {
    list *empty = list_new(nullptr, nullptr);
    for (const list *from : {source, empty}) {
        const struct {
            list *sub;
            Elements expected;
        } derived[] = {
            {sublist_create(from, keep_y_and_w, ctx), {y, w}},
            {sublist_create_neg(from, keep_y_and_w, ctx), {x, z}},
            {sublist_copy(from), {x, y, z, w}},
            {sublist_adaptor(from, shift), {nullptr, &elems[2], &elems[3], &elems[4]}},
        };
        for (const auto &d : derived) {
            ASSERT_NE(d.sub, nullptr);
            EXPECT_EQ(contents(d.sub), from == empty ? Elements{} : d.expected);
            EXPECT_EQ(d.sub->is_sublist, 1);
            EXPECT_EQ(d.sub->alloc_fn, from->alloc_fn);
            EXPECT_EQ(d.sub->free_fn, from->free_fn);
            list_free(d.sub, release_element);
        }
    }
    // keep_y_and_w for two filters, then shift, each over the source once.
    EXPECT_EQ(seen, (Elements{x, y, z, w, x, y, z, w, x, y, z, w}));
    EXPECT_TRUE(released_elements().empty());
    list_free(empty, nullptr);
}

TEST_F(DerivedList, CopyIsAnOrdinaryListOfFreshCopies) {
    list *sub = sublist_copy(source);
    list *copy = list_copy(sub, copy_element, release_copy);
    EXPECT_EQ(seen, (Elements{x, y, z, w}));
    EXPECT_EQ(contents(copy), copies);
    EXPECT_EQ(copy->is_sublist, 0);
    EXPECT_EQ(copy->alloc_fn, &RecordingAllocator::alloc);
    EXPECT_EQ(list_add(copy, nullptr), copy);
    list_free(sub, nullptr);
    list_free(copy, release_copy);
    copies.push_back(nullptr); // the element added last
    EXPECT_EQ(released_elements(), copies);

    list *empty = list_new(nullptr, nullptr);
    copy = list_copy(empty, copy_element, release_copy);
    EXPECT_TRUE(contents(copy).empty());
    EXPECT_EQ(copy->is_sublist, 0);
    EXPECT_EQ(seen.size(), 4u);
    list_free(copy, nullptr);
    list_free(empty, nullptr);
}

TEST_F(DerivedList, SortingOrEmptyingASublistLeavesTheSourceAlone) {
    list *sub = sublist_copy(source);
    // Descending by address: the reverse of the source's order.
    list_sort(sub, [](const void *a, const void *b) { return a < b ? 1 : 0; });
    EXPECT_EQ(contents(sub), (Elements{w, z, y, x}));
    list_remove_node(sub, sub->head);
    EXPECT_EQ(list_at(sub, 0), z);
    list_clear(sub, release_element);
    EXPECT_TRUE(released_elements().empty());
    list_free(sub, nullptr);
}

TEST_F(DerivedList, UncheckedOperationsGiveNullForNull) {
    RecordingAllocator::events().clear();
    EXPECT_EQ(sublist_copy(nullptr), nullptr);
    EXPECT_EQ(sublist_adaptor(nullptr, shift), nullptr);
    EXPECT_EQ(sublist_adaptor(source, nullptr), nullptr);
    EXPECT_TRUE(RecordingAllocator::events().empty());
}

TEST_F(DerivedList, MergingAnEmptyListFreesItEvenIntoASublist) {
    list *dest = make_recorded({w});
    EXPECT_EQ(list_merge(dest, make_recorded({})), dest);
    EXPECT_EQ(contents(dest), (Elements{w}));
    list *sub = sublist_copy(source);
    EXPECT_EQ(list_merge(sub, make_recorded({})), sub);
    list_free(sub, nullptr);
    list_free(dest, nullptr);
}

// ---- Checks ----

// Lists for the checks below, made by the test before they run.
list *one;     // holds x
list *derived; // a sublist

struct Check {
    void (*statement)();
    const char *function;
    const char *expression;
};

const Check checks[] = {
    {[] { list_clear(nullptr, nullptr); }, "list_clear", "lst != NULL"},
    {[] { list_add(nullptr, x); }, "list_add", "lst != NULL"},
    {[] { list_insert(nullptr, x); }, "list_insert", "lst != NULL"},
    {[] { list_remove_node(nullptr, nullptr); }, "list_remove_node", "lst != NULL"},
    {[] { list_remove_node(one, nullptr); }, "list_remove_node", "node != NULL"},
    {[] { list_delete(nullptr, nullptr, nullptr); }, "list_delete", "lst != NULL"},
    // Refused before the release callback runs (it would abort without the report).
    {[] { list_delete(one, nullptr, [](void *) { std::abort(); }); }, "list_delete",
     "node != NULL"},
    {[] { list_first(nullptr); }, "list_first", "lst != NULL"},
    {[] { list_last(nullptr); }, "list_last", "lst != NULL"},
    {[] { list_get(list_iterator{nullptr}); }, "list_get", "i.node != NULL"},
    {[] { list_at(nullptr, 0); }, "list_at", "lst != NULL"},
    {[] { list_at(one, 1); }, "list_at", "idx < list_size(lst)"},
    {[] { list_at(one, UINT32_MAX); }, "list_at", "idx < list_size(lst)"},
    {[] { list_get_item(nullptr, 0); }, "list_get_item", "lst != NULL"},
    {[] { list_get_item(one, 1); }, "list_get_item", "index < list_size(lst)"},
    {[] { list_find_data(nullptr, x); }, "list_find_data", "lst"},
    {[] { list_find(nullptr, x, nullptr); }, "list_find", "lst"},
    {[] { list_find(one, x, nullptr); }, "list_find", "cmp"},
    {[] { list_foreach(nullptr, ctx, nullptr); }, "list_foreach", "lst != NULL"},
    {[] { list_foreach(one, ctx, nullptr); }, "list_foreach", "f != NULL"},
    {[] { list_sort(nullptr, nullptr); }, "list_sort", "lst != NULL"},
    {[] { list_sort(one, nullptr); }, "list_sort", "func != NULL"},
    {[] { sublist_create(nullptr, nullptr, ctx); }, "sublist_create", "lst != NULL"},
    {[] { sublist_create(one, nullptr, ctx); }, "sublist_create", "include_node != NULL"},
    {[] { sublist_create_neg(nullptr, nullptr, ctx); }, "sublist_create_neg", "lst != NULL"},
    {[] { sublist_create_neg(one, nullptr, ctx); }, "sublist_create_neg", "include_node != NULL"},
    {[] { list_copy(nullptr, nullptr, nullptr); }, "list_copy", "lst != NULL"},
    {[] { list_copy(one, nullptr, nullptr); }, "list_copy", "copier != NULL"},
    {[] { list_merge(nullptr, nullptr); }, "list_merge", "src != NULL"},
    {[] { list_merge(nullptr, one); }, "list_merge", "dest != NULL"},
    // A sublist takes nothing in; list_delete says so before looking at the node.
    {[] { list_add(derived, x); }, "list_add", "!lst->is_sublist"},
    {[] { list_insert(derived, x); }, "list_insert", "!lst->is_sublist"},
    {[] { list_delete(derived, nullptr, nullptr); }, "list_delete", "!lst->is_sublist"},
    {[] { list_merge(derived, one); }, "list_add", "!lst->is_sublist"},
};

TEST(ListDeathTest, EveryCheckReportsItsExpressionAndFunction) {
    one = make_list({x});
    list *empty = list_new(nullptr, nullptr);
    list *sublists[] = {sublist_create(
                            one, [](void *, void *) { return 1; }, nullptr),
                        sublist_create_neg(
                            one, [](void *, void *) { return 0; }, nullptr),
                        sublist_copy(one), sublist_adaptor(one, [](void *e) { return e; })};
    for (const Check &c : checks) {
        SCOPED_TRACE(c.expression);
        for (list *sub : sublists) {
            derived = sub;
            EXPECT_ZUC_CHECK_FAILS(c.statement(), "llist", c.function, c.expression);
            if (std::string(c.expression) != "!lst->is_sublist") {
                break; // the sublist does not matter to this check
            }
        }
    }
    // An empty list is refused just the same.
    EXPECT_ZUC_CHECK_FAILS(list_sort(empty, nullptr), "llist", "list_sort", "func != NULL");
    EXPECT_ZUC_CHECK_FAILS(list_get_item(empty, 0), "llist", "list_get_item",
                           "index < list_size(lst)");
    for (list *sub : sublists) {
        list_free(sub, nullptr);
    }
    list_free(empty, nullptr);
    list_free(one, nullptr);
}

} // namespace
