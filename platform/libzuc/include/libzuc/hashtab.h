/*
 * libzuc hash table: a chained hash table of fixed capacity that maps the
 * caller's key pointers to the caller's value pointers.
 *
 * The HashTab record is the caller's memory. HashTab_init allocates, once, a
 * pool of exactly `capacity` buckets and an array of chain heads whose length
 * is the smallest prime not below 2 * capacity + 1; store, lookup and delete
 * never allocate or free afterwards, they move buckets between the chains and
 * a free list. HashTab_destroy frees both arrays and zeroes the record.
 *
 * Keys and values are stored unchanged and never dereferenced, copied or
 * freed by the table: only the caller's hash and equality callbacks look at
 * keys, and both stay the caller's. Keys must not be NULL; a value may be
 * NULL, but HashTab_lookup answers NULL both for "absent" and for a NULL
 * value, so a NULL-valued entry does not block storing an equal key again
 * (the newest entry of a key is the one lookup and delete see).
 *
 * Cost: one hash call (two for a successful store), one division by the table
 * size per hash call, and a walk along one chain. With at least 2 * capacity
 * + 1 chains for at most `capacity` entries the chains stay short.
 *
 * Caller errors abort with the standard assertion report (checks listed per
 * function, on in every build). A full table, a key already present and
 * allocation failure are reported by the result. Nothing is locked.
 */
#ifndef LIBZUC_HASHTAB_H
#define LIBZUC_HASHTAB_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Hashes key for a table of tableSize chains. Any value is fine: the table
 * reduces it modulo tableSize itself. Equal keys must hash alike modulo
 * tableSize. For keys of a fixed length, call HashTab_hashMem. */
typedef unsigned int (*HashTabHashFn)(const void *key, unsigned int tableSize);
/* Non-zero when key (the one given to the operation) equals storedKey (a key
 * already in the table), else 0. Not a three-way comparison. */
typedef int (*HashTabEqualFn)(const void *key, const void *storedKey);

typedef struct HashTabBucket HashTabBucket;
struct HashTabBucket {
    HashTabBucket *next; /* next bucket of the same chain or of the free list */
    const void *key;     /* the caller's key; left as it was once freed */
    void *value;         /* the caller's value, possibly NULL */
};

typedef struct HashTab {
    HashTabHashFn hash;
    HashTabEqualFn equal;
    unsigned int count;      /* entries stored now */
    unsigned int capacity;   /* most entries the table holds */
    unsigned int tableSize;  /* number of chains, a prime */
    HashTabBucket *buckets;  /* the pool: capacity buckets, one heap block */
    HashTabBucket *freeList; /* top of the stack of free buckets; NULL when full */
    HashTabBucket **table;   /* tableSize chain heads, newest entry first */
    void *userData;          /* the caller's; the table never reads it */
} HashTab;

/* Greatest capacity HashTab_init accepts: the bucket pool, counted as three
 * 32-bit words per bucket, must fit in 32 bits (357913941). The same limit
 * holds on hosts with wider pointers. */
#define HASHTAB_MAX_CAPACITY (UINT32_MAX / 12u)

/* Byte-string hash for writing hash callbacks: h = (h << 1) ^ byte over the
 * `length` bytes at data, returned modulo tableSize. Only the last 32 bytes
 * count. Returns 0 when length is 0 (tableSize is then not used; otherwise it
 * must not be 0). */
unsigned int HashTab_hashMem(const void *data, unsigned int tableSize, unsigned int length);

/* Makes p an empty table for up to capacity entries and keeps userData in it.
 * Returns 1 when ready. Returns 0, with nothing left allocated and buckets and
 * table NULL, when an allocation fails, or when capacity is 0 or above
 * HASHTAB_MAX_CAPACITY (then the whole record is zeroed and nothing is
 * allocated). Nothing is checked; p must not be NULL. */
int HashTab_init(HashTab *p, HashTabHashFn hash, HashTabEqualFn equal, unsigned int capacity,
                 void *userData);

/* Frees the table's two arrays and zeroes every field of p; keys and values
 * are not touched. p must be a table whose HashTab_init returned 1. */
void HashTab_destroy(HashTab *p);

/* The value of the newest entry whose key equals key, or NULL when there is
 * none (or its value is NULL). Aborts: "p != NULL", "key != NULL". */
void *HashTab_lookup(const HashTab *p, const void *key);

/* Stores key with value as the newest entry of its chain. Returns 1 when
 * stored; 0, calling no callback, when the table is full; 0 when key is
 * already present with a non-NULL value (which stays). p is not checked.
 * Aborts: "key != NULL", "bucket != NULL" (the first only when the table is
 * not full, reported by HashTab_lookup; the second only if the free list was
 * damaged). */
int HashTab_store(HashTab *p, const void *key, void *value);

/* Removes the newest entry whose key equals key, if any, and returns its
 * bucket to the free list. Aborts: "p != NULL", "key != NULL". */
void HashTab_delete(HashTab *p, const void *key);

#ifdef __cplusplus
}
#endif

#endif /* LIBZUC_HASHTAB_H */
