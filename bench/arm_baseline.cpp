// The baseline of the ARM instruction counts: the same contracts as the
// library's, with the same checks, written plainly (see arm_baseline.h).
// Links are read and written through memcpy, as the library must for records
// of any type; offsets and counters are read once into locals.
#include "arm_baseline.h"

#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <array>

extern "C" [[noreturn]] void __assert_fail(const char *assertion, const char *file,
                                           unsigned int line, const char *function) noexcept;
#define CHECK(expr)                                                                                \
    ((expr) ? static_cast<void>(0) : __assert_fail(#expr, "bench/arm_baseline", __LINE__, __func__))

namespace {

void *link_at(const void *element, unsigned int offset) {
    void *target;
    memcpy(&target, static_cast<const char *>(element) + offset, sizeof target);
    return target;
}
void set_link(void *element, unsigned int offset, void *target) {
    memcpy(static_cast<char *>(element) + offset, &target, sizeof target);
}

// The table of CRC-16/XMODEM: byte i shifted through the polynomial 0x1021.
constexpr std::array<uint16_t, 256> crc16_table = [] {
    std::array<uint16_t, 256> table{};
    for (unsigned int i = 0; i < 256; ++i) {
        unsigned int v = i << 8;
        for (int bit = 0; bit < 8; ++bit) {
            v = (v & 0x8000u) != 0 ? (v << 1) ^ 0x1021u : v << 1;
        }
        table[i] = static_cast<uint16_t>(v);
    }
    return table;
}();

} // namespace

list_iterator base_list_first(const list *lst) {
    CHECK(lst != NULL);
    return list_iterator{lst->head};
}
int base_list_end(list_iterator i) {
    return i.node == nullptr ? 1 : 0;
}
list_iterator base_list_next(list_iterator i) {
    return list_iterator{i.node != nullptr ? i.node->next : nullptr};
}
void *base_list_get(list_iterator i) {
    CHECK(i.node != NULL);
    return i.node->data;
}
int base_list_foreach(const list *lst, void *ctx, list_walk_fn f) {
    CHECK(lst != NULL);
    CHECK(f != NULL);
    for (const list_node *node = lst->head; node != nullptr; node = node->next) {
        if (f(ctx, node->data) == 0) {
            return 0;
        }
    }
    return 1;
}

void base_List_insertLast(List *lst, void *element) {
    const unsigned int link = lst->linkOffset;
    set_link(element, link, nullptr);
    if (lst->last == nullptr) {
        lst->first = element;
    } else {
        set_link(lst->last, link, element);
    }
    lst->last = element;
    ++lst->count;
}
void *base_List_removeFirst(List *lst) {
    void *removed = lst->first;
    if (removed == nullptr) {
        return nullptr;
    }
    const unsigned int link = lst->linkOffset;
    void *successor = link_at(removed, link);
    lst->first = successor;
    if (lst->cursor == removed) {
        lst->cursor = successor;
    }
    if (successor == nullptr) {
        lst->last = nullptr;
    }
    set_link(removed, link, nullptr);
    --lst->count;
    return removed;
}
void base_List_startIterate(List *lst) {
    lst->cursor = lst->first;
}
int base_List_hasMoreElements(const List *lst) {
    return lst->cursor != nullptr ? 1 : 0;
}
void *base_List_getNext(List *lst) {
    void *element = lst->cursor;
    if (element != nullptr) {
        lst->cursor = link_at(element, lst->linkOffset);
    }
    return element;
}

void base_DList_insertAfter(DList *lst, void *predecessor, void *element) {
    const unsigned int next = lst->nextOffset, prev = lst->prevOffset;
    void *successor = predecessor == nullptr ? lst->first : link_at(predecessor, next);
    set_link(element, next, successor);
    set_link(element, prev, predecessor);
    if (predecessor == nullptr) {
        lst->first = element;
    } else {
        set_link(predecessor, next, element);
    }
    if (successor == nullptr) {
        lst->last = element;
    } else {
        set_link(successor, prev, element);
    }
    ++lst->count;
}
void base_DList_insertLast(DList *lst, void *element) {
    const unsigned int next = lst->nextOffset, prev = lst->prevOffset;
    void *last = lst->last;
    set_link(element, next, nullptr);
    set_link(element, prev, last);
    if (last == nullptr) {
        lst->first = element;
    } else {
        set_link(last, next, element);
    }
    lst->last = element;
    ++lst->count;
}
void *base_DList_remove(DList *lst, void *element) {
    if (element == nullptr) {
        return nullptr;
    }
    const unsigned int next = lst->nextOffset, prev = lst->prevOffset;
    void *successor = link_at(element, next);
    void *predecessor = link_at(element, prev);
    set_link(element, next, nullptr);
    set_link(element, prev, nullptr);
    if (predecessor == nullptr) {
        lst->first = successor;
    } else {
        set_link(predecessor, next, successor);
    }
    if (successor == nullptr) {
        lst->last = predecessor;
    } else {
        set_link(successor, prev, predecessor);
    }
    --lst->count;
    return element;
}
void *base_DList_removeFirst(DList *lst) {
    return base_DList_remove(lst, lst->first);
}
void *base_DList_removeLast(DList *lst) {
    return base_DList_remove(lst, lst->last);
}

void *base_mempool_alloc(mempool *pool) {
    CHECK(pool != NULL);
    const unsigned int n = pool->nallocated;
    if (n == pool->nelements) {
        return nullptr;
    }
    void *element = pool->stack[n];
    CHECK(element != NULL);
    pool->stack[n] = nullptr;
    pool->nallocated = n + 1;
    return element;
}
void base_mempool_free(mempool *pool, void *element) {
    CHECK(pool != NULL);
    if (element == nullptr) {
        return;
    }
    CHECK(pool->nallocated > 0);
    const unsigned int n = pool->nallocated - 1;
    CHECK(pool->stack[n] == NULL);
    pool->stack[n] = element;
    pool->nallocated = n;
}

int base_zuqueue_add(zuqueue *p, void *elem) {
    CHECK(p != NULL);
    CHECK(elem != NULL);
    if (p->count == p->capacity) {
        return 0;
    }
    const unsigned int i = p->write_index + 1 == p->capacity ? 0 : p->write_index + 1;
    CHECK(p->members[i] == NULL);
    p->members[i] = elem;
    p->write_index = i;
    ++p->count;
    return 1;
}
void *base_zuqueue_get(zuqueue *p) {
    CHECK(p != NULL);
    if (p->count == 0) {
        return nullptr;
    }
    const unsigned int i = p->read_index + 1 == p->capacity ? 0 : p->read_index + 1;
    void *elem = p->members[i];
    CHECK(elem != NULL);
    p->members[i] = nullptr;
    p->read_index = i;
    --p->count;
    return elem;
}

unsigned int base_HashTab_hashMem(const void *data, unsigned int tableSize, unsigned int length) {
    if (length == 0) {
        return 0;
    }
    const auto *bytes = static_cast<const unsigned char *>(data);
    unsigned int h = 0;
    for (unsigned int i = 0; i < length; ++i) {
        h = (h << 1) ^ bytes[i];
    }
    return h % tableSize;
}
void *base_HashTab_lookup(const HashTab *p, const void *key) {
    CHECK(p != NULL);
    CHECK(key != NULL);
    for (const HashTabBucket *b = p->table[p->hash(key, p->tableSize) % p->tableSize]; b != nullptr;
         b = b->next) {
        if (p->equal(key, b->key) != 0) {
            return b->value;
        }
    }
    return nullptr;
}
void base_SlidingAverage_Add(SlidingAverage *p, unsigned int sample) {
    CHECK(p != NULL);
    const unsigned int slot = p->writeIndex;
    if (p->entries == p->maxEntries) {
        p->sum -= p->log[slot];
    } else {
        ++p->entries;
    }
    p->log[slot] = sample;
    p->sum += sample;
    p->writeIndex = slot + 1 == p->maxEntries ? 0 : slot + 1;
}
uint32_t base_SlidingAverage_GetVariance(const SlidingAverage *p) {
    CHECK(p != NULL);
    if (p->entries != p->maxEntries) {
        return 0;
    }
    // The mean from the running sum: both halves convert exactly, where libgcc's
    // 64-bit conversion would cost more.
    const double sum = static_cast<double>(static_cast<uint32_t>(p->sum >> 32)) * 4294967296.0 +
                       static_cast<double>(static_cast<uint32_t>(p->sum));
    const auto mean = static_cast<uint32_t>(sum / p->entries);
    // The squares' low and high words summed apart: neither sum can wrap, and
    // together they show a total past 64 bits (a variance far above 2^32).
    uint64_t low = 0, high = 0;
    for (unsigned int slot = 0; slot < p->entries; ++slot) {
        const uint32_t d = p->log[slot] > mean ? p->log[slot] - mean : mean - p->log[slot];
        // Below 2^26 the square is exact in double, so the integer product is it.
        const uint64_t square =
            d < (1u << 26) ? uint64_t{d} * d : static_cast<uint64_t>(static_cast<double>(d) * d);
        low += static_cast<uint32_t>(square);
        high += square >> 32;
    }
    high += low >> 32;
    const uint64_t variance =
        high > UINT32_MAX ? UINT64_MAX : (high << 32 | static_cast<uint32_t>(low)) / p->entries;
    return variance > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(variance);
}

void base_zuclib_crc16Update(uint8_t byte, uint16_t *crc) {
    *crc =
        static_cast<uint16_t>(crc16_table[static_cast<uint8_t>(byte ^ (*crc >> 8))] ^ (*crc << 8));
}
