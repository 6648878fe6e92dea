// Readers and updaters: tags, widths, duplicates, texts, raw bytes and the outputs on failure;
// copies and moves. (Each type read back as written: PacketWriteTest.)
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

TEST(PacketReadTest, WrongTagOrMissingIdLeavesTheOutputUnchanged) {
    CKParam packet;
    ASSERT_EQ(packet.SetInt(50, 7), 0);
    ASSERT_EQ(packet.SetLong(51, 8), 0);
    short shortValue = 11;
    int intValue = 12;
    long longValue = 13;
    bool flag = true;
    CString text(u"keep");
    for (const short id : {50, 51, 52}) {
        EXPECT_EQ(packet.GetShortInt(id, shortValue), -1);
        EXPECT_EQ(packet.GetBoolean(id, flag), -1);
        EXPECT_EQ(packet.GetCString(id, text), -1);
    }
    EXPECT_EQ(packet.GetLong(50, longValue), -1);
    EXPECT_EQ(packet.GetInt(51, intValue), -1);
    EXPECT_EQ(packet.GetInt(52, intValue), -1);
    EXPECT_EQ(packet.UpdateInt(51, 1), -1);
    EXPECT_EQ(packet.UpdateShortInt(50, 1), -1);
    EXPECT_EQ(packet.UpdateInt(52, 1), -1);
    EXPECT_EQ(shortValue, 11);
    EXPECT_EQ(intValue, 12);
    EXPECT_EQ(longValue, 13);
    EXPECT_TRUE(flag);
    EXPECT_EQ(text, CString(u"keep"));
    EXPECT_EQ(packet.GetPacketNum(), 2);
    ASSERT_EQ(packet.GetLong(51, longValue), 0);
    EXPECT_EQ(longValue, 8);
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

TEST(PacketReadTest, StoredWidthMustBeTheTagsWidth) {
    CKParam packet;
    ASSERT_EQ(Restore(packet, ImageBuilder()
                                  .Record(2, 1, CKParam::kInt)
                                  .Value("\x01\x02")
                                  .Record(8, 2, CKParam::kLong)
                                  .Value(std::string(8, '\x7F'))
                                  .Record(4, 3, CKParam::kShort)
                                  .U32(0x01020304)
                                  .Record(2, 4, CKParam::kBoolean)
                                  .Value("\x01\x01")
                                  .Build()),
              0);
    const Bytes before = ImageOf(packet);
    int intValue = 5;
    long longValue = 6;
    short shortValue = 7;
    bool flag = false;
    EXPECT_EQ(packet.GetInt(1, intValue), -1);
    EXPECT_EQ(packet.GetLong(2, longValue), -1);
    EXPECT_EQ(packet.GetShortInt(3, shortValue), -1);
    EXPECT_EQ(packet.GetBoolean(4, flag), -1);
    EXPECT_EQ(packet.UpdateInt(1, -1), -1);
    EXPECT_EQ(packet.UpdateShortInt(3, -1), -1);
    EXPECT_EQ(intValue, 5);
    EXPECT_EQ(longValue, 6);
    EXPECT_EQ(shortValue, 7);
    EXPECT_FALSE(flag);
    EXPECT_EQ(ImageOf(packet), before);
}

TEST(PacketReadTest, AnyNonZeroBooleanByteIsTrue) {
    CKParam packet;
    ASSERT_EQ(Restore(packet, ImageBuilder().Record(1, 1, CKParam::kBoolean).Value("\x02").Build()), 0);
    bool flag = false;
    ASSERT_EQ(packet.GetBoolean(1, flag), 0);
    EXPECT_TRUE(flag);
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

TEST(PacketReadTest, RawBytesComeOutInFourWays) {
    CKParam packet;
    ASSERT_EQ(packet.SetChar(7, "ab\0c", 4), 0);
    const char* stored = packet.GetBufferPtr() + 20;

    char* copy = nullptr;
    ASSERT_EQ(packet.GetChar(7, copy), 0);
    const std::unique_ptr<char[]> owned(copy);
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, stored);
    EXPECT_EQ(std::string(copy, 4), std::string("ab\0c", 4));

    unsigned short length = 0;
    ASSERT_EQ(packet.GetChar(7, nullptr, length), 0);
    EXPECT_EQ(length, 4);
    char dest[4] = {};
    length = 0;
    ASSERT_EQ(packet.GetChar(7, dest, length), 0);
    EXPECT_EQ(length, 4);
    EXPECT_EQ(std::string(dest, 4), std::string("ab\0c", 4));

    char* copy2 = nullptr;
    length = 0;
    ASSERT_EQ(packet.GetChar2(7, copy2, length), 0);
    const std::unique_ptr<char[]> owned2(copy2);
    EXPECT_EQ(length, 4);
    EXPECT_EQ(std::string(copy2, 4), std::string("ab\0c", 4));

    char* inside = nullptr;
    length = 0;
    ASSERT_EQ(packet.GetCharNF(7, inside, length), 0);
    EXPECT_EQ(inside, stored);
    EXPECT_EQ(length, 4);
}

TEST(PacketReadTest, EmptyRawValueGivesNoArray) {
    CKParam packet;
    ASSERT_EQ(packet.SetChar(7, "", 0), 0);
    char sentinel = 0;
    char* out = &sentinel;
    ASSERT_EQ(packet.GetChar(7, out), 0);
    EXPECT_EQ(out, nullptr);
    out = &sentinel;
    unsigned short length = 3;
    ASSERT_EQ(packet.GetChar2(7, out, length), 0);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(length, 0);
    length = 3;
    ASSERT_EQ(packet.GetCharNF(7, out, length), 0);
    EXPECT_EQ(out, packet.GetBufferPtr() + 20);
    EXPECT_EQ(length, 0);
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

TEST(PacketReadTest, CopiesOwnTheirBuffers) {
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

    original.Release();
    const CKParam releasedCopy(original);
    EXPECT_EQ(releasedCopy.GetBufferPtr(), nullptr);
    EXPECT_EQ(releasedCopy.GetLength(), 0);
}

TEST(PacketReadTest, MovedFromPacketIsReleased) {
    CKParam source;
    ASSERT_EQ(source.SetInt(1, 10), 0);
    const char* buffer = source.GetBufferPtr();
    CKParam moved(std::move(source));
    EXPECT_EQ(moved.GetBufferPtr(), buffer);
    EXPECT_EQ(moved.GetLength(), 24);
    EXPECT_EQ(source.GetBufferPtr(), nullptr);  // NOLINT(bugprone-use-after-move): the contract
    EXPECT_EQ(source.GetLength(), 0);
    EXPECT_EQ(source.GetPacketNum(), 0);
    int value = 0;
    EXPECT_EQ(source.GetInt(1, value), -1);

    CKParam target;
    target = std::move(moved);
    EXPECT_EQ(target.GetBufferPtr(), buffer);
    EXPECT_EQ(moved.GetLength(), 0);  // NOLINT(bugprone-use-after-move)
    ASSERT_EQ(target.GetInt(1, value), 0);
    EXPECT_EQ(value, 10);

    ASSERT_EQ(moved.SetInt(31, 1), 0);
    EXPECT_EQ(ImageOf(moved), ImageBuilder().Int(31, 1).Build());
}

}  // namespace
