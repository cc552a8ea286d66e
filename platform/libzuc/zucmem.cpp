// Aligned heap blocks over posix_memalign.
#include <libzuc/zucmem.h>

#include <stddef.h>
#include <stdlib.h>

#define ZUC_MODULE "platform/libzuc/zucmem"
#include "zuc_check.h"
#include "zuc_export.h"

ZUC_EXPORT void *zu_memalign(size_t alignment, size_t size) {
    // Only an odd alignment is refused here; posix_memalign judges the rest
    // and its refusal is an ordinary NULL result.
    ZUC_CHECK((alignment % 2) == 0);
    void *block = nullptr;
    if (posix_memalign(&block, alignment, size) != 0) {
        return nullptr;
    }
    return block;
}

ZUC_EXPORT void zu_free(void *ptr) {
    free(ptr);
}
