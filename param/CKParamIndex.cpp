#include "param/CKParamIndex.h"

#include "param/RecordWalk.h"

CKParam::Index::Index(const char* image, std::uint32_t length, std::int32_t count) {
    odc::param::WalkRecords(image, length, count,
                            [this](std::uint32_t offset, const odc::param::RecordHeader& header) {
                                const auto id = static_cast<std::uint16_t>(header.id);
                                std::unique_ptr<Page>& page = m_pages[id >> 8];
                                if (!page) {
                                    page = std::make_unique<Page>();
                                }
                                std::uint32_t& slot = (*page)[id & 0xFF];
                                if (slot == 0) {  // the lookup stops at the first record with an id
                                    slot = offset;
                                }
                                return false;
                            });
}

std::uint32_t CKParam::Index::Find(short id) const {
    const auto key = static_cast<std::uint16_t>(id);
    const Page* page = m_pages[key >> 8].get();
    return page == nullptr ? 0 : (*page)[key & 0xFF];
}
