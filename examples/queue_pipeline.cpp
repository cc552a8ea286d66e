// A component hands sensor readings from a producer to a consumer through a
// bounded queue (the C++ layer over zuqueue). The producer gets false back
// when the queue is full and keeps the reading; the consumer gets null when it
// is empty; whatever is still queued at the end goes to free(), oldest first,
// as the queue goes.
#include <libzuc/zuqueue.hpp>

#include <cstdio>
#include <cstdlib>

namespace {

struct Reading {
    unsigned int sequence;
    int value;
};

Reading *new_reading(unsigned int sequence) {
    auto *r = static_cast<Reading *>(std::malloc(sizeof(Reading)));
    if (r != nullptr) {
        r->sequence = sequence;
        r->value = static_cast<int>(sequence % 10);
    }
    return r;
}

} // namespace

int main() {
    // Readings come from malloc, so the queue releases leftovers with free().
    auto readings = zuc::queue<Reading, zuc::free_delete>::make(4);
    if (!readings) {
        return EXIT_FAILURE;
    }
    unsigned int produced = 0;
    unsigned int refused = 0;
    unsigned int consumed = 0;
    long total = 0;
    // The producer offers three readings a round, the consumer takes two, so
    // the queue fills up and the producer starts to hear "full".
    for (int round = 0; round < 4; ++round) {
        for (int i = 0; i < 3; ++i) {
            Reading *r = new_reading(produced + refused);
            if (r == nullptr) {
                return EXIT_FAILURE;
            }
            if (readings->push(r)) {
                ++produced;
            } else {
                std::free(r); // full: the reading is still ours
                ++refused;
            }
        }
        for (int i = 0; i < 2; ++i) {
            if (Reading *r = readings->pop()) {
                total += r->value;
                ++consumed;
                std::free(r);
            }
        }
    }
    std::printf("produced %u, refused %u, consumed %u (sum %ld), %u left queued\n", produced,
                refused, consumed, total, readings->size());
    bool balanced = consumed + readings->size() == produced && refused > 0;
    return balanced ? EXIT_SUCCESS : EXIT_FAILURE; // the queue frees what is left
}
