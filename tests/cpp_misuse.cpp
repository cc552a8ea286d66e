// Misuses of the C++ layer that must not compile. check_compile_errors.cmake compiles this file
// once per case, with -DCASE=<n>, and expects the error it names; without CASE (the correct
// uses) it must compile.
#include <libzuc/zuc.hpp>

#include <utility>

#ifndef CASE
#define CASE 0
#endif

namespace {

struct Job {
    int priority;
    Job *next;
};

[[maybe_unused]] void uses() {
    auto table = zuc::hash_table<int, int>::make(4);
    auto jobs = zuc::list<Job>::make();
    zuc::slist<Job, &Job::next> unordered;
    [[maybe_unused]] Job job{};
#if CASE == 1 // a key or value equal to the sentinel's key
    constexpr auto codes = zuc::uint_uint_map({{10, 1}, {65535, 2}});
#elif CASE == 2 // a name equal to the sentinel's
    constexpr auto names = zuc::str_uint_map({{"a", 1}, {nullptr, 2}});
#elif CASE == 3 // the table would keep a temporary's address
    (void)table->insert(5, nullptr);
#elif CASE == 4 // hashing padding bytes
    (void)zuc::hash_table<std::pair<char, int>, int>::make(4); // padding after the char
#elif CASE == 5 // an ordering operation on a list without a comparison
    unordered.insert_sorted(job);
#elif CASE == 6 // a less-than predicate where the C list wants a three-way result
    using Less = decltype([](const Job &a, const Job &b) { return a.priority < b.priority; });
    zuc::slist<Job, &Job::next, Less> ordered;
    ordered.insert_sorted(job);
#elif CASE == 7 // state in a callable the C callback cannot carry
    int direction = -1;
    jobs->sort(
        [direction](Job *a, Job *b) { return direction * a->priority < direction * b->priority; });
#else
    constexpr auto codes = zuc::uint_uint_map({{10, 1}, {20, 2}});
    constexpr auto names = zuc::str_uint_map({{"a", 1}});
    static const int key = 5;
    (void)table->insert(key, nullptr);
    unordered.push_back(job);
    jobs->sort([](Job *a, Job *b) { return a->priority < b->priority; });
    (void)codes.find(10);
    (void)names.find(1);
#endif
}

} // namespace
