#include "PacketJson.h"

#include <cstdint>
#include <cstdio>
#include <limits>

#include "param/CKParam.h"
#include "text/CString.h"

namespace ckparam {
namespace {

using Json = nlohmann::json;
using OrderedJson = nlohmann::ordered_json;

constexpr std::size_t kHeaderSize = 12;
constexpr std::size_t kRecordHeaderSize = 8;
constexpr std::uint32_t kMaxSizeWord = 0x9FFFFF;
constexpr std::uint64_t kGrowthStep = 4096;

std::uint32_t LoadU32(std::string_view bytes, std::size_t offset) {
    std::uint32_t value = 0;
    for (std::size_t i = 4; i-- > 0;) {
        value = value << 8 | static_cast<unsigned char>(bytes[offset + i]);
    }
    return value;
}

std::uint16_t LoadU16(std::string_view bytes, std::size_t offset) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[offset]) |
                                      static_cast<unsigned char>(bytes[offset + 1]) << 8);
}

void PutU32(std::string& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out += static_cast<char>(value >> shift);
    }
}

void PutU16(std::string& out, std::uint16_t value) {
    out += static_cast<char>(value);
    out += static_cast<char>(value >> 8);
}

std::string ToHex(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(2 * bytes.size());
    for (const char byte : bytes) {
        hex += kDigits[static_cast<unsigned char>(byte) >> 4];
        hex += kDigits[static_cast<unsigned char>(byte) & 0xF];
    }
    return hex;
}

std::string FromHex(const Json& hex, const std::string& where) {
    if (!hex.is_string() || hex.get_ref<const std::string&>().size() % 2 != 0) {
        throw JsonError(where + ": \"hex\" must be a string of hexadecimal digit pairs");
    }
    const auto digit = [&](char c) {
        if (c >= '0' && c <= '9') {
            return c - '0';
        }
        if ((c | 0x20) >= 'a' && (c | 0x20) <= 'f') {
            return (c | 0x20) - 'a' + 10;
        }
        throw JsonError(where + ": \"hex\" holds '" + std::string(1, c) + "', not a hexadecimal digit");
    };
    const auto& text = hex.get_ref<const std::string&>();
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        bytes += static_cast<char>(digit(text[i]) << 4 | digit(text[i + 1]));
    }
    return bytes;
}

std::int64_t IntegerIn(const Json& value, std::int64_t low, std::int64_t high, const std::string& what) {
    const auto outOfRange = [&] {
        return JsonError(what + " must be an integer from " + std::to_string(low) + " to " +
                         std::to_string(high));
    };
    if (!value.is_number_integer()) {
        throw outOfRange();
    }
    if (value.is_number_unsigned() && value.get<std::uint64_t>() > static_cast<std::uint64_t>(high)) {
        throw outOfRange();
    }
    const auto number = value.get<std::int64_t>();
    if (number < low || number > high) {
        throw outOfRange();
    }
    return number;
}

std::u16string Units(std::string_view bytes) {
    std::u16string units;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        units += static_cast<char16_t>(LoadU16(bytes, i));
    }
    return units;
}

// The record's value as a JSON number, boolean or text; null when only hex describes it exactly.
OrderedJson TypedValue(short tag, std::string_view value) {
    switch (tag) {
        case CKParam::kShort:
            if (value.size() == 2) {
                return static_cast<std::int16_t>(LoadU16(value, 0));
            }
            break;
        case CKParam::kInt:
        case CKParam::kLong:
            if (value.size() == 4) {
                return static_cast<std::int32_t>(LoadU32(value, 0));
            }
            break;
        case CKParam::kBoolean:
            if (value.size() == 1 && (value[0] == 0 || value[0] == 1)) {
                return value[0] == 1;
            }
            break;
        case CKParam::kCString:
            if (value.size() % 2 == 0) {
                const std::u16string units = Units(value);
                std::string utf8 = Utf16ToUtf8(units);
                if (Utf8ToUtf16(utf8) == units) {
                    return utf8;
                }
            }
            break;
        default:
            break;
    }
    return nullptr;
}

std::string ValueBytes(std::int64_t tag, const Json& value, const std::string& where) {
    std::string bytes;
    switch (tag) {
        case CKParam::kShort:
            PutU16(bytes,
                   static_cast<std::uint16_t>(IntegerIn(value, INT16_MIN, INT16_MAX, where + ": a short")));
            break;
        case CKParam::kInt:
        case CKParam::kLong:
            PutU32(bytes,
                   static_cast<std::uint32_t>(IntegerIn(value, INT32_MIN, INT32_MAX, where + ": an int")));
            break;
        case CKParam::kBoolean:
            if (!value.is_boolean()) {
                throw JsonError(where + ": a boolean (tag 50) must be true or false");
            }
            bytes += static_cast<char>(value.get<bool>() ? 1 : 0);
            break;
        case CKParam::kCString:
            if (!value.is_string()) {
                throw JsonError(where + ": a text (tag 40) must be a string");
            }
            for (const char16_t unit : Utf8ToUtf16(value.get_ref<const std::string&>())) {
                PutU16(bytes, unit);
            }
            break;
        default:
            throw JsonError(where + ": tag " + std::to_string(tag) +
                            " has no typed value; give its bytes as \"hex\"");
    }
    return bytes;
}

std::uint32_t HeaderWord(const Json& header, const char* name, std::uint32_t fallback) {
    if (!header.contains(name)) {
        return fallback;
    }
    return static_cast<std::uint32_t>(
        IntegerIn(header[name], 0, std::numeric_limits<std::uint32_t>::max(), std::string("header ") + name));
}

// The packet's checksum of an image that restores, as "0xABCD".
std::string ImageCrc(std::string_view image) {
    CKParam packet;
    if (packet.SetBufferPtr(image.data(), static_cast<int>(image.size())) != 0) {
        throw ImageError(0, "the packet refuses to restore the image");
    }
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X",
                  static_cast<unsigned>(static_cast<std::uint16_t>(packet.GetPacketCrc())));
    return text;
}

}  // namespace

OrderedJson DecodeImage(std::string_view image) {
    const std::size_t size = image.size();
    if (size < kHeaderSize) {
        throw ImageError(size,
                         "the image has " + std::to_string(size) + " bytes, fewer than the 12-byte header");
    }
    if (size > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
        throw ImageError(0, "the image has " + std::to_string(size) + " bytes, more than a packet can hold");
    }
    const std::uint32_t length = LoadU32(image, 0);
    const std::uint32_t count = LoadU32(image, 4);
    const std::uint32_t sizeWord = LoadU32(image, 8);
    if (length != size) {
        throw ImageError(0, "the length word says " + std::to_string(length) + " bytes but the image has " +
                                std::to_string(size));
    }
    if (sizeWord < 1 || sizeWord > kMaxSizeWord) {
        throw ImageError(8,
                         "the buffer-size word is " + std::to_string(sizeWord) + ", outside 1 ... 10485759");
    }

    OrderedJson records = OrderedJson::array();
    std::size_t offset = kHeaderSize;
    for (std::uint64_t number = 1; number <= count; ++number) {
        const std::string which = "record " + std::to_string(number) + " of " + std::to_string(count);
        if (size - offset < kRecordHeaderSize) {
            throw ImageError(offset, which + ": its 8-byte header does not fit in the " +
                                         std::to_string(size) + "-byte image");
        }
        const std::uint32_t valueLength = LoadU32(image, offset);
        const std::uint16_t id = LoadU16(image, offset + 4);
        const auto tag = static_cast<short>(LoadU16(image, offset + 6));
        if (valueLength > size - offset - kRecordHeaderSize) {
            throw ImageError(offset, which + " (id " + std::to_string(id) + "): its value of " +
                                         std::to_string(valueLength) + " bytes runs past the end of the " +
                                         std::to_string(size) + "-byte image");
        }
        const std::string_view value = image.substr(offset + kRecordHeaderSize, valueLength);
        OrderedJson record;
        record["id"] = id;
        record["tag"] = tag;
        record["length"] = valueLength;
        OrderedJson typed = TypedValue(tag, value);
        if (typed.is_null()) {
            record["hex"] = ToHex(value);
        } else {
            record["value"] = std::move(typed);
        }
        records.push_back(std::move(record));
        offset += kRecordHeaderSize + valueLength;
    }
    if (offset != size) {
        throw ImageError(offset, std::to_string(size - offset) + " bytes follow the last of the " +
                                     std::to_string(count) + " records");
    }

    OrderedJson packet;
    packet["header"]["length"] = length;
    packet["header"]["count"] = count;
    packet["header"]["size"] = sizeWord;
    packet["records"] = std::move(records);
    packet["crc"] = ImageCrc(image);
    return packet;
}

std::string FormatDecoded(const OrderedJson& packet) {
    std::string text = "{\n  \"header\": " + packet["header"].dump() + ",\n  \"records\": [";
    const OrderedJson& records = packet["records"];
    for (std::size_t i = 0; i < records.size(); ++i) {
        text += (i == 0 ? "\n    " : ",\n    ") + records[i].dump();
    }
    text += records.empty() ? "]" : "\n  ]";
    return text + ",\n  \"crc\": " + packet["crc"].dump() + "\n}\n";
}

std::string EncodeImage(const Json& packet) {
    if (!packet.is_object() || !packet.contains("records") || !packet["records"].is_array()) {
        throw JsonError("a packet is a JSON object with a \"records\" array");
    }
    const Json& records = packet["records"];
    std::string body;
    // The buffer size a fresh packet written record by record ends with.
    std::uint64_t bufferSize = kGrowthStep;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const Json& record = records[i];
        const std::string where = "record " + std::to_string(i + 1);
        if (!record.is_object() || !record.contains("id") || !record.contains("tag") ||
            record.contains("value") == record.contains("hex")) {
            throw JsonError(where +
                            ": a record is an object with \"id\", \"tag\" and either \"value\" or \"hex\"");
        }
        const std::int64_t id = IntegerIn(record["id"], INT16_MIN, UINT16_MAX, where + ": the id");
        const std::int64_t tag = IntegerIn(record["tag"], INT16_MIN, UINT16_MAX, where + ": the tag");
        const std::string value =
            record.contains("hex") ? FromHex(record["hex"], where) : ValueBytes(tag, record["value"], where);
        if (record.contains("length") && IntegerIn(record["length"], 0, UINT32_MAX, where + ": the length") !=
                                             static_cast<std::int64_t>(value.size())) {
            throw JsonError(where + ": the length does not match the " + std::to_string(value.size()) +
                            " bytes of its value");
        }
        PutU32(body, static_cast<std::uint32_t>(value.size()));
        PutU16(body, static_cast<std::uint16_t>(id));
        PutU16(body, static_cast<std::uint16_t>(tag));
        body += value;
        const std::uint64_t need = kHeaderSize + body.size();
        if (need > bufferSize) {
            bufferSize = need / kGrowthStep * kGrowthStep + kGrowthStep;
        }
    }
    if (kHeaderSize + body.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
        throw JsonError("the records need more bytes than a packet can hold");
    }

    const Json header = packet.contains("header") ? packet["header"] : Json::object();
    if (!header.is_object()) {
        throw JsonError("the header must be an object");
    }
    std::string image;
    PutU32(image, HeaderWord(header, "length", static_cast<std::uint32_t>(kHeaderSize + body.size())));
    PutU32(image, HeaderWord(header, "count", static_cast<std::uint32_t>(records.size())));
    PutU32(image, HeaderWord(header, "size",
                             static_cast<std::uint32_t>(std::min<std::uint64_t>(bufferSize, UINT32_MAX))));
    return image + body;
}

}  // namespace ckparam
