// Model of the queue, both forms: every element added and the number taken (the rest queued), which
// give both indexes and every slot; and the bytes of the caller's buffer past the queue.
#include <libzuc/zuqueue.h>

#include "model.h"

#include <algorithm>
#include <cstring>

namespace {

const zuqueue_release_fn release = [](void *e) { zt::log().push_back({'X', zt::num(e)}); };

struct Model {
    union { // a static buffer as zuqueue.h shows it: aligned for the record, sized by ZUQUEUE_SIZE
        zuqueue record;
        unsigned char bytes[ZUQUEUE_SIZE(8) + 16];
    } buf;
    zuqueue *q = nullptr;
    bool in_place = false;
    unsigned capacity = 0, taken = 0, id = 0; // the record's id; the slots' follows
    std::vector<std::uintptr_t> added;
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
            added.clear();
            taken = 0;
            if (in_place) { // exactly the size needed, or a little more
                std::memset(buf.bytes, 0xEE, sizeof buf);
                q = zuqueue_inplace_new(&buf, zuqueue_size(capacity) + in.pick(2) * 7, capacity);
                ZT_EQ(q, &buf.record);
            } else {
                const unsigned refused = in.pick(3);
                q = zt::construct([&] { return zuqueue_new(capacity); },
                                  {{'m', sizeof(zuqueue)}, {'c', capacity * sizeof(void *)}},
                                  refused, fits, id, want);
            }
        } else if (op == 0) { // release, handing the rest over oldest first, or not
            const bool with = in.pick(2) != 0;
            for (std::size_t i = taken; with && i < added.size(); ++i) {
                want.push_back({'X', added[i]});
            }
            (in_place ? zuqueue_inplace_free : zuqueue_free)(q, with ? release : nullptr);
            (in_place ? zuqueue_inplace_free : zuqueue_free)(nullptr, release);
            if (!in_place) { // an in-place queue frees nothing; its buffer is the caller's again
                want.insert(want.end(), {{'F', 'f', id + 1}, {'F', 'f', id}});
            }
            q = nullptr;
        } else if (op == 1) {
            const std::uintptr_t e = 0x1000 + 16 * (added.size() + in.pick(2));
            const bool room = added.size() - taken < capacity;
            ZT_EQ(zuqueue_add(q, zt::fake(e)), room ? 1 : 0);
            if (room) {
                added.push_back(e);
            }
        } else { // the oldest, or NULL
            ZT_EQ(zuqueue_get(q), zt::fake(taken < added.size() ? added[taken++] : 0));
        }
    }
    // The record, the slots oldest first from read_index + 1, the buffer past the queue.
    void check() {
        if (q == nullptr) {
            return;
        }
        const std::uint64_t ring = capacity == 0 ? 1ull << 32 : capacity; // 0: both stay at ~0u
        ZT_CHECK(q->capacity == capacity && q->count == added.size() - taken &&
                 q->write_index == (capacity - 1 + added.size()) % ring &&
                 q->read_index == (capacity - 1 + taken) % ring);
        ZT_CHECK(in_place ? q->members == reinterpret_cast<void **>(&buf.record + 1) &&
                                std::all_of(buf.bytes + sizeof(zuqueue) + capacity * sizeof(void *),
                                            std::end(buf.bytes), [](auto b) { return b == 0xEE; })
                          : zt::Heap::id(q) == id && zt::Heap::id(q->members) == id + 1);
        for (std::size_t i = taken; i < taken + capacity; ++i) {
            ZT_EQ(zt::num(q->members[i % capacity]), i < added.size() ? added[i] : 0);
        }
    }
};

} // namespace

void model_zuqueue(zt::Input &in) {
    zt::run<Model>(in);
}
