// The heap tracker of model.h: the --wrap side. The linker's --wrap fixes the names: __wrap_X
// receives the program's calls of X, and __real_X is X itself.
#include "model.h"

#include <cerrno>
#include <cstring>

// NOLINTBEGIN(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp)
extern "C" {
void *__real_malloc(std::size_t size);
void *__real_calloc(std::size_t count, std::size_t size);
int __real_posix_memalign(void **out, std::size_t alignment, std::size_t size);
void __real_free(void *block);
}

namespace zt {

// Made on first use (a static constructor may allocate first) with operator new, from the C++
// runtime's own shared object, which never comes back here; never destroyed, as the coverage
// runtime allocates after the static destructors.
std::unordered_map<const void *, unsigned> &Heap::blocks() {
    static auto &map = *new std::unordered_map<const void *, unsigned>;
    return map;
}
std::vector<Ev> &log() {
    static auto &events = *new std::vector<Ev>; // as Heap::blocks()
    return events;
}

constexpr unsigned char garbage = 0xA5; // in fresh blocks, so that a field left unset shows

// The block real() gets from the C library, unless this request is refused.
template <class F>
void *grant(char source, unsigned long long bytes, bool fill, F real) {
    if ((Heap::refuse_at != 0 && --Heap::refuse_at == 0) || bytes >= 0x10000000ULL) {
        log().push_back({'R', std::uintptr_t(source), std::uintptr_t(bytes)});
        return nullptr;
    }
    void *block = real();
    if (block != nullptr) {
        std::memset(block, garbage, fill ? bytes : 0);
        Heap::blocks()[block] = ++Heap::serial;
        log().push_back({'A', std::uintptr_t(source), std::uintptr_t(bytes), Heap::serial});
    }
    return block;
}
void release(char source, void *block) {
    if (block != nullptr) {
        log().push_back({'F', std::uintptr_t(source), Heap::id(block)});
        Heap::blocks().erase(block);
    }
    __real_free(block);
}

void *pair_alloc(std::size_t bytes) {
    return grant('1', bytes, true, [=] { return __real_malloc(bytes); });
}
void pair_free(void *block) {
    release('1', block);
}

} // namespace zt

extern "C" {
void *__wrap_malloc(std::size_t size) {
    return zt::grant('m', size, true, [=] { return __real_malloc(size); });
}
void *__wrap_calloc(std::size_t count, std::size_t size) {
    const unsigned long long bytes = static_cast<unsigned long long>(count) * size;
    return zt::grant('c', bytes, false, [=] { return __real_calloc(count, size); });
}
int __wrap_posix_memalign(void **out, std::size_t alignment, std::size_t size) {
    // An alignment the C library refuses is refused here as it would be: a sanitizer's allocator
    // would stop the program instead.
    if (alignment < sizeof(void *) || (alignment & (alignment - 1)) != 0) {
        return EINVAL;
    }
    int rc = ENOMEM;
    zt::grant('p', size, true, [&] {
        return (rc = __real_posix_memalign(out, alignment, size)) == 0 ? *out : nullptr;
    });
    return rc;
}
void __wrap_free(void *block) {
    zt::release('f', block);
}
}
// NOLINTEND(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp)
