// Caller records for the intrusive-list tests.
//
// A Record carries two pairs of link fields (A and B), so it can sit in two
// lists at once, and no link is at offset 0. Every link is framed by canaries
// derived from the record's serial number: a write through a wrong offset,
// or one record's fields landing on another, shows as a broken canary, and the
// serials tell equal keys apart when checking the order of equal elements.
#ifndef LIBZUC_TESTS_LINKED_RECORD_H
#define LIBZUC_TESTS_LINKED_RECORD_H

#include "heap_wrap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <list>
#include <random>
#include <utility>
#include <vector>

namespace zuc_test {

struct Record {
    unsigned serial;
    int key;
    std::uint32_t canary0;
    Record *nextA;
    std::uint32_t canary1;
    Record *prevA;
    std::uint32_t canary2;
    Record *nextB;
    std::uint32_t canary3;
    Record *prevB;
    std::uint32_t canary4;
};

// One way of threading records: the member the test reads, and the offset
// the list is made with.
struct LinkField {
    Record *Record::*member;
    unsigned offset;
};
inline const LinkField nextA{&Record::nextA, offsetof(Record, nextA)};
inline const LinkField prevA{&Record::prevA, offsetof(Record, prevA)};
inline const LinkField nextB{&Record::nextB, offsetof(Record, nextB)};
inline const LinkField prevB{&Record::prevB, offsetof(Record, prevB)};

inline std::uint32_t canary(unsigned serial, unsigned n) {
    return 0xC0DE0000u ^ (serial * 8u + n);
}

// A link value that must never be followed: insertions overwrite links
// without reading them, so records start out with this in every link.
inline Record *const poison = reinterpret_cast<Record *>(std::uintptr_t{0xDEAD0001u});

inline void stamp(Record &r, unsigned serial, int key) {
    r.serial = serial;
    r.key = key;
    r.canary0 = canary(serial, 0);
    r.canary1 = canary(serial, 1);
    r.canary2 = canary(serial, 2);
    r.canary3 = canary(serial, 3);
    r.canary4 = canary(serial, 4);
    r.nextA = r.prevA = r.nextB = r.prevB = poison;
}

inline bool intact(const Record &r, unsigned serial) {
    return r.serial == serial && r.canary0 == canary(serial, 0) && r.canary1 == canary(serial, 1) &&
           r.canary2 == canary(serial, 2) && r.canary3 == canary(serial, 3) &&
           r.canary4 == canary(serial, 4);
}

// A set of records with serials 0, 1, ... and the given keys.
class Records {
  public:
    explicit Records(std::vector<int> keys) : records_(keys.size()) {
        for (unsigned n = 0; n < records_.size(); ++n) {
            stamp(records_[n], n, keys[n]);
        }
    }
    Record *operator[](unsigned n) { return &records_[n]; }
    unsigned size() const { return static_cast<unsigned>(records_.size()); }
    void expect_intact() const {
        for (unsigned n = 0; n < records_.size(); ++n) {
            EXPECT_TRUE(intact(records_[n], n)) << "record " << n << " was overwritten";
        }
    }

  private:
    std::vector<Record> records_;
};

// The comparison callback of the tests: orders by key, and logs every call.
struct CompareLog {
    static std::vector<std::pair<const Record *, const Record *>> &calls() {
        static std::vector<std::pair<const Record *, const Record *>> log;
        return log;
    }
    static int by_key(const void *first, const void *second) {
        const auto *a = static_cast<const Record *>(first);
        const auto *b = static_cast<const Record *>(second);
        calls().emplace_back(a, b);
        return (a->key > b->key) - (a->key < b->key);
    }
};

inline std::vector<unsigned> serials(const std::vector<Record *> &records) {
    std::vector<unsigned> out;
    for (const Record *r : records) {
        out.push_back(r->serial);
    }
    return out;
}

// Follows field from first, at most limit + 1 steps (so a cycle or a count
// that is too small shows as a longer walk instead of a hang), and never
// through a poisoned link.
inline std::vector<Record *> chain(void *first, const LinkField &field, unsigned limit) {
    std::vector<Record *> out;
    for (auto *r = static_cast<Record *>(first); r != nullptr && out.size() <= limit;
         r = r->*field.member) {
        if (r == poison) {
            ADD_FAILURE() << "a link was never written";
            break;
        }
        out.push_back(r);
    }
    return out;
}

// The plain model that randomized runs compare a list with: the elements in
// order, and the element the list's cursor should rest on.
struct Model {
    std::list<Record *> items;
    Record *cursor = nullptr;

    std::list<Record *>::iterator find(const Record *r) {
        return std::find(items.begin(), items.end(), r);
    }
    bool contains(const Record *r) { return find(r) != items.end(); }
    // The element behind r; null when r is the last one or not in the list.
    Record *after(const Record *r) {
        auto it = find(r);
        return it == items.end() || ++it == items.end() ? nullptr : *it;
    }
    Record *at(std::size_t n) { return *std::next(items.begin(), static_cast<long>(n)); }
    // Links r behind predecessor, or first when predecessor is null.
    void insert_after(const Record *predecessor, Record *r) {
        items.insert(predecessor == nullptr ? items.begin() : std::next(find(predecessor)), r);
    }
    // Puts r in front of the first element whose key is not smaller, and
    // returns how many elements a scan from the front compares r with.
    std::size_t insert_sorted(Record *r) {
        auto pos = std::find_if(items.begin(), items.end(),
                                [r](const Record *e) { return e->key >= r->key; });
        std::size_t compared =
            pos == items.end() ? items.size()
                               : static_cast<std::size_t>(std::distance(items.begin(), pos)) + 1;
        items.insert(pos, r);
        return compared;
    }
    void erase(const Record *r) { items.erase(find(r)); }
    std::vector<Record *> vector() const { return {items.begin(), items.end()}; }
};

// What one step of a randomized run works with: the records outside the
// model's list, one of them to insert (null when there is none), and an
// element of the list or, now and then, null.
struct Picks {
    std::vector<Record *> outside;
    Record *fresh = nullptr;
    Record *member = nullptr;
};

inline unsigned pick(std::mt19937 &rng, std::size_t n) {
    return static_cast<unsigned>(rng() % n);
}

// count keys below range, with many repeats when range is small.
inline std::vector<int> random_keys(std::mt19937 &rng, unsigned count, unsigned range) {
    std::vector<int> keys(count);
    for (int &key : keys) {
        key = static_cast<int>(pick(rng, range));
    }
    return keys;
}

inline Picks pick_records(Records &r, Model &m, std::mt19937 &rng) {
    Picks p;
    for (unsigned n = 0; n < r.size(); ++n) {
        if (!m.contains(r[n])) {
            p.outside.push_back(r[n]);
        }
    }
    if (!p.outside.empty()) {
        p.fresh = p.outside[pick(rng, p.outside.size())];
    }
    if (!m.items.empty() && pick(rng, 6) != 0) {
        p.member = m.at(pick(rng, m.items.size()));
    }
    return p;
}

// Sorted insertion, the same contract in both lists: a scan from the front
// compares each element with the new one (as the second item) and stops in
// front of the first that does not order before it, so equal keys end up in
// the reverse of their arrival.
struct SortedInsertionCase {
    std::vector<int> keys; // inserted in this order, serials 0, 1, ...
    std::vector<unsigned> expected;
};
inline const SortedInsertionCase sorted_insertion_cases[] = {
    {{5}, {0}},
    {{7, 7, 7}, {2, 1, 0}},
    {{1, 2, 3}, {0, 1, 2}},
    {{3, 2, 1}, {2, 1, 0}},
    {{2, 1, 3, 2, 2}, {1, 4, 3, 0, 2}},
};

// Inserts the records in serial order with insert, checking that each scan
// compares the elements of the chain (as contents returns it) from the front.
template <class Insert, class Contents>
void insert_all_sorted(Records &r, Insert insert, Contents contents) {
    for (unsigned n = 0; n < r.size(); ++n) {
        std::vector<Record *> before = contents();
        CompareLog::calls().clear();
        insert(r[n]);
        const auto &calls = CompareLog::calls();
        ASSERT_LE(calls.size(), before.size());
        for (std::size_t k = 0; k < calls.size(); ++k) {
            EXPECT_EQ(calls[k].first, before[k]);
            EXPECT_EQ(calls[k].second, r[n]);
        }
    }
}

// A comparison callback that returns a set result and notes its arguments,
// for the compareItems operations, which must pass both through unchanged.
struct FixedCompare {
    static inline int result;
    static inline const void *first;
    static inline const void *second;
    static int call(const void *a, const void *b) {
        first = a;
        second = b;
        return result;
    }
};

template <class CompareItems>
void expect_result_passed_through(CompareItems compare_items) {
    Records r({0, 0});
    for (int result : {-7, -1, 0, 1, 42, INT_MIN, INT_MAX}) {
        FixedCompare::result = result;
        EXPECT_EQ(compare_items(r[1], r[0]), result);
        EXPECT_EQ(FixedCompare::first, r[1]);
        EXPECT_EQ(FixedCompare::second, r[0]);
    }
}

// For the freeElements tests: starts a heap count and hands insert records
// from malloc, whose keys make their chain order differ from the order in
// which they were allocated.
template <class Insert>
void insert_heap_records(Insert insert) {
    const int keys[] = {4, 1, 3, 1, 2};
    Heap::start();
    for (unsigned n = 0; n < 5; ++n) {
        auto *e = static_cast<Record *>(std::malloc(sizeof(Record)));
        ASSERT_NE(e, nullptr);
        stamp(*e, n, keys[n]);
        insert(e);
    }
}

// Ends the count: every record of chained freed exactly once, in that order.
inline void expect_freed_in_order(const std::vector<Record *> &chained) {
    HeapCount count = Heap::stop();
    EXPECT_EQ(count.frees, chained.size());
    EXPECT_EQ(count.live, 0u);
    for (unsigned n = 0; n < chained.size(); ++n) {
        EXPECT_EQ(Heap::freed(n), chained[n]) << "free number " << n;
    }
}

} // namespace zuc_test

#endif
