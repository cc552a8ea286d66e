// Differential fuzzing of the intrusive doubly linked list (DList): every
// operation, on three lists over one set of heap records (two lists threaded
// through the records' A links, one through their B links), against a model
// of each list as a vector of records plus the record its cursor rests on.
//
// Removals do not move the cursor, so a cursor may rest on a record that has
// left its list; the next DList_getNext then follows that record's next link,
// which the model knows: null after the removal, or the record's successor in
// whatever list took it since.
#include <libzuc/dlist.h>

#include "fuzz.h"
#include "records.h"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace {

using zuc_fuzz::by_key;
using zuc_fuzz::Calls;
using zuc_fuzz::compare_value;
using zuc_fuzz::Input;
using zuc_fuzz::next_of;
using zuc_fuzz::num;
using zuc_fuzz::prev_of;
using zuc_fuzz::Rec;

zuc_fuzz::Records records;
Calls &calls = zuc_fuzz::compare_calls;
Calls want;

struct Model : zuc_fuzz::Chain {
    DList lst;
};
Model lists[3];

// Records whose links of a pair were left as they were when their list was
// made again: what those links hold is no longer the model's business.
std::vector<const Rec *> forgotten[2];

Model *holder(const Rec *r, unsigned pair) {
    return zuc_fuzz::holder(lists, r, pair);
}

bool is_forgotten(const Rec *r, unsigned pair) {
    return std::find(forgotten[pair].begin(), forgotten[pair].end(), r) != forgotten[pair].end();
}

// Both links of r are written: it is the model's again.
void relinked(const Rec *r, unsigned pair) {
    forgotten[pair].erase(std::remove(forgotten[pair].begin(), forgotten[pair].end(), r),
                          forgotten[pair].end());
}

void check(Model &m) {
    const DList &l = m.lst;
    FUZZ_EQ(l.count, m.items.size());
    std::size_t n = 0;
    const Rec *prev = nullptr;
    for (auto *r = static_cast<const Rec *>(l.first); r != nullptr; r = next_of(r, m.pair)) {
        FUZZ_CHECK(n < m.items.size());
        FUZZ_EQ(r, m.items[n++]);
        FUZZ_EQ(prev_of(r, m.pair), prev);
        prev = r;
    }
    FUZZ_EQ(n, m.items.size());
    FUZZ_EQ(l.last, prev);
    FUZZ_EQ(l.cursor, m.cursor);
    FUZZ_CHECK(l.compare == by_key);
    FUZZ_EQ(l.nextOffset, zuc_fuzz::next_offset[m.pair]);
    FUZZ_EQ(l.prevOffset, zuc_fuzz::prev_offset[m.pair]);
    FUZZ_EQ(DList_getFirst(&l), m.items.empty() ? nullptr : m.items.front());
    FUZZ_EQ(DList_getLast(&l), prev);
    FUZZ_EQ(DList_getCount(&l), m.items.size());
    FUZZ_EQ(DList_isEmpty(&l), m.items.empty() ? 1 : 0);
    FUZZ_EQ(DList_hasMoreElements(&l), m.cursor != nullptr ? 1 : 0);
}

void op_make(Model &m) {
    for (const Rec *r : m.items) {
        forgotten[m.pair].push_back(r);
    }
    DList_makeDList(&m.lst, zuc_fuzz::next_offset[m.pair], zuc_fuzz::prev_offset[m.pair], by_key);
    m.items.clear();
    m.cursor = nullptr;
}

void op_insert(Model &m, Input &in, unsigned how) {
    Rec *r = zuc_fuzz::pick_fresh(records, lists, m, in);
    if (r == nullptr) {
        return;
    }
    relinked(r, m.pair);
    switch (how) {
    case 0: {
        Rec *predecessor = m.pick_member(in);
        m.items.insert(m.items.begin() +
                           static_cast<long>(predecessor == nullptr ? 0 : m.pos(predecessor) + 1),
                       r);
        DList_insertAfter(&m.lst, predecessor, r);
        break;
    }
    case 1:
        m.items.push_back(r);
        DList_insertLast(&m.lst, r);
        break;
    case 2:
        m.items.insert(m.items.begin(), r);
        DList_insertFirst(&m.lst, r);
        break;
    default:
        m.insert_sorted(r, want);
        DList_insertSorted(&m.lst, r);
        break;
    }
}

// Removal leaves the cursor where it was and clears both links.
void expect_removed(Model &m, void *got, Rec *r) {
    FUZZ_EQ(got, r);
    if (r != nullptr) {
        m.items.erase(m.items.begin() + static_cast<long>(m.pos(r)));
        FUZZ_EQ(next_of(r, m.pair), nullptr);
        FUZZ_EQ(prev_of(r, m.pair), nullptr);
    }
}

void op_remove(Model &m, Input &in, unsigned how) {
    Rec *first = m.items.empty() ? nullptr : m.items.front();
    switch (how) {
    case 0: {
        Rec *r = m.pick_member(in);
        expect_removed(m, DList_remove(&m.lst, r), r);
        break;
    }
    case 1:
        expect_removed(m, DList_removeFirst(&m.lst), first);
        break;
    case 2:
        expect_removed(m, DList_pop(&m.lst), first);
        break;
    default:
        expect_removed(m, DList_removeLast(&m.lst), m.items.empty() ? nullptr : m.items.back());
        break;
    }
}

void op_iterate(Model &m, Input &in) {
    if (in.flag()) {
        DList_startIterate(&m.lst);
        m.cursor = m.items.empty() ? nullptr : m.items.front();
        return;
    }
    Rec *r = m.cursor;
    Rec *next = nullptr;
    if (r != nullptr) {
        // The cursor follows r's next link: its successor in the list that
        // holds it through this pair, or null since it left a list.
        if (is_forgotten(r, m.pair)) {
            return;
        }
        const Model *h = holder(r, m.pair);
        next = h != nullptr ? h->after(r) : nullptr;
    }
    FUZZ_EQ(DList_getNext(&m.lst), r);
    m.cursor = next;
}

void op_free_elements(Model &m) {
    // Only records that no other list holds, and on which no other list's
    // cursor rests.
    for (const Model &other : lists) {
        for (const Rec *r : m.items) {
            if ((&other != &m && other.cursor == r) || (other.pair != m.pair && other.has(r))) {
                return;
            }
        }
    }
    if (!zuc_fuzz::Records::log_has_room()) {
        return;
    }
    const unsigned before = zuc_test::Heap::now().frees;
    DList_freeElements(&m.lst);
    for (const Rec *r : m.items) {
        relinked(r, 0); // the record is gone
        relinked(r, 1);
    }
    records.expect_freed(m.items, before);
    m.items.clear();
    m.cursor = nullptr;
}

void step(Input &in) {
    const unsigned code = in.byte();
    Model &m = lists[in.below(3)];
    calls.clear();
    want.clear();
    switch (code % 10) {
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
    case 7:
        op_iterate(m, in);
        break;
    case 8:
        op_free_elements(m);
        break;
    default:
        zuc_fuzz::rekey_or_compare(records, in, want, [&m](const Rec *a, const Rec *b) {
            return DList_compareItems(&m.lst, a, b);
        });
        break;
    }
    FUZZ_CALLS(calls, want);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    Input in(data, size);
    records.start();
    forgotten[0].clear();
    forgotten[1].clear();
    for (unsigned n = 0; n < 3; ++n) {
        lists[n].pair = n / 2;
        lists[n].items.clear();
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
