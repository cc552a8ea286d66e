/*
 * libzuc: compiler attributes on the public functions.
 *
 * They tell the compiler, and its static analyzer, what the contract says in
 * words, so that mistakes in the caller's code are reported where they are
 * made: a failure result that is ignored, an object that leaks, is released
 * twice or by another family's release function, a NULL where the function
 * aborts on NULL, a buffer shorter than the length given with it.
 *
 * They expand to nothing where the compiler lacks them, and when
 * LIBZUC_NO_ATTRIBUTES is defined before the first libzuc header: libzuc's
 * own build defines it (a nonnull seen by the definitions would let the
 * optimiser delete the checks that catch those NULLs at run time), and so
 * can a test that passes NULL on purpose to watch those checks fire.
 */
#ifndef LIBZUC_ATTRIBUTES_H
#define LIBZUC_ATTRIBUTES_H

#if defined(__GNUC__) && !defined(LIBZUC_NO_ATTRIBUTES)
/* The result reports a failure the caller must handle. */
#define ZUC_RESULT __attribute__((warn_unused_result))
/* These arguments (1-based) must not be NULL: the function aborts on NULL. */
#define ZUC_NONNULL(...) __attribute__((nonnull(__VA_ARGS__)))
#else
#define ZUC_RESULT
#define ZUC_NONNULL(...)
#endif

#if defined(__GNUC__) && !defined(__clang__) && __GNUC__ >= 11 && !defined(LIBZUC_NO_ATTRIBUTES)
/* Returns a new object that the given function (taking it as its argument
 * number pos) releases. */
#define ZUC_RELEASED_BY(release, pos) __attribute__((malloc(release, pos)))
/* The function reads (or writes) the bytes of argument ptr, as many as
 * argument size says. */
#define ZUC_READS(ptr, size) __attribute__((access(read_only, ptr, size)))
#define ZUC_WRITES(ptr, size) __attribute__((access(write_only, ptr, size)))
#else
#define ZUC_RELEASED_BY(release, pos)
#define ZUC_READS(ptr, size)
#define ZUC_WRITES(ptr, size)
#endif

#endif /* LIBZUC_ATTRIBUTES_H */
