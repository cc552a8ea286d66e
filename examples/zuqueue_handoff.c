/* A component hands messages from a producer to a consumer through a bounded
 * queue. The producer adds until the queue refuses (it is full, and the
 * producer keeps the message it could not queue); the consumer takes the
 * oldest ones out; at shutdown zuqueue_free hands every message still
 * queued, oldest first, to a release callback that frees it. */
#include <libzuc/zuqueue.h>

#include <stdio.h>
#include <stdlib.h>

struct message {
    unsigned int serial;
    unsigned int payload;
};

static struct message *new_message(unsigned int serial) {
    struct message *m = malloc(sizeof *m);
    if (m != NULL) {
        m->serial = serial;
        m->payload = serial * 100u;
    }
    return m;
}

/* Serials seen by the release callback, in the order it saw them. */
static unsigned int released[8];
static unsigned int released_count;

static void release_message(void *elem) {
    struct message *m = elem;
    printf("shutdown: released #%u\n", m->serial);
    if (released_count < sizeof released / sizeof released[0]) {
        released[released_count++] = m->serial;
    }
    free(m);
}

int main(void) {
    enum { CAPACITY = 4 };
    zuqueue *queue = zuqueue_new(CAPACITY);
    if (queue == NULL) {
        return EXIT_FAILURE;
    }

    /* Producer: add until the queue is full. */
    unsigned int serial = 0;
    for (;;) {
        struct message *m = new_message(serial + 1);
        if (m == NULL) {
            zuqueue_free(queue, release_message);
            return EXIT_FAILURE;
        }
        if (!zuqueue_add(queue, m)) {
            free(m); /* refused: still ours */
            break;
        }
        ++serial;
    }
    printf("producer: queue full after %u messages\n", serial);
    int ok = serial == CAPACITY;

    /* Consumer: the two oldest, in the order they were added. */
    for (unsigned int expected = 1; expected <= 2; ++expected) {
        struct message *m = zuqueue_get(queue);
        if (m == NULL) {
            ok = 0;
            break;
        }
        printf("consumer: #%u carries %u\n", m->serial, m->payload);
        ok = ok && m->serial == expected;
        free(m);
    }

    /* The freed slots take new messages. */
    struct message *late = new_message(++serial);
    if (late != NULL && !zuqueue_add(queue, late)) {
        free(late);
        ok = 0;
    }

    /* Shutdown with #3, #4 and #5 still queued. */
    zuqueue_free(queue, release_message);
    ok = ok && released_count == 3 && released[0] == 3 && released[1] == 4 && released[2] == 5;
    return ok ? EXIT_SUCCESS : EXIT_FAILURE;
}
