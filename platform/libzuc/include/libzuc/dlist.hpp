/*
 * libzuc C++ layer: the intrusive doubly linked list, typed by its records.
 *
 * zuc::dlist<T, &T::next, &T::prev, Compare> holds a C DList record (and
 * nothing else) that threads T records through their members `T *next` and
 * `T *prev`, as member hooks: the byte offsets the C list wants are taken
 * from the pointers to members. The records stay the caller's; the list
 * never allocates, and only free_elements releases anything (it hands every
 * record to free()).
 *
 * Compare, when given, is a stateless callable type ordering two records:
 * compare(const T &, const T &) returns a <=> result or a signed int (only
 * its sign counts), e.g. std::compare_three_way or the type of a captureless
 * lambda. It enables insert_sorted (equal records end up in reverse order of
 * arrival); without it that member does not exist.
 *
 * Iterators are bidirectional, walk the links themselves and never touch the
 * list's built-in cursor. Unlinking the record an iterator stands on ends
 * that walk; erase(it) returns the next position first. Every other member
 * is one inline call of the C function it names, O(1) except insert_sorted.
 * Like the C list it checks nothing: linking a record twice is undefined.
 */
#ifndef LIBZUC_DLIST_HPP
#define LIBZUC_DLIST_HPP

#include <libzuc/detail.hpp> // first: it stops a compile before C++20
#if __cplusplus >= 202002L

#include <libzuc/dlist.h>

#include <cstddef>
#include <iterator>
#include <type_traits>

namespace zuc {

// A doubly linked list of T records linked through Next and Prev. Movable
// (the moved-from list is empty), not copyable.
//     zuc::dlist<Timer, &Timer::next, &Timer::prev, ByDue> timers; // ByDue: stateless
//     timers.insert_sorted(timer);                               // links timer, allocates nothing
//     timers.unlink(cancelled);                                  // O(1), no walk
template <class T, T *T::*Next, T *T::*Prev, class Compare = void>
class dlist {
    template <bool Const>
    class basic_iterator;

  public:
    using value_type = T;
    using size_type = unsigned int;
    using reference = T &;
    using const_reference = const T &;
    using iterator = basic_iterator<false>;
    using const_iterator = basic_iterator<true>;
    using reverse_iterator = std::reverse_iterator<iterator>;
    using const_reverse_iterator = std::reverse_iterator<const_iterator>;

    dlist() noexcept { make(rec_); }
    dlist(dlist &&other) noexcept : rec_(other.rec_) { make(other.rec_); }
    dlist &operator=(dlist &&other) noexcept {
        if (this != &other) {
            rec_ = other.rec_;
            make(other.rec_);
        }
        return *this;
    }

    iterator begin() noexcept { return iterator(front(), &rec_); }
    iterator end() noexcept { return iterator(nullptr, &rec_); }
    const_iterator begin() const noexcept { return const_iterator(front(), &rec_); }
    const_iterator end() const noexcept { return const_iterator(nullptr, &rec_); }
    const_iterator cbegin() const noexcept { return begin(); }
    const_iterator cend() const noexcept { return end(); }
    reverse_iterator rbegin() noexcept { return reverse_iterator(end()); }
    reverse_iterator rend() noexcept { return reverse_iterator(begin()); }
    const_reverse_iterator rbegin() const noexcept { return const_reverse_iterator(end()); }
    const_reverse_iterator rend() const noexcept { return const_reverse_iterator(begin()); }

    size_type size() const noexcept { return DList_getCount(&rec_); }
    bool empty() const noexcept { return DList_isEmpty(&rec_) != 0; }
    // The first and last record, or null when empty.
    T *front() const noexcept { return static_cast<T *>(DList_getFirst(&rec_)); }
    T *back() const noexcept { return static_cast<T *>(DList_getLast(&rec_)); }

    void push_front(T &record) noexcept { DList_insertFirst(&rec_, &record); }
    void push_back(T &record) noexcept { DList_insertLast(&rec_, &record); }
    // Links record in front of pos (at the end for end()) and returns its position.
    iterator insert(const_iterator pos, T &record) noexcept {
        const T *at = pos.operator->();
        DList_insertAfter(&rec_, at != nullptr ? at->*Prev : back(), &record);
        return iterator(&record, &rec_);
    }
    // Unlink and return the first or last record, or null when empty.
    T *pop_front() noexcept { return static_cast<T *>(DList_removeFirst(&rec_)); }
    T *pop_back() noexcept { return static_cast<T *>(DList_removeLast(&rec_)); }
    // Unlinks record, a record of this list.
    void unlink(T &record) noexcept { DList_remove(&rec_, &record); }
    // Unlinks the record at pos and returns the position after it.
    iterator erase(const_iterator pos) noexcept {
        T *record = const_cast<T *>(pos.operator->());
        iterator next(record->*Next, &rec_);
        DList_remove(&rec_, record);
        return next;
    }

    // In front of the first record that does not order before it.
    void insert_sorted(T &record) noexcept requires(!std::is_void_v<Compare>) {
        DList_insertSorted(&rec_, &record);
    }

    // Forgets every record (their links are left as they are).
    void clear() noexcept { make(rec_); }
    // Unlinks every record, first to last, and hands it to dispose(T *).
    template <class Dispose>
    void clear_and_dispose(Dispose &&dispose) noexcept {
        detail::dispose_all(*this, dispose);
    }
    // Hands every record to free(): only for records from malloc.
    void free_elements() noexcept { DList_freeElements(&rec_); }

    // The C record, for the C functions (its cursor included).
    DList *native() noexcept { return &rec_; }
    const DList *native() const noexcept { return &rec_; }

  private:
    static void make(DList &rec) noexcept {
        DList_makeDList(&rec, detail::member_offset(Next), detail::member_offset(Prev),
                        detail::compare_callback<T, Compare>());
    }

    DList rec_;
};

template <class T, T *T::*Next, T *T::*Prev, class Compare>
template <bool Const>
class dlist<T, Next, Prev, Compare>::basic_iterator {
    using record = std::conditional_t<Const, const T, T>;

  public:
    using value_type = T;
    using reference = record &;
    using pointer = record *;
    using difference_type = std::ptrdiff_t;
    using iterator_category = std::bidirectional_iterator_tag;

    basic_iterator() = default;
    basic_iterator(record *node, const DList *owner) noexcept : node_(node), owner_(owner) {}
    operator basic_iterator<true>() const noexcept requires(!Const) {
        return basic_iterator<true>(node_, owner_);
    }

    reference operator*() const noexcept { return *node_; }
    pointer operator->() const noexcept { return node_; }
    basic_iterator &operator++() noexcept {
        node_ = node_->*Next;
        return *this;
    }
    basic_iterator operator++(int) noexcept {
        basic_iterator old = *this;
        ++*this;
        return old;
    }
    // From end(), onto the last record.
    basic_iterator &operator--() noexcept {
        node_ = node_ != nullptr ? node_->*Prev : static_cast<record *>(owner_->last);
        return *this;
    }
    basic_iterator operator--(int) noexcept {
        basic_iterator old = *this;
        --*this;
        return old;
    }
    bool operator==(const basic_iterator &other) const noexcept { return node_ == other.node_; }

  private:
    record *node_ = nullptr;
    const DList *owner_ = nullptr;
};

} // namespace zuc

#endif // C++20
#endif
