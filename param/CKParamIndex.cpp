#include "param/CKParamIndex.h"

#include <algorithm>
#include <bitset>
#include <memory>

#include "param/RecordWalk.h"

using odc::param::kRecordHeaderSize;

namespace {

// Up to this many records out of id order are moved into place one by one; more, and all are sorted.
constexpr int kFewStrays = 8;
// Field ids are 16-bit.
constexpr std::uint32_t kIds = 1u << 16;

}  // namespace

CKParam::Index::Index(const char* image, std::uint32_t length, std::int32_t count) {
    m_entries.reserve(std::min({static_cast<std::uint32_t>(count), length / kRecordHeaderSize, kIds}));
    int lastId = -1;
    bool increasing = true;  // strictly: sorted, and no id twice
    // Out of order, the walk may be going round a cycle (a wrapping length leads back to an offset
    // met before), and would repeat itself to the end of its count: it stops once an offset comes
    // back, found Brent's way against an offset marked anew after 1, 2, 4, ... records.
    std::uint32_t marked = 0;
    std::uint32_t stride = 1;
    std::uint32_t sinceMarked = 0;
    // Beyond kIds entries out of order, the ids met so far: from then on a record of an id met
    // before is passed over, so that the index never holds much more than one entry per id.
    std::unique_ptr<std::bitset<kIds>> met;
    odc::param::WalkRecords(
        image, length, count, [&](std::uint32_t offset, const odc::param::RecordHeader& header) {
            const auto id = static_cast<std::uint16_t>(header.id);
            increasing = increasing && lastId < id;
            lastId = id;
            if (!increasing) {
                if (offset == marked) {
                    return true;
                }
                if (++sinceMarked == stride) {
                    marked = offset;
                    stride *= 2;
                    sinceMarked = 0;
                }
                if (!met && m_entries.size() >= kIds) {
                    met = std::make_unique<std::bitset<kIds>>();
                    for (const Entry& entry : m_entries) {
                        met->set(entry.id);
                    }
                }
                if (met && met->test(id)) {
                    return false;
                }
                if (met) {
                    met->set(id);
                }
            }
            const bool fits = odc::param::ValueFits(offset, header, length);
            m_entries.push_back({fits ? offset + kRecordHeaderSize : 0, header.length, id, header.type});
            return false;
        });
    if (!increasing) {
        SortById();
        // Of the records of one id, the walk's first stays.
        const auto sameId = [](const Entry& a, const Entry& b) { return a.id == b.id; };
        m_entries.erase(std::unique(m_entries.begin(), m_entries.end(), sameId), m_entries.end());
    }
    m_next = m_entries.begin();
}

// Stable: records of one id keep the walk's order. Lists come in id order but for a few fields
// written after them (a job table's clock): those strays are moved into place one by one.
void CKParam::Index::SortById() {
    const auto byId = [](const Entry& a, const Entry& b) { return a.id < b.id; };
    int strays = 0;
    for (auto stray = m_entries.begin(); stray != m_entries.end(); ++stray) {
        if (stray == m_entries.begin() || !byId(*stray, *(stray - 1))) continue;
        if (++strays > kFewStrays) {
            std::stable_sort(m_entries.begin(), m_entries.end(), byId);
            return;
        }
        std::rotate(std::upper_bound(m_entries.begin(), stray, *stray, byId), stray, stray + 1);
    }
}

int CKParam::Index::Search(std::uint16_t key, Record& record) {
    const auto found = std::lower_bound(m_entries.begin(), m_entries.end(), key,
                                        [](const Entry& entry, std::uint16_t k) { return entry.id < k; });
    if (found == m_entries.end() || found->id != key) return -1;
    m_next = found + 1;
    return Take(*found, record);
}
