// Shared pieces of the libFuzzer harnesses.
//
// Each harness reads its input as a sequence of operations, applies every
// operation to the library and to a plain model built from standard
// containers, and stops the process at the first difference: a result, an
// element order, the calls the library made to the harness's callbacks (with
// their arguments and order), or a broken invariant of the record. The
// libFuzzer, AddressSanitizer and UBSan runtimes then report the input that
// did it.
#ifndef LIBZUC_TESTS_FUZZ_FUZZ_H
#define LIBZUC_TESTS_FUZZ_FUZZ_H

#include <cinttypes>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <type_traits>
#include <utility>
#include <vector>

namespace zuc_fuzz {

// The input, read front to back. Past its end every read gives 0, so every
// input, however short, decodes to some sequence of operations.
class Input {
  public:
    Input(const std::uint8_t *data, std::size_t size) : data_(data), size_(size) {}
    bool more() const { return pos_ < size_; }
    std::uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    // A value in 0 .. n - 1, for n up to 256.
    unsigned below(unsigned n) { return byte() % n; }
    bool flag() { return (byte() & 1) != 0; }
    std::uint32_t u32() {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i) {
            v = v << 8 | byte();
        }
        return v;
    }
    // A 32-bit value that is often at an edge: 0, 1, the largest values.
    std::uint32_t edgy_u32() {
        switch (byte() & 7) {
        case 0:
            return 0;
        case 1:
            return 1;
        case 2:
            return UINT32_MAX;
        case 3:
            return UINT32_MAX - byte();
        case 4:
            return byte();
        default:
            return u32();
        }
    }

  private:
    const std::uint8_t *data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

// An opaque element pointer made from a number. The library stores such
// pointers without looking at what they point to, so they are never
// dereferenced by anyone.
inline void *fake(std::uintptr_t v) {
    return reinterpret_cast<void *>(v);
}

[[noreturn]] inline void fail(const char *file, int line, const char *what) {
    std::fprintf(stderr, "%s:%d: library and model differ: %s\n", file, line, what);
    std::abort();
}

template <class T>
unsigned long long printable(const T &v) {
    if constexpr (std::is_null_pointer_v<T>) {
        return 0;
    } else if constexpr (std::is_pointer_v<T>) {
        return reinterpret_cast<std::uintptr_t>(v);
    } else {
        return static_cast<unsigned long long>(v);
    }
}

template <class A, class B>
void check_eq(const A &got, const B &want, const char *what, const char *file, int line) {
    if (!(got == want)) {
        if constexpr (std::is_floating_point_v<A>) {
            std::fprintf(stderr, "got %.17g, want %.17g\n", static_cast<double>(got),
                         static_cast<double>(want));
        } else {
            std::fprintf(stderr, "got 0x%llx, want 0x%llx\n", printable(got), printable(want));
        }
        fail(file, line, what);
    }
}

#define FUZZ_CHECK(cond) ((cond) ? static_cast<void>(0) : zuc_fuzz::fail(__FILE__, __LINE__, #cond))
#define FUZZ_EQ(got, want) zuc_fuzz::check_eq(got, want, #got " == " #want, __FILE__, __LINE__)

// One call the library made to a harness callback (or allocator): a kind
// letter and up to three arguments or results, as numbers.
struct Call {
    char kind;
    std::uintptr_t a = 0, b = 0, c = 0;
    bool operator==(const Call &) const = default;
};
using Calls = std::vector<Call>;

inline std::uintptr_t num(const void *p) {
    return reinterpret_cast<std::uintptr_t>(p);
}

// Compares the calls the library made with those the model expects, and
// shows the first difference.
inline void check_calls(const Calls &got, const Calls &want, const char *file, int line) {
    if (got == want) {
        return;
    }
    std::size_t n = 0;
    while (n < got.size() && n < want.size() && got[n] == want[n]) {
        ++n;
    }
    std::fprintf(stderr, "%zu calls, %zu expected; first difference at call %zu:\n", got.size(),
                 want.size(), n);
    for (const auto &[which, calls] : {std::pair{"got ", &got}, std::pair{"want", &want}}) {
        if (n < calls->size()) {
            const Call &c = (*calls)[n];
            std::fprintf(stderr, "  %s %c(0x%" PRIxPTR ", 0x%" PRIxPTR ", 0x%" PRIxPTR ")\n", which,
                         c.kind, c.a, c.b, c.c);
        } else {
            std::fprintf(stderr, "  %s nothing\n", which);
        }
    }
    fail(file, line, "callback calls");
}

#define FUZZ_CALLS(got, want) zuc_fuzz::check_calls(got, want, __FILE__, __LINE__)

} // namespace zuc_fuzz

#endif
