/*
 * libzuc C++ layer: the few mechanics the family headers share.
 *
 * The C++ headers (<libzuc/llist.hpp>, <libzuc/slist.hpp>, ...) are inline
 * wrappers over the C functions: they add no exported symbol, allocate
 * nothing of their own, throw nothing and need neither exceptions nor RTTI.
 * This header holds what more than one of them needs: the adapters that turn
 * a C++ callable into the plain C callback a family expects, and the byte
 * offset of a link member named by a pointer to member. Nothing here is meant
 * to be used directly, except zuc::free_delete.
 */
#ifndef LIBZUC_DETAIL_HPP
#define LIBZUC_DETAIL_HPP

// The C++ layer is C++20 (concepts, std::span, std::bit_cast, ...). An older
// standard gets this one error instead of a cascade from the headers: every
// header of the layer includes this one first and then skips its contents.
#if __cplusplus < 202002L
#error "the libzuc C++ layer needs C++20: compile with -std=c++20 or later"
#else

#include <bit>
#include <compare>
#include <concepts>
#include <cstddef>
#include <cstdlib>
#include <memory>
#include <type_traits>

namespace zuc {

// Element release by the C library's free(), for elements from malloc:
//     zuc::list<Reading, zuc::free_delete> readings = ...;   // free() each on release
struct free_delete {
    void operator()(const void *element) const noexcept { std::free(const_cast<void *>(element)); }
};

namespace detail {

// A callable the C side can call without any context pointer: its type alone
// says what it does (a captureless lambda, std::less<>, an empty struct).
template <class F>
concept stateless = std::is_empty_v<F> && std::default_initializable<F>;

// The untyped element pointer the C functions store, from a typed one.
template <class T>
void *untyped(T *element) noexcept {
    return const_cast<void *>(static_cast<const void *>(element));
}

// The C context pointer carrying a callable's address, and the callable back.
template <class F>
void *context_of(F &callable) noexcept {
    return untyped(std::addressof(callable));
}
template <class F>
F &callable_at(const void *context) noexcept {
    return *static_cast<F *>(const_cast<void *>(context));
}

// The element release callback of the generic list and the queue (one
// element, no context): Release{} on the typed element, or NULL for none.
template <class T, class Release>
constexpr void (*release_callback() noexcept)(void *) {
    if constexpr (std::is_void_v<Release>) {
        return nullptr;
    } else {
        static_assert(stateless<Release>, "a release must be a stateless callable type");
        return [](void *element) noexcept { Release{}(static_cast<T *>(element)); };
    }
}

// A std::unique_ptr deleter calling the C release function Release.
template <auto Release>
struct c_release {
    template <class Handle>
    void operator()(Handle *handle) const noexcept {
        Release(handle);
    }
};

// The C ordering callback of the intrusive lists from a three-way comparison
// of two records: a result of <=> (any ordering category) or an int, of which
// the lists use only the sign.
template <class T, class Compare>
int compare_records(const void *first, const void *second) noexcept {
    using Result = std::invoke_result_t<Compare &, const T &, const T &>;
    static_assert(!std::is_same_v<Result, bool>,
                  "the comparison must be three-way (<=> or a signed int), not a bool");
    Compare compare{};
    Result r = compare(*static_cast<const T *>(first), *static_cast<const T *>(second));
    if constexpr (std::is_same_v<Result, int>) {
        return r;
    } else {
        return static_cast<int>(r > 0) - static_cast<int>(r < 0);
    }
}

// The ordering callback an intrusive list is made with: compare_records, or
// NULL for a list without Compare.
template <class T, class Compare>
constexpr int (*compare_callback() noexcept)(const void *, const void *) {
    if constexpr (std::is_void_v<Compare>) {
        return nullptr;
    } else {
        static_assert(stateless<Compare>, "a comparison must be a stateless callable type");
        return &compare_records<T, Compare>;
    }
}

// Unlinks every record of an intrusive list, first to last, and hands each
// to dispose.
template <class List, class Dispose>
void dispose_all(List &records, Dispose &dispose) noexcept {
    while (auto *record = records.pop_front()) {
        dispose(record);
    }
}

// Byte offset of the data member named by member within T, as the C
// intrusive lists take it. Both ABIs this library is built for (the Itanium
// C++ ABI of the host and the ARM C++ ABI built on it) represent a pointer to
// data member as that byte offset in a ptrdiff_t, so copying its bits reads
// the offset without touching any object (unlike &((T *)0)->*member, which
// dereferences a null pointer).
template <class T, class M>
unsigned int member_offset(M T::*member) noexcept {
#if !defined(__GXX_ABI_VERSION)
#error "zuc::slist and zuc::dlist need the Itanium C++ ABI representation of member pointers"
#endif
    static_assert(sizeof member == sizeof(std::ptrdiff_t));
    return static_cast<unsigned int>(std::bit_cast<std::ptrdiff_t>(member));
}

} // namespace detail
} // namespace zuc

#endif // C++20
#endif
