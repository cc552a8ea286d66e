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
#include <type_traits>
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
void *const garbage = [] {
    void *p;
    std::memset(&p, zt::garbage, sizeof p);
    return p;
}();

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

template <bool Doubly>
struct Model {
    using Rec = std::conditional_t<Doubly, DList, List>;
    struct Lst {
        Rec rec;
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

    void *at(unsigned r) const { return r < records ? rec[r] : nullptr; }
    int number(const void *p) const {
        for (unsigned r = 0; r < records; ++r) {
            if (rec[r] == p) {
                return int(r);
            }
        }
        return -1;
    }
    // The list a record is linked into through pair, or null.
    Lst *holder(unsigned r, unsigned pair) {
        for (Lst &l : lists) {
            if (l.pair == pair && !l.stale &&
                std::find(l.chain.begin(), l.chain.end(), r) != l.chain.end()) {
                return &l;
            }
        }
        return nullptr;
    }

    void fresh(unsigned r) {
        rec[r] = static_cast<Record *>(std::malloc(sizeof(Record)));
        id[r] = zt::Heap::id(rec[r]);
        rec[r]->key = r % 3;
        rec[r]->canary = canary;
        for (void *&e : expect[r]) {
            e = garbage;
        }
    }
    void make(Lst &l, unsigned pair) {
        l.pair = pair;
        l.chain.clear();
        l.cursor = -1;
        l.stale = false;
        if constexpr (Doubly) {
            DList_makeDList(&l.rec, offset_of(pair * 2), offset_of(pair * 2 + 1), compare);
        } else {
            List_makeList(&l.rec, offset_of(pair * 2), compare);
        }
    }
    void unlinked(unsigned r, unsigned pair) {
        expect[r][pair * 2] = nullptr;
        if (Doubly) {
            expect[r][pair * 2 + 1] = nullptr;
        }
    }
    // Removing the cursor's record moves the singly linked list's cursor on;
    // the doubly linked list leaves it where it is.
    void erase(Lst &l, std::size_t pos) {
        const unsigned r = l.chain[pos];
        if (!Doubly && l.cursor == int(r)) {
            l.cursor = pos + 1 < l.chain.size() ? int(l.chain[pos + 1]) : -1;
        }
        l.chain.erase(l.chain.begin() + long(pos));
        unlinked(r, l.pair);
    }
    // In front of the first record that does not order before r.
    void insert_sorted(Lst &l, unsigned r) {
        std::size_t pos = 0;
        while (pos < l.chain.size()) {
            want.push_back({'C', num(rec[l.chain[pos]]), num(rec[r])});
            if (order(rec[l.chain[pos]], rec[r]) >= 0) {
                break;
            }
            ++pos;
        }
        l.chain.insert(l.chain.begin() + long(pos), r);
    }
    // The record and every link of every record, as predicted.
    void check() {
        zt::log().clear();
        for (Lst &l : lists) {
            if (l.stale) {
                continue;
            }
            for (std::size_t i = 0; i < l.chain.size(); ++i) {
                const unsigned r = l.chain[i];
                expect[r][l.pair * 2] = i + 1 < l.chain.size() ? rec[l.chain[i + 1]] : nullptr;
                if (Doubly) {
                    expect[r][l.pair * 2 + 1] = i > 0 ? rec[l.chain[i - 1]] : nullptr;
                }
            }
            const unsigned n = unsigned(l.chain.size());
            ZT_EQ(l.rec.first, n > 0 ? rec[l.chain.front()] : nullptr);
            ZT_EQ(l.rec.last, n > 0 ? rec[l.chain.back()] : nullptr);
            ZT_EQ(l.rec.count, n);
            ZT_EQ(l.rec.cursor, l.cursor < 0 ? nullptr : rec[l.cursor]);
            ZT_EQ(l.rec.compare, &compare);
            if constexpr (Doubly) {
                ZT_EQ(DList_getCount(&l.rec), n);
                ZT_EQ(DList_isEmpty(&l.rec), n == 0 ? 1 : 0);
                ZT_EQ(DList_getFirst(&l.rec), l.rec.first);
                ZT_EQ(DList_getLast(&l.rec), l.rec.last);
                ZT_EQ(DList_hasMoreElements(&l.rec), l.cursor < 0 ? 0 : 1);
                ZT_EQ(l.rec.nextOffset, offset_of(l.pair * 2));
                ZT_EQ(l.rec.prevOffset, offset_of(l.pair * 2 + 1));
            } else {
                ZT_EQ(List_getCount(&l.rec), n);
                ZT_EQ(List_isEmpty(&l.rec), n == 0 ? 1 : 0);
                ZT_EQ(List_getFirst(&l.rec), l.rec.first);
                ZT_EQ(List_peek(&l.rec), l.rec.first);
                ZT_EQ(List_getLast(&l.rec), l.rec.last);
                ZT_EQ(List_hasMoreElements(&l.rec), l.cursor < 0 ? 0 : 1);
                ZT_EQ(l.rec.linkOffset, offset_of(l.pair * 2));
                ZT_EQ(List_getNextElem(&l.rec, nullptr), nullptr);
                for (std::size_t i = 0; i < n; ++i) {
                    ZT_EQ(List_getNextElem(&l.rec, rec[l.chain[i]]),
                          i + 1 < n ? rec[l.chain[i + 1]] : nullptr);
                }
            }
        }
        for (unsigned r = 0; r < records; ++r) {
            ZT_EQ(rec[r]->key, r % 3);
            ZT_EQ(rec[r]->canary, canary);
            for (unsigned f = 0; f < 4; ++f) {
                ZT_EQ(rec[r]->link[f], (Doubly || f % 2 == 0) ? expect[r][f] : garbage);
            }
        }
    }

    void step(zt::Input &in) {
        const unsigned op = in.pick(Doubly ? 12 : 14);
        Lst &l = lists[in.pick(3)];
        Lst &other = lists[(&l - lists + 1 + in.pick(2)) % 3];
        const unsigned n = unsigned(l.chain.size());
        if (op == 0 || l.stale) {
            make(l, l.pair);
        } else if (op <= 3 || (Doubly && op == 11)) { // a record not yet linked through this pair
            const unsigned r = in.pick(records);
            if (holder(r, l.pair) != nullptr) {
                return;
            }
            const unsigned where = op == 11 ? in.pick(n + 1) : op == 1 ? n : 0;
            if (op == 3) {
                if constexpr (Doubly) {
                    DList_insertSorted(&l.rec, rec[r]);
                } else {
                    List_insertSorted(&l.rec, rec[r]);
                }
                insert_sorted(l, r);
                return;
            }
            if constexpr (Doubly) {
                if (op == 11) {
                    DList_insertAfter(&l.rec, where == 0 ? nullptr : rec[l.chain[where - 1]],
                                      rec[r]);
                } else {
                    (op == 1 ? DList_insertLast : DList_insertFirst)(&l.rec, rec[r]);
                }
            } else {
                (op == 1           ? List_insertLast
                 : in.pick(2) != 0 ? List_push
                                   : List_insertFirst)(&l.rec, rec[r]);
            }
            l.chain.insert(l.chain.begin() + where, r);
        } else if (op <= 6) { // removals at the head, at the tail, of or behind a chosen record
            const unsigned which = op == 6 ? in.pick(n + 1) : 0;
            void *const chosen = which == 0 ? nullptr : rec[l.chain[which - 1]];
            const std::size_t pos = op == 4      ? 0
                                    : op == 5    ? n - 1
                                    : !Doubly    ? which
                                    : which == 0 ? n
                                                 : which - 1;
            void *got;
            if constexpr (Doubly) {
                got = op == 4   ? (in.pick(2) != 0 ? DList_pop : DList_removeFirst)(&l.rec)
                      : op == 5 ? DList_removeLast(&l.rec)
                                : DList_remove(&l.rec, chosen);
            } else {
                got = op == 4   ? (in.pick(2) != 0 ? List_pop : List_removeFirst)(&l.rec)
                      : op == 5 ? List_removeLast(&l.rec)
                                : List_removeAfter(&l.rec, chosen);
            }
            ZT_EQ(got, pos < n ? rec[l.chain[pos]] : nullptr);
            if (pos < n) {
                erase(l, pos);
            }
        } else if (op == 7) {
            if constexpr (Doubly) {
                DList_startIterate(&l.rec);
            } else {
                List_startIterate(&l.rec);
            }
            l.cursor = n > 0 ? int(l.chain[0]) : -1;
        } else if (op == 8) { // the cursor follows the link of the record it rests on
            void *got;
            if constexpr (Doubly) {
                got = DList_getNext(&l.rec);
            } else {
                got = List_getNext(&l.rec);
            }
            ZT_EQ(got, at(unsigned(l.cursor)));
            if (l.cursor >= 0) {
                l.cursor = number(expect[l.cursor][l.pair * 2]);
            }
        } else if (op == 9) {
            if constexpr (Doubly) {
                DList_freeElements(&l.rec);
            } else {
                List_freeElements(&l.rec);
            }
            const std::vector<unsigned> freed = l.chain;
            for (unsigned r : freed) {
                want.push_back({'F', 'f', id[r]});
            }
            l.chain.clear();
            l.cursor = -1;
            ZT_EVENTS(want);
            want.clear();
            for (unsigned r : freed) {
                for (Lst &each : lists) { // no list may lead to a freed record
                    each.stale |= each.cursor == int(r) ||
                                  std::count(each.chain.begin(), each.chain.end(), r) != 0;
                }
                fresh(r);
            }
            zt::log().clear();
        } else if (op == 10) {
            void *a = rec[in.pick(records)], *b = rec[in.pick(records)];
            int got;
            if constexpr (Doubly) {
                got = DList_compareItems(&l.rec, a, b);
            } else {
                got = List_compareItems(&l.rec, a, b);
            }
            want.push_back({'C', num(a), num(b)});
            ZT_EQ(got, order(a, b));
        } else if (!Doubly) {
            step_singly(op, l, other);
        }
    }

    // The singly linked list's own: sort, sorted merge, append.
    void step_singly(unsigned op, Lst &l, Lst &other) {
        if constexpr (!Doubly) {
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
            if (other.stale || (op == 13 && other.pair != l.pair)) {
                return;
            }
            const List before = other.rec;
            if (op == 12) { // a record may be in one list per pair only
                for (unsigned r : other.chain) {
                    if (other.pair != l.pair && holder(r, l.pair) != nullptr) {
                        return;
                    }
                }
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
            ZT_EQ(other.rec.first, before.first);
            ZT_EQ(other.rec.last, before.last);
            ZT_EQ(other.rec.count, before.count);
            ZT_EQ(other.rec.cursor, at(unsigned(other.cursor)));
        }
    }

    void run(zt::Input &in) {
        const unsigned live = zt::Heap::live();
        for (unsigned r = 0; r < records; ++r) {
            fresh(r);
        }
        for (unsigned i = 0; i < 3; ++i) {
            make(lists[i], i / 2);
        }
        zt::log().clear();
        while (in.next_op()) {
            step(in);
            ZT_EVENTS(want);
            want.clear();
            check();
        }
        for (Record *r : rec) {
            std::free(r);
        }
        zt::log().clear();
        ZT_EQ(zt::Heap::live(), live);
    }
};

} // namespace

void model_slist(zt::Input &in) {
    Model<false>().run(in);
}

void model_dlist(zt::Input &in) {
    Model<true>().run(in);
}
