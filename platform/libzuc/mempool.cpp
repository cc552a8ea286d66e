// Pool of equal-sized elements carved from one zero-filled block.
#include <libzuc/mempool.h>

#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#define ZUC_MODULE "platform/libzuc/mempool"
#include "zuc_check.h"
#include "zuc_export.h"

// A memory checker sees the element block as one live allocation, so by
// itself it cannot tell a free element from one handed out. The pool tells
// it: a free element is off limits until it is handed out again, so a read
// or write of a freed element is reported at the caller's line. Valgrind's
// client requests are a few instructions that do nothing when the program
// runs without it (ZUC_POOL_VALGRIND, see docs/benchmarks.md for their cost);
// AddressSanitizer's poisoning exists only when the library is built with
// it, and covers elements whose size is a multiple of its 8-byte granule.
#include <sanitizer/asan_interface.h>
#ifdef ZUC_POOL_VALGRIND
#include <memcheck.h>
#else
#define VALGRIND_MAKE_MEM_NOACCESS(addr, len) static_cast<void>(0)
#define VALGRIND_MAKE_MEM_DEFINED(addr, len) static_cast<void>(0)
#endif

// The bytes from element on become free or handed out.
static void set_free(void *element, size_t bytes) {
    VALGRIND_MAKE_MEM_NOACCESS(element, bytes);
    ASAN_POISON_MEMORY_REGION(element, bytes);
}
static void set_handed_out(void *element, size_t bytes) {
    VALGRIND_MAKE_MEM_DEFINED(element, bytes);
    ASAN_UNPOISON_MEMORY_REGION(element, bytes);
}

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(mempool) == 20, "five 32-bit fields");
static_assert(offsetof(mempool, nallocated) == 4);
static_assert(offsetof(mempool, elementsize) == 8);
static_assert(offsetof(mempool, stack) == 12);
static_assert(offsetof(mempool, elements) == 16);
#endif

// Marks a stack slot that holds no free element.
static constexpr void *STACK_SENTINEL = nullptr;

// Largest pool the target could address: the element block and the stack
// (one 32-bit slot per element) each within 32 bits. Hosts refuse the same
// pools, so no size that wraps on either ever reaches calloc, and within
// these bounds the real byte counts fit in size_t everywhere.
static constexpr unsigned int max_nelements = UINT32_MAX / 4;
static_assert(sizeof(unsigned int) == 4 && UINT32_MAX <= SIZE_MAX);
static_assert(max_nelements <= SIZE_MAX / sizeof(void *));

static bool fits_in_32_bits(unsigned int nelements, unsigned int elementsize) {
    unsigned int blockSize = 0;
    return !__builtin_mul_overflow(nelements, elementsize, &blockSize) &&
           nelements <= max_nelements;
}

// Takes the free element on top of the stack; the caller has made sure the
// pool is not exhausted.
static void *stack_pop(mempool *pool) {
    void *element = pool->stack[pool->nallocated];
    ZUC_CHECK(element != STACK_SENTINEL);
    pool->stack[pool->nallocated] = STACK_SENTINEL;
    ++pool->nallocated;
    return element;
}

// Puts element on top of the stack; the caller has made sure an element is
// handed out.
static void stack_push(mempool *pool, void *element) {
    --pool->nallocated;
    ZUC_CHECK(pool->stack[pool->nallocated] == STACK_SENTINEL);
    pool->stack[pool->nallocated] = element;
}

ZUC_EXPORT mempool *mempool_create(unsigned int nelements, unsigned int elementsize) {
    ZUC_CHECK(nelements > 0);
    ZUC_CHECK(elementsize > 0);
    if (!fits_in_32_bits(nelements, elementsize)) {
        return nullptr;
    }
    auto *pool = static_cast<mempool *>(malloc(sizeof(mempool)));
    if (pool == nullptr) {
        return nullptr;
    }
    pool->nelements = nelements;
    pool->nallocated = 0;
    pool->elementsize = elementsize;
    pool->elements = calloc(nelements, elementsize);
    if (pool->elements == nullptr) {
        free(pool);
        return nullptr;
    }
    pool->stack = static_cast<void **>(calloc(nelements, sizeof(void *)));
    if (pool->stack == nullptr) {
        free(pool->elements);
        free(pool);
        return nullptr;
    }
    // Slot i holds element i, so a new pool hands out in address order. The
    // address advances by the stride instead of multiplying an index.
    auto *element = static_cast<unsigned char *>(pool->elements);
    for (unsigned int i = 0; i < nelements; ++i, element += elementsize) {
        pool->stack[i] = element;
    }
    set_free(pool->elements, size_t{nelements} * elementsize);
    return pool;
}

ZUC_EXPORT void *mempool_alloc(mempool *pool) {
    ZUC_CHECK(pool != NULL);
    if (pool->nallocated == pool->nelements) {
        return nullptr;
    }
    void *element = stack_pop(pool);
    set_handed_out(element, pool->elementsize);
    return element;
}

ZUC_EXPORT void mempool_free(mempool *pool, void *element) {
    ZUC_CHECK(pool != NULL);
    if (element == nullptr) {
        return;
    }
    ZUC_CHECK(pool->nallocated > 0);
    stack_push(pool, element);
    set_free(element, pool->elementsize);
}

ZUC_EXPORT void mempool_destroy(mempool *pool) {
    if (pool == nullptr) {
        return;
    }
    set_handed_out(pool->elements, size_t{pool->nelements} * pool->elementsize);
    free(pool->stack);
    free(pool->elements);
    free(pool);
}
