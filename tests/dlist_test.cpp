// Intrusive doubly linked list: every operation on short lists with the
// cursor at each position, and random runs on two lists sharing their
// records, against a model; sorted insertion with its exact callback calls;
// freeElements against the counted heap.
#include <libzuc/dlist.h>

#include "heap_wrap.h"
#include "linked_record.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

using zuc_test::Args;
using zuc_test::CompareLog;
using zuc_test::Heap;
using zuc_test::LinkField;
using zuc_test::Model;
using zuc_test::Record;
using zuc_test::Records;
using zuc_test::serials;

using Serials = std::vector<unsigned>;

// A pair of link fields that threads one list.
struct Links {
    const LinkField &next;
    const LinkField &prev;
};
const Links linksA{zuc_test::nextA, zuc_test::prevA};
const Links linksB{zuc_test::nextB, zuc_test::prevB};

// Checks lst's invariants on its chain in both directions, read through the
// record members rather than through the library, and returns the chain.
std::vector<Record *> contents(const DList &lst, const Links &links) {
    std::vector<Record *> forward = zuc_test::chain(lst.first, links.next, lst.count);
    std::vector<Record *> backward = zuc_test::chain(lst.last, links.prev, lst.count);
    std::reverse(backward.begin(), backward.end());
    EXPECT_EQ(forward.size(), lst.count);
    EXPECT_EQ(backward, forward);
    EXPECT_EQ(lst.last, forward.empty() ? nullptr : forward.back());
    EXPECT_EQ(DList_getFirst(&lst), lst.first);
    EXPECT_EQ(DList_getLast(&lst), lst.last);
    EXPECT_EQ(DList_getCount(&lst), forward.size());
    EXPECT_EQ(DList_isEmpty(&lst), forward.empty() ? 1 : 0);
    EXPECT_EQ(lst.nextOffset, links.next.offset);
    EXPECT_EQ(lst.prevOffset, links.prev.offset);
    return forward;
}

void make(DList &lst, const Links &links) {
    DList_makeDList(&lst, links.next.offset, links.prev.offset, CompareLog::by_key);
}

// The model's cursor, like the list's, may rest on a removed element: it is
// still returned, and the walk ends there.
struct Tracked {
    explicit Tracked(unsigned pair) : links(pair == 0 ? linksA : linksB) { make(lst, links); }
    void push_back(Record *e) {
        DList_insertLast(&lst, e);
        model.items.push_back(e);
    }
    void start() {
        DList_startIterate(&lst);
        model.cursor = model.front();
    }
    void next() {
        Record *expected = model.cursor;
        model.cursor = model.after(expected);
        EXPECT_EQ(DList_hasMoreElements(&lst), expected != nullptr ? 1 : 0);
        EXPECT_EQ(DList_getNext(&lst), expected);
    }
    // A removal: the element comes back unlinked; the cursor stays.
    void removed(void *got, Record *expected) {
        EXPECT_EQ(got, expected);
        if (expected != nullptr) {
            EXPECT_EQ(expected->*links.next.member, nullptr);
            EXPECT_EQ(expected->*links.prev.member, nullptr);
            model.erase(expected);
        }
    }
    void check(Records &r) {
        EXPECT_EQ(contents(lst, links), model.vector());
        EXPECT_EQ(lst.cursor, model.cursor);
        zuc_test::expect_outside_unlinked(r, model, {&links.next, &links.prev});
    }

    const Links &links;
    DList lst;
    Model model;
};

const zuc_test::Operation<Tracked> operations[] = {
    [](Tracked &t, const Args &a) {
        if (a.fresh != nullptr) {
            DList_insertFirst(&t.lst, a.fresh);
            t.model.items.push_front(a.fresh);
        }
    },
    [](Tracked &t, const Args &a) {
        if (a.fresh != nullptr) {
            t.push_back(a.fresh);
        }
    },
    [](Tracked &t, const Args &a) {
        if (a.fresh != nullptr) {
            DList_insertAfter(&t.lst, a.member, a.fresh);
            t.model.insert_after(a.member, a.fresh);
        }
    },
    [](Tracked &t, const Args &a) {
        if (a.fresh != nullptr) {
            CompareLog::calls().clear();
            DList_insertSorted(&t.lst, a.fresh);
            EXPECT_EQ(CompareLog::calls().size(), t.model.insert_sorted(a.fresh));
        }
    },
    [](Tracked &t, const Args &a) {
        Record *first = t.model.front();
        t.removed((a.variant % 2 != 0 ? DList_removeFirst : DList_pop)(&t.lst), first);
    },
    [](Tracked &t, const Args &) { t.removed(DList_removeLast(&t.lst), t.model.back()); },
    [](Tracked &t, const Args &a) { t.removed(DList_remove(&t.lst, a.member), a.member); },
    [](Tracked &t, const Args &) { t.start(); },
    [](Tracked &t, const Args &) { t.next(); },
};

TEST(DListTest, EveryOperationOnShortListsMatchesTheModel) {
    zuc_test::run_every_operation_on_short_lists(operations);
}

TEST(DListTest, RandomOperationsOnTwoListsMatchTheModels) {
    zuc_test::run_random_operations(operations, 20240612);
}

TEST(DListTest, MakeDListStartsEmptyAndForgetsElementsWithoutTouchingThem) {
    Records r({1, 2});
    DList lst;
    std::memset(&lst, 0xA5, sizeof lst);
    make(lst, linksA);
    EXPECT_EQ(lst.compare, &CompareLog::by_key);
    EXPECT_EQ(lst.cursor, nullptr);
    EXPECT_TRUE(contents(lst, linksA).empty());
    DList_insertLast(&lst, r[0]);
    DList_insertLast(&lst, r[1]);
    DList_makeDList(&lst, linksB.next.offset, linksB.prev.offset, nullptr);
    EXPECT_TRUE(contents(lst, linksB).empty());
    EXPECT_EQ(lst.compare, nullptr);
    EXPECT_EQ(r[0]->nextA, r[1]);
    EXPECT_EQ(r[1]->prevA, r[0]);
}

TEST(DListTest, RemovingWhatGetNextReturnedVisitsEveryElement) {
    Records r({0, 0, 0, 0});
    DList lst;
    make(lst, linksA);
    for (unsigned n = 0; n < r.size(); ++n) {
        DList_insertLast(&lst, r[n]);
    }
    std::vector<Record *> visited;
    for (DList_startIterate(&lst); DList_hasMoreElements(&lst);) {
        visited.push_back(static_cast<Record *>(DList_remove(&lst, DList_getNext(&lst))));
    }
    EXPECT_EQ(serials(visited), (Serials{0, 1, 2, 3}));
    EXPECT_TRUE(contents(lst, linksA).empty());
}

TEST(DListTest, CompareItemsPassesTheCallbackResultThrough) {
    DList lst;
    DList_makeDList(&lst, linksA.next.offset, linksA.prev.offset, zuc_test::FixedCompare::call);
    zuc_test::expect_result_passed_through([&lst](const void *first, const void *second) {
        return DList_compareItems(&lst, first, second);
    });
}

TEST(DListTest, FreeElementsFreesEachElementOnceInChainOrder) {
    DList lst;
    make(lst, linksA);
    Heap::start();
    DList_freeElements(&lst);
    EXPECT_EQ(Heap::stop().frees, 0u);
    zuc_test::insert_heap_records([&lst](Record *e) { DList_insertSorted(&lst, e); });
    const std::vector<Record *> chained = contents(lst, linksA);
    EXPECT_EQ(serials(chained), (Serials{3, 1, 4, 2, 0}));
    DList_freeElements(&lst);
    zuc_test::expect_freed_in_order(chained);
    EXPECT_EQ(lst.cursor, nullptr);
    EXPECT_EQ(lst.compare, &CompareLog::by_key);
    EXPECT_TRUE(contents(lst, linksA).empty());
}

} // namespace
