// CRC-16/XMODEM, table-driven, most significant bit first.
#include <libzuc/crc16.h>

#include <stddef.h>
#include <stdint.h>

#include "zuc_export.h"

namespace {

constexpr uint16_t polynomial = 0x1021; // x^16 + x^12 + x^5 + 1

struct Crc16Table {
    uint16_t entry[256];
};

// Entry i: i in the high byte, shifted left eight times, the polynomial
// XOR-ed in after every shift that carries out a 1.
constexpr Crc16Table make_table() {
    Crc16Table table{};
    for (unsigned int i = 0; i < 256; ++i) {
        unsigned int value = i << 8;
        for (int bit = 0; bit < 8; ++bit) {
            value = (value & 0x8000u) != 0 ? (value << 1) ^ polynomial : value << 1;
        }
        table.entry[i] = static_cast<uint16_t>(value);
    }
    return table;
}

// Computed by the compiler and placed in read-only data: nothing runs before
// the first call, and nothing can modify it.
constexpr Crc16Table crc16_table = make_table();

// Spot checks against entries of the published table.
// NOLINTBEGIN(readability-magic-numbers)
static_assert(crc16_table.entry[0] == 0x0000);
static_assert(crc16_table.entry[1] == polynomial);
static_assert(crc16_table.entry[2] == 0x2042);
static_assert(crc16_table.entry[128] == 0x9188);
static_assert(crc16_table.entry[255] == 0x1EF0);
// NOLINTEND(readability-magic-numbers)

// One byte into the running value: one lookup, one shift, two XORs.
inline uint16_t step(uint16_t crc, uint8_t byte) {
    return static_cast<uint16_t>(crc16_table.entry[static_cast<uint8_t>(byte ^ (crc >> 8))] ^
                                 (crc << 8));
}

} // namespace

ZUC_EXPORT void zuclib_crc16Calc(const void *data, uint16_t *crc, uint32_t len) {
    const auto *bytes = static_cast<const uint8_t *>(data);
    uint16_t value = 0;
    for (uint32_t i = 0; i < len; ++i) {
        value = step(value, bytes[i]);
    }
    *crc = value;
}

ZUC_EXPORT void zuclib_crc16Update(uint8_t byte, uint16_t *crc) {
    *crc = step(*crc, byte);
}
