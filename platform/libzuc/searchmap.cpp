// Linear lookups in sentinel-terminated constant tables.
#include <libzuc/searchmap.h>

#include <stddef.h>
#include <stdint.h>

#define ZUC_MODULE "platform/libzuc/searchmap"
#include "zuc_check.h"
#include "zuc_export.h"

// Callers write these tables as array initialisers: two fields, in order.
static_assert(offsetof(zuclib_uint_uint_map_entry, value) == sizeof(uint32_t));
static_assert(offsetof(zuclib_str_uint_map_entry, value) == sizeof(const char *));
#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(zuclib_uint_uint_map_entry) == 8, "two 32-bit words");
static_assert(sizeof(zuclib_str_uint_map_entry) == 8, "two 32-bit words");
#endif

ZUC_EXPORT uint32_t zuclib_search_uint_uint_map(const zuclib_uint_uint_map_entry *map,
                                                uint32_t key) {
    ZUC_CHECK(map != NULL);
    // The sentinel test comes first, so 65535 is never matched as a key.
    for (; map->key != ZUCLIB_UINT_UINT_MAP_END; ++map) {
        if (map->key == key) {
            return map->value;
        }
    }
    return ZUCLIB_UINT_UINT_MAP_END;
}

ZUC_EXPORT const char *zuclib_search_str_uint_map(const zuclib_str_uint_map_entry *map,
                                                  uint32_t value) {
    ZUC_CHECK(map != NULL);
    for (; map->str != nullptr; ++map) {
        if (map->value == value) {
            return map->str;
        }
    }
    return nullptr;
}
