// Generic list: sublists, copies and merges, and their allocator use. Their
// allocation failures are swept in alloc_failure_test.
#include <libzuc/llist.h>

#include "zuc_test.h"

#include <cstdlib>
#include <vector>

namespace {

using zuc_test::AllocEvent;
using zuc_test::RecordingAllocator;

// Distinct element pointers that are never dereferenced.
int elems[4];
void *const x = &elems[0];
void *const y = &elems[1];
void *const z = &elems[2];
void *const w = &elems[3];
int context;
void *const ctx = &context;

std::vector<void *> elements(const list *lst) {
    std::vector<void *> found;
    for (list_iterator i = list_first(lst); !list_end(i); i = list_next(i)) {
        found.push_back(list_get(i));
    }
    return found;
}

// Every element a callback was handed, in order, for every callback below.
std::vector<void *> seen;

int keep_y_and_w(void *element, void *context_given) {
    EXPECT_EQ(context_given, ctx);
    seen.push_back(element);
    return element == y ? 1 : element == w ? -8 : 0; // any non-zero keeps
}

// Maps x to NULL (stored like any other value) and the others to themselves
// shifted by one int, so that a result shows which element it came from.
void *shift(void *element) {
    seen.push_back(element);
    return element == x ? nullptr : static_cast<int *>(element) + 1;
}

// Copies are heap blocks of their own. Released copies are logged in the
// allocator's timeline, so a test sees them among the node and record releases.
// (Failing copies and nodes: alloc_failure_test.)
std::vector<void *> copies;

void *copy_element(void *element) {
    seen.push_back(element);
    void *copy = std::malloc(sizeof(int));
    copies.push_back(copy);
    return copy;
}

void release_copy(void *copy) {
    RecordingAllocator::release_element(copy);
    std::free(copy);
}

void must_not_release(void *element) {
    RecordingAllocator::release_element(element);
}

class DerivedList : public ::testing::Test {
  protected:
    void SetUp() override {
        RecordingAllocator::reset();
        seen.clear();
        copies.clear();
        source = list_new(RecordingAllocator::alloc, RecordingAllocator::release);
        for (void *element : {x, y, z, w}) {
            list_add(source, element);
        }
        source_blocks = RecordingAllocator::live_blocks();
        events().clear();
    }
    void TearDown() override {
        EXPECT_EQ(elements(source), (std::vector<void *>{x, y, z, w})); // only ever read
        list_free(source, nullptr);
        EXPECT_EQ(RecordingAllocator::live_blocks(), 0);
    }
    static std::vector<AllocEvent> &events() { return RecordingAllocator::events(); }
    static std::vector<void *> released_elements() {
        std::vector<void *> released;
        for (const AllocEvent &e : events()) {
            if (e.kind == AllocEvent::Element) {
                released.push_back(e.block);
            }
        }
        return released;
    }
    list *source = nullptr;
    int source_blocks = 0;
};

TEST_F(DerivedList, SublistsHoldTheSourcesElements) {
    list *kept = sublist_create(source, keep_y_and_w, ctx);
    EXPECT_EQ(seen, (std::vector<void *>{x, y, z, w}));
    list *rejected = sublist_create_neg(source, keep_y_and_w, ctx);
    list *all = sublist_copy(source);
    seen.clear();
    list *adapted = sublist_adaptor(source, shift);
    EXPECT_EQ(seen, (std::vector<void *>{x, y, z, w}));

    EXPECT_EQ(elements(kept), (std::vector<void *>{y, w}));
    EXPECT_EQ(elements(rejected), (std::vector<void *>{x, z}));
    EXPECT_EQ(elements(all), (std::vector<void *>{x, y, z, w}));
    EXPECT_EQ(elements(adapted), (std::vector<void *>{nullptr, &elems[2], &elems[3], &elems[4]}));
    for (list *sub : {kept, rejected, all, adapted}) {
        EXPECT_EQ(sub->is_sublist, 1);
        EXPECT_EQ(sub->alloc_fn, &RecordingAllocator::alloc);
        EXPECT_EQ(sub->free_fn, &RecordingAllocator::release);
        EXPECT_NE(sub->head, source->head); // nodes of its own
        list_free(sub, must_not_release);
    }
    EXPECT_TRUE(released_elements().empty());
    EXPECT_EQ(RecordingAllocator::live_blocks(), source_blocks);
}

TEST_F(DerivedList, EmptySourceGivesEmptySublistsWithoutCalls) {
    list *empty = list_new(nullptr, nullptr);
    list *derived[] = {sublist_create(empty, keep_y_and_w, ctx),
                       sublist_create_neg(empty, keep_y_and_w, ctx), sublist_copy(empty),
                       sublist_adaptor(empty, shift)};
    for (list *sub : derived) {
        ASSERT_NE(sub, nullptr);
        EXPECT_EQ(sub->is_sublist, 1);
        EXPECT_EQ(sub->head, nullptr);
        EXPECT_EQ(sub->alloc_fn, empty->alloc_fn);
        list_free(sub, nullptr);
    }
    list *copy = list_copy(empty, copy_element, release_copy);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->is_sublist, 0);
    EXPECT_EQ(list_empty(copy), 1);
    list_free(copy, nullptr);
    EXPECT_TRUE(seen.empty());
    list_free(empty, nullptr);
}

TEST_F(DerivedList, CopyIsAnOrdinaryListOfFreshCopies) {
    list *sub = sublist_copy(source);
    list *copy = list_copy(sub, copy_element, release_copy);
    EXPECT_EQ(seen, (std::vector<void *>{x, y, z, w}));
    EXPECT_EQ(elements(copy), copies);
    EXPECT_EQ(copy->is_sublist, 0);
    EXPECT_EQ(copy->alloc_fn, &RecordingAllocator::alloc);
    EXPECT_EQ(list_add(copy, nullptr), copy);
    list_free(sub, nullptr);
    list_free(copy, release_copy);
    copies.push_back(nullptr); // the element added last
    EXPECT_EQ(released_elements(), copies);
}

TEST_F(DerivedList, SortingOrEmptyingASublistLeavesTheSourceAlone) {
    list *sub = sublist_copy(source);
    // Descending by address: the reverse of the source's order.
    list_sort(sub, [](const void *a, const void *b) { return a < b ? 1 : 0; });
    EXPECT_EQ(elements(sub), (std::vector<void *>{w, z, y, x}));
    list_remove_node(sub, sub->head);
    list_clear(sub, must_not_release);
    EXPECT_TRUE(released_elements().empty());
    list_free(sub, nullptr);
    // TearDown checks the source.
}

TEST_F(DerivedList, UncheckedOperationsGiveNullForNull) {
    EXPECT_EQ(sublist_copy(nullptr), nullptr);
    EXPECT_EQ(sublist_adaptor(nullptr, shift), nullptr);
    EXPECT_EQ(sublist_adaptor(source, nullptr), nullptr);
    EXPECT_TRUE(events().empty());
}

using DerivedListDeathTest = DerivedList;

TEST_F(DerivedListDeathTest, SublistsRefuseAddInsertDelete) {
    list *derived[] = {sublist_create(source, keep_y_and_w, ctx),
                       sublist_create_neg(source, keep_y_and_w, ctx), sublist_copy(source),
                       sublist_adaptor(source, shift)};
    for (list *sub : derived) {
        EXPECT_ZUC_CHECK_FAILS(list_add(sub, x), "llist", "list_add", "!lst->is_sublist");
        EXPECT_ZUC_CHECK_FAILS(list_insert(sub, x), "llist", "list_insert", "!lst->is_sublist");
        EXPECT_ZUC_CHECK_FAILS(list_delete(sub, sub->head, nullptr), "llist", "list_delete",
                               "!lst->is_sublist");
        list_free(sub, nullptr);
    }
}

TEST_F(DerivedListDeathTest, Checks) {
    const struct {
        const char *name;
        list *(*filter)(const list *, list_pred_fn, void *);
    } filters[] = {{"sublist_create", sublist_create}, {"sublist_create_neg", sublist_create_neg}};
    for (const auto &f : filters) {
        EXPECT_ZUC_CHECK_FAILS(f.filter(nullptr, nullptr, ctx), "llist", f.name, "lst != NULL");
        EXPECT_ZUC_CHECK_FAILS(f.filter(source, nullptr, ctx), "llist", f.name,
                               "include_node != NULL");
    }
    EXPECT_ZUC_CHECK_FAILS(list_copy(nullptr, nullptr, nullptr), "llist", "list_copy",
                           "lst != NULL");
    EXPECT_ZUC_CHECK_FAILS(list_copy(source, nullptr, nullptr), "llist", "list_copy",
                           "copier != NULL");
    EXPECT_ZUC_CHECK_FAILS(list_merge(nullptr, nullptr), "llist", "list_merge", "src != NULL");
    EXPECT_ZUC_CHECK_FAILS(list_merge(nullptr, source), "llist", "list_merge", "dest != NULL");
}

// ---- Merging ----

class ListMerge : public ::testing::Test {
  protected:
    void SetUp() override {
        RecordingAllocator::reset();
        dest = list_new(RecordingAllocator::alloc, RecordingAllocator::release);
        list_add(dest, w);
        src = list_new(RecordingAllocator::alloc, RecordingAllocator::release);
        for (void *element : {x, y, z}) {
            list_add(src, element);
        }
        RecordingAllocator::events().clear();
    }
    void TearDown() override {
        list_free(dest, nullptr);
        EXPECT_EQ(RecordingAllocator::live_blocks(), 0);
    }
    list *dest = nullptr;
    list *src = nullptr;
};

TEST_F(ListMerge, AppendsThenFreesTheSource) {
    const list_node *src_nodes[] = {src->head, src->head->next, src->tail};
    EXPECT_EQ(list_merge(dest, src), dest);
    EXPECT_EQ(elements(dest), (std::vector<void *>{w, x, y, z}));
    // Three new nodes for dest, then src's nodes and record go back.
    const std::vector<AllocEvent> &log = RecordingAllocator::events();
    ASSERT_EQ(log.size(), 7u);
    for (int n = 0; n < 3; ++n) {
        EXPECT_EQ(log[n].kind, AllocEvent::Alloc);
        EXPECT_NE(log[n].block, src_nodes[n]);
    }
    const void *released[] = {src_nodes[0], src_nodes[1], src_nodes[2], src};
    for (int n = 0; n < 4; ++n) {
        EXPECT_EQ(log[3 + n].kind, AllocEvent::Free);
        EXPECT_EQ(log[3 + n].block, released[n]);
    }
}

TEST_F(ListMerge, EmptySourceIsFreedAndDestUnchanged) {
    list_clear(src, nullptr);
    EXPECT_EQ(list_merge(dest, src), dest);
    EXPECT_EQ(elements(dest), (std::vector<void *>{w}));
    // No element, so a sublist dest is not asked to take one.
    list *sub = sublist_copy(dest);
    list *empty = list_new(RecordingAllocator::alloc, RecordingAllocator::release);
    EXPECT_EQ(list_merge(sub, empty), sub);
    list_free(sub, nullptr);
}

using ListMergeDeathTest = ListMerge;

TEST_F(ListMergeDeathTest, SublistDestIsRefusedByAdd) {
    list *sub = sublist_copy(dest);
    EXPECT_ZUC_CHECK_FAILS(list_merge(sub, src), "llist", "list_add", "!lst->is_sublist");
    list_free(sub, nullptr);
    list_free(src, nullptr);
}

} // namespace
