/*
 * libzuc C++ layer: the intrusive singly linked list, typed by its records.
 *
 * zuc::slist<T, &T::link, Compare> holds a C List record (and nothing else)
 * that threads T records through their member `T *link`, as a member hook:
 * the byte offset the C list wants is taken from the pointer to member. The
 * records stay the caller's; the list never allocates, and only
 * free_elements releases anything (it hands every record to free()).
 *
 * Compare, when given, is a stateless callable type ordering two records:
 * compare(const T &, const T &) returns a <=> result or a signed int (only
 * its sign counts), e.g. std::compare_three_way or the type of a captureless
 * lambda. It enables insert_sorted, sort and merge, with the C list's orders
 * (equal records end up in reverse order of arrival). Without it those
 * members do not exist.
 *
 * Iterators walk the links themselves and never touch the list's built-in
 * cursor, so a const list can be walked and a C-style iteration on native()
 * is not disturbed. Unlinking the record an iterator stands on ends that
 * walk. Every other member is one inline call of the C function it names.
 * Like the C list it checks nothing: linking a record twice is undefined.
 */
#ifndef LIBZUC_SLIST_HPP
#define LIBZUC_SLIST_HPP

#include <libzuc/detail.hpp> // first: it stops a compile before C++20
#if __cplusplus >= 202002L

#include <libzuc/slist.h>

#include <cstddef>
#include <iterator>
#include <type_traits>

namespace zuc {

// A singly linked list of T records linked through Link. Movable (the
// moved-from list is empty), not copyable.
//     zuc::slist<Job, &Job::next, std::compare_three_way> jobs; // Job has <=>
//     jobs.insert_sorted(job);                                   // links job, allocates nothing
//     for (Job &j : jobs) run(j);                                // the cursor stays put
template <class T, T *T::*Link, class Compare = void>
class slist {
    template <bool Const>
    class basic_iterator;

  public:
    using value_type = T;
    using size_type = unsigned int;
    using reference = T &;
    using const_reference = const T &;
    using iterator = basic_iterator<false>;
    using const_iterator = basic_iterator<true>;

    slist() noexcept { make(rec_); }
    slist(slist &&other) noexcept : rec_(other.rec_) { make(other.rec_); }
    slist &operator=(slist &&other) noexcept {
        if (this != &other) {
            rec_ = other.rec_;
            make(other.rec_);
        }
        return *this;
    }

    iterator begin() noexcept { return iterator(first()); }
    iterator end() noexcept { return iterator(nullptr); }
    const_iterator begin() const noexcept { return const_iterator(first()); }
    const_iterator end() const noexcept { return const_iterator(nullptr); }
    const_iterator cbegin() const noexcept { return begin(); }
    const_iterator cend() const noexcept { return end(); }

    size_type size() const noexcept { return List_getCount(&rec_); }
    bool empty() const noexcept { return List_isEmpty(&rec_) != 0; }
    // The first and last record, or null when empty.
    T *front() const noexcept { return first(); }
    T *back() const noexcept { return static_cast<T *>(List_getLast(&rec_)); }

    void push_front(T &record) noexcept { List_insertFirst(&rec_, &record); }
    void push_back(T &record) noexcept { List_insertLast(&rec_, &record); }
    // Unlink and return the first or last record, or null when empty.
    // pop_back walks the list: there are no back links.
    T *pop_front() noexcept { return static_cast<T *>(List_removeFirst(&rec_)); }
    T *pop_back() noexcept { return static_cast<T *>(List_removeLast(&rec_)); }
    // Unlinks and returns the record behind predecessor, or null when
    // predecessor is the last one.
    T *unlink_after(T &predecessor) noexcept {
        return static_cast<T *>(List_removeAfter(&rec_, &predecessor));
    }
    // Moves every record of other behind the last one in O(1); other ends empty.
    void splice_back(slist &other) noexcept {
        List_appendList(&rec_, &other.rec_);
        make(other.rec_);
    }

    // In front of the first record that does not order before it.
    void insert_sorted(T &record) noexcept requires(!std::is_void_v<Compare>) {
        List_insertSorted(&rec_, &record);
    }
    // Insertion sort in place; not stable.
    void sort() noexcept requires(!std::is_void_v<Compare>) { List_sortList(&rec_); }
    // Inserts every record of other, first to last, by insert_sorted; other
    // ends empty.
    void merge(slist &other) noexcept requires(!std::is_void_v<Compare>) {
        List_mergeLists(&rec_, &other.rec_);
        make(other.rec_);
    }

    // Forgets every record (their links are left as they are).
    void clear() noexcept { make(rec_); }
    // Unlinks every record, first to last, and hands it to dispose(T *).
    template <class Dispose>
    void clear_and_dispose(Dispose &&dispose) noexcept {
        detail::dispose_all(*this, dispose);
    }
    // Hands every record to free(): only for records from malloc.
    void free_elements() noexcept { List_freeElements(&rec_); }

    // The C record, for the C functions (its cursor included).
    List *native() noexcept { return &rec_; }
    const List *native() const noexcept { return &rec_; }

  private:
    static void make(List &rec) noexcept {
        List_makeList(&rec, detail::member_offset(Link), detail::compare_callback<T, Compare>());
    }
    T *first() const noexcept { return static_cast<T *>(List_getFirst(&rec_)); }

    List rec_;
};

template <class T, T *T::*Link, class Compare>
template <bool Const>
class slist<T, Link, Compare>::basic_iterator {
    using record = std::conditional_t<Const, const T, T>;

  public:
    using value_type = T;
    using reference = record &;
    using pointer = record *;
    using difference_type = std::ptrdiff_t;
    using iterator_category = std::forward_iterator_tag;

    basic_iterator() = default;
    explicit basic_iterator(record *node) noexcept : node_(node) {}
    operator basic_iterator<true>() const noexcept requires(!Const) {
        return basic_iterator<true>(node_);
    }

    reference operator*() const noexcept { return *node_; }
    pointer operator->() const noexcept { return node_; }
    basic_iterator &operator++() noexcept {
        node_ = node_->*Link;
        return *this;
    }
    basic_iterator operator++(int) noexcept {
        basic_iterator old = *this;
        node_ = node_->*Link;
        return old;
    }
    bool operator==(const basic_iterator &other) const noexcept { return node_ == other.node_; }

  private:
    record *node_ = nullptr;
};

} // namespace zuc

#endif // C++20
#endif
