#include "param/CKParam.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <string>
#include <utility>

#include "param/ByteOrder.h"
#include "param/CKParamIndex.h"
#include "param/Crc16Arc.h"
#include "param/RecordWalk.h"

using odc::param::kHeaderSize;
using odc::param::kRecordHeaderSize;
using odc::param::LoadLE;
using odc::param::StoreLE;

namespace {

constexpr std::int32_t kInitialSize = 4096;
constexpr std::uint64_t kGrowthStep = 4096;
// A value this long may only go into a buffer that already has room for it.
constexpr std::uint32_t kMaxGrowingValue = 0x500000;
constexpr std::uint32_t kMaxRestoredSize = 0x9FFFFF;
constexpr std::uint32_t kMaxCharLength = 0xFFFF;
constexpr std::size_t kMaxTextUnits = 0xFFFF;
// Up to this many records a plain walk is cheaper than building an index.
constexpr std::int32_t kIndexedRecords = 16;
// The checksum samples kCrcBlock bytes of every kCrcStride within the first kCrcSampled bytes.
constexpr std::int32_t kCrcSampled = 500;
constexpr std::int32_t kCrcStride = 22;
constexpr std::int32_t kCrcBlock = 11;

// The number of 16-bit units of a stored text before its first zero unit (all when it has none).
std::size_t UnitsBeforeZero(const char* text, std::size_t units) {
    constexpr std::uint64_t kLow = 0x0001000100010001;
    constexpr std::uint64_t kHigh = 0x8000800080008000;
    std::size_t count = 0;
    // Four units at a time while none of them is zero: (word - kLow) & ~word & kHigh is non-zero
    // exactly when one of the four is.
    for (; count + 4 <= units; count += 4) {
        const auto word = LoadLE<std::uint64_t>(text + 2 * count);
        if (((word - kLow) & ~word & kHigh) != 0) {
            break;
        }
    }
    while (count < units && LoadLE<std::uint16_t>(text + 2 * count) != 0) {
        ++count;
    }
    return count;
}

}  // namespace

namespace {

// Recycled first-size buffers of a thread. The flag, trivially destroyed, tells a packet freed
// after the thread's pool has gone (at the thread's exit) to free its buffer itself.
constexpr int kPooledBuffers = 8;
thread_local bool t_poolGone = false;
struct BufferPool {
    BufferPool() = default;
    BufferPool(const BufferPool&) = delete;
    BufferPool& operator=(const BufferPool&) = delete;
    ~BufferPool() {
        for (int i = 0; i < count; ++i) {
            std::free(buffers[static_cast<std::size_t>(i)]);
        }
        t_poolGone = true;
    }
    std::array<char*, kPooledBuffers> buffers{};
    int count = 0;
};
thread_local BufferPool t_pool;

}  // namespace

CKParam::Buffer CKParam::NewBuffer(std::int32_t size) {
    if (size == kInitialSize && !t_poolGone && t_pool.count > 0) {
        return Buffer(t_pool.buffers[static_cast<std::size_t>(--t_pool.count)], BufferDeleter{size});
    }
    auto* buffer = static_cast<char*>(std::malloc(static_cast<std::size_t>(size)));
    if (buffer == nullptr) {
        throw std::bad_alloc();
    }
    return Buffer(buffer, BufferDeleter{size});
}

void CKParam::BufferDeleter::operator()(char* buffer) const noexcept {
    if (size == kInitialSize && !t_poolGone && t_pool.count < kPooledBuffers) {
        t_pool.buffers[static_cast<std::size_t>(t_pool.count++)] = buffer;
        return;
    }
    std::free(buffer);
}

CKParam::CKParam() {
    SetUp();
}

CKParam::CKParam(const CKParam& other)
    : m_nLength(other.m_nLength), m_nPacketNum(other.m_nPacketNum), m_nBufferSize(other.m_nBufferSize) {
    if (other.m_pBuffer) {
        m_pBuffer = NewBuffer(m_nBufferSize);
        std::memcpy(m_pBuffer.get(), other.m_pBuffer.get(), static_cast<std::size_t>(m_nLength));
    }
}

CKParam& CKParam::operator=(const CKParam& other) {
    if (this != &other) {
        *this = CKParam(other);
    }
    return *this;
}

CKParam::CKParam(CKParam&& other) noexcept
    : m_pBuffer(std::move(other.m_pBuffer)),
      m_nLength(std::exchange(other.m_nLength, 0)),
      m_nPacketNum(std::exchange(other.m_nPacketNum, 0)),
      m_nBufferSize(std::exchange(other.m_nBufferSize, 0)),
      m_index(std::move(other.m_index)) {}

CKParam& CKParam::operator=(CKParam&& other) noexcept {
    if (this != &other) {
        m_pBuffer = std::move(other.m_pBuffer);
        m_nLength = std::exchange(other.m_nLength, 0);
        m_nPacketNum = std::exchange(other.m_nPacketNum, 0);
        m_nBufferSize = std::exchange(other.m_nBufferSize, 0);
        m_index = std::move(other.m_index);
    }
    return *this;
}

CKParam::~CKParam() = default;

void CKParam::Create() {
    SetUp();
}

void CKParam::SetUp() {
    // Only the header is written: as after any growth, bytes past the length are never read.
    m_pBuffer = NewBuffer(kInitialSize);
    StoreLE<std::uint32_t>(m_pBuffer.get(), 0);
    StoreLE<std::uint32_t>(m_pBuffer.get() + 4, 0);
    StoreLE<std::uint32_t>(m_pBuffer.get() + 8, kInitialSize);
    m_nLength = static_cast<std::int32_t>(kHeaderSize);
    m_nPacketNum = 0;
    m_nBufferSize = kInitialSize;
    InvalidateIndex();
}

void CKParam::Release() {
    if (!m_pBuffer) {
        return;
    }
    m_pBuffer.reset();
    m_nLength = 0;
    m_nPacketNum = 0;
    m_nBufferSize = 0;
    InvalidateIndex();
}

void CKParam::InvalidateIndex() {
    m_index.reset();
}

int CKParam::SetBufferPtr(const char* image, int length) {
    if (image == nullptr || length < static_cast<int>(kHeaderSize) ||
        LoadLE<std::uint32_t>(image) != static_cast<std::uint32_t>(length)) {
        return -1;
    }
    const std::uint32_t sizeWord = LoadLE<std::uint32_t>(image + 8);
    if (sizeWord < 1 || sizeWord > kMaxRestoredSize) {
        return -1;
    }
    const std::int32_t needed = std::max(static_cast<std::int32_t>(sizeWord), length);
    if (needed > m_nBufferSize) {
        Buffer buffer = NewBuffer(needed);
        std::memcpy(buffer.get(), image, static_cast<std::size_t>(length));
        m_pBuffer = std::move(buffer);
        m_nBufferSize = needed;
    } else {
        // The image may be this packet's own.
        std::memmove(m_pBuffer.get(), image, static_cast<std::size_t>(length));
    }
    m_nLength = length;
    m_nPacketNum = static_cast<std::int32_t>(LoadLE<std::uint32_t>(image + 4));
    InvalidateIndex();
    return 0;
}

short CKParam::GetPacketCrc() const {
    const std::int32_t sampled = std::min(m_nLength, kCrcSampled);
    std::uint16_t crc = 0;
    for (std::int32_t block = 0; block < (sampled + kCrcBlock) / kCrcStride; ++block) {
        crc = odc::param::Crc16Arc(m_pBuffer.get() + static_cast<std::ptrdiff_t>(block) * kCrcStride,
                                   kCrcBlock, crc);
    }
    return static_cast<short>(crc);
}

char* CKParam::PutBuffer(short id, short type, std::uint32_t length) {
    if (m_nLength == 0) {
        SetUp();
    }
    const std::uint64_t need =
        std::uint64_t{static_cast<std::uint32_t>(m_nLength)} + kRecordHeaderSize + length;
    if (need > static_cast<std::uint64_t>(m_nBufferSize)) {
        const std::uint64_t size = need / kGrowthStep * kGrowthStep + kGrowthStep;
        if (length >= kMaxGrowingValue || size > std::numeric_limits<std::int32_t>::max()) {
            return nullptr;
        }
        // The allocator often extends the block where it lies: no copy of the records so far.
        char* grown = static_cast<char*>(std::realloc(m_pBuffer.get(), size));
        if (grown == nullptr) {
            return nullptr;
        }
        (void)m_pBuffer.release();
        m_pBuffer = Buffer(grown, BufferDeleter{static_cast<std::int32_t>(size)});
        m_nBufferSize = static_cast<std::int32_t>(size);
    }
    char* record = m_pBuffer.get() + m_nLength;
    StoreLE<std::uint32_t>(record, length);
    StoreLE<std::uint16_t>(record + 4, static_cast<std::uint16_t>(id));
    StoreLE<std::uint16_t>(record + 6, static_cast<std::uint16_t>(type));
    // A restored image may carry any count word; it wraps rather than overflows.
    m_nPacketNum = static_cast<std::int32_t>(static_cast<std::uint32_t>(m_nPacketNum) + 1);
    m_nLength = static_cast<std::int32_t>(need);
    StoreLE<std::uint32_t>(m_pBuffer.get(), static_cast<std::uint32_t>(m_nLength));
    StoreLE<std::uint32_t>(m_pBuffer.get() + 4, static_cast<std::uint32_t>(m_nPacketNum));
    StoreLE<std::uint32_t>(m_pBuffer.get() + 8, static_cast<std::uint32_t>(m_nBufferSize));
    InvalidateIndex();
    return record + kRecordHeaderSize;
}

template <typename Unsigned>
int CKParam::PutFixed(short id, short type, Unsigned value) {
    char* stored = PutBuffer(id, type, sizeof(Unsigned));
    if (stored == nullptr) {
        return -1;
    }
    StoreLE(stored, value);
    return 0;
}

int CKParam::SetShortInt(short id, short value) {
    return PutFixed(id, kShort, static_cast<std::uint16_t>(value));
}

int CKParam::SetInt(short id, int value) {
    return PutFixed(id, kInt, static_cast<std::uint32_t>(value));
}

int CKParam::SetLong(short id, long value) {
    if (!std::in_range<std::int32_t>(value)) {
        return -1;
    }
    return PutFixed(id, kLong, static_cast<std::uint32_t>(value));
}

int CKParam::SetBoolean(short id, bool value) {
    return PutFixed(id, kBoolean, static_cast<std::uint8_t>(value ? 1 : 0));
}

int CKParam::SetChar(short id, const char* data, unsigned int length) {
    if (data == nullptr && length > 0) {
        return -1;
    }
    char* stored = PutBuffer(id, kChar, length);
    if (stored == nullptr) {
        return -1;
    }
    if (length > 0) {
        std::memcpy(stored, data, length);
    }
    return 0;
}

int CKParam::SetCString(short id, const CString& text) {
    const std::u16string& units = text.Units();
    if (units.size() > kMaxTextUnits) {
        return -1;
    }
    char* stored = PutBuffer(id, kCString, static_cast<std::uint32_t>(2 * units.size()));
    if (stored == nullptr) {
        return -1;
    }
    for (const char16_t unit : units) {
        StoreLE<std::uint16_t>(stored, unit);
        stored += 2;
    }
    return 0;
}

CKParam::Index& CKParam::BuildIndex() const {
    m_index = std::make_unique<Index>(m_pBuffer.get(), static_cast<std::uint32_t>(m_nLength), m_nPacketNum);
    return *m_index;
}

int CKParam::FindRecord(short id, Record& record) const {
    if (!m_pBuffer || m_nPacketNum <= 0) {
        return -1;
    }
    if (m_nPacketNum > kIndexedRecords) {
        return BuildIndex().Find(id, record);
    }
    const auto length = static_cast<std::uint32_t>(m_nLength);
    int result = -1;
    odc::param::WalkRecords(m_pBuffer.get(), length, m_nPacketNum,
                            [&](std::uint32_t at, const odc::param::RecordHeader& header) {
                                if (header.id != id) {
                                    return false;
                                }
                                if (odc::param::ValueFits(at, header, length)) {
                                    record = {at + kRecordHeaderSize, header.length, header.type};
                                    result = 0;
                                }
                                return true;
                            });
    return result;
}

// Inline in every reader: once a packet has its index, a lookup is a few instructions.
inline int CKParam::GetBuffer(short id, Record& record) const {
    return m_index ? m_index->Find(id, record) : FindRecord(id, record);
}

template <typename Unsigned>
int CKParam::GetFixed(short id, short type, Unsigned& value) const {
    Record record;
    if (GetBuffer(id, record) != 0 || record.type != type || record.length != sizeof(Unsigned)) {
        return -1;
    }
    value = LoadLE<Unsigned>(m_pBuffer.get() + record.offset);
    return 0;
}

template <typename Unsigned>
int CKParam::UpdateFixed(short id, short type, Unsigned value) {
    Record record;
    if (GetBuffer(id, record) != 0 || record.type != type || record.length != sizeof(Unsigned)) {
        return -1;
    }
    StoreLE(m_pBuffer.get() + record.offset, value);
    // In a crafted image a value may overlap the header of a record met before it.
    InvalidateIndex();
    return 0;
}

int CKParam::UpdateShortInt(short id, short value) {
    return UpdateFixed(id, kShort, static_cast<std::uint16_t>(value));
}

int CKParam::UpdateInt(short id, int value) {
    return UpdateFixed(id, kInt, static_cast<std::uint32_t>(value));
}

int CKParam::GetShortInt(short id, short& out) const {
    std::uint16_t value = 0;
    if (GetFixed(id, kShort, value) != 0) {
        return -1;
    }
    out = static_cast<short>(value);
    return 0;
}

int CKParam::GetInt(short id, int& out) const {
    std::uint32_t value = 0;
    if (GetFixed(id, kInt, value) != 0) {
        return -1;
    }
    out = static_cast<int>(value);
    return 0;
}

int CKParam::GetLong(short id, long& out) const {
    std::uint32_t value = 0;
    if (GetFixed(id, kLong, value) != 0) {
        return -1;
    }
    out = static_cast<std::int32_t>(value);
    return 0;
}

int CKParam::GetBoolean(short id, bool& out) const {
    std::uint8_t value = 0;
    if (GetFixed(id, kBoolean, value) != 0) {
        return -1;
    }
    out = value != 0;
    return 0;
}

int CKParam::GetCString(short id, CString& out) const {
    Record record;
    if (GetBuffer(id, record) != 0 || record.type != kCString) {
        return -1;
    }
    // An odd last byte is no whole unit and is ignored. The text is measured first, so that it is
    // written straight into `out`.
    const char* stored = m_pBuffer.get() + record.offset;
    const std::size_t count = UnitsBeforeZero(stored, record.length / 2);
    out.Overwrite(count, [&](char16_t* units) { odc::param::LoadLEUnits(units, stored, count); });
    return 0;
}

int CKParam::GetCharRecord(short id, Record& record) const {
    if (GetBuffer(id, record) != 0 || record.type != kChar || record.length > kMaxCharLength) {
        return -1;
    }
    return 0;
}

int CKParam::GetChar(short id, char*& out) const {
    unsigned short length = 0;
    return GetChar2(id, out, length);
}

int CKParam::GetChar(short id, char* dest, unsigned short& length) const {
    Record record;
    if (GetCharRecord(id, record) != 0) {
        length = 0;
        return -1;
    }
    if (dest != nullptr) {
        std::memcpy(dest, m_pBuffer.get() + record.offset, record.length);
    }
    length = static_cast<unsigned short>(record.length);
    return 0;
}

int CKParam::GetChar2(short id, char*& out, unsigned short& length) const {
    out = nullptr;
    length = 0;
    Record record;
    if (GetCharRecord(id, record) != 0) {
        return -1;
    }
    if (record.length > 0) {
        // The caller owns the copy and frees it with delete[].
        out = std::make_unique_for_overwrite<char[]>(record.length).release();
        std::memcpy(out, m_pBuffer.get() + record.offset, record.length);
    }
    length = static_cast<unsigned short>(record.length);
    return 0;
}

int CKParam::GetCharNF(short id, char*& out, unsigned short& length) {
    length = 0;
    Record record;
    if (GetBuffer(id, record) != 0) {
        return -1;
    }
    out = m_pBuffer.get() + record.offset;
    if (record.type != kChar || record.length > kMaxCharLength) {
        return -1;
    }
    length = static_cast<unsigned short>(record.length);
    return 0;
}
