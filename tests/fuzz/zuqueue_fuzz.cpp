// Differential fuzzing of the bounded pointer queue, in both forms: on the
// heap (zuqueue_new with each allocation refused in turn, zuqueue_free) and in
// a caller buffer (zuqueue_inplace_new, zuqueue_inplace_free), against a model
// that is a std::deque with a capacity and counts of the elements added and
// taken, from which the ring's indexes follow.
//
// After every operation the record and every slot are compared with the
// model: the queued elements oldest first from the slot after read_index, null
// everywhere else. The bytes of the caller buffer past the queue must stay
// untouched, the in-place form must not touch the heap, and the heap form
// must free exactly what it allocated. zuqueue_size is checked on capacities
// up to the largest the 32-bit size can describe, and past it.
#include <libzuc/zuqueue.h>

#include "fuzz.h"
#include "heap_life.h"

#include <climits>
#include <cstring>
#include <deque>
#include <vector>

namespace {

using zuc_fuzz::Calls;
using zuc_fuzz::fake;
using zuc_fuzz::Input;
using zuc_fuzz::num;

constexpr unsigned char guard = 0xA5;

zuqueue *queue;
bool in_place;
std::vector<unsigned char> buffer; // the caller buffer of the in-place form
unsigned used;                     // bytes of it the queue may write
unsigned capacity;
std::deque<void *> items; // oldest first
unsigned added, taken;    // since the queue was made
zuc_fuzz::HeapLife heap;

Calls calls;
void release(void *elem) {
    calls.push_back({'R', num(elem)});
}

// The in-place size: the record, then one pointer slot per element.
unsigned expected_size(unsigned c) {
    const unsigned long long bytes = sizeof(zuqueue) + 1ull * c * sizeof(void *);
    return bytes > UINT_MAX ? UINT_MAX : static_cast<unsigned>(bytes);
}

void check() {
    if (queue == nullptr) {
        return;
    }
    FUZZ_EQ(queue->capacity, capacity);
    FUZZ_EQ(queue->count, items.size());
    if (capacity == 0) {
        return;
    }
    // Both indexes start at capacity - 1 and advance by one per element.
    const unsigned write_index = static_cast<unsigned>((capacity - 1ull + added) % capacity);
    const unsigned read_index = static_cast<unsigned>((capacity - 1ull + taken) % capacity);
    FUZZ_EQ(queue->write_index, write_index);
    FUZZ_EQ(queue->read_index, read_index);
    std::vector<void *> slots(capacity, nullptr);
    for (std::size_t n = 0; n < items.size(); ++n) {
        slots[(read_index + 1 + n) % capacity] = items[n];
    }
    for (unsigned n = 0; n < capacity; ++n) {
        FUZZ_EQ(queue->members[n], slots[n]);
    }
    if (in_place) {
        FUZZ_EQ(queue->members, reinterpret_cast<void **>(buffer.data() + sizeof(zuqueue)));
        for (std::size_t n = used; n < buffer.size(); ++n) {
            FUZZ_EQ(buffer[n], guard);
        }
    }
    heap.check();
}

void made(unsigned c) {
    capacity = c;
    items.clear();
    added = taken = 0;
}

void op_new(Input &in) {
    in_place = in.flag();
    if (in_place) {
        heap.begin();
        const unsigned c = in.below(20) + 1;
        used = zuqueue_size(c);
        buffer.assign(used + in.below(3) * 4u, guard);
        queue = zuqueue_inplace_new(buffer.data(), static_cast<unsigned>(buffer.size()), c);
        FUZZ_EQ(static_cast<void *>(queue), static_cast<void *>(buffer.data()));
        made(c);
        heap.made(0); // the in-place form never touches the heap
        return;
    }
    const unsigned c = in.below(20);      // 0 too: a queue that is always full and empty
    const unsigned fail_at = in.below(4); // 1: the record, 2: the slots
    heap.begin(fail_at);
    queue = zuqueue_new(c);
    if (fail_at == 1 || fail_at == 2) {
        FUZZ_EQ(queue, nullptr);
        heap.failed();
        return;
    }
    FUZZ_CHECK(queue != nullptr);
    heap.made(2);
    made(c);
}

// Hands the queued elements, oldest first, to release.
void expect_drained(Calls &want) {
    for (void *e : items) {
        want.push_back({'R', num(e)});
    }
    taken += static_cast<unsigned>(items.size());
    items.clear();
}

void op_free(Input &in) {
    const bool with_release = in.flag();
    Calls want;
    if (in_place) {
        if (with_release) {
            expect_drained(want);
        }
        zuqueue_inplace_free(queue, with_release ? release : nullptr);
        FUZZ_CALLS(calls, want);
        if (in.flag()) {
            return; // the queue stays usable
        }
        check();
        queue = nullptr; // the caller is done with the buffer
        heap.ended();
        return;
    }
    if (with_release) {
        expect_drained(want);
    }
    zuqueue_free(queue, with_release ? release : nullptr);
    FUZZ_CALLS(calls, want);
    queue = nullptr;
    heap.ended();
}

void op_add(Input &in) {
    void *e = fake(0x1000 + in.byte() * 16u); // the same pointer may be queued twice
    const bool room = items.size() < capacity;
    FUZZ_EQ(zuqueue_add(queue, e), room ? 1 : 0);
    if (room) {
        items.push_back(e);
        ++added;
    }
}

void op_get() {
    void *want = nullptr;
    if (!items.empty()) {
        want = items.front();
        items.pop_front();
        ++taken;
    }
    FUZZ_EQ(zuqueue_get(queue), want);
}

void op_size(Input &in) {
    const unsigned max = static_cast<unsigned>((UINT_MAX - sizeof(zuqueue)) / sizeof(void *));
    const unsigned c = in.flag() ? max - 2 + in.below(5) : in.edgy_u32();
    FUZZ_EQ(zuqueue_size(c), expected_size(c));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    Input in(data, size);
    queue = nullptr;
    while (in.more()) {
        calls.clear();
        const unsigned code = in.byte() % 10;
        if (queue == nullptr && code < 8) {
            op_new(in);
        } else if (code < 8 && code >= 4) {
            op_add(in);
        } else if (code < 4 && code >= 1) {
            op_get();
        } else if (code == 0) {
            op_free(in);
        } else {
            op_size(in);
        }
        check();
    }
    if (queue != nullptr) {
        if (!in_place) {
            zuqueue_free(queue, nullptr);
        }
        queue = nullptr;
        heap.ended();
    }
    return 0;
}
