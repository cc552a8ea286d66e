/* A component keeps a list of readings: it appends them, walks the list both
 * ways and frees it, handing every reading back to free(). */
#include <libzuc/llist.h>

#include <stdio.h>
#include <stdlib.h>

struct reading {
    const char *sensor;
    int value;
};

static struct reading *new_reading(const char *sensor, int value) {
    struct reading *r = malloc(sizeof *r);
    if (r != NULL) {
        r->sensor = sensor;
        r->value = value;
    }
    return r;
}

int main(void) {
    static const char *const sensors[] = {"inlet", "core", "outlet"};
    static const int values[] = {21, 48, 30};
    list *readings = list_new(NULL, NULL); /* malloc and free */
    if (readings == NULL) {
        return EXIT_FAILURE;
    }
    for (unsigned int i = 0; i < 3; ++i) {
        struct reading *r = new_reading(sensors[i], values[i]);
        if (r == NULL || list_add(readings, r) == NULL) {
            free(r);
            list_free(readings, free);
            return EXIT_FAILURE;
        }
    }

    printf("%u readings, head to tail:", list_size(readings));
    for (list_iterator i = list_first(readings); !list_end(i); i = list_next(i)) {
        const struct reading *r = list_get(i);
        printf(" %s=%d", r->sensor, r->value);
    }
    printf("\ntail to head:");
    for (list_iterator i = list_last(readings); !list_end(i); i = list_prev(i)) {
        const struct reading *r = list_get(i);
        printf(" %s=%d", r->sensor, r->value);
    }
    printf("\n");

    const struct reading *middle = list_at(readings, 1);
    int ok = middle->value == 48;
    list_free(readings, free); /* the list hands every reading to free() */
    return ok ? EXIT_SUCCESS : EXIT_FAILURE;
}
