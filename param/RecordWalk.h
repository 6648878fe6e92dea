// The walk over a packet image's field records that every lookup follows, shared by the plain
// lookup and the lookup index so that both stop at exactly the same places.
#pragma once

#include <algorithm>
#include <cstdint>

#include "param/ByteOrder.h"

namespace odc::param {

inline constexpr std::uint32_t kHeaderSize = 12;
inline constexpr std::uint32_t kRecordHeaderSize = 8;

struct RecordHeader {
    std::uint32_t length;  // of the value
    short id;
    short type;
};

inline RecordHeader ReadRecordHeader(const char* record) {
    return {LoadLE<std::uint32_t>(record), static_cast<short>(LoadLE<std::uint16_t>(record + 4)),
            static_cast<short>(LoadLE<std::uint16_t>(record + 6))};
}

// Whether the value of the record whose header lies at `offset` ends within `length` bytes: a
// lookup that stops at a record whose value runs past the end finds nothing.
inline bool ValueFits(std::uint32_t offset, const RecordHeader& header, std::uint32_t length) {
    return std::uint64_t{offset} + kRecordHeaderSize + header.length <= length;
}

// Calls visit(offset, header) for the records of `image` (`length` bytes, `count` records) in the
// order a lookup meets them, until visit returns true or the walk stops: a header that does not
// fit in `length`, a next offset (computed modulo 2^32) not beyond the packet header, or `count`
// records visited. The walk's only state is the offset, which takes fewer than `length` values, so
// after `length` steps it repeats itself and meets nothing new: stopping there changes no result.
template <typename Visit>
void WalkRecords(const char* image, std::uint32_t length, std::int32_t count, Visit&& visit) {
    if (count <= 0) {
        return;
    }
    const std::uint32_t steps = std::min(static_cast<std::uint32_t>(count), length);
    std::uint32_t offset = kHeaderSize;
    for (std::uint32_t step = 1;; ++step) {
        if (std::uint64_t{offset} + kRecordHeaderSize > length) {
            return;
        }
        const RecordHeader header = ReadRecordHeader(image + offset);
        if (visit(offset, header)) {
            return;
        }
        const std::uint32_t next = offset + kRecordHeaderSize + header.length;
        if (step >= steps || next <= kHeaderSize) {
            return;
        }
        offset = next;
    }
}

}  // namespace odc::param
