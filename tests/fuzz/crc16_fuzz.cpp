// Differential fuzzing of the CRC-16: zuclib_crc16Calc and zuclib_crc16Update
// against CRC-16/XMODEM computed bit by bit, the way the polynomial division
// is defined (no table), on the input's own bytes cut into pieces.
#include <libzuc/crc16.h>

#include "fuzz.h"

#include <algorithm>
#include <vector>

namespace {

// One byte into the running value, bit by bit, the way the division by the
// polynomial 0x1021 is defined: most significant bit first.
std::uint16_t bitwise_step(std::uint16_t crc, std::uint8_t byte) {
    unsigned v = crc ^ (unsigned{byte} << 8);
    for (int bit = 0; bit < 8; ++bit) {
        v = (v & 0x8000) != 0 ? (v << 1) ^ 0x1021 : v << 1;
    }
    return static_cast<std::uint16_t>(v);
}

// CRC-16/XMODEM: initial value 0, no final XOR.
std::uint16_t bitwise_crc(const std::uint8_t *data, std::size_t len) {
    std::uint16_t crc = 0;
    for (std::size_t n = 0; n < len; ++n) {
        crc = bitwise_step(crc, data[n]);
    }
    return crc;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    // A private copy, so that reading past the end is caught exactly.
    const std::vector<std::uint8_t> bytes(data, data + size);
    const std::uint8_t *p = bytes.data();
    const std::uint16_t want = bitwise_crc(p, size);

    // Whatever the variable held, Calc overwrites it with the CRC of the
    // buffer alone; a length of 0 stores 0 without reading the data.
    std::uint16_t crc = size > 0 ? static_cast<std::uint16_t>(~p[0] * 257u) : 0xFFFF;
    zuclib_crc16Calc(size > 0 ? p : nullptr, &crc, static_cast<std::uint32_t>(size));
    FUZZ_EQ(crc, want);

    // The input cut into pieces whose lengths the first byte of each piece
    // chooses. Byte by byte from 0, the running value after every piece is
    // the CRC so far; Calc of a piece alone is the CRC of that piece.
    std::uint16_t running = 0;
    std::uint16_t model = 0;
    for (std::size_t done = 0; done < size;) {
        const std::size_t piece = std::min<std::size_t>(size - done, p[done] % 17 + 1);
        std::uint16_t piece_model = 0;
        for (std::size_t n = done; n < done + piece; ++n) {
            zuclib_crc16Update(p[n], &running);
            model = bitwise_step(model, p[n]);
            piece_model = bitwise_step(piece_model, p[n]);
        }
        FUZZ_EQ(running, model);
        zuclib_crc16Calc(p + done, &crc, static_cast<std::uint32_t>(piece));
        FUZZ_EQ(crc, piece_model);
        done += piece;
    }
    FUZZ_EQ(running, want);

    // The data followed by its CRC, high byte first, checks to 0.
    std::vector<std::uint8_t> framed(bytes);
    framed.push_back(static_cast<std::uint8_t>(want >> 8));
    framed.push_back(static_cast<std::uint8_t>(want & 0xFF));
    zuclib_crc16Calc(framed.data(), &crc, static_cast<std::uint32_t>(framed.size()));
    FUZZ_EQ(crc, 0);
    return 0;
}
