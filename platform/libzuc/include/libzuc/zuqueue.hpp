/*
 * libzuc C++ layer: the bounded pointer queue, typed over T *.
 *
 * Two owners of a C zuqueue of T * elements, first in, first out:
 *  - zuc::queue<T, Release>: the heap form, made by make() and freed when
 *    it goes (zuqueue_free); movable.
 *  - zuc::inplace_queue<T, N, Release>: the in-place form, its buffer a
 *    member sized at compile time for N elements; it never touches the heap.
 *    The C queue holds the buffer's address, so it neither moves nor copies.
 * When either goes, every element still queued is handed, oldest first, to
 * Release (a stateless callable taking T *, e.g. std::default_delete<T>), or
 * dropped when Release is void.
 *
 * push and pop are one call of zuqueue_add and zuqueue_get each. Failures
 * stay results: push answers false when full (the element stays the
 * caller's), pop null when empty. Queuing a null pointer aborts ("elem !=
 * NULL"). Nothing is locked: producer and consumer share a thread, or the
 * caller serialises them.
 */
#ifndef LIBZUC_ZUQUEUE_HPP
#define LIBZUC_ZUQUEUE_HPP

#include <libzuc/detail.hpp> // first: it stops a compile before C++20
#if __cplusplus >= 202002L

#include <libzuc/zuqueue.h>

#include <cstddef>
#include <memory>
#include <new>
#include <optional>

namespace zuc {

namespace detail {

// The queue operations over Derived::native().
template <class Derived, class T>
class queue_ops {
  public:
    using value_type = T *;
    using size_type = unsigned int;

    // Queues element as the newest; false when the queue is full.
    [[nodiscard]] bool push(T *element) noexcept {
        return zuqueue_add(self().native(), untyped(element)) != 0;
    }
    // Removes and returns the oldest element; null when empty.
    [[nodiscard]] T *pop() noexcept { return static_cast<T *>(zuqueue_get(self().native())); }

    size_type size() const noexcept { return self().native()->count; }
    size_type capacity() const noexcept { return self().native()->capacity; }
    bool empty() const noexcept { return size() == 0; }
    bool full() const noexcept { return size() == capacity(); }

  private:
    Derived &self() noexcept { return static_cast<Derived &>(*this); }
    const Derived &self() const noexcept { return static_cast<const Derived &>(*this); }
};

} // namespace detail

// A queue on the heap. Move-only; a moved-from queue holds nothing and must
// only be assigned or destroyed.
//     auto jobs = zuc::queue<Job, std::default_delete<Job>>::make(16); // std::optional
//     if (!jobs->push(job)) { /* full: job is still yours */ }
//     while (Job *next = jobs->pop()) run(*next);                      // null when empty
template <class T, class Release = void>
class queue : public detail::queue_ops<queue<T, Release>, T> {
  public:
    // An empty queue of capacity slots; empty when memory runs out or
    // capacity is above ZUQUEUE_MAX_CAPACITY.
    static std::optional<queue> make(unsigned int capacity) noexcept {
        zuqueue *made = zuqueue_new(capacity);
        if (made == nullptr) {
            return std::nullopt;
        }
        return queue(made);
    }
    // Takes over owned, a queue from zuqueue_new, or NULL.
    explicit queue(zuqueue *owned) noexcept : q_(owned) {}

    // The C queue, still owned.
    zuqueue *native() noexcept { return q_.get(); }
    const zuqueue *native() const noexcept { return q_.get(); }
    // Gives the C queue up: the caller frees it with zuqueue_free.
    zuqueue *release() noexcept { return q_.release(); }

  private:
    struct drain_and_free {
        void operator()(zuqueue *q) const noexcept {
            zuqueue_free(q, detail::release_callback<T, Release>());
        }
    };
    std::unique_ptr<zuqueue, drain_and_free> q_;
};

// A queue of N slots inside the object itself.
//     zuc::inplace_queue<Frame, 8> pending;                 // no heap, ever
//     if (!pending.push(&frame)) drop(frame);                // full
//     Frame *oldest = pending.pop();                         // null when empty
template <class T, unsigned int N, class Release = void>
class inplace_queue : public detail::queue_ops<inplace_queue<T, N, Release>, T> {
    static_assert(N > 0 && N <= ZUQUEUE_MAX_CAPACITY);

  public:
    inplace_queue() noexcept { zuqueue_inplace_new(buffer_, sizeof buffer_, N); }
    inplace_queue(const inplace_queue &) = delete;
    inplace_queue &operator=(const inplace_queue &) = delete;
    ~inplace_queue() {
        if constexpr (released != nullptr) {
            zuqueue_inplace_free(native(), released);
        }
    }

    // The C queue zuqueue_inplace_new built at the start of the buffer.
    zuqueue *native() noexcept {
        return std::launder(static_cast<zuqueue *>(static_cast<void *>(buffer_)));
    }
    const zuqueue *native() const noexcept {
        return std::launder(static_cast<const zuqueue *>(static_cast<const void *>(buffer_)));
    }

  private:
    static constexpr zuqueue_release_fn released = detail::release_callback<T, Release>();
    // The record, then one pointer slot per element, aligned for both.
    alignas(zuqueue) unsigned char buffer_[ZUQUEUE_SIZE(N)];
};

} // namespace zuc

#endif // C++20
#endif
