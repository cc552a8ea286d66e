// Linked into every test program of a coverage build. A death test's child
// ends in abort() and so never writes its gcov counts at exit, and the failing
// side of each library check would look untested. On SIGABRT this writes them
// first and lets the abort go on. (__gcov_dump is not async-signal-safe; the
// child is single-threaded and only dying here.)
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
