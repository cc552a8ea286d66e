// Marks the definition of an operation of the public C interface.
//
// The library is built with hidden visibility, so only definitions marked
// ZUC_EXPORT reach the dynamic symbol table (the linker's version script then
// pins that set). Internal helpers stay static and never get the mark.
// The mark goes on definitions only: the public headers stay plain C99.
#ifndef LIBZUC_ZUC_EXPORT_H
#define LIBZUC_ZUC_EXPORT_H

#define ZUC_EXPORT extern "C" __attribute__((visibility("default")))

#endif
