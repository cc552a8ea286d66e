/*
 * libzuc CRC-16: the CRC-16/XMODEM checksum.
 *
 * Width 16, polynomial 0x1021, initial value 0, most significant bit first,
 * no final XOR; "123456789" checksums to 0x31C3. Both functions work a byte
 * at a time through a constant 256-entry table built by the compiler: no
 * initialisation call, no state, no allocation, O(len). The caller owns the
 * 16-bit CRC variable; the functions write it through the pointer they get.
 * Neither function checks its arguments: the pointers must be valid (data is
 * not read when len is 0).
 *
 * For data that arrives in pieces, start a running value at 0 and pass every
 * byte, in order, to zuclib_crc16Update; the result equals zuclib_crc16Calc
 * over the whole:
 *
 *     uint16_t crc = 0;
 *     ... for each piece, in order:
 *         for (uint32_t i = 0; i < piece_len; ++i)
 *             zuclib_crc16Update(piece[i], &crc);
 */
#ifndef LIBZUC_CRC16_H
#define LIBZUC_CRC16_H

#include <stdint.h>

#include <libzuc/attributes.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Stores through crc the CRC of the len bytes at data, computed from 0 (the
 * value crc pointed to before is never read). len 0 stores 0. */
ZUC_READS(1, 3) void zuclib_crc16Calc(const void *data, uint16_t *crc, uint32_t len);

/* Folds one byte into the running CRC that crc points to. */
void zuclib_crc16Update(uint8_t byte, uint16_t *crc);

#ifdef __cplusplus
}
#endif

#endif
