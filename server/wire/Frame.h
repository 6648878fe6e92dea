// Frames of the Chamber's network protocol (server/PROTOCOL.md): a little-endian u32 length of what
// follows, a little-endian i32 message id, then the CKParam byte image of the message.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace wire {

// The largest length word accepted: 1 MiB of id and image. The largest Chamber message, a list of
// 655 applications, is about 107 KB.
inline constexpr std::uint32_t kMaxFrameLength = 1u << 20;
// A connection that has not logged in sends nothing larger than a login: a length word above
// this closes it at once.
inline constexpr std::uint32_t kMaxPreLoginFrame = 2048;
// The length word and the message id.
inline constexpr std::size_t kLengthSize = 4;
inline constexpr std::size_t kIdSize = 4;

struct Frame {
    int id = 0;
    std::vector<char> image;  // empty when the reader skipped it
    std::size_t length = 0;   // of the image, as the frame says
};

// The bytes of one frame: length word, id, image.
std::vector<char> EncodeFrame(int id, std::span<const char> image);

// Cuts a byte stream into frames. Bytes arrive in pieces of any size; whole frames come out in
// order. A length word below the id's size or above the reader's limit makes the stream broken for
// good, as soon as the word is in: nothing more comes out of it. A frame above what the reader
// keeps comes out as soon as its id is in, without its image, and its bytes are dropped as they
// arrive: they are never buffered. A buffer that grew for a large frame is given back once that
// frame is taken.
class FrameReader {
public:
    enum class Status {
        NeedMore,  // no whole frame buffered yet
        Ready,     // `frame` holds the next frame
        Broken,    // a length word out of bounds: the connection is to be closed
    };

    explicit FrameReader(std::uint32_t maxLength = kMaxFrameLength, std::uint32_t maxKept = kMaxFrameLength)
        : m_maxLength(maxLength), m_maxKept(maxKept) {}
    // The largest length word accepted from now on, and the largest of a frame kept whole.
    void SetLimits(std::uint32_t maxLength, std::uint32_t maxKept) {
        m_maxLength = maxLength;
        m_maxKept = maxKept;
    }

    // Room for `n` more bytes at the end of the buffer; the caller fills some and calls Commit.
    std::span<char> Prepare(std::size_t n);
    void Commit(std::size_t n);
    // Appends bytes (Prepare, copy, Commit).
    void Append(std::span<const char> bytes);
    // Takes the next whole frame, if there is one.
    Status Next(Frame& frame);
    // Bytes buffered that are not yet part of a taken frame.
    std::size_t Buffered() const { return m_end - m_begin; }
    std::size_t Capacity() const { return m_buffer.capacity(); }
    // Gives the buffer back when no byte waits in it, so that an idle connection holds none.
    void Release();

private:
    std::vector<char> m_buffer;
    std::size_t m_begin = 0;  // first byte not yet taken
    std::size_t m_end = 0;    // one past the last byte received
    std::uint32_t m_maxLength;
    std::uint32_t m_maxKept;
    std::size_t m_skipping = 0;  // bytes of a skipped frame still to come
    bool m_broken = false;
};

}  // namespace wire
