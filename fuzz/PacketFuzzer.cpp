// libFuzzer target for packet images: restores arbitrary bytes, reads every id with every reader
// and updater, copies, assigns and moves the packet and grows it by writes of every type, and
// checks that what comes back stays inside the image and agrees across readers. (The checksum's
// sample of every image length: PacketCrcTest.)
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "param/CKParam.h"

namespace {

void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "packet fuzzer: %s\n", what);
        std::abort();
    }
}

std::uint32_t Word(const char* bytes) {
    std::uint32_t value = 0;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

void SetWord(char* bytes, std::uint32_t value) {
    std::memcpy(bytes, &value, sizeof value);
}

std::string ImageOf(const CKParam& packet) {
    return {packet.GetBufferPtr(), static_cast<std::size_t>(packet.GetLength())};
}

// Copy construction, assignment over a packet with records of its own, and moves all give the
// same image; a moved-from packet holds nothing (its state after the move is what is checked).
void CheckCopies(const CKParam& packet, const std::string& image) {
    const CKParam copy(packet);  // NOLINT(performance-unnecessary-copy-initialization): under test
    Check(copy.GetPacketNum() == packet.GetPacketNum() && copy.GetPacketCrc() == packet.GetPacketCrc() &&
              ImageOf(copy) == image,
          "the copy differs");
    CKParam assigned;
    assigned.SetInt(1, 2);
    assigned = packet;
    Check(ImageOf(assigned) == image && assigned.GetPacketNum() == packet.GetPacketNum(),
          "the assigned copy differs");
    CKParam moved(std::move(assigned));
    Check(ImageOf(moved) == image && assigned.GetBufferPtr() == nullptr &&  // NOLINT(bugprone-use-after-move)
              assigned.GetLength() == 0,
          "a move lost the image or left it behind");
    CKParam target;
    target = std::move(moved);
    Check(ImageOf(target) == image && moved.GetLength() == 0,  // NOLINT(bugprone-use-after-move)
          "a move assignment lost the image");
}

// Every id a record header could hold wherever a walk lands, and two others.
std::set<short> CandidateIds(const std::string& image) {
    std::set<short> ids = {0, -1};
    for (std::size_t offset = 12; offset + 8 <= image.size(); ++offset) {
        std::int16_t id = 0;
        std::memcpy(&id, image.data() + offset + 4, sizeof id);
        ids.insert(id);
    }
    return ids;
}

// The value of the record a lookup of `id` finds, whatever its tag; null when none is found.
const char* Located(CKParam& packet, short id) {
    char* value = nullptr;
    unsigned short length = 0;
    packet.GetCharNF(id, value, length);
    return value;
}

void CheckRawByteReaders(CKParam& packet, short id) {
    char* inside = nullptr;
    unsigned short length = 7;
    const int found = packet.GetCharNF(id, inside, length);
    Check(found == 0 || length == 0, "GetCharNF failed with a length");
    Check(inside == nullptr || (inside >= packet.GetBufferPtr() + 20 &&
                                inside + length <= packet.GetBufferPtr() + packet.GetLength()),
          "GetCharNF points outside the image");

    char* copy = nullptr;
    Check(packet.GetChar(id, copy) == found, "GetChar and GetCharNF disagree");
    const std::unique_ptr<char[]> owned(copy);
    Check((found != 0 || length == 0) ? copy == nullptr
                                      : inside != nullptr && std::memcmp(copy, inside, length) == 0,
          "GetChar copied other bytes");

    unsigned short needed = 9;
    Check(packet.GetChar(id, nullptr, needed) == found && needed == length,
          "GetChar measured another length");
    std::vector<char> dest(needed + 1u);
    Check(packet.GetChar(id, dest.data(), needed) == found, "GetChar into a buffer failed");

    char sentinel = 0;
    char* copy2 = &sentinel;
    unsigned short length2 = 5;
    const int found2 = packet.GetChar2(id, copy2, length2);
    Check(copy2 != &sentinel, "GetChar2 left its output");
    const std::unique_ptr<char[]> owned2(copy2);
    Check(found2 == found && length2 == length, "GetChar2 disagrees");
}

void CheckReaders(CKParam& packet, short id) {
    CheckRawByteReaders(packet, id);
    int intValue = 0;
    short shortValue = 0;
    long longValue = 0;
    bool flag = false;
    packet.GetInt(id, intValue);
    packet.GetShortInt(id, shortValue);
    packet.GetBoolean(id, flag);
    if (packet.GetLong(id, longValue) == 0) {
        Check(longValue >= INT32_MIN && longValue <= INT32_MAX, "GetLong out of range");
    }
    CString text;
    if (packet.GetCString(id, text) == 0) {
        Check(text.Units().find(u'\0') == std::u16string::npos, "GetCString kept a zero unit");
    }
}

// An update changes exactly the bytes of the value the readers find, and only when they accept it;
// the packet is put back afterwards.
template <typename T>
void CheckUpdate(CKParam& packet, short id, const std::string& image, int (CKParam::*get)(short, T&) const,
                 int (CKParam::*update)(short, T)) {
    T value{};
    const bool readable = (packet.*get)(id, value) == 0;
    const char* located = Located(packet, id);
    const T changed = static_cast<T>(~value);
    if ((packet.*update)(id, changed) != 0) {
        Check(!readable, "an updater refused a readable value");
        return;
    }
    Check(readable, "an updater wrote what its reader refused");
    std::string expected = image;
    for (std::size_t i = 0; i < sizeof(T); ++i) {
        expected[static_cast<std::size_t>(located - packet.GetBufferPtr()) + i] =
            static_cast<char>(static_cast<std::uint32_t>(changed) >> (8 * i));
    }
    Check(ImageOf(packet) == expected, "an update changed other bytes");
    Check(packet.SetBufferPtr(image.data(), static_cast<int>(image.size())) == 0,
          "the image was not restorable");
}

void ReadAll(CKParam& packet, const std::set<short>& ids) {
    const std::string image = ImageOf(packet);
    for (const short id : ids) {
        CheckReaders(packet, id);
        CheckUpdate<int>(packet, id, image, &CKParam::GetInt, &CKParam::UpdateInt);
        CheckUpdate<short>(packet, id, image, &CKParam::GetShortInt, &CKParam::UpdateShortInt);
    }
    Check(ImageOf(packet) == image, "reading changed the image");
}

void Exercise(CKParam& packet, const std::uint8_t* data, std::size_t size) {
    const std::string image = ImageOf(packet);
    std::set<short> ids = CandidateIds(image);
    ReadAll(packet, ids);

    CheckCopies(packet, image);

    const auto* bytes = reinterpret_cast<const char*>(data);
    for (const short id : {*ids.begin(), *ids.rbegin(), short{60}}) {
        const int length = packet.GetLength();
        Check(packet.SetChar(id, bytes, static_cast<unsigned int>(size)) == 0, "SetChar refused");
        Check(packet.GetLength() == length + 8 + static_cast<int>(size), "SetChar added another length");
        Check(packet.SetInt(id, length) == 0 && packet.SetCString(id, u"名字") == 0 &&
                  packet.SetShortInt(id, static_cast<short>(length)) == 0 &&
                  packet.SetLong(id, -length) == 0 && packet.SetBoolean(id, (length & 1) != 0) == 0,
              "a write refused");
        Check(Word(packet.GetBufferPtr()) == static_cast<std::uint32_t>(packet.GetLength()),
              "length word not rewritten");
        ids.insert(static_cast<short>(id + 1));
    }
    Check(ImageOf(packet).compare(12, image.size() - 12, image, 12) == 0, "growing changed the old records");
    ReadAll(packet, ids);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 1 << 20) {
        return -1;
    }
    const auto* bytes = reinterpret_cast<const char*>(data);
    CKParam packet;
    if (packet.SetBufferPtr(bytes, static_cast<int>(size)) == 0) {
        Exercise(packet, data, size);
    }
    if (size < 12) {
        return 0;
    }
    // The same bytes made to pass the restore checks.
    std::vector<char> image(bytes, bytes + size);
    SetWord(image.data(), static_cast<std::uint32_t>(size));
    const std::uint32_t sizeWord = Word(image.data() + 8);
    if (sizeWord < 1 || sizeWord > 0x9FFFFF) {
        SetWord(image.data() + 8, static_cast<std::uint32_t>(size));
    }
    CKParam fixed;
    fixed.Release();
    Check(fixed.SetBufferPtr(image.data(), static_cast<int>(size)) == 0, "a fixed-up image was refused");
    Exercise(fixed, data, size);
    return 0;
}
