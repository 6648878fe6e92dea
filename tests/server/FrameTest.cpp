// The frame reader of every connection: a length word above its limit is refused at once, a frame
// above what it keeps is skipped without being buffered, and a large frame leaves no large buffer.
#include <gtest/gtest.h>

#include "Frame.h"

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
    }
}

}  // namespace
