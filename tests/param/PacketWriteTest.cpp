// The images the writers produce, byte for byte, the buffer's growth and the writers' limits.
#include <gtest/gtest.h>

#include <string>

#include "PacketImages.h"
#include "param/CKParam.h"

namespace {

using packet_test::Bytes;
using packet_test::GetU32;
using packet_test::ImageBuilder;
using packet_test::ImageOf;

TEST(PacketWriteTest, AFreshPacketIsItsHeaderAndOneIntMakesTwentyFourBytes) {
    CKParam packet;
    EXPECT_EQ(packet.GetPacketNum(), 0);
    EXPECT_EQ(ImageOf(packet), (Bytes{0, 0, 0, 0, 0, 0, 0, 0, 0x00, 0x10, 0, 0}));
    ASSERT_EQ(packet.SetInt(31, 1), 0);
    EXPECT_EQ(packet.GetPacketNum(), 1);
    EXPECT_EQ(ImageOf(packet),
              (Bytes{24, 0, 0, 0, 1, 0, 0, 0, 0x00, 0x10, 0, 0, 4, 0, 0, 0, 31, 0, 20, 0, 1, 0, 0, 0}));
}

TEST(PacketWriteTest, EveryTagHasItsEncoding) {
    CKParam packet;
    ASSERT_EQ(packet.SetShortInt(1, -2), 0);
    ASSERT_EQ(packet.SetLong(2, -5), 0);
    ASSERT_EQ(packet.SetBoolean(3, true), 0);
    ASSERT_EQ(packet.SetBoolean(4, false), 0);
    ASSERT_EQ(packet.SetChar(5, "x\0y", 3), 0);
    ASSERT_EQ(packet.SetChar(6, nullptr, 0), 0);
    ASSERT_EQ(packet.SetCString(7, u"ab"), 0);
    ASSERT_EQ(packet.SetCString(-1, u""), 0);
    const Bytes expected = ImageBuilder()
                               .Record(2, 1, 10)
                               .Value("\xFE\xFF")
                               .Record(4, 2, 60)
                               .Value("\xFB\xFF\xFF\xFF")
                               .Record(1, 3, 50)
                               .Value("\x01")
                               .Record(1, 4, 50)
                               .Value(std::string(1, '\0'))
                               .Record(3, 5, 30)
                               .Value(std::string("x\0y", 3))
                               .Record(0, 6, 30)
                               .Record(4, 7, 40)
                               .Value(std::string("a\0b\0", 4))
                               .Record(0, 0xFFFF, 40)
                               .Build();
    EXPECT_EQ(ImageOf(packet), expected);
    EXPECT_EQ(packet.GetPacketNum(), 8);
    bool no = true;  // a false boolean reads back false
    ASSERT_EQ(packet.GetBoolean(4, no), 0);
    EXPECT_FALSE(no);
}

TEST(PacketWriteTest, RefusedWritesLeaveThePacketAsItWas) {
    CKParam packet;
    ASSERT_EQ(packet.SetInt(1, 1), 0);
    const Bytes before = ImageOf(packet);

    EXPECT_EQ(packet.SetLong(2, 2147483648L), -1);
    EXPECT_EQ(packet.SetLong(2, -2147483649L), -1);
    EXPECT_EQ(packet.SetCString(3, CString(std::u16string(65536, u'x'))), -1);
    EXPECT_EQ(packet.SetChar(4, nullptr, 1), -1);
    EXPECT_EQ(ImageOf(packet), before);
    EXPECT_EQ(packet.GetPacketNum(), 1);

    ASSERT_EQ(packet.SetLong(2, -2147483648L), 0);
    ASSERT_EQ(packet.SetLong(5, 2147483647L), 0);
    long value = 0;
    ASSERT_EQ(packet.GetLong(2, value), 0);
    EXPECT_EQ(value, -2147483648L);
    ASSERT_EQ(packet.GetLong(5, value), 0);
    EXPECT_EQ(value, 2147483647L);
}

TEST(PacketWriteTest, LongestTextIsStoredWhole) {
    CKParam packet;
    const CString text(std::u16string(65535, u'国'));
    ASSERT_EQ(packet.SetCString(3, text), 0);
    EXPECT_EQ(GetU32(ImageOf(packet), 12), 131070u);
    CString read;
    ASSERT_EQ(packet.GetCString(3, read), 0);
    EXPECT_EQ(read, text);
}

TEST(PacketWriteTest, BufferGrowsInWholeStepsAndKeepsTheRecords) {
    CKParam packet;
    const std::string value(1000, 'v');
    for (short id = 1; id <= 4; ++id) {
        ASSERT_EQ(packet.SetChar(id, value.data(), 1000), 0);
    }
    EXPECT_EQ(packet.GetLength(), 4044);
    EXPECT_EQ(GetU32(ImageOf(packet), 8), 4096u);

    ASSERT_EQ(packet.SetChar(5, value.data(), 1000), 0);
    EXPECT_EQ(packet.GetLength(), 5052);
    const Bytes image = ImageOf(packet);
    EXPECT_EQ(GetU32(image, 0), 5052u);
    EXPECT_EQ(GetU32(image, 4), 5u);
    EXPECT_EQ(GetU32(image, 8), 8192u);
    for (short id = 1; id <= 5; ++id) {
        char* copy = nullptr;
        ASSERT_EQ(packet.GetChar(id, copy), 0);
        EXPECT_EQ(std::string(copy, 1000), value) << id;
        delete[] copy;
    }
}

TEST(PacketWriteTest, GrowthStepsAtTheExactNeed) {
    CKParam full;
    ASSERT_EQ(full.SetChar(1, std::string(4076, 'a').data(), 4076), 0);
    EXPECT_EQ(full.GetLength(), 4096);
    EXPECT_EQ(GetU32(ImageOf(full), 8), 4096u);  // a need of exactly the size still fits

    CKParam packet;
    ASSERT_EQ(packet.SetChar(1, std::string(4000, 'a').data(), 4000), 0);
    ASSERT_EQ(packet.SetChar(2, std::string(4164, 'b').data(), 4164), 0);
    EXPECT_EQ(packet.GetLength(), 8192);
    EXPECT_EQ(GetU32(ImageOf(packet), 8), 12288u);
}

TEST(PacketWriteTest, LongValueLimitAppliesOnlyWhenTheBufferGrows) {
    const std::string big(0x500000, 'z');
    CKParam packet;
    ASSERT_EQ(packet.SetInt(1, 1), 0);
    const Bytes before = ImageOf(packet);
    EXPECT_EQ(packet.SetChar(2, big.data(), 0x500000), -1);
    EXPECT_EQ(ImageOf(packet), before);
    EXPECT_EQ(packet.GetPacketNum(), 1);

    ASSERT_EQ(packet.SetChar(3, big.data(), 0x4FFFFF), 0);
    EXPECT_EQ(GetU32(ImageOf(packet), 8), (24u + 8 + 0x4FFFFF) / 4096 * 4096 + 4096);

    // A restored image may bring a buffer large enough for the long value.
    CKParam roomy;
    ASSERT_EQ(packet_test::Restore(roomy, ImageBuilder().Int(1, 1).Build({}, 0x9FFFFF)), 0);
    ASSERT_EQ(roomy.SetChar(2, big.data(), 0x500000), 0);
    unsigned short length = 1;
    EXPECT_EQ(roomy.GetChar(2, nullptr, length), -1);  // too long for the raw-byte readers
    EXPECT_EQ(roomy.GetLength(), 24 + 8 + 0x500000);
    EXPECT_EQ(GetU32(ImageOf(roomy), 8), 0x9FFFFFu);
}

}  // namespace
