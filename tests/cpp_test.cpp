// What the C++ layer adds to the C families: each member reaches its C function with its
// arguments in order, owners release once, callables arrive with the direction and sign the C
// side wants, iterators step as documented, failures are empty results. The C side is the
// models' and the contract test's.
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
#include <tuple>

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
std::string ids(auto &&range) {
    std::string out;
    for (auto &&each : range) {
        out += id(each);
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
using CppDeathTest = Cpp;

// A copy of an owner would free its C object twice; the in-place forms hold their own
// address, so they cannot even move.
template <class... T>
constexpr bool copyable = (std::is_copy_constructible_v<T> || ...);
static_assert(!copyable<Owning, zuc::sublist<Item>, Slist, Dlist, zuc::queue<Item>, zuc::pool<int>,
                        zuc::hash_table<int, int>, zuc::sliding_average>);
static_assert(!std::is_move_constructible_v<zuc::inplace_queue<Item, 2>> &&
              !std::is_move_constructible_v<zuc::inplace_sliding_average<2>>);

// A heap owner moves its C object on, and release() gives it up.
template <class Owner>
void expect_moves_and_release(std::optional<Owner> made, auto c_free) {
    Owner moved(std::move(*made));
    EXPECT_EQ(made->native(), nullptr);
    *made = std::move(moved);
    EXPECT_EQ(moved.native(), nullptr);
    c_free(made->release());
    EXPECT_EQ(made->native(), nullptr);
}

TEST_F(Cpp, OwnersReleaseOnceAndMovesHandTheCObjectOver) {
    {
        Owning a = of({2, 0, 1});
        ASSERT_TRUE(a.push_front(&items[3]));
        EXPECT_EQ(id(*a.erase(std::next(a.begin()))), "0"); // 2 released
        Owning b(std::move(a));
        EXPECT_TRUE(a.native() == nullptr && a.empty() && a.size() == 0);
        Owning c = of({4, 5});
        c = std::move(b);                      // 4 and 5 released at once
        list_free(of({6}).release(), nullptr); // the caller's now: 6 is not released
        c.clear();
        EXPECT_TRUE(c.push_back(&items[7]));
    }
    EXPECT_EQ(released, "2453017");
    expect_moves_and_release(Owning::make(), [](::list *l) { list_free(l, nullptr); });
    expect_moves_and_release(zuc::pool<int>::make(2), mempool_destroy);
    expect_moves_and_release(zuc::queue<int>::make(2), [](zuqueue *q) { zuqueue_free(q, {}); });
    expect_moves_and_release(zuc::sliding_average::make(2), SlidingAverage_destroy);
    auto kept = zuc::hash_table<int, int>::make(3), replaced = zuc::hash_table<int, int>::make(1);
    const unsigned live = zt::Heap::live();
    *replaced = std::move(*kept); // its own two arrays go at once
    EXPECT_EQ(zt::Heap::live(), live - 2);
    zuc::hash_table<int, int> moved(std::move(*replaced));
    EXPECT_EQ(moved.capacity(), 3u);
}

TEST_F(Cpp, FailuresAreEmptyResultsAndLeaveNothingBehind) {
    Owning l = of({0, 1});
    const std::tuple<const char *, unsigned, std::function<bool()>> factories[] = {
        {"list", 2, [] { return Owning::make().has_value(); }},
        {"filter", 4, [&l] { return l.filter([](Item *) { return true; }).has_value(); }},
        {"hash_table", 3, [] { return zuc::hash_table<int, int>::make(4).has_value(); }},
        {"pool", 4, [] { return zuc::pool<int>::make(4).has_value(); }},
        {"queue", 3, [] { return zuc::queue<int>::make(8).has_value(); }},
        {"sliding_average", 3, [] { return zuc::sliding_average::make(3).has_value(); }},
        {"aligned_array", 2, [] { return zuc::aligned_array<double>(10, 64) != nullptr; }},
        {"memalign", 2, [] { return zuc::memalign(32, 100) != nullptr; }},
    };
    for (const auto &[name, runs, make] : factories) { // refuse the 1st, 2nd, ... allocation
        unsigned run = 0;
        for (bool made = false; !made && run < runs;) {
            zt::Heap::refuse(++run);
            made = make();
            zt::Heap::refuse(0);
            EXPECT_EQ(made, run == runs) << name << " in run " << run;
        }
    }
    zt::Heap::refuse(1);
    EXPECT_FALSE(l.push_front(&items[3]));
    EXPECT_EQ(seq({ids(l), released}), "01/"); // a refused element stays the caller's
    const std::size_t events = zt::log().size();
    EXPECT_EQ(zuc::aligned_array<std::uint64_t>(SIZE_MAX / 4, 16), nullptr); // bytes overflow
    EXPECT_EQ(zt::log().size(), events);
}

TEST_F(Cpp, ListIteratesAndWalksBothWaysAndSearchesWithTypedCallables) {
    Owning l = of({4, 1, 3, 1});
    auto it = l.begin();
    EXPECT_EQ(seq({ids(l), ids(l | std::views::reverse), id(*std::ranges::prev(l.end())), id(*it++),
                   id(*it--), id(*it), id(l.front()), id(l.back()), id(l.at(2))}),
              "4131/1314/1/4/1/4/4/1/3");
    EXPECT_TRUE(l.find(&items[1]) == std::next(l.begin()) && l.find(items) == l.end());
    std::string seen;
    auto note = [&seen](Item *item) { seen += id(item); };
    EXPECT_EQ(id(*l.find_if([&](Item *item) { return note(item), item == &items[3]; })), "3");
    EXPECT_EQ(l.count_if([](Item *item) { return item->key == 30; }), 1u);
    EXPECT_TRUE(l.for_each(note) && l.for_each_reversed(note));
    EXPECT_FALSE(l.for_each([&](Item *item) { return note(item), item != &items[1]; }));
    EXPECT_TRUE(l.for_each_separated(note, [&seen](Item *next) { (seen += '|') += id(next); }));
    EXPECT_FALSE(l.for_each_separated(note, [](Item *next) { return next != &items[3]; }));
    // find_if up to its match; forwards, backwards, stopped; separated, stopped
    EXPECT_EQ(seen, "41341311314414|11|33|1141");
    auto none = Owning::make();
    EXPECT_EQ(seq({id(none->front()), id(none->back()), ids(*none)}), "-/-/");
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
        auto keys = l.transform([](Item *item) { return &item->key; });
        static_assert(std::is_same_v<decltype(keys), std::optional<zuc::sublist<int>>>);
        EXPECT_EQ(keys->at(4), &items[4].key);
        all->sort([](const Item *a, const Item *b) { return a->key > b->key; });
        const std::string sorted = ids(*all);
        EXPECT_EQ(id(*all->erase(all->begin())), "2");
        zuc::sublist<Item> moved(std::move(*twos));
        all->clear();
        EXPECT_EQ(seq({ids(l), sorted, ids(moved), ids(*ones), ids(*all)}), "13024/02413/024/13/");
    }
    EXPECT_EQ(released, "");
    auto copier = [](Item *item) { return item->key == 2 ? item + 5 : nullptr; };
    EXPECT_FALSE(of({0, 1}).copy(copier).has_value()); // the copy of 0 goes to Release
    EXPECT_EQ(ids(*of({0, 2}).copy(copier)), "57");
    EXPECT_EQ(released, "5015702"); // the failed copy's 5, its source; the copies, theirs
    released.clear();
    {
        Owning dest = of({0}), src = of({1, 2});
        ASSERT_TRUE(dest.append(std::move(src)));
        EXPECT_TRUE(ids(dest) == "012" && src.native() == nullptr);
        Owning full = of({3}), rest = of({4, 5, 6});
        zt::Heap::refuse(3); // the node for 6
        EXPECT_FALSE(full.append(std::move(rest)));
        EXPECT_EQ(seq({ids(full), ids(rest)}), "3/456");
    }
    EXPECT_EQ(released, "4563012");
}

// Three-way comparisons of each shape: an int (only its sign counts), or an ordering.
using ByKeyInt = decltype([](const Item &a, const Item &b) { return (a.key - b.key) * 1000; });
using ByKeyPartial = decltype([](const Item &a, const Item &b) {
    return static_cast<double>(a.key) <=> static_cast<double>(b.key);
});
template <class Compare>
std::string insert_sorted_into_both() {
    zuc::slist<Item, &Item::link, Compare> s;
    zuc::dlist<Item, &Item::next, &Item::prev, Compare> d;
    for (Item &item : std::span(items, 5)) {
        s.insert_sorted(item), d.insert_sorted(item);
    }
    return seq({ids(s), ids(d)});
}

TEST_F(Cpp, IntrusiveListsOrderByEveryShapeOfComparison) {
    for (int n = 0; n < 5; ++n) {
        items[n].key = std::array{2, 1, 3, 2, 2}[n]; // equal keys: the latest first
    }
    for (const std::string &got :
         {insert_sorted_into_both<ByKeyInt>(), insert_sorted_into_both<ByKeyPartial>(),
          insert_sorted_into_both<std::compare_three_way>()}) {
        EXPECT_EQ(got, "14302/14302");
    }
}

TEST_F(Cpp, IntrusiveMembersReachTheirCFunctionsAndLeaveTheCursorAlone) {
    Slist s, t;
    EXPECT_EQ(seq({id(s.pop_front()), id(s.pop_back()), id(s.front()), id(s.back())}), "-/-/-/-");
    s.push_back(items[2]), s.push_back(items[0]), s.push_front(items[3]);
    List_startIterate(s.native());
    EXPECT_EQ(seq({id(s.pop_back()), ids(std::as_const(s)),
                   id(static_cast<Item *>(List_getNext(s.native())))}),
              "0/32/3");
    s.push_back(items[0]), s.sort();
    EXPECT_EQ(seq({id(s.unlink_after(items[0])), id(s.unlink_after(items[3])), ids(s)}), "2/-/03");
    t.push_back(items[4]), t.push_back(items[1]), s.merge(t);
    t.push_back(items[5]), s.splice_back(t);
    Slist moved(std::move(s));
    EXPECT_EQ(seq({ids(moved), ids(t), ids(s), id(moved.back())}), "01345///5");
    s = std::move(moved);
    moved.insert_sorted(items[9]), moved.insert_sorted(items[6]); // the comparison stays
    EXPECT_EQ(seq({ids(s), ids(moved)}), "01345/69");

    Dlist d, other;
    d.insert(d.end(), items[2]), d.insert(d.begin(), items[0]), d.insert(d.end(), items[4]);
    EXPECT_EQ(id(*d.insert(std::next(d.begin()), items[1])), "1");
    d.insert(std::prev(d.end()), items[3]);
    DList_startIterate(d.native());
    EXPECT_EQ(seq({ids(d), ids(std::ranges::subrange(d.rbegin(), d.rend())),
                   id(static_cast<Item *>(DList_getNext(d.native())))}),
              "01234/43210/0");
    EXPECT_EQ(id(*d.erase(std::next(d.begin(), 2))), "3");
    EXPECT_TRUE(d.erase(std::prev(d.end())) == d.end());
    d.unlink(items[0]);
    EXPECT_EQ(seq({id(d.pop_back()), id(d.pop_front()), id(d.pop_front())}), "3/1/-");
    d.push_front(items[5]), other.push_back(items[6]);
    Dlist taken(std::move(d));
    other = std::move(taken);
    EXPECT_EQ(seq({ids(d), ids(taken), ids(other)}), "//5");

    s.clear(), other.clear(); // forget, unlink nothing
    for (Item &item : std::span(items, 3)) {
        s.push_back(item), d.push_front(item);
    }
    std::string order; // each record goes unlinked
    s.clear_and_dispose([&order](Item *item) { order += item->link ? "!" : id(item); });
    d.clear_and_dispose([&order](Item *item) { order += item->next ? "!" : id(item); });
    EXPECT_EQ(seq({order, ids(s), ids(d)}), "012210//");
    s.push_back(*static_cast<Item *>(std::malloc(sizeof(Item)))); // for free_elements
    d.push_back(*static_cast<Item *>(std::malloc(sizeof(Item))));
    s.free_elements(), d.free_elements();
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
    EXPECT_TRUE(t->insert(five, &items[5]) && table_size == t->native()->tableSize);
    EXPECT_TRUE(t->find(other_five) == &items[5] && first_key == &other_five);
    EXPECT_TRUE(t->insert(six, &items[6]) && t->full() && !t->insert(seven, &items[7]));
    t->erase(other_five);
    EXPECT_TRUE(t->find(five) == nullptr && t->size() == 1 && !t->empty() && t->capacity() == 2);
    auto by_std = zuc::hash_table<long, Item, std::hash<long>>::make(4);
    static const long key = 1234567;
    EXPECT_TRUE(by_std->insert(key, &items[1]) && by_std->find(1234567) == &items[1]);
    EXPECT_EQ(zuc::hash_mem{}(std::array{'a', 'b', 'c'}, 11), 5u); // ((97*2 ^ 98)*2 ^ 99) % 11
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
    EXPECT_EQ(p->create(7, 8), x);
    p->destroy(x), p->destroy(y);
    EXPECT_EQ(Counted::alive + p->in_use(), 0u);
    auto raw = zuc::pool<std::uint32_t>::make(1);
    std::uint32_t *element = raw->allocate();
    *element = 42, raw->deallocate(element);
    EXPECT_EQ(*raw->allocate(), 42u); // as its last user left it
}

// Fed 9, 0, 3, 3 through three places: mean 2, weighted (0 + 3*2 + 3*3) / 6, variance 6 / 3.
void expect_window_of_three(auto &&w) {
    for (std::uint32_t sample : {9u, 0u, 3u, 3u}) {
        w.add(sample);
    }
    EXPECT_TRUE(w.full() && w.size() == 3 && w.capacity() == 3 && w.variance() == 2);
    EXPECT_EQ(std::pair(w.average(), w.weighted_average()), std::pair(2.0, 2.5));
    w.reset();
    EXPECT_EQ(w.size(), 0u);
}

TEST_F(Cpp, QueuesAveragesChecksumsAndMapsForwardEveryCall) {
    const std::size_t events = zt::log().size();
    {
        zuc::inplace_queue<Item, 3, Release> q;
        EXPECT_EQ(q.pop(), nullptr);
        EXPECT_TRUE(q.push(&items[0]) && q.push(&items[1]) && q.push(&items[2]) && q.full());
        EXPECT_FALSE(q.push(&items[3]));
        EXPECT_TRUE(q.pop() == &items[0] && q.push(&items[3]) && q.pop() == &items[1]);
        EXPECT_TRUE(q.size() == 2 && q.capacity() == 3 && !q.full() && !q.empty());
        expect_window_of_three(zuc::inplace_sliding_average<3>());
    }
    EXPECT_EQ(zt::log().size(), events); // the in-place forms never take the heap
    auto q = zuc::queue<Item, Release>::make(2);
    EXPECT_TRUE(q->push(&items[4]) && q->push(&items[5]) && !q->push(&items[6]));
    q.reset();
    EXPECT_EQ(released, "2345"); // what was left in each, oldest first
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
    state.reset(), state.update(std::uint8_t{1});
    EXPECT_EQ(state.value(), 0x1021);

    constexpr auto codes = zuc::uint_uint_map({{10, 1000}, {70000, 7}, {10, 2}});
    EXPECT_TRUE(codes.find(70000) == 7u && codes.find(10) == 1000u && !codes.find(11));
    EXPECT_EQ(codes.data()[codes.entries().size()].key, ZUCLIB_UINT_UINT_MAP_END);
    constexpr auto states = zuc::str_uint_map({{"idle", 0}, {"busy", 1}, {"spare", 1}});
    EXPECT_TRUE(states.find(1) == states.entries()[1].str && states.find(2) == nullptr);
    EXPECT_EQ(states.data()[states.entries().size()].str, nullptr);
}

TEST_F(CppDeathTest, AMovedFromListAndABadIndexReachTheLibrarysChecks) {
    Owning gone = of({0});
    const Owning kept(std::move(gone));
    EXPECT_DEATH((void)gone.push_back(items), "list_add: Assertion .lst != NULL");
    EXPECT_DEATH((void)kept.at(1), "list_at: Assertion .idx < list_size");
}

} // namespace
