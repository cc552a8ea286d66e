// Model of the memory pool: the stack slot by slot (NULL below nallocated, free elements above),
// and the bytes each element's last user left in it (the model fills every element it holds).
#include <libzuc/mempool.h>

#include "model.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <vector>

namespace {

struct Model {
    mempool *pool = nullptr;
    unsigned n = 0, size = 0, id = 0; // the record's id; the elements' and the stack's follow
    std::vector<unsigned> slots;      // the element each slot from nallocated up points to
    std::vector<unsigned> held;
    std::vector<std::uint8_t> content; // the byte every element was last filled with
    std::vector<zt::Ev> want;
    ~Model() { mempool_destroy(pool); }
    auto *element(unsigned e) { return static_cast<std::uint8_t *>(pool->elements) + e * size; }
    void step(zt::Input &in) {
        const unsigned op = in.pick(4);
        if (pool == nullptr) { // small pools, and sizes about the 32-bit limits
            constexpr unsigned m = UINT32_MAX, g = 1u << 30;
            static const unsigned counts[] = {1, 2, 3, 7, 65537, 1, g - 1, 65536, 2, m, g};
            static const unsigned sizes[] = {1, 4, 6, 16, 65535, m, 1, 65536, 1u << 31, 2, 1};
            const unsigned shape = in.pick(11), refused = in.pick(4); // the last four do not fit
            n = counts[shape], size = sizes[shape];
            pool = zt::construct(
                [&] { return mempool_create(n, size); },
                {{'m', sizeof(mempool)}, {'c', std::size_t{n} * size}, {'c', n * sizeof(void *)}},
                refused, shape < 7, id, want);
            slots.resize(pool != nullptr ? n : 0); // handed out in address order at first
            std::iota(slots.begin(), slots.end(), 0u);
            content.assign(slots.size(), 0);
            held.clear();
        } else if (op == 0) {
            mempool_destroy(pool);
            mempool_destroy(nullptr);
            pool = nullptr;
            want = {{'F', 'f', id + 2}, {'F', 'f', id + 1}, {'F', 'f', id}};
        } else if (op == 1) { // the element on top of the stack, holding what its last user left
            auto *got = static_cast<std::uint8_t *>(mempool_alloc(pool));
            const unsigned e = held.size() < n ? slots[held.size()] : n; // n: none left
            ZT_EQ(got, e < n ? element(e) : nullptr);
            if (e < n) {
                ZT_EQ(unsigned(std::count(got, got + size, content[e])), size);
                content[e] = std::uint8_t(in.raw() | 1);
                std::memset(got, content[e], size);
                held.push_back(e);
            }
        } else { // any element held, or NULL, goes back on top
            const unsigned which = in.pick(unsigned(held.size()) + 1);
            mempool_free(pool, which == 0 ? nullptr : element(held[which - 1]));
            if (which != 0) {
                slots[held.size() - 1] = held[which - 1];
                held.erase(held.begin() + which - 1);
            }
        }
    }
    void check() {
        if (pool != nullptr) {
            ZT_CHECK(pool->nelements == n && pool->elementsize == size &&
                     pool->nallocated == held.size() && zt::Heap::id(pool) == id &&
                     zt::Heap::id(pool->elements) == id + 1 && zt::Heap::id(pool->stack) == id + 2);
            for (unsigned s = 0; s < n; ++s) {
                ZT_EQ(pool->stack[s], s < held.size() ? nullptr : element(slots[s]));
            }
        }
    }
};

} // namespace

void model_mempool(zt::Input &in) {
    zt::run<Model>(in);
}
