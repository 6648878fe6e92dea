// The packet checksum: CRC-16/ARC over 11 bytes of every 22 within the first 500.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "PacketImages.h"
#include "param/CKParam.h"
#include "param/Crc16Arc.h"

namespace {

using packet_test::Bytes;
using packet_test::ImageBuilder;
using packet_test::Restore;

TEST(PacketCrcTest, KnownValues) {
    EXPECT_EQ(odc::param::Crc16Arc("123456789", 9), 0xBB3D);  // the catalogue check value
    EXPECT_EQ(odc::param::Crc16Arc("", 0), 0);

    CKParam packet;
    EXPECT_EQ(packet.GetPacketCrc(), static_cast<short>(0xC00D));
    ASSERT_EQ(packet.SetInt(31, 1), 0);
    EXPECT_EQ(packet.GetPacketCrc(), static_cast<short>(0xA063));

    packet.Release();
    EXPECT_EQ(packet.GetPacketCrc(), 0);
}

// Images of every length from 12 to 600 bytes, each byte distinct from its neighbours, against
// a sample gathered here block by block: a byte outside the sample that counted would show.
TEST(PacketCrcTest, SamplesElevenOfEveryTwentyTwoBytesWithinTheFirstFiveHundred) {
    for (std::uint32_t length = 12; length <= 600; ++length) {
        ImageBuilder builder;
        for (std::uint32_t i = 12; i < length; ++i) {
            builder.Value(std::string(1, static_cast<char>(i * 7 + 3)));
        }
        const Bytes image = builder.Build(0);
        CKParam packet;
        ASSERT_EQ(Restore(packet, image), 0);

        std::string sample;
        const std::uint32_t sampled = std::min(length, 500u);
        for (std::uint32_t start = 0; start + 11 <= sampled; start += 22) {
            sample.append(reinterpret_cast<const char*>(image.data()) + start, 11);
        }
        EXPECT_EQ(sample.size(), 11 * ((sampled + 11) / 22)) << length;
        EXPECT_EQ(packet.GetPacketCrc(),
                  static_cast<short>(odc::param::Crc16Arc(sample.data(), sample.size())))
            << length;
    }
}

}  // namespace
