#include "Frame.h"

#include <algorithm>
#include <cstring>

#include "param/ByteOrder.h"

namespace wire {

namespace {

// A buffer larger than this is given back once the frames in it are taken.
constexpr std::size_t kKeptCapacity = std::size_t{16} << 10;

}  // namespace

using odc::param::LoadLE;
using odc::param::StoreLE;

std::vector<char> EncodeFrame(int id, std::span<const char> image) {
    std::vector<char> bytes(kLengthSize + kIdSize + image.size());
    StoreLE(bytes.data(), static_cast<std::uint32_t>(kIdSize + image.size()));
    StoreLE(bytes.data() + kLengthSize, static_cast<std::uint32_t>(id));
    std::copy(image.begin(), image.end(), bytes.begin() + kLengthSize + kIdSize);
    return bytes;
}

std::span<char> FrameReader::Prepare(std::size_t n) {
    if (m_begin == m_end) {
        m_begin = m_end = 0;
    } else if (m_begin > 0 && m_end + n > m_buffer.size()) {
        // Move the unread bytes to the front before growing.
        std::memmove(m_buffer.data(), m_buffer.data() + m_begin, m_end - m_begin);
        m_end -= m_begin;
        m_begin = 0;
    }
    if (m_end + n > m_buffer.size()) {
        // Room for the whole frame that has begun, when its length word is in: a large frame grows
        // the buffer once, to its size.
        std::size_t wanted = m_end + n;
        if (Buffered() >= kLengthSize) {
            const std::uint32_t length = LoadLE<std::uint32_t>(m_buffer.data() + m_begin);
            if (length <= std::min(m_maxLength, m_maxKept)) {
                wanted = std::max(wanted, m_begin + kLengthSize + length);
            }
        }
        m_buffer.reserve(wanted);
        m_buffer.resize(wanted);
    }
    return {m_buffer.data() + m_end, n};
}

void FrameReader::Release() {
    if (m_begin == m_end) {
        std::vector<char>().swap(m_buffer);
        m_begin = m_end = 0;
    }
}

void FrameReader::Commit(std::size_t n) {
    n = std::min(n, m_buffer.size() - m_end);
    if (m_skipping > 0) {
        const std::size_t dropped = std::min(n, m_skipping);
        m_skipping -= dropped;
        n -= dropped;
        std::memmove(m_buffer.data() + m_end, m_buffer.data() + m_end + dropped, n);
    }
    m_end += n;
}

void FrameReader::Append(std::span<const char> bytes) {
    std::span<char> room = Prepare(bytes.size());
    std::copy(bytes.begin(), bytes.end(), room.begin());
    Commit(bytes.size());
}

FrameReader::Status FrameReader::Next(Frame& frame) {
    if (m_broken) {
        return Status::Broken;
    }
    if (Buffered() < kLengthSize) {
        return Status::NeedMore;
    }
    const std::uint32_t length = LoadLE<std::uint32_t>(m_buffer.data() + m_begin);
    if (length < kIdSize || length > m_maxLength) {
        m_broken = true;
        return Status::Broken;
    }
    const bool kept = length <= m_maxKept;
    if (Buffered() < kLengthSize + (kept ? length : kIdSize)) {
        return Status::NeedMore;
    }
    const char* id = m_buffer.data() + m_begin + kLengthSize;
    frame.id = static_cast<int>(LoadLE<std::uint32_t>(id));
    frame.length = length - kIdSize;
    if (kept) {
        frame.image.assign(id + kIdSize, id + length);
        m_begin += kLengthSize + length;
    } else {
        frame.image.clear();
        const std::size_t whole = kLengthSize + length;
        const std::size_t here = std::min(whole, Buffered());
        m_begin += here;
        m_skipping = whole - here;
    }
    if (m_begin == m_end && m_buffer.capacity() > kKeptCapacity) {
        std::vector<char>().swap(m_buffer);
        m_begin = m_end = 0;
    }
    return Status::Ready;
}

}  // namespace wire
