// C++ hash table, pool and queues: typed entries and callables, construction
// in pool elements, release of queued elements, both queue forms, ownership
// of the C objects' memory and allocation failures as results.
#include <libzuc/hashtab.hpp>
#include <libzuc/mempool.hpp>
#include <libzuc/zuqueue.hpp>

#include "heap_wrap.h"
#include "zuc_test.h"

#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

namespace {

using zuc_test::Heap;
using zuc_test::HeapCount;

// ---- hash table ----

// Keys equal when equal modulo 100, which only a hash of the same residue
// keeps apart: shows that Hash and Equal are the ones given. Equal notes
// which key object comes first.
struct Mod100Hash {
    static inline unsigned table_size_seen;
    unsigned operator()(const int &key, unsigned table_size) const {
        table_size_seen = table_size;
        return static_cast<unsigned>(key % 100);
    }
};
struct Mod100Equal {
    static inline const int *given;
    bool operator()(const int &a, const int &b) const {
        given = &a;
        return a % 100 == b % 100;
    }
};

TEST(CppHashTable, KeysAndValuesAreTypedAndCallablesAreTheOnesGiven) {
    auto t = zuc::hash_table<int, const char, Mod100Hash, Mod100Equal>::make(2);
    ASSERT_TRUE(t.has_value());
    const int five = 5, six = 6, seven = 7;
    EXPECT_TRUE(t->insert(five, "five"));
    EXPECT_EQ(Mod100Hash::table_size_seen, t->native()->tableSize);
    const int other_five = 105;
    EXPECT_STREQ(t->find(other_five), "five");
    EXPECT_EQ(Mod100Equal::given, &other_five);
    EXPECT_FALSE(t->insert(other_five, "again")); // present, non-null value
    EXPECT_TRUE(t->insert(six, "six"));
    EXPECT_TRUE(t->full());
    EXPECT_FALSE(t->insert(seven, "seven"));
    t->erase(105);
    EXPECT_EQ(t->find(5), nullptr);
    EXPECT_EQ(t->size(), 1u);
    EXPECT_EQ(t->capacity(), 2u);
}

TEST(CppHashTable, HashesFromStdHashOrTheKeysBytes) {
    auto by_std = zuc::hash_table<long, int, std::hash<long>>::make(4);
    ASSERT_TRUE(by_std.has_value());
    const long key = 1234567;
    int value = 1;
    EXPECT_TRUE(by_std->insert(key, &value));
    EXPECT_EQ(by_std->find(1234567), &value);

    struct Abc {
        char text[3];
        bool operator==(const Abc &) const = default;
    };
    // The bytes a, b, c hash to 291, 5 modulo 11, 0 modulo 3.
    EXPECT_EQ(zuc::hash_mem{}(Abc{{'a', 'b', 'c'}}, 11), 5u);
    EXPECT_EQ(zuc::hash_mem{}(Abc{{'a', 'b', 'c'}}, 3), 0u);
    auto by_bytes = zuc::hash_table<Abc, int>::make(4);
    ASSERT_TRUE(by_bytes.has_value());
    const Abc abc{{'a', 'b', 'c'}};
    EXPECT_TRUE(by_bytes->insert(abc, &value));
    EXPECT_EQ(by_bytes->find(Abc{{'a', 'b', 'c'}}), &value);
    EXPECT_EQ(by_bytes->find(Abc{{'a', 'b', 'd'}}), nullptr);
}

TEST(CppHashTable, OwnsItsArraysAndFailsWithoutLeaking) {
    using Table = zuc::hash_table<int, int>;
    Heap::start();
    EXPECT_FALSE(Table::make(0).has_value());
    EXPECT_EQ(Heap::stop().allocations, 0u);
    for (unsigned fail_at : {1u, 2u}) {
        Heap::start(fail_at);
        EXPECT_FALSE(Table::make(3).has_value());
        HeapCount count = Heap::stop();
        EXPECT_EQ(count.refused, 1u);
        EXPECT_EQ(count.live, 0u);
    }
    Heap::start();
    {
        std::optional<Table> t = Table::make(3);
        ASSERT_TRUE(t.has_value());
        Table moved(std::move(*t));
        Table assigned = std::move(moved);
        EXPECT_EQ(assigned.capacity(), 3u);
        EXPECT_EQ(Heap::now().live, 2u);
    }
    HeapCount count = Heap::stop();
    EXPECT_EQ(count.frees, 2u);
    EXPECT_EQ(count.live, 0u);
}

// ---- pool ----

struct Tracked {
    static inline int alive;
    int a, b;
    Tracked(int x, int y) : a(x), b(y) { ++alive; }
    ~Tracked() { --alive; }
};

TEST(CppPool, CreateConstructsInAFreeElementAndDestroyGivesItBack) {
    Tracked::alive = 0;
    auto p = zuc::pool<Tracked>::make(2);
    ASSERT_TRUE(p.has_value());
    Tracked *first = p->create(1, 2);
    Tracked *second = p->create(3, 4);
    ASSERT_TRUE(first != nullptr && second != nullptr);
    EXPECT_EQ(second, first + 1); // back to back, at a stride of sizeof(Tracked)
    EXPECT_EQ(second->b, 4);
    EXPECT_EQ(Tracked::alive, 2);
    EXPECT_EQ(p->create(5, 6), nullptr);
    EXPECT_EQ(Tracked::alive, 2);
    EXPECT_EQ(p->in_use(), 2u);

    p->destroy(first);
    p->destroy(nullptr);
    EXPECT_EQ(Tracked::alive, 1);
    EXPECT_EQ(p->create(7, 8), first); // the element returned last
    EXPECT_EQ(first->a, 7);
    p->destroy(first);
    p->destroy(second);
    EXPECT_EQ(Tracked::alive, 0);
    EXPECT_EQ(p->in_use(), 0u);
}

TEST(CppPool, TrivialElementsAreHandedOutAsTheyAre) {
    struct Sample {
        std::uint32_t id;
        double value;
    };
    auto p = zuc::pool<Sample>::make(1);
    ASSERT_TRUE(p.has_value());
    Sample *s = p->allocate();
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->id, 0u); // zero on first use
    s->id = 42;
    p->deallocate(s);
    EXPECT_EQ(p->allocate()->id, 42u); // what the last user left
}

TEST(CppPoolDeathTest, AnEmptyPoolAbortsInTheLibrary) {
    EXPECT_ZUC_CHECK_FAILS(zuc::pool<double>::make(0), "mempool", "mempool_create",
                           "nelements > 0");
}

TEST(CppPool, OwnsItsBlocksAndFailsWithoutLeaking) {
    for (unsigned fail_at = 1; fail_at <= 3; ++fail_at) {
        Heap::start(fail_at);
        EXPECT_FALSE(zuc::pool<int>::make(4).has_value());
        HeapCount count = Heap::stop();
        EXPECT_EQ(count.refused, 1u);
        EXPECT_EQ(count.live, 0u);
    }
    Heap::start();
    {
        auto p = zuc::pool<int>::make(4);
        ASSERT_TRUE(p.has_value());
        zuc::pool<int> moved(std::move(*p));
        EXPECT_EQ(p->get(), nullptr);
        EXPECT_EQ(moved.capacity(), 4u);
    }
    HeapCount count = Heap::stop();
    EXPECT_EQ(count.allocations, 3u);
    EXPECT_EQ(count.live, 0u);
}

// ---- queues ----

struct Message {
    int id;
};
struct Released {
    static inline std::vector<const Message *> log;
    void operator()(const Message *m) const { log.push_back(m); }
};
Message messages[4];

// What both forms must do: first in, first out, full and empty as results.
template <class Q>
void expect_fifo(Q &q) {
    EXPECT_TRUE(q.empty());
    EXPECT_EQ(q.pop(), nullptr);
    for (Message &m : messages) {
        bool room = !q.full();
        EXPECT_EQ(q.push(&m), room);
    }
    EXPECT_EQ(q.size(), 3u);
    EXPECT_EQ(q.pop(), &messages[0]);
    EXPECT_TRUE(q.push(&messages[3]));
    EXPECT_EQ(q.pop(), &messages[1]);
}

TEST(CppQueue, HeapQueueReleasesWhatIsLeftOldestFirstOnce) {
    Released::log.clear();
    {
        auto q = zuc::queue<Message, Released>::make(3);
        ASSERT_TRUE(q.has_value());
        expect_fifo(*q);
        zuc::queue<Message, Released> moved(std::move(*q));
        EXPECT_EQ(q->native(), nullptr);
        EXPECT_EQ(moved.capacity(), 3u);
    }
    EXPECT_EQ(Released::log, (std::vector<const Message *>{&messages[2], &messages[3]}));
}

TEST(CppQueue, InPlaceQueueLivesInTheObjectAndNeverTouchesTheHeap) {
    using Q = zuc::inplace_queue<Message, 3, Released>;
    EXPECT_EQ(sizeof(Q), zuqueue_size(3));
    Released::log.clear();
    Heap::start();
    {
        Q q;
        EXPECT_EQ(static_cast<const void *>(q.native()), static_cast<const void *>(&q));
        expect_fifo(q);
    }
    EXPECT_EQ(Heap::stop().allocations, 0u);
    EXPECT_EQ(Released::log, (std::vector<const Message *>{&messages[2], &messages[3]}));
}

TEST(CppQueue, FailuresAreResults) {
    for (unsigned fail_at : {1u, 2u}) {
        Heap::start(fail_at);
        EXPECT_FALSE(zuc::queue<Message>::make(8).has_value());
        HeapCount count = Heap::stop();
        EXPECT_EQ(count.refused, 1u);
        EXPECT_EQ(count.live, 0u);
    }
    EXPECT_FALSE(zuc::queue<Message>::make(ZUQUEUE_MAX_CAPACITY + 1).has_value());
}

TEST(CppQueueDeathTest, ANullElementAborts) {
    zuc::inplace_queue<Message, 2> q;
    EXPECT_ZUC_CHECK_FAILS((void)q.push(nullptr), "zuqueue", "zuqueue_add", "elem != NULL");
}

} // namespace
