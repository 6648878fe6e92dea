// Packets as the transcript shows them: field by field, list entries one a line.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "PacketText.h"
#include "chamber/ChamberRecords.h"
#include "param/ChamberMessages.h"

namespace sim {
namespace {

std::vector<std::string> Describe(int id, const CKParam& packet) {
    return DescribePacket(id, packet.GetBufferPtr(), packet.GetLength());
}

class PacketTextTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("TZ", "UTC", 1);
        tzset();
    }
};

TEST_F(PacketTextTest, RequestsAreWrittenFieldByFieldWithTheirNames) {
    EXPECT_EQ(Describe(ChamberMsg::kVote, ChamberMsg::MakeVoteRequest(7, -2)),
              (std::vector<std::string>{"50 applyId = 7", "60 votes = -2"}));
    EXPECT_EQ(Describe(ChamberMsg::kMute, ChamberMsg::MakeMuteRequest(u"云\"裳", 1800)),
              (std::vector<std::string>{"50 name = \"云\\\"裳\"", "60 flag = 1", "70 seconds = 1800"}));
    EXPECT_EQ(MessageName(ChamberMsg::kMute), "mute a player");
    EXPECT_EQ(MessageName(10000099), "message 10000099");
}

TEST_F(PacketTextTest, ListEntriesAreGatheredOneALineAndTimesAreShown) {
    UniteApplyJob application;
    application.applyId = 5;
    application.jobId = 3;
    application.applyType = 1;
    application.startTime = 1709294400;
    application.userName = u"青衣\n";
    CKParam packet;
    packet.SetInt(ChamberMsg::Field::kCount, 2);
    WriteApplication(packet, 0, application);
    application.applyId = 6;
    WriteApplication(packet, 1, application);
    const std::vector<std::string> lines = Describe(ChamberMsg::kApplicationList, packet);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "60 count = 2");
    EXPECT_TRUE(lines[1].starts_with("[0] applyId=5 jobId=3 applyType=1 ")) << lines[1];
    EXPECT_NE(lines[1].find(" startTime=1709294400 (2024-03-01 12:00:00) "), std::string::npos) << lines[1];
    EXPECT_NE(lines[1].find(" userName=\"青衣\\n\" "), std::string::npos) << lines[1];
    EXPECT_TRUE(lines[2].starts_with("[1] applyId=6 ")) << lines[2];
}

TEST_F(PacketTextTest, UnknownFieldsAndTypesAreStillShown) {
    CKParam packet;
    packet.SetShortInt(90, -3);
    packet.SetBoolean(91, true);
    const char bytes[] = {1, 2, 3};
    packet.SetChar(92, bytes, 3);
    EXPECT_EQ(Describe(ChamberMsg::kVoteResult, packet),
              (std::vector<std::string>{"90 field = -3", "91 field = true", "92 field = bytes[3] 01 02 03"}));
}

TEST_F(PacketTextTest, ADamagedImageIsSaidToBeOne) {
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
