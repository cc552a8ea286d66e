// C++ hash table, pool and queues: typed entries and callables, construction
// in pool elements, release of queued elements, both queue forms, ownership
// of the C objects' memory and allocation failures as results.
#include <libzuc/hashtab.hpp>
#include <libzuc/mempool.hpp>
#include <libzuc/zuqueue.hpp>

#include "heap_wrap.h"
#include "zuc_test.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace {

using zuc_test::Heap;
using zuc_test::runs_until_made;

// Every factory answers an empty optional for each refused allocation and
// leaves nothing behind; what it makes owns its blocks, moves hand them over
// and the last owner frees them.
TEST(CppStores, FactoriesFailAsResultsAndOwnersFreeTheirBlocksOnce) {
    using Table = zuc::hash_table<int, int>;
    EXPECT_EQ(runs_until_made([] {
                  std::optional<Table> t = Table::make(3);
                  if (t) {
                      Table moved(std::move(*t));
                      EXPECT_EQ(moved.capacity(), 3u);
                  }
                  return t.has_value();
              }),
              3u);
    EXPECT_EQ(runs_until_made([] {
                  auto p = zuc::pool<int>::make(4);
                  if (p) {
                      zuc::pool<int> moved(std::move(*p));
                      EXPECT_EQ(p->native(), nullptr);
                      EXPECT_EQ(moved.capacity(), 4u);
                  }
                  return p.has_value();
              }),
              4u);
    EXPECT_EQ(runs_until_made([] {
                  auto q = zuc::queue<int>::make(8);
                  if (q) {
                      zuc::queue<int> moved(std::move(*q));
                      EXPECT_EQ(q->native(), nullptr);
                      EXPECT_EQ(moved.capacity(), 8u);
                  }
                  return q.has_value();
              }),
              3u);
    Heap::start();
    {
        std::optional<Table> kept = Table::make(3);
        std::optional<Table> replaced = Table::make(1);
        *replaced = std::move(*kept); // its own arrays go at once
        EXPECT_EQ(replaced->capacity(), 3u);
        EXPECT_EQ(Heap::now().live, 2u);
    }
    EXPECT_EQ(Heap::stop().live, 0u);
    Heap::start();
    EXPECT_FALSE(Table::make(0).has_value());
    EXPECT_FALSE(zuc::queue<int>::make(ZUQUEUE_MAX_CAPACITY + 1).has_value());
    EXPECT_EQ(Heap::stop().allocations, 0u);
}

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
    EXPECT_TRUE(t->insert(six, "six"));
    EXPECT_TRUE(t->full());
    EXPECT_FALSE(t->insert(seven, "seven"));
    t->erase(105);
    EXPECT_EQ(t->find(5), nullptr);
    EXPECT_EQ(t->size(), 1u);
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
    EXPECT_EQ(zuc::hash_mem{}(Abc{{'a', 'b', 'c'}}, 11), 5u); // the bytes a, b, c: 291
    auto by_bytes = zuc::hash_table<Abc, int>::make(4);
    ASSERT_TRUE(by_bytes.has_value());
    const Abc abc{{'a', 'b', 'c'}};
    EXPECT_TRUE(by_bytes->insert(abc, &value));
    EXPECT_EQ(by_bytes->find(Abc{{'a', 'b', 'c'}}), &value);
    EXPECT_EQ(by_bytes->find(Abc{{'a', 'b', 'd'}}), nullptr);
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

    struct Sample {
        std::uint32_t id;
        double value;
    };
    auto trivial = zuc::pool<Sample>::make(1);
    Sample *s = trivial->allocate();
    ASSERT_NE(s, nullptr);
    s->id = 42;
    trivial->deallocate(s);
    EXPECT_EQ(trivial->allocate()->id, 42u); // handed out as the last user left it
}

TEST(CppPoolDeathTest, AnEmptyPoolAbortsInTheLibrary) {
    EXPECT_ZUC_CHECK_FAILS(zuc::pool<double>::make(0), "mempool", "mempool_create",
                           "nelements > 0");
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

// Both forms: first in, first out, full and empty as results, and what is
// left goes to Release, oldest first, once, when the queue goes.
template <class Q>
void expect_fifo_then_release(Q &q) {
    Released::log.clear();
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
    EXPECT_TRUE(Released::log.empty());
}

TEST(CppQueue, BothFormsAreFifoAndReleaseWhatIsLeft) {
    using InPlace = zuc::inplace_queue<Message, 3, Released>;
    EXPECT_EQ(sizeof(InPlace), zuqueue_size(3));
    Heap::start();
    {
        InPlace q;
        EXPECT_EQ(static_cast<const void *>(q.native()), static_cast<const void *>(&q));
        expect_fifo_then_release(q);
    }
    EXPECT_EQ(Heap::stop().allocations, 0u);
    EXPECT_EQ(Released::log, (std::vector<const Message *>{&messages[2], &messages[3]}));
    {
        auto q = zuc::queue<Message, Released>::make(3);
        ASSERT_TRUE(q.has_value());
        expect_fifo_then_release(*q);
        zuc::queue<Message, Released> moved(std::move(*q));
    }
    EXPECT_EQ(Released::log, (std::vector<const Message *>{&messages[2], &messages[3]}));
}

TEST(CppQueueDeathTest, ANullElementAborts) {
    zuc::inplace_queue<Message, 2> q;
    EXPECT_ZUC_CHECK_FAILS((void)q.push(nullptr), "zuqueue", "zuqueue_add", "elem != NULL");
}

} // namespace
