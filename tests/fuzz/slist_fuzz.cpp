// Differential fuzzing of the intrusive singly linked list (List): every
// operation, on four lists over one set of heap records, two lists threaded
// through each of the records' two link members, against a model of each list
// as a vector of records plus the record its cursor rests on.
//
// The records carry canaries around their links, so a write through a wrong
// offset shows. Merges and appends between lists of the same link member, and
// sorted merges between lists of different members, are both fuzzed; the
// C heap is counted, so List_freeElements must free exactly its elements, in
// chain order.
#include <libzuc/slist.h>

#include "fuzz.h"
#include "records.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

namespace {

using zuc_fuzz::by_key;
using zuc_fuzz::Calls;
using zuc_fuzz::compare_value;
using zuc_fuzz::Input;
using zuc_fuzz::num;
using zuc_fuzz::Rec;

// A List threads records through the next link of one pair.
Rec *link_of(const Rec *r, unsigned pair) {
    return zuc_fuzz::next_of(r, pair);
}
const unsigned *const link_offset = zuc_fuzz::next_offset;

zuc_fuzz::Records records;
Calls &calls = zuc_fuzz::compare_calls;

// ---- The model ----

struct Model : zuc_fuzz::Chain {
    List lst;
};
Model lists[4];
Calls want;

// The record behind predecessor (the first when it is null) leaves the list;
// a cursor resting on it moves to its successor.
Rec *model_remove_after(Model &m, const Rec *predecessor) {
    Rec *removed = predecessor == nullptr ? (m.items.empty() ? nullptr : m.items.front())
                                          : m.after(predecessor);
    if (removed != nullptr) {
        if (m.cursor == removed) {
            m.cursor = m.after(removed);
        }
        m.items.erase(m.items.begin() + static_cast<long>(m.pos(removed)));
    }
    return removed;
}

Model *holder(const Rec *r, unsigned pair) {
    return zuc_fuzz::holder(lists, r, pair);
}

void check(Model &m) {
    if (!m.valid) {
        return;
    }
    const List &l = m.lst;
    FUZZ_EQ(l.count, m.items.size());
    std::size_t n = 0;
    const Rec *last = nullptr;
    for (auto *r = static_cast<const Rec *>(l.first); r != nullptr; r = link_of(r, m.pair)) {
        FUZZ_CHECK(n < m.items.size());
        FUZZ_EQ(r, m.items[n++]);
        last = r;
    }
    FUZZ_EQ(n, m.items.size());
    FUZZ_EQ(l.last, last);
    FUZZ_EQ(l.cursor, m.cursor);
    FUZZ_CHECK(l.compare == by_key);
    FUZZ_EQ(l.linkOffset, link_offset[m.pair]);
    FUZZ_EQ(List_getFirst(&l), m.items.empty() ? nullptr : m.items.front());
    FUZZ_EQ(List_peek(&l), List_getFirst(&l));
    FUZZ_EQ(List_getLast(&l), last);
    FUZZ_EQ(List_getCount(&l), m.items.size());
    FUZZ_EQ(List_isEmpty(&l), m.items.empty() ? 1 : 0);
    FUZZ_EQ(List_hasMoreElements(&l), m.cursor != nullptr ? 1 : 0);
}

void op_make(Model &m) {
    List_makeList(&m.lst, link_offset[m.pair], by_key);
    m.valid = true;
    m.items.clear();
    m.cursor = nullptr;
}

void op_insert(Model &m, Input &in, unsigned how) {
    Rec *r = zuc_fuzz::pick_fresh(records, lists, m, in);
    if (r == nullptr) {
        return;
    }
    switch (how) {
    case 0:
        List_insertLast(&m.lst, r);
        m.items.push_back(r);
        break;
    case 1:
        List_insertFirst(&m.lst, r);
        m.items.insert(m.items.begin(), r);
        break;
    case 2:
        List_push(&m.lst, r);
        m.items.insert(m.items.begin(), r);
        break;
    default:
        m.insert_sorted(r, want);
        List_insertSorted(&m.lst, r);
        break;
    }
}

void expect_removed(Model &m, void *got, const Rec *want_removed) {
    FUZZ_EQ(got, want_removed);
    if (want_removed != nullptr) {
        FUZZ_EQ(link_of(want_removed, m.pair), nullptr);
    }
}

void op_remove(Model &m, Input &in, unsigned how) {
    switch (how) {
    case 0: {
        Rec *predecessor = m.pick_member(in);
        Rec *removed = model_remove_after(m, predecessor);
        expect_removed(m, List_removeAfter(&m.lst, predecessor), removed);
        break;
    }
    case 1:
        expect_removed(m, List_removeFirst(&m.lst), model_remove_after(m, nullptr));
        break;
    case 2:
        expect_removed(m, List_pop(&m.lst), model_remove_after(m, nullptr));
        break;
    default: {
        Rec *predecessor = m.items.size() < 2 ? nullptr : m.items[m.items.size() - 2];
        expect_removed(m, List_removeLast(&m.lst), model_remove_after(m, predecessor));
        break;
    }
    }
}

void op_iterate(Model &m, Input &in) {
    switch (in.below(3)) {
    case 0:
        List_startIterate(&m.lst);
        m.cursor = m.items.empty() ? nullptr : m.items.front();
        break;
    case 1: {
        Rec *expected = m.cursor;
        if (m.cursor != nullptr) {
            m.cursor = m.after(m.cursor);
        }
        FUZZ_EQ(List_getNext(&m.lst), expected);
        break;
    }
    default: {
        Rec *r = m.pick_member(in);
        FUZZ_EQ(List_getNextElem(&m.lst, r), r == nullptr ? nullptr : m.after(r));
        break;
    }
    }
}

void op_free_elements(Model &m) {
    // Only records that no other list holds.
    for (const Rec *r : m.items) {
        if (holder(r, 1 - m.pair) != nullptr) {
            return;
        }
    }
    if (!zuc_fuzz::Records::log_has_room()) {
        return;
    }
    const unsigned before = zuc_test::Heap::now().frees;
    List_freeElements(&m.lst);
    records.expect_freed(m.items, before);
    m.items.clear();
    m.cursor = nullptr;
}

// The list's own insertion sort, driven by its cursor: the records before
// the cursor are a sorted prefix ending at tail; a record that orders before
// tail is taken out and put back by sorted insertion.
void op_sort(Model &m) {
    if (m.items.empty()) {
        m.cursor = nullptr;
    } else {
        Rec *tail = m.items.front();
        m.cursor = m.after(tail);
        while (m.cursor != nullptr) {
            Rec *r = m.cursor;
            m.cursor = m.after(r);
            want.push_back({'O', num(tail), num(r)});
            if (compare_value(tail, r) <= 0) {
                tail = r;
            } else {
                model_remove_after(m, tail);
                m.insert_sorted(r, want);
            }
        }
    }
    List_sortList(&m.lst);
}

void op_merge(Model &m, Model &other) {
    if (&m == &other || !other.valid) {
        return;
    }
    // Through another member, other's records must not be linked through
    // m's member already.
    if (other.pair != m.pair) {
        for (const Rec *r : other.items) {
            if (holder(r, m.pair) != nullptr) {
                return;
            }
        }
    }
    const List saved = other.lst;
    for (Rec *r : std::vector<Rec *>(other.items)) {
        m.insert_sorted(r, want);
    }
    List_mergeLists(&m.lst, &other.lst);
    // other's record is unchanged but for its cursor.
    FUZZ_EQ(other.lst.cursor, nullptr);
    FUZZ_CHECK(other.lst.first == saved.first && other.lst.last == saved.last &&
               other.lst.count == saved.count && other.lst.compare == saved.compare &&
               other.lst.linkOffset == saved.linkOffset);
    other.cursor = nullptr;
    if (other.pair == m.pair) {
        other.valid = false; // its chain now belongs to m
        other.items.clear();
    }
}

void op_append(Model &m, Model &other) {
    if (&m == &other || !other.valid || other.pair != m.pair) {
        return;
    }
    const List saved = other.lst;
    List_appendList(&m.lst, &other.lst);
    FUZZ_CHECK(std::memcmp(&saved, &other.lst, sizeof saved) == 0);
    m.items.insert(m.items.end(), other.items.begin(), other.items.end());
    other.valid = false;
    other.items.clear();
}

void step(Input &in) {
    const unsigned code = in.byte();
    Model &m = lists[in.below(4)];
    calls.clear();
    want.clear();
    if (!m.valid) {
        op_make(m);
        return;
    }
    switch (code % 12) {
    case 0:
        op_make(m);
        break;
    case 1:
    case 2:
    case 3:
        op_insert(m, in, in.below(4));
        break;
    case 4:
    case 5:
        op_remove(m, in, in.below(4));
        break;
    case 6:
        op_iterate(m, in);
        break;
    case 7:
        op_free_elements(m);
        break;
    case 8:
        op_sort(m);
        break;
    case 9:
        op_merge(m, lists[in.below(4)]);
        break;
    case 10:
        op_append(m, lists[in.below(4)]);
        break;
    default:
        zuc_fuzz::rekey_or_compare(records, in, want, [&m](const Rec *a, const Rec *b) {
            return List_compareItems(&m.lst, a, b);
        });
        break;
    }
    FUZZ_CALLS(calls, want);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    Input in(data, size);
    records.start();
    for (unsigned n = 0; n < 4; ++n) {
        lists[n].pair = n / 2;
        op_make(lists[n]);
    }
    while (in.more()) {
        step(in);
        for (Model &m : lists) {
            check(m);
        }
        records.check();
    }
    records.finish();
    return 0;
}
