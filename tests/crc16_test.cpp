// CRC-16/XMODEM: catalogue values, the defining bitwise computation, values
// from an independent implementation, and piecewise updates.
#include <libzuc/crc16.h>

#include "data/crc16_vectors.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

namespace {

// The CRC by its definition: one bit at a time, most significant first.
uint16_t bitwise_update(uint16_t crc, uint8_t byte) {
    crc = static_cast<uint16_t>(crc ^ (byte << 8));
    for (int bit = 0; bit < 8; ++bit) {
        crc = static_cast<uint16_t>((crc & 0x8000) != 0 ? (crc << 1) ^ 0x1021 : crc << 1);
    }
    return crc;
}

uint16_t calc(const std::string &data) {
    uint16_t crc = 0xBEEF; // never read: every call starts from 0
    zuclib_crc16Calc(data.data(), &crc, static_cast<uint32_t>(data.size()));
    return crc;
}

TEST(Crc16, KnownValues) {
    const struct {
        std::string data;
        uint16_t crc;
    } cases[] = {
        {"123456789", 0x31C3}, // the catalogue's check value
        {"abc", 0x9DD6},
        {std::string(1, '\0'), 0x0000},      // leading zero bytes leave 0 unchanged
        {std::string("\0\0abc", 5), 0x9DD6}, // so they do not change the result
        {"123456789\x31\xC3", 0x0000},       // the CRC appended, high byte first
        {"", 0x0000},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(calc(c.data), c.crc) << '"' << c.data << '"';
    }
}

TEST(Crc16, EmptyInputDoesNotReadData) {
    uint16_t crc = 0x1234;
    zuclib_crc16Calc(nullptr, &crc, 0);
    EXPECT_EQ(crc, 0);
}

TEST(Crc16, UpdateFollowsTheBitwiseDefinition) {
    // Every byte from a spread of running values exercises every table entry.
    for (unsigned int start : {0x0000u, 0x0001u, 0x8000u, 0x31C3u, 0xFFFFu}) {
        for (unsigned int byte = 0; byte < 256; ++byte) {
            uint16_t crc = static_cast<uint16_t>(start);
            zuclib_crc16Update(static_cast<uint8_t>(byte), &crc);
            ASSERT_EQ(crc, bitwise_update(static_cast<uint16_t>(start), static_cast<uint8_t>(byte)))
                << "start " << start << ", byte " << byte;
        }
    }
    uint16_t crc = 0;
    zuclib_crc16Update(0x01, &crc);
    EXPECT_EQ(crc, 0x1021);
}

TEST(Crc16, AgreesWithAnIndependentImplementation) {
    for (const auto &v : crc16_vectors::vectors) {
        uint16_t crc = 0;
        zuclib_crc16Calc(crc16_vectors::pool + v.offset, &crc, v.length);
        EXPECT_EQ(crc, v.crc) << "offset " << v.offset << ", length " << v.length;
    }
}

TEST(Crc16, RunningValueEqualsTheCrcOfEveryPrefix) {
    // Data arriving in pieces, split anywhere: after each byte the running
    // value is the CRC of everything so far.
    for (const auto &v : crc16_vectors::vectors) {
        const uint8_t *data = crc16_vectors::pool + v.offset;
        uint16_t running = 0;
        for (unsigned int n = 1; n <= v.length; ++n) {
            zuclib_crc16Update(data[n - 1], &running);
            uint16_t prefix = 0;
            zuclib_crc16Calc(data, &prefix, n);
            ASSERT_EQ(running, prefix) << "offset " << v.offset << ", prefix " << n;
        }
        EXPECT_EQ(running, v.crc);
    }
}

} // namespace
