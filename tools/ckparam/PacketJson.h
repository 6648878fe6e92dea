// Packet images as JSON and back, for the ckparam tool.
//
// JSON form: {"header": {"length": L, "count": C, "size": S}, "records": [...], "crc": "0xABCD"}.
// A record is {"id": 0 ... 65535, "tag": T, "length": n, and either "value" or "hex"}: "value"
// holds a short, int or long as a number (tags 10, 20, 60 of their exact width), a boolean (tag 50,
// one byte 0 or 1) or a text (tag 40, UTF-16 units that survive UTF-8); every other value is given
// as "hex", the bytes in hexadecimal.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace ckparam {

// An image that does not validate: what is wrong and the byte offset at fault.
class ImageError : public std::runtime_error {
public:
    ImageError(std::size_t offset, const std::string& what) : std::runtime_error(what), m_offset(offset) {}
    std::size_t Offset() const { return m_offset; }

private:
    std::size_t m_offset;
};

// JSON that does not describe an image.
class JsonError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Checks `image` as a restorable packet whose `count` records fill it exactly, and describes it.
nlohmann::ordered_json DecodeImage(std::string_view image);

// DecodeImage's JSON laid out for reading: one line for the header and one for each record.
std::string FormatDecoded(const nlohmann::ordered_json& packet);

// Builds the image `packet` describes. Header words the JSON gives are written as given, even when
// they do not fit the records; a missing length or count is the records', a missing size the one a
// fresh packet written record by record would have.
std::string EncodeImage(const nlohmann::json& packet);

}  // namespace ckparam
