// Every family's model, replayed in every build: the fuzzer's seed corpus,
// every operation sequence up to a small length, and seeded random runs. A
// difference stops the program with the input that shows it (see model.h).
#include "model.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

namespace {

struct Family {
    const char *name;
    void (*run)(zt::Input &);
    unsigned depth; // every sequence of this many operations is run
};

const Family families[] = {
    {"llist", model_llist, 2},       {"slist", model_slist, 2},
    {"dlist", model_dlist, 2},       {"hashtab", model_hashtab, 3},
    {"mempool", model_mempool, 4},   {"zuqueue", model_zuqueue, 3},
    {"slidingaverage", model_slidingaverage, 3}, {"utilities", model_utilities, 2},
};

void run(const Family &f, const std::uint8_t *data, std::size_t size) {
    zt::Input in(data, size);
    zt::current = &in;
    f.run(in);
}

void PrintTo(const Family &f, std::ostream *out) {
    *out << f.name;
}

class Replay : public ::testing::TestWithParam<Family> {};

TEST_P(Replay, CorpusEveryShortSequenceAndRandomRuns) {
    const Family &f = GetParam();
    // Under valgrind the replay is cut short (ZUC_REPLAY_QUICK).
    const bool quick = std::getenv("ZUC_REPLAY_QUICK") != nullptr;
    const auto start = zt::Input::operations;

    unsigned files = 0;
    const std::filesystem::path corpus = std::filesystem::path(ZUC_CORPUS_DIR) / f.name;
    for (const auto &entry : std::filesystem::directory_iterator(corpus)) {
        std::ifstream file(entry.path(), std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(file), {}};
        run(f, reinterpret_cast<const std::uint8_t *>(bytes.data()), bytes.size());
        ++files;
    }

    unsigned sequences = 0;
    std::vector<unsigned> digits, bases;
    do {
        zt::Input in(digits, bases, quick ? 1 : f.depth);
        zt::current = &in;
        f.run(in);
        ++sequences;
    } while (zt::Input::advance(digits, bases));

    std::mt19937 random(20261206u);
    const unsigned runs = quick ? 20 : 2000;
    std::vector<std::uint8_t> bytes(300);
    for (unsigned r = 0; r < runs; ++r) {
        for (auto &b : bytes) {
            b = static_cast<std::uint8_t>(random());
        }
        run(f, bytes.data(), std::uniform_int_distribution<std::size_t>(1, bytes.size())(random));
    }
    zt::current = nullptr;
    std::printf("%s: %u corpus files, %u sequences of %u operations, %u random runs; "
                "%llu operations\n",
                f.name, files, sequences, quick ? 1 : f.depth, runs,
                zt::Input::operations - start);
}

INSTANTIATE_TEST_SUITE_P(Families, Replay, ::testing::ValuesIn(families),
                         [](const auto &family) { return std::string(family.param.name); });

} // namespace
