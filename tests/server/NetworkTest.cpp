// chamber-server end to end over loopback, with a raw client that writes its own frames: logins,
// what the screen never would send, and answered requests surviving a stop and a kill.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <regex>
#include <thread>

#include "PgCluster.h"
#include "ServerClock.h"
#include "ServerFixture.h"
#include "param/ChamberMessages.h"
#include "param/ChamberRecords.h"

namespace server::test {
namespace {

using namespace ChamberMsg;

// The starting world: election 1 (post 3) is under way; post 6's election is announced.
constexpr int kElectionUnderWay = 1;

constexpr const char* kLedgerSize = "SELECT COUNT(*) FROM ledger";
constexpr const char* kAgree = "SELECT agree FROM applications WHERE apply_id = 1";
constexpr const char* kOppose = "SELECT oppose FROM applications WHERE apply_id = 1";

struct Answer {
    int result = -1;
    std::string reason;
};

Answer Ask(RawClient& client, int id, const CKParam& request) {
    client.Send(id, request);
    const std::optional<wire::Frame> frame = client.NextWith(id + 1);
    if (!frame) {
        return {};
    }
    const Result result = ReadResult(PacketOf(*frame));
    return {result.result.value_or(-1), result.reason.value_or(CString()).ToUtf8()};
}

class NetworkTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.Start()) << server.Log(); }

    ServerProcess server;
};

TEST_F(NetworkTest, OnlyTheRightTokenLogsAPlayerIn) {
    const std::string token = server.AddPlayer("甲", {"--kingdom", "3", "--coins", "700", "--ballots", "4"});
    ASSERT_EQ(token.size(), 64u);
    EXPECT_TRUE(server.AddPlayer("甲").empty()) << "a name is taken once";
    RawClient client(server.Port());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(client.Login("甲", std::string(64, '0')).reason, "玩家名或令牌不对");
    EXPECT_GE(std::chrono::steady_clock::now() - start, 1s) << "a refusal is answered a second late";
    const wire::LoginResult result = client.Login("甲", token);
    ASSERT_TRUE(result.ok) << result.reason;
    EXPECT_EQ(result.identity, "UserId=3005;level=0;family=3");
    EXPECT_EQ(result.wallet, (wire::Wallet{700, 4}));
    EXPECT_EQ(server.Log().find(token), std::string::npos) << "no token in the log";
}

// The ids of the frames a client is sent, up to the first with `last`.
std::vector<int> IdsUntil(RawClient& client, int last) {
    std::vector<int> ids;
    while (const std::optional<wire::Frame> frame = client.Next()) {
        ids.push_back(frame->id);
        if (frame->id == last) {
            break;
        }
    }
    return ids;
}

TEST_F(NetworkTest, TheTablesGoOnlyToOpenChambersAndAnOpeningShowsTheCommittedOnes) {
    const std::int64_t agree = QueryInt(server.DbPath(), kAgree);
    RawClient watcher(server.Port()), closer(server.Port()), opener(server.Port());
    ASSERT_TRUE(watcher.Login("甲", server.AddPlayer("甲")).ok);
    ASSERT_TRUE(closer.Login("丙", server.AddPlayer("丙")).ok);
    ASSERT_TRUE(opener.Login("乙", server.AddPlayer("乙")).ok);
    watcher.Open();
    closer.Open();
    ASSERT_TRUE(watcher.NextWith(kApplicationList));
    ASSERT_TRUE(closer.NextWith(kApplicationList));
    closer.Open(false);
    CKParam notAnInterest;
    notAnInterest.SetInt(wire::field::kOpen, 2);
    closer.Send(wire::kInterest, notAnInterest);

    EXPECT_EQ(Ask(closer, kVote, MakeVoteRequest(kElectionUnderWay, 1)).result, 1);
    EXPECT_EQ(Ask(watcher, kVote, MakeVoteRequest(kElectionUnderWay, 1)).result, 1);
    ASSERT_TRUE(watcher.NextWith(kApplicationEntry)) << "the votes reached the open Chamber";
    closer.Send(wire::kHeartbeat, wire::MakeHeartbeat());
    EXPECT_EQ(IdsUntil(closer, wire::kHeartbeat), (std::vector<int>{wire::kWallet, wire::kHeartbeat}))
        << "its wallet, and no tables once closed";
    EXPECT_TRUE(server.LogSays("refused message 5 of player")) << "an interest of 2";

    opener.Open();
    const std::optional<wire::Frame> table = opener.Next();
    const std::optional<wire::Frame> list = opener.Next();
    ASSERT_TRUE(table && list);
    EXPECT_EQ(std::vector<int>({table->id, list->id}),
              (std::vector<int>{kJobTableWithClock, kApplicationList}))
        << "nothing before its opening";
    EXPECT_EQ(ReadApplication(PacketOf(*list), 0)->agreeVotes, agree + 2) << "the votes committed before";
    opener.Open();
    opener.Send(wire::kHeartbeat, wire::MakeHeartbeat());
    EXPECT_EQ(IdsUntil(opener, wire::kHeartbeat), std::vector<int>{wire::kHeartbeat})
        << "open once, sent once";
}

// Requests written at once, some waiting for a commit and some not, are answered in the order
// asked, whichever threads read and write the sockets.
TEST_F(NetworkTest, AClientsAnswersComeInTheOrderOfItsRequests) {
    RawClient client(server.Port());
    ASSERT_TRUE(client.Login("甲", server.AddPlayer("甲", {"--ballots", "1"})).ok);
    constexpr int kRefused = 20;
    std::vector<char> bytes = Frames(kVote, MakeVoteRequest(kElectionUnderWay, 1));
    std::vector<int> expected = {kVoteResult, wire::kWallet};
    for (int i = 0; i < kRefused; ++i) {
        for (const auto& [id, packet] : {std::pair{kVote, MakeVoteRequest(kElectionUnderWay, 1)},
                                         std::pair{wire::kHeartbeat, wire::MakeHeartbeat()}}) {
            const std::vector<char> frame = Frames(id, packet);
            bytes.insert(bytes.end(), frame.begin(), frame.end());
            expected.push_back(id + (id == kVote ? 1 : 0));
        }
    }
    client.SendBytes(bytes);
    std::vector<int> ids;
    std::vector<int> results;
    while (ids.size() < expected.size()) {
        const std::optional<wire::Frame> frame = client.Next();
        ASSERT_TRUE(frame) << ids.size() << " frames came";
        ids.push_back(frame->id);
        if (frame->id == kVoteResult) {
            results.push_back(ReadResult(PacketOf(*frame)).result.value_or(-1));
        }
    }
    EXPECT_EQ(ids, expected);
    EXPECT_EQ(std::count(results.begin(), results.end(), 1), 1) << "one ballot, one vote";
    EXPECT_EQ(results.front(), 1);
}

TEST_F(NetworkTest, WhatTheScreenNeverSendsIsRefusedAndChangesNothing) {
    const std::string token = server.AddPlayer("甲", {"--ballots", "2"});
    const std::string world = DumpWorld(server.DbPath());
    RawClient client(server.Port());
    EXPECT_EQ(Ask(client, kVote, MakeVoteRequest(kElectionUnderWay, 1)).reason, "请先登录");
    ASSERT_TRUE(client.Login("甲", token).ok);
    struct Case {
        int id;
        CKParam request;
        const char* reason;
    };
    // One refusal of each request (the rules' own tests have every reason).
    const Case cases[] = {
        {kImpeach, MakeImpeachRequest(2), "只有国王才能发起弹劾"},
        {kVote, MakeVoteRequest(kElectionUnderWay, -3), "选票不足"},
        {kMute, MakeMuteRequest(u"凌霄", 600), "您没有职位，不能禁言"},
        {kApply, MakeApplyRequest(1), "该职位已有人担任"},
    };
    for (const Case& c : cases) {
        const Answer answer = Ask(client, c.id, c.request);
        EXPECT_EQ(answer.result, 0) << c.reason;
        EXPECT_EQ(answer.reason, c.reason);
    }
    EXPECT_EQ(DumpWorld(server.DbPath()), world);
    EXPECT_EQ(QueryInt(server.DbPath(), kLedgerSize), 0);
}

TEST_F(NetworkTest, AVoteOnAFinishedElectionIsRefused) {
    ASSERT_TRUE(server.Stop());
    // A day of the server's clock passes in a second: the election closes at once.
    ASSERT_TRUE(server.Start({"--speed", "86400"})) << server.Log();
    const std::string token = server.AddPlayer("甲");
    RawClient client(server.Port());
    ASSERT_TRUE(client.Login("甲", token).ok);
    client.Open();
    // Both elections of the starting world close within a few seconds; each closing is pushed.
    constexpr const char* kRunning = "SELECT COUNT(*) FROM applications";
    for (int table = 0; table < 20 && QueryInt(server.DbPath(), kRunning) != 0; ++table) {
        client.NextWith(kJobTableWithClock, 1s);
    }
    ASSERT_EQ(QueryInt(server.DbPath(), kRunning), 0);
    const std::string world = DumpWorld(server.DbPath());
    const Answer answer = Ask(client, kVote, MakeVoteRequest(kElectionUnderWay, 1));
    EXPECT_EQ(answer.result, 0);
    EXPECT_EQ(answer.reason, "投票对象不存在");
    EXPECT_EQ(DumpWorld(server.DbPath()), world);
    EXPECT_EQ(QueryInt(server.DbPath(), kLedgerSize), 0);
}

TEST_F(NetworkTest, AnsweredRequestsSurviveAStopAndAKill) {
    const std::string token = server.AddPlayer("甲");
    const std::int64_t agree = QueryInt(server.DbPath(), kAgree);
    const std::int64_t oppose = QueryInt(server.DbPath(), kOppose);
    {
        RawClient client(server.Port());
        ASSERT_TRUE(client.Login("甲", token).ok);
        ASSERT_EQ(Ask(client, kApply, MakeApplyRequest(6)).result, 1);
        ASSERT_EQ(Ask(client, kVote, MakeVoteRequest(kElectionUnderWay, 2)).result, 1);
    }
    const std::string world = DumpWorld(server.DbPath());
    ASSERT_TRUE(server.Stop()) << server.Log();
    EXPECT_EQ(DumpWorld(server.DbPath()), world);
    ASSERT_TRUE(server.Start()) << server.Log();
    {
        RawClient client(server.Port());
        const wire::LoginResult login = client.Login("甲", token);
        ASSERT_TRUE(login.ok);
        EXPECT_EQ(login.wallet, (wire::Wallet{1000 - 300, 30 - 2})) << "the wallet as it was";
        EXPECT_EQ(DumpWorld(server.DbPath()), world);
        ASSERT_EQ(Ask(client, kVote, MakeVoteRequest(kElectionUnderWay, -5)).result, 1);
        // Killed the moment the answer arrived: the vote is on the disk all the same.
        server.Kill();
    }
    EXPECT_EQ(QueryInt(server.DbPath(), kLedgerSize), 3);
    EXPECT_EQ(QueryInt(server.DbPath(), kAgree), agree + 2);
    EXPECT_EQ(QueryInt(server.DbPath(), kOppose), oppose + 5);
    ASSERT_TRUE(server.Start()) << server.Log();
    RawClient client(server.Port());
    const wire::LoginResult login = client.Login("甲", token);
    EXPECT_EQ(login.wallet, (wire::Wallet{700, 30 - 7}));
    client.Open();
    const std::optional<wire::Frame> list = client.NextWith(kApplicationList);
    ASSERT_TRUE(list);
    const CKParam packet = PacketOf(*list);
    ASSERT_EQ(ReadEntryCount(packet), 5) << "four of the starting world and 甲's candidacy";
    const std::optional<UniteApplyJob> election = ReadApplication(packet, 0);
    ASSERT_TRUE(election);
    EXPECT_EQ(election->agreeVotes, agree + 2);
    EXPECT_EQ(election->opposeVotes, oppose + 5);
    EXPECT_EQ(ReadApplication(packet, 4)->userName, CString(u"甲"));
}

TEST_F(NetworkTest, AStopAnswersEveryCommittedRequest) {
    const std::string token = server.AddPlayer("甲");
    RawClient client(server.Port());
    ASSERT_TRUE(client.Login("甲", token).ok);
    client.SendBytes(Frames(kVote, MakeVoteRequest(kElectionUnderWay, 1), 30));
    ASSERT_TRUE(client.NextWith(kVoteResult));
    ASSERT_TRUE(server.Stop()) << server.Log();
    int answered = 1;
    while (client.NextWith(kVoteResult, 1s)) {
        ++answered;
    }
    EXPECT_EQ(answered, QueryInt(server.DbPath(), kLedgerSize));
}

TEST_F(NetworkTest, ADatabaseLockedByAnotherProcessIsWaitedFor) {
    const std::string token = server.AddPlayer("甲");
    RawClient client(server.Port());
    ASSERT_TRUE(client.Login("甲", token).ok);
    {
        const WriteLock other(server.DbPath());
        client.Send(kVote, MakeVoteRequest(kElectionUnderWay, 1));
        EXPECT_FALSE(client.NextWith(kVoteResult, 5500ms)) << "no answer while the lock is held";
    }
    const std::optional<wire::Frame> answer = client.NextWith(kVoteResult);
    ASSERT_TRUE(answer) << server.Log();
    EXPECT_TRUE(ReadResult(PacketOf(*answer)).Succeeded());
    EXPECT_EQ(Ask(client, kVote, MakeVoteRequest(kElectionUnderWay, 1)).result, 1);
}

TEST_F(NetworkTest, TheStoreRefusesRequestsBeforeItsDiskIsFull) {
    if (OnPostgres()) {
        GTEST_SKIP() << "a PostgreSQL server's disk is not chamber-server's to see";
    }
    ASSERT_TRUE(server.Stop());
    ASSERT_TRUE(server.Start({"--disk-reserve", "100000000"})) << server.Log();
    const std::string token = server.AddPlayer("甲");
    const std::string world = DumpWorld(server.DbPath());
    RawClient client(server.Port());
    ASSERT_TRUE(client.Login("甲", token).ok);
    EXPECT_EQ(Ask(client, kApply, MakeApplyRequest(6)).reason, "服务器存储空间不足，请稍后再试");
    EXPECT_EQ(DumpWorld(server.DbPath()), world);
}

TEST_F(NetworkTest, TheClockNeverRunsBackAcrossARestartNorPast2038) {
    ASSERT_TRUE(server.Stop());
    const std::vector<std::string> fast = {"--speed", "1000"};
    ASSERT_TRUE(server.Start(fast)) << server.Log();
    const std::string token = server.AddPlayer("甲");
    const auto clockAtLogin = [&] {
        RawClient client(server.Port());
        client.Login("甲", token);
        client.Open();
        const std::optional<wire::Frame> table = client.NextWith(kJobTableWithClock);
        return table ? ReadClock(PacketOf(*table)).value_or(0) : 0;
    };
    const int before = clockAtLogin();
    std::this_thread::sleep_for(1500ms);
    const int later = clockAtLogin();
    EXPECT_GE(later, before + 1000);
    server.Kill();
    ASSERT_TRUE(server.Start(fast)) << server.Log();
    EXPECT_GE(clockAtLogin(), later) << "the clock goes on from the time clients saw";

    server.Kill();
    for (const std::int64_t stored : {ServerClock::kEnd - 100, ServerClock::kEnd}) {
        Exec(server.DbPath(), "UPDATE meta SET value = " + std::to_string(stored) + " WHERE key = 'now'");
        server.Start(fast);
        EXPECT_EQ(server.Exited(5s), 1) << stored;
        EXPECT_NE(server.Log().find("2038-01-17 03:14:07 UTC"), std::string::npos) << server.Log();
    }
}

TEST(StoreVersionTest, ADatabaseOfANewerSchemaIsRefused) {
    ServerProcess server;
    Exec(server.DbPath(), OnPostgres() ? "CREATE TABLE schema_version(version INTEGER); "
                                         "INSERT INTO schema_version VALUES(99)"
                                       : "PRAGMA user_version = 99");
    EXPECT_FALSE(server.Start());
    EXPECT_EQ(server.Exited(10s), 1);
    EXPECT_NE(server.Log().find("schema version 99, newer than this server's 3"), std::string::npos)
        << server.Log();
}

// A realm made on SQLite, copied to PostgreSQL by chamber-server and served from there: the same
// world, the same tokens, the same ledger.
TEST(CopyTest, ARealmCopiedToPostgresIsServedFromThere) {
    std::string why;
    PgCluster* cluster = PgCluster::Shared(&why);
    if (OnPostgres() || cluster == nullptr) {
        GTEST_SKIP() << (OnPostgres() ? "run once, from SQLite" : why);
    }
    ServerProcess server;
    ASSERT_TRUE(server.Start()) << server.Log();
    const std::string token = server.AddPlayer("甲");
    {
        RawClient client(server.Port());
        ASSERT_TRUE(client.Login("甲", token).ok);
        ASSERT_EQ(Ask(client, kVote, MakeVoteRequest(kElectionUnderWay, 3)).result, 1);
    }
    ASSERT_TRUE(server.Stop());
    const std::string world = DumpWorld(server.DbPath());
    const std::int64_t ledger = QueryInt(server.DbPath(), kLedgerSize);
    ASSERT_EQ(ledger, 1);

    const std::string postgres = cluster->NewDatabase();
    sim::test::ChildProcess copy({ODC_SERVER_BINARY, "--db", server.DbPath(), "copy-to", postgres}, {},
                                 server.Dir() + "/copy.log");
    ASSERT_EQ(copy.Wait(30s), 0) << sim::test::ReadText(server.Dir() + "/copy.log");
    ServerProcess copied(postgres);
    ASSERT_TRUE(copied.Start()) << copied.Log();
    EXPECT_EQ(DumpWorld(postgres), world);
    EXPECT_EQ(QueryInt(postgres, kLedgerSize), ledger);
    RawClient client(copied.Port());
    ASSERT_TRUE(client.Login("甲", token).ok) << "the token came along";
    EXPECT_EQ(Ask(client, kVote, MakeVoteRequest(kElectionUnderWay, 2)).result, 1);
    EXPECT_EQ(QueryInt(postgres, kAgree), QueryInt(server.DbPath(), kAgree) + 2);
}

TEST_F(NetworkTest, ChamberLoadMovesOnFromARefusedAddressToTheNextOne) {
    const DeadPort dead;
    const std::string output = server.Dir() + "/load.txt";
    sim::test::ChildProcess load(
        {ODC_LOAD_BINARY, "--db", server.DbPath(), "--connect",
         "127.0.0.1:" + std::to_string(dead.Port()) + ",127.0.0.1:" + std::to_string(server.Port()),
         "--clients", "3", "--seconds", "2"},
        {}, output);
    EXPECT_EQ(load.Wait(30s), 0) << sim::test::ReadText(output);
    std::smatch last;
    const std::string text = sim::test::ReadText(output);
    ASSERT_TRUE(std::regex_search(text, last, std::regex(R"((\d+) answered, (\d+) in the store, 0 lost\n$)")))
        << text;
    EXPECT_GT(std::stoi(last[1]), 0) << "every client voted once it reached the server";
    EXPECT_EQ(last[1], last[2]);
}

// Two servers on one PostgreSQL realm: one serves, the other stands by without listening and takes
// over once the lease of the first lapses.
class FailoverTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!OnPostgres()) {
            GTEST_SKIP() << "a realm fails over on PostgreSQL";
        }
        ASSERT_TRUE(serving.Start()) << serving.Log();
        token = serving.AddPlayer("甲");
        standby.Launch();
        ASSERT_TRUE(standby.LogSays("standing by: the realm is served by pid ")) << standby.Log();
        EXPECT_FALSE(standby.Listening(0ms));
    }

    ServerProcess serving;
    ServerProcess standby{serving.DbPath()};
    std::string token;
};

TEST_F(FailoverTest, AStandbyTakesOverWithinThreeSecondsOfTheServersDeath) {
    {
        RawClient client(serving.Port());
        ASSERT_TRUE(client.Login("甲", token).ok);
        ASSERT_EQ(Ask(client, kVote, MakeVoteRequest(kElectionUnderWay, 3)).result, 1);
    }
    const std::int64_t agree = QueryInt(serving.DbPath(), kAgree);
    const auto death = std::chrono::steady_clock::now();
    serving.Kill();
    ASSERT_TRUE(standby.Listening(10s)) << standby.Log();
    EXPECT_LT(std::chrono::steady_clock::now() - death, 3s);
    EXPECT_TRUE(standby.LogSays("took over the realm from pid ")) << standby.Log();
    RawClient client(standby.Port());
    ASSERT_TRUE(client.Login("甲", token).ok);
    EXPECT_EQ(Ask(client, kVote, MakeVoteRequest(kElectionUnderWay, 2)).result, 1);
    EXPECT_EQ(QueryInt(standby.DbPath(), kAgree), agree + 2) << "the standby went on from the store";
}

TEST_F(FailoverTest, APausedServerThatLostItsLeaseAnswersNothing) {
    RawClient paused(serving.Port());
    ASSERT_TRUE(paused.Login("甲", token).ok);
    serving.Signal(SIGSTOP);
    paused.Send(kVote, MakeVoteRequest(kElectionUnderWay, 1));
    ASSERT_TRUE(standby.Listening(10s)) << standby.Log();
    {
        RawClient client(standby.Port());
        ASSERT_TRUE(client.Login("甲", token).ok);
        ASSERT_EQ(Ask(client, kVote, MakeVoteRequest(kElectionUnderWay, 2)).result, 1);
    }
    const std::int64_t ledger = QueryInt(standby.DbPath(), kLedgerSize);
    serving.Signal(SIGCONT);
    EXPECT_FALSE(paused.NextWith(kVoteResult, 3s)) << "a server without the lease answered a vote";
    EXPECT_EQ(serving.Exited(5s), 1);
    EXPECT_NE(serving.Log().find("has passed to another server"), std::string::npos) << serving.Log();
    EXPECT_EQ(QueryInt(standby.DbPath(), kLedgerSize), ledger);
}

}  // namespace
}  // namespace server::test
