// The frame reader of every connection: a length word above its limit is refused at once, and a
// large frame leaves no large buffer behind.
#include <gtest/gtest.h>

#include "Frame.h"

namespace {

TEST(FrameReaderTest, LimitsHoldAtTheLengthWordAndBuffersShrinkAfterALargeFrame) {
    wire::FrameReader small(64);
    small.Append(std::vector<char>{65, 0, 0, 0});
    wire::Frame frame;
    EXPECT_EQ(small.Next(frame), wire::FrameReader::Status::Broken) << "before the rest arrives";

    wire::FrameReader reader;
    const std::vector<char> large = wire::EncodeFrame(7, std::vector<char>(wire::kMaxFrameLength - 4, 'x'));
    const std::vector<char> heartbeat = wire::EncodeFrame(4, std::vector<char>(12));
    for (const std::vector<char>* bytes : {&large, &heartbeat, &large}) {
        for (std::size_t at = 0; at < bytes->size(); at += 4096) {
            reader.Append({bytes->data() + at, std::min<std::size_t>(4096, bytes->size() - at)});
        }
        ASSERT_EQ(reader.Next(frame), wire::FrameReader::Status::Ready);
        EXPECT_EQ(frame.image.size(), bytes->size() - 8);
        EXPECT_LE(reader.Capacity(), 64u * 1024) << "after a frame of " << bytes->size() << " bytes";
    }
}

}  // namespace
