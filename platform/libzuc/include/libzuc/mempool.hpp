/*
 * libzuc C++ layer: the memory pool, typed by its elements.
 *
 * zuc::pool<T> owns one C mempool of elements of sizeof(T) bytes and
 * destroys it when it goes. create() constructs a T in a free element and
 * destroy() destroys it and hands the element back; for trivial types,
 * allocate() and deallocate() hand out the element as it is (zero on its
 * first use, what its last user left afterwards). Taking and returning an
 * element is one call of mempool_alloc or mempool_free; nothing else
 * allocates. The pool does not know which elements are in use: objects still
 * alive when the pool goes are not destroyed, their memory just goes away.
 *
 * An exhausted pool answers null; a pool that cannot be made, an empty
 * optional. Caller errors (a count of 0, returning an element while none is
 * handed out, a moved-from pool) abort with the C functions' checks.
 */
#ifndef LIBZUC_MEMPOOL_HPP
#define LIBZUC_MEMPOOL_HPP

#include <libzuc/detail.hpp> // first: it stops a compile before C++20
#if __cplusplus >= 202002L

#include <libzuc/mempool.h>

#include <climits>
#include <cstddef>
#include <memory>
#include <new>
#include <optional>
#include <type_traits>
#include <utility>

namespace zuc {

// A pool of count elements for T objects. Move-only; a moved-from pool holds
// nothing.
//     auto sessions = zuc::pool<Session>::make(32);         // std::optional
//     Session *s = sessions->create(peer, port);             // null when all 32 are in use
//     sessions->destroy(s);                                  // ~Session, element back
template <class T>
class pool {
    // Elements lie at a stride of sizeof(T) in one block from calloc, so each
    // is aligned for T as long as the block is.
    static_assert(alignof(T) <= alignof(std::max_align_t), "pool elements cannot be over-aligned");
    static_assert(sizeof(T) <= UINT_MAX);

  public:
    using value_type = T;
    using size_type = unsigned int;

    // A pool of count free elements; empty when memory runs out or the block
    // would not fit in 32 bits. A count of 0 aborts ("nelements > 0").
    static std::optional<pool> make(size_type count) noexcept {
        mempool *made = mempool_create(count, static_cast<unsigned int>(sizeof(T)));
        if (made == nullptr) {
            return std::nullopt;
        }
        return pool(made);
    }
    // Takes over owned, a pool of elements of at least sizeof(T) bytes, or NULL.
    explicit pool(mempool *owned) noexcept : pool_(owned) {}

    // A T made from args in a free element, or null when none is free.
    template <class... Args>
    [[nodiscard]] T *create(Args &&...args) noexcept {
        void *element = mempool_alloc(native());
        return element == nullptr ? nullptr : ::new (element) T(std::forward<Args>(args)...);
    }
    // Destroys object, made by create(), and hands its element back; null
    // does nothing.
    void destroy(T *object) noexcept {
        if (object != nullptr) {
            std::destroy_at(object);
        }
        mempool_free(native(), object);
    }

    // A free element as it is, or null when none is free.
    [[nodiscard]] T *allocate() noexcept requires std::is_trivial_v<T> {
        return static_cast<T *>(mempool_alloc(native()));
    }
    // Hands element back; null does nothing.
    void deallocate(T *element) noexcept requires std::is_trivial_v<T> {
        mempool_free(native(), element);
    }

    size_type capacity() const noexcept { return native()->nelements; }
    // Elements handed out now.
    size_type in_use() const noexcept { return native()->nallocated; }

    // The C pool, still owned.
    mempool *native() noexcept { return pool_.get(); }
    const mempool *native() const noexcept { return pool_.get(); }
    // Gives the C pool up: the caller destroys it with mempool_destroy.
    mempool *release() noexcept { return pool_.release(); }

  private:
    std::unique_ptr<mempool, detail::c_release<mempool_destroy>> pool_;
};

} // namespace zuc

#endif // C++20
#endif
