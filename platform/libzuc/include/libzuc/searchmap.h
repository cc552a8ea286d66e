/*
 * libzuc search maps: lookups in constant tables of pairs.
 *
 * A table is a plain array of two-field entries written by the caller,
 * usually as constant data, and ended by a sentinel entry; it has no header
 * and no count. The library only reads it: it never copies, allocates or
 * looks at the strings, and hands back the very pointers stored. A lookup
 * scans from the first entry and stops at the first match or at the
 * sentinel (O(n)); the tables need no order, and of two matching entries the
 * earlier wins. A table without its sentinel is not detected.
 *
 *     static const zuclib_uint_uint_map_entry codes[] = {
 *         {10, 1000},
 *         {70000, 7},                       any 32-bit key except 65535
 *         {ZUCLIB_UINT_UINT_MAP_END, 0},    sentinel; its value is never read
 *     };
 *     static const zuclib_str_uint_map_entry names[] = {
 *         {"idle", 0},
 *         {"busy", 1},
 *         {NULL, 0},                        sentinel; its value is never read
 *     };
 *     uint32_t v = zuclib_search_uint_uint_map(codes, 70000);   (7)
 *     const char *s = zuclib_search_str_uint_map(names, 1);     ("busy")
 *
 * A NULL table aborts with the standard assertion report; a key or value not
 * found is an ordinary result.
 */
#ifndef LIBZUC_SEARCHMAP_H
#define LIBZUC_SEARCHMAP_H

#include <stdint.h>

#include <libzuc/attributes.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The key of a uint-uint table's sentinel entry, and the result of a failed
 * search in such a table. Not 0xFFFFFFFF: larger keys are ordinary keys. */
#define ZUCLIB_UINT_UINT_MAP_END 65535u

/* One entry of a number-to-number table. */
typedef struct zuclib_uint_uint_map_entry {
    uint32_t key;
    uint32_t value;
} zuclib_uint_uint_map_entry;

/* One entry of a number-to-name table; str NULL marks the sentinel. */
typedef struct zuclib_str_uint_map_entry {
    const char *str;
    uint32_t value;
} zuclib_str_uint_map_entry;

/* Returns the value of the first entry whose key equals key, or 65535
 * (ZUCLIB_UINT_UINT_MAP_END) when none does before the sentinel. Searching
 * for 65535 itself therefore always yields 65535. Aborts: "map != NULL". */
ZUC_NONNULL(1)
uint32_t zuclib_search_uint_uint_map(const zuclib_uint_uint_map_entry *map, uint32_t key);

/* Returns the str pointer of the first entry whose value equals value, or
 * NULL when none does before the sentinel. Only the numbers are compared.
 * Aborts: "map != NULL". */
ZUC_NONNULL(1)
const char *zuclib_search_str_uint_map(const zuclib_str_uint_map_entry *map, uint32_t value);

#ifdef __cplusplus
}
#endif

#endif
