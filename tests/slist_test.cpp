// Intrusive singly linked list: every operation on empty, one-element and
// longer lists, the cursor during removals and insertions, the exact callback
// calls of the ordering operations, freeElements against the counted heap,
// and randomized runs against a model.
#include <libzuc/slist.h>

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
using zuc_test::nextA;
using zuc_test::nextB;
using zuc_test::poison;
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
    EXPECT_EQ(lst.first == nullptr, lst.count == 0);
    EXPECT_TRUE(lst.cursor == nullptr ||
                std::find(items.begin(), items.end(), lst.cursor) != items.end());
    EXPECT_EQ(lst.linkOffset, link.offset);
    return items;
}

Serials order(const List &lst, const LinkField &link = nextA) {
    return serials(contents(lst, link));
}

// The callback calls as (first item, second item) serial pairs.
std::vector<std::pair<unsigned, unsigned>> calls() {
    std::vector<std::pair<unsigned, unsigned>> out;
    for (auto [first, second] : CompareLog::calls()) {
        out.emplace_back(first->serial, second->serial);
    }
    return out;
}

// What the cursor-driven insertion sort yields: each element that does not
// order before the last one kept stays where it is; any other goes in front
// of the first element that is not smaller. Returns the callback calls made.
std::size_t model_sort(Model &m) {
    Model sorted;
    std::size_t compared = 0;
    for (Record *r : m.items) {
        if (!sorted.items.empty()) {
            ++compared;
        }
        if (sorted.items.empty() || sorted.items.back()->key <= r->key) {
            sorted.items.push_back(r);
        } else {
            compared += sorted.insert_sorted(r);
        }
    }
    m.items = sorted.items;
    m.cursor = nullptr;
    return compared;
}

class SList : public ::testing::Test {
  protected:
    void SetUp() override { CompareLog::calls().clear(); }
    // A list of the given records, in that order.
    static List make(Records &records, std::initializer_list<unsigned> members,
                     const LinkField &link = nextA) {
        List lst;
        List_makeList(&lst, link.offset, CompareLog::by_key);
        for (unsigned n : members) {
            List_insertLast(&lst, records[n]);
        }
        return lst;
    }
};

TEST_F(SList, FreshListIsEmptyToEveryOperation) {
    Records r({1});
    List lst;
    std::memset(&lst, 0xA5, sizeof lst);
    List_makeList(&lst, nextA.offset, CompareLog::by_key);
    EXPECT_EQ(lst.compare, &CompareLog::by_key);
    EXPECT_EQ(lst.cursor, nullptr);
    EXPECT_EQ(List_getCount(&lst), 0u);
    EXPECT_EQ(List_isEmpty(&lst), 1);
    EXPECT_EQ(List_getFirst(&lst), nullptr);
    EXPECT_EQ(List_getLast(&lst), nullptr);
    EXPECT_EQ(List_peek(&lst), nullptr);
    List_startIterate(&lst);
    EXPECT_EQ(List_hasMoreElements(&lst), 0);
    EXPECT_EQ(List_getNext(&lst), nullptr);
    EXPECT_EQ(List_removeFirst(&lst), nullptr);
    EXPECT_EQ(List_removeLast(&lst), nullptr);
    EXPECT_EQ(List_pop(&lst), nullptr);
    EXPECT_EQ(List_removeAfter(&lst, nullptr), nullptr);
    List_sortList(&lst);
    List empty = make(r, {});
    List_mergeLists(&lst, &empty);
    List_appendList(&lst, &empty);
    Heap::start();
    List_freeElements(&lst);
    EXPECT_EQ(Heap::stop().frees, 0u);
    EXPECT_TRUE(order(lst).empty());
    EXPECT_EQ(lst.cursor, nullptr);
    EXPECT_TRUE(CompareLog::calls().empty());
    EXPECT_EQ(r[0]->nextA, poison);
}

TEST_F(SList, MakeListForgetsElementsWithoutTouchingThem) {
    Records r({1, 2});
    List lst = make(r, {0, 1});
    List_makeList(&lst, nextB.offset, nullptr);
    EXPECT_TRUE(order(lst, nextB).empty());
    EXPECT_EQ(lst.compare, nullptr);
    EXPECT_EQ(r[0]->nextA, r[1]);
    EXPECT_EQ(r[1]->nextA, nullptr);
}

TEST_F(SList, InsertAtEitherEndAndAsAStack) {
    Records r({0, 0, 0, 0, 0});
    List lst = make(r, {});
    List_insertFirst(&lst, r[0]);
    EXPECT_EQ(lst.first, r[0]);
    EXPECT_EQ(lst.last, r[0]);
    EXPECT_EQ(r[0]->nextA, nullptr);
    List_insertLast(&lst, r[1]);
    List_insertFirst(&lst, r[2]);
    EXPECT_EQ(lst.last, r[1]);
    List_push(&lst, r[3]);
    EXPECT_EQ(List_peek(&lst), r[3]);
    EXPECT_EQ(order(lst), (Serials{3, 2, 0, 1}));
    EXPECT_EQ(List_pop(&lst), r[3]);
    EXPECT_EQ(r[3]->nextA, nullptr);
    EXPECT_EQ(order(lst), (Serials{2, 0, 1}));

    List other = make(r, {}, nextB);
    List_insertLast(&other, r[4]);
    EXPECT_EQ(other.first, r[4]);
    EXPECT_EQ(other.last, r[4]);
    EXPECT_EQ(r[4]->nextB, nullptr);
    EXPECT_TRUE(CompareLog::calls().empty());
    r.expect_intact();
}

TEST_F(SList, InsertionsNeverMoveTheCursor) {
    Records r({10, 20, 30, 5, 15, 40, 50});
    List lst = make(r, {0, 1, 2});
    List_startIterate(&lst);
    EXPECT_EQ(List_getNext(&lst), r[0]);
    List_insertFirst(&lst, r[3]);  // in front of the cursor: not returned
    List_insertSorted(&lst, r[4]); // right behind the element just returned: not returned
    List_insertLast(&lst, r[5]);   // behind the cursor: returned
    std::vector<Record *> rest;
    while (List_hasMoreElements(&lst)) {
        rest.push_back(static_cast<Record *>(List_getNext(&lst)));
    }
    EXPECT_EQ(serials(rest), (Serials{1, 2, 5}));
    List_insertLast(&lst, r[6]); // the iteration is over
    EXPECT_EQ(List_getNext(&lst), nullptr);
    EXPECT_EQ(order(lst), (Serials{3, 0, 4, 1, 2, 5, 6}));
}

TEST_F(SList, InsertSortedScansFromTheFrontAndGoesBeforeEquals) {
    for (const auto &c : zuc_test::sorted_insertion_cases) {
        Records r(c.keys);
        List lst = make(r, {});
        zuc_test::insert_all_sorted(
            r, [&lst](Record *e) { List_insertSorted(&lst, e); },
            [&lst] { return contents(lst, nextA); });
        EXPECT_EQ(order(lst), c.expected);
        EXPECT_EQ(lst.last, r[c.expected.back()]);
    }
}

TEST_F(SList, RemoveAfterAPredecessor) {
    Records r({0, 0, 0});
    List lst = make(r, {0, 1, 2});
    EXPECT_EQ(List_removeAfter(&lst, r[2]), nullptr);
    EXPECT_EQ(order(lst), (Serials{0, 1, 2}));
    EXPECT_EQ(List_removeAfter(&lst, r[0]), r[1]);
    EXPECT_EQ(r[1]->nextA, nullptr);
    EXPECT_EQ(order(lst), (Serials{0, 2}));
    EXPECT_EQ(List_removeAfter(&lst, r[0]), r[2]);
    EXPECT_EQ(lst.last, r[0]);
    EXPECT_EQ(order(lst), (Serials{0}));
    EXPECT_EQ(List_removeAfter(&lst, nullptr), r[0]);
    EXPECT_TRUE(order(lst).empty());
}

TEST_F(SList, EveryRemovalOfTheOnlyElementEmptiesTheList) {
    using Remove = void *(*)(List *);
    const Remove removals[] = {List_removeFirst, List_removeLast, List_pop,
                               [](List *lst) { return List_removeAfter(lst, nullptr); }};
    for (Remove remove : removals) {
        Records r({0});
        List lst = make(r, {0});
        List_startIterate(&lst);
        EXPECT_EQ(remove(&lst), r[0]);
        EXPECT_EQ(lst.first, nullptr);
        EXPECT_EQ(lst.last, nullptr);
        EXPECT_EQ(lst.cursor, nullptr);
        EXPECT_EQ(lst.count, 0u);
        EXPECT_EQ(r[0]->nextA, nullptr);
    }
}

TEST_F(SList, RemoveLastOfTwoAndOfMany) {
    Records r({0, 0, 0, 0});
    List two = make(r, {0, 1});
    EXPECT_EQ(List_removeLast(&two), r[1]);
    EXPECT_EQ(two.last, r[0]);
    EXPECT_EQ(order(two), (Serials{0}));
    List many = make(r, {1, 2, 3}, nextB);
    EXPECT_EQ(List_removeLast(&many), r[3]);
    EXPECT_EQ(r[3]->nextB, nullptr);
    EXPECT_EQ(order(many, nextB), (Serials{1, 2}));
}

TEST_F(SList, RemoveLastFindsThePredecessorByCounting) {
    // Without back links the element before the last one is reached by
    // count - 2 steps from the front, trusting count: a count one short
    // makes it remove the element before the last.
    Records r({0, 0, 0, 0});
    List lst = make(r, {0, 1, 2, 3});
    lst.count = 3;
    EXPECT_EQ(List_removeLast(&lst), r[2]);
    EXPECT_EQ(r[1]->nextA, r[3]);
}

TEST_F(SList, RemovalsMoveTheCursorOffTheRemovedElement) {
    Records r({0, 0, 0, 0});
    List lst = make(r, {0, 1, 2, 3});
    List_startIterate(&lst);
    EXPECT_EQ(List_removeFirst(&lst), r[0]);
    EXPECT_EQ(lst.cursor, r[1]);
    EXPECT_EQ(List_getNext(&lst), r[1]);
    EXPECT_EQ(List_removeAfter(&lst, r[1]), r[2]); // the cursor's element
    EXPECT_EQ(List_getNext(&lst), r[3]);
    List_startIterate(&lst);
    EXPECT_EQ(List_getNext(&lst), r[1]);
    EXPECT_EQ(List_removeLast(&lst), r[3]); // the cursor's element, and last
    EXPECT_EQ(List_hasMoreElements(&lst), 0);
    EXPECT_EQ(List_getNext(&lst), nullptr);
    EXPECT_EQ(order(lst), (Serials{1}));
}

TEST_F(SList, GetNextElemWalksWithoutTheCursor) {
    Records r({0, 0, 0});
    List lst = make(r, {0, 1, 2});
    List_startIterate(&lst);
    List_getNext(&lst);
    std::vector<Record *> walked;
    for (void *e = List_getFirst(&lst); e != nullptr; e = List_getNextElem(&lst, e)) {
        walked.push_back(static_cast<Record *>(e));
    }
    EXPECT_EQ(serials(walked), (Serials{0, 1, 2}));
    EXPECT_EQ(List_getNextElem(&lst, nullptr), nullptr);
    EXPECT_EQ(lst.cursor, r[1]);
}

TEST_F(SList, SortCallsAndOrderOfEqualKeys) {
    struct Case {
        std::vector<int> keys;
        Serials expected;
        std::vector<std::pair<unsigned, unsigned>> calls;
    };
    const Case cases[] = {
        {{}, {}, {}},
        {{5}, {0}, {}},
        // Already sorted: count - 1 calls, nothing moves.
        {{1, 2, 2, 3}, {0, 1, 2, 3}, {{0, 1}, {1, 2}, {2, 3}}},
        // 3, 1, 2: 1 and then 2 are taken out and put back by a scan.
        {{3, 1, 2}, {1, 2, 0}, {{0, 1}, {0, 1}, {0, 2}, {1, 2}, {0, 2}}},
        // [b1, c, b2]: b2 lands in front of its equal b1.
        {{1, 2, 1}, {2, 0, 1}, {{0, 1}, {1, 2}, {0, 2}}},
    };
    for (const Case &c : cases) {
        Records r(c.keys);
        List lst = make(r, {});
        for (unsigned n = 0; n < r.size(); ++n) {
            List_insertLast(&lst, r[n]);
        }
        CompareLog::calls().clear();
        List_sortList(&lst);
        EXPECT_EQ(order(lst), c.expected);
        EXPECT_EQ(calls(), c.calls);
        EXPECT_EQ(lst.cursor, nullptr);
    }
}

TEST_F(SList, SortAgreesWithStdSortOnRandomKeys) {
    std::mt19937 rng(6);
    for (unsigned length = 0; length < 40; ++length) {
        std::vector<int> keys = zuc_test::random_keys(rng, length, 6);
        Records r(keys);
        List lst = make(r, {});
        Model model;
        for (unsigned n = 0; n < length; ++n) {
            List_insertLast(&lst, r[n]);
            model.items.push_back(r[n]);
        }
        CompareLog::calls().clear();
        List_sortList(&lst);
        std::size_t expected_calls = model_sort(model);
        std::vector<Record *> sorted = contents(lst, nextA);
        std::vector<int> sorted_keys;
        for (const Record *e : sorted) {
            sorted_keys.push_back(e->key);
        }
        std::sort(keys.begin(), keys.end());
        EXPECT_EQ(sorted_keys, keys);
        EXPECT_EQ(sorted, model.vector());
        EXPECT_EQ(CompareLog::calls().size(), expected_calls);
        r.expect_intact();
    }
}

TEST_F(SList, MergeInsertsEveryElementOfTheOtherListInOrder) {
    Records r({1, 3, 2, 4});
    List lst = make(r, {0, 1});
    List other = make(r, {2, 3});
    List_mergeLists(&lst, &other);
    EXPECT_EQ(order(lst), (Serials{0, 2, 1, 3}));
    EXPECT_EQ(other.count, 2u);
    EXPECT_EQ(other.first, r[2]);
    EXPECT_EQ(other.last, r[3]);
    EXPECT_EQ(other.cursor, nullptr);

    // Equal keys of the other list arrive reversed, in front of equal ones.
    Records equal({5, 5, 5});
    List one = make(equal, {0});
    List two = make(equal, {1, 2});
    List_mergeLists(&one, &two);
    EXPECT_EQ(order(one), (Serials{2, 1, 0}));
}

TEST_F(SList, MergeThroughAnotherLinkLeavesTheOtherListIntact) {
    Records r({1, 3, 2, 4});
    List lst = make(r, {0, 1}, nextA);
    List other = make(r, {3, 2}, nextB);
    other.compare = nullptr; // the receiving list's callback orders the merge
    List_mergeLists(&lst, &other);
    EXPECT_EQ(order(lst, nextA), (Serials{0, 2, 1, 3}));
    EXPECT_EQ(order(other, nextB), (Serials{3, 2}));
    r.expect_intact();
}

TEST_F(SList, AppendTakesOverTheOtherChain) {
    Records r({0, 0, 0, 0});
    List lst = make(r, {0, 1});
    List empty = make(r, {});
    List_appendList(&lst, &empty);
    EXPECT_EQ(order(lst), (Serials{0, 1}));

    List into_empty = make(r, {}, nextB);
    List source = make(r, {2, 3}, nextB);
    List_appendList(&into_empty, &source);
    EXPECT_EQ(order(into_empty, nextB), (Serials{2, 3}));

    List_startIterate(&lst);
    List_getNext(&lst);
    List other = make(r, {2, 3});
    List_startIterate(&other);
    const List other_before = other;
    List_appendList(&lst, &other);
    // Field by field: the record has padding on 64-bit hosts.
    EXPECT_EQ(other.first, other_before.first);
    EXPECT_EQ(other.last, other_before.last);
    EXPECT_EQ(other.cursor, other_before.cursor);
    EXPECT_EQ(other.count, other_before.count);
    EXPECT_EQ(other.compare, other_before.compare);
    EXPECT_EQ(other.linkOffset, other_before.linkOffset);
    EXPECT_EQ(lst.cursor, r[1]);
    EXPECT_EQ(order(lst), (Serials{0, 1, 2, 3}));
    EXPECT_EQ(List_removeLast(&lst), r[3]);
    EXPECT_EQ(order(lst), (Serials{0, 1, 2}));
}

TEST_F(SList, CompareItemsPassesTheCallbackResultThrough) {
    List lst;
    List_makeList(&lst, nextA.offset, zuc_test::FixedCompare::call);
    zuc_test::expect_result_passed_through([&lst](const void *first, const void *second) {
        return List_compareItems(&lst, first, second);
    });
}

TEST_F(SList, IsEmptyLooksAtTheCountOnly) {
    Records r({0});
    List lst = make(r, {0});
    lst.count = 0;
    EXPECT_EQ(List_isEmpty(&lst), 1);
    lst = make(r, {});
    lst.count = 2;
    EXPECT_EQ(List_isEmpty(&lst), 0);
}

TEST_F(SList, RecordsSitInTwoListsThroughTwoLinks) {
    Records r({4, 2, 3, 1});
    List by_arrival = make(r, {0, 1, 2, 3}, nextA);
    List by_key = make(r, {}, nextB);
    for (unsigned n = 0; n < r.size(); ++n) {
        List_insertSorted(&by_key, r[n]);
    }
    EXPECT_EQ(List_removeAfter(&by_arrival, r[0]), r[1]);
    EXPECT_EQ(order(by_arrival, nextA), (Serials{0, 2, 3}));
    EXPECT_EQ(order(by_key, nextB), (Serials{3, 1, 2, 0}));
    r.expect_intact();
}

TEST(SListHeap, FreeElementsFreesEachElementOnceInChainOrder) {
    List lst;
    List_makeList(&lst, nextA.offset, CompareLog::by_key);
    zuc_test::insert_heap_records([&lst](Record *e) { List_insertSorted(&lst, e); });
    const std::vector<Record *> chained = contents(lst, nextA);
    EXPECT_EQ(serials(chained), (Serials{3, 1, 4, 2, 0}));
    List_startIterate(&lst);
    List_freeElements(&lst);
    zuc_test::expect_freed_in_order(chained);
    EXPECT_EQ(lst.first, nullptr);
    EXPECT_EQ(lst.last, nullptr);
    EXPECT_EQ(lst.cursor, nullptr);
    EXPECT_EQ(lst.count, 0u);
    EXPECT_EQ(lst.compare, &CompareLog::by_key);
    EXPECT_EQ(lst.linkOffset, nextA.offset);

    Records r({0});
    List_insertLast(&lst, r[0]);
    EXPECT_EQ(order(lst), (Serials{0}));
}

// Random operations on two lists that share records through links A and B,
// each against its model, all invariants checked after every step.
TEST_F(SList, RandomOperationsMatchTheModel) {
    std::mt19937 rng(20240611);
    auto pick = [&rng](std::size_t n) { return zuc_test::pick(rng, n); };
    Records r(zuc_test::random_keys(rng, 24, 8));
    struct Tracked {
        const LinkField &link;
        List lst;
        Model model;
    } lists[] = {{nextA, make(r, {}, nextA), {}}, {nextB, make(r, {}, nextB), {}}};

    for (int step = 0; step < 3000 && !HasFailure(); ++step) {
        SCOPED_TRACE(step);
        Tracked &t = lists[pick(2)];
        List *lst = &t.lst;
        Model &m = t.model;
        auto [outside, fresh, member] = zuc_test::pick_records(r, m, rng);
        // A removal in the model: the cursor moves off the removed element.
        auto remove = [&m](Record *e) {
            if (e != nullptr) {
                if (m.cursor == e) {
                    m.cursor = m.after(e);
                }
                m.erase(e);
            }
            return e;
        };
        auto removed = [&t](void *e) {
            EXPECT_TRUE(e == nullptr || static_cast<Record *>(e)->*t.link.member == nullptr);
            return e;
        };
        CompareLog::calls().clear();
        switch (pick(11)) {
        case 0:
            if (fresh != nullptr) {
                (pick(2) != 0 ? List_insertFirst : List_push)(lst, fresh);
                m.items.push_front(fresh);
            }
            break;
        case 1:
            if (fresh != nullptr) {
                List_insertLast(lst, fresh);
                m.items.push_back(fresh);
            }
            break;
        case 2:
            if (fresh != nullptr) {
                List_insertSorted(lst, fresh);
                EXPECT_EQ(CompareLog::calls().size(), m.insert_sorted(fresh));
            }
            break;
        case 3: {
            Record *expected = remove(m.items.empty() ? nullptr : m.items.front());
            EXPECT_EQ(removed((pick(2) != 0 ? List_removeFirst : List_pop)(lst)), expected);
            break;
        }
        case 4: {
            Record *expected = remove(m.items.empty() ? nullptr : m.items.back());
            EXPECT_EQ(removed(List_removeLast(lst)), expected);
            break;
        }
        case 5: {
            Record *expected =
                member == nullptr ? (m.items.empty() ? nullptr : m.items.front()) : m.after(member);
            EXPECT_EQ(removed(List_removeAfter(lst, member)), remove(expected));
            break;
        }
        case 6:
            List_startIterate(lst);
            m.cursor = m.items.empty() ? nullptr : m.items.front();
            break;
        case 7: {
            Record *expected = m.cursor;
            m.cursor = expected == nullptr ? nullptr : m.after(expected);
            EXPECT_EQ(List_hasMoreElements(lst), expected != nullptr);
            EXPECT_EQ(List_getNext(lst), expected);
            break;
        }
        case 8:
            EXPECT_EQ(List_getNextElem(lst, member), member == nullptr ? nullptr : m.after(member));
            EXPECT_EQ(List_peek(lst), m.items.empty() ? nullptr : m.items.front());
            break;
        case 9:
            List_sortList(lst);
            EXPECT_EQ(CompareLog::calls().size(), model_sort(m));
            break;
        case 10: {
            // A second chain through the same link, of records outside this
            // list, appended or merged.
            std::shuffle(outside.begin(), outside.end(), rng);
            outside.resize(pick(std::min<std::size_t>(outside.size(), 6) + 1));
            List other;
            List_makeList(&other, t.link.offset, CompareLog::by_key);
            for (Record *e : outside) {
                List_insertLast(&other, e);
            }
            CompareLog::calls().clear();
            if (pick(2) != 0) {
                List_appendList(lst, &other);
                m.items.insert(m.items.end(), outside.begin(), outside.end());
            } else {
                List_mergeLists(lst, &other);
                std::size_t compared = 0;
                for (Record *e : outside) {
                    compared += m.insert_sorted(e);
                }
                EXPECT_EQ(CompareLog::calls().size(), compared);
                EXPECT_EQ(other.cursor, nullptr);
            }
            EXPECT_EQ(other.count, outside.size());
            break;
        }
        }
        for (Tracked &each : lists) {
            EXPECT_EQ(contents(each.lst, each.link), each.model.vector());
            EXPECT_EQ(each.lst.cursor, each.model.cursor);
        }
        r.expect_intact();
    }
}

} // namespace
