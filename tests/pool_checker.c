/* Writes into a pool element after giving it back when run with an argument:
 * a memory checker must report that write at its line, and nothing without. */
#include <libzuc/mempool.h>

int main(int argc, char **argv) {
    mempool *pool = mempool_create(4, 2 * sizeof(int));
    int *job = mempool_alloc(pool); /* the library's check stops at a NULL pool */
    job[0] = 7;
    mempool_free(pool, job);
    if (argc > 1 && argv[1]) {
        job[1] = 1; /* the element is the pool's again */
    }
    job = mempool_alloc(pool); /* handed out again, as its last user left it */
    const int ok = job && job[0] == 7;
    mempool_free(pool, job);
    mempool_destroy(pool);
    return !ok;
}
