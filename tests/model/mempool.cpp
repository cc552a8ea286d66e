// Model of the memory pool: its stack array slot by slot (the free elements
// from nallocated up, NULL below) and the bytes each element's last user left
// in it (the model writes into every element it holds).
#include <libzuc/mempool.h>

#include "model.h"

#include <algorithm>
#include <cstring>
#include <vector>

void model_mempool(zt::Input &in) {
    const unsigned live = zt::Heap::live();
    mempool *pool = nullptr;
    unsigned n = 0, size = 0, ids[1] = {}; // the record's; the elements' and the stack's follow
    std::vector<int> slots;                // element numbers, -1 for NULL
    std::vector<unsigned> held;
    std::vector<std::uint8_t> content; // the byte every element was last filled with
    std::vector<zt::Ev> want;
    zt::log().clear();
    while (in.next_op()) {
        const unsigned op = in.pick(4);
        if (pool == nullptr) { // small pools, and sizes about the 32-bit limits
            static const unsigned shapes[][2] = {
                {1, 1},
                {2, 4},
                {3, 6},
                {7, 16},
                {65537, 65535},
                {1, UINT32_MAX},
                {(1u << 30) - 1, 1},
                {65536, 65536},
                {2, 1u << 31},
                {UINT32_MAX, 2},
                {1u << 30, 1}}; // the last four do not fit in 32 bits, nor does its stack
            const unsigned shape = in.pick(11), refused = in.pick(4);
            n = shapes[shape][0];
            size = shapes[shape][1];
            ids[0] = zt::Heap::next_id();
            zt::Heap::refuse(refused);
            pool = mempool_create(n, size);
            zt::Heap::refuse(0);
            want = zt::made(
                {{'m', sizeof(mempool)}, {'c', std::size_t{n} * size}, {'c', n * sizeof(void *)}},
                refused, ids[0], shape < 7);
            ZT_EQ(pool != nullptr, zt::whole(want));
            slots.clear();
            for (unsigned e = 0; pool != nullptr && e < n; ++e) {
                slots.push_back(int(e)); // handed out in address order at first
            }
            held.clear();
            content.assign(slots.size(), 0);
        } else if (op == 0) {
            mempool_destroy(pool);
            mempool_destroy(nullptr);
            pool = nullptr;
            want = {{'F', 'f', ids[0] + 2}, {'F', 'f', ids[0] + 1}, {'F', 'f', ids[0]}};
        } else if (op == 1) { // the element on top of the stack, holding what its last user left
            auto *got = static_cast<std::uint8_t *>(mempool_alloc(pool));
            const unsigned top = unsigned(held.size());
            ZT_EQ(got, top == n ? nullptr
                                : static_cast<std::uint8_t *>(pool->elements) + slots[top] * size);
            if (top < n) {
                const unsigned e = unsigned(slots[top]);
                for (unsigned b = 0; b < size; ++b) {
                    ZT_EQ(got[b], content[e]);
                }
                content[e] = std::uint8_t(in.raw() | 1);
                std::memset(got, content[e], size);
                slots[top] = -1;
                held.push_back(e);
            }
        } else { // any element held, or NULL, goes back on top
            const unsigned which = in.pick(unsigned(held.size()) + 1);
            mempool_free(pool, which == 0 ? nullptr
                                          : static_cast<std::uint8_t *>(pool->elements) +
                                                held[which - 1] * size);
            if (which != 0) {
                slots[held.size() - 1] = int(held[which - 1]);
                held.erase(held.begin() + which - 1);
            }
        }
        ZT_EVENTS(want);
        want.clear();
        if (pool != nullptr) {
            ZT_CHECK(pool->nelements == n && pool->elementsize == size &&
                     pool->nallocated == held.size());
            ZT_CHECK(zt::Heap::id(pool) == ids[0] && zt::Heap::id(pool->elements) == ids[0] + 1 &&
                     zt::Heap::id(pool->stack) == ids[0] + 2);
            for (unsigned s = 0; s < n; ++s) {
                ZT_EQ(pool->stack[s],
                      slots[s] < 0 ? nullptr
                                   : static_cast<std::uint8_t *>(pool->elements) + slots[s] * size);
            }
        }
    }
    mempool_destroy(pool);
    zt::log().clear();
    ZT_EQ(zt::Heap::live(), live);
}
