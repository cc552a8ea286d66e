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
    static constexpr auto insertLast = P##_insertLast, insertFirst = P##_insertFirst,              \
                          insertSorted = P##_insertSorted;                                         \
    static constexpr auto removeFirst = P##_removeFirst, pop = P##_pop,                            \
                          removeLast = P##_removeLast, getNext = P##_getNext;                      \
    static constexpr auto startIterate = P##_startIterate, freeElements = P##_freeElements;        \
    static constexpr auto getFirst = P##_getFirst, getLast = P##_getLast;                          \
    static constexpr auto isEmpty = P##_isEmpty, hasMore = P##_hasMoreElements;                    \
    static constexpr auto getCount = P##_getCount;                                                 \
    static constexpr auto compareItems = P##_compareItems;
// removeChosen: the removal of the record after a chosen one (singly), or of
// the chosen one itself (doubly).
struct Singly {
    ZT_OPERATIONS(List)
    static constexpr bool doubly = false;
    static constexpr auto removeChosen = List_removeAfter;
    static void make(List *l, unsigned pair) { List_makeList(l, offset_of(pair * 2), compare); }
};
struct Doubly {
    ZT_OPERATIONS(DList)
    static constexpr bool doubly = true;
    static constexpr auto removeChosen = DList_remove;
    static void make(DList *l, unsigned pair) {
        DList_makeDList(l, offset_of(pair * 2), offset_of(pair * 2 + 1), compare);
    }
};

template <class T>
struct Model {
    struct Lst {
        typename T::Rec rec;
        unsigned pair, cursor = none; // the cursor's record
        std::vector<unsigned> chain;
        bool stale = false; // handed its chain over; must be made again
    };
    Record *rec[records + 1] = {}; // and rec[none], NULL
    unsigned id[records];
    void *expect[records + 1][4] = {}; // the links of each record, and NULL ones for none
    Lst lists[3];
    std::vector<zt::Ev> want;
    unsigned number(const void *p) const { return unsigned(std::find(rec, rec + none, p) - rec); }
    bool has(const Lst &l, unsigned r) const {
        return std::find(l.chain.begin(), l.chain.end(), r) != l.chain.end();
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
        l.cursor = none;
        l.stale = false;
        T::make(&l.rec, l.pair);
    }
    int compared(unsigned a, unsigned b) {
        return want.push_back({'C', num(rec[a]), num(rec[b])}), order(rec[a], rec[b]);
    }
    // In front of the first record that does not order before r.
    void insert_sorted(Lst &l, unsigned r) {
        auto at = l.chain.begin();
        while (at != l.chain.end() && compared(*at, r) < 0) {
            ++at;
        }
        l.chain.insert(at, r);
    }
    // Each list record, then every link of every record, as predicted.
    void check() {
        for (Lst &l : lists) {
            if (l.stale) {
                continue;
            }
            const std::size_t n = l.chain.size();
            for (std::size_t i = 0; i < n; ++i) {
                void **links = expect[l.chain[i]] + l.pair * 2;
                links[0] = rec[i + 1 < n ? l.chain[i + 1] : none];
                if constexpr (T::doubly) {
                    links[1] = rec[i > 0 ? l.chain[i - 1] : none];
                } else {
                    ZT_EQ(List_getNextElem(&l.rec, rec[l.chain[i]]), links[0]);
                }
            }
            void *const first = rec[n > 0 ? l.chain.front() : none];
            void *const last = rec[n > 0 ? l.chain.back() : none];
            ZT_CHECK(l.rec.first == first && T::getFirst(&l.rec) == first && l.rec.last == last &&
                     T::getLast(&l.rec) == last);
            ZT_CHECK(l.rec.count == n && T::getCount(&l.rec) == n &&
                     T::isEmpty(&l.rec) == (n == 0));
            ZT_CHECK(l.rec.cursor == rec[l.cursor] && T::hasMore(&l.rec) == (l.cursor != none) &&
                     l.rec.compare == &compare);
            if constexpr (T::doubly) {
                ZT_CHECK(l.rec.nextOffset == offset_of(l.pair * 2) &&
                         l.rec.prevOffset == offset_of(l.pair * 2 + 1));
            } else {
                ZT_CHECK(l.rec.linkOffset == offset_of(l.pair * 2) && List_peek(&l.rec) == first &&
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
                op == 11
                    ? DList_insertAfter(&l.rec, rec[where > 0 ? l.chain[where - 1] : none], rec[r])
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
            void *got = op == 4 ? (in.pick(2) != 0 ? T::pop : T::removeFirst)(&l.rec)
                        : op == 5
                            ? T::removeLast(&l.rec)
                            : T::removeChosen(&l.rec, rec[which > 0 ? l.chain[which - 1] : none]);
            ZT_EQ(got, rec[pos < n ? l.chain[pos] : none]);
            if (pos < n) { // the links go NULL; the singly linked list's cursor moves on
                const unsigned r = l.chain[pos];
                l.cursor = !T::doubly && l.cursor == r ? number(expect[r][l.pair * 2]) : l.cursor;
                l.chain.erase(l.chain.begin() + pos);
                std::fill_n(expect[r] + l.pair * 2, T::doubly ? 2 : 1, nullptr);
            }
        } else if (op == 7) {
            T::startIterate(&l.rec);
            l.cursor = n > 0 ? l.chain[0] : none;
        } else if (op == 8) { // the cursor follows the link of the record it rests on
            ZT_EQ(T::getNext(&l.rec), rec[l.cursor]);
            l.cursor = number(expect[l.cursor][l.pair * 2]);
        } else if (op == 9) { // every record freed in chain order
            T::freeElements(&l.rec);
            const std::vector<unsigned> freed = std::exchange(l.chain, {});
            l.cursor = none;
            for (unsigned r : freed) {
                want.push_back({'F', 'f', id[r]});
            }
            ZT_EVENTS(std::exchange(want, {}));
            for (unsigned r : freed) { // no other list may lead to a freed record
                for (Lst &each : lists) {
                    each.stale |= each.cursor == r || has(each, r);
                }
                fresh(r);
            }
            zt::log().clear();
        } else if (op == 10) {
            const unsigned a = in.pick(records), b = in.pick(records);
            ZT_EQ(T::compareItems(&l.rec, rec[a], rec[b]), compared(a, b));
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
                if (compared(l.chain[tail], r) > 0) {
                    l.chain.erase(l.chain.begin() + long(tail) + 1);
                    insert_sorted(l, r);
                }
            }
            l.cursor = none;
            return;
        }
        if (other.stale ||
            (other.pair != l.pair &&
             (op == 13 || std::any_of(other.chain.begin(), other.chain.end(),
                                      [&](unsigned r) { return linked(r, l.pair); })))) {
            return; // a record may be in one list per pair only
        }
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
        other.stale = other.pair == l.pair && !other.chain.empty();
        ZT_CHECK(other.rec.first == before.first && other.rec.last == before.last &&
                 other.rec.count == before.count && other.rec.cursor == rec[other.cursor]);
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
