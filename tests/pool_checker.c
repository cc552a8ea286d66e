/* A program that writes into a pool element after giving it back (when run
 * with an argument), or uses the pool correctly (without): a memory checker
 * must report the first at the line of the write, and nothing in the second. */
#include <libzuc/mempool.h>

#include <stddef.h>

struct job {
    int id, state;
};

int main(int argc, char **argv) {
    mempool *pool = mempool_create(4, sizeof(struct job));
    struct job *job = pool == NULL ? NULL : mempool_alloc(pool);
    if (job == NULL) {
        return 1;
    }
    job->id = 7;
    mempool_free(pool, job);
    if (argc > 1 && argv[1] != NULL) {
        job->state = 1; /* the element is the pool's again */
    }
    job = mempool_alloc(pool); /* handed out again, as its last user left it */
    const int ok = job != NULL && job->id == 7;
    mempool_free(pool, job);
    mempool_destroy(pool);
    return ok ? 0 : 1;
}
