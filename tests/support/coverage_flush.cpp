// Linked into every test program of a coverage build (ZUC_COVERAGE).
//
// A death test runs its statement in a forked child that ends in abort(), so
// the child never reaches the exit handler that writes the gcov counts: the
// failing side of every library check would look untested although a death
// test matched its report. On SIGABRT this writes the counts first and then
// lets the abort go on, so the child still dies of the signal. (__gcov_dump is
// not async-signal-safe; the child is single-threaded and only dying here.)
#include <csignal>

extern "C" void __gcov_dump(void); // NOLINT(bugprone-reserved-identifier): gcov's own name

namespace {

void dump_then_abort(int signal_number) {
    __gcov_dump();
    std::signal(signal_number, SIG_DFL);
    std::raise(signal_number);
}

const bool installed = std::signal(SIGABRT, dump_then_abort) != SIG_ERR;

} // namespace
