// Intrusive singly linked list: every operation on short lists with the
// cursor at each position, and random runs on two lists sharing their
// records, against a model; the exact callback calls of the ordering
// operations; freeElements against the counted heap.
#include <libzuc/slist.h>

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
using zuc_test::nextA;
using zuc_test::nextB;
using zuc_test::Record;
using zuc_test::Records;
using zuc_test::serials;

using Serials = std::vector<unsigned>;

// Checks lst's invariants on its chain, read through the record members
// rather than through the library, and returns the chain.
std::vector<Record *> contents(const List &lst, const LinkField &link) {
    std::vector<Record *> items = zuc_test::chain(lst.first, link, lst.count);
    EXPECT_EQ(items.size(), lst.count);
    EXPECT_EQ(lst.last, items.empty() ? nullptr : items.back());
    EXPECT_EQ(List_peek(&lst), lst.first);
    EXPECT_EQ(List_getLast(&lst), lst.last);
    EXPECT_EQ(List_getCount(&lst), items.size());
    EXPECT_EQ(List_isEmpty(&lst), items.empty() ? 1 : 0);
    EXPECT_EQ(lst.linkOffset, link.offset);
    return items;
}

List make(Records &records, std::initializer_list<unsigned> members,
          const LinkField &link = nextA) {
    List lst;
    List_makeList(&lst, link.offset, CompareLog::by_key);
    for (unsigned n : members) {
        List_insertLast(&lst, records[n]);
    }
    return lst;
}

// What the cursor-driven insertion sort yields, checking its callback calls:
// each element after the first is compared with the last one kept in place
// (as the first item); one that does not order before it stays, any other is
// put back by sorted insertion. Returns the number of calls.
std::size_t model_sort(Model &m) {
    const auto &calls = CompareLog::calls();
    Model sorted;
    std::size_t logged = 0;
    for (Record *r : m.items) {
        if (sorted.items.empty()) {
            sorted.items.push_back(r);
            continue;
        }
        Record *tail = sorted.items.back();
        EXPECT_TRUE(logged < calls.size() && calls[logged].first == tail &&
                    calls[logged].second == r)
            << "call " << logged;
        if (tail->key <= r->key) {
            sorted.items.push_back(r);
            ++logged;
        } else {
            logged = sorted.insert_sorted(r, logged + 1);
        }
    }
    m.items = sorted.items;
    m.cursor = nullptr;
    return logged;
}

struct Tracked {
    explicit Tracked(unsigned pair) : link(pair == 0 ? nextA : nextB) {
        List_makeList(&lst, link.offset, CompareLog::by_key);
    }
    void push_back(Record *e) {
        List_insertLast(&lst, e);
        model.items.push_back(e);
    }
    void start() {
        List_startIterate(&lst);
        model.cursor = model.front();
    }
    void next() {
        Record *expected = model.cursor;
        model.cursor = model.after(expected);
        EXPECT_EQ(List_hasMoreElements(&lst), expected != nullptr ? 1 : 0);
        EXPECT_EQ(List_getNext(&lst), expected);
    }
    // A removal: the element comes back unlinked, and the cursor moves off it.
    void removed(void *got, Record *expected) {
        EXPECT_EQ(got, expected);
        if (expected != nullptr) {
            EXPECT_EQ(expected->*link.member, nullptr);
            if (model.cursor == expected) {
                model.cursor = model.after(expected);
            }
            model.erase(expected);
        }
    }
    void check(Records &r) {
        EXPECT_EQ(contents(lst, link), model.vector());
        EXPECT_EQ(lst.cursor, model.cursor);
        zuc_test::expect_outside_unlinked(r, model, {&link});
    }

    const LinkField &link;
    List lst;
    Model model;
};

const zuc_test::Operation<Tracked> operations[] = {
    [](Tracked &t, const Args &a) {
        if (a.fresh != nullptr) {
            (a.variant % 2 != 0 ? List_insertFirst : List_push)(&t.lst, a.fresh);
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
            CompareLog::calls().clear();
            List_insertSorted(&t.lst, a.fresh);
            EXPECT_EQ(CompareLog::calls().size(), t.model.insert_sorted(a.fresh));
        }
    },
    [](Tracked &t, const Args &a) {
        Record *first = t.model.front();
        t.removed((a.variant % 2 != 0 ? List_removeFirst : List_pop)(&t.lst), first);
    },
    [](Tracked &t, const Args &) { t.removed(List_removeLast(&t.lst), t.model.back()); },
    [](Tracked &t, const Args &a) {
        Record *next = a.member == nullptr ? t.model.front() : t.model.after(a.member);
        t.removed(List_removeAfter(&t.lst, a.member), next);
    },
    [](Tracked &t, const Args &) { t.start(); },
    [](Tracked &t, const Args &) { t.next(); },
    [](Tracked &t, const Args &a) {
        EXPECT_EQ(List_getNextElem(&t.lst, a.member),
                  a.member == nullptr ? nullptr : t.model.after(a.member));
    },
    [](Tracked &t, const Args &) {
        CompareLog::calls().clear();
        List_sortList(&t.lst);
        EXPECT_EQ(CompareLog::calls().size(), model_sort(t.model));
        std::vector<Record *> sorted = t.model.vector();
        EXPECT_TRUE(
            std::is_sorted(sorted.begin(), sorted.end(),
                           [](const Record *a, const Record *b) { return a->key < b->key; }));
    },
    // Another chain through the same link, of records outside the list,
    // appended or merged.
    [](Tracked &t, const Args &a) {
        List other;
        List_makeList(&other, t.link.offset, CompareLog::by_key);
        for (Record *e : a.outside) {
            List_insertLast(&other, e);
        }
        CompareLog::calls().clear();
        if (a.variant % 2 != 0) {
            List_appendList(&t.lst, &other);
            t.model.items.insert(t.model.items.end(), a.outside.begin(), a.outside.end());
        } else {
            List_mergeLists(&t.lst, &other);
            std::size_t compared = 0;
            for (Record *e : a.outside) {
                compared = t.model.insert_sorted(e, compared);
            }
            EXPECT_EQ(CompareLog::calls().size(), compared);
            EXPECT_EQ(other.cursor, nullptr);
        }
        EXPECT_EQ(other.count, a.outside.size());
    },
};

TEST(SList, EveryOperationOnShortListsMatchesTheModel) {
    zuc_test::run_every_operation_on_short_lists(operations);
}

TEST(SList, RandomOperationsOnTwoListsMatchTheModels) {
    zuc_test::run_random_operations(operations, 20240611);
}

TEST(SList, MakeListStartsEmptyAndForgetsElementsWithoutTouchingThem) {
    Records r({1, 2});
    List lst;
    std::memset(&lst, 0xA5, sizeof lst);
    List_makeList(&lst, nextA.offset, CompareLog::by_key);
    EXPECT_EQ(lst.compare, &CompareLog::by_key);
    EXPECT_EQ(lst.cursor, nullptr);
    EXPECT_TRUE(contents(lst, nextA).empty());
    List_insertLast(&lst, r[0]);
    List_insertLast(&lst, r[1]);
    List_makeList(&lst, nextB.offset, nullptr);
    EXPECT_TRUE(contents(lst, nextB).empty());
    EXPECT_EQ(lst.compare, nullptr);
    EXPECT_EQ(r[0]->nextA, r[1]);
    EXPECT_EQ(r[1]->nextA, nullptr);
}

TEST(SList, SortCallsAndOrderOfEqualKeys) {
    const struct {
        std::vector<int> keys;
        Serials expected;
        std::vector<std::pair<unsigned, unsigned>> calls;
    } cases[] = {
        // Already sorted: count - 1 calls, nothing moves.
        {{1, 2, 2, 3}, {0, 1, 2, 3}, {{0, 1}, {1, 2}, {2, 3}}},
        // 3, 1, 2: 1 and then 2 are taken out and put back by a scan.
        {{3, 1, 2}, {1, 2, 0}, {{0, 1}, {0, 1}, {0, 2}, {1, 2}, {0, 2}}},
        // [b1, c, b2]: b2 lands in front of its equal b1.
        {{1, 2, 1}, {2, 0, 1}, {{0, 1}, {1, 2}, {0, 2}}},
    };
    for (const auto &c : cases) {
        Records r(c.keys);
        List lst = make(r, {});
        for (unsigned n = 0; n < r.size(); ++n) {
            List_insertLast(&lst, r[n]);
        }
        CompareLog::calls().clear();
        List_sortList(&lst);
        EXPECT_EQ(serials(contents(lst, nextA)), c.expected);
        std::vector<std::pair<unsigned, unsigned>> calls;
        for (auto [first, second] : CompareLog::calls()) {
            calls.emplace_back(first->serial, second->serial);
        }
        EXPECT_EQ(calls, c.calls);
    }
}

TEST(SList, RemoveLastAndIsEmptyTrustTheCount) {
    // Without back links the element before the last one is reached by
    // count - 2 steps from the front: a count one short makes it remove the
    // element before the last.
    Records r({0, 0, 0, 0});
    List lst = make(r, {0, 1, 2, 3});
    lst.count = 3;
    EXPECT_EQ(List_removeLast(&lst), r[2]);
    EXPECT_EQ(r[1]->nextA, r[3]);
    lst.count = 0;
    EXPECT_EQ(List_isEmpty(&lst), 1);
}

TEST(SList, MergeWalksTheOtherListThroughItsOwnLink) {
    Records r({1, 3, 2, 4});
    List lst = make(r, {0, 1}, nextA);
    List other = make(r, {3, 2}, nextB);
    other.compare = nullptr; // the receiving list's callback orders the merge
    List_mergeLists(&lst, &other);
    EXPECT_EQ(serials(contents(lst, nextA)), (Serials{0, 2, 1, 3}));
    EXPECT_EQ(serials(contents(other, nextB)), (Serials{3, 2}));
    r.expect_intact();
}

TEST(SList, CompareItemsPassesTheCallbackResultThrough) {
    List lst;
    List_makeList(&lst, nextA.offset, zuc_test::FixedCompare::call);
    zuc_test::expect_result_passed_through([&lst](const void *first, const void *second) {
        return List_compareItems(&lst, first, second);
    });
}

TEST(SList, FreeElementsFreesEachElementOnceInChainOrder) {
    List lst;
    List_makeList(&lst, nextA.offset, CompareLog::by_key);
    Heap::start();
    List_freeElements(&lst);
    EXPECT_EQ(Heap::stop().frees, 0u);
    zuc_test::insert_heap_records([&lst](Record *e) { List_insertSorted(&lst, e); });
    const std::vector<Record *> chained = contents(lst, nextA);
    EXPECT_EQ(serials(chained), (Serials{3, 1, 4, 2, 0}));
    List_startIterate(&lst);
    List_freeElements(&lst);
    zuc_test::expect_freed_in_order(chained);
    EXPECT_EQ(lst.cursor, nullptr);
    EXPECT_EQ(lst.compare, &CompareLog::by_key);
    EXPECT_TRUE(contents(lst, nextA).empty());
}

} // namespace
