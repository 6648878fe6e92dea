// chamber-sim end to end: the built-in tour with a fixed seed and time zone gives the golden
// transcript and pictures. Set ODC_SIM_UPDATE_GOLDEN=1 to write the goldens from this build.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "Picture.h"
#include "SimProcess.h"

namespace sim::test {
namespace {

constexpr int kChannelTolerance = 2;  // llvmpipe draws the same bytes every time: keep it tight
constexpr int kAllowedPixels = 16;
constexpr auto kRunTimeout = std::chrono::seconds(60);

const std::string kGoldenDir = ODC_SIM_GOLDEN_DIR;

std::optional<int> RunSim(const std::vector<std::string>& arguments, const std::string& outputPath) {
    std::vector<std::string> argv = {ODC_SIM_BINARY};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    ChildProcess sim(argv, {}, outputPath);
    return sim.Wait(kRunTimeout);
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        lines.push_back(line);
    }
    return lines;
}

std::set<std::string> TourPictures(const std::string& dir) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() == ".png" && !name.starts_with("window-")) {
            names.insert(name);
        }
    }
    return names;
}

class TourTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_out = MakeTempDir();
        s_exit = RunSim({"--seed", "1", "--tz", "UTC", "--out", s_out}, s_out + "/stdout.txt");
    }
    static std::string s_out;
    static std::optional<int> s_exit;
};
std::string TourTest::s_out;
std::optional<int> TourTest::s_exit;

TEST_F(TourTest, CarriesOutEveryCommandAndPrintsTheTranscriptItWrites) {
    ASSERT_EQ(s_exit, 0) << ReadText(s_out + "/stdout.txt");
    EXPECT_EQ(
        ReadText(s_out + "/stdout.txt"),
        ReadText(s_out + "/transcript.txt") + "chamber-sim: transcript and pictures in " + s_out + "/\n");
}

TEST_F(TourTest, TranscriptIsTheGoldenOne) {
    const std::string transcript = ReadText(s_out + "/transcript.txt");
    ASSERT_FALSE(transcript.empty());
    if (UpdatingGoldens()) {
        std::filesystem::copy_file(s_out + "/transcript.txt", kGoldenDir + "/transcript.txt",
                                   std::filesystem::copy_options::overwrite_existing);
        GTEST_SKIP() << "golden transcript written";
    }
    const std::vector<std::string> actual = Lines(transcript);
    const std::vector<std::string> golden = Lines(ReadText(kGoldenDir + "/transcript.txt"));
    for (std::size_t i = 0; i < std::min(actual.size(), golden.size()); ++i) {
        ASSERT_EQ(actual[i], golden[i]) << "first difference on line " << i + 1;
    }
    EXPECT_EQ(actual.size(), golden.size());
}

TEST_F(TourTest, PicturesAreTheGoldenOnes) {
    const std::set<std::string> drawn = TourPictures(s_out);
    ASSERT_FALSE(drawn.empty());
    if (UpdatingGoldens()) {
        for (const std::string& name : drawn) {
            std::filesystem::copy_file(s_out + "/" + name, kGoldenDir + "/" + name,
                                       std::filesystem::copy_options::overwrite_existing);
        }
        GTEST_SKIP() << "golden pictures written";
    }
    EXPECT_EQ(drawn, TourPictures(kGoldenDir)) << "every picture of the tour has a golden one";
    for (const std::string& name : drawn) {
        const Picture picture = ReadPng(s_out + "/" + name);
        const Picture golden = ReadPng(kGoldenDir + "/" + name);
        ASSERT_EQ(picture.width, 800) << name;
        ASSERT_EQ(picture.height, 600) << name;
        const PictureDifference difference = Compare(picture, golden, kChannelTolerance);
        EXPECT_TRUE(difference.sameSize) << name;
        EXPECT_LE(difference.differingPixels, kAllowedPixels)
            << name << ": largest channel difference " << difference.largestDelta;
    }
}

TEST(TourOptionsTest, ABadScenarioOrOptionStopsBeforeAnythingRuns) {
    const std::string out = MakeTempDir();
    const std::string scenario = out + "/bad.chamber";
    {
        std::ofstream file(scenario);
        file << "open\nclick\n";
    }
    EXPECT_EQ(RunSim({scenario, "--no-pictures", "--out", out}, out + "/stderr.txt"), 2);
    EXPECT_NE(ReadText(out + "/stderr.txt").find("bad.chamber:2: click: exactly one argument expected"),
              std::string::npos);
    EXPECT_FALSE(FileExists(out + "/transcript.txt"));
    EXPECT_EQ(RunSim({"--seed", "many", "--out", out}, "/dev/null"), 2);
}

}  // namespace
}  // namespace sim::test
