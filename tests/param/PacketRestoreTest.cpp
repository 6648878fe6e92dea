// Restoring packets from images: what is refused and how the buffer is sized; release and
// re-creation. How lookups walk malformed images is checked against a reference walk
// (PacketIndexTest).
#include <gtest/gtest.h>

#include <string>

#include "PacketImages.h"
#include "param/CKParam.h"

namespace {

using packet_test::Bytes;
using packet_test::GetU32;
using packet_test::ImageBuilder;
using packet_test::ImageOf;
using packet_test::Restore;

TEST(PacketRestoreTest, RestoredPacketHoldsTheImageEvenItsOwn) {
    CKParam original;
    ASSERT_EQ(original.SetInt(50, 7), 0);
    ASSERT_EQ(original.SetCString(51, u"国王"), 0);
    CKParam restored;
    ASSERT_EQ(restored.SetBufferPtr(original.GetBufferPtr(), original.GetLength()), 0);
    EXPECT_EQ(ImageOf(restored), ImageOf(original));
    EXPECT_EQ(restored.GetPacketNum(), 2);
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

// Record 12 -> 24 -> 36, whose length wraps the next offset around to 24: under a count of
// 2^31 - 1 the walk would cycle 24, 36, 24, ... for ever. It ends, with and without a lookup index.
TEST(PacketRestoreTest, WalkCyclingForeverEndsWithoutAResult) {
    for (const std::uint32_t count : {0x7FFFFFFFu, 16u}) {
        const Bytes image =
            ImageBuilder().Int(4, 44).Int(5, 55).Record(0xFFFFFFECu, 6, CKParam::kInt).U32(66).Build(count);
        CKParam packet;
        ASSERT_EQ(Restore(packet, image), 0);
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
