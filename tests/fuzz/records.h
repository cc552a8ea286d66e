// Caller records for the intrusive-list harnesses.
//
// A record has two pairs of link members (A and B), so it can sit in two
// lists at once, one per pair, with canaries around every link: a write
// through a wrong offset shows as a broken canary. The records come from the
// C heap while a heap count runs (support/heap_wrap.h), so the harness can
// check which records a freeElements operation released, and in which order.
#ifndef LIBZUC_TESTS_FUZZ_RECORDS_H
#define LIBZUC_TESTS_FUZZ_RECORDS_H

#include "fuzz.h"
#include "heap_wrap.h"

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace zuc_fuzz {

struct Rec {
    std::uint32_t serial;
    int key;
    std::uint32_t canary0;
    Rec *nextA;
    std::uint32_t canary1;
    Rec *prevA;
    std::uint32_t canary2;
    Rec *nextB;
    std::uint32_t canary3;
    Rec *prevB;
    std::uint32_t canary4;
};

// Offsets of the next and previous links of pair 0 (A) and pair 1 (B).
constexpr unsigned next_offset[2] = {offsetof(Rec, nextA), offsetof(Rec, nextB)};
constexpr unsigned prev_offset[2] = {offsetof(Rec, prevA), offsetof(Rec, prevB)};

inline Rec *next_of(const Rec *r, unsigned pair) {
    return pair == 0 ? r->nextA : r->nextB;
}
inline Rec *prev_of(const Rec *r, unsigned pair) {
    return pair == 0 ? r->prevA : r->prevB;
}

// The comparison callback of both lists: by key, with results of several
// magnitudes, since only the sign may count. Every call is logged.
inline Calls compare_calls;
inline int compare_value(const Rec *a, const Rec *b) {
    return a->key < b->key ? INT_MIN + a->key : a->key > b->key ? 1 + 100 * b->key : 0;
}
inline int by_key(const void *a, const void *b) {
    compare_calls.push_back({'O', num(a), num(b)});
    return compare_value(static_cast<const Rec *>(a), static_cast<const Rec *>(b));
}

// The set of records an input works with; a record that a list frees is
// replaced by a new one.
class Records {
  public:
    static constexpr unsigned count = 16;

    // Starts a heap count and makes the records.
    void start() {
        zuc_test::Heap::start();
        serial_ = 0;
        records_.clear();
        for (unsigned n = 0; n < count; ++n) {
            records_.push_back(make(static_cast<int>(n % 4)));
        }
    }
    // Frees the records; the heap must then hold nothing that was allocated
    // during the count, so the library freed exactly what it was given.
    void finish() {
        for (Rec *r : records_) {
            std::free(r);
        }
        FUZZ_EQ(zuc_test::Heap::stop().live, 0u);
    }
    Rec *pick(Input &in) { return records_[in.below(count)]; }
    const std::vector<Rec *> &all() const { return records_; }
    void check() const {
        for (const Rec *r : records_) {
            FUZZ_CHECK(r->canary0 == canary(r, 0) && r->canary1 == canary(r, 1) &&
                       r->canary2 == canary(r, 2) && r->canary3 == canary(r, 3) &&
                       r->canary4 == canary(r, 4));
        }
    }
    // Whether the heap's log of releases has room for another freeElements.
    static bool log_has_room() { return zuc_test::Heap::now().frees + 2 * count < 4000; }
    // Checks that the operation just run freed exactly chain, in order, since
    // the heap count showed frees_before releases, and replaces those records.
    void expect_freed(const std::vector<Rec *> &chain, unsigned frees_before) {
        FUZZ_EQ(zuc_test::Heap::now().frees, frees_before + chain.size());
        for (unsigned n = 0; n < chain.size(); ++n) {
            FUZZ_EQ(zuc_test::Heap::freed(frees_before + n), chain[n]);
            *std::find(records_.begin(), records_.end(), chain[n]) = make(static_cast<int>(n % 4));
        }
    }

  private:
    static std::uint32_t canary(const Rec *r, unsigned n) {
        return 0x5EED0000u ^ (r->serial * 8 + n);
    }
    Rec *make(int key) {
        auto *r = static_cast<Rec *>(std::malloc(sizeof(Rec)));
        FUZZ_CHECK(r != nullptr);
        r->serial = serial_++;
        r->key = key;
        r->canary0 = canary(r, 0);
        r->canary1 = canary(r, 1);
        r->canary2 = canary(r, 2);
        r->canary3 = canary(r, 3);
        r->canary4 = canary(r, 4);
        r->nextA = r->prevA = r->nextB = r->prevB = nullptr;
        return r;
    }

    std::vector<Rec *> records_;
    std::uint32_t serial_ = 0;
};

// A list of records as the model sees it: the records in order, the one its
// cursor rests on, and the link pair it threads them through.
struct Chain {
    unsigned pair = 0;
    bool valid = true; // false while the list must be made again before use
    std::vector<Rec *> items;
    Rec *cursor = nullptr;

    std::size_t pos(const Rec *r) const {
        return static_cast<std::size_t>(std::find(items.begin(), items.end(), r) - items.begin());
    }
    bool has(const Rec *r) const { return pos(r) < items.size(); }
    Rec *after(const Rec *r) const {
        const std::size_t n = pos(r) + 1;
        return n < items.size() ? items[n] : nullptr;
    }
    // A member, or null when the input asks for it or the list is empty.
    Rec *pick_member(Input &in) const {
        const unsigned v = in.byte();
        return v == 0 || items.empty() ? nullptr : items[v % items.size()];
    }
    // Sorted insertion: r goes in front of the first record that does not
    // order before it, each record passed being compared with r as the
    // second item, and those calls go to want.
    void insert_sorted(Rec *r, Calls &want) {
        std::size_t n = 0;
        for (; n < items.size(); ++n) {
            want.push_back({'O', num(items[n]), num(r)});
            if (compare_value(items[n], r) >= 0) {
                break;
            }
        }
        items.insert(items.begin() + static_cast<long>(n), r);
    }
};

// The list among lists that holds r through the link pair, or null.
template <class List, std::size_t N>
List *holder(List (&lists)[N], const Rec *r, unsigned pair) {
    for (List &l : lists) {
        if (l.valid && l.pair == pair && l.has(r)) {
            return &l;
        }
    }
    return nullptr;
}

// A record that m may take (one not linked through m's pair now), or null.
template <class List, std::size_t N>
Rec *pick_fresh(Records &records, List (&lists)[N], const List &m, Input &in) {
    Rec *r = records.pick(in);
    return holder(lists, r, m.pair) == nullptr ? r : nullptr;
}

// Either changes a record's key (keys may change between operations), or
// checks that compare_items(a, b) passes the callback's result through.
template <class CompareItems>
void rekey_or_compare(Records &records, Input &in, Calls &want, CompareItems compare_items) {
    Rec *a = records.pick(in);
    Rec *b = records.pick(in);
    if (in.flag()) {
        a->key = static_cast<int>(in.below(8));
    } else {
        want.push_back({'O', num(a), num(b)});
        FUZZ_EQ(compare_items(a, b), compare_value(a, b));
    }
}

} // namespace zuc_fuzz

#endif
