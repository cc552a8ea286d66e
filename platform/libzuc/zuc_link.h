// Link fields of the intrusive lists.
//
// The intrusive lists thread the caller's records through pointer members
// that they know only by their byte offset from the start of the record, so a
// link is read and written as the bytes of a pointer at element + offset.
// Going through memcpy keeps that access well defined whatever the caller's
// record type is (no aliasing or alignment assumptions on our side); the
// compiler turns each copy into one load or store.
#ifndef LIBZUC_ZUC_LINK_H
#define LIBZUC_ZUC_LINK_H

#include <string.h>

// The element pointer stored offset bytes into element.
static inline void *zuc_link_get(const void *element, unsigned int offset) {
    void *target;
    memcpy(&target, static_cast<const char *>(element) + offset, sizeof target);
    return target;
}

// Stores target (an element pointer, or null) offset bytes into element.
static inline void zuc_link_set(void *element, unsigned int offset, void *target) {
    memcpy(static_cast<char *>(element) + offset, &target, sizeof target);
}

#endif
