/*
 * libzuc C++ layer: aligned heap blocks as std::unique_ptr.
 *
 * zuc::aligned_ptr<T> is a std::unique_ptr whose deleter is zu_free, the
 * release that matches zu_memalign; the deleter is empty, so the pointer is
 * one word. zuc::memalign gives a raw block, zuc::aligned_array an array of
 * a trivial type (left uninitialised, as from malloc). Both answer a null
 * pointer when posix_memalign refuses (out of memory, an alignment that is
 * not a power of two multiple of the pointer size); an odd alignment aborts
 * ("(alignment % 2) == 0").
 */
#ifndef LIBZUC_ZUCMEM_HPP
#define LIBZUC_ZUCMEM_HPP

#include <libzuc/detail.hpp> // first: it stops a compile before C++20
#if __cplusplus >= 202002L

#include <libzuc/zucmem.h>

#include <algorithm>
#include <cstddef>
#include <memory>
#include <type_traits>

namespace zuc {

// Releases a block from zu_memalign.
struct aligned_delete {
    void operator()(const void *block) const noexcept { zu_free(const_cast<void *>(block)); }
};

// An owned block from zu_memalign; T may be void, or an array type T[].
//     zuc::aligned_ptr<void> block = zuc::memalign(64, 4096);
//     zuc::aligned_ptr<float[]> v = zuc::aligned_array<float>(256, 16);
//     if (v) v[0] = 1.0f;                                    // zu_free when v goes
template <class T>
using aligned_ptr = std::unique_ptr<T, aligned_delete>;

// size bytes at a multiple of alignment, or null.
inline aligned_ptr<void> memalign(std::size_t alignment, std::size_t size) noexcept {
    return aligned_ptr<void>(zu_memalign(alignment, size));
}

// count elements of T, uninitialised, at an address that is a multiple of
// alignment (itself a multiple of alignof(T)); null when the allocation fails
// or count * sizeof(T) does not fit in a size_t.
template <class T>
aligned_ptr<T[]> aligned_array(std::size_t count,
                               std::size_t alignment = std::max(alignof(T),
                                                                sizeof(void *))) noexcept {
    static_assert(std::is_trivial_v<T>, "the elements are neither constructed nor destroyed");
    std::size_t bytes;
    if (__builtin_mul_overflow(count, sizeof(T), &bytes)) {
        return nullptr;
    }
    return aligned_ptr<T[]>(static_cast<T *>(zu_memalign(alignment, bytes)));
}

} // namespace zuc

#endif // C++20
#endif
