// Generic list: core operations, allocator use, sublist refusal and checks.
#include <libzuc/llist.h>

#include "zuc_test.h"

#include <cstdint>
#include <cstdlib>
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

TEST_F(ListAllocation, FailedRecordAllocationCallsNothingElse) {
    RecordingAllocator::fail_at(1);
    EXPECT_EQ(new_recorded_list(), nullptr);
    ASSERT_EQ(events().size(), 1u);
    EXPECT_EQ(events()[0].kind, AllocEvent::Alloc);
    EXPECT_EQ(events()[0].size, sizeof(list));
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

TEST_F(ListAllocation, FailedNodeAllocationLeavesListUnchanged) {
    list *lst = new_recorded_list();
    list_add(lst, x);
    list_add(lst, y);
    const std::size_t before = events().size();

    RecordingAllocator::fail_at(1);
    EXPECT_EQ(list_add(lst, z), nullptr);
    RecordingAllocator::fail_at(1);
    EXPECT_EQ(list_insert(lst, z), nullptr);

    EXPECT_EQ(events().size(), before + 2); // two refused requests, no release
    EXPECT_EQ(contents(lst), (std::vector<void *>{x, y}));
    list_free(lst, nullptr);
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
    EXPECT_EQ(list_end(list_prev(list_first(lst))), 1);
    list_free(lst, nullptr);
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

TEST(ListChecks, NullListIsReportedFirst) {
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

TEST(ListChecks, SublistRefusesAddInsertDelete) {
    list *lst = make_list({x});
    lst->is_sublist = 1;
    EXPECT_ZUC_CHECK_FAILS(list_add(lst, y), "llist", "list_add", "!lst->is_sublist");
    EXPECT_ZUC_CHECK_FAILS(list_insert(lst, y), "llist", "list_insert", "!lst->is_sublist");
    // The sublist check comes before the node check.
    EXPECT_ZUC_CHECK_FAILS(list_delete(lst, nullptr, nullptr), "llist", "list_delete",
                           "!lst->is_sublist");
    list_free(lst, nullptr);
}

TEST(ListChecks, NullNode) {
    list *lst = make_list({x});
    EXPECT_ZUC_CHECK_FAILS(list_remove_node(lst, nullptr), "llist", "list_remove_node",
                           "node != NULL");
    // Refused before the release callback runs (it would abort without the report).
    EXPECT_ZUC_CHECK_FAILS(list_delete(lst, nullptr, [](void *) { std::abort(); }), "llist",
                           "list_delete", "node != NULL");
    list_free(lst, nullptr);
}

TEST(ListChecks, HandleAndPositions) {
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

} // namespace
