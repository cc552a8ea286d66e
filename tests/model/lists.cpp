// Model of the intrusive lists, one driver for both: three lists over six
// heap records, two lists threading the records through one pair of link
// fields and the third through another, so a record can be in two lists at
// once. Each list is a vector of record numbers and a cursor; every link
// field of every record is predicted (garbage until the first insertion, NULL
// after a removal), and so is every call of the comparison and every free.
#include <libzuc/dlist.h>
#include <libzuc/slist.h>

#include "model.h"

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

using zt::num;

struct Record {
    std::uint32_t key;
    void *link[4]; // next and previous of pair A, then of pair B
    std::uint32_t canary;
};
constexpr unsigned records = 6;
constexpr std::uint32_t canary = 0xCA11AB1E;

unsigned offset_of(unsigned field) {
    return unsigned(offsetof(Record, link) + field * sizeof(void *));
}
// Only the sign may count: "before" is INT_MIN + key, never -1.
int order(const void *a, const void *b) {
    const auto x = static_cast<const Record *>(a)->key, y = static_cast<const Record *>(b)->key;
    return x < y ? INT_MIN + int(x) : x > y ? int(x - y) * 999 : 0;
}
int compare(const void *a, const void *b) {
    zt::log().push_back({'C', num(a), num(b)});
    return order(a, b);
}

// The operations both lists have, under one name each.
#define ZT_OPERATIONS(P)                                                                           \
    using Rec = P;                                                                                 \
    static constexpr auto insertLast = P##_insertLast;                                             \
    static constexpr auto insertFirst = P##_insertFirst;                                           \
    static constexpr auto insertSorted = P##_insertSorted;                                         \
    static constexpr auto removeFirst = P##_removeFirst;                                           \
    static constexpr auto pop = P##_pop;                                                           \
    static constexpr auto removeLast = P##_removeLast;                                             \
    static constexpr auto startIterate = P##_startIterate;                                         \
    static constexpr auto freeElements = P##_freeElements;                                         \
    static constexpr auto getNext = P##_getNext;                                                   \
    static constexpr auto getFirst = P##_getFirst;                                                 \
    static constexpr auto getLast = P##_getLast;                                                   \
    static constexpr auto getCount = P##_getCount;                                                 \
    static constexpr auto isEmpty = P##_isEmpty;                                                   \
    static constexpr auto hasMore = P##_hasMoreElements;                                           \
    static constexpr auto compareItems = P##_compareItems;
struct Singly {
    ZT_OPERATIONS(List)
    static constexpr bool doubly = false;
    static void make(List *l, unsigned pair) { List_makeList(l, offset_of(pair * 2), compare); }
};
struct Doubly {
    ZT_OPERATIONS(DList)
    static constexpr bool doubly = true;
    static void make(DList *l, unsigned pair) {
        DList_makeDList(l, offset_of(pair * 2), offset_of(pair * 2 + 1), compare);
    }
};

template <class T>
struct Model {
    struct Lst {
        typename T::Rec rec;
        unsigned pair;
        std::vector<unsigned> chain;
        int cursor = -1;    // record number, -1 for NULL
        bool stale = false; // handed its chain over; must be made again
    };
    Record *rec[records];
    unsigned id[records];
    void *expect[records][4];
    Lst lists[3];
    std::vector<zt::Ev> want;
    void *at(int r) const { return r < 0 ? nullptr : rec[r]; }
    int number(const void *p) const {
        const auto r = std::find(rec, rec + records, p) - rec;
        return r < std::ptrdiff_t(records) ? int(r) : -1;
    }
    bool has(const Lst &l, unsigned r) const {
        return std::count(l.chain.begin(), l.chain.end(), r) != 0;
    }
    // Whether a list holds the record through pair.
    bool linked(unsigned r, unsigned pair) const {
        return std::any_of(lists, lists + 3,
                           [&](const Lst &l) { return l.pair == pair && !l.stale && has(l, r); });
    }
    void fresh(unsigned r) {
        rec[r] = static_cast<Record *>(std::malloc(sizeof(Record)));
        id[r] = zt::Heap::id(rec[r]);
        rec[r]->key = r % 3;
        rec[r]->canary = canary;
        std::memcpy(expect[r], rec[r]->link, sizeof expect[r]); // garbage until linked
    }
    void make(Lst &l) {
        l.chain.clear();
        l.cursor = -1;
        l.stale = false;
        T::make(&l.rec, l.pair);
    }
    // Removing the cursor's record moves the singly linked list's cursor on;
    // the doubly linked list leaves it where it is.
    void erase(Lst &l, std::size_t pos) {
        const unsigned r = l.chain[pos];
        if (!T::doubly && l.cursor == int(r)) {
            l.cursor = pos + 1 < l.chain.size() ? int(l.chain[pos + 1]) : -1;
        }
        l.chain.erase(l.chain.begin() + long(pos));
        expect[r][l.pair * 2] = nullptr;
        expect[r][l.pair * 2 + 1] = T::doubly ? nullptr : expect[r][l.pair * 2 + 1];
    }
    // In front of the first record that does not order before r.
    void insert_sorted(Lst &l, unsigned r) {
        std::size_t pos = 0;
        for (; pos < l.chain.size(); ++pos) {
            want.push_back({'C', num(rec[l.chain[pos]]), num(rec[r])});
            if (order(rec[l.chain[pos]], rec[r]) >= 0) {
                break;
            }
        }
        l.chain.insert(l.chain.begin() + long(pos), r);
    }
    // Each record, then every link of every record, as predicted.
    void check() {
        for (Lst &l : lists) {
            if (l.stale) {
                continue;
            }
            const std::size_t n = l.chain.size();
            for (std::size_t i = 0; i < n; ++i) {
                expect[l.chain[i]][l.pair * 2] = i + 1 < n ? rec[l.chain[i + 1]] : nullptr;
                if (T::doubly) {
                    expect[l.chain[i]][l.pair * 2 + 1] = i > 0 ? rec[l.chain[i - 1]] : nullptr;
                }
            }
            void *const first = n > 0 ? rec[l.chain.front()] : nullptr;
            ZT_CHECK(l.rec.first == first && T::getFirst(&l.rec) == first);
            ZT_CHECK(l.rec.last == at(n > 0 ? int(l.chain.back()) : -1) &&
                     T::getLast(&l.rec) == l.rec.last);
            ZT_CHECK(l.rec.count == n && T::getCount(&l.rec) == n &&
                     T::isEmpty(&l.rec) == (n == 0));
            ZT_CHECK(l.rec.cursor == at(l.cursor) && T::hasMore(&l.rec) == (l.cursor >= 0));
            ZT_EQ(l.rec.compare, &compare);
            if constexpr (T::doubly) {
                ZT_CHECK(l.rec.nextOffset == offset_of(l.pair * 2) &&
                         l.rec.prevOffset == offset_of(l.pair * 2 + 1));
            } else {
                ZT_EQ(l.rec.linkOffset, offset_of(l.pair * 2));
                ZT_CHECK(List_peek(&l.rec) == first &&
                         List_getNextElem(&l.rec, nullptr) == nullptr);
                for (std::size_t i = 0; i < n; ++i) {
                    ZT_EQ(List_getNextElem(&l.rec, rec[l.chain[i]]),
                          at(i + 1 < n ? int(l.chain[i + 1]) : -1));
                }
            }
        }
        for (unsigned r = 0; r < records; ++r) {
            ZT_CHECK(rec[r]->key == r % 3 && rec[r]->canary == canary);
            ZT_CHECK(std::memcmp(rec[r]->link, expect[r], sizeof expect[r]) == 0);
        }
    }
    void step(zt::Input &in) {
        const unsigned op = in.pick(T::doubly ? 12 : 14);
        Lst &l = lists[in.pick(3)];
        Lst &other = lists[(&l - lists + 1 + in.pick(2)) % 3];
        const unsigned n = unsigned(l.chain.size());
        if (op == 0 || l.stale) {
            make(l);
        } else if (op <= 3 ||
                   (T::doubly && op == 11)) { // a record not yet linked through this pair
            const unsigned r = in.pick(records);
            if (linked(r, l.pair)) {
                return;
            }
            if (op == 3) {
                T::insertSorted(&l.rec, rec[r]);
                return insert_sorted(l, r);
            }
            const unsigned where = op == 11 ? in.pick(n + 1) : op == 1 ? n : 0;
            if constexpr (T::doubly) {
                if (op == 11) {
                    DList_insertAfter(&l.rec, where == 0 ? nullptr : rec[l.chain[where - 1]],
                                      rec[r]);
                } else {
                    (op == 1 ? T::insertLast : T::insertFirst)(&l.rec, rec[r]);
                }
            } else {
                (op == 1           ? T::insertLast
                 : in.pick(2) != 0 ? List_push
                                   : T::insertFirst)(&l.rec, rec[r]);
            }
            l.chain.insert(l.chain.begin() + where, r);
        } else if (op <= 6) { // removals at the head, at the tail, of or behind a chosen record
            const unsigned which = op == 6 ? in.pick(n + 1) : 0;
            void *const chosen = which == 0 ? nullptr : rec[l.chain[which - 1]];
            const std::size_t pos = op == 4      ? 0
                                    : op == 5    ? n - 1
                                    : !T::doubly ? which
                                    : which == 0 ? n
                                                 : which - 1;
            void *got = op == 4   ? (in.pick(2) != 0 ? T::pop : T::removeFirst)(&l.rec)
                        : op == 5 ? T::removeLast(&l.rec)
                                  : nullptr;
            if constexpr (T::doubly) {
                got = op == 6 ? DList_remove(&l.rec, chosen) : got;
            } else {
                got = op == 6 ? List_removeAfter(&l.rec, chosen) : got;
            }
            ZT_EQ(got, pos < n ? rec[l.chain[pos]] : nullptr);
            if (pos < n) {
                erase(l, pos);
            }
        } else if (op == 7) {
            T::startIterate(&l.rec);
            l.cursor = n > 0 ? int(l.chain[0]) : -1;
        } else if (op == 8) { // the cursor follows the link of the record it rests on
            ZT_EQ(T::getNext(&l.rec), at(l.cursor));
            l.cursor = l.cursor < 0 ? -1 : number(expect[l.cursor][l.pair * 2]);
        } else if (op == 9) { // every record freed in chain order
            T::freeElements(&l.rec);
            const std::vector<unsigned> freed = l.chain;
            for (unsigned r : freed) {
                want.push_back({'F', 'f', id[r]});
            }
            ZT_EVENTS(want);
            want.clear();
            for (unsigned r : freed) { // no list may lead to a freed record
                for (Lst &each : lists) {
                    each.stale |= each.cursor == int(r) || has(each, r);
                }
                fresh(r);
            }
            l.chain.clear();
            l.stale = false;
            l.cursor = -1;
            zt::log().clear();
        } else if (op == 10) {
            void *a = rec[in.pick(records)], *b = rec[in.pick(records)];
            ZT_EQ(T::compareItems(&l.rec, a, b), order(a, b));
            want.push_back({'C', num(a), num(b)});
        } else if constexpr (!T::doubly) {
            singly(op, l, other);
        }
    }
    // The singly linked list's own: sort, sorted merge, append.
    void singly(unsigned op, Lst &l, Lst &other) {
        if (op == 11) { // insertion sort driven by the list's own cursor
            List_sortList(&l.rec);
            for (std::size_t tail = 0; tail + 1 < l.chain.size(); ++tail) {
                const unsigned r = l.chain[tail + 1];
                want.push_back({'C', num(rec[l.chain[tail]]), num(rec[r])});
                if (order(rec[l.chain[tail]], rec[r]) > 0) {
                    l.chain.erase(l.chain.begin() + long(tail) + 1);
                    insert_sorted(l, r);
                }
            }
            l.cursor = -1;
            return;
        }
        if (other.stale || (op == 13 && other.pair != l.pair) ||
            (op == 12 && other.pair != l.pair &&
             std::any_of(other.chain.begin(), other.chain.end(),
                         [&](unsigned r) { return linked(r, l.pair); }))) {
            return; // a record may be in one list per pair only
        }
        const List before = other.rec;
        if (op == 12) {
            List_mergeLists(&l.rec, &other.rec);
            for (unsigned r : other.chain) {
                insert_sorted(l, r);
            }
            other.cursor = -1;
        } else {
            List_appendList(&l.rec, &other.rec);
            l.chain.insert(l.chain.end(), other.chain.begin(), other.chain.end());
        }
        // The other record still names the records it handed over.
        other.stale = other.pair == l.pair && !other.chain.empty();
        ZT_CHECK(other.rec.first == before.first && other.rec.last == before.last);
        ZT_CHECK(other.rec.count == before.count && other.rec.cursor == at(other.cursor));
    }
    Model() {
        for (unsigned r = 0; r < records; ++r) {
            fresh(r);
        }
        for (unsigned i = 0; i < 3; ++i) {
            lists[i].pair = i / 2;
            make(lists[i]);
        }
    }
    ~Model() {
        for (Record *r : rec) {
            std::free(r);
        }
    }
};

} // namespace

void model_slist(zt::Input &in) {
    zt::run<Model<Singly>>(in);
}

void model_dlist(zt::Input &in) {
    zt::run<Model<Doubly>>(in);
}
