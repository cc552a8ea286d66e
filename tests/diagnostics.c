/* A caller's mistakes, each marked with the diagnostics that GCC (-Wall
 * -fanalyzer) must report on its line. */
#include <libzuc/crc16.h>
#include <libzuc/llist.h>
#include <libzuc/mempool.h>
#include <libzuc/slidingaverage.h>
#include <libzuc/zucmem.h>
#include <libzuc/zuqueue.h>

void unchecked_calls(list *l, int *x, uint16_t *crc) {
    list_add(l, x); /* -Wunused-result */
    unsigned char frame[4] = {0};
    zuclib_crc16Calc(frame, crc, 8); /* -Wstringop-overread */
    list_clear(NULL, NULL);          /* -Wnonnull -Wanalyzer-null-argument */
}
void leaked_pool(int early) {
    mempool *pool = mempool_create(4, 16);
    if (pool == NULL || early) {
        return; /* -Wanalyzer-malloc-leak */
    }
    mempool_destroy(pool);
}
void wrong_release(void) {
    SlidingAverage *q = (SlidingAverage *)zuqueue_new(4);
    SlidingAverage_destroy(q); /* -Wmismatched-dealloc -Wanalyzer-mismatching-deallocation */
}
void double_free(void) {
    void *block = zu_memalign(16, 64);
    zu_free(block);
    zu_free(block); /* -Wanalyzer-double-free -Wuse-after-free */
}
