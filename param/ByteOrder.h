// Little-endian loads and stores of unsigned integers, the byte order of every packet image.
#pragma once

#include <concepts>
#include <cstddef>

namespace odc::param {

template <std::unsigned_integral T>
T LoadLE(const char* source) {
    T value = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i) {
        value |= static_cast<T>(static_cast<T>(static_cast<unsigned char>(source[i])) << (8 * i));
    }
    return value;
}

template <std::unsigned_integral T>
void StoreLE(char* dest, T value) {
    for (std::size_t i = 0; i < sizeof(T); ++i) {
        dest[i] = static_cast<char>(static_cast<unsigned char>(value >> (8 * i)));
    }
}

}  // namespace odc::param
