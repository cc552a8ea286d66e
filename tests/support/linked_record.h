// Caller records and model runs for the intrusive-list tests.
//
// A Record carries two pairs of link fields (A and B), so it can sit in two
// lists at once, and no link is at offset 0. Every link is framed by canaries
// derived from the record's serial number: a write through a wrong offset
// shows as a broken canary, and the serials tell equal keys apart when
// checking the order of equal elements.
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
inline constexpr std::uint32_t Record::*canaries[] = {
    &Record::canary0, &Record::canary1, &Record::canary2, &Record::canary3, &Record::canary4};

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

// A link value that must never be followed: insertions overwrite links
// without reading them, so records start out with this in every link.
inline Record *const poison = reinterpret_cast<Record *>(std::uintptr_t{0xDEAD0001u});

inline std::uint32_t canary(unsigned serial, unsigned n) {
    return 0xC0DE0000u ^ (serial * 8u + n);
}

inline void stamp(Record &r, unsigned serial, int key) {
    r = {serial, key, 0, poison, 0, poison, 0, poison, 0, poison, 0};
    for (unsigned n = 0; n < std::size(canaries); ++n) {
        r.*canaries[n] = canary(serial, n);
    }
}

// A set of records with serials 0, 1, ... and the given keys.
class Records {
  public:
    explicit Records(const std::vector<int> &keys) : records_(keys.size()) {
        for (unsigned n = 0; n < records_.size(); ++n) {
            stamp(records_[n], n, keys[n]);
        }
    }
    Record *operator[](unsigned n) { return &records_[n]; }
    unsigned size() const { return static_cast<unsigned>(records_.size()); }
    void expect_intact() const {
        for (unsigned n = 0; n < records_.size(); ++n) {
            for (unsigned c = 0; c < std::size(canaries); ++c) {
                EXPECT_EQ(records_[n].*canaries[c], canary(n, c)) << "record " << n;
            }
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

// The plain model a list is compared with: the elements in order, and the
// element the list's cursor should rest on.
struct Model {
    std::list<Record *> items;
    Record *cursor = nullptr;

    std::list<Record *>::iterator find(const Record *r) {
        return std::find(items.begin(), items.end(), r);
    }
    bool contains(const Record *r) { return find(r) != items.end(); }
    Record *front() const { return items.empty() ? nullptr : items.front(); }
    Record *back() const { return items.empty() ? nullptr : items.back(); }
    // The element behind r; null when r is the last one or not in the list.
    Record *after(const Record *r) {
        auto it = find(r);
        return it == items.end() || ++it == items.end() ? nullptr : *it;
    }
    // Links r behind predecessor, or first when predecessor is null.
    void insert_after(const Record *predecessor, Record *r) {
        items.insert(predecessor == nullptr ? items.begin() : std::next(find(predecessor)), r);
    }
    // Puts r in front of the first element whose key is not smaller, as a
    // sorted insertion does, and checks its callback calls in the log from
    // the logged-th on: each element from the front as the first item, r as
    // the second, up to that element. Returns the number of calls checked.
    std::size_t insert_sorted(Record *r, std::size_t logged = 0) {
        const auto &calls = CompareLog::calls();
        auto pos = items.begin();
        for (; pos != items.end(); ++pos) {
            EXPECT_TRUE(logged < calls.size() && calls[logged].first == *pos &&
                        calls[logged].second == r)
                << "call " << logged;
            ++logged;
            if ((*pos)->key >= r->key) {
                break;
            }
        }
        items.insert(pos, r);
        return logged;
    }
    void erase(const Record *r) { items.erase(find(r)); }
    std::vector<Record *> vector() const { return {items.begin(), items.end()}; }
};

// What an operation of a model run works with: a record outside the list
// (null when there is none), an element of the list or null, more records
// outside the list, and a number that chooses among equivalent forms.
struct Args {
    Record *fresh;
    Record *member;
    std::vector<Record *> outside;
    unsigned variant;
};

// Both drivers below take a Tracked type: one list under test with its
// model, made by Tracked(n) on link pair n (0: A, 1: B), with push_back(r),
// start() and next() applied to both, and check(records) comparing them.
// Operations apply one library call to the list and its model, and check
// what the call returns.
template <class Tracked>
using Operation = void (*)(Tracked &, const Args &);

// Every operation on lists of 0 to 3 elements, with the cursor on each
// element or past the end, for every member argument (null or each element)
// and every variant.
template <class Tracked, std::size_t N>
void run_every_operation_on_short_lists(const Operation<Tracked> (&ops)[N]) {
    for (unsigned n = 0; n <= 3; ++n) {
        for (unsigned op = 0; op < N; ++op) {
            for (unsigned member = 0; member <= n; ++member) {
                for (unsigned cursor = 0; cursor <= n; ++cursor) {
                    for (unsigned variant = 0; variant < 4; ++variant) {
                        SCOPED_TRACE(::testing::Message()
                                     << n << " elements, operation " << op << ", member " << member
                                     << ", cursor " << cursor << ", variant " << variant);
                        Records r({2, 1, 2, 0, 1, 3});
                        Tracked t(0);
                        for (unsigned k = 0; k < n; ++k) {
                            t.push_back(r[k]);
                        }
                        t.start();
                        for (unsigned k = 0; k < cursor; ++k) {
                            t.next();
                        }
                        std::vector<Record *> outside;
                        if (variant >= 2) {
                            outside = {r[n + 1], r[n]};
                        }
                        ops[op](
                            t, Args{r[n], member == 0 ? nullptr : r[member - 1], outside, variant});
                        t.check(r);
                        r.expect_intact();
                        if (::testing::Test::HasFailure()) {
                            return;
                        }
                    }
                }
            }
        }
    }
}

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

// Random operations on two lists that share 24 records through link pairs
// A and B, each against its model, everything checked after every step.
template <class Tracked, std::size_t N>
void run_random_operations(const Operation<Tracked> (&ops)[N], unsigned seed) {
    std::mt19937 rng(seed);
    Records r(random_keys(rng, 24, 8));
    Tracked lists[] = {Tracked(0), Tracked(1)};
    for (int step = 0; step < 3000 && !::testing::Test::HasFailure(); ++step) {
        SCOPED_TRACE(step);
        Tracked &t = lists[pick(rng, 2)];
        Args a{nullptr, nullptr, {}, pick(rng, 4)};
        for (unsigned n = 0; n < r.size(); ++n) {
            if (!t.model.contains(r[n])) {
                a.outside.push_back(r[n]);
            }
        }
        std::shuffle(a.outside.begin(), a.outside.end(), rng);
        if (!a.outside.empty()) {
            a.fresh = a.outside.front();
        }
        a.outside.resize(pick(rng, std::min<std::size_t>(a.outside.size(), 6) + 1));
        if (!t.model.items.empty() && pick(rng, 6) != 0) {
            a.member = *std::next(t.model.items.begin(), pick(rng, t.model.items.size()));
        }
        ops[pick(rng, N)](t, a);
        for (Tracked &each : lists) {
            each.check(r);
        }
        r.expect_intact();
    }
}

// A record outside a list keeps the links that list gave it when it left,
// all null, or never had any: they are all poison.
inline void expect_outside_unlinked(Records &r, Model &m, std::vector<const LinkField *> links) {
    for (unsigned n = 0; n < r.size(); ++n) {
        if (m.contains(r[n])) {
            continue;
        }
        Record *first = r[n]->*links.front()->member;
        EXPECT_TRUE(first == nullptr || first == poison) << "record " << n;
        for (const LinkField *link : links) {
            EXPECT_EQ(r[n]->*link->member, first) << "record " << n;
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
