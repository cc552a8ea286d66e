// Misuses of the C++ layer that must not compile. check_compile_errors.cmake compiles this file
// once per case, with -DMISUSE=CASE<n>, and expects the one error that names it.
#include <libzuc/zuc.hpp>
#if __cplusplus >= 202002L // before C++20 the include alone must stop the compile, with one error
#include <utility>

struct Job {
    Job *next;
};
using Less = decltype([](const Job &a, const Job &b) { return &a < &b; }); // orders, not <=>

#define CASE1 (void)zuc::uint_uint_map({{10, 1}, {65535, 2}})              // the sentinel's key
#define CASE2 (void)zuc::str_uint_map({{"a", 1}, {nullptr, 2}})            // the sentinel's name
#define CASE3 (void)zuc::hash_table<int, int>::make(4)->insert(5, nullptr) // a temporary key, kept
#define CASE4 (void)zuc::hash_table<std::pair<char, int>, int>::make(4)    // hashes padding
#define CASE5 zuc::slist<Job, &Job::next>().insert_sorted(job)             // no comparison
#define CASE6 zuc::slist<Job, &Job::next, Less>().insert_sorted(job)       // a bool, not three-way
// State in a callable the C callback cannot carry:
#define CASE7 zuc::list<Job>::make()->sort([&job](Job *a, Job *) { return a == &job; })
[[maybe_unused]] auto misuse = [](Job &job) { MISUSE; };
#endif
