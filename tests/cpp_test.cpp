// What the C++ layer adds to the C families: each member reaches its C function with its
// arguments in order, owners release once, callables arrive with the direction and sign the C
// side wants, iterators step as documented, failures are empty results. What the C functions do
// with all that is the models' and the contract test's to check.
#include <libzuc/zuc.hpp>

#include "heap.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <functional>
#include <ranges>
#include <span>
#include <string>
#include <string_view>

namespace {

struct Item {
    int key;
    Item *next, *prev, *link; // the dlist's hooks, then the slist's
    auto operator<=>(const Item &other) const { return key <=> other.key; }
    bool operator==(const Item &other) const { return key == other.key; }
};
Item items[10];

// Items by index, so that an order reads "021"; "-" for null.
std::string id(const Item *item) {
    return item == nullptr ? "-" : std::to_string(item - items);
}
std::string id(const Item &item) {
    return id(&item);
}
// Stepping by it++, so every order read also checks that postfix ++ answers where it was.
std::string ids(auto &&range) {
    std::string out;
    for (auto it = range.begin(); it != range.end();) {
        out += id(*it++);
    }
    return out;
}
// The parts in order (a braced list is evaluated left to right), joined by '/'.
std::string seq(std::initializer_list<std::string> parts) {
    std::string out;
    for (const std::string &part : parts) {
        (out += &part == parts.begin() ? "" : "/") += part;
    }
    return out;
}

// The element release under test: notes every item it gets, in order.
std::string released;
struct Release {
    void operator()(const Item *item) const noexcept { released += id(item); }
};
using Owning = zuc::list<Item, Release>;
using Slist = zuc::slist<Item, &Item::link, std::compare_three_way>;
using Dlist = zuc::dlist<Item, &Item::next, &Item::prev>;

Owning of(std::initializer_list<int> indices) {
    auto made = Owning::make();
    for (int n : indices) {
        EXPECT_TRUE(made->push_back(&items[n]));
    }
    return std::move(*made);
}

// Every test leaves the heap as it found it.
class Cpp : public ::testing::Test {
  protected:
    void SetUp() override {
        released.clear();
        for (int n = 0; n < 10; ++n) {
            items[n] = {n * 10, nullptr, nullptr, nullptr};
        }
    }
    void TearDown() override { EXPECT_EQ(zt::Heap::live(), live_); }
    const unsigned live_ = zt::Heap::live();
};

// A copy of an owner would free its C object twice; the in-place forms hold their own address,
// so they cannot even move.
template <class... T>
constexpr bool copyable = (std::is_copy_constructible_v<T> || ...);
static_assert(!copyable<Owning, zuc::sublist<Item>, Slist, Dlist, zuc::queue<Item>, zuc::pool<int>,
                        zuc::hash_table<int, int>, zuc::sliding_average>);
static_assert(!std::is_move_constructible_v<zuc::inplace_queue<Item, 2>> &&
              !std::is_move_constructible_v<zuc::inplace_sliding_average<2>>);

TEST_F(Cpp, OwnersReleaseOnceAndReleaseGivesTheCObjectUp) {
    {
        Owning a = of({2, 0, 1});
        ASSERT_TRUE(a.push_front(&items[3]));
        EXPECT_EQ(id(*a.erase(std::next(a.begin()))), "0"); // 2 released
        list_free(of({6}).release(), nullptr);              // the caller's now: 6 is not released
        a.clear();
        EXPECT_TRUE(a.push_back(&items[7]));
    }
    EXPECT_EQ(released, "23017");
    // An owner that kept what it gave up would free it a second time.
    zuqueue_free(zuc::queue<int>::make(2)->release(), nullptr);
    mempool_destroy(zuc::pool<int>::make(2)->release());
    SlidingAverage_destroy(zuc::sliding_average::make(2)->release());
    auto table = zuc::hash_table<int, int>::make(3), other = zuc::hash_table<int, int>::make(1);
    const unsigned live = zt::Heap::live();
    zuc::hash_table<int, int> moved(std::move(*table));
    *other = std::move(moved); // other's own two arrays go at once
    EXPECT_TRUE(zt::Heap::live() == live - 2 && other->capacity() == 3);
}

TEST_F(Cpp, FailuresAreEmptyResultsAndLeaveNothingBehind) {
    Owning l = of({0, 1});
    const std::function<bool()> makes[] = {
        [] { return Owning::make().has_value(); },
        [&l] { return l.filter([](Item *) { return true; }).has_value(); },
        [&l] { return l.push_back(&items[2]); },
        [&l] { return l.push_front(&items[3]); },
        [] { return zuc::hash_table<int, int>::make(4).has_value(); },
        [] { return zuc::pool<int>::make(4).has_value(); },
        [] { return zuc::queue<int>::make(8).has_value(); },
        [] { return zuc::sliding_average::make(3).has_value(); },
    };
    for (const auto &make : makes) { // its first allocation refused, then none
        zt::Heap::refuse(1);
        const bool made = make();
        zt::Heap::refuse(0);
        EXPECT_TRUE(!made && make()) << "case " << &make - makes;
    }
    // The bytes asked for, at the default alignment; a count whose bytes wrap asks for none.
    EXPECT_EQ(zuc::memalign(32, 100) ? zt::log().back().b : 0u, 100u);
    EXPECT_EQ(zuc::aligned_array<std::uint16_t>(40) ? zt::log().back().b : 0u, 80u);
    EXPECT_EQ(zuc::aligned_array<std::uint64_t>(SIZE_MAX / 8 + 2, 16), nullptr);
}

TEST_F(Cpp, ListIteratesAndWalksBothWaysAndSearchesWithTypedCallables) {
    Owning l = of({4, 1, 3, 1});
    auto it = std::next(l.begin());
    EXPECT_EQ(seq({ids(l), ids(l | std::views::reverse), id(*it--), id(*it), id(l.front()),
                   id(l.back()), id(l.at(2))}),
              "4131/1314/1/4/4/1/3");
    EXPECT_TRUE(l.find(&items[1]) == std::next(l.begin()) && l.find(items) == l.end());
    EXPECT_EQ(id(*l.find_if([](Item *item) { return item == &items[3]; })), "3");
    EXPECT_EQ(l.count_if([](Item *item) { return item->key == 30; }), 1u);
    std::string seen;
    auto note = [&seen](Item *item) { seen += id(item); };
    EXPECT_TRUE(l.for_each(note) && l.for_each_reversed(note));
    EXPECT_FALSE(l.for_each([&](Item *item) { return note(item), item != &items[1]; }));
    EXPECT_FALSE(l.for_each_separated(
        note, [&seen](Item *next) { return (seen += '|') += id(next), next != &items[3]; }));
    EXPECT_EQ(seen, "41311314414|11|3"); // forwards, backwards, stopped; separated, stopped
    auto none = Owning::make();
    EXPECT_TRUE(none->front() == nullptr && none->back() == nullptr);
}

TEST_F(Cpp, SortsStablyAndDerivedListsNeverReleaseTheElements) {
    for (int n = 0; n < 5; ++n) {
        items[n].key = n % 2 == 0 ? 2 : 1;
    }
    Owning l = of({0, 1, 2, 3, 4});
    l.sort([](const Item *a, const Item *b) { return a->key < b->key; });
    {
        auto twos = l.filter([](Item *item) { return item->key == 2; });
        auto ones = l.filter_out([](Item *item) { return item->key == 2; });
        auto all = l.view();
        auto shifted = l.transform([](Item *item) { return item + 5; });
        static_assert(std::is_same_v<decltype(shifted), std::optional<zuc::sublist<Item>>>);
        EXPECT_EQ(id(*all->erase(std::next(all->begin()))), "0"); // 3 goes, not released
        const std::string some = ids(*all);
        all->clear();
        EXPECT_EQ(seq({ids(l), ids(*twos), ids(*ones), ids(*shifted), some, ids(*all)}),
                  "13024/024/13/68579/1024/");
    }
    auto copier = [](Item *item) { return item->key == 2 ? item + 5 : nullptr; };
    EXPECT_TRUE(!of({0, 1}).copy(copier) && ids(*of({0, 2}).copy(copier)) == "57");
    EXPECT_EQ(released, "5570201"); // the failed copy's 5; the copies; their sources
    released.clear();
    {
        Owning dest = of({}), src = of({1, 2}), rest = of({4, 5, 6});
        zt::Heap::refuse(2); // the node for 2: the node for 1 goes again
        EXPECT_FALSE(dest.append(std::move(src)));
        ASSERT_TRUE(dest.append(std::move(src)) && src.native() == nullptr); // src was whole
        zt::Heap::refuse(3);                                                 // the node for 6
        EXPECT_FALSE(dest.append(std::move(rest)));
        EXPECT_EQ(seq({ids(dest), ids(rest)}), "12/456");
    }
    EXPECT_EQ(released, "45612");
}

// Three-way comparisons of both shapes: an int (only its sign counts), or an ordering.
using ByKeyInt = decltype([](const Item &a, const Item &b) { return (a.key - b.key) * 1000; });
template <class Compare>
std::string insert_sorted_into_both() {
    zuc::slist<Item, &Item::link, Compare> s;
    zuc::dlist<Item, &Item::next, &Item::prev, Compare> d;
    for (Item &item : std::span(items, 5)) {
        s.insert_sorted(item), d.insert_sorted(item);
    }
    return seq({ids(s), ids(d)});
}

TEST_F(Cpp, IntrusiveListsOrderByEitherShapeOfComparison) {
    for (int n = 0; n < 5; ++n) {
        items[n].key = std::array{2, 1, 3, 2, 2}[n]; // equal keys: the latest first
    }
    EXPECT_EQ(insert_sorted_into_both<ByKeyInt>(), "14302/14302");
    EXPECT_EQ(insert_sorted_into_both<std::compare_three_way>(), "14302/14302");
}

TEST_F(Cpp, IntrusiveMembersReachTheirCFunctions) {
    Slist s, t;
    s.push_back(items[2]), s.push_back(items[0]), s.push_front(items[3]), s.push_back(items[1]);
    EXPECT_EQ(seq({id(s.pop_back()), ids(std::as_const(s)), id(s.unlink_after(items[3]))}),
              "1/320/2");
    t.push_back(items[4]), t.push_back(items[1]), s.sort(), s.merge(t);
    t.push_back(items[5]), s.splice_back(t);
    Slist moved(std::move(s));
    EXPECT_EQ(seq({ids(moved), ids(t), ids(s), id(moved.back())}), "01345///5");
    s = std::move(moved);
    EXPECT_EQ(seq({ids(s), ids(moved)}), "01345/");

    Dlist d, other;
    d.insert(d.end(), items[2]), d.insert(d.begin(), items[0]), d.insert(d.end(), items[4]);
    EXPECT_EQ(id(*d.insert(std::next(d.begin()), items[1])), "1");
    d.insert(std::prev(d.end()), items[3]);
    auto it = std::prev(d.end());
    EXPECT_EQ(seq({ids(d), ids(std::ranges::subrange(d.rbegin(), d.rend())), id(*it--), id(*it),
                   id(*d.erase(std::next(d.begin(), 2)))}),
              "01234/43210/4/3/3");
    d.unlink(items[0]);
    EXPECT_EQ(seq({id(d.pop_back()), id(d.pop_front()), ids(d)}), "4/1/3");
    other.push_back(items[6]);
    Dlist taken(std::move(d));
    other = std::move(taken);
    EXPECT_EQ(seq({ids(d), ids(taken), ids(other)}), "//3");

    s.clear(), other.clear(); // forget, unlink nothing
    EXPECT_EQ(ids(s) + ids(other), "");
    for (Item &item : std::span(items, 3)) {
        s.push_back(item), d.push_front(item);
    }
    std::string order; // each record goes unlinked
    s.clear_and_dispose([&order](Item *item) { order += item->link ? "!" : id(item); });
    d.clear_and_dispose([&order](Item *item) { order += item->next ? "!" : id(item); });
    EXPECT_EQ(seq({order, ids(s), ids(d)}), "012210//");
    auto fresh = [] { return static_cast<Item *>(std::malloc(sizeof(Item))); };
    s.push_back(*fresh()), d.push_back(*fresh());
    s.free_elements(), d.free_elements();
    using Freeing = zuc::list<Item, zuc::free_delete>;
    EXPECT_TRUE(Freeing::make()->push_back(fresh()));
}

// Keys equal modulo 100, which only the callables given here tell apart; they note the table
// size Hash gets and the key Equal gets first.
unsigned table_size;
const int *first_key;
using Mod100Hash = decltype([](const int &key, unsigned size) {
    return table_size = size, key % 100;
});
using Mod100Equal = decltype([](const int &a, const int &b) {
    return first_key = &a, a % 100 == b % 100;
});

TEST_F(Cpp, HashTableHandsItsCallablesTheKeysInOrder) {
    auto t = zuc::hash_table<int, Item, Mod100Hash, Mod100Equal>::make(2);
    static const int five = 5, six = 6, seven = 7, other_five = 105;
    EXPECT_TRUE(t->insert(five, &items[5]) && !t->full() && table_size == t->native()->tableSize);
    EXPECT_TRUE(t->find(other_five) == &items[5] && first_key == &other_five);
    EXPECT_TRUE(t->insert(six, &items[6]) && t->full() && !t->insert(seven, &items[7]));
    t->erase(other_five);
    EXPECT_TRUE(t->find(five) == nullptr && t->size() == 1 && !t->empty() && t->capacity() == 2);
    auto by_std = zuc::hash_table<long, Item, std::hash<long>>::make(4);
    static const long key = 1234567;
    EXPECT_TRUE(by_std->insert(key, &items[1]) && by_std->find(1234567) == &items[1]);
    const std::array<char, 3> abc{'a', 'b', 'c'};
    EXPECT_EQ(zuc::hash_mem{}(abc, 11), HashTab_hashMem(abc.data(), 11, 3));
}

struct Counted {
    static inline int alive;
    int a, b;
    Counted(int x, int y) : a(x), b(y) { ++alive; }
    ~Counted() { --alive; }
};

TEST_F(Cpp, PoolConstructsInItsElementsAndDestroysBeforeHandingThemBack) {
    auto p = zuc::pool<Counted>::make(2);
    Counted *x = p->create(1, 2), *y = p->create(3, 4);
    EXPECT_TRUE(y->a == 3 && y->b == 4 && p->create(5, 6) == nullptr && Counted::alive == 2);
    p->destroy(x), p->destroy(nullptr);
    EXPECT_TRUE(Counted::alive == 1 && p->in_use() == 1 && p->capacity() == 2);
    auto raw = zuc::pool<std::uint32_t>::make(1);
    p->destroy(y), raw->deallocate(raw->allocate());
    EXPECT_EQ(raw->in_use() + Counted::alive, 0u);
}

// Fed 9, 0, 6, 6 through three places: mean 4, weighted (0 + 6*2 + 6*3) / 6, variance 24 / 3.
void expect_window_of_three(auto &&w) {
    for (std::uint32_t sample : {9u, 0u, 6u, 6u}) {
        w.add(sample);
    }
    EXPECT_TRUE(w.full() && w.size() == 3 && w.capacity() == 3 && w.variance() == 8);
    EXPECT_EQ(std::pair(w.average(), w.weighted_average()), std::pair(4.0, 5.0));
    w.reset();
    EXPECT_EQ(w.size(), 0u);
}

TEST_F(Cpp, QueuesAveragesChecksumsAndMapsForwardEveryCall) {
    {
        zuc::inplace_queue<Item, 3, Release> q;
        EXPECT_TRUE(q.push(&items[0]) && q.push(&items[1]) && q.push(&items[2]) && q.full());
        EXPECT_TRUE(!q.push(&items[3]) && q.pop() == &items[0]);
        EXPECT_TRUE(q.size() == 2 && q.capacity() == 3 && !q.full() && !q.empty());
    }
    auto q = zuc::queue<Item, Release>::make(2);
    EXPECT_TRUE(q->push(&items[4]) && q->push(&items[5]) && !q->push(&items[6]));
    q.reset();
    EXPECT_EQ(released, "1245"); // what was left in each, oldest first
    expect_window_of_three(zuc::inplace_sliding_average<3>());
    expect_window_of_three(*zuc::sliding_average::make(3));

    const std::string_view text("\000\000123456789", 11); // zeros first: the CRC stays 0
    const std::span<const std::byte> bytes = std::as_bytes(std::span(text));
    const std::span<const unsigned char> uchars(
        reinterpret_cast<const unsigned char *>(text.data()), text.size());
    EXPECT_TRUE(zuc::crc16(text) == 0x31C3 && zuc::crc16(bytes) == 0x31C3 &&
                zuc::crc16(uchars) == 0x31C3);
    zuc::crc16_state state;
    state.update(bytes.first(4)), state.update(uchars.subspan(4, 3)), state.update(std::byte{'6'});
    state.update(std::uint8_t{'7'}), state.update(text.substr(9));
    EXPECT_EQ(state.value(), 0x31C3);
    state.reset();
    EXPECT_EQ(state.value(), 0);

    constexpr auto codes = zuc::uint_uint_map({{10, 1000}, {70000, 7}});
    EXPECT_TRUE(codes.find(70000) == 7u && codes.find(10) == 1000u && !codes.find(11));
    EXPECT_EQ(codes.data()[codes.entries().size()].key, ZUCLIB_UINT_UINT_MAP_END);
    constexpr auto states = zuc::str_uint_map({{"idle", 0}, {"busy", 1}});
    EXPECT_TRUE(states.find(1) == states.entries()[1].str && states.find(2) == nullptr);
}

} // namespace
