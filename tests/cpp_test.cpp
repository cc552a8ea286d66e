// What the C++ layer adds to the C families (the models and the contract test check those): each
// member reaches its C function with its arguments in order, owners release once, callables arrive
// with the direction and sign the C side wants, iterators step as documented, failures are empty.
#include <libzuc/zuc.hpp>

#include "model.h"

#include <gtest/gtest.h>

#include <algorithm>
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
std::string released, seen; // what Release (the element release under test) got; what note saw

// Every test starts with nothing released or seen and leaves the heap as it found it. Items read by
// index, so that an order reads "021" (20 at most, so that a cycle ends); the parts of a check
// joined by '/', in order (a braced list is evaluated left to right).
struct Cpp : ::testing::Test {
    static std::string id(const Item *item) { return item ? std::to_string(item - items) : "-"; }
    static std::string id(const Item &item) { return id(&item); }
    static std::string ids(auto &&range) { // by it++, which must answer where it was
        std::string out;
        for (auto it = range.begin(); it != range.end() && out.size() < 20;) {
            out += id(*it++);
        }
        return out;
    }
    static std::string seq(std::initializer_list<std::string> parts) {
        std::string out;
        for (const std::string &part : parts) {
            (out += &part == parts.begin() ? "" : "/") += part;
        }
        return out;
    }
    void TearDown() override { EXPECT_EQ(zt::Heap::live(), live_); }
    const unsigned live_ = (released.clear(), seen.clear(), zt::Heap::live());
};

using Release = decltype([](const Item *item) { released += Cpp::id(item); });
const auto note = [](Item *item) { seen += Cpp::id(item); };
// Three-way comparisons by place in items: an int (only its sign counts), and an ordering.
using ByPlace = decltype([](const Item &a, const Item &b) { return int(&a - &b) * 1000; });
using ByPlaceOrdering = decltype([](const Item &a, const Item &b) { return &a <=> &b; });
using Owning = zuc::list<Item, Release>;

Owning of(std::initializer_list<int> indices) {
    Owning made = *Owning::make();
    EXPECT_TRUE(std::ranges::all_of(indices, [&made](int n) { return made.push_back(&items[n]); }));
    return made;
}

static_assert(!std::is_move_constructible_v<zuc::inplace_queue<Item, 2>> &&    // the in-place forms
              !std::is_move_constructible_v<zuc::inplace_sliding_average<2>>); // hold their address

TEST_F(Cpp, ListsStepWalkAndReleaseEachElementOnceWhileDerivedListsNeverDo) {
    Owning l = of({4, 1, 3, 0, 2});
    auto it = std::next(l.begin());
    auto is3 = [](Item *item) { return item == &items[3]; };
    EXPECT_EQ(seq({ids(l), ids(l | std::views::reverse), id(*it--), id(*it), id(l.front()),
                   id(l.back()), id(l.at(2)), id(*l.find(&items[1])), id(*l.find_if(is3))}),
              "41302/20314/1/4/4/2/3/1/3");
    auto to1 = [](Item *item) { return note(item), item != &items[1]; };
    auto sep = [](Item *next) { return (seen += '|') += id(next), next != &items[3]; };
    EXPECT_TRUE(l.find(&items[9]) == l.end() && l.count_if(is3) == 1 && l.for_each(note) &&
                l.for_each_reversed(note) && !l.for_each(to1) && !l.for_each_separated(note, sep));
    l.sort([](const Item *a, const Item *b) { return a < b; });
    auto even = [](Item *item) { return (item - items) % 2 == 0; };
    auto evens = l.filter(even), odds = l.filter_out(even), all = l.view();
    auto shifted = l.transform([](Item *item) { return item + 5; });
    // Walks: ahead, back, stopped, separated and stopped; erased: 1 (not released), 1 (released).
    EXPECT_EQ(seq({seen, ids(*evens), ids(*odds), ids(*shifted),
                   id(*all->erase(std::next(all->begin()))), (all->clear(), id(all->front())),
                   id(all->back()), ids(l), id(*l.erase(std::next(l.begin())))}),
              "4130220314414|11|3/024/13/56789/2/-/-/01234/2");
    list_free(of({6}).release(), nullptr), l.clear(); // the caller's 6 is not released
    auto copier = [](Item *item) { return (item - items) % 2 == 0 ? item + 5 : nullptr; };
    EXPECT_TRUE(!of({0, 1}).copy(copier) && ids(*of({0, 2}).copy(copier)) == "57");
    // Refused: the node for 2 (1's goes again), for 6. Released: 1; 0234; copying: 5, 57, 02, 01.
    Owning dest = of({}), src = of({1, 2}), rest = of({4, 5, 6});
    EXPECT_TRUE(!(zt::Heap::refuse(2), dest.append(std::move(src))) &&
                dest.append(std::move(src)) && !src.native() &&
                !(zt::Heap::refuse(3), dest.append(std::move(rest))));
    EXPECT_EQ(seq({ids(dest), ids(rest), released}), "12/456/102345570201");
}

TEST_F(Cpp, IntrusiveMembersReachTheirCFunctions) {
    zuc::slist<Item, &Item::link, ByPlaceOrdering> s, t, u;
    s.push_back(items[2]), s.push_back(items[0]), s.push_front(items[3]), s.push_back(items[1]);
    ASSERT_EQ(seq({id(s.pop_back()), ids(s), id(s.unlink_after(items[3]))}), "1/320/2");
    t.push_back(items[4]), t.push_back(items[1]), s.sort(), s.merge(t), s.insert_sorted(items[2]);
    t.push_back(items[5]), s.splice_back(t), u = std::move(s);
    decltype(s) v(std::move(u));
    zuc::dlist<Item, &Item::next, &Item::prev, ByPlace> d, e;
    auto it = (d.push_back(items[2]), d.insert(d.begin(), items[0]), d.insert(d.end(), items[4]));
    d.insert_sorted(items[3]);
    EXPECT_EQ(seq({id(*d.insert(std::next(d.begin()), items[1])), ids(d),
                   ids(std::ranges::subrange(d.rbegin(), d.rend())), id(*it--), id(*it),
                   id(*d.erase(std::next(d.begin(), 2)))}),
              "1/01234/43210/4/3/3");
    d.unlink(items[0]), d.push_front(items[7]), d.push_back(items[8]), e = std::move(d);
    decltype(d) f(std::move(e));
    EXPECT_EQ(seq({ids(std::as_const(v)), ids(s), ids(t), ids(u), id(v.back()), ids(d), ids(e),
                   id(f.pop_back())}),
              "012345////5///8");
    // Each record goes unlinked, first to last; clear forgets them, unlinking none.
    v.clear_and_dispose([](Item *item) { seen += item->link ? "!" : id(item); });
    f.clear_and_dispose([](Item *item) { seen += item->next ? "!" : id(item); });
    s.push_back(items[9]), d.push_back(items[9]), s.clear(), d.clear();
    EXPECT_EQ(seq({seen, ids(s), ids(d)}), "0123457134//");
    auto fresh = [] { return static_cast<Item *>(std::malloc(sizeof(Item))); };
    s.push_back(*fresh()), d.push_back(*fresh()), s.free_elements(), d.free_elements();
    EXPECT_TRUE((zuc::list<Item, zuc::free_delete>::make()->push_back(fresh())));
}

TEST_F(Cpp, OwnersFailWithEmptyResultsFreeOnceAndForwardEveryCall) {
    Owning l = of({0, 1});
    // Each with its first allocation refused: an empty result; then one.
    auto once = [](auto... make) { return ((!(zt::Heap::refuse(1), make()) && make()) && ...); };
    EXPECT_TRUE(
        once([&l] { return l.push_back(&items[2]); }, [&l] { return l.push_front(&items[3]); },
             [&l] { return !!l.view(); }, [] { return !!zuc::hash_table<int, int>::make(4); },
             [] { return !!zuc::pool<int>::make(4); }, [] { return !!zuc::queue<int>::make(8); },
             [] { return !!Owning::make(); }, [] { return !!zuc::sliding_average::make(3); }));
    // The bytes asked for (the array at its default alignment); a count whose bytes wrap: none.
    EXPECT_EQ(zuc::memalign(32, 100) ? zt::log().back().b : 0u, 100u);
    EXPECT_EQ(zuc::aligned_array<std::uint16_t>(40) ? zt::log().back().b : 0u, 80u);
    EXPECT_EQ(zuc::aligned_array<std::uint64_t>(SIZE_MAX / 8 + 2, 16), nullptr);
    zuqueue_free(zuc::queue<int>::make(2)->release(), nullptr);
    mempool_destroy(zuc::pool<int>::make(2)->release()); // an owner that kept it: freed twice
    SlidingAverage_destroy(zuc::sliding_average::make(2)->release());
    auto table = zuc::hash_table<int, int>::make(3), other = zuc::hash_table<int, int>::make(1);
    const unsigned live = zt::Heap::live(); // other's own two arrays go at once
    *other = zuc::hash_table<int, int>(std::move(*table));
    EXPECT_TRUE(zt::Heap::live() == live - 2 && other->capacity() == 3);
    // Keys equal modulo 100 as given, exactly as stored: only Mod100 finds 5 for 105, and only when
    // the key given comes first. The hash notes the table size it gets.
    static unsigned table_size;
    struct Mod100 {
        unsigned operator()(const int &k, unsigned n) const { return table_size = n, k % 100; }
        bool operator()(const int &given, const int &stored) const { return given % 100 == stored; }
    };
    auto t = zuc::hash_table<int, Item, Mod100, Mod100>::make(2);
    auto by_std = zuc::hash_table<int, Item, std::hash<int>>::make(4); // called without the size
    static const int five = 5, six = 6, seven = 7, other_five = 105;
    EXPECT_TRUE(t->insert(five, &items[5]) && !t->full() && table_size == t->native()->tableSize &&
                t->find(other_five) == &items[5] && t->insert(six, &items[6]) && t->full() &&
                !t->insert(seven, &items[7]) && (t->erase(other_five), !t->find(five)) &&
                t->size() == 1 && !t->empty() && t->capacity() == 2 && by_std->insert(six, items) &&
                by_std->find(6) == items &&
                zuc::hash_mem{}(six, 11) == HashTab_hashMem(&six, 11, sizeof six));
    const auto one = std::make_shared<int>(1); // its copies count the pool's objects alive
    auto p = zuc::pool<std::shared_ptr<int>>::make(2);
    auto raw = zuc::pool<std::uint32_t>::make(1);
    auto *x = p->create(one), *y = p->create(one);
    EXPECT_TRUE(*y == one && !p->create(one) && one.use_count() == 3 &&
                (p->destroy(x), p->destroy(nullptr), one.use_count() == 2) && p->in_use() == 1 &&
                p->capacity() == 2 && (p->destroy(y), one.use_count() == 1) &&
                (raw->deallocate(raw->allocate()), raw->in_use() == 0));
    auto two = [](auto &&q) { // 2 finds it full, 0 comes out first, 1 is left to Release
        EXPECT_TRUE(q.push(&items[0]) && q.push(&items[1]) && q.full() && !q.push(&items[2]) &&
                    q.pop() == items && q.size() == 1 && q.capacity() == 2 && !q.empty());
    };
    two(zuc::inplace_queue<Item, 2, Release>()), two(*zuc::queue<Item, Release>::make(2));
    EXPECT_EQ(released, "11");
    auto window = [](auto &&w) { // mean 4, weighted (0 + 6*2 + 6*3) / 6, variance 24 / 3; reset
        w.add(9), w.add(0), w.add(6), w.add(6);
        EXPECT_TRUE(w.full() && w.size() == 3 && w.capacity() == 3 && w.variance() == 8 &&
                    w.average() == 4 && w.weighted_average() == 5 && (w.reset(), w.size() == 0));
    };
    window(zuc::inplace_sliding_average<3>()), window(*zuc::sliding_average::make(3));
    const std::string_view text("\000\000123456789", 11); // zeros first: the CRC stays 0
    const auto bytes = std::as_bytes(std::span(text));
    const std::span uchars(reinterpret_cast<const unsigned char *>(text.data()), text.size());
    zuc::crc16_state c;
    c.update(bytes.first(4)), c.update(uchars.subspan(4, 3)), c.update(std::byte{'6'});
    c.update(std::uint8_t{'7'}), c.update(text.substr(9));
    EXPECT_TRUE(zuc::crc16(text) == 0x31C3 && zuc::crc16(bytes) == 0x31C3 &&
                zuc::crc16(uchars) == 0x31C3 && c.value() == 0x31C3 && (c.reset(), !c.value()));
    constexpr auto codes = zuc::uint_uint_map({{10, 1000}, {70000, 7}});
    constexpr auto states = zuc::str_uint_map({{"idle", 0}, {"busy", 1}});
    EXPECT_TRUE(codes.find(70000) == 7u && codes.find(10) == 1000u && !codes.find(11) &&
                codes.data()[codes.entries().size()].key == ZUCLIB_UINT_UINT_MAP_END &&
                states.find(1) == states.entries()[1].str && states.find(2) == nullptr);
}

} // namespace
