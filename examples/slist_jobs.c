/* A component keeps its pending jobs in deadline order with no container
 * memory of its own: each job record carries the link, List_insertSorted
 * puts a new job in place, the list's cursor walks them in order, and
 * List_freeElements hands every job back to free(). */
#include <libzuc/slist.h>

#include <stddef.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

typedef struct Job {
    unsigned int deadline;
    const char *name;
    struct Job *next; /* the link; the list writes it */
} Job;

static int byDeadline(const void *a, const void *b) {
    const Job *x = a, *y = b;
    return (x->deadline > y->deadline) - (x->deadline < y->deadline);
}

int main(void) {
    static const struct {
        unsigned int deadline;
        const char *name;
    } incoming[] = {
        {40, "flush logs"},    {10, "read sensors"},   {30, "send report"},
        {10, "poll watchdog"}, {20, "update display"},
    };
    const unsigned int count = sizeof incoming / sizeof incoming[0];

    List jobs;
    List_makeList(&jobs, offsetof(Job, next), byDeadline);
    for (unsigned int i = 0; i < count; ++i) {
        Job *job = malloc(sizeof *job);
        if (job == NULL) {
            List_freeElements(&jobs);
            return EXIT_FAILURE;
        }
        job->deadline = incoming[i].deadline;
        job->name = incoming[i].name;
        List_insertSorted(&jobs, job);
    }

    /* One walk with the built-in cursor: deadlines never decrease, and of two
     * equal deadlines the job that came later stands first. */
    int ok = List_getCount(&jobs) == count;
    unsigned int seen = 0, previous = 0;
    for (List_startIterate(&jobs); List_hasMoreElements(&jobs); ++seen) {
        const Job *job = List_getNext(&jobs);
        printf("%3u  %s\n", job->deadline, job->name);
        ok = ok && job->deadline >= previous;
        previous = job->deadline;
    }
    const Job *first = List_getFirst(&jobs);
    ok = ok && seen == count && strcmp(first->name, "poll watchdog") == 0;

    List_freeElements(&jobs); /* every job goes to free() */
    ok = ok && List_isEmpty(&jobs);
    return ok ? EXIT_SUCCESS : EXIT_FAILURE;
}
