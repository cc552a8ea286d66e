/*
 * libzuc C++ layer: the fixed-capacity hash table with typed keys and values.
 *
 * zuc::hash_table<Key, Value, Hash, Equal> holds a C HashTab record (and
 * nothing else) mapping const Key * to Value *. It owns the table's two
 * arrays, made by make() and freed when it goes; it never owns keys or
 * values. The table keeps the very key objects given to insert, so a key
 * must outlive its entry (a temporary key is refused at compile time).
 *
 * Hash and Equal are stateless callable types, as the C callbacks get no
 * context: Hash is called as hash(key) (std::hash fits) or, when it accepts
 * it, as hash(key, tableSize); the table reduces the result modulo its size
 * either way. zuc::hash_mem hashes a key's bytes with HashTab_hashMem, for
 * fixed-size keys without padding. Equal(key given, key stored) tells equal
 * keys (std::equal_to<> by default).
 *
 * Every member is one inline call of the C function it names, or a read of
 * the record. Failures stay results: make() answers an empty optional, insert
 * false (full, or the key present with a non-null value), find null.
 */
#ifndef LIBZUC_HASHTAB_HPP
#define LIBZUC_HASHTAB_HPP

#include <libzuc/detail.hpp> // first: it stops a compile before C++20
#if __cplusplus >= 202002L

#include <libzuc/hashtab.h>

#include <climits>
#include <functional>
#include <optional>
#include <type_traits>
#include <utility>

namespace zuc {

// Hash of a key's object bytes through HashTab_hashMem: only the last 32
// bytes count, and the key must have no padding or other bytes that may
// differ between equal keys.
//     zuc::hash_table<std::uint32_t, Sensor, zuc::hash_mem> by_id = ...;
struct hash_mem {
    template <class Key>
    unsigned int operator()(const Key &key, unsigned int tableSize) const noexcept {
        static_assert(std::has_unique_object_representations_v<Key>,
                      "hash_mem reads every byte of the key: it needs a key type without padding");
        static_assert(sizeof(Key) <= UINT_MAX);
        return HashTab_hashMem(&key, tableSize, static_cast<unsigned int>(sizeof(Key)));
    }
};

// A hash table of up to a fixed number of entries. Move-only; a moved-from
// table holds nothing and must only be assigned or destroyed.
//     auto names = zuc::hash_table<int, const char>::make(64);    // std::optional
//     if (names && names->insert(code, "idle")) { ... }           // code must outlive its entry
//     const char *name = names->find(42);                         // null when absent
template <class Key, class Value, class Hash = hash_mem, class Equal = std::equal_to<>>
class hash_table {
    static_assert(detail::stateless<Hash> && detail::stateless<Equal>,
                  "the table's callbacks get no context: Hash and Equal must be stateless");

  public:
    using key_type = Key;
    using mapped_type = Value;
    using size_type = unsigned int;

    // A table for up to capacity entries; empty when an allocation fails or
    // capacity is 0 or above HASHTAB_MAX_CAPACITY.
    static std::optional<hash_table> make(size_type capacity) noexcept {
        hash_table made;
        if (HashTab_init(&made.tab_, &hash, &equal, capacity, nullptr) == 0) {
            return std::nullopt;
        }
        return made;
    }
    hash_table(hash_table &&other) noexcept : tab_(std::exchange(other.tab_, HashTab{})) {}
    hash_table &operator=(hash_table &&other) noexcept {
        if (this != &other) {
            destroy();
            tab_ = std::exchange(other.tab_, HashTab{});
        }
        return *this;
    }
    ~hash_table() { destroy(); }

    // Stores key (its address) with value as the newest entry; false when
    // the table is full or key is present with a non-null value.
    [[nodiscard]] bool insert(const Key &key, Value *value) noexcept {
        return HashTab_store(&tab_, &key, detail::untyped(value)) != 0;
    }
    bool insert(const Key &&key, Value *value) = delete; // the table keeps key's address
    // The value of the newest entry equal to key, or null.
    Value *find(const Key &key) const noexcept {
        return static_cast<Value *>(HashTab_lookup(&tab_, &key));
    }
    // Removes the newest entry equal to key, if any.
    void erase(const Key &key) noexcept { HashTab_delete(&tab_, &key); }

    size_type size() const noexcept { return tab_.count; }
    size_type capacity() const noexcept { return tab_.capacity; }
    bool empty() const noexcept { return tab_.count == 0; }
    bool full() const noexcept { return tab_.count == tab_.capacity; }

    // The C record, still owned.
    HashTab *native() noexcept { return &tab_; }
    const HashTab *native() const noexcept { return &tab_; }

  private:
    hash_table() noexcept : tab_{} {}
    // A record whose HashTab_init failed, or moved from, has no arrays.
    void destroy() noexcept {
        if (tab_.buckets != nullptr) {
            HashTab_destroy(&tab_);
        }
    }
    static const Key &key_at(const void *key) noexcept { return *static_cast<const Key *>(key); }
    static unsigned int hash(const void *key, unsigned int tableSize) noexcept {
        if constexpr (std::is_invocable_v<Hash &, const Key &, unsigned int>) {
            return static_cast<unsigned int>(Hash{}(key_at(key), tableSize));
        } else {
            return static_cast<unsigned int>(Hash{}(key_at(key)));
        }
    }
    static int equal(const void *key, const void *storedKey) noexcept {
        return Equal{}(key_at(key), key_at(storedKey)) ? 1 : 0;
    }

    HashTab tab_;
};

} // namespace zuc

#endif // C++20
#endif
