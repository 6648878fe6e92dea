// Readers and updaters: tags, widths, duplicates, texts, raw bytes and the outputs on failure;
// copies and moves.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "PacketImages.h"
#include "param/CKParam.h"

namespace {

using packet_test::Bytes;
using packet_test::ImageBuilder;
using packet_test::ImageOf;
using packet_test::Restore;

// A reader or updater refuses a missing id and a record of another tag or of another width than
// its tag's, and leaves its output and the image as they were; a boolean is true for any byte but 0.
TEST(PacketReadTest, WrongTagWidthOrMissingIdLeavesOutputAndImageUnchanged) {
    CKParam packet;
    ASSERT_EQ(Restore(packet, ImageBuilder()
                                  .Int(50, 7)
                                  .Record(4, 51, CKParam::kLong)
                                  .U32(8)
                                  .Record(2, 1, CKParam::kInt)
                                  .Value("\x01\x02")
                                  .Record(8, 2, CKParam::kLong)
                                  .Value(std::string(8, '\x7F'))
                                  .Record(4, 3, CKParam::kShort)
                                  .U32(0x01020304)
                                  .Record(2, 4, CKParam::kBoolean)
                                  .Value("\x01\x01")
                                  .Record(1, 5, CKParam::kBoolean)
                                  .Value("\x02")
                                  .Build()),
              0);
    const Bytes before = ImageOf(packet);
    for (const short id : {50, 51, 1, 2, 3, 4, 52}) {
        SCOPED_TRACE(id);
        short shortValue = 11;
        int intValue = 12;
        long longValue = 13;
        bool flag = false;
        CString text(u"keep");
        EXPECT_EQ(packet.GetShortInt(id, shortValue), -1);
        EXPECT_EQ(packet.GetBoolean(id, flag), -1);
        EXPECT_EQ(packet.GetCString(id, text), -1);
        EXPECT_EQ(packet.UpdateShortInt(id, -1), -1);
        EXPECT_EQ(packet.GetInt(id, intValue), id == 50 ? 0 : -1);
        EXPECT_EQ(packet.GetLong(id, longValue), id == 51 ? 0 : -1);
        EXPECT_EQ(packet.UpdateInt(id, id == 50 ? 7 : -1), id == 50 ? 0 : -1);  // 7 over 7 changes nothing
        EXPECT_EQ(shortValue, 11);
        EXPECT_EQ(intValue, id == 50 ? 7 : 12);
        EXPECT_EQ(longValue, id == 51 ? 8 : 13);
        EXPECT_FALSE(flag);
        EXPECT_EQ(text, CString(u"keep"));
    }
    EXPECT_EQ(ImageOf(packet), before);
    bool flag = false;
    ASSERT_EQ(packet.GetBoolean(5, flag), 0);
    EXPECT_TRUE(flag);
}

TEST(PacketReadTest, FirstRecordOfAnIdWins) {
    CKParam packet;
    ASSERT_EQ(packet.SetInt(5, 1), 0);
    ASSERT_EQ(packet.SetInt(5, 2), 0);
    EXPECT_EQ(packet.GetPacketNum(), 2);
    int value = 0;
    ASSERT_EQ(packet.GetInt(5, value), 0);
    EXPECT_EQ(value, 1);

    ASSERT_EQ(packet.UpdateInt(5, 9), 0);
    EXPECT_EQ(ImageOf(packet), ImageBuilder().Int(5, 9).Int(5, 2).Build());

    ASSERT_EQ(packet.SetShortInt(6, 3), 0);
    ASSERT_EQ(packet.SetShortInt(6, 4), 0);
    ASSERT_EQ(packet.UpdateShortInt(6, -7), 0);
    short shortValue = 0;
    ASSERT_EQ(packet.GetShortInt(6, shortValue), 0);
    EXPECT_EQ(shortValue, -7);
    EXPECT_EQ(packet.GetLength(), 36 + 2 * 10);
}

TEST(PacketReadTest, TextStopsAtItsFirstZeroUnit) {
    CKParam packet;
    ASSERT_EQ(packet.SetCString(32, u"ab"), 0);
    ASSERT_EQ(packet.SetCString(33, CString(std::u16string(u"ab\0cd", 5))), 0);
    ASSERT_EQ(packet.SetCString(34, u""), 0);
    EXPECT_EQ(packet.GetLength(), 12 + 12 + 18 + 8);
    CString text;
    ASSERT_EQ(packet.GetCString(32, text), 0);
    EXPECT_EQ(text, CString(u"ab"));
    text = u"old";
    ASSERT_EQ(packet.GetCString(33, text), 0);
    EXPECT_EQ(text, CString(u"ab"));
    ASSERT_EQ(packet.GetCString(34, text), 0);
    EXPECT_EQ(text, CString());

    // A foreign record of an odd length: the last byte is no whole unit.
    ASSERT_EQ(
        Restore(packet,
                ImageBuilder().Record(5, 1, CKParam::kCString).Value(std::string("x\0y\0z", 5)).Build()),
        0);
    ASSERT_EQ(packet.GetCString(1, text), 0);
    EXPECT_EQ(text, CString(u"xy"));
}

// GetChar copies into a new array (none for an empty value) or, once measured, into the caller's
// buffer; GetChar2 copies and measures; GetCharNF points into the image.
TEST(PacketReadTest, RawBytesComeOutInFourWays) {
    for (const std::string& value : {std::string("ab\0c", 4), std::string()}) {
        SCOPED_TRACE(value.size());
        CKParam packet;
        ASSERT_EQ(packet.SetChar(7, value.data(), static_cast<unsigned int>(value.size())), 0);
        const char* stored = packet.GetBufferPtr() + 20;
        char sentinel = 0;
        char* copy = &sentinel;
        ASSERT_EQ(packet.GetChar(7, copy), 0);
        const std::unique_ptr<char[]> owned(copy);
        EXPECT_EQ(copy == nullptr, value.empty());
        EXPECT_EQ(copy ? std::string(copy, value.size()) : std::string(), value);

        unsigned short length = 9;
        ASSERT_EQ(packet.GetChar(7, nullptr, length), 0);
        EXPECT_EQ(length, value.size());
        std::string dest(value.size(), '-');
        length = 0;
        ASSERT_EQ(packet.GetChar(7, dest.data(), length), 0);
        EXPECT_EQ(length, value.size());
        EXPECT_EQ(dest, value);

        char* copy2 = &sentinel;
        length = 9;
        ASSERT_EQ(packet.GetChar2(7, copy2, length), 0);
        const std::unique_ptr<char[]> owned2(copy2);
        EXPECT_EQ(length, value.size());
        EXPECT_EQ(copy2 ? std::string(copy2, length) : std::string(), value);
        EXPECT_EQ(copy2 == nullptr, value.empty());

        char* inside = nullptr;
        length = 9;
        ASSERT_EQ(packet.GetCharNF(7, inside, length), 0);
        EXPECT_EQ(inside, stored);
        EXPECT_EQ(length, value.size());
    }
}

// What each raw-byte reader leaves when the id is absent (3), the tag differs (1) or the value is
// longer than 65535 bytes (2).
TEST(PacketReadTest, RawByteReadersFailureOutputs) {
    CKParam packet;
    ASSERT_EQ(packet.SetInt(1, 5), 0);
    ASSERT_EQ(packet.SetChar(2, std::string(65536, 'x').data(), 65536), 0);
    ASSERT_EQ(packet.SetChar(4, std::string(65535, 'y').data(), 65535), 0);
    char sentinel = 0;
    for (const short id : {1, 2, 3}) {
        SCOPED_TRACE(id);
        char* out = &sentinel;
        EXPECT_EQ(packet.GetChar(id, out), -1);
        EXPECT_EQ(out, nullptr);

        unsigned short length = 9;
        char dest = 'd';
        EXPECT_EQ(packet.GetChar(id, &dest, length), -1);
        EXPECT_EQ(length, 0);
        EXPECT_EQ(dest, 'd');

        out = &sentinel;
        length = 9;
        EXPECT_EQ(packet.GetChar2(id, out, length), -1);
        EXPECT_EQ(out, nullptr);
        EXPECT_EQ(length, 0);
    }

    char* out = &sentinel;
    unsigned short length = 9;
    EXPECT_EQ(packet.GetCharNF(3, out, length), -1);
    EXPECT_EQ(out, &sentinel);
    EXPECT_EQ(length, 0);
    length = 9;
    EXPECT_EQ(packet.GetCharNF(1, out, length), -1);
    EXPECT_EQ(out, packet.GetBufferPtr() + 20);
    EXPECT_EQ(length, 0);
    length = 9;
    EXPECT_EQ(packet.GetCharNF(2, out, length), -1);
    EXPECT_EQ(out, packet.GetBufferPtr() + 32);
    EXPECT_EQ(length, 0);

    ASSERT_EQ(packet.GetCharNF(4, out, length), 0);
    EXPECT_EQ(length, 65535);
}

// A copy owns its buffer; a move takes the buffer and leaves the source released, as is a copy of
// a released packet.
TEST(PacketReadTest, CopiesOwnTheirBuffersAndMovesLeaveTheSourceReleased) {
    CKParam original;
    ASSERT_EQ(original.SetInt(1, 10), 0);
    CKParam copy(original);
    EXPECT_NE(copy.GetBufferPtr(), original.GetBufferPtr());
    EXPECT_EQ(ImageOf(copy), ImageOf(original));
    EXPECT_EQ(copy.GetPacketNum(), 1);
    ASSERT_EQ(copy.SetInt(2, 20), 0);
    ASSERT_EQ(copy.UpdateInt(1, 11), 0);
    int value = 0;
    EXPECT_EQ(original.GetInt(2, value), -1);
    ASSERT_EQ(original.GetInt(1, value), 0);
    EXPECT_EQ(value, 10);

    CKParam target;
    ASSERT_EQ(target.SetInt(3, 30), 0);
    target = copy;
    EXPECT_EQ(ImageOf(target), ImageOf(copy));
    EXPECT_EQ(target.GetInt(3, value), -1);
    const CKParam& self = target;
    target = self;
    EXPECT_EQ(ImageOf(target), ImageOf(copy));

    const char* buffer = original.GetBufferPtr();
    CKParam moved(std::move(original));
    EXPECT_EQ(moved.GetBufferPtr(), buffer);
    EXPECT_EQ(original.GetBufferPtr(), nullptr);  // NOLINT(bugprone-use-after-move): the contract
    EXPECT_EQ(original.GetLength(), 0);
    EXPECT_EQ(original.GetPacketNum(), 0);
    EXPECT_EQ(original.GetInt(1, value), -1);
    const CKParam releasedCopy(original);
    EXPECT_EQ(releasedCopy.GetBufferPtr(), nullptr);
    EXPECT_EQ(releasedCopy.GetLength(), 0);

    target = std::move(moved);
    EXPECT_EQ(target.GetBufferPtr(), buffer);
    EXPECT_EQ(moved.GetLength(), 0);  // NOLINT(bugprone-use-after-move)
    ASSERT_EQ(target.GetInt(1, value), 0);
    EXPECT_EQ(value, 10);
    ASSERT_EQ(moved.SetInt(31, 1), 0);
    EXPECT_EQ(ImageOf(moved), ImageBuilder().Int(31, 1).Build());
}

}  // namespace
