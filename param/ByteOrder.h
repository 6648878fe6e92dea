// Little-endian loads and stores of unsigned integers, the byte order of every packet image.
#pragma once

#include <bit>
#include <concepts>
#include <cstddef>
#include <cstring>

namespace odc::param {

// On a little-endian machine a load or store is one unaligned move; elsewhere bytes are assembled.
template <std::unsigned_integral T>
T LoadLE(const char* source) {
    T value = 0;
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(&value, source, sizeof(T));
    } else {
        for (std::size_t i = 0; i < sizeof(T); ++i) {
            value |= static_cast<T>(static_cast<T>(static_cast<unsigned char>(source[i])) << (8 * i));
        }
    }
    return value;
}

template <std::unsigned_integral T>
void StoreLE(char* dest, T value) {
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(dest, &value, sizeof(T));
    } else {
        for (std::size_t i = 0; i < sizeof(T); ++i) {
            dest[i] = static_cast<char>(static_cast<unsigned char>(value >> (8 * i)));
        }
    }
}

// Loads `count` little-endian 16-bit units (UTF-16 text) into `dest`.
inline void LoadLEUnits(char16_t* dest, const char* source, std::size_t count) {
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(dest, source, 2 * count);
    } else {
        for (std::size_t i = 0; i < count; ++i) {
            dest[i] = static_cast<char16_t>(LoadLE<unsigned short>(source + 2 * i));
        }
    }
}

}  // namespace odc::param
