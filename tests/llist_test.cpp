// Generic list: core operations, allocator use, sublist refusal, walks with
// callbacks, search, counting, sorting, and their checks.
#include <libzuc/llist.h>

#include "zuc_test.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <ostream>
#include <random>
#include <vector>

namespace {

using zuc_test::AllocEvent;
using zuc_test::RecordingAllocator;

// Distinct element pointers that are never dereferenced.
int elems[8];
void *const x = &elems[0];
void *const y = &elems[1];
void *const z = &elems[2];
void *const w = &elems[3];

// Walks the list both ways, checks the link invariants on the way and returns
// the elements head to tail.
std::vector<void *> contents(const list *lst) {
    std::vector<void *> forward;
    const list_node *prev = nullptr;
    for (list_iterator i = list_first(lst); !list_end(i); i = list_next(i)) {
        EXPECT_EQ(i.node->prev, prev);
        prev = i.node;
        forward.push_back(list_get(i));
    }
    EXPECT_EQ(lst->tail, prev);
    std::vector<void *> backward;
    for (list_iterator i = list_last(lst); !list_end(i); i = list_prev(i)) {
        backward.insert(backward.begin(), list_get(i));
    }
    EXPECT_EQ(forward, backward);
    EXPECT_EQ((lst->head == nullptr), (lst->tail == nullptr));
    return forward;
}

list *make_list(std::initializer_list<void *> items) {
    list *lst = list_new(nullptr, nullptr);
    for (void *item : items) {
        EXPECT_EQ(list_add(lst, item), lst);
    }
    return lst;
}

void release_element(void *element) {
    RecordingAllocator::release_element(element);
}

class ListAllocation : public ::testing::Test {
  protected:
    void SetUp() override { RecordingAllocator::reset(); }
    void TearDown() override { EXPECT_EQ(RecordingAllocator::live_blocks(), 0); }
    static list *new_recorded_list() {
        return list_new(RecordingAllocator::alloc, RecordingAllocator::release);
    }
    static std::vector<AllocEvent> &events() { return RecordingAllocator::events(); }
};

TEST(ListNew, DefaultsTakenIndependently) {
    list *both = list_new(nullptr, nullptr);
    ASSERT_NE(both, nullptr);
    EXPECT_EQ(both->alloc_fn, static_cast<list_alloc_fn>(malloc));
    EXPECT_EQ(both->free_fn, static_cast<list_free_fn>(free));
    EXPECT_EQ(both->head, nullptr);
    EXPECT_EQ(both->tail, nullptr);
    EXPECT_EQ(both->is_sublist, 0);
    list_free(both, nullptr);

    RecordingAllocator::reset();
    list *alloc_only = list_new(RecordingAllocator::alloc, nullptr);
    EXPECT_EQ(alloc_only->alloc_fn, &RecordingAllocator::alloc);
    EXPECT_EQ(alloc_only->free_fn, static_cast<list_free_fn>(free));
    list_free(alloc_only, nullptr); // released through free: compatible with malloc

    list *free_only = list_new(nullptr, RecordingAllocator::release);
    EXPECT_EQ(free_only->alloc_fn, static_cast<list_alloc_fn>(malloc));
    EXPECT_EQ(free_only->free_fn, &RecordingAllocator::release);
    list_free(free_only, nullptr);
    // One record allocated through the recorder, one released through it.
    ASSERT_EQ(RecordingAllocator::events().size(), 2u);
    EXPECT_EQ(RecordingAllocator::events()[0].kind, AllocEvent::Alloc);
    EXPECT_EQ(RecordingAllocator::events()[1].kind, AllocEvent::Free);
}

TEST_F(ListAllocation, RecordOnceNodePerElementRecordReleasedLast) {
    list *lst = new_recorded_list();
    list_add(lst, x);
    list_insert(lst, y);
    list_add(lst, z);
    const list_node *first = lst->head;
    const list_node *second = first->next;
    const list_node *third = second->next;
    list_free(lst, release_element);

    const std::vector<AllocEvent> &log = events();
    ASSERT_EQ(log.size(), 11u);
    EXPECT_EQ(log[0].kind, AllocEvent::Alloc);
    EXPECT_EQ(log[0].size, sizeof(list));
    EXPECT_EQ(log[0].block, lst);
    for (int n = 1; n <= 3; ++n) {
        EXPECT_EQ(log[n].kind, AllocEvent::Alloc);
        EXPECT_EQ(log[n].size, 3 * sizeof(void *));
    }
    // Elements head to tail (y, x, z), all before the first node goes.
    const void *released[] = {y, x, z};
    for (int n = 0; n < 3; ++n) {
        EXPECT_EQ(log[4 + n].kind, AllocEvent::Element);
        EXPECT_EQ(log[4 + n].block, released[n]);
    }
    const void *nodes[] = {first, second, third, lst};
    for (int n = 0; n < 4; ++n) {
        EXPECT_EQ(log[7 + n].kind, AllocEvent::Free);
        EXPECT_EQ(log[7 + n].block, nodes[n]);
    }
}

TEST_F(ListAllocation, ClearReleasesElementsFirstAndKeepsListUsable) {
    list *lst = new_recorded_list();
    list_add(lst, x);
    list_add(lst, y);
    events().clear();
    list_clear(lst, release_element);
    ASSERT_EQ(events().size(), 4u);
    EXPECT_EQ(events()[0].kind, AllocEvent::Element);
    EXPECT_EQ(events()[0].block, x);
    EXPECT_EQ(events()[1].kind, AllocEvent::Element);
    EXPECT_EQ(events()[1].block, y);
    EXPECT_EQ(events()[2].kind, AllocEvent::Free);
    EXPECT_EQ(events()[3].kind, AllocEvent::Free);
    EXPECT_EQ(lst->head, nullptr);
    EXPECT_EQ(lst->tail, nullptr);
    EXPECT_EQ(lst->free_fn, &RecordingAllocator::release);

    list_add(lst, z);
    EXPECT_EQ(contents(lst), (std::vector<void *>{z}));
    list_free(lst, nullptr);
}

TEST_F(ListAllocation, SublistReleasesNodesButNeverElements) {
    list *lst = new_recorded_list();
    list_add(lst, x);
    list_add(lst, y);
    lst->is_sublist = 1; // what the derived-list operations set
    list_clear(lst, release_element);
    EXPECT_EQ(lst->head, nullptr);
    lst->is_sublist = 0;
    list_add(lst, z);
    lst->is_sublist = 1;
    list_free(lst, release_element);
    for (const AllocEvent &e : events()) {
        EXPECT_NE(e.kind, AllocEvent::Element);
    }
}

TEST(ListCore, EmptyList) {
    list *lst = list_new(nullptr, nullptr);
    EXPECT_EQ(list_end(list_first(lst)), 1);
    EXPECT_EQ(list_end(list_last(lst)), 1);
    EXPECT_EQ(list_size(lst), 0u);
    EXPECT_EQ(list_empty(lst), 1);
    list_free(lst, nullptr);
    list_free(nullptr, release_element); // does nothing
}

TEST(ListCore, WalksAndPositions) {
    list *lst = make_list({x, y, z});
    EXPECT_EQ(contents(lst), (std::vector<void *>{x, y, z}));
    EXPECT_EQ(list_size(lst), 3u);
    EXPECT_EQ(list_empty(lst), 0);
    void *expected[] = {x, y, z};
    for (unsigned i = 0; i < 3; ++i) {
        EXPECT_EQ(list_at(lst, i), expected[i]);
        EXPECT_EQ(list_get_item(lst, i), expected[i]);
    }
    // Stepping off either end gives the end handle, and stays there.
    list_iterator past_tail = list_next(list_last(lst));
    EXPECT_EQ(list_end(past_tail), 1);
    EXPECT_EQ(list_end(list_next(past_tail)), 1);
    list_iterator before_head = list_prev(list_first(lst));
    EXPECT_EQ(list_end(before_head), 1);
    EXPECT_EQ(list_end(list_prev(before_head)), 1);
    list_free(lst, nullptr);
    // A null list counts as empty.
    EXPECT_EQ(list_empty(nullptr), 1);
    EXPECT_EQ(list_size(nullptr), 0u);
}

TEST(ListCore, InsertPrepends) {
    list *lst = list_new(nullptr, nullptr);
    EXPECT_EQ(list_insert(lst, x), lst);
    EXPECT_EQ(lst->head, lst->tail);
    list_add(lst, y);
    list_insert(lst, w);
    EXPECT_EQ(contents(lst), (std::vector<void *>{w, x, y}));
    list_free(lst, nullptr);
}

TEST(ListCore, NullElementsAreStoredLikeAnyOther) {
    list *lst = make_list({nullptr, x});
    list_insert(lst, nullptr);
    EXPECT_EQ(list_size(lst), 3u);
    EXPECT_EQ(list_get(list_first(lst)), nullptr);
    EXPECT_EQ(list_at(lst, 1), nullptr);
    EXPECT_EQ(list_get_item(lst, 0), nullptr);
    EXPECT_EQ(list_get_item(lst, 2), x);
    list_free(lst, nullptr);
}

TEST(ListCore, RemoveNode) {
    // Only node: the list becomes empty and nothing follows.
    list *lst = make_list({x});
    EXPECT_EQ(list_remove_node(lst, lst->head), nullptr);
    EXPECT_EQ(lst->head, nullptr);
    EXPECT_EQ(lst->tail, nullptr);

    // Head: returns the new head.
    list_add(lst, x);
    list_add(lst, y);
    list_add(lst, z);
    list_node *second = lst->head->next;
    EXPECT_EQ(list_remove_node(lst, lst->head), second);
    EXPECT_EQ(contents(lst), (std::vector<void *>{y, z}));

    // Tail: returns null, the previous node becomes the tail.
    list_add(lst, w);
    list_node *before_tail = lst->tail->prev;
    EXPECT_EQ(list_remove_node(lst, lst->tail), nullptr);
    EXPECT_EQ(lst->tail, before_tail);
    EXPECT_EQ(contents(lst), (std::vector<void *>{y, z}));

    // Middle: neighbours joined both ways.
    list_insert(lst, x);
    list_node *after = lst->head->next->next;
    EXPECT_EQ(list_remove_node(lst, lst->head->next), after);
    EXPECT_EQ(contents(lst), (std::vector<void *>{x, z}));
    list_free(lst, nullptr);
}

TEST(ListCore, RemoveWhileWalking) {
    list *lst = make_list({x, y, z, w});
    list_iterator i = list_first(lst);
    while (!list_end(i)) {
        if (list_get(i) == y || list_get(i) == w) {
            i.node = list_remove_node(lst, i.node);
        } else {
            i = list_next(i);
        }
    }
    EXPECT_EQ(contents(lst), (std::vector<void *>{x, z}));
    list_free(lst, nullptr);
}

TEST_F(ListAllocation, DeleteReleasesTheElementThenTheNode) {
    list *lst = new_recorded_list();
    list_add(lst, x);
    list_add(lst, y);
    list_node *head = lst->head;
    events().clear();
    EXPECT_EQ(list_delete(lst, head, release_element), lst->head);
    ASSERT_EQ(events().size(), 2u);
    EXPECT_EQ(events()[0].kind, AllocEvent::Element);
    EXPECT_EQ(events()[0].block, x);
    EXPECT_EQ(events()[1].kind, AllocEvent::Free);
    EXPECT_EQ(events()[1].block, head);

    // Without a callback it is a plain removal.
    EXPECT_EQ(list_delete(lst, lst->head, nullptr), nullptr);
    EXPECT_EQ(list_empty(lst), 1);
    list_free(lst, nullptr);
}

TEST(ListCore, SublistAcceptsRemovalAndWalks) {
    list *lst = make_list({x, y});
    lst->is_sublist = 1;
    EXPECT_EQ(list_remove_node(lst, lst->head), lst->head);
    EXPECT_EQ(contents(lst), (std::vector<void *>{y}));
    EXPECT_EQ(list_at(lst, 0), y);
    list_free(lst, nullptr);
}

TEST(ListDeathTest, NullListIsReportedFirst) {
    EXPECT_ZUC_CHECK_FAILS(list_clear(nullptr, nullptr), "llist", "list_clear", "lst != NULL");
    EXPECT_ZUC_CHECK_FAILS(list_add(nullptr, x), "llist", "list_add", "lst != NULL");
    EXPECT_ZUC_CHECK_FAILS(list_insert(nullptr, x), "llist", "list_insert", "lst != NULL");
    EXPECT_ZUC_CHECK_FAILS(list_remove_node(nullptr, nullptr), "llist", "list_remove_node",
                           "lst != NULL");
    EXPECT_ZUC_CHECK_FAILS(list_delete(nullptr, nullptr, nullptr), "llist", "list_delete",
                           "lst != NULL");
    EXPECT_ZUC_CHECK_FAILS(list_first(nullptr), "llist", "list_first", "lst != NULL");
    EXPECT_ZUC_CHECK_FAILS(list_last(nullptr), "llist", "list_last", "lst != NULL");
    EXPECT_ZUC_CHECK_FAILS(list_at(nullptr, 0), "llist", "list_at", "lst != NULL");
    EXPECT_ZUC_CHECK_FAILS(list_get_item(nullptr, 0), "llist", "list_get_item", "lst != NULL");
}

TEST(ListDeathTest, SublistRefusesAddInsertDelete) {
    list *lst = make_list({x});
    lst->is_sublist = 1;
    EXPECT_ZUC_CHECK_FAILS(list_add(lst, y), "llist", "list_add", "!lst->is_sublist");
    EXPECT_ZUC_CHECK_FAILS(list_insert(lst, y), "llist", "list_insert", "!lst->is_sublist");
    // The sublist check comes before the node check.
    EXPECT_ZUC_CHECK_FAILS(list_delete(lst, nullptr, nullptr), "llist", "list_delete",
                           "!lst->is_sublist");
    list_free(lst, nullptr);
}

TEST(ListDeathTest, NullNode) {
    list *lst = make_list({x});
    EXPECT_ZUC_CHECK_FAILS(list_remove_node(lst, nullptr), "llist", "list_remove_node",
                           "node != NULL");
    // Refused before the release callback runs (it would abort without the report).
    EXPECT_ZUC_CHECK_FAILS(list_delete(lst, nullptr, [](void *) { std::abort(); }), "llist",
                           "list_delete", "node != NULL");
    list_free(lst, nullptr);
}

TEST(ListDeathTest, HandleAndPositions) {
    EXPECT_ZUC_CHECK_FAILS(list_get(list_iterator{nullptr}), "llist", "list_get", "i.node != NULL");
    list *lst = make_list({x, y, z});
    EXPECT_ZUC_CHECK_FAILS(list_at(lst, 3), "llist", "list_at", "idx < list_size(lst)");
    EXPECT_ZUC_CHECK_FAILS(list_get_item(lst, 3), "llist", "list_get_item",
                           "index < list_size(lst)");
    EXPECT_ZUC_CHECK_FAILS(list_at(lst, UINT32_MAX), "llist", "list_at", "idx < list_size(lst)");
    list *empty = list_new(nullptr, nullptr);
    EXPECT_ZUC_CHECK_FAILS(list_get_item(empty, 0), "llist", "list_get_item",
                           "index < list_size(lst)");
    list_free(empty, nullptr);
    list_free(lst, nullptr);
}

// ---- Walks, search and counting ----

// One callback call as the callback saw it: which callback, and its arguments
// in the order received (unused slots null).
struct Call {
    char callback; // 'f' walk, 'd' dual walk, 's' separator, 'p' predicate, 'c' find
    const void *args[3];
    bool operator==(const Call &) const = default;
};

std::ostream &operator<<(std::ostream &out, const Call &call) {
    return out << call.callback << '(' << call.args[0] << ", " << call.args[1] << ", "
               << call.args[2] << ')';
}

// Records every callback call and answers with a result chosen per element (or
// per node, for the separator); `otherwise` for the rest.
struct Recorder {
    std::vector<Call> calls;
    std::map<const void *, int> answers;
    int otherwise = 1;

    int record(Call call, const void *about) {
        calls.push_back(call);
        auto found = answers.find(about);
        return found != answers.end() ? found->second : otherwise;
    }
};
Recorder recorder;

int walk(void *ctx, void *element) {
    return recorder.record({'f', {ctx, element, nullptr}}, element);
}
int dual_walk(void *ctx1, void *ctx2, void *element) {
    return recorder.record({'d', {ctx1, ctx2, element}}, element);
}
int separator(void *ctx, list_node *next) {
    return recorder.record({'s', {ctx, next, nullptr}}, next);
}
int predicate(void *element, void *ctx) {
    return recorder.record({'p', {element, ctx, nullptr}}, element);
}
int match(const void *key, const void *element) {
    return recorder.record({'c', {key, element, nullptr}}, element);
}

int context;
int other_context;
void *const ctx = &context;
void *const ctx2 = &other_context;

class ListWalk : public ::testing::Test {
  protected:
    void SetUp() override { recorder = Recorder{}; }
    void TearDown() override { list_free(lst, nullptr); }
    list *lst = make_list({x, y, z});
};

TEST_F(ListWalk, FindData) {
    list_add(lst, y);
    list_add(lst, nullptr);
    EXPECT_EQ(list_find_data(lst, y), lst->head->next); // the one nearer the head
    EXPECT_EQ(list_find_data(lst, nullptr), lst->tail);
    EXPECT_EQ(list_find_data(lst, w), nullptr);
    list *empty = list_new(nullptr, nullptr);
    EXPECT_EQ(list_find_data(empty, nullptr), nullptr);
    list_free(empty, nullptr);
}

TEST_F(ListWalk, FindGivesKeyFirstAndStopsAtTheFirstMatch) {
    list_add(lst, y);
    recorder.answers = {{x, -1}, {y, 0}, {z, 0}}; // only 0 matches
    EXPECT_EQ(list_find(lst, w, match), lst->head->next);
    EXPECT_EQ(recorder.calls, (std::vector<Call>{{'c', {w, x}}, {'c', {w, y}}}));

    recorder.calls.clear();
    recorder.answers.clear();
    EXPECT_EQ(list_find(lst, nullptr, match), nullptr);
    EXPECT_EQ(recorder.calls.size(), 4u);

    list *empty = list_new(nullptr, nullptr);
    recorder.calls.clear();
    EXPECT_EQ(list_find(empty, w, match), nullptr);
    EXPECT_TRUE(recorder.calls.empty());
    list_free(empty, nullptr);
}

// The forward and backward walks, their callback calls and their result for a
// given set of answers.
struct WalkCase {
    const char *name;
    std::map<const void *, int> answers;
    int otherwise;
    int forward_result;           // of list_foreach and list_dual_foreach
    std::vector<void *> forward;  // elements they visit
    int backward_result;          // of list_foreach_reversed
    std::vector<void *> backward; // elements it visits
};

TEST_F(ListWalk, StopsOnZeroAndReturnsExactlyZeroOrOne) {
    const WalkCase cases[] = {
        {"all continue", {}, 1, 1, {x, y, z}, 1, {z, y, x}},
        {"any non-zero continues", {{x, -1}, {z, INT_MIN}}, 7, 1, {x, y, z}, 1, {z, y, x}},
        {"stop at y", {{y, 0}}, 1, 0, {x, y}, 0, {z, y}},
        {"stop at x", {{x, 0}}, 1, 0, {x}, 0, {z, y, x}},
        {"stop at z", {{z, 0}}, 1, 0, {x, y, z}, 0, {z}},
    };
    for (const WalkCase &c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<Call> single;
        std::vector<Call> dual;
        for (void *element : c.forward) {
            single.push_back({'f', {ctx, element, nullptr}});
            dual.push_back({'d', {ctx, ctx2, element}});
        }
        std::vector<Call> reversed;
        for (void *element : c.backward) {
            reversed.push_back({'f', {ctx, element, nullptr}});
        }
        recorder = Recorder{{}, c.answers, c.otherwise};
        EXPECT_EQ(list_foreach(lst, ctx, walk), c.forward_result);
        EXPECT_EQ(recorder.calls, single);
        recorder.calls.clear();
        EXPECT_EQ(list_dual_foreach(lst, ctx, ctx2, dual_walk), c.forward_result);
        EXPECT_EQ(recorder.calls, dual);
        recorder.calls.clear();
        EXPECT_EQ(list_foreach_reversed(lst, ctx, walk), c.backward_result);
        EXPECT_EQ(recorder.calls, reversed);
    }
}

TEST_F(ListWalk, EmptyListGivesOneWithoutCalls) {
    list *empty = list_new(nullptr, nullptr);
    EXPECT_EQ(list_foreach(empty, ctx, walk), 1);
    EXPECT_EQ(list_dual_foreach(empty, ctx, ctx2, dual_walk), 1);
    EXPECT_EQ(list_foreach_reversed(empty, ctx, walk), 1);
    EXPECT_EQ(list_foreach_sep(empty, ctx, walk, separator), 1);
    EXPECT_EQ(list_count(empty, predicate, ctx), 0u);
    EXPECT_TRUE(recorder.calls.empty());
    list_free(empty, nullptr);
}

TEST_F(ListWalk, SeparatorRunsOnlyBetweenNeighboursAndGetsTheNextNode) {
    list_node *node_y = lst->head->next;
    list_node *node_z = lst->tail;
    struct SepCase {
        const char *name;
        std::map<const void *, int> answers;
        int result;
        std::vector<Call> calls;
    } cases[] = {
        {"whole walk",
         {},
         1,
         {{'f', {ctx, x}},
          {'s', {ctx, node_y}},
          {'f', {ctx, y}},
          {'s', {ctx, node_z}},
          {'f', {ctx, z}}}},
        {"separator stops before y", {{node_y, 0}}, 0, {{'f', {ctx, x}}, {'s', {ctx, node_y}}}},
        {"walk stops at y", {{y, 0}}, 0, {{'f', {ctx, x}}, {'s', {ctx, node_y}}, {'f', {ctx, y}}}},
        {"walk stops at the tail",
         {{z, 0}},
         0,
         {{'f', {ctx, x}},
          {'s', {ctx, node_y}},
          {'f', {ctx, y}},
          {'s', {ctx, node_z}},
          {'f', {ctx, z}}}},
    };
    for (const SepCase &c : cases) {
        SCOPED_TRACE(c.name);
        recorder = Recorder{{}, c.answers, 5};
        EXPECT_EQ(list_foreach_sep(lst, ctx, walk, separator), c.result);
        EXPECT_EQ(recorder.calls, c.calls);
    }

    list *single = make_list({w});
    recorder = Recorder{};
    EXPECT_EQ(list_foreach_sep(single, ctx, walk, separator), 1);
    EXPECT_EQ(recorder.calls, (std::vector<Call>{{'f', {ctx, w}}}));
    list_free(single, nullptr);
}

TEST_F(ListWalk, CountGivesElementFirst) {
    list_add(lst, nullptr);
    recorder.answers = {{x, 3}, {y, 0}, {z, -1}, {nullptr, 0}};
    EXPECT_EQ(list_count(lst, predicate, ctx), 2u);
    EXPECT_EQ(recorder.calls,
              (std::vector<Call>{
                  {'p', {x, ctx}}, {'p', {y, ctx}}, {'p', {z, ctx}}, {'p', {nullptr, ctx}}}));
    EXPECT_EQ(list_count(lst, nullptr, ctx), 4u);
}

// Where the unchecked walks meet a null list or callback.
TEST_F(ListWalk, UncheckedWalksTolerateNull) {
    EXPECT_EQ(list_dual_foreach(nullptr, ctx, ctx2, dual_walk), 1);
    EXPECT_EQ(list_foreach_reversed(nullptr, ctx, walk), 1);
    EXPECT_EQ(list_foreach_sep(nullptr, ctx, walk, separator), 1);
    EXPECT_EQ(list_count(nullptr, predicate, ctx), 0u);
    EXPECT_TRUE(recorder.calls.empty());
    EXPECT_EQ(list_dual_foreach(lst, ctx, ctx2, nullptr), 1);
    EXPECT_EQ(list_foreach_reversed(lst, ctx, nullptr), 1);
    EXPECT_EQ(list_foreach_sep(lst, ctx, walk, nullptr), 1);
    EXPECT_EQ(recorder.calls,
              (std::vector<Call>{{'f', {ctx, x}}, {'f', {ctx, y}}, {'f', {ctx, z}}}));
    // Without f only the separators run, and one of them can still stop the walk.
    recorder = Recorder{{}, {{lst->tail, 0}}, 1};
    EXPECT_EQ(list_foreach_sep(lst, ctx, nullptr, separator), 0);
    EXPECT_EQ(recorder.calls,
              (std::vector<Call>{{'s', {ctx, lst->head->next}}, {'s', {ctx, lst->tail}}}));
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

struct SortRun {
    std::vector<unsigned> serials;     // serials head to tail after the sort
    std::vector<list_node *> nodes;    // nodes head to tail after the sort
    std::vector<list_node *> original; // nodes head to tail before it
};

SortRun sort_items(std::vector<Item> &items) {
    list *lst = list_new(nullptr, nullptr);
    SortRun run;
    for (Item &item : items) {
        list_add(lst, &item);
        run.original.push_back(lst->tail);
    }
    compared.clear();
    list_sort(lst, by_key);
    for (list_iterator i = list_first(lst); !list_end(i); i = list_next(i)) {
        run.serials.push_back(static_cast<Item *>(list_get(i))->serial);
        run.nodes.push_back(i.node);
    }
    EXPECT_EQ(contents(lst).size(), items.size()); // links still consistent
    list_free(lst, nullptr);
    return run;
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
        {{3, 1, 2}, 4, {1, 2, 0}},
        {{3, 2, 1}, 6, {2, 1, 0}},
        {{1, 2, 3, 4}, 3, {0, 1, 2, 3}},
        {{2, 3, 4, 1}, 12, {3, 0, 1, 2}},
        {{4, 1, 2, 3}, 6, {1, 2, 3, 0}},
        {{2, 1, 2, 1}, 9, {1, 3, 0, 2}}, // equal keys keep their order
        {{7, 7, 7}, 2, {0, 1, 2}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.keys));
        std::vector<Item> items = items_of(c.keys);
        SortRun run = sort_items(items);
        EXPECT_EQ(compared.size(), c.calls);
        EXPECT_EQ(run.serials, c.order);
        EXPECT_EQ(run.nodes, run.original);
    }
}

TEST(ListSort, ComparesEarlierWithLater) {
    std::vector<Item> items = items_of({3, 1, 2});
    sort_items(items);
    // Pass 1 moves 3 to the tail (3,1 then 3,2); pass 2 finds 1,2,3 in order.
    EXPECT_EQ(compared, (std::vector<std::pair<int, int>>{{3, 1}, {3, 2}, {1, 2}, {2, 3}}));
}

TEST(ListSort, MatchesStableSortOnRandomLists) {
    std::mt19937 random(20240531u); // fixed, so a failure reproduces
    for (int round = 0; round < 300; ++round) {
        const unsigned size = std::uniform_int_distribution<unsigned>(0, 24)(random);
        // Few distinct keys, so that many compare equal.
        std::uniform_int_distribution<int> key(-3, 5);
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
        SCOPED_TRACE(round);
        SortRun run = sort_items(items);
        ASSERT_EQ(run.serials, expected);
        EXPECT_EQ(run.nodes, run.original);
        if (size > 1) {
            // Whole passes only, at most one per element.
            EXPECT_EQ(compared.size() % (size - 1), 0u);
            EXPECT_LE(compared.size() / (size - 1), size);
        } else {
            EXPECT_TRUE(compared.empty());
        }
    }
}

TEST(ListDeathTest, TraversalAndSort) {
    list *lst = make_list({x});
    EXPECT_ZUC_CHECK_FAILS(list_find_data(nullptr, x), "llist", "list_find_data", "lst");
    EXPECT_ZUC_CHECK_FAILS(list_find(nullptr, x, nullptr), "llist", "list_find", "lst");
    EXPECT_ZUC_CHECK_FAILS(list_find(lst, x, nullptr), "llist", "list_find", "cmp");
    EXPECT_ZUC_CHECK_FAILS(list_foreach(nullptr, ctx, nullptr), "llist", "list_foreach",
                           "lst != NULL");
    EXPECT_ZUC_CHECK_FAILS(list_foreach(lst, ctx, nullptr), "llist", "list_foreach", "f != NULL");
    EXPECT_ZUC_CHECK_FAILS(list_sort(nullptr, nullptr), "llist", "list_sort", "lst != NULL");
    list *empty = list_new(nullptr, nullptr);
    EXPECT_ZUC_CHECK_FAILS(list_sort(empty, nullptr), "llist", "list_sort", "func != NULL");
    list_free(empty, nullptr);
    list_free(lst, nullptr);
}
} // namespace
