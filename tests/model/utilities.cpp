// Model of the stateless utilities, each operation checked at once: CRC-16/XMODEM bit by bit (no
// table), the search maps as plain scans, and aligned allocation as posix_memalign accepts it.
#include <libzuc/crc16.h>
#include <libzuc/searchmap.h>
#include <libzuc/zucmem.h>

#include "model.h"

#include <algorithm>
#include <array>

namespace {

// The CRC of the bytes computed directly, and by the library at once and byte by byte; with the CRC
// appended, the CRC is 0.
void crc(zt::Input &in) {
    std::vector<std::uint8_t> bytes(in.pick(3) == 0 ? 0 : in.raw() % 64);
    std::generate(bytes.begin(), bytes.end(), [&] { return std::uint8_t(in.raw()); });
    std::uint16_t got = std::uint16_t(in.raw() * 257), running = 0; // got is never read
    zuclib_crc16Calc(bytes.empty() ? nullptr : bytes.data(), &got, std::uint32_t(bytes.size()));
    unsigned want = 0;
    for (std::uint8_t b : bytes) {
        zuclib_crc16Update(b, &running);
        want ^= unsigned(b) << 8;
        for (int bit = 0; bit < 8; ++bit) {
            want = (want & 0x8000) != 0 ? (want << 1) ^ 0x1021 : want << 1;
        }
    }
    ZT_EQ(got, std::uint16_t(want));
    ZT_EQ(running, got);
    bytes.insert(bytes.end(), {std::uint8_t(got >> 8), std::uint8_t(got)});
    zuclib_crc16Calc(bytes.data(), &got, std::uint32_t(bytes.size()));
    ZT_EQ(got, 0);
}
// Keys and values from a small set, 65535 among them, so that repeats, the sentinel key and entries
// past the sentinel all occur.
void maps(zt::Input &in) {
    static const std::uint32_t numbers[] = {1, 2, 70000, ZUCLIB_UINT_UINT_MAP_END, 0};
    static const char names[4][2] = {"a", "b", "c", "d"};
    const unsigned n = in.pick(6);
    std::vector<zuclib_uint_uint_map_entry> keyed(n + 1, {ZUCLIB_UINT_UINT_MAP_END, 0});
    std::vector<zuclib_str_uint_map_entry> named(n + 1, {nullptr, 0}); // the sentinels last
    for (unsigned i = 0; i < n; ++i) {
        keyed[i] = {numbers[in.raw() % 5], numbers[in.raw() % 5] + i};
        named[i] = {in.raw() % 4 == 0 ? nullptr : names[i % 4], numbers[in.raw() % 5]};
    }
    const std::uint32_t wanted = numbers[in.pick(5)];
    const auto k = std::find_if(keyed.begin(), keyed.end(), [&](const auto &e) {
        return e.key == ZUCLIB_UINT_UINT_MAP_END || e.key == wanted;
    });
    const auto s = std::find_if(named.begin(), named.end(),
                                [&](auto &e) { return e.str == nullptr || e.value == wanted; });
    ZT_EQ(zuclib_search_uint_uint_map(keyed.data(), wanted),
          k->key == ZUCLIB_UINT_UINT_MAP_END ? ZUCLIB_UINT_UINT_MAP_END : k->value);
    ZT_EQ(zuclib_search_str_uint_map(named.data(), wanted), s->str);
}
// Even alignments only (an odd one aborts); posix_memalign takes powers of two from the pointer
// size up and refuses the others with a NULL result.
void aligned(zt::Input &in) {
    static const unsigned alignments[] = {sizeof(void *), 16, 4096, 0, 2, 6, 24};
    const unsigned a = alignments[in.pick(7)], size = in.pick(3) * 50;
    const bool valid = a >= sizeof(void *) && (a & (a - 1)) == 0;
    unsigned id = 0;
    std::vector<zt::Ev> calls;
    void *got = zt::construct([&] { return zu_memalign(a, size); }, {{'p', size}}, in.pick(2),
                              valid, id, calls);
    ZT_EQ(zt::num(got) % (valid ? a : 1), 0u);
    zu_free(got);
    zu_free(nullptr);
    calls.resize(calls.size() + (got != nullptr ? 1 : 0), {'F', 'f', id}); // a block is freed
    ZT_EVENTS(calls);
}
struct Model {
    std::vector<zt::Ev> want;
    void step(zt::Input &in) { std::array{crc, maps, aligned}[in.pick(3)](in); }
    void check() {}
};

} // namespace

void model_utilities(zt::Input &in) {
    zt::run<Model>(in);
}
