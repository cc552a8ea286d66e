// Bounded first-in-first-out queue of pointers, on the heap or in place.
#include <libzuc/zuqueue.h>

#include <limits.h>
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#define ZUC_MODULE "platform/libzuc/zuqueue"
#include "zuc_check.h"
#include "zuc_export.h"

// The in-place buffer is part of the interface: five 32-bit words, then the
// slots, on the target.
#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(zuqueue) == 20, "five 32-bit fields");
static_assert(offsetof(zuqueue, count) == 4);
static_assert(offsetof(zuqueue, write_index) == 8);
static_assert(offsetof(zuqueue, read_index) == 12);
static_assert(offsetof(zuqueue, members) == 16);
static_assert(ZUQUEUE_MAX_CAPACITY == 1073741818u, "(capacity + 5) * 4 within 32 bits");
static_assert(ZUQUEUE_SIZE(0) == 20 && ZUQUEUE_SIZE(1) == 24 && ZUQUEUE_SIZE(10) == 60);
#endif
// Within the limit neither the in-place size nor the slot array's byte count
// can wrap.
static_assert(ZUQUEUE_MAX_CAPACITY * sizeof(void *) + sizeof(zuqueue) <= UINT_MAX);

// The slot after i. Indexes stay below capacity, so no division is needed
// (the target has no divide instruction).
static unsigned int next_slot(const zuqueue *p, unsigned int i) {
    return i + 1 == p->capacity ? 0 : i + 1;
}

static void start_empty(zuqueue *p, unsigned int capacity) {
    p->capacity = capacity;
    p->count = 0;
    p->write_index = capacity - 1;
    p->read_index = capacity - 1;
}

static void drain(zuqueue *p, zuqueue_release_fn release) {
    for (void *elem = zuqueue_get(p); elem != nullptr; elem = zuqueue_get(p)) {
        release(elem);
    }
}

ZUC_EXPORT zuqueue *zuqueue_new(unsigned int capacity) {
    if (capacity > ZUQUEUE_MAX_CAPACITY) {
        return nullptr;
    }
    auto *p = static_cast<zuqueue *>(malloc(sizeof(zuqueue)));
    if (p == nullptr) {
        return nullptr;
    }
    p->members = static_cast<void **>(calloc(capacity, sizeof(void *)));
    if (p->members == nullptr) {
        free(p);
        return nullptr;
    }
    start_empty(p, capacity);
    return p;
}

ZUC_EXPORT unsigned int zuqueue_size(unsigned int capacity) {
    if (capacity > ZUQUEUE_MAX_CAPACITY) {
        return UINT_MAX; // saturated: the true size does not fit
    }
    return ZUQUEUE_SIZE(capacity);
}

ZUC_EXPORT zuqueue *zuqueue_inplace_new(void *mem, unsigned int memsize, unsigned int capacity) {
    ZUC_CHECK(mem != NULL);
    ZUC_CHECK(memsize > 0);
    ZUC_CHECK(capacity > 0);
    ZUC_CHECK(capacity <= ZUQUEUE_MAX_CAPACITY);
    ZUC_CHECK(memsize >= zuqueue_size(capacity));
    auto *p = static_cast<zuqueue *>(mem);
    p->members = reinterpret_cast<void **>(p + 1);
    for (unsigned int i = 0; i < capacity; ++i) {
        p->members[i] = nullptr;
    }
    start_empty(p, capacity);
    return p;
}

ZUC_EXPORT int zuqueue_add(zuqueue *p, void *elem) {
    ZUC_CHECK(p != NULL);
    ZUC_CHECK(elem != NULL);
    if (p->count == p->capacity) {
        return 0;
    }
    unsigned int i = next_slot(p, p->write_index);
    ZUC_CHECK(p->members[i] == NULL);
    p->members[i] = elem;
    p->write_index = i;
    ++p->count;
    return 1;
}

ZUC_EXPORT void *zuqueue_get(zuqueue *p) {
    ZUC_CHECK(p != NULL);
    if (p->count == 0) {
        return nullptr;
    }
    unsigned int i = next_slot(p, p->read_index);
    void *elem = p->members[i];
    ZUC_CHECK(elem != NULL);
    p->read_index = i;
    --p->count;
    p->members[i] = nullptr;
    return elem;
}

ZUC_EXPORT void zuqueue_free(zuqueue *p, zuqueue_release_fn release) {
    if (p == nullptr) {
        return;
    }
    if (release != nullptr) {
        drain(p, release);
    }
    free(p->members);
    free(p);
}

ZUC_EXPORT void zuqueue_inplace_free(zuqueue *p, zuqueue_release_fn release) {
    if (p == nullptr || release == nullptr) {
        return;
    }
    drain(p, release);
}
