// The --wrap side of heap_wrap.h. The wrappers must not allocate themselves,
// so the blocks allocated during a count are kept in a fixed table.
#include "heap_wrap.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <iterator>

// The linker's --wrap fixes these names: __wrap_X receives the program's calls
// of X, and __real_X is X itself.
// NOLINTBEGIN(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp)
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
// NOLINTEND(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp)

namespace {

constexpr unsigned max_tracked = 4096;

bool counting = false;
unsigned fail_at = 0;
zuc_test::HeapCount count{};
void *tracked[max_tracked];
const void *freed_log[max_tracked];       // the first frees, in order of release
zuc_test::HeapCall call_log[max_tracked]; // the first allocation calls, in order

// Decides whether this allocation call of bytes is refused, and counts and
// logs it.
bool refuse_next(unsigned long long bytes) {
    if (!counting) {
        return false;
    }
    if (count.allocations < max_tracked) {
        call_log[count.allocations] = {nullptr, bytes};
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
    if (count.allocations <= max_tracked) {
        call_log[count.allocations - 1].block = block;
    }
    void **slot = std::find(std::begin(tracked), std::end(tracked), nullptr);
    if (slot == std::end(tracked)) {
        __builtin_trap(); // more live blocks than a unit test should ever make
    }
    *slot = block;
    ++count.live;
}

void untrack(void *block) {
    if (!counting || block == nullptr) {
        return;
    }
    void **slot = std::find(std::begin(tracked), std::end(tracked), block);
    if (slot == std::end(tracked)) {
        return; // allocated before the count
    }
    *slot = nullptr;
    --count.live;
    if (count.frees < max_tracked) {
        freed_log[count.frees] = block;
    }
    ++count.frees;
}

} // namespace

extern "C" void *__wrap_malloc(std::size_t size) {
    if (refuse_next(size)) {
        return nullptr;
    }
    void *block = __real_malloc(size);
    track(block);
    return block;
}

extern "C" void *__wrap_calloc(std::size_t count_, std::size_t size) {
    if (refuse_next(static_cast<unsigned long long>(count_) * size)) {
        return nullptr;
    }
    void *block = __real_calloc(count_, size);
    track(block);
    return block;
}

extern "C" int __wrap_posix_memalign(void **out, std::size_t alignment, std::size_t size) {
    if (refuse_next(size)) {
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
    std::fill(std::begin(tracked), std::end(tracked), nullptr);
    count = HeapCount{};
    fail_at = fail_at_call;
    counting = true;
}

HeapCount Heap::stop() {
    counting = false;
    return count;
}

void Heap::fail_in(unsigned n) {
    fail_at = n == 0 ? 0 : count.allocations + n;
}

HeapCount Heap::now() {
    return count;
}

HeapCall Heap::call(unsigned n) {
    return n < count.allocations && n < max_tracked ? call_log[n] : HeapCall{nullptr, 0};
}

const void *Heap::freed(unsigned n) {
    return n < count.frees && n < max_tracked ? freed_log[n] : nullptr;
}

} // namespace zuc_test
