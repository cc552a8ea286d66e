// Helpers shared by the libzuc test programs.
#ifndef LIBZUC_TESTS_ZUC_TEST_H
#define LIBZUC_TESTS_ZUC_TEST_H

#include "heap_wrap.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdlib>
#include <string>
#include <vector>

namespace zuc_test {

// Regex for the whole assertion report of a failed library check, e.g.
//   platform/libzuc/llist:123: list_add: Assertion `!lst->is_sublist' failed.
// Module path, function name and expression text must all match exactly, so a
// wrong module, a C++ signature instead of the bare name, or a reworded
// expression fails the test. The end is not anchored: the emulator appends a
// line of its own after the report.
inline std::string check_report(const char *module, const char *function, const char *expression) {
    std::string escaped;
    for (const char *c = expression; *c != '\0'; ++c) {
        if (std::string("\\.[](){}*+?|^$").find(*c) != std::string::npos) {
            escaped += '\\';
        }
        escaped += *c;
    }
    return std::string("platform/libzuc/") + module + ":[0-9]+: " + function + ": Assertion ." +
           escaped + ". failed";
}

// An allocator pair for the generic list that logs every call and can refuse
// the n-th allocation. Element releases handed to a release callback can be
// logged in the same timeline, to see how they interleave with the block
// releases. The state is global: a test resets it first.
struct AllocEvent {
    enum Kind { Alloc, Free, Element } kind;
    std::size_t size; // Alloc: bytes asked for
    void *block;      // block returned (null when refused), block released, or element
};

class RecordingAllocator {
  public:
    static void reset() {
        events().clear();
        fail_at_ = allocations_ = 0;
        live_ = 0;
    }
    // Refuse the n-th allocation from now on (1: the next one; 0: none).
    static void fail_at(unsigned n) { fail_at_ = n == 0 ? 0 : allocations_ + n; }
    static void *alloc(std::size_t size) {
        void *block = ++allocations_ == fail_at_ ? nullptr : std::malloc(size);
        live_ += block != nullptr ? 1 : 0;
        events().push_back({AllocEvent::Alloc, size, block});
        return block;
    }
    static void release(void *block) {
        events().push_back({AllocEvent::Free, 0, block});
        live_ -= block != nullptr ? 1 : 0;
        std::free(block);
    }
    static void release_element(void *element) {
        events().push_back({AllocEvent::Element, 0, element});
    }
    static std::vector<AllocEvent> &events() {
        static std::vector<AllocEvent> log;
        return log;
    }
    // Blocks allocated and not yet released, whether or not the log was
    // cleared in between.
    static int live_blocks() { return live_; }

  private:
    static inline unsigned fail_at_ = 0;
    static inline unsigned allocations_ = 0;
    static inline int live_ = 0;
};

// For programs that wrap the heap (heap_wrap.h): calls made() with the 1st,
// 2nd, ... allocation refused until one call refuses none. made() builds an
// object, releases it and tells whether it was made: it must not be while an
// allocation is refused, and no call may leave a block allocated. Returns the
// number of calls, the successful one included.
template <class Made>
unsigned runs_until_made(Made made) {
    for (unsigned fail_at = 1; fail_at < 64; ++fail_at) {
        Heap::start(fail_at);
        const bool result = made();
        const HeapCount count = Heap::stop();
        EXPECT_EQ(count.live, 0u) << "allocation " << fail_at << " refused";
        EXPECT_EQ(result, count.refused == 0) << "allocation " << fail_at << " refused";
        if (count.refused == 0) {
            return fail_at;
        }
    }
    return 0;
}

// Death tests belong to suites named *DeathTest: GoogleTest runs those first
// (before other threads exist), and the memcheck run filters them out by name.
inline bool in_death_test_suite() {
    const std::string suite =
        ::testing::UnitTest::GetInstance()->current_test_info()->test_suite_name();
    const std::string suffix = "DeathTest";
    return suite.size() >= suffix.size() &&
           suite.compare(suite.size() - suffix.size(), suffix.size(), suffix) == 0;
}

} // namespace zuc_test

// Expects `statement` to fail the library check `expression` in `function` of
// `module` (the module name under platform/libzuc/).
#define EXPECT_ZUC_CHECK_FAILS(statement, module, function, expression)                            \
    do {                                                                                           \
        EXPECT_TRUE(::zuc_test::in_death_test_suite()) << "death test outside a *DeathTest suite"; \
        EXPECT_DEATH(statement, ::zuc_test::check_report(module, function, expression));           \
    } while (0)

#endif
