// chamber-server's admin listener end to end: /metrics after votes and refusals (checked by
// promtool when it is installed), and /livez and /readyz on a serving server and on a standby.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <thread>

#include "HttpClient.h"
#include "ServerFixture.h"
#include "param/ChamberMessages.h"

namespace server::test {
namespace {

using admin::test::BodyOf;
using admin::test::Get;
using admin::test::StatusOf;

// The admin port the server printed, once it has.
unsigned short AdminPort(const ServerProcess& server) {
    std::smatch match;
    const std::string log = server.Log();
    return server.LogSays("admin on ") &&
                   std::regex_search(log, match, std::regex(R"(admin on 127\.0\.0\.1:(\d+))"))
               ? static_cast<unsigned short>(std::stoi(match[1]))
               : 0;
}

// The value of a sample of the exposition, -1 when there is none.
double Sample(const std::string& metrics, const std::string& series) {
    const std::size_t at = metrics.find("\n" + series + " ");
    return at == std::string::npos ? -1 : std::stod(metrics.substr(at + series.size() + 2));
}

TEST(AdminTest, MetricsCountWhatTheServerDecidedAndPassPromtool) {
    ServerProcess server;
    ASSERT_TRUE(server.Start({"--admin", "0"})) << server.Log();
    const unsigned short admin = AdminPort(server);
    ASSERT_NE(admin, 0) << server.Log();
    const std::string token = server.AddPlayer("甲", {"--ballots", "2"});
    RawClient client(server.Port());
    ASSERT_TRUE(client.Login("甲", token).ok);
    for (const int ballots : {1, 5}) {
        client.Send(ChamberMsg::kVote, ChamberMsg::MakeVoteRequest(1, ballots));
        ASSERT_TRUE(client.NextWith(ChamberMsg::kVoteResult));
    }
    RawClient guesser(server.Port());
    EXPECT_FALSE(guesser.Login("甲", std::string(64, '0')).ok);
    // Two Chambers opened: one stays open, the other's client leaves.
    client.Open();
    ASSERT_TRUE(client.NextWith(ChamberMsg::kApplicationList));
    {
        RawClient leaver(server.Port());
        ASSERT_TRUE(leaver.Login("乙", server.AddPlayer("乙")).ok);
        leaver.Open();
        ASSERT_TRUE(leaver.NextWith(ChamberMsg::kApplicationList));
    }
    ASSERT_TRUE(server.LogSays("closed by the client")) << server.Log();

    const std::string answer = Get(admin, "/metrics");
    ASSERT_EQ(StatusOf(answer), 200) << answer;
    EXPECT_NE(answer.find("Content-Type: text/plain; version=0.0.4"), std::string::npos);
    const std::string metrics = BodyOf(answer);
    const struct {
        const char* series;
        double value;
    } expected[] = {
        {R"(chamber_requests_total{kind="vote",result="accepted"})", 1},
        {R"(chamber_requests_total{kind="vote",result="not_enough_ballots"})", 1},
        {R"(chamber_logins_total{result="accepted"})", 2},
        {R"(chamber_logins_total{result="wrong_token"})", 1},
        {R"(chamber_connections{state="logged_in"})", 1},
        {R"(chamber_connections{state="not_logged_in"})", 1},
        {"chamber_watchers", 1},
        {"chamber_serving", 1},
    };
    for (const auto& [series, value] : expected) {
        EXPECT_EQ(Sample(metrics, series), value) << series << "\n" << metrics;
    }
    EXPECT_GE(Sample(metrics, "chamber_commit_batch_requests_count"), 1) << metrics;
    EXPECT_EQ(Sample(metrics, "chamber_answer_duration_seconds_count"), 2) << metrics;
    EXPECT_GT(Sample(metrics, "chamber_store_size_bytes"), 0) << metrics;
    EXPECT_GT(Sample(metrics, "chamber_server_clock_seconds"), 1.7e9) << metrics;
    EXPECT_EQ(BodyOf(Get(admin, "/livez")), "ok\n");
    EXPECT_EQ(BodyOf(Get(admin, "/readyz")), "ready\n");

    if (!std::filesystem::exists("/usr/bin/promtool")) {
        GTEST_SKIP() << "promtool is not installed (Debian's prometheus): the exposition is not linted";
    }
    const std::string file = server.Dir() + "/metrics.txt";
    std::ofstream(file) << metrics;
    const std::string command = "promtool check metrics < " + file + " > " + file + ".lint 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << sim::test::ReadText(file + ".lint");
}

TEST(AdminTest, AStandbyIsAliveButNotReadyUntilItServes) {
    if (!OnPostgres()) {
        GTEST_SKIP() << "a realm fails over on PostgreSQL";
    }
    ServerProcess serving;
    ASSERT_TRUE(serving.Start({"--admin", "0"})) << serving.Log();
    ServerProcess standby{serving.DbPath()};
    standby.Launch({"--admin", "0"});
    ASSERT_TRUE(standby.LogSays("standing by: the realm is served by pid ")) << standby.Log();
    const unsigned short admin = AdminPort(standby);
    ASSERT_NE(admin, 0) << standby.Log();
    EXPECT_EQ(StatusOf(Get(admin, "/livez")), 200);
    const std::string standing = Get(admin, "/readyz");
    EXPECT_EQ(StatusOf(standing), 503);
    EXPECT_EQ(BodyOf(standing).rfind("standing by: the realm is served by pid ", 0), 0u) << standing;
    EXPECT_EQ(StatusOf(Get(AdminPort(serving), "/readyz")), 200);

    serving.Kill();
    ASSERT_TRUE(standby.Listening(10s)) << standby.Log();
    int status = 0;
    for (const auto deadline = std::chrono::steady_clock::now() + 3s;
         status != 200 && std::chrono::steady_clock::now() < deadline; std::this_thread::sleep_for(50ms)) {
        status = StatusOf(Get(admin, "/readyz"));
    }
    EXPECT_EQ(status, 200) << "the standby serves once it took the lease";
}

}  // namespace
}  // namespace server::test
