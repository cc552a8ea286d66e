/* The in-place sliding average at 8k + 4, which its contract allows though the
 * record's 64-bit sum asks for 8 on the target; its module is built in under
 * the alignment sanitizer, which stops at any access that assumes more. By
 * hand: a window of 3 after 1, 2, 3, 10 holds 2, 3, 10: mean 5, weighted mean
 * (2 + 2 * 3 + 3 * 10) / 6, variance (9 + 4 + 25) / 3. */
#include <libzuc/slidingaverage.h>

#include <stdint.h>
#include <stdio.h>

int main(void) {
    static union {
        uint64_t align8;
        unsigned char bytes[4 + sizeof(SlidingAverage) + 3 * sizeof(uint32_t)];
    } buf;
    SlidingAverage *avg = SlidingAverage_inplace_create(buf.bytes + 4, sizeof buf - 4, 3);
    for (unsigned int i = 0; i < 4; ++i) {
        SlidingAverage_Add(avg, (const unsigned int[]){1, 2, 3, 10}[i]);
    }
    int ok = (void *)avg == buf.bytes + 4 && SlidingAverage_NoOfEntries(avg) == 3 &&
             SlidingAverage_GetAverage(avg) == 5.0 &&
             SlidingAverage_GetWeightedAverage(avg) == 38.0 / 6.0 &&
             SlidingAverage_GetVariance(avg) == 12;
    SlidingAverage_Reset(avg);
    ok = ok && SlidingAverage_NoOfEntries(avg) == 0;
    printf("at 8k + %d: %s\n", (int)((uintptr_t)avg % 8), ok ? "as expected" : "WRONG");
    return !ok;
}
