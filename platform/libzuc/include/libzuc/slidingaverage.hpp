/*
 * libzuc C++ layer: the sliding average, in both forms.
 *
 *  - zuc::sliding_average: the heap form, made by make() and destroyed when
 *    it goes (SlidingAverage_destroy); movable.
 *  - zuc::inplace_sliding_average<N>: the in-place form, its buffer a member
 *    sized at compile time for a window of N samples; it never touches the
 *    heap. The ring's address lives in the record, so it neither moves nor
 *    copies.
 * Both answer the same queries, each one inline call of the C function it
 * names: add, average, weighted_average, variance (0 until the window is
 * full), size (samples held), reset. Caller errors (a window of 0, a
 * moved-from object) abort with the C functions' checks.
 */
#ifndef LIBZUC_SLIDINGAVERAGE_HPP
#define LIBZUC_SLIDINGAVERAGE_HPP

#include <libzuc/detail.hpp> // first: it stops a compile before C++20
#if __cplusplus >= 202002L

#include <libzuc/slidingaverage.h>

#include <climits>
#include <cstdint>
#include <memory>
#include <new>
#include <optional>

namespace zuc {

namespace detail {

// The window's operations over Derived::native().
template <class Derived>
class average_ops {
  public:
    using size_type = unsigned int;

    // Adds a sample; once the window is full it replaces the oldest.
    void add(std::uint32_t sample) noexcept { SlidingAverage_Add(self().native(), sample); }
    // Mean of the samples held; 0.0 when none.
    double average() const noexcept { return SlidingAverage_GetAverage(self().native()); }
    // Mean weighted 1 for the oldest sample up to n for the newest.
    double weighted_average() const noexcept {
        return SlidingAverage_GetWeightedAverage(self().native());
    }
    // Integer variance around the truncated mean; 0 until the window is full.
    std::uint32_t variance() const noexcept { return SlidingAverage_GetVariance(self().native()); }
    // Samples held, 0 .. capacity().
    size_type size() const noexcept { return SlidingAverage_NoOfEntries(self().native()); }
    size_type capacity() const noexcept { return self().native()->maxEntries; }
    bool full() const noexcept { return size() == capacity(); }
    // Empties the window.
    void reset() noexcept { SlidingAverage_Reset(self().native()); }

  private:
    Derived &self() noexcept { return static_cast<Derived &>(*this); }
    const Derived &self() const noexcept { return static_cast<const Derived &>(*this); }
};

} // namespace detail

// A window of samples on the heap. Move-only; a moved-from object holds
// nothing and must only be assigned or destroyed.
//     auto latency = zuc::sliding_average::make(100);        // std::optional
//     latency->add(sample_us);                               // O(1)
//     double mean = latency->average();                      // O(1)
class sliding_average : public detail::average_ops<sliding_average> {
  public:
    // An empty window of capacity samples; empty when memory runs out or the
    // ring would not fit in 32 bits. A capacity of 0 aborts ("maxEntries > 0").
    static std::optional<sliding_average> make(size_type capacity) noexcept {
        SlidingAverage *made = SlidingAverage_create(capacity);
        if (made == nullptr) {
            return std::nullopt;
        }
        return sliding_average(made);
    }
    // Takes over owned, an object from SlidingAverage_create, or NULL.
    explicit sliding_average(SlidingAverage *owned) noexcept : avg_(owned) {}

    // The C object, still owned.
    SlidingAverage *native() noexcept { return avg_.get(); }
    const SlidingAverage *native() const noexcept { return avg_.get(); }
    // Gives the C object up: the caller destroys it with SlidingAverage_destroy.
    SlidingAverage *release() noexcept { return avg_.release(); }

  private:
    std::unique_ptr<SlidingAverage, detail::c_release<SlidingAverage_destroy>> avg_;
};

// A window of N samples inside the object itself.
//     zuc::inplace_sliding_average<16> load;                 // no heap, ever
//     load.add(percent);
//     if (load.full() && load.variance() > limit) alarm();
template <unsigned int N>
class inplace_sliding_average : public detail::average_ops<inplace_sliding_average<N>> {
    static_assert(N > 0 && N <= (UINT_MAX - sizeof(SlidingAverage)) / sizeof(std::uint32_t));

  public:
    inplace_sliding_average() noexcept {
        SlidingAverage_inplace_create(buffer_, static_cast<unsigned int>(sizeof buffer_), N);
    }
    inplace_sliding_average(const inplace_sliding_average &) = delete;
    inplace_sliding_average &operator=(const inplace_sliding_average &) = delete;

    // The C object SlidingAverage_inplace_create built at the start of the buffer.
    SlidingAverage *native() noexcept {
        return std::launder(static_cast<SlidingAverage *>(static_cast<void *>(buffer_)));
    }
    const SlidingAverage *native() const noexcept {
        return std::launder(
            static_cast<const SlidingAverage *>(static_cast<const void *>(buffer_)));
    }

  private:
    // The record, then one 32-bit slot per sample.
    alignas(
        SlidingAverage) unsigned char buffer_[sizeof(SlidingAverage) + N * sizeof(std::uint32_t)];
};

} // namespace zuc

#endif // C++20
#endif
