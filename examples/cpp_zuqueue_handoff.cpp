// The C++ version of zuqueue_handoff.c: a component hands messages from a
// producer to a consumer through a bounded queue. push() answers false when
// the queue is full (the producer keeps the message it could not queue),
// pop() gives the oldest message, and when the queue goes, its Release type
// frees every message still queued, oldest first.
#include <libzuc/zuqueue.hpp>

#include <cstdio>
#include <cstdlib>

namespace {

struct Message {
    unsigned int serial;
    unsigned int payload;
};

Message *new_message(unsigned int serial) {
    auto *m = static_cast<Message *>(std::malloc(sizeof(Message)));
    if (m != nullptr) {
        m->serial = serial;
        m->payload = serial * 100u;
    }
    return m;
}

// Serials the release saw, in the order it saw them.
unsigned int released[8];
unsigned int released_count;

struct ReleaseMessage {
    void operator()(Message *m) const noexcept {
        std::printf("shutdown: released #%u\n", m->serial);
        if (released_count < sizeof released / sizeof released[0]) {
            released[released_count++] = m->serial;
        }
        std::free(m);
    }
};

} // namespace

int main() {
    constexpr unsigned int capacity = 4;
    bool ok = true;
    {
        auto queue = zuc::queue<Message, ReleaseMessage>::make(capacity);
        if (!queue) {
            return EXIT_FAILURE;
        }

        // Producer: add until the queue is full.
        unsigned int serial = 0;
        for (;;) {
            Message *m = new_message(serial + 1);
            if (m == nullptr) {
                return EXIT_FAILURE; // the queue still releases what it holds
            }
            if (!queue->push(m)) {
                std::free(m); // refused: still ours
                break;
            }
            ++serial;
        }
        std::printf("producer: queue full after %u messages\n", serial);
        ok = serial == capacity;

        // Consumer: the two oldest, in the order they were added.
        for (unsigned int expected = 1; expected <= 2; ++expected) {
            Message *m = queue->pop();
            if (m == nullptr) {
                ok = false;
                break;
            }
            std::printf("consumer: #%u carries %u\n", m->serial, m->payload);
            ok = ok && m->serial == expected;
            std::free(m);
        }

        // The freed slots take new messages.
        Message *late = new_message(++serial);
        if (late != nullptr && !queue->push(late)) {
            std::free(late);
            ok = false;
        }
    } // shutdown with #3, #4 and #5 still queued
    ok = ok && released_count == 3 && released[0] == 3 && released[1] == 4 && released[2] == 5;
    return ok ? EXIT_SUCCESS : EXIT_FAILURE;
}
