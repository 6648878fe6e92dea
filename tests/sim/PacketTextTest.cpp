// Packets as the transcript shows them, where the tour's golden transcript does not go: quoting,
// unknown ids, fields and types, and damaged images.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PacketText.h"
#include "param/ChamberMessages.h"

namespace sim {
namespace {

std::vector<std::string> Describe(int id, const CKParam& packet) {
    return DescribePacket(id, packet.GetBufferPtr(), packet.GetLength());
}

TEST(PacketTextTest, TextsAreQuotedAndUnknownIdsNamedByTheirNumber) {
    EXPECT_EQ(Describe(ChamberMsg::kMute, ChamberMsg::MakeMuteRequest(u"云\"裳", 1800)),
              (std::vector<std::string>{"50 name = \"云\\\"裳\"", "60 flag = 1", "70 seconds = 1800"}));
    EXPECT_EQ(MessageName(10000099), "message 10000099");
}

TEST(PacketTextTest, UnknownFieldsAndTypesAreStillShown) {
    CKParam packet;
    packet.SetShortInt(90, -3);
    packet.SetBoolean(91, true);
    const char bytes[] = {1, 2, 3};
    packet.SetChar(92, bytes, 3);
    EXPECT_EQ(Describe(ChamberMsg::kVoteResult, packet),
              (std::vector<std::string>{"90 field = -3", "91 field = true", "92 field = bytes[3] 01 02 03"}));
}

TEST(PacketTextTest, ADamagedImageIsSaidToBeOne) {
    CKParam packet = ChamberMsg::MakeVoteRequest(7, 1);
    EXPECT_EQ(DescribePacket(ChamberMsg::kVote, packet.GetBufferPtr(), packet.GetLength() - 1),
              (std::vector<std::string>{"(not a packet image: 35 bytes)"}));
    std::vector<char> image(packet.GetBufferPtr(), packet.GetBufferPtr() + packet.GetLength());
    image[12] = 40;  // the first record claims 40 value bytes
    EXPECT_EQ(DescribePacket(ChamberMsg::kVote, image.data(), static_cast<int>(image.size())),
              (std::vector<std::string>{"(record 50 runs past the end)"}));
}

}  // namespace
}  // namespace sim
