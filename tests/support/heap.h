// The one heap tracker of the tests.
//
// Test programs link the static library with the linker's
// --wrap=malloc,calloc,posix_memalign,free, so every call of those from the
// program's own objects (the library's among them) comes here. Every block
// handed out gets a serial id (1, 2, ...), and every call goes to the event
// log, where a model compares it with what it expects, in order, beside the
// calls of its own callbacks.
//
// Fresh blocks from malloc and posix_memalign are filled with a garbage byte,
// so that a field the library forgets to set shows in a plain release run.
// Requests of 256 MiB and more are refused, as a small 32-bit system would;
// refusing the n-th allocation from now is a mode.
#ifndef ZUC_TESTS_HEAP_H
#define ZUC_TESTS_HEAP_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zt {

// A heap call or a call of a test callback. Heap calls: 'A' (source, bytes,
// id), 'R' (source, bytes) for a refusal, 'F' (source, id; 0 for a block the
// tracker never handed out). Sources: 'm' malloc, 'c' calloc, 'p'
// posix_memalign, 'f' free, '1' the allocator pair below.
struct Ev {
    char kind;
    std::uintptr_t a = 0, b = 0, c = 0;
    bool operator==(const Ev &) const = default;
};
std::vector<Ev> &log();

struct Heap {
    static void refuse(unsigned n);        // refuses the n-th allocation from now (0: none)
    static unsigned next_id();             // the id of the next block
    static unsigned live();                // blocks handed out and not released
    static unsigned id(const void *block); // a live block's id, else 0
};

// An allocator pair for the generic list (source '1'), over the same tracker.
void *pair_alloc(std::size_t bytes);
void pair_free(void *block);

} // namespace zt

#endif
