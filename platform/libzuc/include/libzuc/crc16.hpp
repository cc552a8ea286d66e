/*
 * libzuc C++ layer: CRC-16/XMODEM over spans and strings.
 *
 * zuc::crc16(bytes) returns the checksum of a whole buffer (one call of
 * zuclib_crc16Calc); zuc::crc16_state keeps a running value for data that
 * arrives in pieces (zuclib_crc16Update per byte). Both agree: feeding every
 * piece, in order, to a fresh state gives crc16 of the whole. Nothing here
 * allocates or fails.
 */
#ifndef LIBZUC_CRC16_HPP
#define LIBZUC_CRC16_HPP

#include <libzuc/detail.hpp> // first: it stops a compile before C++20
#if __cplusplus >= 202002L

#include <libzuc/crc16.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace zuc {

// A running CRC-16, starting from 0.
//     zuc::crc16_state crc;
//     crc.update(header); crc.update(payload);               // spans or strings, in order
//     bool intact = crc.value() == expected;                 // == crc16 of both together
class crc16_state {
  public:
    void update(std::uint8_t byte) noexcept { zuclib_crc16Update(byte, &value_); }
    void update(std::byte byte) noexcept { update(std::to_integer<std::uint8_t>(byte)); }
    void update(std::span<const unsigned char> bytes) noexcept {
        for (unsigned char byte : bytes) {
            update(byte);
        }
    }
    void update(std::span<const std::byte> bytes) noexcept {
        for (std::byte byte : bytes) {
            update(byte);
        }
    }
    void update(std::string_view text) noexcept {
        for (char c : text) {
            update(static_cast<std::uint8_t>(c));
        }
    }

    std::uint16_t value() const noexcept { return value_; }
    void reset() noexcept { value_ = 0; }

  private:
    std::uint16_t value_ = 0;
};

namespace detail {

inline std::uint16_t crc16_of(const void *data, std::size_t size) noexcept {
    std::uint16_t crc;
    if constexpr (SIZE_MAX > UINT32_MAX) {
        // zuclib_crc16Calc counts in 32 bits: go on byte by byte past that.
        if (size > UINT32_MAX) {
            zuclib_crc16Calc(data, &crc, UINT32_MAX);
            for (const auto *p = static_cast<const unsigned char *>(data) + UINT32_MAX,
                            *end = static_cast<const unsigned char *>(data) + size;
                 p != end; ++p) {
                zuclib_crc16Update(*p, &crc);
            }
            return crc;
        }
    }
    zuclib_crc16Calc(data, &crc, static_cast<std::uint32_t>(size));
    return crc;
}

} // namespace detail

// The CRC-16 of a whole buffer or text.
//     std::uint16_t sum = zuc::crc16(std::as_bytes(std::span(frame)));
//     bool ok = zuc::crc16("123456789") == 0x31C3;
//     std::uint16_t raw = zuc::crc16(std::span<const unsigned char>(buf, len));
inline std::uint16_t crc16(std::span<const std::byte> bytes) noexcept {
    return detail::crc16_of(bytes.data(), bytes.size());
}
inline std::uint16_t crc16(std::span<const unsigned char> bytes) noexcept {
    return detail::crc16_of(bytes.data(), bytes.size());
}
inline std::uint16_t crc16(std::string_view text) noexcept {
    return detail::crc16_of(text.data(), text.size());
}

} // namespace zuc

#endif // C++20
#endif
