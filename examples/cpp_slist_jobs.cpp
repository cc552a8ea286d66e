// The C++ version of slist_jobs.c: a component keeps its pending jobs in
// deadline order with no container memory of its own. Each job record
// carries the link, named as a member hook; insert_sorted puts a new job in
// place, a range-for walks them in order (leaving the list's cursor alone),
// and free_elements hands every job back to free().
#include <libzuc/slist.hpp>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>

namespace {

struct Job {
    unsigned int deadline;
    const char *name;
    Job *next; // the link; the list writes it
};

// Only the sign counts.
struct ByDeadline {
    int operator()(const Job &a, const Job &b) const {
        return (a.deadline > b.deadline) - (a.deadline < b.deadline);
    }
};

struct Incoming {
    unsigned int deadline;
    const char *name;
};
constexpr Incoming incoming[] = {
    {40, "flush logs"},    {10, "read sensors"},   {30, "send report"},
    {10, "poll watchdog"}, {20, "update display"},
};

} // namespace

int main() {
    zuc::slist<Job, &Job::next, ByDeadline> jobs;
    for (const Incoming &in : incoming) {
        auto *job = static_cast<Job *>(std::malloc(sizeof(Job)));
        if (job == nullptr) {
            jobs.free_elements();
            return EXIT_FAILURE;
        }
        job->deadline = in.deadline;
        job->name = in.name;
        jobs.insert_sorted(*job);
    }

    // Deadlines never decrease, and of two equal deadlines the job that came
    // later stands first.
    bool ok = jobs.size() == std::size(incoming);
    unsigned int previous = 0;
    for (const Job &job : jobs) {
        std::printf("%3u  %s\n", job.deadline, job.name);
        ok = ok && job.deadline >= previous;
        previous = job.deadline;
    }
    ok = ok && std::strcmp(jobs.front()->name, "poll watchdog") == 0;

    jobs.free_elements(); // every job goes to free()
    ok = ok && jobs.empty();
    return ok ? EXIT_SUCCESS : EXIT_FAILURE;
}
