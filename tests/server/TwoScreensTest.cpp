// Two players on two screens against one chamber-server: each screen is chamber-sim playing a
// scenario headless, the module itself driven through GUI::Testing. (An election closed by the
// server's clock is pushed to every client: NetworkTest and the rules' time tests.)
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <thread>

#include "ServerFixture.h"

namespace server::test {
namespace {

// One chamber-sim playing `scenario` as `player` against the server.
class Screen {
public:
    // `connect`: the addresses it is given, by default the server's.
    Screen(const ServerProcess& server, const std::string& player, const std::string& token,
           const std::string& scenario, std::string connect = {})
        : m_dir(server.Dir() + "/" + player) {
        if (connect.empty()) {
            connect = "127.0.0.1:" + std::to_string(server.Port());
        }
        std::filesystem::create_directories(m_dir);
        std::ofstream(m_dir + "/play.chamber") << scenario;
        m_process = std::make_unique<sim::test::ChildProcess>(
            std::vector<std::string>{ODC_SIM_BINARY, m_dir + "/play.chamber", "--no-pictures", "--out", m_dir,
                                     "--tz", "UTC", "--connect", connect, "--player", player, "--token",
                                     token},
            std::vector<std::string>{}, m_dir + "/console.txt");
    }

    std::string Transcript() const { return sim::test::ReadText(m_dir + "/transcript.txt"); }
    // Waits until the transcript holds `text`.
    bool Reaches(const std::string& text) const {
        const auto deadline = std::chrono::steady_clock::now() + 20s;
        while (Transcript().find(text) == std::string::npos) {
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            std::this_thread::sleep_for(20ms);
        }
        return true;
    }
    // The exit code: 0 when every command was carried out.
    std::optional<int> Finish() { return m_process->Wait(30s); }
    // What the transcript says after the first line holding `marker`.
    std::string After(const std::string& marker) const {
        const std::string text = Transcript();
        const std::size_t at = text.find(marker);
        return at == std::string::npos ? std::string() : text.substr(at);
    }

private:
    std::string m_dir;
    std::unique_ptr<sim::test::ChildProcess> m_process;
};

// The votes for row 0 of the open vote list, as last shown.
std::string VotesForShownInRow0(const std::string& transcript) {
    const std::regex votes("m_GuiJobVotes.SIJlinVotes0 \"(\\d+)\"");
    std::string last;
    for (auto it = std::sregex_iterator(transcript.begin(), transcript.end(), votes);
         it != std::sregex_iterator(); ++it) {
        last = (*it)[1].str();
    }
    return last;
}

TEST(TwoScreensTest, AVoteOnOneScreenShowsOnTheOthersOpenVoteList) {
    ServerProcess server;
    ASSERT_TRUE(server.Start()) << server.Log();
    const std::string watcherToken = server.AddPlayer("乙", {"--kingdom", "2"});
    const std::string voterToken = server.AddPlayer("甲");
    Screen watcher(server, "乙", watcherToken,
                   "login 乙\nopen\nclick m_GuiCommon.ArryIBNations[2]\nclick m_GuiJobDetail.SIUserVotes\n"
                   "await 10000028 20s\n");
    ASSERT_TRUE(watcher.Reaches("> await 10000028")) << watcher.Transcript();
    const std::string before = VotesForShownInRow0(watcher.Transcript());
    ASSERT_FALSE(before.empty()) << watcher.Transcript();

    Screen voter(server, "甲", voterToken,
                 "login 甲\nopen\nclick m_GuiCommon.ArryIBNations[5]\nclick m_GuiJobDetail.SIRequest\n"
                 "answer yes\nawait 10000018\nanswer yes\nkey F11\n"
                 "click m_GuiCommon.ArryIBNations[2]\nclick m_GuiJobDetail.SIUserVotes\n"
                 "click m_GuiJobVotes.SIExitJob0\nawait 10000026\n");
    EXPECT_EQ(voter.Finish(), 0) << voter.Transcript();
    EXPECT_EQ(watcher.Finish(), 0) << watcher.Transcript();
    // The candidacy's list update and the vote's entry may reach the other screen in one step.
    EXPECT_NE(watcher.After("> await 10000028").find("jobId=6 applyType=1"), std::string::npos);
    EXPECT_NE(watcher.After("> await 10000028").find("userName=\"甲\""), std::string::npos)
        << "甲's candidacy for post 6 reached the other screen";
    EXPECT_EQ(VotesForShownInRow0(watcher.After("> await 10000028")), std::to_string(std::stoi(before) + 1))
        << watcher.Transcript();
}

TEST(TwoScreensTest, AScreenComesBackInStepAfterTheServerIsKilled) {
    ServerProcess server;
    ASSERT_TRUE(server.Start()) << server.Log();
    const std::string token = server.AddPlayer("甲");
    // The same address again after the restart: the port the first start picked.
    const std::string address = "127.0.0.1:" + std::to_string(server.Port());
    Screen screen(server, "甲", token,
                  "login 甲\nopen\nawait 10000014\nawait 10000012 30s\n"
                  "click m_GuiCommon.ArryIBNations[2]\nclick m_GuiJobDetail.SIUserVotes\n"
                  "click m_GuiJobVotes.SIExitJob0\nawait 10000026\n");
    ASSERT_TRUE(screen.Reaches("> await 10000012")) << screen.Transcript();
    server.Kill();
    ASSERT_TRUE(server.Start({"--listen", address})) << server.Log();
    EXPECT_EQ(screen.Finish(), 0) << screen.Transcript();
    const std::string after = screen.After("> await 10000012");
    EXPECT_NE(after.find("; again in 500 ms"), std::string::npos)
        << "the connection dropped, and back-off began";
    EXPECT_NE(after.find("network: logged in as 甲"), std::string::npos);
    EXPECT_NE(after.find("message box 0: 投票成功！"), std::string::npos) << "a vote after the restart";
}

TEST(TwoScreensTest, AScreenMovesOnFromARefusedAddressToTheNextOne) {
    ServerProcess server;
    ASSERT_TRUE(server.Start()) << server.Log();
    const std::string token = server.AddPlayer("甲");
    const DeadPort dead;
    const std::string serving = "127.0.0.1:" + std::to_string(server.Port());
    Screen screen(server, "甲", token, "login 甲\nopen\n",
                  "127.0.0.1:" + std::to_string(dead.Port()) + "," + serving);
    EXPECT_EQ(screen.Finish(), 0) << screen.Transcript();
    const std::string transcript = screen.Transcript();
    EXPECT_NE(transcript.find("cannot connect: Connection refused; again in 500 ms at " + serving),
              std::string::npos)
        << transcript;
    EXPECT_NE(screen.After("network: connected to " + serving).find("network: logged in as 甲"),
              std::string::npos)
        << transcript;
}

}  // namespace
}  // namespace server::test
