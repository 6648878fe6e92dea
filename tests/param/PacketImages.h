// Test helpers: packet images spelled out byte by byte, including malformed ones that the
// packet's writers never produce, and the image a packet holds.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "param/CKParam.h"

namespace packet_test {

using Bytes = std::vector<std::uint8_t>;

inline void PutU32(Bytes& bytes, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        bytes.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

inline void PutU16(Bytes& bytes, std::uint16_t value) {
    bytes.push_back(static_cast<std::uint8_t>(value));
    bytes.push_back(static_cast<std::uint8_t>(value >> 8));
}

inline std::uint32_t GetU32(const Bytes& bytes, std::size_t offset) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = value << 8 | bytes.at(offset + static_cast<std::size_t>(i));
    }
    return value;
}

// Records in the order added; Build() puts the 12-byte header in front.
class ImageBuilder {
public:
    // A record header; the value bytes follow with Value() or U32(), and need not match `length`.
    ImageBuilder& Record(std::uint32_t length, std::uint16_t id, std::uint16_t tag) {
        PutU32(m_body, length);
        PutU16(m_body, id);
        PutU16(m_body, tag);
        ++m_records;
        return *this;
    }
    ImageBuilder& U32(std::uint32_t value) {
        PutU32(m_body, value);
        return *this;
    }
    ImageBuilder& Value(std::string_view bytes) {
        m_body.insert(m_body.end(), bytes.begin(), bytes.end());
        return *this;
    }
    ImageBuilder& Int(std::uint16_t id, std::int32_t value) {
        return Record(4, id, CKParam::kInt).U32(static_cast<std::uint32_t>(value));
    }

    // The length word is the image's size unless given; the count word the records added unless given.
    Bytes Build(std::optional<std::uint32_t> count = {}, std::uint32_t sizeWord = 4096,
                std::optional<std::uint32_t> lengthWord = {}) const {
        Bytes image;
        PutU32(image, lengthWord.value_or(static_cast<std::uint32_t>(12 + m_body.size())));
        PutU32(image, count.value_or(m_records));
        PutU32(image, sizeWord);
        image.insert(image.end(), m_body.begin(), m_body.end());
        return image;
    }

private:
    Bytes m_body;
    std::uint32_t m_records = 0;
};

inline Bytes ImageOf(const CKParam& packet) {
    const auto* begin = reinterpret_cast<const std::uint8_t*>(packet.GetBufferPtr());
    return Bytes(begin, begin + packet.GetLength());
}

inline int Restore(CKParam& packet, const Bytes& image) {
    return packet.SetBufferPtr(reinterpret_cast<const char*>(image.data()), static_cast<int>(image.size()));
}

}  // namespace packet_test
