// Counting and failing the C heap under test.
//
// Test programs declared with zuc_add_test(... WRAP_HEAP) link the static
// library and pass the linker --wrap=malloc,calloc,posix_memalign,free: every
// call of those functions from the program's own objects (the library's among
// them) goes through the wrappers in heap_wrap.cpp, which forward to the C
// library. The C++ runtime and the sanitizers allocate through their own
// shared objects and are not affected.
//
// While a count is running, the wrappers record each allocation call and can
// refuse the n-th one (malloc/calloc return NULL, posix_memalign ENOMEM), which
// is exactly the failure the library must handle.
#ifndef LIBZUC_TESTS_HEAP_WRAP_H
#define LIBZUC_TESTS_HEAP_WRAP_H

namespace zuc_test {

// One allocation call seen during a count.
struct HeapCall {
    const void *block;        // the block returned; null when refused or failed
    unsigned long long bytes; // bytes asked for (count * size for calloc, without wrapping)
};

struct HeapCount {
    unsigned allocations; // allocation calls seen, refused ones included
    unsigned refused;     // allocation calls answered with a failure
    unsigned frees;       // free() calls with a block allocated during the count
    unsigned live;        // blocks allocated during the count and not freed
};

class Heap {
  public:
    // Starts a count; refuses the fail_at-th allocation call (from 1), or none
    // when fail_at is 0.
    static void start(unsigned fail_at = 0);
    // Ends the count and returns it.
    static HeapCount stop();
    // Refuses the n-th allocation call from now on (1: the next one), instead
    // of any set before; 0 refuses none. Lets a test build its fixtures inside
    // the count and fail only the operation under test.
    static void fail_in(unsigned n);
    // The count so far, without ending it.
    static HeapCount now();
    // The n-th allocation call (from 0) of the count, refused ones included,
    // or {null, 0} past the end of the log.
    static HeapCall call(unsigned n);
    // The n-th block (from 0) that free() released during the count, or null
    // past the end of the log, so a test can check the order of releases.
    static const void *freed(unsigned n);
};

} // namespace zuc_test

#endif
