// The C heap over one object's life, for the harnesses of the families that
// allocate when an object is made and never afterwards (hash table, memory
// pool, heap queue, heap sliding average). It runs on the counting wrappers
// of support/heap_wrap.h, which the harness is linked with.
#ifndef LIBZUC_TESTS_FUZZ_HEAP_LIFE_H
#define LIBZUC_TESTS_FUZZ_HEAP_LIFE_H

#include "fuzz.h"
#include "heap_wrap.h"

namespace zuc_fuzz {

class HeapLife {
  public:
    // Before the object is made: counts from here, refusing the fail_at-th
    // allocation (none when 0).
    void begin(unsigned fail_at = 0) { zuc_test::Heap::start(fail_at); }
    // Making the object failed: whatever it had allocated was released.
    void failed() {
        const zuc_test::HeapCount count = zuc_test::Heap::stop();
        FUZZ_EQ(count.live, 0u);
        FUZZ_EQ(count.frees + count.refused, count.allocations);
    }
    // The object was made and holds blocks allocations (0 in place).
    void made(unsigned blocks) {
        FUZZ_EQ(zuc_test::Heap::now().live, blocks);
        FUZZ_EQ(zuc_test::Heap::now().allocations, blocks);
        blocks_ = blocks;
    }
    // Nothing allocated since the object was made.
    void check() const { FUZZ_EQ(zuc_test::Heap::now().allocations, blocks_); }
    // The object was released: all its blocks, nothing else.
    void ended() {
        const zuc_test::HeapCount count = zuc_test::Heap::stop();
        FUZZ_EQ(count.live, 0u);
        FUZZ_EQ(count.frees, blocks_);
        FUZZ_EQ(count.allocations, blocks_);
    }

  private:
    unsigned blocks_ = 0;
};

} // namespace zuc_fuzz

#endif
