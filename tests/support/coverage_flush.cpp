// Linked into the test programs of coverage builds. A death test's child dies in abort() without
// writing its gcov counts, so the failing side of each library check would look untested: on
// SIGABRT, write them first and let the abort go on (__gcov_dump is not async-signal-safe; the
// child only dies here).
#include <csignal>

extern "C" void __gcov_dump(void); // NOLINT(bugprone-reserved-identifier): gcov's own name

static const bool installed = std::signal(SIGABRT, [](int signal_number) {
                                  __gcov_dump();
                                  std::signal(signal_number, SIG_DFL);
                                  std::raise(signal_number);
                              }) != SIG_ERR;
