/*
 * libzuc sliding average: statistics over the most recent samples.
 *
 * A SlidingAverage keeps the last maxEntries unsigned 32-bit samples in a
 * ring and answers their mean, a weighted mean that favours the newest
 * samples (weights 1 for the oldest up to n for the newest), the number of
 * samples held and, once the window is full, an integer variance. A 64-bit
 * running sum beside the ring makes adding a sample and reading the mean
 * O(1) whatever the window size; the weighted mean and the variance walk the
 * ring once (O(maxEntries)).
 *
 * Two forms. SlidingAverage_create takes the record and the ring from malloc
 * (two blocks, released by SlidingAverage_destroy). SlidingAverage_inplace_create
 * lays out both in one buffer of the caller's and allocates nothing; there is
 * no release operation for it, the caller simply stops using the buffer. No
 * operation allocates after creation.
 *
 * The in-place buffer holds the record followed by one uint32_t slot per
 * sample. A buffer declared as a union with the record is sized and aligned
 * right on every platform:
 *
 *     enum { WINDOW = 64 };
 *     static union {
 *         SlidingAverage record;
 *         unsigned char bytes[sizeof(SlidingAverage) + WINDOW * sizeof(uint32_t)];
 *     } buf;
 *     SlidingAverage *avg = SlidingAverage_inplace_create(&buf, sizeof buf, WINDOW);
 *
 * The buffer's address need only be a multiple of 4, on every platform: the
 * functions reach the record at that alignment, although SlidingAverage
 * itself asks for 8 wherever uint64_t does (the 32-bit target included; the
 * union above gives 8). The record is 24 bytes on the 32-bit target and 32
 * on a 64-bit host. Where the address is not a multiple of
 * alignof(SlidingAverage), use the object through the functions only, not
 * through its fields.
 *
 * Caller errors (a NULL object or buffer, a zero window, a buffer too small
 * or misaligned) abort with the standard assertion report; the checks listed
 * per function stay on in every build. Nothing is locked: one thread at a time.
 */
#ifndef LIBZUC_SLIDINGAVERAGE_H
#define LIBZUC_SLIDINGAVERAGE_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct SlidingAverage {
    uint64_t sum;            /* exact sum of the samples held */
    uint32_t *log;           /* the ring: maxEntries sample slots */
    unsigned int maxEntries; /* window length, fixed at creation, never 0 */
    unsigned int entries;    /* samples held, 0 .. maxEntries */
    unsigned int writeIndex; /* slot of the next sample (the oldest once full) */
} SlidingAverage;

/* Makes an empty window of maxEntries samples on the heap. Returns NULL when
 * an allocation fails (nothing is left allocated) or when the ring's byte
 * count, 4 * maxEntries, does not fit in 32 bits.
 * Release it with SlidingAverage_destroy. Aborts: "maxEntries > 0". */
SlidingAverage *SlidingAverage_create(unsigned int maxEntries);

/* Makes an empty window of maxEntries samples inside buf (bufsize bytes, see
 * above for sizing) and returns buf. Allocates nothing. Aborts: "buf",
 * "maxEntries <= (UINT_MAX - sizeof *p) / sizeof *p->log",
 * "bufsize >= maxEntries * sizeof *p->log + sizeof *p",
 * "(intptr_t)buf % 4 == 0", "maxEntries > 0",
 * "(intptr_t)p->log % sizeof *p->log == 0" (checked in this order; the second
 * as record and ring must fit in 32 bits; the last always holds once the
 * third has passed). */
SlidingAverage *SlidingAverage_inplace_create(void *buf, unsigned int bufsize,
                                              unsigned int maxEntries);

/* Frees the ring and the record of an object from SlidingAverage_create.
 * A NULL p does nothing. Never pass an in-place object. */
void SlidingAverage_destroy(SlidingAverage *p);

/* Empties the window: no samples, sum 0, the ring zeroed, the next sample
 * goes to slot 0. Aborts: "p != NULL", "p->log". */
void SlidingAverage_Reset(SlidingAverage *p);

/* Adds a sample; once the window is full it replaces the oldest one. O(1).
 * Aborts: "p != NULL". */
void SlidingAverage_Add(SlidingAverage *p, unsigned int sample);

/* Mean of the samples held, from the running sum in O(1); 0.0 when empty.
 * Aborts: "p". */
double SlidingAverage_GetAverage(const SlidingAverage *p);

/* Mean weighted 1 for the oldest sample up to n for the newest, n the number
 * held; 0.0 when empty. Exact while n * (n + 1) / 2 < 2^32; beyond that the
 * 64-bit weighted sum can wrap for large samples. Checks nothing: p must be
 * a valid object. */
double SlidingAverage_GetWeightedAverage(const SlidingAverage *p);

/* Number of samples held (0 .. maxEntries). Aborts: "p". */
unsigned int SlidingAverage_NoOfEntries(const SlidingAverage *p);

/* Population variance around the mean truncated to an integer, itself
 * truncated; 0 until the window is full. A variance of 2^32 or more gives
 * UINT32_MAX. Aborts: "p != NULL". */
uint32_t SlidingAverage_GetVariance(const SlidingAverage *p);

#ifdef __cplusplus
}
#endif

#endif
