// The contract in tables: every check and a call that trips it, and values worked out by hand where
// a model could share a mistake with the code. (The hostile 32-bit sizes are in the models' tables
// of sizes.)
#include <libzuc/crc16.h>
#include <libzuc/hashtab.h>
#include <libzuc/llist.h>
#include <libzuc/mempool.h>
#include <libzuc/searchmap.h>
#include <libzuc/slidingaverage.h>
#include <libzuc/slist.h>
#include <libzuc/zucmem.h>
#include <libzuc/zuqueue.h>

#include "model.h"

#include <gtest/gtest.h>

#include <climits>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace {

int x, y;
list *one() {
    return list_add(list_new(nullptr, nullptr), &x);
}
list *sub() {
    return sublist_copy(one());
}
HashTab *table() {
    static HashTab t;
    HashTab_init(
        &t, [](const void *, unsigned) { return 0u; },
        [](const void *a, const void *b) { return a == b ? 1 : 0; }, 4, nullptr);
    return &t;
}
mempool *pool() {
    return mempool_create(1, 4);
}
alignas(8) unsigned char buf[256];

struct Check {
    const char *function, *expression;
    void (*trip)(); // null for the one check no call can trip
    friend void PrintTo(const Check &c, std::ostream *o) {
        *o << c.function << ": " << c.expression;
    }
    // The module, known by the function's name.
    std::string module() const {
        const auto is = [this](const char *prefix) {
            return std::string(function).starts_with(prefix);
        };
        return is("list_") || is("sublist_")    ? "llist"
               : is("HashTab_")                 ? "hashtab"
               : is("mempool_") || is("stack_") ? "mempool"
               : is("zuqueue_")                 ? "zuqueue"
               : is("Sliding")                  ? "slidingaverage"
               : is("zuclib_")                  ? "searchmap"
                                                : "zucmem";
    }
};
#define ROW(f, e, ...) Check(#f, e, [] { __VA_ARGS__; })

const Check checks[] = {
    ROW(list_clear, "lst != NULL", list_clear(nullptr, nullptr)),
    ROW(list_add, "lst != NULL", list_add(nullptr, &x)),
    ROW(list_add, "!lst->is_sublist", list_add(sub(), &x)),
    ROW(list_add, "!lst->is_sublist", list_merge(sub(), one())), // merging into one
    ROW(list_insert, "lst != NULL", list_insert(nullptr, &x)),
    ROW(list_insert, "!lst->is_sublist", list_insert(sub(), &x)),
    ROW(list_remove_node, "lst != NULL", list_remove_node(nullptr, nullptr)),
    ROW(list_remove_node, "node != NULL", list_remove_node(one(), nullptr)),
    ROW(list_delete, "lst != NULL", list_delete(nullptr, nullptr, nullptr)),
    ROW(list_delete, "!lst->is_sublist", list_delete(sub(), nullptr, nullptr)),
    // refused before the release callback runs
    ROW(list_delete, "node != NULL", list_delete(one(), nullptr, [](void *) { std::abort(); })),
    ROW(list_first, "lst != NULL", list_first(nullptr)),
    ROW(list_last, "lst != NULL", list_last(nullptr)),
    ROW(list_get, "i.node != NULL", list_get(list_iterator{nullptr})),
    ROW(list_at, "lst != NULL", list_at(nullptr, 0)),
    ROW(list_at, "idx < list_size(lst)", list_at(one(), 1)),
    ROW(list_get_item, "lst != NULL", list_get_item(nullptr, 0)),
    ROW(list_get_item, "index < list_size(lst)", list_get_item(one(), 1)),
    ROW(list_find_data, "lst", list_find_data(nullptr, &x)),
    ROW(list_find, "lst", list_find(nullptr, &x, nullptr)),
    ROW(list_find, "cmp", list_find(one(), &x, nullptr)),
    ROW(list_foreach, "lst != NULL", list_foreach(nullptr, &x, nullptr)),
    ROW(list_foreach, "f != NULL", list_foreach(one(), &x, nullptr)),
    ROW(list_sort, "lst != NULL", list_sort(nullptr, nullptr)),
    ROW(list_sort, "func != NULL", list_sort(list_new(nullptr, nullptr), nullptr)),
    ROW(sublist_create, "lst != NULL", sublist_create(nullptr, nullptr, &x)),
    ROW(sublist_create, "include_node != NULL", sublist_create(one(), nullptr, &x)),
    ROW(sublist_create_neg, "lst != NULL", sublist_create_neg(nullptr, nullptr, &x)),
    ROW(sublist_create_neg, "include_node != NULL", sublist_create_neg(one(), nullptr, &x)),
    ROW(list_copy, "lst != NULL", list_copy(nullptr, nullptr, nullptr)),
    ROW(list_copy, "copier != NULL", list_copy(one(), nullptr, nullptr)),
    ROW(list_merge, "src != NULL", list_merge(nullptr, nullptr)),
    ROW(list_merge, "dest != NULL", list_merge(nullptr, one())),
    ROW(HashTab_lookup, "p != NULL", HashTab_lookup(nullptr, &x)),
    ROW(HashTab_lookup, "key != NULL", HashTab_lookup(table(), nullptr)),
    ROW(HashTab_lookup, "key != NULL", HashTab_store(table(), nullptr, &x)),
    ROW(HashTab_delete, "p != NULL", HashTab_delete(nullptr, &x)),
    ROW(HashTab_delete, "key != NULL", HashTab_delete(table(), nullptr)),
    ROW(HashTab_store, "bucket != NULL", HashTab *t = table(); t->freeList = nullptr;
        HashTab_store(t, &x, &x)),
    ROW(mempool_create, "nelements > 0", mempool_create(0, 0)),
    ROW(mempool_create, "elementsize > 0", mempool_create(1, 0)),
    ROW(mempool_alloc, "pool != NULL", mempool_alloc(nullptr)),
    ROW(mempool_free, "pool != NULL", mempool_free(nullptr, nullptr)),
    ROW(mempool_free, "pool->nallocated > 0", mempool_free(pool(), &x)),
    ROW(stack_pop, "element != STACK_SENTINEL", mempool *p = pool(); p->stack[0] = nullptr;
        mempool_alloc(p)),
    ROW(stack_push, "pool->stack[pool->nallocated] == STACK_SENTINEL", mempool *p = pool();
        void *e = mempool_alloc(p); p->stack[0] = e; mempool_free(p, e)),
    ROW(zuqueue_inplace_new, "mem != NULL", zuqueue_inplace_new(nullptr, 0, 0)),
    ROW(zuqueue_inplace_new, "memsize > 0", zuqueue_inplace_new(buf, 0, 0)),
    ROW(zuqueue_inplace_new, "capacity > 0", zuqueue_inplace_new(buf, 64, 0)),
    ROW(zuqueue_inplace_new, "capacity <= ZUQUEUE_MAX_CAPACITY",
        zuqueue_inplace_new(buf, UINT_MAX, ZUQUEUE_MAX_CAPACITY + 1)),
    ROW(zuqueue_inplace_new, "memsize >= zuqueue_size(capacity)",
        zuqueue_inplace_new(buf, zuqueue_size(1) - 1, 1)),
    ROW(zuqueue_inplace_new, "memsize >= zuqueue_size(capacity)",
        zuqueue_inplace_new(buf, zuqueue_size(ZUQUEUE_MAX_CAPACITY) - 1, ZUQUEUE_MAX_CAPACITY)),
    ROW(zuqueue_add, "p != NULL", zuqueue_add(nullptr, &x)),
    ROW(zuqueue_add, "elem != NULL", zuqueue_add(zuqueue_new(0), nullptr)), // even full
    ROW(zuqueue_add, "p->members[i] == NULL", zuqueue *q = zuqueue_new(1); q->members[0] = &x;
        zuqueue_add(q, &y)),
    ROW(zuqueue_get, "p != NULL", zuqueue_get(nullptr)),
    ROW(zuqueue_get, "elem != NULL", zuqueue *q = zuqueue_new(1); zuqueue_add(q, &x);
        q->members[0] = nullptr; zuqueue_get(q)),
    ROW(SlidingAverage_create, "maxEntries > 0", SlidingAverage_create(0)),
    ROW(SlidingAverage_inplace_create, "buf", SlidingAverage_inplace_create(nullptr, 0, 0)),
    ROW(SlidingAverage_inplace_create, "maxEntries <= (UINT_MAX - sizeof *p) / sizeof *p->log",
        SlidingAverage_inplace_create(buf, UINT_MAX, (UINT_MAX - sizeof(SlidingAverage)) / 4 + 1)),
    ROW(SlidingAverage_inplace_create, "bufsize >= maxEntries * sizeof *p->log + sizeof *p",
        SlidingAverage_inplace_create(buf, sizeof(SlidingAverage) + 3, 1)),
    ROW(SlidingAverage_inplace_create, "bufsize >= maxEntries * sizeof *p->log + sizeof *p",
        const unsigned most = (UINT_MAX - sizeof(SlidingAverage)) / 4;
        SlidingAverage_inplace_create(buf, most * 4 + sizeof(SlidingAverage) - 1, most)),
    ROW(SlidingAverage_inplace_create, "(intptr_t)buf % 4 == 0",
        SlidingAverage_inplace_create(buf + 2, 64, 1)),
    ROW(SlidingAverage_inplace_create, "maxEntries > 0", SlidingAverage_inplace_create(buf, 64, 0)),
    // Cannot fail once the buffer is 4-aligned: the ring follows the record.
    Check{"SlidingAverage_inplace_create", "(intptr_t)p->log % sizeof *p->log == 0", nullptr},
    ROW(SlidingAverage_Reset, "p != NULL", SlidingAverage_Reset(nullptr)),
    ROW(SlidingAverage_Reset, "p->log", SlidingAverage *p = SlidingAverage_create(1);
        p->log = nullptr; SlidingAverage_Reset(p)),
    ROW(SlidingAverage_Add, "p != NULL", SlidingAverage_Add(nullptr, 1)),
    ROW(SlidingAverage_GetAverage, "p", SlidingAverage_GetAverage(nullptr)),
    ROW(SlidingAverage_NoOfEntries, "p", SlidingAverage_NoOfEntries(nullptr)),
    ROW(SlidingAverage_GetVariance, "p != NULL", SlidingAverage_GetVariance(nullptr)),
    ROW(zuclib_search_uint_uint_map, "map != NULL", zuclib_search_uint_uint_map(nullptr, 1)),
    ROW(zuclib_search_str_uint_map, "map != NULL", zuclib_search_str_uint_map(nullptr, 1)),
    ROW(zu_memalign, "(alignment % 2) == 0", zu_memalign(3, 8)),
};

class ContractDeathTest : public ::testing::TestWithParam<Check> {};

// The whole report line: module path, a line, the bare function name and the expression exactly as
// written.
TEST_P(ContractDeathTest, ReportsTheCheckAndAborts) {
    const Check &c = GetParam();
    if (c.trip != nullptr) {
        std::string expression = c.expression;
        expression = std::regex_replace(expression, std::regex(R"([\\.\[\](){}*+?|^$])"), R"(\$&)");
        EXPECT_DEATH(c.trip(), "platform/libzuc/" + c.module() + ":[0-9]+: " + c.function +
                                   ": Assertion ." + expression + ". failed");
    }
}

INSTANTIATE_TEST_SUITE_P(Checks, ContractDeathTest, ::testing::ValuesIn(checks));

// The checks the code makes, the abort texts each header documents, and the texts the table above
// trips are one and the same set, module by module.
TEST(Contract, ChecksHeadersAndDeathTestsAgree) {
    std::map<std::string, std::set<std::string>> code, headers, tested;
    const auto read = [](const std::string &path) {
        std::ifstream in(ZUC_SOURCE_DIR "/platform/libzuc/" + path);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    // The first group of each match of re in text.
    const auto collect = [](const std::string &text, const char *re, std::set<std::string> &to) {
        const std::regex r(re);
        for (std::sregex_iterator m(text.begin(), text.end(), r), end; m != end; ++m) {
            to.insert((*m)[1]);
        }
    };
    for (const Check &c : checks) {
        std::set<std::string> blocks;
        tested[c.module()].insert(c.expression);
        collect(read(c.module() + ".cpp"), R"(ZUC_CHECK\((.*)\);)", code[c.module()]);
        collect(read("include/libzuc/" + c.module() + ".h"), R"(Aborts([^*]*(\*[^/][^*]*)*)\*/)",
                blocks);
        for (const std::string &block : blocks) {
            collect(block, R"re("([^"]+)")re", headers[c.module()]);
        }
    }
    EXPECT_EQ(code, tested);
    EXPECT_EQ(headers, tested);
}

// ---- Values worked out by hand ----

std::vector<std::pair<int, int>> compared;
int by_key(const void *earlier, const void *later) {
    const int a = *static_cast<const int *>(earlier), b = *static_cast<const int *>(later);
    compared.emplace_back(a, b);
    return a > b ? 42 : a < b ? INT_MIN : 0;
}

// Whole passes of n - 1 comparisons until one exchanges nothing; the intrusive insertion sort is
// not stable: [b1, c, b2] gives [b2, b1, c].
TEST(Contract, SortsCompareAsWorkedOutByHand) {
    const struct {
        std::vector<int> keys;
        std::size_t calls;
    } sorts[] = {{{}, 0},           {{5}, 0},          {{1, 2}, 1},
                 {{2, 1}, 2},       {{3, 2, 1}, 6},    {{2, 3, 4, 1}, 12},
                 {{4, 1, 2, 3}, 6}, {{2, 1, 2, 1}, 9}, {{3, 1, 2}, 4}};
    for (auto s : sorts) {
        list *l = list_new(nullptr, nullptr);
        for (int &k : s.keys) {
            list_add(l, &k);
        }
        compared.clear();
        list_sort(l, by_key);
        EXPECT_EQ(compared.size(), s.calls);
        list_free(l, nullptr);
    }
    EXPECT_EQ(compared, (std::vector<std::pair<int, int>>{{3, 1}, {3, 2}, {1, 2}, {2, 3}}));

    struct Rec {
        int key;
        Rec *next;
    } b1{1, nullptr}, c{2, nullptr}, b2{1, nullptr};
    List s; // by_key reads a record's first member, its key
    List_makeList(&s, offsetof(Rec, next), by_key);
    for (Rec *r : {&b1, &c, &b2}) {
        List_insertLast(&s, r);
    }
    List_sortList(&s);
    EXPECT_TRUE(s.first == &b2 && b2.next == &b1 && b1.next == &c && s.last == &c);
}

TEST(Contract, TableSizesAndChecksumsWorkedOutByHand) {
    const unsigned sizes[][2] = {{1, 3},  {2, 5},  {3, 7},   {4, 11},  {5, 11},  {6, 13},   {7, 17},
                                 {8, 17}, {9, 19}, {10, 23}, {11, 23}, {16, 37}, {100, 211}};
    for (const auto &size : sizes) {
        HashTab t;
        ASSERT_EQ(HashTab_init(&t, nullptr, nullptr, size[0], nullptr), 1);
        EXPECT_EQ(t.tableSize, size[1]) << size[0];
        HashTab_destroy(&t);
    }
    EXPECT_EQ(HashTab_hashMem("abc", 11, 3), 5u);
    HashTab t; // the largest capacity: all its bytes are asked for, which is refused here
    zt::log().clear();
    EXPECT_EQ(HashTab_init(&t, nullptr, nullptr, HASHTAB_MAX_CAPACITY, nullptr), 0);
    EXPECT_EQ(zt::log(),
              (std::vector<zt::Ev>{{'R', 'm', HASHTAB_MAX_CAPACITY * sizeof(HashTabBucket)}}));
    const struct {
        const char *data;
        std::uint32_t len;
        std::uint16_t crc;
    } crcs[] = {{"123456789", 9, 0x31C3}, {"123456789\x31\xC3", 11, 0}};
    for (const auto &c : crcs) {
        std::uint16_t got = 0xFFFF;
        zuclib_crc16Calc(c.data, &got, c.len);
        EXPECT_EQ(got, c.crc) << c.data;
    }
}

TEST(Contract, SlidingAveragesWorkedOutByHand) {
    const struct {
        unsigned window;
        std::vector<unsigned> samples;
        double mean, weighted;
        unsigned variance;
    } cases[] = {
        {2, {1, 3}, 2.0, 7.0 / 3, 1},
        {2, {0, 3}, 1.5, 2.0, 2}, // the mean 1.5 is truncated to 1: (1 + 4) / 2
        {3, {1, 2, 3, 4}, 3.0, 20.0 / 6, 0},
        {10, {1, 1000, 7, 5, 9, 4, 4, 2, 8}, 1040.0 / 9, 2227.0 / 45, 0}, // not full yet
        {2, {UINT_MAX, UINT_MAX}, 4294967295.0, 4294967295.0, 0},
    };
    for (const auto &c : cases) {
        SlidingAverage *p = SlidingAverage_create(c.window);
        for (unsigned sample : c.samples) {
            SlidingAverage_Add(p, sample);
        }
        EXPECT_EQ(SlidingAverage_GetAverage(p), c.mean);
        EXPECT_EQ(SlidingAverage_GetWeightedAverage(p), c.weighted);
        EXPECT_EQ(SlidingAverage_GetVariance(p), c.variance);
        SlidingAverage_destroy(p);
    }
}

} // namespace
