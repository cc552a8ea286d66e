// Misuses of the C++ layer that must not compile. check_compile_errors.cmake compiles this file
// once per case, with -DCASE=<n>, and expects the one error that names it.
#include <libzuc/zuc.hpp>
#if __cplusplus >= 202002L // before C++20 the include alone must stop the compile, with one error
#include <utility>

struct Job {
    int priority;
    Job *next;
};
using Less = decltype([](const Job &a, const Job &b) { return a.priority < b.priority; });

[[maybe_unused]] static void misuse(Job &job) {
#if CASE == 1 // a key or value equal to the sentinel's key
    (void)zuc::uint_uint_map({{10, 1}, {65535, 2}});
#elif CASE == 2 // a name equal to the sentinel's
    (void)zuc::str_uint_map({{"a", 1}, {nullptr, 2}});
#elif CASE == 3 // the table would keep a temporary's address
    (void)zuc::hash_table<int, int>::make(4)->insert(5, nullptr);
#elif CASE == 4 // hashing padding bytes (after the char)
    (void)zuc::hash_table<std::pair<char, int>, int>::make(4);
#elif CASE == 5 // an ordering operation on a list without a comparison
    zuc::slist<Job, &Job::next>().insert_sorted(job);
#elif CASE == 6 // a less-than predicate where the C list wants a three-way result
    zuc::slist<Job, &Job::next, Less>().insert_sorted(job);
#elif CASE == 7 // state in a callable the C callback cannot carry
    zuc::list<Job>::make()->sort([&job](Job *a, Job *) { return a == &job; });
#endif
}
#endif
