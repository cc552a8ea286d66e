// The --wrap side of heap_wrap.h. The wrappers must not allocate themselves,
// so the blocks allocated during a count are kept in a fixed table.
#include "heap_wrap.h"

#include <cerrno>
#include <cstddef>

extern "C" {
void *__real_malloc(std::size_t size);
void *__real_calloc(std::size_t count, std::size_t size);
int __real_posix_memalign(void **out, std::size_t alignment, std::size_t size);
void __real_free(void *block);

void *__wrap_malloc(std::size_t size);
void *__wrap_calloc(std::size_t count, std::size_t size);
int __wrap_posix_memalign(void **out, std::size_t alignment, std::size_t size);
void __wrap_free(void *block);
}

namespace {

constexpr unsigned max_tracked = 4096;

bool counting = false;
unsigned fail_at = 0;
zuc_test::HeapCount count{};
void *tracked[max_tracked];
const void *freed_log[max_tracked]; // the first frees, in order of release

// Decides whether this allocation call is refused, and counts it.
bool refuse_next() {
    if (!counting) {
        return false;
    }
    ++count.allocations;
    if (count.allocations == fail_at) {
        ++count.refused;
        return true;
    }
    return false;
}

void track(void *block) {
    if (!counting || block == nullptr) {
        return;
    }
    for (void *&slot : tracked) {
        if (slot == nullptr) {
            slot = block;
            ++count.live;
            return;
        }
    }
    __builtin_trap(); // more live blocks than a unit test should ever make
}

void untrack(void *block) {
    if (!counting || block == nullptr) {
        return;
    }
    for (void *&slot : tracked) {
        if (slot == block) {
            slot = nullptr;
            --count.live;
            if (count.frees < max_tracked) {
                freed_log[count.frees] = block;
            }
            ++count.frees;
            return;
        }
    }
}

} // namespace

extern "C" void *__wrap_malloc(std::size_t size) {
    if (refuse_next()) {
        return nullptr;
    }
    void *block = __real_malloc(size);
    track(block);
    return block;
}

extern "C" void *__wrap_calloc(std::size_t count_, std::size_t size) {
    if (refuse_next()) {
        return nullptr;
    }
    void *block = __real_calloc(count_, size);
    track(block);
    return block;
}

extern "C" int __wrap_posix_memalign(void **out, std::size_t alignment, std::size_t size) {
    if (refuse_next()) {
        return ENOMEM;
    }
    int rc = __real_posix_memalign(out, alignment, size);
    if (rc == 0) {
        track(*out);
    }
    return rc;
}

extern "C" void __wrap_free(void *block) {
    untrack(block);
    __real_free(block);
}

namespace zuc_test {

void Heap::start(unsigned fail_at_call) {
    for (void *&slot : tracked) {
        slot = nullptr;
    }
    count = HeapCount{};
    fail_at = fail_at_call;
    counting = true;
}

HeapCount Heap::stop() {
    counting = false;
    return count;
}

HeapCount Heap::now() {
    return count;
}

const void *Heap::freed(unsigned n) {
    return n < count.frees && n < max_tracked ? freed_log[n] : nullptr;
}

} // namespace zuc_test
