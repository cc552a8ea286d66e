/*
 * libzuc C++ layer: the generic list as typed, move-only owners.
 *
 * zuc::list<T, Release> owns one C list of T * elements and frees it when it
 * goes; zuc::sublist<T> owns a sublist made from another list (its nodes, not
 * its elements, which stay the other list's) and has nothing that adds to it.
 * Every member is an inline call of the C function it names, so it costs that
 * call; callables reach the C callbacks through small adapters that carry
 * the callable's address in the operation's context pointer (find, walks,
 * count, filters), or, where the C callback has no context (sort, transform,
 * copy, the element release), through the callable's type alone, which must
 * then be stateless (a captureless lambda, an empty function object).
 *
 * Elements are handed to callables as T * (the list stores any pointer, null
 * included). Failures stay results: a factory answers an empty std::optional,
 * an addition false, a search end(), front() and back() of an empty list
 * null. Caller errors (at() out of range, ...) abort with the C functions' own
 * checks. A moved-from list holds no C list and may only be assigned or
 * destroyed; used anyway, it answers as the C functions do for NULL: size()
 * 0, empty() true, and the members whose C function checks its list abort
 * ("lst != NULL"). As with the C list, size() walks the list, and no walk may
 * release the node it stands on.
 */
#ifndef LIBZUC_LLIST_HPP
#define LIBZUC_LLIST_HPP

#include <libzuc/detail.hpp> // first: it stops a compile before C++20
#if __cplusplus >= 202002L

#include <libzuc/llist.h>

#include <cstddef>
#include <iterator>
#include <memory>
#include <optional>
#include <type_traits>

namespace zuc {

template <class T, class Release>
class list;
template <class T>
class sublist;

namespace detail {

// Iterator over the nodes of a C list; dereferencing gives the node's element
// as T *. It reads the nodes' links directly, so a walk makes no call.
// --end() steps onto the tail. Its reference is a value (the node holds a
// void *), which the standard's older iterator categories do not allow beyond
// input: so it is a C++20 bidirectional iterator (std::ranges::prev,
// std::reverse_iterator and std::views::reverse work with it) but a legacy
// input iterator (std::prev does not).
template <class T>
class list_iterator {
  public:
    using value_type = T *;
    using reference = T *;
    using pointer = void;
    using difference_type = std::ptrdiff_t;
    using iterator_category = std::input_iterator_tag;
    using iterator_concept = std::bidirectional_iterator_tag;

    list_iterator() = default;
    list_iterator(::list_node *node, const ::list *owner) noexcept : node_(node), owner_(owner) {}

    T *operator*() const noexcept { return static_cast<T *>(node_->data); }
    list_iterator &operator++() noexcept {
        node_ = node_->next;
        return *this;
    }
    list_iterator operator++(int) noexcept {
        list_iterator old = *this;
        ++*this;
        return old;
    }
    list_iterator &operator--() noexcept {
        node_ = node_ != nullptr ? node_->prev : owner_->tail;
        return *this;
    }
    list_iterator operator--(int) noexcept {
        list_iterator old = *this;
        --*this;
        return old;
    }
    bool operator==(const list_iterator &other) const noexcept { return node_ == other.node_; }

    // The C node (NULL at the end), for list_remove_node and friends.
    ::list_node *node() const noexcept { return node_; }

  private:
    ::list_node *node_ = nullptr;
    const ::list *owner_ = nullptr;
};
static_assert(std::bidirectional_iterator<list_iterator<int>>);

// Frees a C list, handing its elements to Release (none when void).
template <class T, class Release>
struct free_list {
    void operator()(::list *lst) const noexcept { list_free(lst, release_callback<T, Release>()); }
};

// What lists and sublists share: the handle, iteration, search, walks,
// counting, sorting and the derived lists. Free frees the C list.
template <class T, class Free>
class list_base {
  public:
    using value_type = T *;
    using size_type = unsigned int;
    using iterator = list_iterator<T>;
    using const_iterator = iterator;

    iterator begin() const noexcept { return {list_first(native()).node, native()}; }
    iterator end() const noexcept { return {nullptr, native()}; }

    bool empty() const noexcept { return list_empty(native()) != 0; }
    // Counts the nodes: O(n), as nothing keeps a count.
    size_type size() const noexcept { return list_size(native()); }
    // The first and the last element; null when the list is empty (or when
    // that element is null).
    T *front() const noexcept { return element_at(list_first(native())); }
    T *back() const noexcept { return element_at(list_last(native())); }
    // The idx-th element; aborts when there is none ("idx < list_size(lst)").
    T *at(size_type idx) const noexcept { return static_cast<T *>(list_at(native(), idx)); }

    // The first node holding the very pointer element, or end().
    iterator find(const T *element) const noexcept {
        return {list_find_data(native(), element), native()};
    }
    // The first node for whose element pred(T *) is true, or end().
    template <class Pred>
    iterator find_if(Pred &&pred) const noexcept {
        return {
            list_find(native(), context_of(pred), &find_callback<std::remove_reference_t<Pred>>),
            native()};
    }

    // Calls f(T *) head to tail. f returns void, or bool where false stops the
    // walk. Returns whether the walk reached the end.
    template <class F>
    bool for_each(F &&f) const noexcept {
        return list_foreach(native(), context_of(f), &walk_callback<std::remove_reference_t<F>>) !=
               0;
    }
    // The same walk tail to head.
    template <class F>
    bool for_each_reversed(F &&f) const noexcept {
        return list_foreach_reversed(native(), context_of(f),
                                     &walk_callback<std::remove_reference_t<F>>) != 0;
    }
    // f(T *) for every element and, between two neighbours only, sep(T *)
    // with the element that comes next: f, sep, f, ..., f. Either returns void,
    // or bool where false stops the walk.
    template <class F, class Sep>
    bool for_each_separated(F &&f, Sep &&sep) const noexcept {
        separated<std::remove_reference_t<F>, std::remove_reference_t<Sep>> both{
            std::addressof(f), std::addressof(sep)};
        return list_foreach_sep(native(), &both, &decltype(both)::element,
                                &decltype(both)::separator) != 0;
    }

    // Number of elements for which pred(T *) is true.
    template <class Pred>
    size_type count_if(Pred &&pred) const noexcept {
        return list_count(native(), &predicate_callback<std::remove_reference_t<Pred>>,
                          context_of(pred));
    }

    // Sorts stably by less(T *, T *), a stateless "orders before" predicate.
    template <stateless Less>
    void sort(Less) noexcept {
        list_sort(native(), [](const void *earlier, const void *later) noexcept -> int {
            return Less{}(element(later), element(earlier)) ? 1 : 0;
        });
    }

    // A sublist of the elements for which pred(T *) is true (filter) or false
    // (filter_out), in order; empty optional when out of memory.
    template <class Pred>
    std::optional<sublist<T>> filter(Pred &&pred) const noexcept {
        return sublist<T>::adopt(sublist_create(
            native(), &predicate_callback<std::remove_reference_t<Pred>>, context_of(pred)));
    }
    template <class Pred>
    std::optional<sublist<T>> filter_out(Pred &&pred) const noexcept {
        return sublist<T>::adopt(sublist_create_neg(
            native(), &predicate_callback<std::remove_reference_t<Pred>>, context_of(pred)));
    }
    // A sublist of all elements.
    std::optional<sublist<T>> view() const noexcept {
        return sublist<T>::adopt(sublist_copy(native()));
    }
    // A sublist of U * values adaptor(T *) makes, one per element, in order;
    // the sublist never releases them.
    template <stateless Adaptor>
    auto transform(Adaptor) const noexcept {
        using U = std::remove_pointer_t<std::invoke_result_t<Adaptor &, T *>>;
        return sublist<U>::adopt(sublist_adaptor(native(), [](void *e) noexcept -> void * {
            return untyped(Adaptor{}(static_cast<T *>(e)));
        }));
    }
    // An ordinary list owning copier(T *) of every element, released by
    // Release. When copier returns null or memory runs out, the copies made so
    // far go to Release and the result is empty.
    template <class Release, stateless Copier>
    std::optional<list<T, Release>> copy_as(Copier) const noexcept {
        ::list *made = list_copy(
            native(),
            [](void *e) noexcept -> void * { return untyped(Copier{}(static_cast<T *>(e))); },
            release_callback<T, Release>());
        if (made == nullptr) {
            return std::nullopt;
        }
        return list<T, Release>(made);
    }

    // The C list, still owned.
    ::list *native() noexcept { return lst_.get(); }
    const ::list *native() const noexcept { return lst_.get(); }
    // Gives the C list up: the caller releases it with list_free.
    ::list *release() noexcept { return lst_.release(); }

  protected:
    explicit list_base(::list *owned) noexcept : lst_(owned) {}

  private:
    std::unique_ptr<::list, Free> lst_;

    static T *element(const void *e) noexcept { return static_cast<T *>(const_cast<void *>(e)); }
    // The element of a C iteration handle, or null at the end.
    static T *element_at(::list_iterator i) noexcept {
        return i.node != nullptr ? static_cast<T *>(i.node->data) : nullptr;
    }

    // Calls f on an element: true to go on.
    template <class F>
    static bool go_on(F &f, T *e) noexcept {
        if constexpr (std::is_void_v<std::invoke_result_t<F &, T *>>) {
            f(e);
            return true;
        } else {
            return static_cast<bool>(f(e));
        }
    }
    template <class F>
    static int walk_callback(void *ctx, void *e) noexcept {
        return go_on(callable_at<F>(ctx), element(e)) ? 1 : 0;
    }
    // list_find wants 0 for a match, with the key (here the predicate) first.
    template <class Pred>
    static int find_callback(const void *key, const void *e) noexcept {
        return callable_at<Pred>(key)(element(e)) ? 0 : 1;
    }
    // list_count and the filters hand the element first, then the context.
    template <class Pred>
    static int predicate_callback(void *e, void *ctx) noexcept {
        return callable_at<Pred>(ctx)(element(e)) ? 1 : 0;
    }
    template <class F, class Sep>
    struct separated {
        F *f;
        Sep *sep;
        static int element(void *ctx, void *e) noexcept {
            return go_on(*static_cast<separated *>(ctx)->f, list_base::element(e)) ? 1 : 0;
        }
        static int separator(void *ctx, ::list_node *next) noexcept {
            return go_on(*static_cast<separated *>(ctx)->sep, list_base::element(next->data)) ? 1
                                                                                              : 0;
        }
    };
};

} // namespace detail

// A generic list owning its C list; the elements are released by Release (a
// stateless callable taking T *, e.g. zuc::free_delete or
// std::default_delete<T>) when the list is cleared or freed, or never when
// Release is void. Move-only; a moved-from list holds nothing.
//     auto readings = zuc::list<Reading, zuc::free_delete>::make();
//     if (readings && readings->push_back(r)) { ... }      // false: r stays yours
//     for (Reading *each : *readings) show(*each);         // free()d with the list
template <class T, class Release = void>
class list : public detail::list_base<T, detail::free_list<T, Release>> {
    using base = detail::list_base<T, detail::free_list<T, Release>>;

  public:
    using typename base::iterator;
    using typename base::size_type;

    // A new empty list using alloc_fn and free_fn for its record and nodes
    // (NULL: malloc, free); empty when its record cannot be allocated.
    static std::optional<list> make(list_alloc_fn alloc_fn = nullptr,
                                    list_free_fn free_fn = nullptr) noexcept {
        ::list *made = list_new(alloc_fn, free_fn);
        if (made == nullptr) {
            return std::nullopt;
        }
        return list(made);
    }
    // Takes over owned, an ordinary list (not a sublist) or NULL.
    explicit list(::list *owned) noexcept : base(owned) {}

    // Appends or prepends element; false when no node could be allocated,
    // and then the list is unchanged and element is still the caller's.
    [[nodiscard]] bool push_back(T *element) noexcept {
        return list_add(this->native(), detail::untyped(element)) != nullptr;
    }
    [[nodiscard]] bool push_front(T *element) noexcept {
        return list_insert(this->native(), detail::untyped(element)) != nullptr;
    }
    // Releases pos's element, removes its node and returns the one after.
    iterator erase(iterator pos) noexcept {
        return {list_delete(this->native(), pos.node(), released), this->native()};
    }
    // Releases every element, then every node; the list stays usable.
    void clear() noexcept { list_clear(this->native(), released); }

    // Moves every element of other behind the last one and frees other.
    // When memory runs out, returns false and leaves both lists as they were,
    // each element owned by exactly one of them.
    [[nodiscard]] bool append(list &&other) noexcept {
        ::list *lst = this->native();
        ::list_node *old_tail = lst != nullptr ? lst->tail : nullptr;
        if (list_merge(lst, other.native()) != nullptr) {
            (void)other.release(); // list_merge freed it
            return true;
        }
        // The elements appended before the failure are still other's: drop
        // their new nodes again.
        ::list_node *n = old_tail != nullptr ? old_tail->next : lst->head;
        while (n != nullptr) {
            n = list_remove_node(lst, n);
        }
        return false;
    }

    // A list of copier(T *) copies, released like this one's elements.
    template <detail::stateless Copier>
    std::optional<list> copy(Copier copier) const noexcept {
        return this->template copy_as<Release>(copier);
    }

  private:
    static constexpr list_free_data_fn released = detail::release_callback<T, Release>();
};

// A sublist: a list of another list's elements (or of values made from them)
// that owns its nodes only. It offers no addition; clearing, freeing and
// erasing never release an element. Move-only; a moved-from sublist holds
// nothing. Made by filter, filter_out, view and transform.
//     std::optional<zuc::sublist<Job>> urgent = jobs.filter([](Job *j) { return j->urgent; });
//     if (urgent) urgent->sort([](Job *a, Job *b) { return a->due < b->due; });
//     if (urgent) for (Job *j : *urgent) run(*j);           // jobs still owns every Job
template <class T>
class sublist : public detail::list_base<T, detail::free_list<T, void>> {
    using base = detail::list_base<T, detail::free_list<T, void>>;

  public:
    using typename base::iterator;

    // Takes over owned, a sublist or NULL.
    explicit sublist(::list *owned) noexcept : base(owned) {}

    // Removes pos's node (not its element) and returns the one after.
    iterator erase(iterator pos) noexcept {
        return {list_remove_node(this->native(), pos.node()), this->native()};
    }
    // Removes every node.
    void clear() noexcept { list_clear(this->native(), nullptr); }

  private:
    template <class, class>
    friend class detail::list_base;

    // The derived-list operations' result: empty when they returned NULL.
    static std::optional<sublist> adopt(::list *made) noexcept {
        if (made == nullptr) {
            return std::nullopt;
        }
        return sublist(made);
    }
};

} // namespace zuc

#endif // C++20
#endif
