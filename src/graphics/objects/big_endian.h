// Big-endian values as FreeSurfer and MGH files store them, read from raw
// bytes whatever the host's byte order.
#pragma once

#include <cstdint>
#include <cstring>

inline std::uint32_t big_endian_u32(const unsigned char *bytes)
{
    return (std::uint32_t(bytes[0]) << 24) | (std::uint32_t(bytes[1]) << 16) |
           (std::uint32_t(bytes[2]) << 8) | std::uint32_t(bytes[3]);
}

inline std::int32_t big_endian_i32(const unsigned char *bytes)
{
    return static_cast<std::int32_t>(big_endian_u32(bytes));
}

inline std::int16_t big_endian_i16(const unsigned char *bytes)
{
    return static_cast<std::int16_t>((unsigned(bytes[0]) << 8) | unsigned(bytes[1]));
}

inline std::uint32_t big_endian_u24(const unsigned char *bytes)
{
    return (std::uint32_t(bytes[0]) << 16) | (std::uint32_t(bytes[1]) << 8) |
           std::uint32_t(bytes[2]);
}

inline float big_endian_float(const unsigned char *bytes)
{
    std::uint32_t bits = big_endian_u32(bytes);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// Rewrites n 4-byte big-endian words in place as host-order ones.
inline void big_endian_words_to_host(void *data, std::size_t n)
{
    auto *bytes = static_cast<unsigned char *>(data);
    for (std::size_t i = 0; i < n; ++i, bytes += 4) {
        std::uint32_t word = big_endian_u32(bytes);
        std::memcpy(bytes, &word, 4);
    }
}
