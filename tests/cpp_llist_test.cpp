// C++ generic list: ownership and release, typed iteration and callbacks,
// sublists, copies and appends, failures as results, checks still on.
#include <libzuc/llist.hpp>

#include "zuc_test.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

namespace {

using zuc_test::RecordingAllocator;

struct Item {
    int key;
    unsigned serial;
};

// The element release of the owning lists under test: logs what it gets.
struct Released {
    static inline std::vector<const Item *> log;
    void operator()(Item *item) const noexcept { log.push_back(item); }
};
using Owning = zuc::list<Item, Released>;

class CppList : public ::testing::Test {
  protected:
    void SetUp() override {
        RecordingAllocator::reset();
        Released::log.clear();
        for (unsigned n = 0; n < 6; ++n) {
            items[n] = {static_cast<int>(n) * 10, n};
        }
    }
    void TearDown() override { EXPECT_EQ(RecordingAllocator::live_blocks(), 0); }

    // A list on the recording allocator holding items[n] for each n.
    Owning make(std::vector<unsigned> serials) {
        std::optional<Owning> made =
            Owning::make(RecordingAllocator::alloc, RecordingAllocator::release);
        EXPECT_TRUE(made.has_value());
        for (unsigned n : serials) {
            EXPECT_TRUE(made->push_back(&items[n]));
        }
        return std::move(*made);
    }
    std::vector<const Item *> at(std::vector<unsigned> serials) {
        std::vector<const Item *> out;
        for (unsigned n : serials) {
            out.push_back(&items[n]);
        }
        return out;
    }
    template <class L>
    static std::vector<const Item *> contents(const L &l) {
        return {l.begin(), l.end()};
    }

    Item items[6];
};

static_assert(std::bidirectional_iterator<Owning::iterator>);
static_assert(!std::is_copy_constructible_v<Owning> &&
              std::is_nothrow_move_constructible_v<Owning>);
static_assert(!std::is_copy_constructible_v<zuc::sublist<Item>>);

TEST_F(CppList, ReleasesEveryElementOnceHeadToTailWhenItGoes) {
    {
        Owning l = make({2, 0, 1});
        ASSERT_TRUE(l.push_front(&items[3]));
        EXPECT_TRUE(Released::log.empty());
    }
    EXPECT_EQ(Released::log, at({3, 2, 0, 1}));
}

TEST_F(CppList, MovesHandOwnershipOverAndNothingIsReleasedTwice) {
    {
        Owning first = make({0, 1});
        Owning second(std::move(first));
        EXPECT_EQ(first.native(), nullptr);
        Owning third = make({2});
        third = std::move(second); // releases 2 at once, takes 0 and 1
        EXPECT_EQ(Released::log, at({2}));
        EXPECT_EQ(contents(third), at({0, 1}));

        Owning given_up = make({3});
        ::list *raw = given_up.release();
        list_free(raw, nullptr); // the caller's now: its element is not released
    }
    EXPECT_EQ(Released::log, at({2, 0, 1}));
}

TEST_F(CppList, AllocationFailuresAreResultsAndLeaveTheListAsItWas) {
    RecordingAllocator::fail_at(1);
    EXPECT_FALSE(Owning::make(RecordingAllocator::alloc, RecordingAllocator::release).has_value());

    Owning l = make({0, 1});
    RecordingAllocator::fail_at(1);
    EXPECT_FALSE(l.push_back(&items[2]));
    RecordingAllocator::fail_at(1);
    EXPECT_FALSE(l.push_front(&items[3]));
    EXPECT_EQ(contents(l), at({0, 1}));
    EXPECT_TRUE(Released::log.empty()); // a refused element stays the caller's

    for (unsigned fail_at : {1u, 2u}) { // the sublist record, then its first node
        RecordingAllocator::fail_at(fail_at);
        EXPECT_FALSE(l.filter([](Item *) { return true; }).has_value());
    }
}

TEST_F(CppList, IteratesBothWaysOverTheElements) {
    Owning l = make({4, 1, 3});
    EXPECT_EQ(contents(l), at({4, 1, 3}));
    std::vector<const Item *> backwards(std::make_reverse_iterator(l.end()),
                                        std::make_reverse_iterator(l.begin()));
    EXPECT_EQ(backwards, at({3, 1, 4}));
    EXPECT_EQ(*std::ranges::prev(l.end()), &items[3]);
    EXPECT_EQ(l.front(), &items[4]);
    EXPECT_EQ(l.back(), &items[3]);
    EXPECT_EQ(l.at(1), &items[1]);
    EXPECT_EQ(l.size(), 3u);

    Owning empty = make({});
    EXPECT_TRUE(empty.begin() == empty.end());
    EXPECT_TRUE(empty.empty());
}

TEST_F(CppList, SearchesHandTheCallableTheTypedElement) {
    Owning l = make({0, 1, 2, 1});
    EXPECT_EQ(l.find(&items[1]).node(), std::next(l.begin()).node()); // the first of two
    EXPECT_TRUE(l.find(&items[5]) == l.end());

    std::vector<unsigned> asked;
    auto is_two = [&asked](Item *item) {
        asked.push_back(item->serial);
        return item->key == 20;
    };
    EXPECT_EQ(*l.find_if(is_two), &items[2]);
    EXPECT_EQ(asked, (std::vector<unsigned>{0, 1, 2})); // no call after the match
    EXPECT_TRUE(l.find_if([](const Item *) { return false; }) == l.end());
    EXPECT_EQ(l.count_if([](Item *item) { return item->serial == 1; }), 2u);
}

TEST_F(CppList, WalksVisitInOrderAndStopWhenTheCallableSaysSo) {
    Owning l = make({0, 1, 2});
    std::string seen;
    auto note = [&seen](Item *item) { seen += std::to_string(item->serial); };
    EXPECT_TRUE(l.for_each(note));
    EXPECT_TRUE(l.for_each_reversed(note));
    EXPECT_EQ(seen, "012210");

    seen.clear();
    EXPECT_FALSE(l.for_each([&](Item *item) {
        note(item);
        return item->serial != 1;
    }));
    EXPECT_EQ(seen, "01");

    seen.clear();
    auto mark = [&seen](Item *next) {
        seen += '|';
        seen += std::to_string(next->serial);
        seen += ':';
    };
    EXPECT_TRUE(l.for_each_separated(note, mark));
    EXPECT_EQ(seen, "0|1:1|2:2");
    seen.clear();
    EXPECT_FALSE(l.for_each_separated(note, [](Item *next) { return next->serial != 2; }));
    EXPECT_EQ(seen, "01");
}

TEST_F(CppList, SortsStablyWithALessPredicate) {
    for (unsigned n = 0; n < 4; ++n) {
        items[n].key = n % 2 == 0 ? 2 : 1;
    }
    Owning l = make({0, 1, 2, 3});
    l.sort([](const Item *a, const Item *b) { return a->key < b->key; });
    EXPECT_EQ(contents(l), at({1, 3, 0, 2}));
    l.sort([](const Item *a, const Item *b) { return a->key > b->key; });
    EXPECT_EQ(contents(l), at({0, 2, 1, 3}));
}

TEST_F(CppList, SublistsShareTheElementsButNeverReleaseThem) {
    Owning l = make({0, 1, 2, 3, 4});
    {
        auto big = l.filter([](Item *item) { return item->key >= 20; });
        auto small = l.filter_out([](Item *item) { return item->key >= 20; });
        auto all = l.view();
        ASSERT_TRUE(big && small && all);
        EXPECT_EQ(contents(*big), at({2, 3, 4}));
        EXPECT_EQ(contents(*small), at({0, 1}));

        all->sort([](const Item *a, const Item *b) { return a->key > b->key; });
        EXPECT_EQ(contents(*all), at({4, 3, 2, 1, 0}));
        auto after = all->erase(all->begin());
        EXPECT_TRUE(after == all->begin());
        EXPECT_EQ(contents(*all), at({3, 2, 1, 0}));
        zuc::sublist<Item> moved(std::move(*big));
        all->clear();
        EXPECT_TRUE(all->empty());
    }
    EXPECT_TRUE(Released::log.empty());
    EXPECT_EQ(contents(l), at({0, 1, 2, 3, 4}));
}

TEST_F(CppList, TransformMakesASublistOfTheAdaptorsType) {
    Owning l = make({3, 1});
    std::optional<zuc::sublist<int>> keys = l.transform([](Item *item) { return &item->key; });
    ASSERT_TRUE(keys.has_value());
    std::vector<int *> got(keys->begin(), keys->end());
    EXPECT_EQ(got, (std::vector<int *>{&items[3].key, &items[1].key}));
}

Item copies[6];
unsigned copies_made;
Item *copy_unless_40(Item *item) {
    if (item->key == 40) {
        return nullptr;
    }
    copies[copies_made] = *item;
    return &copies[copies_made++];
}

TEST_F(CppList, CopiesAreOwnedByTheNewListAndReleasedOnFailure) {
    Owning l = make({0, 4, 1});
    copies_made = 0;
    EXPECT_FALSE(l.copy([](Item *item) { return copy_unless_40(item); }).has_value());
    EXPECT_EQ(Released::log, (std::vector<const Item *>{&copies[0]}));

    Released::log.clear();
    copies_made = 0;
    {
        Owning partial = make({0, 1});
        std::optional<Owning> copied =
            partial.copy([](Item *item) { return copy_unless_40(item); });
        ASSERT_TRUE(copied.has_value());
        EXPECT_EQ(contents(*copied), (std::vector<const Item *>{&copies[0], &copies[1]}));
        copied.reset();
        EXPECT_EQ(Released::log, (std::vector<const Item *>{&copies[0], &copies[1]}));
    }
}

TEST_F(CppList, AppendTakesTheOtherListOrLeavesBothAsTheyWere) {
    {
        Owning dest = make({0});
        Owning src = make({1, 2});
        ASSERT_TRUE(dest.append(std::move(src)));
        EXPECT_EQ(src.native(), nullptr);
        EXPECT_EQ(contents(dest), at({0, 1, 2}));
    }
    EXPECT_EQ(Released::log, at({0, 1, 2}));

    Released::log.clear();
    {
        Owning dest = make({0});
        Owning src = make({1, 2, 3});
        RecordingAllocator::fail_at(3); // the node for 3
        EXPECT_FALSE(dest.append(std::move(src)));
        EXPECT_EQ(contents(dest), at({0}));
        EXPECT_EQ(contents(src), at({1, 2, 3}));
    }
    std::vector<const Item *> released = Released::log;
    std::sort(released.begin(), released.end());
    EXPECT_EQ(released, at({0, 1, 2, 3})); // each by exactly one list
}

TEST_F(CppList, ErasingReleasesOnlyTheErasedElement) {
    Owning l = make({0, 1, 2});
    auto next = l.erase(std::next(l.begin()));
    EXPECT_EQ(*next, &items[2]);
    EXPECT_EQ(Released::log, at({1}));
    l.clear();
    EXPECT_EQ(Released::log, at({1, 0, 2}));
    EXPECT_TRUE(l.empty());
}

// Death tests live in *DeathTest suites: GoogleTest runs them first, and the
// memcheck run leaves them out.
using CppListDeathTest = CppList;

TEST_F(CppListDeathTest, CallerErrorsAbortThroughTheLibrarysChecks) {
    Owning empty = make({});
    EXPECT_EQ(empty.front(), nullptr); // not an error: null, as in the intrusive lists
    EXPECT_ZUC_CHECK_FAILS((void)empty.at(0), "llist", "list_at", "idx < list_size(lst)");
    Owning gone(std::move(empty));
    EXPECT_ZUC_CHECK_FAILS((void)empty.push_back(&items[0]), "llist", "list_add", "lst != NULL");
    auto all = gone.view();
    ASSERT_TRUE(all.has_value());
    EXPECT_ZUC_CHECK_FAILS(all->erase(all->end()), "llist", "list_remove_node", "node != NULL");
}

} // namespace
