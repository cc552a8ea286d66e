// Model of the intrusive lists, one driver for both: three lists over six heap records, two lists
// threading the records through one pair of link fields and the third through another, so a record
// can be in two lists at once. Each list is a vector of record numbers and a cursor; every link
// field of every record is predicted (garbage until the first insertion, NULL after a removal), and
// so is every call of the comparison and every free.
#include <libzuc/dlist.h>
#include <libzuc/slist.h>

#include "model.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

using zt::num;

struct Record {
    std::uint32_t key;
    void *link[4]; // next and previous of pair A, then of pair B
    std::uint32_t canary;
};
constexpr unsigned records = 6, none = records; // none: the number that stands for NULL
constexpr std::uint32_t canary = 0xCA11AB1E;

unsigned offset(unsigned field) { // of a link field
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
    static constexpr auto insertLast = P##_insertLast, insertFirst = P##_insertFirst,              \
                          insertSorted = P##_insertSorted;                                         \
    static constexpr auto removeFirst = P##_removeFirst, pop = P##_pop,                            \
                          removeLast = P##_removeLast, getNext = P##_getNext;                      \
    static constexpr auto startIterate = P##_startIterate, freeElements = P##_freeElements;        \
    static constexpr auto getFirst = P##_getFirst, getLast = P##_getLast;                          \
    static constexpr auto isEmpty = P##_isEmpty, hasMore = P##_hasMoreElements;                    \
    static constexpr auto getCount = P##_getCount;                                                 \
    static constexpr auto compareItems = P##_compareItems;
// removeChosen: the removal of the record after a chosen one (singly), or of the chosen one itself
// (doubly).
struct Singly {
    ZT_OPERATIONS(List)
    static constexpr bool doubly = false;
    static constexpr auto removeChosen = List_removeAfter;
    static void make(List *l, unsigned p) { List_makeList(l, offset(2 * p), compare); }
};
struct Doubly {
    ZT_OPERATIONS(DList)
    static constexpr bool doubly = true;
    static constexpr auto removeChosen = DList_remove;
    static void make(DList *l, unsigned p) {
        DList_makeDList(l, offset(2 * p), offset(2 * p + 1), compare);
    }
};

template <class T>
struct Model {
    struct Lst {
        typename T::Rec rec;
        unsigned cursor = none; // the cursor's record
        std::vector<unsigned> chain;
        bool stale = false; // handed its chain over; must be made again
        bool has(unsigned r) const { return std::count(chain.begin(), chain.end(), r) != 0; }
    };
    Record *rec[records + 1] = {};     // and rec[none], NULL
    void *expect[records + 1][4] = {}; // the links of each record, and NULL ones for none
    Lst lists[3];
    std::vector<zt::Ev> want;
    // The record at position k of a chain; NULL past either end (0 - 1 wraps round).
    void *at(const Lst &l, unsigned k) const { return rec[k < l.chain.size() ? l.chain[k] : none]; }
    unsigned number(const void *p) const { return unsigned(std::find(rec, rec + none, p) - rec); }
    // Lists 0 and 1 thread their records through link pair 0, list 2 through pair 1.
    unsigned pair(const Lst &l) const { return unsigned(&l - lists) / 2; }
    // Whether a list holds the record through pair p.
    bool linked(unsigned r, unsigned p) const {
        return std::any_of(lists, lists + 3,
                           [&](const Lst &l) { return pair(l) == p && !l.stale && l.has(r); });
    }
    void fresh(unsigned r) {
        rec[r] = static_cast<Record *>(std::malloc(sizeof(Record)));
        rec[r]->key = r % 3;
        rec[r]->canary = canary;
        std::memcpy(expect[r], rec[r]->link, sizeof expect[r]); // garbage until linked
    }
    void make(Lst &l) {
        l.chain.clear();
        l.cursor = none;
        l.stale = false;
        T::make(&l.rec, pair(l));
    }
    int compared(unsigned a, unsigned b) {
        return want.push_back({'C', num(rec[a]), num(rec[b])}), order(rec[a], rec[b]);
    }
    // In front of the first record that does not order before r.
    void insert_sorted(Lst &l, unsigned r) {
        auto it = l.chain.begin();
        while (it != l.chain.end() && compared(*it, r) < 0) {
            ++it;
        }
        l.chain.insert(it, r);
    }
    // Each list record, then every link of every record, as predicted.
    void check() {
        for (Lst &l : lists) {
            if (l.stale) {
                continue;
            }
            const std::size_t n = l.chain.size();
            for (std::size_t i = 0; i < n; ++i) {
                void **links = expect[l.chain[i]] + pair(l) * 2;
                links[0] = at(l, i + 1);
                if constexpr (T::doubly) {
                    links[1] = at(l, i - 1);
                } else {
                    ZT_EQ(List_getNextElem(&l.rec, rec[l.chain[i]]), links[0]);
                }
            }
            // first, last and count through the getters, which only read them
            ZT_CHECK(T::getFirst(&l.rec) == at(l, 0) && T::getLast(&l.rec) == at(l, n - 1) &&
                     T::getCount(&l.rec) == n && T::isEmpty(&l.rec) == (n == 0));
            ZT_CHECK(l.rec.cursor == rec[l.cursor] && T::hasMore(&l.rec) == (l.cursor != none) &&
                     l.rec.compare == &compare);
            if constexpr (T::doubly) {
                ZT_CHECK(l.rec.nextOffset == offset(pair(l) * 2) &&
                         l.rec.prevOffset == offset(pair(l) * 2 + 1));
            } else {
                ZT_CHECK(l.rec.linkOffset == offset(pair(l) * 2) && List_peek(&l.rec) == at(l, 0) &&
                         List_getNextElem(&l.rec, nullptr) == nullptr);
            }
        }
        for (unsigned r = 0; r < records; ++r) {
            ZT_CHECK(rec[r]->key == r % 3 && rec[r]->canary == canary &&
                     std::memcmp(rec[r]->link, expect[r], sizeof expect[r]) == 0);
        }
    }
    void step(zt::Input &in) {
        const unsigned op = in.pick(T::doubly ? 12 : 14);
        Lst &l = lists[in.pick(3)];
        Lst &other = lists[(&l - lists + 1 + in.pick(2)) % 3];
        const unsigned n = unsigned(l.chain.size());
        if (op == 0 || l.stale) {
            make(l);
        } else if (op <= 3 || (T::doubly && op == 11)) {
            const unsigned r = in.pick(records); // not yet linked through this pair
            if (linked(r, pair(l))) {
                return;
            }
            if (op == 3) {
                T::insertSorted(&l.rec, rec[r]);
                return insert_sorted(l, r);
            }
            const unsigned where = op == 11 ? in.pick(n + 1) : op == 1 ? n : 0;
            if constexpr (T::doubly) {
                op == 11 ? DList_insertAfter(&l.rec, at(l, where - 1), rec[r])
                         : (op == 1 ? T::insertLast : T::insertFirst)(&l.rec, rec[r]);
            } else {
                (op == 1           ? T::insertLast
                 : in.pick(2) != 0 ? List_push
                                   : T::insertFirst)(&l.rec, rec[r]);
            }
            l.chain.insert(l.chain.begin() + where, r);
        } else if (op <= 6) { // removals at the head, at the tail, of or behind a chosen record
            const unsigned which = op == 6 ? in.pick(n + 1) : 0;
            const unsigned pos = op == 4 ? 0 : op == 5 ? n - 1 : which - (T::doubly ? 1 : 0);
            void *got = op == 4   ? (in.pick(2) != 0 ? T::pop : T::removeFirst)(&l.rec)
                        : op == 5 ? T::removeLast(&l.rec)
                                  : T::removeChosen(&l.rec, at(l, which - 1));
            ZT_EQ(got, at(l, pos));
            if (pos < n) { // the links go NULL; the singly linked list's cursor moves on
                const unsigned r = l.chain[pos];
                l.cursor = !T::doubly && l.cursor == r ? number(expect[r][pair(l) * 2]) : l.cursor;
                l.chain.erase(l.chain.begin() + pos);
                std::fill_n(expect[r] + pair(l) * 2, T::doubly ? 2 : 1, nullptr);
            }
        } else if (op == 7) {
            T::startIterate(&l.rec);
            l.cursor = n > 0 ? l.chain[0] : none;
        } else if (op == 8) { // the cursor follows the link of the record it rests on
            ZT_EQ(T::getNext(&l.rec), rec[l.cursor]);
            l.cursor = number(expect[l.cursor][pair(l) * 2]);
        } else if (op == 9) { // every record freed in chain order
            for (unsigned r : l.chain) {
                want.push_back({'F', 'f', zt::Heap::id(rec[r])});
            }
            T::freeElements(&l.rec);
            const std::vector<unsigned> freed = std::exchange(l.chain, {});
            l.cursor = none;
            ZT_EVENTS(std::exchange(want, {}));
            for (unsigned r : freed) { // no other list may lead to a freed record
                for (Lst &each : lists) {
                    each.stale |= each.cursor == r || each.has(r);
                }
                fresh(r);
            }
            zt::log().clear();
        } else if (op == 10) {
            const unsigned a = in.pick(records), b = in.pick(records);
            ZT_EQ(T::compareItems(&l.rec, rec[a], rec[b]), compared(a, b));
        } else if constexpr (!T::doubly) {
            if (op == 11) { // an insertion sort, driven by the list's own cursor
                List_sortList(&l.rec);
                for (std::size_t tail = 0; tail + 1 < l.chain.size(); ++tail) {
                    const unsigned r = l.chain[tail + 1];
                    if (compared(l.chain[tail], r) > 0) {
                        l.chain.erase(l.chain.begin() + long(tail) + 1);
                        insert_sorted(l, r);
                    }
                }
                l.cursor = none;
            } else if (!other.stale &&
                       (pair(other) == pair(l) ||
                        (op == 12 &&
                         std::none_of(other.chain.begin(), other.chain.end(),
                                      [&](unsigned r) { return linked(r, pair(l)); })))) {
                // (so that no record is in two lists through one pair)
                const List before = other.rec;
                if (op == 12) {
                    List_mergeLists(&l.rec, &other.rec);
                    for (unsigned r : other.chain) {
                        insert_sorted(l, r);
                    }
                    other.cursor = none;
                } else {
                    List_appendList(&l.rec, &other.rec);
                    l.chain.insert(l.chain.end(), other.chain.begin(), other.chain.end());
                }
                // The other record still names the records it handed over.
                other.stale = pair(other) == pair(l) && !other.chain.empty();
                ZT_CHECK(other.rec.first == before.first && other.rec.last == before.last &&
                         other.rec.count == before.count && other.rec.cursor == rec[other.cursor]);
            }
        }
    }
    Model() {
        for (unsigned r = 0; r < records; ++r) {
            fresh(r);
        }
        std::for_each(lists, lists + 3, [this](Lst &l) { make(l); });
    }
    ~Model() {
        std::for_each(rec, rec + none, [](Record *r) { std::free(r); });
    }
};

} // namespace

void model_slist(zt::Input &in) {
    zt::run<Model<Singly>>(in);
}

void model_dlist(zt::Input &in) {
    zt::run<Model<Doubly>>(in);
}
