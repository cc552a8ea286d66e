// Intrusive doubly linked list: every operation on empty, one-element and
// longer lists, exactly which links each one writes, the cursor during
// removals and insertions, freeElements against the counted heap, and
// randomized runs against a model.
#include <libzuc/dlist.h>

#include "heap_wrap.h"
#include "linked_record.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

namespace {

using zuc_test::CompareLog;
using zuc_test::Heap;
using zuc_test::LinkField;
using zuc_test::Model;
using zuc_test::poison;
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
    for (std::size_t n = 0; n < forward.size(); ++n) {
        EXPECT_EQ(forward[n]->*links.prev.member, n == 0 ? nullptr : forward[n - 1]);
    }
    EXPECT_EQ(lst.last, forward.empty() ? nullptr : forward.back());
    EXPECT_EQ(lst.first == nullptr, lst.count == 0);
    EXPECT_EQ(lst.nextOffset, links.next.offset);
    EXPECT_EQ(lst.prevOffset, links.prev.offset);
    return forward;
}

Serials order(const DList &lst, const Links &links = linksA) {
    return serials(contents(lst, links));
}

void expect_unlinked(const Record *r, const Links &links = linksA) {
    EXPECT_EQ(r->*links.next.member, nullptr);
    EXPECT_EQ(r->*links.prev.member, nullptr);
}

// Every A link of every record, to see which ones an operation wrote.
std::vector<Record *> snapshot(Records &r) {
    std::vector<Record *> links;
    for (unsigned n = 0; n < r.size(); ++n) {
        links.push_back(r[n]->nextA);
        links.push_back(r[n]->prevA);
    }
    return links;
}

class DListTest : public ::testing::Test {
  protected:
    void SetUp() override { CompareLog::calls().clear(); }
    // A list of the given records, in that order.
    static DList make(Records &records, std::initializer_list<unsigned> members,
                      const Links &links = linksA) {
        DList lst;
        DList_makeDList(&lst, links.next.offset, links.prev.offset, CompareLog::by_key);
        for (unsigned n : members) {
            DList_insertLast(&lst, records[n]);
        }
        return lst;
    }
};

TEST_F(DListTest, FreshListIsEmptyToEveryOperation) {
    Records r({1});
    DList lst;
    std::memset(&lst, 0xA5, sizeof lst);
    DList_makeDList(&lst, linksA.next.offset, linksA.prev.offset, CompareLog::by_key);
    EXPECT_EQ(lst.compare, &CompareLog::by_key);
    EXPECT_EQ(lst.cursor, nullptr);
    EXPECT_EQ(DList_getCount(&lst), 0u);
    EXPECT_EQ(DList_isEmpty(&lst), 1);
    EXPECT_EQ(DList_getFirst(&lst), nullptr);
    EXPECT_EQ(DList_getLast(&lst), nullptr);
    DList_startIterate(&lst);
    EXPECT_EQ(DList_hasMoreElements(&lst), 0);
    EXPECT_EQ(DList_getNext(&lst), nullptr);
    EXPECT_EQ(DList_removeFirst(&lst), nullptr);
    EXPECT_EQ(DList_removeLast(&lst), nullptr);
    EXPECT_EQ(DList_pop(&lst), nullptr);
    EXPECT_EQ(DList_remove(&lst, nullptr), nullptr);
    Heap::start();
    DList_freeElements(&lst);
    EXPECT_EQ(Heap::stop().frees, 0u);
    EXPECT_TRUE(order(lst).empty());
    EXPECT_EQ(lst.cursor, nullptr);
    EXPECT_EQ(r[0]->nextA, poison);
}

TEST_F(DListTest, MakeDListForgetsElementsWithoutTouchingThem) {
    Records r({1, 2});
    DList lst = make(r, {0, 1});
    DList_makeDList(&lst, linksB.next.offset, linksB.prev.offset, nullptr);
    EXPECT_TRUE(order(lst, linksB).empty());
    EXPECT_EQ(lst.compare, nullptr);
    EXPECT_EQ(r[0]->nextA, r[1]);
    EXPECT_EQ(r[1]->prevA, r[0]);
}

TEST_F(DListTest, InsertAtEitherEnd) {
    Records r({0, 0, 0, 0});
    DList lst = make(r, {});
    DList_insertFirst(&lst, r[0]);
    EXPECT_EQ(lst.first, r[0]);
    EXPECT_EQ(lst.last, r[0]);
    expect_unlinked(r[0]);
    DList_insertFirst(&lst, r[1]);
    EXPECT_EQ(r[0]->prevA, r[1]);
    EXPECT_EQ(lst.last, r[0]);
    DList_insertLast(&lst, r[2]);
    EXPECT_EQ(order(lst), (Serials{1, 0, 2}));

    DList other = make(r, {}, linksB);
    DList_insertLast(&other, r[3]);
    EXPECT_EQ(other.first, r[3]);
    EXPECT_EQ(other.last, r[3]);
    expect_unlinked(r[3], linksB);
    EXPECT_TRUE(CompareLog::calls().empty());
    r.expect_intact();
}

TEST_F(DListTest, InsertAfterWritesExactlyTheNeighbouringLinks) {
    Records r({0, 0, 0, 0, 0});
    DList lst = make(r, {0, 1, 2});
    std::vector<Record *> expected = snapshot(r);
    DList_insertAfter(&lst, r[0], r[3]); // middle: four links change
    expected[2 * 0] = r[3];              // r0.next
    expected[2 * 1 + 1] = r[3];          // r1.prev
    expected[2 * 3] = r[1];              // r3.next
    expected[2 * 3 + 1] = r[0];          // r3.prev
    EXPECT_EQ(snapshot(r), expected);
    EXPECT_EQ(order(lst), (Serials{0, 3, 1, 2}));

    DList_insertAfter(&lst, r[2], r[4]); // behind the last: becomes last
    EXPECT_EQ(lst.last, r[4]);
    EXPECT_EQ(r[4]->nextA, nullptr);
    EXPECT_EQ(order(lst), (Serials{0, 3, 1, 2, 4}));
    r.expect_intact();
}

TEST_F(DListTest, InsertionsNeverMoveTheCursor) {
    Records r({10, 20, 30, 5, 15, 40, 50});
    DList lst = make(r, {0, 1, 2});
    DList_startIterate(&lst);
    EXPECT_EQ(DList_getNext(&lst), r[0]);
    DList_insertFirst(&lst, r[3]);       // in front of the cursor: not returned
    DList_insertAfter(&lst, r[0], r[4]); // right behind the element just returned: not returned
    DList_insertSorted(&lst, r[5]);      // behind the cursor: returned
    std::vector<Record *> rest;
    while (DList_hasMoreElements(&lst)) {
        rest.push_back(static_cast<Record *>(DList_getNext(&lst)));
    }
    EXPECT_EQ(serials(rest), (Serials{1, 2, 5}));
    DList_insertLast(&lst, r[6]); // the iteration is over
    EXPECT_EQ(DList_getNext(&lst), nullptr);
    EXPECT_EQ(order(lst), (Serials{3, 0, 4, 1, 2, 5, 6}));
}

TEST_F(DListTest, InsertSortedScansFromTheFrontAndGoesBeforeEquals) {
    for (const auto &c : zuc_test::sorted_insertion_cases) {
        Records r(c.keys);
        DList lst = make(r, {});
        zuc_test::insert_all_sorted(
            r, [&lst](Record *e) { DList_insertSorted(&lst, e); },
            [&lst] { return contents(lst, linksA); });
        EXPECT_EQ(order(lst), c.expected);
        EXPECT_EQ(lst.last, r[c.expected.back()]);
    }
}

TEST_F(DListTest, EveryRemovalOfTheOnlyElementEmptiesTheList) {
    using Remove = void *(*)(DList *);
    const Remove removals[] = {DList_removeFirst, DList_removeLast, DList_pop,
                               [](DList *lst) { return DList_remove(lst, lst->first); }};
    for (Remove remove : removals) {
        Records r({0});
        DList lst = make(r, {0});
        EXPECT_EQ(remove(&lst), r[0]);
        EXPECT_EQ(lst.first, nullptr);
        EXPECT_EQ(lst.last, nullptr);
        EXPECT_EQ(lst.count, 0u);
        expect_unlinked(r[0]);
    }
}

TEST_F(DListTest, RemovalJoinsTheNeighbours) {
    Records r({0, 0, 0, 0, 0});
    DList lst = make(r, {0, 1, 2, 3, 4});
    EXPECT_EQ(DList_remove(&lst, nullptr), nullptr);
    EXPECT_EQ(DList_remove(&lst, r[2]), r[2]);
    expect_unlinked(r[2]);
    EXPECT_EQ(order(lst), (Serials{0, 1, 3, 4}));
    EXPECT_EQ(DList_removeFirst(&lst), r[0]);
    EXPECT_EQ(r[1]->prevA, nullptr);
    EXPECT_EQ(DList_removeLast(&lst), r[4]);
    EXPECT_EQ(r[3]->nextA, nullptr);
    EXPECT_EQ(order(lst), (Serials{1, 3}));
    expect_unlinked(r[0]);
    expect_unlinked(r[4]);
}

TEST_F(DListTest, RemovalsLeaveTheCursorAlone) {
    Records r({0, 0, 0, 0});
    DList lst = make(r, {0, 1, 2, 3});
    // Removing what getNext just returned: the walk visits every element.
    std::vector<Record *> visited;
    for (DList_startIterate(&lst); DList_hasMoreElements(&lst);) {
        visited.push_back(static_cast<Record *>(DList_remove(&lst, DList_getNext(&lst))));
    }
    EXPECT_EQ(serials(visited), (Serials{0, 1, 2, 3}));
    EXPECT_TRUE(order(lst).empty());

    // Removing the element the cursor rests on: it is still returned, and
    // the walk ends there.
    lst = make(r, {0, 1, 2, 3});
    DList_startIterate(&lst);
    DList_getNext(&lst);
    EXPECT_EQ(DList_remove(&lst, r[1]), r[1]);
    EXPECT_EQ(lst.cursor, r[1]);
    EXPECT_EQ(DList_getNext(&lst), r[1]);
    EXPECT_EQ(DList_getNext(&lst), nullptr);
    EXPECT_EQ(order(lst), (Serials{0, 2, 3}));
}

TEST_F(DListTest, CompareItemsPassesTheCallbackResultThrough) {
    DList lst;
    DList_makeDList(&lst, linksA.next.offset, linksA.prev.offset, zuc_test::FixedCompare::call);
    zuc_test::expect_result_passed_through([&lst](const void *first, const void *second) {
        return DList_compareItems(&lst, first, second);
    });
}

TEST_F(DListTest, IsEmptyLooksAtTheCountOnly) {
    Records r({0});
    DList lst = make(r, {0});
    lst.count = 0;
    EXPECT_EQ(DList_isEmpty(&lst), 1);
    lst = make(r, {});
    lst.count = 2;
    EXPECT_EQ(DList_isEmpty(&lst), 0);
}

TEST_F(DListTest, RecordsSitInTwoListsThroughTwoLinkPairs) {
    Records r({4, 2, 3, 1});
    DList by_arrival = make(r, {0, 1, 2, 3}, linksA);
    DList by_key = make(r, {}, linksB);
    for (unsigned n = 0; n < r.size(); ++n) {
        DList_insertSorted(&by_key, r[n]);
    }
    EXPECT_EQ(DList_remove(&by_arrival, r[1]), r[1]);
    EXPECT_EQ(DList_remove(&by_key, r[2]), r[2]);
    EXPECT_EQ(order(by_arrival, linksA), (Serials{0, 2, 3}));
    EXPECT_EQ(order(by_key, linksB), (Serials{3, 1, 0}));
    r.expect_intact();
}

TEST(DListHeap, FreeElementsFreesEachElementOnceInChainOrder) {
    DList lst;
    DList_makeDList(&lst, linksA.next.offset, linksA.prev.offset, CompareLog::by_key);
    zuc_test::insert_heap_records([&lst](Record *e) { DList_insertSorted(&lst, e); });
    const std::vector<Record *> chained = contents(lst, linksA);
    EXPECT_EQ(serials(chained), (Serials{3, 1, 4, 2, 0}));
    DList_freeElements(&lst);
    zuc_test::expect_freed_in_order(chained);
    EXPECT_EQ(lst.first, nullptr);
    EXPECT_EQ(lst.last, nullptr);
    EXPECT_EQ(lst.cursor, nullptr);
    EXPECT_EQ(lst.count, 0u);
    EXPECT_EQ(lst.compare, &CompareLog::by_key);

    Records r({0});
    DList_insertLast(&lst, r[0]);
    EXPECT_EQ(order(lst), (Serials{0}));
}

// Random operations on two lists that share records through link pairs A and
// B, each against its model, all invariants checked after every step. The
// model's cursor may rest on a removed element, as the list's may.
TEST_F(DListTest, RandomOperationsMatchTheModel) {
    std::mt19937 rng(20240612);
    auto pick = [&rng](std::size_t n) { return zuc_test::pick(rng, n); };
    Records r(zuc_test::random_keys(rng, 24, 8));
    struct Tracked {
        const Links &links;
        DList lst;
        Model model;
    } lists[] = {{linksA, make(r, {}, linksA), {}}, {linksB, make(r, {}, linksB), {}}};

    for (int step = 0; step < 3000 && !HasFailure(); ++step) {
        SCOPED_TRACE(step);
        Tracked &t = lists[pick(2)];
        DList *lst = &t.lst;
        Model &m = t.model;
        auto [outside, fresh, member] = zuc_test::pick_records(r, m, rng);
        auto remove = [&](Record *expected, void *removed) {
            EXPECT_EQ(removed, expected);
            if (expected != nullptr) {
                m.erase(expected);
                expect_unlinked(expected, t.links);
            }
        };
        CompareLog::calls().clear();
        switch (pick(9)) {
        case 0:
            if (fresh != nullptr) {
                DList_insertFirst(lst, fresh);
                m.items.push_front(fresh);
            }
            break;
        case 1:
            if (fresh != nullptr) {
                DList_insertLast(lst, fresh);
                m.items.push_back(fresh);
            }
            break;
        case 2:
            if (fresh != nullptr) {
                DList_insertAfter(lst, member, fresh);
                m.insert_after(member, fresh);
            }
            break;
        case 3:
            if (fresh != nullptr) {
                DList_insertSorted(lst, fresh);
                EXPECT_EQ(CompareLog::calls().size(), m.insert_sorted(fresh));
            }
            break;
        case 4: {
            Record *expected = m.items.empty() ? nullptr : m.items.front();
            remove(expected, (pick(2) != 0 ? DList_removeFirst : DList_pop)(lst));
            break;
        }
        case 5:
            remove(m.items.empty() ? nullptr : m.items.back(), DList_removeLast(lst));
            break;
        case 6:
            remove(member, DList_remove(lst, member));
            break;
        case 7:
            DList_startIterate(lst);
            m.cursor = m.items.empty() ? nullptr : m.items.front();
            break;
        case 8: {
            // A cursor left on a removed element returns it, then ends.
            Record *expected = m.cursor;
            m.cursor = expected == nullptr ? nullptr : m.after(expected);
            EXPECT_EQ(DList_hasMoreElements(lst), expected != nullptr);
            EXPECT_EQ(DList_getNext(lst), expected);
            break;
        }
        }
        for (Tracked &each : lists) {
            EXPECT_EQ(contents(each.lst, each.links), each.model.vector());
            EXPECT_EQ(each.lst.cursor, each.model.cursor);
        }
        r.expect_intact();
    }
}

} // namespace
