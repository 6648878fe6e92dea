// chamber-sim --engine ogre under its own Xvfb: the tour's pictures show the Chamber exactly where
// and as the bare engine draws it (the golden pictures), over a lit dance hall that moves from one
// picture to the next. Skipped when Xvfb is missing.
#include <gtest/gtest.h>

#include <string>

#include "OwnXvfb.h"
#include "Picture.h"

namespace sim::test {
namespace {

using namespace std::chrono_literals;

const std::string kGoldenDir = ODC_SIM_GOLDEN_DIR;
constexpr int kWidth = 1280;
constexpr int kHeight = 720;
// The Chamber's 800 x 600 in the middle of the window.
constexpr int kChamberLeft = 240;
constexpr int kChamberTop = 60;

// How much of `picture` is lit: the pixels with a channel brighter than a dark hall's walls.
double LitShare(const Picture& picture) {
    int lit = 0;
    for (std::size_t pixel = 0; pixel < picture.rgba.size(); pixel += 4) {
        lit += std::max({picture.rgba[pixel], picture.rgba[pixel + 1], picture.rgba[pixel + 2]}) > 60 ? 1 : 0;
    }
    return static_cast<double>(lit) / static_cast<double>(picture.width * picture.height);
}

using OgreTourTest = XvfbTest;

TEST_F(OgreTourTest, TheChamberLiesOverAMovingLitHall) {
    const std::string out = MakeTempDir();
    ChildProcess sim({ODC_SIM_BINARY, "--engine", "ogre", "--seed", "1", "--tz", "UTC", "--out", out},
                     {"DISPLAY=" + server->name()}, out + "/output.txt");
    ASSERT_EQ(sim.Wait(90s), 0) << ReadText(out + "/output.txt");

    Picture previousFloor;
    for (const char* name : {"01-hall.png", "02-held-post.png", "04-vote-list.png", "10-help.png"}) {
        SCOPED_TRACE(name);
        const Picture picture = ReadPng(out + "/" + name);
        ASSERT_EQ(picture.width, kWidth);
        ASSERT_EQ(picture.height, kHeight);
        const PictureDifference chamber =
            Compare(Crop(picture, kChamberLeft, kChamberTop, 800, 600), ReadPng(kGoldenDir + "/" + name), 2);
        EXPECT_TRUE(chamber.sameSize);
        EXPECT_LE(chamber.differingPixels, 16) << "largest channel difference " << chamber.largestDelta;

        // Left of the Chamber, below its top: the floor, the dancers, the beams.
        const Picture floor = Crop(picture, 0, kHeight / 2, kChamberLeft, kHeight / 2);
        EXPECT_GT(LitShare(floor), 0.5) << "the hall is lit";
        if (!previousFloor.rgba.empty()) {
            // A scene frozen after its first frame would leave the floor as it was.
            EXPECT_GT(Compare(floor, previousFloor, 8).differingPixels, floor.width * floor.height / 10)
                << "the hall moves";
        }
        previousFloor = floor;
    }
}

}  // namespace
}  // namespace sim::test
