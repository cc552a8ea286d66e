// Every family's model, replayed in every build: the fuzzer's seed corpus, every short operation
// sequence and seeded random runs. A difference stops the program with its input (see model.h).
#include "model.h"

#include <gtest/gtest.h>

#include <algorithm>
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
    friend void PrintTo(const Family &f, std::ostream *out) { *out << f.name; }
};

#define FAMILY(name, depth) Family(#name, model_##name, depth)
const Family families[] = {FAMILY(llist, 2),          FAMILY(slist, 2),    FAMILY(dlist, 2),
                           FAMILY(hashtab, 2),        FAMILY(mempool, 2),  FAMILY(zuqueue, 3),
                           FAMILY(slidingaverage, 3), FAMILY(utilities, 3)};

// Runs the bytes, then every sequence of depth operations after them; returns the runs.
unsigned run(const Family &f, const std::vector<std::uint8_t> &bytes, unsigned depth) {
    std::vector<unsigned> digits, bases;
    unsigned runs = 0;
    do {
        zt::Input in(bytes.data(), bytes.size(), depth > 0 ? &digits : nullptr, &bases, depth);
        zt::current = &in;
        f.run(in);
        ++runs;
    } while (depth > 0 && zt::Input::advance(digits, bases));
    return runs;
}

class Replay : public ::testing::TestWithParam<Family> {};

// Every sequence of a few operations; each corpus file, and every operation after it; random runs.
// Under valgrind (ZUC_REPLAY_QUICK) only the corpus files and a few random runs.
TEST_P(Replay, CorpusEveryShortSequenceAndRandomRuns) {
    const Family &f = GetParam();
    const unsigned quick = std::getenv("ZUC_REPLAY_QUICK") != nullptr ? 1 : 0;
    const auto start = zt::Input::operations;
    unsigned files = 0, sequences = quick ? 0 : run(f, {}, f.depth);
    for (const auto &entry :
         std::filesystem::directory_iterator(std::filesystem::path(ZUC_CORPUS_DIR) / f.name)) {
        std::ifstream file(entry.path(), std::ios::binary);
        sequences += run(f, {std::istreambuf_iterator<char>(file), {}}, 1 - quick);
        ++files;
    }
    std::mt19937 random(20261206u);
    const unsigned runs = quick ? 20 : 2000;
    for (unsigned r = 0; r < runs; ++r) {
        std::vector<std::uint8_t> bytes(std::uniform_int_distribution<std::size_t>(1, 300)(random));
        std::generate(bytes.begin(), bytes.end(), [&] { return std::uint8_t(random()); });
        run(f, bytes, 0);
    }
    std::printf("%s: %u corpus files, %u sequences run (every one of %u operations from the start, "
                "%u after each file), %u random runs: %llu operations\n",
                f.name, files, sequences, quick ? 0 : f.depth, 1 - quick, runs,
                zt::Input::operations - start);
}

INSTANTIATE_TEST_SUITE_P(Families, Replay, ::testing::ValuesIn(families),
                         [](const auto &family) { return std::string(family.param.name); });

} // namespace
