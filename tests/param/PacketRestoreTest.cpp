// Restoring packets from images: what is refused, how the buffer is sized, and how lookups treat
// malformed records; release and re-creation.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "PacketImages.h"
#include "param/CKParam.h"

namespace {

using packet_test::Bytes;
using packet_test::GetU32;
using packet_test::ImageBuilder;
using packet_test::ImageOf;
using packet_test::Restore;

TEST(PacketRestoreTest, RestoredPacketReadsAsTheOriginal) {
    CKParam original;
    ASSERT_EQ(original.SetInt(50, 7), 0);
    ASSERT_EQ(original.SetCString(51, u"国王"), 0);
    CKParam restored;
    ASSERT_EQ(restored.SetBufferPtr(original.GetBufferPtr(), original.GetLength()), 0);
    EXPECT_EQ(ImageOf(restored), ImageOf(original));
    EXPECT_EQ(restored.GetPacketNum(), 2);
    int value = 0;
    CString text;
    ASSERT_EQ(restored.GetInt(50, value), 0);
    ASSERT_EQ(restored.GetCString(51, text), 0);
    EXPECT_EQ(value, 7);
    EXPECT_EQ(text, CString(u"国王"));

    // From its own image.
    ASSERT_EQ(restored.SetBufferPtr(restored.GetBufferPtr(), restored.GetLength()), 0);
    EXPECT_EQ(ImageOf(restored), ImageOf(original));
}

TEST(PacketRestoreTest, RefusedImagesLeaveThePacketAsItWas) {
    CKParam packet;
    ASSERT_EQ(packet.SetInt(1, 1), 0);
    const Bytes before = ImageOf(packet);
    const Bytes vote = ImageBuilder().Int(50, 7).Int(60, 1).Build();

    EXPECT_EQ(packet.SetBufferPtr(nullptr, 36), -1);
    EXPECT_EQ(packet.SetBufferPtr(reinterpret_cast<const char*>(vote.data()), 35), -1);
    EXPECT_EQ(packet.SetBufferPtr(reinterpret_cast<const char*>(vote.data()), 11), -1);
    // Shorter than a header, though its length word agrees.
    const Bytes eleven = {11, 0, 0, 0, 0, 0, 0, 0, 0, 0x10, 0, 0};
    EXPECT_EQ(packet.SetBufferPtr(reinterpret_cast<const char*>(eleven.data()), 11), -1);
    EXPECT_EQ(Restore(packet, ImageBuilder().Int(50, 7).Build({}, 4096, 28)), -1);
    EXPECT_EQ(Restore(packet, ImageBuilder().Int(50, 7).Build({}, 0)), -1);
    EXPECT_EQ(Restore(packet, ImageBuilder().Int(50, 7).Build({}, 10485760)), -1);
    EXPECT_EQ(Restore(packet, ImageBuilder().Int(50, 7).Build({}, 0xFFFFFFFF)), -1);
    // A fresh packet's image still has the length word 0.
    EXPECT_EQ(packet.SetBufferPtr(CKParam().GetBufferPtr(), 12), -1);

    EXPECT_EQ(ImageOf(packet), before);
    EXPECT_EQ(packet.GetPacketNum(), 1);
    EXPECT_EQ(Restore(packet, ImageBuilder().Int(50, 7).Build({}, 10485759)), 0);
    EXPECT_EQ(Restore(packet, ImageBuilder().Build({}, 1)), 0);
}

TEST(PacketRestoreTest, SizeWordStaysUntilTheNextWriteRewritesIt) {
    CKParam packet;
    ASSERT_EQ(Restore(packet, ImageBuilder().Int(50, 7).Build({}, 100)), 0);
    EXPECT_EQ(GetU32(ImageOf(packet), 8), 100u);
    ASSERT_EQ(packet.SetInt(60, 1), 0);
    EXPECT_EQ(GetU32(ImageOf(packet), 8), 4096u);  // the buffer kept from construction

    // One byte more than the buffer holds: the buffer grows to the size word.
    ASSERT_EQ(Restore(packet, ImageBuilder().Int(50, 7).Build({}, 4097)), 0);
    ASSERT_EQ(packet.SetInt(60, 1), 0);
    EXPECT_EQ(GetU32(ImageOf(packet), 8), 4097u);
}

TEST(PacketRestoreTest, ImageLongerThanItsSizeWordIsHeldWhole) {
    CKParam packet;
    packet.Release();
    ImageBuilder builder;
    for (int id = 0; id < 10; ++id) {
        builder.Int(static_cast<std::uint16_t>(id), id * 11);
    }
    ASSERT_EQ(Restore(packet, builder.Build({}, 1)), 0);
    EXPECT_EQ(packet.GetLength(), 132);
    int value = 0;
    ASSERT_EQ(packet.GetInt(9, value), 0);
    EXPECT_EQ(value, 99);
    // The next write finds the buffer full and grows it.
    ASSERT_EQ(packet.SetInt(10, 110), 0);
    EXPECT_EQ(GetU32(ImageOf(packet), 8), 4096u);
    ASSERT_EQ(packet.GetInt(9, value), 0);
    EXPECT_EQ(value, 99);
}

TEST(PacketRestoreTest, RecordsRunningPastTheLengthAreNotFound) {
    CKParam packet;
    // The second value claims 100 bytes of a 36-byte image.
    ASSERT_EQ(Restore(packet, ImageBuilder().Int(1, 5).Record(100, 2, 30).U32(0).Build()), 0);
    int value = 0;
    ASSERT_EQ(packet.GetInt(1, value), 0);
    EXPECT_EQ(value, 5);
    char sentinel = 0;
    char* out = &sentinel;
    unsigned short length = 9;
    EXPECT_EQ(packet.GetCharNF(2, out, length), -1);
    EXPECT_EQ(out, &sentinel);
    EXPECT_EQ(length, 0);

    // A header cut off by the length: 14 bytes hold no whole record, and the buffer ends there.
    CKParam cut;
    cut.Release();
    ASSERT_EQ(Restore(cut, ImageBuilder().Value("ab").Build(1, 1)), 0);
    EXPECT_EQ(cut.GetInt(0, value), -1);
}

TEST(PacketRestoreTest, CountWordBoundsTheWalk) {
    const ImageBuilder records = ImageBuilder().Int(1, 10).Int(2, 20).Int(3, 30);
    int value = 0;
    CKParam packet;

    ASSERT_EQ(Restore(packet, records.Build(2)), 0);
    EXPECT_EQ(packet.GetInt(2, value), 0);
    EXPECT_EQ(packet.GetInt(3, value), -1);

    ASSERT_EQ(Restore(packet, records.Build(40)), 0);  // more than there are: the length stops the walk
    EXPECT_EQ(packet.GetInt(3, value), 0);
    EXPECT_EQ(value, 30);
    EXPECT_EQ(packet.GetInt(4, value), -1);

    for (const std::uint32_t count : {0u, 0xFFFFFFFFu, 0x80000000u}) {
        ASSERT_EQ(Restore(packet, records.Build(count)), 0);
        EXPECT_EQ(packet.GetInt(1, value), -1) << count;
    }
}

// Record 12 (id 4) -> 24 -> 36, whose length wraps the next offset around to 16. The header read
// at 16 overlaps record 12: length 4 (id 4, tag 0), id 99 and tag 20 (record 12's value), and its
// value is record 24's length word.
Bytes WrappingImage(std::uint32_t count, std::uint32_t wrapLength) {
    return ImageBuilder()
        .Record(4, 4, 0)
        .U32(20u << 16 | 99)
        .Int(5, 55)
        .Record(wrapLength, 6, 20)
        .U32(66)
        .Build(count);
}

TEST(PacketRestoreTest, WrappedOffsetsContinueOnlyBeyondTheHeader) {
    CKParam packet;
    int value = 0;
    ASSERT_EQ(Restore(packet, WrappingImage(4, 0xFFFFFFE4u)), 0);  // 36 + 8 + n = 16 (mod 2^32)
    ASSERT_EQ(packet.GetInt(99, value), 0);
    EXPECT_EQ(value, 4);

    ASSERT_EQ(Restore(packet, WrappingImage(3, 0xFFFFFFE4u)), 0);  // the fourth step is one too many
    EXPECT_EQ(packet.GetInt(99, value), -1);

    ASSERT_EQ(Restore(packet, WrappingImage(4, 0xFFFFFFE0u)), 0);  // lands on 12: the walk stops
    EXPECT_EQ(packet.GetInt(99, value), -1);
    // Record 36 itself is found, but its value runs past the length.
    EXPECT_EQ(packet.GetInt(6, value), -1);
}

TEST(PacketRestoreTest, WalkCyclingForeverEndsWithoutAResult) {
    // 36 + 8 + n = 24: the walk cycles 24, 36, 24, ... under a count of 2^31 - 1, with and
    // without enough records for a lookup index.
    for (const std::uint32_t count : {0x7FFFFFFFu, 16u}) {
        CKParam packet;
        ASSERT_EQ(Restore(packet, WrappingImage(count, 0xFFFFFFECu)), 0);
        int value = 0;
        EXPECT_EQ(packet.GetInt(77, value), -1);
        ASSERT_EQ(packet.GetInt(5, value), 0);
        EXPECT_EQ(value, 55);
    }
}

TEST(PacketRestoreTest, ReleasedPacketHasNoBufferUntilTheNextWriteOrCreate) {
    CKParam packet;
    ASSERT_EQ(packet.SetInt(1, 3), 0);
    packet.Release();
    EXPECT_EQ(packet.GetBufferPtr(), nullptr);
    EXPECT_EQ(packet.GetLength(), 0);
    EXPECT_EQ(packet.GetPacketNum(), 0);
    int value = 42;
    EXPECT_EQ(packet.GetInt(1, value), -1);
    EXPECT_EQ(value, 42);
    EXPECT_EQ(packet.UpdateInt(1, 4), -1);
    packet.Release();

    ASSERT_EQ(packet.SetInt(1, 5), 0);
    EXPECT_EQ(ImageOf(packet), ImageBuilder().Int(1, 5).Build());

    packet.Release();
    ASSERT_EQ(Restore(packet, ImageBuilder().Int(2, 6).Build()), 0);
    ASSERT_EQ(packet.GetInt(2, value), 0);
    EXPECT_EQ(value, 6);

    // Create starts a fresh packet, whatever the packet held or whether it was released.
    packet.Create();
    EXPECT_EQ(ImageOf(packet), ImageOf(CKParam()));
    EXPECT_EQ(packet.GetInt(2, value), -1);
    packet.Release();
    packet.Create();
    ASSERT_EQ(packet.SetInt(31, 1), 0);
    EXPECT_EQ(packet.GetLength(), 24);
}

}  // namespace
