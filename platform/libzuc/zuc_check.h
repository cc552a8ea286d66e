// Caller-error checks of libzuc.
//
// A failed check writes the C library's standard assertion report and aborts.
// The checks are part of the contract, so they stay on in every build:
// ZUC_CHECK does not look at NDEBUG, and it calls __assert_fail itself
// (<assert.h> does not even declare it when NDEBUG is set).
//
// The report carries
//   - the expression exactly as written in the code (stringified, so report
//     and code cannot drift apart),
//   - the module's source path, which each source file defines as ZUC_MODULE
//     before including this header (for example "platform/libzuc/llist"),
//   - the line, and
//   - __func__: the bare name of the enclosing function. Checks therefore
//     stand directly in the extern "C" operation or in a named static helper,
//     never in a lambda or a template (which would report a C++ name).
#ifndef LIBZUC_ZUC_CHECK_H
#define LIBZUC_ZUC_CHECK_H

#ifndef ZUC_MODULE
#error "define ZUC_MODULE to the module's source path before including zuc_check.h"
#endif

extern "C" [[noreturn]] void __assert_fail(const char *assertion, const char *file,
                                           unsigned int line, const char *function) noexcept;

#define ZUC_CHECK(expr)                                                                            \
    ((expr) ? static_cast<void>(0) : __assert_fail(#expr, ZUC_MODULE, __LINE__, __func__))

#endif
