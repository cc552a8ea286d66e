// Search maps: sentinels, first match, key range, pointer identity, checks.
#include <libzuc/searchmap.h>

#include "zuc_test.h"

#include <cstdint>

namespace {

constexpr uint32_t end = ZUCLIB_UINT_UINT_MAP_END;

TEST(UintUintMap, Lookups) {
    const zuclib_uint_uint_map_entry only_sentinel[] = {{end, 42}};
    const zuclib_uint_uint_map_entry codes[] = {
        {0, 100},   {7, 700},        {7, 701}, // the first of two equal keys wins
        {65536, 1}, {0xFFFFFFFF, 2},           // keys above 65535 are ordinary
        {9, end},                              // indistinguishable from "not found"
        {end, 3},   {8, 800},                  // past the sentinel: never seen
    };
    const struct {
        const zuclib_uint_uint_map_entry *map;
        uint32_t key;
        uint32_t value;
    } cases[] = {
        {only_sentinel, 0, end}, {only_sentinel, end, end}, {codes, 0, 100}, {codes, 7, 700},
        {codes, 65536, 1},       {codes, 0xFFFFFFFF, 2},    {codes, 9, end}, {codes, end, end},
        {codes, 8, end},         {codes, 1, end},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(zuclib_search_uint_uint_map(c.map, c.key), c.value) << "key " << c.key;
    }
}

TEST(StrUintMap, ReturnsTheStoredPointerOfTheFirstMatch) {
    static const char idle[] = "idle";
    static const char busy[] = "busy";
    static const char busy_again[] = "busy"; // equal text, different entry
    static const char hidden[] = "hidden";
    const zuclib_str_uint_map_entry only_sentinel[] = {{nullptr, 0}};
    const zuclib_str_uint_map_entry names[] = {
        {idle, 0}, {busy, 1}, {busy_again, 2}, {busy_again, 1}, {nullptr, 3}, {hidden, 3},
    };
    const struct {
        const zuclib_str_uint_map_entry *map;
        uint32_t value;
        const char *str;
    } cases[] = {
        {only_sentinel, 0, nullptr}, {names, 0, idle},    {names, 1, busy},
        {names, 2, busy_again},      {names, 3, nullptr}, {names, 0xFFFFFFFF, nullptr},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(zuclib_search_str_uint_map(c.map, c.value), c.str) << "value " << c.value;
    }
}

TEST(SearchMapDeathTest, NullTableAborts) {
    EXPECT_ZUC_CHECK_FAILS(zuclib_search_uint_uint_map(nullptr, 1), "searchmap",
                           "zuclib_search_uint_uint_map", "map != NULL");
    EXPECT_ZUC_CHECK_FAILS(zuclib_search_str_uint_map(nullptr, 1), "searchmap",
                           "zuclib_search_str_uint_map", "map != NULL");
}

} // namespace
