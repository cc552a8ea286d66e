// The heap tracker of model.h: the --wrap side.
#include "model.h"

#include <cerrno>
#include <cstring>
#include <unordered_map>

// The linker's --wrap fixes these names: __wrap_X receives the program's calls
// of X, and __real_X is X itself.
// NOLINTBEGIN(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp)
extern "C" {
void *__real_malloc(std::size_t size);
void *__real_calloc(std::size_t count, std::size_t size);
int __real_posix_memalign(void **out, std::size_t alignment, std::size_t size);
void __real_free(void *block);
}

namespace {

unsigned refuse_at = 0, serial = 0;
constexpr unsigned char garbage = 0xA5; // in every fresh block from malloc
// Made on first use (a static constructor may allocate first) with operator
// new, from the C++ runtime's own shared object, which never comes back
// here; never destroyed, as the coverage runtime allocates after the static
// destructors.
std::unordered_map<const void *, unsigned> &blocks() {
    static auto &map = *new std::unordered_map<const void *, unsigned>;
    return map;
}

bool refused(char source, unsigned long long bytes) {
    const bool no = (refuse_at != 0 && --refuse_at == 0) || bytes >= 0x10000000ULL;
    if (no) {
        zt::log().push_back({'R', std::uintptr_t(source), std::uintptr_t(bytes)});
    }
    return no;
}

void *track(char source, void *block, unsigned long long bytes, bool fill) {
    if (block != nullptr) {
        std::memset(block, garbage, fill ? bytes : 0);
        blocks()[block] = ++serial;
        zt::log().push_back({'A', std::uintptr_t(source), std::uintptr_t(bytes), serial});
    }
    return block;
}

void untrack(char source, void *block) {
    if (block != nullptr) {
        zt::log().push_back({'F', std::uintptr_t(source), zt::Heap::id(block)});
        blocks().erase(block);
    }
    __real_free(block);
}

} // namespace

extern "C" {
void *__wrap_malloc(std::size_t size) {
    return refused('m', size) ? nullptr : track('m', __real_malloc(size), size, true);
}
void *__wrap_calloc(std::size_t count, std::size_t size) {
    const unsigned long long bytes = static_cast<unsigned long long>(count) * size;
    return refused('c', bytes) ? nullptr : track('c', __real_calloc(count, size), bytes, false);
}
int __wrap_posix_memalign(void **out, std::size_t alignment, std::size_t size) {
    // An alignment the C library refuses is refused here as it would be: a
    // sanitizer's allocator would stop the program instead.
    if (alignment < sizeof(void *) || (alignment & (alignment - 1)) != 0) {
        return EINVAL;
    }
    if (refused('p', size)) {
        return ENOMEM;
    }
    const int rc = __real_posix_memalign(out, alignment, size);
    track('p', rc == 0 ? *out : nullptr, size, true);
    return rc;
}
void __wrap_free(void *block) {
    untrack('f', block);
}
}
// NOLINTEND(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp)

namespace zt {

std::vector<Ev> &log() {
    static auto &events = *new std::vector<Ev>; // as blocks()
    return events;
}
void Heap::refuse(unsigned n) {
    refuse_at = n;
}
unsigned Heap::next_id() {
    return serial + 1;
}
unsigned Heap::live() {
    return unsigned(blocks().size());
}
unsigned Heap::id(const void *block) {
    const auto found = blocks().find(block);
    return found == blocks().end() ? 0 : found->second;
}
void *pair_alloc(std::size_t bytes) {
    return refused('1', bytes) ? nullptr : track('1', __real_malloc(bytes), bytes, true);
}
void pair_free(void *block) {
    untrack('1', block);
}

} // namespace zt
