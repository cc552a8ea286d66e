// What the C++ layer adds to the C families: each member reaches its C function with its
// arguments in order, owners release once, callables arrive with the direction and sign the C
// side wants, iterators step as documented, failures are empty results. The C side is the
// models' and the contract test's.
#include <libzuc/zuc.hpp>

#include "model.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <ranges>
#include <span>
#include <string>
#include <string_view>

namespace {

struct Item {
    Item *next, *prev, *link; // the dlist's hooks, then the slist's
};
Item items[10];
std::string released; // what Release, the element release under test, got, in order

// Every test leaves the heap as it found it. Items read by index, so that an order reads "021".
struct Cpp : ::testing::Test {
    static std::string id(const Item *item) { return item ? std::to_string(item - items) : "-"; }
    static std::string id(const Item &item) { return id(&item); }
    // Read by it++, which must answer where it was; at most 20 items, so that a cycle ends.
    static std::string ids(auto &&range) {
        std::string out;
        for (auto it = range.begin(); it != range.end() && out.size() < 20;) {
            out += id(*it++);
        }
        return out;
    }
    // The parts in order (a braced list is evaluated left to right), joined by '/'.
    static std::string seq(std::initializer_list<std::string> parts) {
        std::string out;
        for (const std::string &part : parts) {
            (out += &part == parts.begin() ? "" : "/") += part;
        }
        return out;
    }
    void SetUp() override { released.clear(); }
    void TearDown() override { EXPECT_EQ(zt::Heap::live(), live_); }
    const unsigned live_ = zt::Heap::live();
};

struct Release {
    void operator()(const Item *item) const noexcept { released += Cpp::id(item); }
};
// Three-way comparisons by place in items, of both shapes: an int (only its sign counts), or an
// ordering.
using ByPlace = decltype([](const Item &a, const Item &b) { return int(&a - &b) * 1000; });
using ByPlaceOrdering = decltype([](const Item &a, const Item &b) { return &a <=> &b; });
using Owning = zuc::list<Item, Release>;

Owning of(std::initializer_list<int> indices) {
    auto made = Owning::make();
    for (int n : indices) {
        EXPECT_TRUE(made->push_back(&items[n]));
    }
    return std::move(*made);
}

// The in-place forms hold their own address, so they can neither copy nor move.
static_assert(!std::is_move_constructible_v<zuc::inplace_queue<Item, 2>> &&
              !std::is_move_constructible_v<zuc::inplace_sliding_average<2>>);

TEST_F(Cpp, OwnersFailWithEmptyResultsAndFreeTheirCObjectsOnce) {
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
        const bool made = (zt::Heap::refuse(1), make());
        zt::Heap::refuse(0);
        EXPECT_TRUE(!made && make()) << "case " << &make - makes;
    }
    // The bytes asked for (the array at its default alignment); a count whose bytes wrap: none.
    EXPECT_EQ(zuc::memalign(32, 100) ? zt::log().back().b : 0u, 100u);
    EXPECT_EQ(zuc::aligned_array<std::uint16_t>(40) ? zt::log().back().b : 0u, 80u);
    EXPECT_EQ(zuc::aligned_array<std::uint64_t>(SIZE_MAX / 8 + 2, 16), nullptr);
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

TEST_F(Cpp, ListsStepWalkAndReleaseEachElementOnceWhileDerivedListsNeverDo) {
    Owning l = of({4, 1, 3, 0, 2});
    auto it = std::next(l.begin());
    EXPECT_EQ(seq({ids(l), ids(l | std::views::reverse), id(*it--), id(*it), id(l.front()),
                   id(l.back()), id(l.at(2))}),
              "41302/20314/1/4/4/2/3");
    auto is3 = [](Item *item) { return item == &items[3]; };
    EXPECT_TRUE(l.find(&items[1]) == std::next(l.begin()) && l.find(&items[9]) == l.end() &&
                id(*l.find_if(is3)) == "3" && l.count_if(is3) == 1);
    std::string seen;
    auto note = [&seen](Item *item) { seen += id(item); };
    EXPECT_TRUE(l.for_each(note) && l.for_each_reversed(note));
    EXPECT_FALSE(l.for_each([&](Item *item) { return note(item), item != &items[1]; }));
    EXPECT_FALSE(l.for_each_separated(
        note, [&seen](Item *next) { return (seen += '|') += id(next), next != &items[3]; }));
    EXPECT_EQ(seen, "4130220314414|11|3"); // forwards, backwards, stopped; separated, stopped
    l.sort([](const Item *a, const Item *b) { return a < b; });
    auto even = [](Item *item) { return (item - items) % 2 == 0; };
    auto evens = l.filter(even), odds = l.filter_out(even), all = l.view();
    auto shifted = l.transform([](Item *item) { return item + 5; });
    EXPECT_EQ(id(*all->erase(std::next(all->begin()))), "2"); // 1 goes, not released
    all->clear();
    EXPECT_EQ(
        seq({ids(l), ids(*evens), ids(*odds), ids(*shifted), id(all->front()), id(all->back())}),
        "01234/024/13/56789/-/-");
    EXPECT_EQ(id(*l.erase(std::next(l.begin()))), "2"); // 1 released
    list_free(of({6}).release(), nullptr);              // the caller's now: 6 is not released
    l.clear();
    auto copier = [](Item *item) { return (item - items) % 2 == 0 ? item + 5 : nullptr; };
    EXPECT_TRUE(!of({0, 1}).copy(copier) && ids(*of({0, 2}).copy(copier)) == "57");
    {
        Owning dest = of({}), src = of({1, 2}), rest = of({4, 5, 6});
        zt::Heap::refuse(2); // the node for 2: the node for 1 goes again
        EXPECT_FALSE(dest.append(std::move(src)));
        ASSERT_TRUE(dest.append(std::move(src)) && src.native() == nullptr); // src was whole
        zt::Heap::refuse(3);                                                 // the node for 6
        EXPECT_FALSE(dest.append(std::move(rest)));
        EXPECT_EQ(seq({ids(dest), ids(rest)}), "12/456");
    }
    // Erased 1, cleared 0234; copies: the failed one's 5, then 57, 02, 01; appends: 456, then 12.
    EXPECT_EQ(released, "10234557020145612");
}

TEST_F(Cpp, IntrusiveMembersReachTheirCFunctions) {
    zuc::slist<Item, &Item::link, ByPlaceOrdering> s, t, u;
    s.push_back(items[2]), s.push_back(items[0]), s.push_front(items[3]), s.push_back(items[1]);
    ASSERT_EQ(seq({id(s.pop_back()), ids(std::as_const(s)), id(s.unlink_after(items[3]))}),
              "1/320/2");
    t.push_back(items[4]), t.push_back(items[1]), s.sort(), s.merge(t), s.insert_sorted(items[2]);
    t.push_back(items[5]), s.splice_back(t);
    decltype(s) moved(std::move(s));
    u = std::move(moved);
    EXPECT_EQ(seq({ids(u), ids(s), ids(t), ids(moved), id(u.back())}), "012345////5");
    zuc::dlist<Item, &Item::next, &Item::prev, ByPlace> d, e;
    d.insert(d.end(), items[2]), d.insert(d.begin(), items[0]), d.insert(d.end(), items[4]);
    d.insert_sorted(items[3]);
    auto it = std::prev(d.end());
    EXPECT_EQ(seq({id(*d.insert(std::next(d.begin()), items[1])), ids(d),
                   ids(std::ranges::subrange(d.rbegin(), d.rend())), id(*it--), id(*it),
                   id(*d.erase(std::next(d.begin(), 2)))}),
              "1/01234/43210/4/3/3");
    d.unlink(items[0]), d.push_front(items[7]), d.push_back(items[8]);
    decltype(d) taken(std::move(d));
    e = std::move(taken);
    EXPECT_EQ(seq({ids(d), ids(taken), id(e.pop_back()), ids(e)}), "//8/7134");
    std::string order; // each record goes unlinked, first to last
    u.clear_and_dispose([&order](Item *item) { order += item->link ? "!" : id(item); });
    e.clear_and_dispose([&order](Item *item) { order += item->next ? "!" : id(item); });
    s.push_back(items[9]), d.push_back(items[9]), s.clear(), d.clear(); // forget, unlink none
    EXPECT_EQ(seq({order, ids(u), ids(e), ids(s), ids(d)}), "0123457134////");
    auto fresh = [] { return static_cast<Item *>(std::malloc(sizeof(Item))); };
    s.push_back(*fresh()), d.push_back(*fresh()), s.free_elements(), d.free_elements();
    EXPECT_TRUE((zuc::list<Item, zuc::free_delete>::make()->push_back(fresh())));
}

// Keys equal modulo 100, which only these callables tell apart: the hash notes the table size it
// gets, the equality the key it gets first.
unsigned table_size;
const int *first_key;
struct Mod100 {
    unsigned operator()(const int &k, unsigned n) const { return table_size = n, k % 100; }
    bool operator()(const int &a, const int &b) const { return first_key = &a, a % 100 == b % 100; }
};

TEST_F(Cpp, TheOtherFamiliesForwardEveryCall) {
    auto t = zuc::hash_table<int, Item, Mod100, Mod100>::make(2);
    static const int five = 5, six = 6, seven = 7, other_five = 105;
    EXPECT_TRUE(t->insert(five, &items[5]) && !t->full() && table_size == t->native()->tableSize);
    EXPECT_TRUE(t->find(other_five) == &items[5] && first_key == &other_five);
    EXPECT_TRUE(t->insert(six, &items[6]) && t->full() && !t->insert(seven, &items[7]));
    t->erase(other_five);
    EXPECT_TRUE(t->find(five) == nullptr && t->size() == 1 && !t->empty() && t->capacity() == 2);
    auto by_std = zuc::hash_table<int, Item, std::hash<int>>::make(4); // called without the size
    EXPECT_TRUE(by_std->insert(six, items) && by_std->find(6) == items);
    const char abc[3] = {'a', 'b', 'c'};
    EXPECT_EQ(zuc::hash_mem{}(abc, 11), HashTab_hashMem(abc, 11, 3));
    const auto one = std::make_shared<int>(1); // its copies count the pool's objects alive
    auto p = zuc::pool<std::shared_ptr<int>>::make(2);
    auto *x = p->create(one), *y = p->create(one);
    EXPECT_TRUE(*y == one && p->create(one) == nullptr && one.use_count() == 3);
    p->destroy(x), p->destroy(nullptr);
    EXPECT_TRUE(one.use_count() == 2 && p->in_use() == 1 && p->capacity() == 2);
    auto raw = zuc::pool<std::uint32_t>::make(1);
    p->destroy(y), raw->deallocate(raw->allocate());
    EXPECT_TRUE(one.use_count() == 1 && raw->in_use() == 0);
    auto two = [](auto &&q) { // 2 finds it full, 0 comes out first, 1 is left to Release
        EXPECT_TRUE(q.push(&items[0]) && q.push(&items[1]) && q.full() && !q.push(&items[2]) &&
                    q.pop() == items && q.size() == 1 && q.capacity() == 2 && !q.empty());
    };
    two(zuc::inplace_queue<Item, 2, Release>());
    two(*zuc::queue<Item, Release>::make(2));
    EXPECT_EQ(released, "11");
    // Fed 9, 0, 6, 6 through three places: mean 4, weighted (0 + 6*2 + 6*3) / 6, variance 24 / 3;
    auto window = [](auto &&w) { // then reset
        w.add(9), w.add(0), w.add(6), w.add(6);
        EXPECT_TRUE(w.full() && w.size() == 3 && w.capacity() == 3 && w.variance() == 8 &&
                    w.average() == 4 && w.weighted_average() == 5 && (w.reset(), w.size() == 0));
    };
    window(zuc::inplace_sliding_average<3>());
    window(*zuc::sliding_average::make(3));
    const std::string_view text("\000\000123456789", 11); // zeros first: the CRC stays 0
    const std::span<const std::byte> bytes = std::as_bytes(std::span(text));
    const std::span uchars(reinterpret_cast<const unsigned char *>(text.data()), text.size());
    zuc::crc16_state state;
    state.update(bytes.first(4)), state.update(uchars.subspan(4, 3)), state.update(std::byte{'6'});
    state.update(std::uint8_t{'7'}), state.update(text.substr(9));
    EXPECT_TRUE(zuc::crc16(text) == 0x31C3 && zuc::crc16(bytes) == 0x31C3 &&
                zuc::crc16(uchars) == 0x31C3 && state.value() == 0x31C3 &&
                (state.reset(), state.value() == 0));
    constexpr auto codes = zuc::uint_uint_map({{10, 1000}, {70000, 7}});
    EXPECT_TRUE(codes.find(70000) == 7u && codes.find(10) == 1000u && !codes.find(11));
    EXPECT_EQ(codes.data()[codes.entries().size()].key, ZUCLIB_UINT_UINT_MAP_END);
    constexpr auto states = zuc::str_uint_map({{"idle", 0}, {"busy", 1}});
    EXPECT_TRUE(states.find(1) == states.entries()[1].str && states.find(2) == nullptr);
}

} // namespace
