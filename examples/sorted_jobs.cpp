// A component keeps its jobs in priority order in an intrusive list (the C++
// layer over List): each job record carries its own link, so keeping it in the
// list costs no allocation. Jobs are inserted in order, walked without
// disturbing the list's cursor, and released with free() at the end.
#include <libzuc/slist.hpp>

#include <cstdio>
#include <cstdlib>

namespace {

struct Job {
    int priority;
    const char *name;
    Job *next; // the link: the list writes it
};

// Lower numbers first; only the sign of the result counts.
struct ByPriority {
    int operator()(const Job &a, const Job &b) const {
        return (a.priority > b.priority) - (a.priority < b.priority);
    }
};

} // namespace

int main() {
    static const char *const names[] = {"backup", "alarm", "report", "sync", "log"};
    static const int priorities[] = {5, 1, 4, 2, 4};
    zuc::slist<Job, &Job::next, ByPriority> jobs;
    for (unsigned int i = 0; i < 5; ++i) {
        auto *job = static_cast<Job *>(std::malloc(sizeof(Job)));
        if (job == nullptr) {
            jobs.free_elements();
            return EXIT_FAILURE;
        }
        job->priority = priorities[i];
        job->name = names[i];
        jobs.insert_sorted(*job); // in front of its equals
    }

    std::printf("%u jobs by priority:", jobs.size());
    int last = 0;
    bool ordered = true;
    for (const Job &job : jobs) {
        std::printf(" %s(%d)", job.name, job.priority);
        ordered = ordered && last <= job.priority;
        last = job.priority;
    }
    std::printf("\n");

    Job *urgent = jobs.pop_front();
    std::printf("running %s first\n", urgent->name);
    std::free(urgent);
    jobs.free_elements(); // the rest go to free()
    return ordered && jobs.empty() ? EXIT_SUCCESS : EXIT_FAILURE;
}
