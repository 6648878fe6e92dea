// Operators' actions through the hall, as the console calls them, on a server in this process with
// raw clients over loopback: a viewer is refused, every action leaves one audit row with the
// player's state before and after, a wallet adjusted reaches its client, and a ban closes the live
// session, refuses logins with its end and reason, survives a restart and lifts at its end.
#include <gtest/gtest.h>

#include <boost/asio/io_context.hpp>
#include <boost/asio/post.hpp>
#include <cstdlib>
#include <future>
#include <thread>

#include "Hall.h"
#include "IoThreads.h"
#include "Listener.h"
#include "ServerFixture.h"

namespace server::test {
namespace {

const store::Operator kModerator{"mod", store::Role::Moderator, {}};
const store::Operator kViewer{"view", store::Role::Viewer, {}};

Action Act(ActionKind kind, const char* player, std::int64_t amount = 0, std::int64_t seconds = 0,
           const char* reason = "") {
    return {kind, player, amount, seconds, reason};
}

// The sockets' threads of the run (ODC_TEST_IO_THREADS), 0 when it has none.
int IoThreadsOfRun() {
    const char* threads = std::getenv("ODC_TEST_IO_THREADS");
    return threads != nullptr ? std::atoi(threads) : 0;
}

// chamber-server's parts in this process, serving on a free loopback port from a thread of its own
// (and its sockets from ODC_TEST_IO_THREADS threads, when set).
class HallServer {
public:
    HallServer(const std::string& db, int speed)
        : m_sockets(IoThreadsOfRun()),
          m_store(store::OpenStore(db, ServerClock::WallNow())),
          m_engine(rules::EngineOptions{.otherPlayersVote = false}, m_store->Load()),
          m_worker(*m_store),
          m_hall(
              m_io.get_executor(), m_engine, m_worker, ServerClock(m_engine.Now(), speed), Quick(), [] {},
              [] {}, m_registry),
          m_listener(m_io, m_sockets.Sockets(m_io), {boost::asio::ip::make_address("127.0.0.1"), 0}, m_hall,
                     m_limits) {
        m_hall.Start();
        m_sockets.Start();
        m_listener.Start();
        m_thread = std::thread([this] { m_io.run(); });
    }
    ~HallServer() {
        boost::asio::post(m_io, [this] {
            m_listener.Close();
            m_hall.Stop([this] { m_io.stop(); });
        });
        m_thread.join();
        m_sockets.Finish();
    }

    unsigned short Port() const { return m_listener.Endpoint().port(); }

    // Runs `call` on the game thread; it hands its answer to the callback it is given.
    template <typename T, typename Call>
    T Ask(Call call) {
        auto promise = std::make_shared<std::promise<T>>();
        std::future<T> answer = promise->get_future();
        boost::asio::post(
            m_io, [call, promise] { call([promise](T value) { promise->set_value(std::move(value)); }); });
        EXPECT_EQ(answer.wait_for(10s), std::future_status::ready);
        return answer.get();
    }
    template <typename Call>
    auto OnGameThread(Call call) {
        return Ask<decltype(call())>([call](auto done) { done(call()); });
    }
    ModerationResult Moderate(const Action& action, const store::Operator& op) {
        return Ask<ModerationResult>([this, action, op](auto done) { m_hall.Moderate(action, op, done); });
    }
    std::vector<store::AuditRow> Audit() {
        return Ask<std::vector<store::AuditRow>>([this](auto done) { m_hall.ReadAudit({}, done); });
    }
    Hall& HallItself() { return m_hall; }

private:
    const Limits& Quick() {
        m_limits.failedLoginDelay = std::chrono::milliseconds(0);
        return m_limits;
    }

    IoThreads m_sockets;
    boost::asio::io_context m_io;
    Limits m_limits;
    std::unique_ptr<store::Store> m_store;
    rules::Engine m_engine;
    StoreWorker m_worker;
    metrics::Registry m_registry;
    Hall m_hall;
    Listener m_listener;
    std::thread m_thread;
};

class ModerationTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"甲", "乙", "丙"}) {
            tokens[name] = process.AddPlayer(name);
        }
    }

    ServerProcess process;  // the database, and its players through the command line
    std::map<std::string, std::string> tokens;
};

TEST_F(ModerationTest, EveryActionOfAModeratorLeavesOneAuditRowAndAViewerNone) {
    {
        // 乙 is muted until far ahead.
        const auto store = store::OpenStore(process.DbPath(), ServerClock::WallNow());
        store::Batch batch;
        batch.now = ServerClock::WallNow();
        batch.mutedUntil.emplace(store->FindAccount("乙")->player.id, 2'000'000'000);
        store->Commit(batch);
    }
    HallServer server(process.DbPath(), 1);
    RawClient jia(server.Port());
    ASSERT_TRUE(jia.Login("甲", tokens["甲"]).ok);
    using enum ActionKind;
    const struct {
        store::Operator op;
        Action action;
        const char* error;  // "" when done
        const char* before;
        const char* after;
    } steps[] = {
        {kViewer, Act(Kick, "甲"), "only a moderator may act on players", "", ""},
        {kModerator, Act(AdjustCoins, "甲", 250, 0, "补偿"), "", "coins=1000", "coins=1250"},
        {kModerator, Act(AdjustBallots, "甲", -31, 0, "误发"),
         "the wallet would hold ballots=-1, outside 0 to 1000000000", "", ""},
        {kModerator, Act(AdjustCoins, "甲", 5), "adjust-coins needs a reason", "", ""},
        {kModerator, Act(Ban, "乙", 0, 0, "x"), "a ban lasts 1 to 315360000 seconds", "", ""},
        {kModerator, Act(LiftMute, "乙"), "", "muted_until=2000000000", "muted_until=none"},
        {kModerator, Act(LiftMute, "乙"), "the player is not muted", "", ""},
        {kModerator, Act(LiftBan, "乙"), "the player is not banned", "", ""},
        {kModerator, Act(Kick, "丙"), "the player is not online", "", ""},
        {kModerator, Act(Kick, "无名"), "no such player", "", ""},
        {kModerator, Act(RevokeToken, "丙"), "", "online=0", "token=revoked online=0"},
        {kModerator, Act(Kick, "甲", 0, 0, "辱骂"), "", "online=1", "online=0"},
    };
    std::vector<store::AuditEntry> done;
    for (const auto& step : steps) {
        const ModerationResult result = server.Moderate(step.action, step.op);
        const std::string what = ActionName(step.action.kind) + std::string(" of ") + step.action.player;
        EXPECT_EQ(result.error, step.error) << what;
        EXPECT_EQ(result.done, std::string(step.error).empty()) << what;
        if (result.done) {
            EXPECT_EQ(result.audit.before + " -> " + result.audit.after,
                      step.before + std::string(" -> ") + step.after);
            done.push_back(result.audit);
        }
    }
    // The adjustment reached 甲's wallet before the kick closed its session.
    const std::optional<wire::Frame> wallet = jia.NextWith(wire::kWallet);
    ASSERT_TRUE(wallet);
    EXPECT_EQ(wire::ReadWallet(PacketOf(*wallet))->coins, 1250);
    EXPECT_TRUE(jia.ClosedByServer());
    EXPECT_FALSE(RawClient(server.Port()).Login("丙", tokens["丙"]).ok);

    const std::vector<store::AuditRow> audit = server.Audit();
    ASSERT_EQ(audit.size(), done.size());
    for (std::size_t i = 0; i < done.size(); ++i) {
        EXPECT_EQ(audit[i].entry.operatorName, "mod");
        EXPECT_EQ(audit[i].entry.action, done[i].action);
        EXPECT_EQ(audit[i].entry.before + audit[i].entry.after + audit[i].entry.reason,
                  done[i].before + done[i].after + done[i].reason);
    }
    // The audit is kept as written.
    EXPECT_THROW(Exec(process.DbPath(), "DELETE FROM audit"), std::exception);
}

TEST_F(ModerationTest, ABanClosesTheSessionAndRefusesLoginsUntilItsEnd) {
    std::string refusal;
    {
        HallServer server(process.DbPath(), 100);
        RawClient jia(server.Port());
        ASSERT_TRUE(jia.Login("甲", tokens["甲"]).ok);
        const ModerationResult ban = server.Moderate(Act(ActionKind::Ban, "甲", 0, 300, "刷屏"), kModerator);
        ASSERT_TRUE(ban.done) << ban.error;
        EXPECT_TRUE(jia.ClosedByServer());
        const std::int64_t until = std::stoll(ban.audit.after.substr(ban.audit.after.find('=') + 1));
        refusal = "账号已被封禁至 " + UtcText(until) + "：刷屏";
        EXPECT_EQ(RawClient(server.Port()).Login("甲", tokens["甲"]).reason, refusal);
        const int id = ban.audit.playerId;
        const std::vector<Refusal> seen =
            server.OnGameThread([&] { return server.HallItself().RefusalsOf(id); });
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].reason, refusal);
    }
    // The ban is in the store: a restarted server refuses too, until the ban's end (3 s at speed 100).
    HallServer server(process.DbPath(), 100);
    EXPECT_EQ(RawClient(server.Port()).Login("甲", tokens["甲"]).reason, refusal);
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    bool in = false;
    while (!in && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(200ms);
        in = RawClient(server.Port()).Login("甲", tokens["甲"]).ok;
    }
    EXPECT_TRUE(in);
    const ModerationResult lifted = server.Moderate(Act(ActionKind::LiftBan, "甲"), kModerator);
    EXPECT_EQ(lifted.audit.after, "ban=none") << lifted.error;
    EXPECT_EQ(server.Audit().size(), 2u);
}

}  // namespace
}  // namespace server::test
