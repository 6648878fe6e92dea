// The lookup index of a packet with many records: field id -> the record a lookup would find.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "param/CKParam.h"

class CKParam::Index {
public:
    // Walks the records once by the lookup rules and remembers the first record met for each id.
    Index(const char* image, std::uint32_t length, std::int32_t count);

    // Offset of the record header a lookup of `id` stops at; 0 when the lookup meets none.
    std::uint32_t Find(short id) const;

private:
    // Record offsets by the id's low byte; 0 = none (no record starts inside the packet header).
    using Page = std::array<std::uint32_t, 256>;

    // A table of all 65536 ids cut into pages by the id's high byte, allocated only where ids
    // occur: a lookup costs two reads whatever the ids, and the ids of a list entry share a page.
    std::array<std::unique_ptr<Page>, 256> m_pages;
};
