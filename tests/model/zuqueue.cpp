// Model of the queue, both forms: a deque of the elements and the counts of
// elements added and taken, from which both indexes follow; every slot after
// every operation, and the bytes of the caller's buffer past the queue.
#include <libzuc/zuqueue.h>

#include "model.h"

#include <cstring>
#include <deque>

namespace {

void release(void *elem) {
    zt::log().push_back({'X', zt::num(elem)});
}

struct Model {
    union { // a static buffer as zuqueue.h shows it: aligned for the record, sized by ZUQUEUE_SIZE
        zuqueue record;
        unsigned char bytes[ZUQUEUE_SIZE(8) + 16];
    } buf;
    unsigned char *const buffer = buf.bytes;
    zuqueue *q = nullptr;
    bool in_place = false;
    unsigned capacity = 0, added = 0, taken = 0, id = 0; // the record's id; the slots' follows
    std::deque<std::uintptr_t> queued;
    std::vector<zt::Ev> want;
    ~Model() { zuqueue_free(in_place ? nullptr : q, nullptr); }
    void step(zt::Input &in) {
        const unsigned op = in.pick(4);
        if (q == nullptr) { // small queues, and capacities about the 32-bit limit
            constexpr unsigned most = ZUQUEUE_MAX_CAPACITY; // 1073741819: (capacity + 5) * 4 wraps
            static const unsigned capacities[] = {1,    2,        3,          8,         0,
                                                  most, most + 1, 1073741819, UINT32_MAX};
            in_place = in.pick(2) != 0;
            capacity = capacities[in.pick(in_place ? 4 : 9)];
            const bool fits = capacity <= most;
            ZT_EQ(zuqueue_size(capacity),
                  fits ? sizeof(zuqueue) + capacity * sizeof(void *) : UINT32_MAX);
            added = taken = 0;
            queued.clear();
            if (in_place) { // exactly the size needed, or a little more
                std::memset(buffer, 0xEE, sizeof buf);
                q = zuqueue_inplace_new(buffer, zuqueue_size(capacity) + in.pick(2) * 7, capacity);
                ZT_EQ(q, reinterpret_cast<zuqueue *>(buffer));
            } else {
                const unsigned refused = in.pick(3);
                id = zt::Heap::next_id();
                q = zt::refusing(refused, [&] { return zuqueue_new(capacity); });
                want = zt::made({{'m', sizeof(zuqueue)}, {'c', capacity * sizeof(void *)}}, refused,
                                id, fits);
                ZT_EQ(q != nullptr, zt::whole(want));
            }
        } else if (op == 0) { // release, handing the rest over oldest first, or not
            const bool with = in.pick(2) != 0;
            for (std::uintptr_t e : with ? queued : std::deque<std::uintptr_t>{}) {
                want.push_back({'X', e});
            }
            taken += with ? unsigned(queued.size()) : 0;
            (in_place ? zuqueue_inplace_free : zuqueue_free)(q, with ? release : nullptr);
            (in_place ? zuqueue_inplace_free : zuqueue_free)(nullptr, release);
            if (!in_place) {
                want.insert(want.end(), {{'F', 'f', id + 1}, {'F', 'f', id}});
            }
            q = nullptr; // an in-place queue's buffer is the caller's again
        } else if (op == 1) {
            const std::uintptr_t e = 0x1000 + 16 * (added + in.pick(2));
            const bool room = queued.size() < capacity;
            ZT_EQ(zuqueue_add(q, zt::fake(e)), room ? 1 : 0);
            if (room) {
                queued.push_back(e);
                ++added;
            }
        } else {
            ZT_EQ(zuqueue_get(q), zt::fake(queued.empty() ? 0 : queued.front()));
            if (!queued.empty()) {
                queued.pop_front();
                ++taken;
            }
        }
    }
    // The record, and the queued elements oldest first from read_index + 1.
    void check() {
        if (q == nullptr) {
            return;
        }
        ZT_CHECK(q->capacity == capacity && q->count == queued.size());
        ZT_CHECK(capacity == 0 || (q->write_index == (capacity - 1 + added) % capacity &&
                                   q->read_index == (capacity - 1 + taken) % capacity));
        ZT_CHECK(in_place ? q->members == reinterpret_cast<void **>(buffer + sizeof(zuqueue))
                          : zt::Heap::id(q) == id && zt::Heap::id(q->members) == id + 1);
        for (std::size_t b = sizeof(zuqueue) + capacity * sizeof(void *);
             in_place && b < sizeof buf; ++b) {
            ZT_EQ(buffer[b], 0xEE);
        }
        for (unsigned s = 0; s < capacity; ++s) {
            const unsigned age = (s + capacity - taken % capacity) % capacity;
            ZT_EQ(zt::num(q->members[s]), age < queued.size() ? queued[age] : 0);
        }
    }
};

} // namespace

void model_zuqueue(zt::Input &in) {
    zt::run<Model>(in);
}
