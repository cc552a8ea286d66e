// What the tests share. The heap tracker (heap.cpp) sees every malloc, calloc, posix_memalign and
// free, the library's too (--wrap): it numbers the blocks 1, 2, ..., fills fresh malloc and
// posix_memalign blocks with garbage (so a field left unset shows in a release run), refuses
// 256 MiB and more as a small 32-bit system would, or the n-th request from now; it logs each call.
// A model is one family's contract as standard containers and a decoder that applies operations
// read from an Input to the library and to itself, and stops at the first difference (a result,
// the record, a callback or heap call with its arguments, in order). The fuzzer and the replay
// test run the same models.
#ifndef ZUC_TESTS_MODEL_H
#define ZUC_TESTS_MODEL_H

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <type_traits>
#include <unordered_map>
#include <utility>
#include <vector>

namespace zt {

// A heap call or a call of a test callback. Heap calls: 'A' (source, bytes, id), 'R' (source,
// bytes) for a refusal, 'F' (source, id; 0 for a block the tracker never handed out). Sources: 'm'
// malloc, 'c' calloc, 'p' posix_memalign, 'f' free, '1' the allocator pair below.
struct Ev {
    char kind;
    std::uintptr_t a = 0, b = 0, c = 0;
    bool operator==(const Ev &) const = default;
};
std::vector<Ev> &log();

struct Heap {
    static inline unsigned refuse_at = 0, serial = 0; // the n-th allocation from now is refused
    static void refuse(unsigned n) { refuse_at = n; } // (0: none); serial: the last block's id
    static unsigned next_id() { return serial + 1; }  // the id of the next block
    static std::unordered_map<const void *, unsigned> &blocks(); // the live blocks' ids
    static unsigned live() { return unsigned(blocks().size()); }
    static unsigned id(const void *block) { return blocks().contains(block) ? blocks()[block] : 0; }
};

// An allocator pair for the generic list (source '1'), over the same tracker.
void *pair_alloc(std::size_t bytes);
void pair_free(void *block);

// Every choice of a decoder comes from here: from bytes (a fuzzer input, a corpus file or a random
// run; past the end every byte reads 0), or after the bytes from an odometer that enumerates every
// sequence of `ops` further operations, each pick(n) taking every value below n in turn. Either way
// the bytes consumed are kept, so any run can be replayed from them alone.
class Input {
  public:
    Input(const std::uint8_t *data, std::size_t size, std::vector<unsigned> *digits = nullptr,
          std::vector<unsigned> *bases = nullptr, unsigned ops = 0)
        : data_(data), size_(size), digits_(digits), bases_(bases), ops_(ops) {}

    bool next_op() {
        const bool more = pos_ < size_ || (digits_ != nullptr && ops_-- > 0);
        operations += more ? 1 : 0;
        return more;
    }
    // A choice in 0 .. n - 1 (n up to 256).
    unsigned pick(unsigned n) {
        if (pos_ < size_ || digits_ == nullptr) {
            return keep(byte() % n);
        }
        if (odometer_ == digits_->size()) {
            digits_->push_back(0);
            bases_->push_back(n);
        }
        return keep((*digits_)[odometer_++]);
    }
    // A byte not worth enumerating (a sample, a key): when enumerating, a fixed function of its
    // place in the sequence.
    unsigned raw() {
        return keep(pos_ < size_ || !digits_ ? byte() : (trail_.size() * 167 + 13) & 0xFF);
    }
    // A 32-bit value, often at an edge.
    std::uint32_t u32() {
        const unsigned edge = pick(4);
        const std::uint32_t r = raw();
        return edge == 0   ? r
               : edge == 1 ? UINT32_MAX - r
               : edge == 2 ? 0x80000000u ^ r
                           : r << 24 | raw() << 16 | raw() << 8 | raw();
    }
    const std::string &trail() const { return trail_; }
    static inline unsigned long long operations = 0; // run by all inputs so far

    // Moves the odometer to the next sequence; false after the last.
    static bool advance(std::vector<unsigned> &digits, std::vector<unsigned> &bases) {
        while (!digits.empty() && digits.back() + 1 == bases.back()) {
            digits.pop_back();
            bases.pop_back();
        }
        return !digits.empty() && ++digits.back() > 0;
    }

  private:
    unsigned byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    unsigned keep(unsigned v) { return trail_ += char(v), v; }
    const std::uint8_t *data_;
    std::size_t size_, pos_ = 0, odometer_ = 0;
    std::vector<unsigned> *digits_, *bases_;
    unsigned ops_;
    std::string trail_;
};

// The input being run, for the report of a difference.
inline const Input *current = nullptr;

[[noreturn]] inline void fail(const char *file, int line, const char *what) {
    std::fprintf(stderr, "%s:%d: library and model differ: %s\ninput:", file, line, what);
    for (unsigned char c : current != nullptr ? current->trail() : "") {
        std::fprintf(stderr, " %02x", c);
    }
    std::fprintf(stderr, "\n");
    std::abort();
}

// Numbers are shown (as doubles, exact up to 2^53); pointers by the input alone.
template <class A, class B>
void check_eq(const A &got, const B &want, const char *what, const char *file, int line) {
    if (!(got == want)) {
        if constexpr (std::is_arithmetic_v<A> && std::is_arithmetic_v<B>) {
            std::fprintf(stderr, "got %.17g, want %.17g\n", double(got), double(want));
        }
        fail(file, line, what);
    }
}
#define ZT_CHECK(cond) ((cond) ? void(0) : zt::fail(__FILE__, __LINE__, #cond))
#define ZT_EQ(got, want) zt::check_eq(got, want, #got " == " #want, __FILE__, __LINE__)

// The events since the last call must be exactly `want`; clears the log.
inline void expect_events(const std::vector<Ev> &want, const char *file, int line) {
    if (log() != want) {
        for (const std::vector<Ev> *side : {&std::as_const(log()), &want}) {
            std::fprintf(stderr, "%s:", side == &want ? "want" : "got");
            for (const Ev &e : *side) {
                std::fprintf(stderr, " %c(%#llx,%#llx,%#llx)", e.kind, 0ULL + e.a, 0ULL + e.b,
                             0ULL + e.c);
            }
            std::fprintf(stderr, "\n");
        }
        fail(file, line, "events");
    }
    log().clear();
}
#define ZT_EVENTS(...) zt::expect_events(__VA_ARGS__, __FILE__, __LINE__)

// Calls make(), a constructor that asks for blocks (source, bytes) in turn, with its refused-th
// request refused (0: none), and adds to want the heap calls it must make: none when it must refuse
// the sizes first (!fits), else the requests up to the first refused (or of 256 MiB or more, which
// the tracker refuses), then the releases of the blocks it took, newest first. Its result (an
// object, or 1) must say whether all were granted. id: the first block's.
template <class F>
auto construct(F make, std::vector<std::pair<char, std::size_t>> blocks, unsigned refused,
               bool fits, unsigned &id, std::vector<Ev> &want) {
    id = Heap::next_id();
    Heap::refuse(refused);
    const auto got = make();
    Heap::refuse(0);
    bool whole = fits;
    for (unsigned b = 0; whole && b < blocks.size(); ++b) {
        whole = b + 1 != refused && blocks[b].second < 0x10000000;
        want.push_back({whole ? 'A' : 'R', std::uintptr_t(blocks[b].first), blocks[b].second,
                        whole ? id + b : 0});
        for (unsigned taken = b; !whole && taken-- > 0;) {
            want.push_back({'F', 'f', id + taken});
        }
    }
    if constexpr (std::is_pointer_v<decltype(got)>) {
        ZT_EQ(got != nullptr, whole);
    } else {
        ZT_EQ(got, int(whole));
    }
    return got;
}

// Runs a model M over an input: each operation, the events it caused, the model's checks; at the
// end M's destructor releases what the model holds, and no block may be left.
template <class M>
void run(Input &in) {
    const unsigned live = Heap::live();
    {
        M m;
        log().clear();
        while (in.next_op()) {
            m.step(in);
            ZT_EVENTS(m.want);
            m.want.clear();
            m.check();
        }
    }
    log().clear();
    ZT_EQ(Heap::live(), live);
}

// An opaque pointer made from a number, never dereferenced, and back.
inline constexpr auto fake = [](std::uintptr_t v) { return reinterpret_cast<void *>(v); };
inline constexpr auto num = [](const void *p) { return reinterpret_cast<std::uintptr_t>(p); };

} // namespace zt

// The decoder of each family: runs the operations of one input.
void model_llist(zt::Input &), model_slist(zt::Input &), model_dlist(zt::Input &),
    model_hashtab(zt::Input &), model_mempool(zt::Input &), model_zuqueue(zt::Input &),
    model_slidingaverage(zt::Input &), model_utilities(zt::Input &);

#endif
