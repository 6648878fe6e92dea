// CRC-16/ARC (reflected polynomial 0xA001, initial value 0, no final XOR), the packet checksum.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace odc::param {

inline constexpr std::array<std::uint16_t, 256> kCrc16ArcTable = [] {
    std::array<std::uint16_t, 256> table{};
    for (std::uint16_t byte = 0; byte < 256; ++byte) {
        std::uint16_t crc = byte;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001)
                            : static_cast<std::uint16_t>(crc >> 1);
        }
        table[byte] = crc;
    }
    return table;
}();

// Continues `crc` over `size` bytes.
constexpr std::uint16_t Crc16Arc(const char* data, std::size_t size, std::uint16_t crc = 0) {
    for (std::size_t i = 0; i < size; ++i) {
        crc = static_cast<std::uint16_t>((crc >> 8) ^
                                         kCrc16ArcTable[(crc ^ static_cast<unsigned char>(data[i])) & 0xFF]);
    }
    return crc;
}

}  // namespace odc::param
