// C++ intrusive lists: member hooks and their offsets, comparisons of every
// shape, iteration that leaves the C cursor alone, moves and the members
// that leave another list empty.
#include <libzuc/dlist.hpp>
#include <libzuc/slist.hpp>

#include "linked_record.h"

#include <compare>
#include <iterator>
#include <vector>

// What std::compare_three_way needs of the records: an order by key.
namespace zuc_test {
std::strong_ordering operator<=>(const Record &a, const Record &b) {
    return a.key <=> b.key;
}
bool operator==(const Record &a, const Record &b) {
    return a.key == b.key;
}
} // namespace zuc_test

namespace {

using zuc_test::Record;
using zuc_test::Records;

// Comparisons by key in the shapes the lists accept.
struct ByKeyInt { // any magnitude: only the sign counts
    int operator()(const Record &a, const Record &b) const { return (a.key - b.key) * 1000; }
};
struct ByKeyStrong {
    std::strong_ordering operator()(const Record &a, const Record &b) const {
        return a.key <=> b.key;
    }
};
struct ByKeyPartial {
    std::partial_ordering operator()(const Record &a, const Record &b) const {
        return static_cast<double>(a.key) <=> static_cast<double>(b.key);
    }
};
using ByKeyLambda = decltype([](const Record &a, const Record &b) { return a.key <=> b.key; });

using SortedA = zuc::slist<Record, &Record::nextA, ByKeyStrong>;
using DoubleB = zuc::dlist<Record, &Record::nextB, &Record::prevB>;

static_assert(std::forward_iterator<SortedA::iterator>);
static_assert(std::forward_iterator<SortedA::const_iterator>);
static_assert(std::bidirectional_iterator<DoubleB::iterator>);
static_assert(std::bidirectional_iterator<DoubleB::const_iterator>);
static_assert(sizeof(SortedA) == sizeof(List) && sizeof(DoubleB) == sizeof(DList));
static_assert(!std::is_copy_constructible_v<SortedA> && !std::is_copy_constructible_v<DoubleB>);

template <class L>
std::vector<unsigned> serials(const L &l) {
    std::vector<unsigned> out;
    for (const Record &r : l) {
        out.push_back(r.serial);
    }
    return out;
}

TEST(CppIntrusive, MemberHooksGiveTheCListsTheMembersOffsets) {
    zuc::slist<Record, &Record::nextB> s;
    EXPECT_EQ(s.native()->linkOffset, offsetof(Record, nextB));
    zuc::dlist<Record, &Record::prevA, &Record::nextA> d; // the members need not be in order
    EXPECT_EQ(d.native()->nextOffset, offsetof(Record, prevA));
    EXPECT_EQ(d.native()->prevOffset, offsetof(Record, nextA));
    EXPECT_EQ(d.native()->compare, nullptr);
}

template <class Compare>
class CppIntrusiveCompare : public ::testing::Test {};
using Comparisons =
    ::testing::Types<ByKeyInt, ByKeyStrong, ByKeyPartial, ByKeyLambda, std::compare_three_way>;
TYPED_TEST_SUITE(CppIntrusiveCompare, Comparisons);

TYPED_TEST(CppIntrusiveCompare, SortedInsertionFollowsTheComparison) {
    Records r({2, 1, 3, 2, 2});
    zuc::slist<Record, &Record::nextA, TypeParam> s;
    zuc::dlist<Record, &Record::nextB, &Record::prevB, TypeParam> d;
    for (unsigned n = 0; n < r.size(); ++n) {
        s.insert_sorted(*r[n]);
        d.insert_sorted(*r[n]);
    }
    EXPECT_EQ(serials(s), (std::vector<unsigned>{1, 4, 3, 0, 2}));
    EXPECT_EQ(serials(d), (std::vector<unsigned>{1, 4, 3, 0, 2}));
}

TEST(CppIntrusive, IteratorsLeaveTheBuiltInCursorAlone) {
    Records r({0, 1, 2});
    SortedA s;
    DoubleB d;
    for (unsigned n = 0; n < r.size(); ++n) {
        s.push_back(*r[n]);
        d.push_back(*r[n]);
    }
    List_startIterate(s.native());
    DList_startIterate(d.native());
    EXPECT_EQ(List_getNext(s.native()), r[0]);
    EXPECT_EQ(DList_getNext(d.native()), r[0]);
    const SortedA &cs = s;
    EXPECT_EQ(serials(cs), (std::vector<unsigned>{0, 1, 2}));
    EXPECT_EQ(serials(d), (std::vector<unsigned>{0, 1, 2}));
    EXPECT_EQ(List_getNext(s.native()), r[1]);
    EXPECT_EQ(DList_getNext(d.native()), r[1]);
}

TEST(CppIntrusive, SinglyLinkedMembersReturnWhatTheyUnlinkAndSortAsTheCList) {
    Records r({2, 3, 2, 1});
    SortedA s;
    EXPECT_EQ(s.pop_front(), nullptr);
    EXPECT_EQ(s.pop_back(), nullptr);
    EXPECT_EQ(s.front(), nullptr);
    for (unsigned n = 0; n < r.size(); ++n) {
        s.push_back(*r[n]);
    }
    EXPECT_EQ(s.unlink_after(*r[3]), nullptr);
    EXPECT_EQ(s.pop_back(), r[3]);
    s.sort(); // [b1, c, b2] becomes [b2, b1, c]
    EXPECT_EQ(serials(s), (std::vector<unsigned>{2, 0, 1}));
    EXPECT_EQ(s.unlink_after(*r[2]), r[0]);
    EXPECT_EQ(r[0]->nextA, nullptr);
    EXPECT_EQ(s.pop_front(), r[2]);
    EXPECT_EQ(serials(s), (std::vector<unsigned>{1}));
    EXPECT_EQ(s.back(), r[1]);
}

TEST(CppIntrusive, MergeSpliceAndMovesLeaveTheOtherListEmptyAndUsable) {
    Records r({1, 3, 2, 4, 0, 7});
    SortedA a, b;
    a.push_back(*r[0]);
    a.push_back(*r[1]);
    b.push_back(*r[2]);
    b.push_back(*r[3]);
    a.merge(b);
    EXPECT_EQ(serials(a), (std::vector<unsigned>{0, 2, 1, 3}));
    EXPECT_TRUE(b.empty());
    EXPECT_EQ(b.front(), nullptr);

    b.push_back(*r[4]);
    a.splice_back(b);
    EXPECT_EQ(serials(a), (std::vector<unsigned>{0, 2, 1, 3, 4}));
    EXPECT_EQ(a.size(), 5u);
    EXPECT_TRUE(b.empty());

    SortedA moved(std::move(a));
    EXPECT_TRUE(a.empty());
    EXPECT_EQ(moved.size(), 5u);
    a = std::move(moved);
    EXPECT_EQ(serials(a), (std::vector<unsigned>{0, 2, 1, 3, 4}));
    EXPECT_TRUE(moved.empty());
    moved.insert_sorted(*r[5]);
    EXPECT_EQ(serials(moved), (std::vector<unsigned>{5}));

    DoubleB d;
    d.push_back(*r[0]);
    DoubleB d2(std::move(d));
    EXPECT_TRUE(d.empty());
    EXPECT_EQ(serials(d2), (std::vector<unsigned>{0}));
    EXPECT_EQ(d.native()->nextOffset, offsetof(Record, nextB));
}

TEST(CppIntrusive, DoublyLinkedListWalksBothWaysAndInsertsAtAPosition) {
    Records r({0, 1, 2, 3, 4});
    DoubleB d;
    d.insert(d.end(), *r[2]);   // empty: becomes the only one
    d.insert(d.begin(), *r[0]); // in front
    d.insert(d.end(), *r[4]);   // behind
    auto at = d.insert(std::next(d.begin()), *r[1]);
    EXPECT_EQ(&*at, r[1]);
    d.insert(std::prev(d.end()), *r[3]);
    EXPECT_EQ(serials(d), (std::vector<unsigned>{0, 1, 2, 3, 4}));

    std::vector<unsigned> backwards;
    for (auto it = d.rbegin(); it != d.rend(); ++it) {
        backwards.push_back(it->serial);
    }
    EXPECT_EQ(backwards, (std::vector<unsigned>{4, 3, 2, 1, 0}));

    auto next = d.erase(std::next(d.begin(), 2));
    EXPECT_EQ(&*next, r[3]);
    EXPECT_EQ(r[2]->nextB, nullptr);
    EXPECT_EQ(r[2]->prevB, nullptr);
    EXPECT_TRUE(d.erase(std::prev(d.end())) == d.end());
    EXPECT_EQ(d.pop_back(), r[3]);
    EXPECT_EQ(serials(d), (std::vector<unsigned>{0, 1}));
    r.expect_intact();
}

TEST(CppIntrusive, ClearAndDisposeHandsOverEveryRecordUnlinked) {
    Records r({0, 1, 2});
    SortedA s;
    DoubleB d;
    for (unsigned n = 0; n < r.size(); ++n) {
        s.push_back(*r[n]);
        d.push_front(*r[n]);
    }
    std::vector<unsigned> order;
    s.clear_and_dispose([&order](Record *x) {
        EXPECT_EQ(x->nextA, nullptr);
        order.push_back(x->serial);
    });
    d.clear_and_dispose([&order](Record *x) {
        EXPECT_EQ(x->nextB, nullptr);
        order.push_back(x->serial);
    });
    EXPECT_EQ(order, (std::vector<unsigned>{0, 1, 2, 2, 1, 0}));
    EXPECT_TRUE(s.empty() && d.empty());
}

} // namespace
