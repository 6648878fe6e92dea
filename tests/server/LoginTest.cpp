// Logins against guessers at one address and at one name, a client that pipelines them, commits in
// flight, a second login and a token replaced by another process; a storm of account lookups.
#include <gtest/gtest.h>

#include <boost/asio/executor_work_guard.hpp>
#include <boost/asio/io_context.hpp>
#include <ctime>
#include <map>
#include <memory>

#include "AccountLookups.h"
#include "ServerFixture.h"
#include "param/ChamberMessages.h"

namespace server::test {
namespace {

using namespace ChamberMsg;

constexpr const char* kWrong = "玩家名或令牌不对";
constexpr const char* kTooMany = "登录尝试太多，请稍后再试";

std::vector<char> LoginFrame(const std::string& name, const std::string& token) {
    return Frames(wire::kLogin, wire::MakeLogin({name, token}));
}

class LoginTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.Start({"--failed-login-delay", "0", "--rate", "0"})) << server.Log();
        for (const char* name : {"甲", "乙", "丙", "丁"}) {
            tokens[name] = server.AddPlayer(name, {"--ballots", "100000"});
        }
    }

    ServerProcess server;
    std::map<std::string, std::string> tokens;
};

TEST_F(LoginTest, GuessesAreCountedPerAddressAndPerPlayer) {
    struct Step {
        const char* from;
        const char* name;
        std::string token;
        const char* reason;  // "" for a login that succeeds
    };
    const std::string zeros(64, '0');
    std::vector<Step> steps(10, {"127.0.0.3", "乙", zeros, kWrong});  // the address's and 乙's minute
    steps.insert(steps.end(), {
                                  {"127.0.0.3", "丙", zeros, kWrong},           // a player without failures
                                  {"127.0.0.3", "丙", zeros, kTooMany},         // once
                                  {"127.0.0.3", "丁", tokens["丁"], ""},        // a player who has not failed
                                  {"127.0.0.4", "乙", tokens["乙"], kTooMany},  // 乙's minute, anywhere
                                  {"127.0.0.4", "无名", tokens["甲"], kWrong},  // an address of its own
                                  {"127.0.0.4", "凌霄", tokens["甲"], kWrong},  // a player without a token
                                  {"127.0.0.4", "甲", tokens["甲"].substr(1), kWrong},
                              });
    for (const Step& step : steps) {
        RawClient client(server.Port(), step.from);
        const wire::LoginResult result = client.Login(step.name, step.token);
        EXPECT_EQ(result.ok ? "" : result.reason, step.reason) << step.from << " " << step.name;
    }
}

TEST_F(LoginTest, GuessesSentAtOnceAreCountedWhenTheyAreTaken) {
    struct Case {
        const char* what;
        std::vector<const char*> names;  // taken in turn
        bool oneAddress;                 // or each guess from an address of its own
    };
    const Case cases[] = {
        {"one address, players who have failed", {"甲", "乙", "丙"}, true},
        {"one player, many addresses", {"丁"}, false},
    };
    for (const Case& c : cases) {
        std::vector<std::unique_ptr<RawClient>> guessers;
        for (int i = 0; i < 14; ++i) {
            const std::string from = c.oneAddress ? "127.0.0.6" : "127.0.1." + std::to_string(i + 1);
            guessers.push_back(std::make_unique<RawClient>(server.Port(), from.c_str()));
        }
        for (std::size_t i = 0; i < guessers.size(); ++i) {
            guessers[i]->SendBytes(LoginFrame(c.names[i % c.names.size()], std::string(64, '0')));
        }
        std::map<std::string, int> answers;
        for (const auto& guesser : guessers) {
            const std::optional<wire::Frame> answer = guesser->NextWith(wire::kLoginResult);
            ++answers[answer ? wire::ReadLoginResult(PacketOf(*answer)).reason : "no answer"];
        }
        EXPECT_EQ(answers, (std::map<std::string, int>{{kWrong, 10}, {kTooMany, 4}})) << c.what;
    }
}

TEST_F(LoginTest, OneLoginPerConnectionAndItsResultComesFirst) {
    RawClient both(server.Port());
    std::vector<char> pipelined = LoginFrame("甲", tokens["甲"]);
    for (const std::vector<char>& next :
         {LoginFrame("乙", tokens["乙"]), Frames(kVote, MakeVoteRequest(1, 1))}) {
        pipelined.insert(pipelined.end(), next.begin(), next.end());
    }
    both.SendBytes(pipelined);
    EXPECT_TRUE(both.ClosedByServer()) << "a second login before the first was answered";
    RawClient first(server.Port());
    ASSERT_TRUE(first.Login("甲", tokens["甲"]).ok);
    EXPECT_EQ(first.Login("乙", tokens["乙"]).reason, "已经登录");
    RawClient other(server.Port());
    ASSERT_TRUE(other.Login("乙", tokens["乙"]).ok);
    EXPECT_FALSE(first.ClosedByServer(500ms)) << "the connection is 甲's alone";
    EXPECT_EQ(QueryInt(server.DbPath(), "SELECT COUNT(*) FROM ledger"), 0);

    const std::vector<char> votes = Frames(kVote, MakeVoteRequest(1, 1), 50);
    for (int round = 0; round < 20; ++round) {
        other.SendBytes(votes);
        RawClient joining(server.Port());
        joining.SendBytes(LoginFrame("丁", tokens["丁"]));
        const std::optional<wire::Frame> firstFrame = joining.Next();
        ASSERT_TRUE(firstFrame);
        EXPECT_EQ(firstFrame->id, wire::kLoginResult) << "while commits are in flight, round " << round;
        for (int answered = 0; answered < 50; ++answered) {
            ASSERT_TRUE(other.NextWith(kVoteResult));
        }
    }
}

TEST_F(LoginTest, ALoginElsewhereOrANewTokenEndsTheLiveSession) {
    RawClient first(server.Port());
    ASSERT_TRUE(first.Login("甲", tokens["甲"]).ok);
    RawClient second(server.Port());
    ASSERT_TRUE(second.Login("甲", tokens["甲"]).ok);
    EXPECT_TRUE(first.ClosedByServer());
    const std::string fresh = server.NewToken("甲");
    ASSERT_FALSE(fresh.empty());
    EXPECT_TRUE(second.ClosedByServer(5s)) << "a token made by another process";
    RawClient again(server.Port());
    EXPECT_EQ(again.Login("甲", tokens["甲"]).reason, kWrong);
    EXPECT_TRUE(again.Login("甲", fresh).ok);
}

TEST(AccountLookupsTest, LookupsMadeAtOnceEachGetTheirOwnVerdict) {
    const ServerProcess fresh;  // for its database only
    const std::unique_ptr<store::Store> store = store::OpenStore(fresh.DbPath(), std::time(nullptr));
    constexpr int kPlayers = 50;
    std::vector<std::string> tokens;
    for (int i = 0; i < kPlayers; ++i) {
        tokens.push_back(store::NewToken());
        store->AddPlayer("p" + std::to_string(i), 1, 0, 0, store::HashToken(tokens.back()));
    }
    boost::asio::io_context io;
    auto working = boost::asio::make_work_guard(io);
    StoreWorker worker(*store);
    AccountLookups lookups(io.get_executor(), worker);
    // More than two batches: every name many times, with its token, another's, or unknown.
    const int count = 2 * static_cast<int>(store::Store::kMaxNamesPerLookup) + 100;
    std::map<std::string, int> verdicts;
    int answered = 0;
    for (int i = 0; i < count; ++i) {
        const int player = i % kPlayers;
        const char* expected = i % 3 == 0 ? "match" : i % 3 == 1 ? "wrong token" : "no such player";
        const std::string name =
            i % 3 == 2 ? "p" + std::to_string(kPlayers + player) : "p" + std::to_string(player);
        lookups.Find(name, tokens[(player + i % 3) % kPlayers],
                     [&, name, expected](const AccountLookups::Found& found) {
                         const bool right = !found.account ? std::string_view(expected) == "no such player"
                                                           : found.account->player.name == name &&
                                                                 found.tokenMatches ==
                                                                     (std::string_view(expected) == "match");
                         ++verdicts[right ? expected : "wrong verdict"];
                         if (++answered == count) {
                             working.reset();
                         }
                     });
    }
    io.run();
    EXPECT_EQ(verdicts, (std::map<std::string, int>{{"match", (count + 2) / 3},
                                                    {"wrong token", (count + 1) / 3},
                                                    {"no such player", count / 3}}));
}

}  // namespace
}  // namespace server::test
