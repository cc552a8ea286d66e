#!/usr/bin/env python3
"""Writes the seed inputs of the fuzz harnesses into tests/fuzz/corpus/<harness>/.

Each seed is a short, deliberate sequence of operations in the encoding its
harness decodes (see the step() function of each tests/fuzz/*_fuzz.cpp), so
that fuzzing starts from inputs that already reach every operation: lists
that are built, walked, sorted, derived and merged; tables that fill up and
refuse; pools and queues that run empty and full; windows that wrap. Run it
after changing a harness's encoding, and commit the result.
"""
import pathlib

HERE = pathlib.Path(__file__).resolve().parent / "corpus"


def write(harness, name, data):
    d = HERE / harness
    d.mkdir(exist_ok=True)
    (d / name).write_bytes(bytes(data))


# ---- llist: code, [fail_at if code & 0x80], slot, other, operands ----
def ll(code, slot=0, other=1, *operands, fail=None):
    out = [code | (0x80 if fail else 0)]
    if fail:
        out.append(fail - 1)
    return out + [slot, other, *operands]


def ll_new(slot, pair, fail=None):
    return ll(0, slot, 0, pair, fail=fail)


def ll_add(slot, *elements, front=False):
    return sum((ll(4 if front else 1, slot, 0, e) for e in elements), [])


write("llist", "walks",
      ll_new(0, 1) + ll_add(0, 3, 10, 0, 7, 21) + ll_add(0, 5, front=True)
      + ll(13, 0, 0, 1, 3, 0, 1, 1, 2, 0, 9)   # foreach, stop at 3, append
      + ll(13, 0, 0, 1, 0, 0, 1, 1, 1, 1, 0)   # foreach, drops a node
      + ll(14, 0, 0, 1, 3, 0, 0, 1)            # dual foreach
      + ll(15, 0, 0, 1, 0, 0, 2)               # reversed
      + ll(16, 0, 0, 1, 0, 2, 3)               # with separator, sep stops
      + ll(17, 0, 0, 1, 1, 0x55)               # count with a predicate
      + ll(11, 0, 0, 1, 2) + ll(12, 0, 0, 7)   # find by identity, by key
      + ll(10, 0, 0, 4) + ll(18, 0, 0)         # position, sort
      + ll(7, 0, 0, 1, 1) + ll(6, 0, 0, 0) + ll(8, 0, 0, 1) + ll(9, 0, 0, 1))
write("llist", "derived",
      ll_new(0, 2) + ll_add(0, 1, 2, 3, 4, 5, 6, 7, 8)
      + ll(19, 0, 1, 1, 0x0F, 0, 0)            # sublist_create into slot 1
      + ll(20, 0, 2, 0, 0x0F, 0, 0)            # sublist_create_neg into slot 2
      + ll(23, 0, 3, 1, 0, 4, 1)               # list_copy, copier fails at 4
      + ll(23, 0, 3, 1, 0, 0, 1)               # list_copy
      + ll(18, 1, 0) + ll(24, 3, 1) + ll(24, 3, 0)
      + ll(22, 3, 0) + ll(21, 2, 1) + ll(9, 2, 0, 1))
write("llist", "failures",
      ll_new(0, 1, fail=1) + ll_new(0, 1) + ll_add(0, 1, 2, 3)
      + ll(1, 0, 0, 4, fail=1) + ll(4, 0, 0, 4, fail=1)
      + ll(19, 0, 1, 1, 0xFF, 0, 0, fail=3)    # the second node is refused
      + ll(23, 0, 1, 1, 0, 0, 1, fail=2)       # list_copy: first node refused
      + ll_new(2, 2) + ll_add(2, 9) + ll(24, 2, 0, fail=2))
write("llist", "default_pair",
      ll_new(1, 0) + ll_add(1, 0, 0, 4, 4) + ll(18, 1, 0) + ll(22, 1, 2)
      + ll(19, 2, 3, 0, 0, 0, 0) + ll(9, 1, 0, 1))

# ---- slist: code, list (of 4), operands ----
def sl(code, lst, *operands):
    return [code, lst, *operands]


sl_fill = sum((sl(1, 0, 3, r) for r in (5, 1, 7, 2, 9)), [])  # sorted inserts
write("slist", "sorted", sl_fill + sl(8, 0) + sl(6, 0, 0) + sl(6, 0, 1)
      + sl(4, 0, 0, 2) + sl(4, 0, 3) + sl(6, 0, 1) + sl(7, 0))
write("slist", "merge_append",
      sl_fill + sum((sl(1, 1, 0, r) for r in (3, 4, 6)), [])
      + sum((sl(1, 2, 1, r) for r in (8, 10, 11)), [])
      + sl(9, 0, 2) + sl(10, 0, 1) + sl(0, 1) + sl(6, 0, 0) + sl(6, 0, 1)
      + sl(4, 0, 1) + sl(4, 0, 2) + sl(11, 0, 3, 4, 0) + sl(11, 0, 3, 4, 1, 6)
      + sl(8, 0))
write("slist", "cursor",
      sum((sl(1, 3, 0, r) for r in range(6)), []) + sl(6, 3, 0) + sl(6, 3, 1)
      + sl(4, 3, 0, 1) + sl(4, 3, 1) + sl(6, 3, 1) + sl(6, 3, 2, 2) + sl(4, 3, 3)
      + sl(6, 3, 1) + sl(6, 3, 1))

# ---- dlist: code, list (of 3), operands ----
def dl(code, lst, *operands):
    return [code, lst, *operands]


dl_fill = sum((dl(1, 0, 1, r) for r in range(5)), [])
write("dlist", "links", dl_fill + dl(1, 0, 0, 7, 2) + dl(1, 0, 2, 8)
      + dl(1, 0, 3, 9) + dl(4, 0, 0, 3) + dl(4, 0, 1) + dl(4, 0, 3) + dl(8, 0))
write("dlist", "cursor", dl_fill + dl(6, 0, 1) + dl(6, 0, 0) + dl(6, 0, 0)
      + dl(4, 0, 0, 2) + dl(6, 0, 0) + dl(1, 1, 1, 2) + dl(6, 0, 0) + dl(6, 0, 0)
      + dl(0, 1) + dl(9, 2, 3, 4, 1, 5))
write("dlist", "two_pairs", dl_fill + sum((dl(1, 2, 3, r) for r in range(5)), [])
      + dl(8, 0) + dl(4, 2, 2) + dl(8, 0) + dl(9, 2, 3, 4, 0))

# ---- hashtab: code, operands; init first ----
def ht_init(capacity, mode, fail=0):
    return [0, capacity, mode, 7, fail]


def ht_store(key, value):
    return [0, 0, value, key]


stores = sum((ht_store(k, k + 1) for k in range(6)), [])
write("hashtab", "fill", ht_init(5, 0) + stores + [0, 0, 1, 1] + [0, 1, 1]
      + [3, 3] + [5, 3] + ht_store(13, 9) + [3, 13] + [7])
write("hashtab", "one_chain", ht_init(8, 1) + [0, 1, 0] + ht_store(10, 2)
      + ht_store(16, 3) + [3, 0] + [5, 0] + [3, 0] + [5, 16] + [5, 1] + [7])
write("hashtab", "failures", ht_init(3, 2, 1) + ht_init(3, 2, 2) + ht_init(0, 2)
      + ht_init(3, 3) + stores + [8, 3, 0x61, 0x62, 0x63, 4, 11] + [9, 0, 0])

# ---- mempool: code, operands; create first ----
write("mempool", "cycle", [0, 2, 15, 0] + [0, 1, 1, 2, 2, 3] + [3, 2] + [3, 1]
      + [0, 4, 0, 5] + [7, 1, 9] + [3, 0] + [6])
write("mempool", "failures", [0, 3, 3, 1, 0, 3, 3, 2, 0, 3, 3, 3, 0, 0, 5, 0]
      + [0, 7, 0, 8, 0, 9] + [6])

# ---- zuqueue: code, operands; made first ----
write("zuqueue", "heap", [0, 0, 2, 0] + [4, 1, 4, 2, 4, 3, 4, 4] + [1, 4, 5]
      + [1, 1, 1, 1] + [4, 6, 4, 7] + [0, 1])
write("zuqueue", "in_place", [0, 1, 0, 2] + [4, 1] + [4, 2] + [1] + [4, 3]
      + [0, 1, 1] + [4, 4] + [0, 0, 0] + [8, 1, 2] + [9, 0, 2])
write("zuqueue", "failures", [0, 0, 3, 1, 0, 0, 3, 2, 0, 0, 0, 0] + [4, 1, 1]
      + [0, 0])

# ---- slidingaverage: code, operands; created first ----
def sa_add(kind, *rest):
    return [6, kind, *rest]


write("slidingaverage", "wrap", [0, 2, 0, 0] + sa_add(1) + sa_add(4, 2) + sa_add(4, 3)
      + sa_add(4, 4) + [2, 3, 4, 5] + [1] + sa_add(4, 9) + [3, 0])
write("slidingaverage", "extremes", [0, 1, 1, 0] + sa_add(2) + sa_add(2) + [2, 3, 4]
      + sa_add(0) + [4] + sa_add(3, 7) + [4, 0])
write("slidingaverage", "failures", [0, 3, 0, 1, 0, 3, 0, 2] + [0, 9, 1, 2]
      + sa_add(5, 1, 2, 3, 4) + [3, 4])

# ---- crc16: the bytes themselves ----
write("crc16", "check", b"123456789")
write("crc16", "abc", b"\x00\x00abc")
write("crc16", "framed", b"123456789\x31\xc3")
write("crc16", "long", bytes(range(256)))
