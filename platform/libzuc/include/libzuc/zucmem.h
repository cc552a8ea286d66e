/*
 * libzuc aligned allocation: heap blocks on a stricter alignment than malloc's.
 *
 * zu_memalign wraps the C library's posix_memalign with a plain pointer
 * result, and zu_free releases its blocks (it is the C library's free). The
 * caller owns every block until it passes it to zu_free. The alignment must
 * be a power of two and a multiple of sizeof(void *) (4 on the 32-bit target)
 * for the allocation to succeed; only an odd alignment is a caller error.
 *
 *     double *v = zu_memalign(16, 64 * sizeof *v);
 *     if (v != NULL) { ...; zu_free(v); }
 */
#ifndef LIBZUC_ZUCMEM_H
#define LIBZUC_ZUCMEM_H

#include <stddef.h>

#include <libzuc/attributes.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Releases a block from zu_memalign. A NULL ptr does nothing. */
void zu_free(void *ptr);

/* Allocates size bytes at an address that is a multiple of alignment.
 * Returns NULL when out of memory or when posix_memalign refuses the
 * alignment (an even one that is not a power of two, or below the pointer
 * size); the error code is not passed on. A size of 0 returns whatever
 * posix_memalign gives, NULL or a block for zu_free.
 * Aborts: "(alignment % 2) == 0". */
ZUC_RESULT ZUC_RELEASED_BY(zu_free, 1) void *zu_memalign(size_t alignment, size_t size);

#ifdef __cplusplus
}
#endif

#endif
