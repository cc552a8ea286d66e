// CRC-16/XMODEM: libzuc beside Boost.CRC's crc_optimal with the same
// parameters and a hand-written table-driven loop out of line (the baseline:
// one table lookup per byte, each depending on the one before, which is the
// limit for a byte-wise CRC). The size argument is the buffer length in bytes.
#include <libzuc/crc16.h>

#include <boost/crc.hpp>

#include <array>
#include <cstdint>

#include "bench.h"

namespace {

using zuc_bench::set_ops;

// CRC-16/XMODEM in Boost's terms. (Boost's crc_xmodem_type is a different,
// reflected CRC.)
using BoostXmodem = boost::crc_optimal<16, 0x1021, 0, 0, false, false>;

const std::vector<uint8_t> &data() {
    static const std::vector<uint8_t> bytes = [] {
        std::vector<uint8_t> made(64 * 1024);
        std::uniform_int_distribution<unsigned int> any(0, 255);
        for (uint8_t &b : made) {
            b = static_cast<uint8_t>(any(zuc_bench::rng()));
        }
        return made;
    }();
    return bytes;
}

constexpr std::array<uint16_t, 256> make_table() {
    std::array<uint16_t, 256> table{};
    for (unsigned int i = 0; i < 256; ++i) {
        unsigned int v = i << 8;
        for (int bit = 0; bit < 8; ++bit) {
            v = (v & 0x8000u) != 0 ? (v << 1) ^ 0x1021u : v << 1;
        }
        table[i] = static_cast<uint16_t>(v);
    }
    return table;
}
constexpr std::array<uint16_t, 256> kTable = make_table();

ZUC_OUT_OF_LINE uint16_t base_crc16(const uint8_t *bytes, uint32_t len) {
    uint16_t crc = 0;
    for (uint32_t i = 0; i < len; ++i) {
        crc =
            static_cast<uint16_t>(kTable[static_cast<uint8_t>(bytes[i] ^ (crc >> 8))] ^ (crc << 8));
    }
    return crc;
}

void Crc_libzuc(benchmark::State &state) {
    const auto len = static_cast<uint32_t>(state.range(0));
    for (auto _ : state) {
        uint16_t crc;
        zuclib_crc16Calc(data().data(), &crc, len);
        benchmark::DoNotOptimize(crc);
    }
    set_ops(state, len);
}

// zuclib_crc16Update, one call per byte, for data that arrives piecemeal.
void CrcUpdate_libzuc(benchmark::State &state) {
    const auto len = static_cast<uint32_t>(state.range(0));
    const uint8_t *bytes = data().data();
    for (auto _ : state) {
        uint16_t crc = 0;
        for (uint32_t i = 0; i < len; ++i) {
            zuclib_crc16Update(bytes[i], &crc);
        }
        benchmark::DoNotOptimize(crc);
    }
    set_ops(state, len);
}

void Crc_baseline(benchmark::State &state) {
    const auto len = static_cast<uint32_t>(state.range(0));
    for (auto _ : state) {
        benchmark::DoNotOptimize(base_crc16(data().data(), len));
    }
    set_ops(state, len);
}

void Crc_boost(benchmark::State &state) {
    const auto len = static_cast<uint32_t>(state.range(0));
    for (auto _ : state) {
        BoostXmodem crc;
        crc.process_bytes(data().data(), len);
        benchmark::DoNotOptimize(crc.checksum());
    }
    set_ops(state, len);
}

void sizes(benchmark::internal::Benchmark *b) {
    b->Arg(16)->Arg(128)->Arg(4096)->Arg(65536);
}

} // namespace

BENCHMARK(Crc_libzuc)->Name("crc16/checksum/libzuc")->Apply(sizes);
BENCHMARK(Crc_baseline)->Name("crc16/checksum/baseline")->Apply(sizes);
BENCHMARK(Crc_boost)->Name("crc16/checksum/boost::crc_optimal")->Apply(sizes);
BENCHMARK(CrcUpdate_libzuc)->Name("crc16/checksum/libzuc_update_per_byte")->Apply(sizes);

BENCHMARK_MAIN();
