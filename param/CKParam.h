// CKParam: the typed parameter packet that carries every request and response of the Chamber.
//
// Byte image (all numbers little-endian):
//   offset 0  u32  total length in bytes, header included
//          4  u32  number of field records
//          8  u32  allocated size of the writer's buffer
//         12  ...  field records back to back: u32 value length n, i16 field id, i16 type tag,
//                  then n value bytes; no padding, no terminator
// Type tags: 10 short (2 bytes), 20 int (4), 30 raw bytes (any length), 40 UTF-16LE text
// (2 bytes a unit, no terminator), 50 boolean (1 byte, 0 or 1), 60 long (4 bytes, 32-bit).
// Field ids need not be unique: readers find the first record with an id.
// A lookup walks the records from offset 12 and stops at the first record with the id. It stops
// without a result at a record header that does not fit in the length, at a next offset (taken
// modulo 2^32) that is not beyond 12, or after as many records as the header counts; a found
// value must end within the length. Nothing is read past GetLength() bytes. A packet of more
// than 16 records is looked up through an index built by its first lookup, with the same
// results: reading every field of a long list costs a binary search per field at most, and a
// single step per field when the fields are read in the order they were written.
// Operations return 0 on success and -1 on failure. A packet is used by one thread at a time; even
// its const lookups may build the index.
#pragma once

#include <cstdint>
#include <memory>

#include "OrnDanceChamberExport.h"
#include "text/CString.h"

class ODC_PROTOCOL_API CKParam {
public:
    enum TypeTag : short { kShort = 10, kInt = 20, kChar = 30, kCString = 40, kBoolean = 50, kLong = 60 };

    // A packet with no fields in a fresh 4096-byte buffer (header words 0, 0, 4096; length 12).
    CKParam();
    // Copies hold their own buffer; a moved-from packet is released (no buffer).
    CKParam(const CKParam& other);
    CKParam& operator=(const CKParam& other);
    CKParam(CKParam&& other) noexcept;
    CKParam& operator=(CKParam&& other) noexcept;
    virtual ~CKParam();

    // Frees the buffer held (if any) and sets up a fresh one exactly as the constructor does.
    void Create();
    // Frees the buffer; length, count and size become 0. The next write sets up a fresh buffer.
    void Release();

    int GetLength() const { return m_nLength; }
    int GetPacketNum() const { return m_nPacketNum; }
    // The image (GetLength() bytes); valid until a write that grows the buffer, SetBufferPtr,
    // Release or destruction. Null after Release.
    char* GetBufferPtr() { return m_pBuffer.get(); }
    const char* GetBufferPtr() const { return m_pBuffer.get(); }

    // Replaces the packet by a copy of `image` (`length` bytes). Fails, changing nothing, when the
    // image is null or length is below 12, when the image's length word differs from `length`, or
    // when its buffer-size word is outside 1 ... 10,485,759. The buffer grows to
    // max(size word, length) if it is smaller. Records are not checked here: lookups catch them.
    int SetBufferPtr(const char* image, int length);

    // CRC-16/ARC of a sample of the image: 11 bytes of every 22 within the first 500 bytes.
    short GetPacketCrc() const;

    // Writers append one record. A full buffer grows to the next multiple of 4096 above the need.
    // A value of 5,242,880 bytes or more that needs the buffer to grow fails and changes nothing;
    // so does a write that would need a buffer beyond 2^31 - 1 bytes.
    int SetShortInt(short id, short value);
    int SetInt(short id, int value);
    // Stored in 4 bytes; a value outside the 32-bit range fails and writes nothing.
    int SetLong(short id, long value);
    int SetBoolean(short id, bool value);
    // Null data with a non-zero length fails.
    int SetChar(short id, const char* data, unsigned int length);
    // Stores the text's UTF-16 units; a text of more than 65535 units fails and writes nothing.
    int SetCString(short id, const CString& text);

    // Overwrite the value of the first record with `id`, which must carry the matching tag and
    // exactly its width.
    int UpdateShortInt(short id, short value);
    int UpdateInt(short id, int value);

    // Fixed-width readers: the first record with `id` must carry the reader's tag and exactly its
    // width; otherwise -1 and `out` is unchanged.
    int GetShortInt(short id, short& out) const;
    int GetInt(short id, int& out) const;
    int GetLong(short id, long& out) const;
    // Any non-zero byte reads as true.
    int GetBoolean(short id, bool& out) const;
    // The stored text up to its first zero unit (an odd last byte is ignored); unchanged on failure.
    int GetCString(short id, CString& out) const;

    // Raw-byte readers (tag 30). Lengths are 16-bit: a value longer than 65535 bytes fails.
    // A new array of exactly n bytes that the caller frees with delete[] (null when n is 0);
    // null on failure.
    int GetChar(short id, char*& out) const;
    // Copies the n bytes to `dest` when it is not null (it must hold n bytes); length = n.
    // length = 0 on failure.
    int GetChar(short id, char* dest, unsigned short& length) const;
    // As GetChar(id, out), with length = n; out = null and length = 0 on failure.
    int GetChar2(short id, char*& out, unsigned short& length) const;
    // Points `out` at the value inside the packet (no copy). On failure length = 0, and `out` is
    // unchanged when the id is absent but points at the stored value when the tag differs or the
    // value is too long.
    int GetCharNF(short id, char*& out, unsigned short& length);

private:
    struct Record {
        std::uint32_t offset;  // of the value, from the start of the image
        std::uint32_t length;
        short type;
    };
    class Index;

    void SetUp();
    // Appends a record header with room for `length` value bytes and returns that room for the
    // caller to fill; null, with nothing changed, when the packet may not grow.
    char* PutBuffer(short id, short type, std::uint32_t length);
    template <typename Unsigned>
    int PutFixed(short id, short type, Unsigned value);
    // Finds the first record with `id` by the lookup rules; -1 when there is none or its value
    // runs past the length.
    int GetBuffer(short id, Record& record) const;
    // As GetBuffer, for a packet without its index: by a walk, or by building the index when the
    // packet has many records.
    int FindRecord(short id, Record& record) const;
    // Builds the index of the packet as it is now.
    Index& BuildIndex() const;
    // As GetBuffer, and the record must carry `type` with a value of exactly sizeof(Unsigned) bytes.
    template <typename Unsigned>
    int GetFixed(short id, short type, Unsigned& value) const;
    template <typename Unsigned>
    int UpdateFixed(short id, short type, Unsigned value);
    // As GetBuffer, and the record must hold raw bytes, at most 65535 of them.
    int GetCharRecord(short id, Record& record) const;
    void InvalidateIndex();

    // Frees a packet's buffer (a malloc block, grown with realloc). Buffers of the first size (4096
    // bytes) go back to a small pool of the thread instead, so that a new packet seldom allocates.
    struct BufferDeleter {
        BufferDeleter() noexcept : size(0) {}
        explicit BufferDeleter(std::int32_t bytes) noexcept : size(bytes) {}
        void operator()(char* buffer) const noexcept;
        std::int32_t size;
    };
    using Buffer = std::unique_ptr<char[], BufferDeleter>;
    // A buffer of `size` bytes, not cleared: from the thread's pool when it has one of that size.
    static Buffer NewBuffer(std::int32_t size);

    Buffer m_pBuffer;
    std::int32_t m_nLength = 0;
    std::int32_t m_nPacketNum = 0;
    std::int32_t m_nBufferSize = 0;
    // Built by the first lookup of a packet with many records, so that reading every field costs
    // linear time; dropped by every write, restore and release.
    mutable std::unique_ptr<Index> m_index;
};
