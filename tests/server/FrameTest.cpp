// The frame reader of every connection: a length word above its limit is refused at once, a frame
// above what it keeps is skipped without being buffered, and a large frame leaves no large buffer.
// The interest message as the server reads it, and which of a tick's table updates still go out.
#include <gtest/gtest.h>

#include "Coalesce.h"
#include "Frame.h"
#include "NetMessages.h"
#include "param/ChamberMessages.h"

namespace {

TEST(FrameReaderTest, LimitsHoldAtTheLengthWordAndNoLargeBufferStays) {
    wire::FrameReader small(64);
    small.Append(std::vector<char>{65, 0, 0, 0});
    wire::Frame frame;
    EXPECT_EQ(small.Next(frame), wire::FrameReader::Status::Broken) << "before the rest arrives";

    const std::vector<char> large = wire::EncodeFrame(7, std::vector<char>(wire::kMaxFrameLength - 4, 'x'));
    const std::vector<char> heartbeat = wire::EncodeFrame(4, std::vector<char>(12));
    for (const std::uint32_t kept : {wire::kMaxFrameLength, 1024u}) {
        wire::FrameReader reader(wire::kMaxFrameLength, kept);
        std::vector<wire::Frame> taken;
        for (const std::vector<char>* bytes : {&large, &heartbeat, &large, &heartbeat}) {
            for (std::size_t at = 0; at < bytes->size(); at += 4096) {
                reader.Append({bytes->data() + at, std::min<std::size_t>(4096, bytes->size() - at)});
                while (reader.Next(frame) == wire::FrameReader::Status::Ready) {
                    taken.push_back(frame);
                }
                EXPECT_LE(reader.Capacity(), kept < large.size() - 8 ? 8192 : large.size())
                    << "skipped, not kept";
            }
            EXPECT_LE(reader.Capacity(), 16u * 1024) << "after a frame of " << bytes->size() << " bytes";
        }
        ASSERT_EQ(taken.size(), 4u);
        for (std::size_t i = 0; i < taken.size(); ++i) {
            EXPECT_EQ(taken[i].id, i % 2 == 0 ? 7 : 4);
            EXPECT_EQ(taken[i].length, (i % 2 == 0 ? large : heartbeat).size() - 8);
            EXPECT_EQ(taken[i].image.size(), taken[i].length <= kept ? taken[i].length : 0) << kept;
        }
        reader.Release();
        EXPECT_EQ(reader.Capacity(), 0u) << "an idle reader holds no buffer";
    }
}

TEST(InterestTest, OnlyZeroOrOneInItsFieldIsAnInterest) {
    struct Case {
        const char* what;
        CKParam packet;
        std::optional<bool> open;
    };
    CKParam two, text, otherField;
    two.SetInt(wire::field::kOpen, 2);
    text.SetCString(wire::field::kOpen, CString(u"1"));
    otherField.SetInt(wire::field::kOpen + 1, 1);
    const Case cases[] = {
        {"open", wire::MakeInterest(true), true},
        {"closed", wire::MakeInterest(false), false},
        {"2", two, std::nullopt},
        {"a text", text, std::nullopt},
        {"no field 36", otherField, std::nullopt},
        {"no record", wire::MakeHeartbeat(), std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(wire::ReadInterest(c.packet), c.open) << c.what;
    }
}

TEST(CoalesceTest, OnlyTheLatestImageOfEachRecordGoesOut) {
    using namespace ChamberMsg;
    struct Case {
        const char* what;
        std::vector<server::Update> updates;
        std::vector<bool> shown;
    };
    const Case cases[] = {
        {"entries: the last of each",
         {{kApplicationEntry, 7}, {kApplicationEntry, 8}, {kApplicationEntry, 7}},
         {false, true, true}},
        {"a whole list replaces what came before it, not after",
         {{kApplicationEntry, 7},
          {kApplicationUpdate},
          {kApplicationList},
          {kApplicationEntry, 7},
          {kApplicationUpdate}},
         {false, false, true, true, true}},
        {"merged lists are each kept", {{kApplicationUpdate}, {kApplicationUpdate}}, {true, true}},
        {"a table with the clock replaces both kinds",
         {{kJobTable}, {kJobTableWithClock}, {kJobTable}, {kJobTableWithClock}},
         {false, false, false, true}},
        {"a table without the clock keeps the clock's", {{kJobTableWithClock}, {kJobTable}}, {true, true}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(server::StillShown(c.updates), c.shown) << c.what;
    }
}

}  // namespace
