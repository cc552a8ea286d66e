/*
 * libzuc C++ layer: search maps built at compile time.
 *
 * zuc::uint_uint_map<N> and zuc::str_uint_map<N> hold a constant table of N
 * entries followed by the sentinel entry, which they add themselves: a table
 * cannot lack its sentinel. Their constructors run at compile time only and
 * refuse, as a compile error, an entry that would stop the C search early or
 * make a result ambiguous: a uint-uint key or value of 65535
 * (ZUCLIB_UINT_UINT_MAP_END) or a null name. Lookups are one call of the C
 * search (linear, first match wins); data() hands the table to C code.
 *
 * Declare a table as `constexpr auto t = zuc::uint_uint_map({...});`: GCC 12
 * puts one declared as `constexpr zuc::uint_uint_map t{{...}};` in writable
 * data when that declaration is the first of its size.
 */
#ifndef LIBZUC_SEARCHMAP_HPP
#define LIBZUC_SEARCHMAP_HPP

#include <libzuc/detail.hpp> // first: it stops a compile before C++20
#if __cplusplus >= 202002L

#include <libzuc/searchmap.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace zuc {

namespace detail {

// Not constexpr: a constructor that reaches one of these fails to compile,
// and the compiler names the function.
inline void searchmap_65535_is_the_sentinel() noexcept {}
inline void searchmap_null_name_is_the_sentinel() noexcept {}

} // namespace detail

// Number to number.
//     constexpr auto codes = zuc::uint_uint_map({{10, 1000}, {70000, 7}});
//     std::optional<std::uint32_t> v = codes.find(70000);    // 7
//     bool absent = !codes.find(11);
template <std::size_t N>
class uint_uint_map {
  public:
    using entry = zuclib_uint_uint_map_entry;

    consteval uint_uint_map(const entry (&entries)[N]) {
        for (std::size_t i = 0; i < N; ++i) {
            if (entries[i].key == ZUCLIB_UINT_UINT_MAP_END ||
                entries[i].value == ZUCLIB_UINT_UINT_MAP_END) {
                detail::searchmap_65535_is_the_sentinel();
            }
            table_[i] = entries[i];
        }
        table_[N] = entry{ZUCLIB_UINT_UINT_MAP_END, 0};
    }

    // The value of the first entry with key, or none.
    std::optional<std::uint32_t> find(std::uint32_t key) const noexcept {
        std::uint32_t value = zuclib_search_uint_uint_map(table_, key);
        if (value == ZUCLIB_UINT_UINT_MAP_END) {
            return std::nullopt;
        }
        return value;
    }

    // The N entries, and the table with its sentinel for the C functions.
    constexpr std::span<const entry, N> entries() const noexcept {
        return std::span<const entry, N>(table_, N);
    }
    constexpr const entry *data() const noexcept { return table_; }

  private:
    entry table_[N + 1]{};
};

// Number to name.
//     constexpr auto states = zuc::str_uint_map({{"idle", 0}, {"busy", 1}});
//     const char *name = states.find(1);                     // "busy"
//     const char *none = states.find(7);                     // null
template <std::size_t N>
class str_uint_map {
  public:
    using entry = zuclib_str_uint_map_entry;

    consteval str_uint_map(const entry (&entries)[N]) {
        for (std::size_t i = 0; i < N; ++i) {
            if (entries[i].str == nullptr) {
                detail::searchmap_null_name_is_the_sentinel();
            }
            table_[i] = entries[i];
        }
        table_[N] = entry{nullptr, 0};
    }

    // The name of the first entry with value (the pointer in the table), or null.
    const char *find(std::uint32_t value) const noexcept {
        return zuclib_search_str_uint_map(table_, value);
    }

    constexpr std::span<const entry, N> entries() const noexcept {
        return std::span<const entry, N>(table_, N);
    }
    constexpr const entry *data() const noexcept { return table_; }

  private:
    entry table_[N + 1]{};
};

} // namespace zuc

#endif // C++20
#endif
