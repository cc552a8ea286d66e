// Differential fuzzing of the memory pool: create (with each of its three
// allocations refused in turn), alloc, free and destroy against a model that
// keeps the free elements as a stack of indexes and the bytes each element's
// last user wrote into it.
//
// The harness writes into every element it holds, so an element handed out
// twice, or one that overlaps another or the end of the block, shows as a
// wrong byte or an AddressSanitizer report. After every operation the pool's
// record and its stack are compared with the model. The C heap is counted:
// create allocates three blocks, nothing else allocates, and destroy frees
// them.
#include <libzuc/mempool.h>

#include "fuzz.h"
#include "heap_life.h"

#include <cstring>
#include <vector>

namespace {

using zuc_fuzz::Input;

mempool *pool;
unsigned nelements;
unsigned elementsize;
std::vector<unsigned> free_stack;              // free element indexes, the top last
std::vector<bool> held;                        // handed out now
std::vector<std::vector<unsigned char>> bytes; // what each element holds
zuc_fuzz::HeapLife heap;

unsigned char *element(unsigned n) {
    return static_cast<unsigned char *>(pool->elements) + std::size_t{n} * elementsize;
}

void check() {
    if (pool == nullptr) {
        return;
    }
    FUZZ_EQ(pool->nelements, nelements);
    FUZZ_EQ(pool->elementsize, elementsize);
    const unsigned nallocated = nelements - static_cast<unsigned>(free_stack.size());
    FUZZ_EQ(pool->nallocated, nallocated);
    // Slots below nallocated are empty; from nallocated up they hold the free
    // elements, the top of the stack first.
    for (unsigned slot = 0; slot < nelements; ++slot) {
        void *want = slot < nallocated ? nullptr : element(free_stack[nelements - 1 - slot]);
        FUZZ_EQ(pool->stack[slot], want);
    }
    heap.check();
}

void op_create(Input &in) {
    if (pool != nullptr) {
        return;
    }
    nelements = in.below(40) + 1;
    elementsize = in.below(40) + 1;
    const unsigned fail_at = in.below(5); // 1: the record, 2: the elements, 3: the stack
    heap.begin(fail_at);
    pool = mempool_create(nelements, elementsize);
    if (fail_at >= 1 && fail_at <= 3) {
        FUZZ_EQ(pool, nullptr);
        heap.failed();
        return;
    }
    FUZZ_CHECK(pool != nullptr);
    heap.made(3);
    // Handed out in address order at first, every element zero-filled.
    free_stack.clear();
    for (unsigned n = nelements; n-- > 0;) {
        free_stack.push_back(n);
    }
    held.assign(nelements, false);
    bytes.assign(nelements, std::vector<unsigned char>(elementsize, 0));
}

void op_destroy() {
    if (pool == nullptr) {
        return;
    }
    mempool_destroy(pool);
    pool = nullptr;
    heap.ended();
}

void op_alloc(Input &in) {
    unsigned char *got = static_cast<unsigned char *>(mempool_alloc(pool));
    if (free_stack.empty()) {
        FUZZ_EQ(got, nullptr);
        return;
    }
    const unsigned n = free_stack.back();
    free_stack.pop_back();
    FUZZ_EQ(got, element(n));
    held[n] = true;
    // It holds what its last user left in it (zeros the first time).
    FUZZ_CHECK(std::memcmp(got, bytes[n].data(), elementsize) == 0);
    const unsigned char fill = in.byte();
    std::memset(got, fill, elementsize);
    bytes[n].assign(elementsize, fill);
}

void op_free(Input &in) {
    const unsigned v = in.byte();
    std::vector<unsigned> holding;
    for (unsigned n = 0; n < nelements; ++n) {
        if (held[n]) {
            holding.push_back(n);
        }
    }
    if (v == 0 || holding.empty()) {
        mempool_free(pool, nullptr); // changes nothing, even with nothing handed out
        return;
    }
    const unsigned n = holding[v % holding.size()];
    mempool_free(pool, element(n));
    held[n] = false;
    free_stack.push_back(n);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    Input in(data, size);
    pool = nullptr;
    while (in.more()) {
        const unsigned code = in.byte() % 8;
        if (pool == nullptr) {
            op_create(in);
        } else if (code < 3) {
            op_alloc(in);
        } else if (code < 6) {
            op_free(in);
        } else if (code == 6) {
            op_destroy();
        } else {
            // Overwrite a held element: the pool must not care.
            const unsigned n = in.below(nelements);
            if (held[n]) {
                const unsigned char fill = in.byte();
                std::memset(element(n), fill, elementsize);
                bytes[n].assign(elementsize, fill);
            }
        }
        check();
    }
    op_destroy();
    return 0;
}
