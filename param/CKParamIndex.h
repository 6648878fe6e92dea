// The lookup index of a packet with many records: field id -> the record a lookup would find.
#pragma once

#include <cstdint>
#include <vector>

#include "param/CKParam.h"

class CKParam::Index {
public:
    // Walks the records once by the lookup rules and remembers the first record met for each id.
    Index(const char* image, std::uint32_t length, std::int32_t count);

    // The record a lookup of `id` finds; -1 when it meets none, or one whose value runs past the end.
    int Find(short id, Record& record) {
        const auto key = static_cast<std::uint16_t>(id);
        if (m_next != m_entries.end() && m_next->id == key) return Take(*m_next++, record);
        return Search(key, record);
    }

private:
    struct Entry {
        std::uint32_t offset;  // of the value; 0 when the value runs past the end
        std::uint32_t length;
        std::uint16_t id;
        short type;
    };

    static int Take(const Entry& entry, Record& record) {
        if (entry.offset == 0) return -1;
        record = {entry.offset, entry.length, entry.type};
        return 0;
    }
    int Search(std::uint16_t key, Record& record);
    void SortById();

    // One entry per id, sorted by id. Writers lay lists out in id order, so the walk usually
    // yields them sorted already, and readers read them in that order: a lookup first tries the
    // entry after the last one found, and searches only when that is not the one.
    std::vector<Entry> m_entries;
    std::vector<Entry>::const_iterator m_next;
};
