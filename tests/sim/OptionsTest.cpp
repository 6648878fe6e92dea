// chamber-sim's command line: what the options set, and the lines refused with exit code 2.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Options.h"

namespace sim {
namespace {

ParsedOptions Parse(std::vector<std::string> words) {
    words.insert(words.begin(), "chamber-sim");
    std::vector<const char*> argv;
    for (const std::string& word : words) {
        argv.push_back(word.c_str());
    }
    return ParseOptions(static_cast<int>(argv.size()), argv.data());
}

TEST(OptionsTest, OptionsSetWhatTheySayAndBadLinesExitWithTwo) {
    const ParsedOptions parsed = Parse({"--window", "--engine", "ogre", "--jump", "30m", "--seed", "7",
                                        "--connect", "[::1]:7400,db2:7401", "--token", "t", "--no-pictures"});
    ASSERT_FALSE(parsed.exitCode);
    const Options& options = parsed.options;
    EXPECT_TRUE(options.window);
    EXPECT_EQ(options.engine, Engine::Ogre);
    EXPECT_EQ(options.jumpMs, 30 * 60'000);
    EXPECT_EQ(options.seed, 7u);
    ASSERT_EQ(options.connect.size(), 2u);
    EXPECT_EQ(options.connect[0].host, "::1");
    EXPECT_EQ(options.connect[0].port, 7400);
    EXPECT_EQ(options.connect[1].host, "db2");
    EXPECT_EQ(options.connect[1].port, 7401);
    EXPECT_FALSE(options.pictures);

    const std::vector<std::vector<std::string>> bad = {
        {"--connect", "127.0.0.1:7400"},  // no token
        {"--connect", "127.0.0.1:0", "--token", "t"},
        {"--connect", "127.0.0.1:7400,", "--token", "t"},
        {"--connect", "127.0.0.1:7400,127.0.0.1:0", "--token", "t"},
        {"--engine", "vulkan"},
        {"--jump", "0"},
        {"--jump", "soon"},
        {"--seed", "-1"},
        {"no-such-scenario.chamber"},
        {"--out"},
    };
    for (const auto& words : bad) {
        EXPECT_EQ(Parse(words).exitCode, 2) << testing::PrintToString(words);
    }
}

}  // namespace
}  // namespace sim
