// chamber-sim's host against servers that speak the protocol and then misbehave, grouped by what a
// server could otherwise do: crash the host, exhaust its memory, hang it, have it show or tell the
// player false things, or make its sums wrap. The host runs in this process, headless, with short
// network times; the transcript tells what it did.
#include <gtest/gtest.h>

#include <climits>

#include "HostileServer.h"
#include "NetworkLink.h"
#include "ScenarioRunner.h"
#include "SimProcess.h"
#include "gui/GuiRuntime.h"
#include "param/ChamberMessages.h"

namespace sim::test {
namespace {

using namespace std::chrono_literals;
using namespace ChamberMsg;

std::string Play(const HostileServer& server, const std::string& scenario) {
    setenv("TZ", "UTC", 1);
    GUI::Runtime::StartHeadless();  // once, for every test of this program
    const std::string dir = MakeTempDir();
    Transcript transcript(dir + "/transcript.txt", nullptr);
    NetworkLink link({{"127.0.0.1", server.Port()}}, "甲", "t", transcript,
                     {.login = 2s, .heartbeat = 200ms, .silence = 1s, .firstBackoff = 50ms});
    Session session(link, transcript);
    ScenarioRunner(session, transcript, dir, {})
        .Run(std::get<std::vector<Command>>(ParseScenario(scenario)), "甲");
    return ReadText(dir + "/transcript.txt");  // the runner's last step flushed it
}

// A job table of one post: vacant when `holderId` is 0.
CKParam Post(int jobId, int holderId, const char16_t* settings = u"", const char16_t* kingdom = u"") {
    CKParam packet;
    packet.SetInt(Field::kCount, 1);
    packet.SetInt(EntryField(0, 0), jobId);
    packet.SetInt(EntryField(0, 4), holderId);
    packet.SetCString(EntryField(0, 7), settings);
    packet.SetCString(EntryField(0, 9), kingdom);
    return packet;
}

// A list of one candidacy for post 1.
CKParam Candidacy(int applyId, int start = 1, int end = 2) {
    CKParam packet;
    const std::pair<int, int> fields[] = {{0, applyId}, {1, 1}, {2, 1}, {5, start}, {6, end}};
    for (const auto& [k, value] : fields)
        packet.SetInt(EntryField(0, k), value);
    packet.SetInt(Field::kCount, 1);
    return packet;
}

// Accepts the login as `identity`, sends `table`, runs `then`, and answers heartbeats.
HostileServer::Script Tables(CKParam table, std::function<void(Peer&)> then = {},
                             std::string identity = "UserId=1;level=0;family=1") {
    return [=](Peer& peer, int) {
        if (peer.AcceptLogin(identity) && peer.Send(kJobTable, table) && then) then(peer);
        peer.Serve();
    };
}

// Accepts the login, sends a table of post 1, then `count` messages of `make`.
HostileServer::Script Stream(int id, int count, std::function<CKParam(int)> make) {
    return Tables(Post(1, 0), [=](Peer& peer) {
        for (int i = 1; i <= count && peer.Send(id, make(i)); ++i) {
        }
    });
}

// A script, the scenario the host plays against it, and what the transcript says: each text, or
// with a leading '-', never that text.
struct Case {
    const char* name;
    HostileServer::Script script;
    std::string scenario;
    std::vector<std::string> says;
};

void Check(std::initializer_list<Case> cases) {
    for (const Case& c : cases) {
        const std::string transcript = Play(HostileServer(c.script), c.scenario);
        for (const std::string& text : c.says) {
            const bool never = text.starts_with('-');
            EXPECT_EQ(transcript.find(never ? text.substr(1) : text) == std::string::npos, never)
                << c.name << ": " << text << "\n"
                << transcript;
        }
    }
}

const std::string kOpen = "login 甲\nopen\nawait 10000020 3s\n";
const std::string kApply = kOpen + "click m_GuiCommon.ArryIBNations[0]\nclick m_GuiJobDetail.SIRequest\n";
const std::string kWait = "login 甲\nopen\nwait 2s\n";

// clang-format off
// The analyzer does not see the elements of an initializer list destroyed.
// NOLINTBEGIN(clang-analyzer-cplusplus.NewDeleteLeaks)
TEST(HostileServerTest, Crash) {
    Check({{"a kingdom name cut inside a surrogate pair", Tables(Post(1, 7, u"", u"一二三四五六\U0001F483")), kOpen,
            {"【YEL】一二三四五六\xEF\xBF\xBD"}}});
}

TEST(HostileServerTest, Memory) {
    std::atomic<int> sent = 0;  // frames of 1 MiB the host took
    CKParam huge = Post(1, 7);
    for (short k = 0; k < 8; ++k) huge.SetCString(30000 + k, std::u16string(60'000, u'x'));
    Check({
        {"1 MiB frames", Stream(kJobTable, 64, [&](int) { ++sent; return huge; }), kWait, {}},
        {"small frames", Stream(kJobTable, 20'000, [](int) { return Post(1, 7); }), kWait,
         {"message box 0: 服务器发来的数据过多，连接已断开"}},
        {"ever new posts", Stream(kJobTable, 50, [](int i) { return Post(15 + i, 7); }), kWait, {"-jobId=16 "}},
        {"ever new applications", Stream(kApplicationEntry, 700, [](int i) { return Candidacy(i); }), kWait,
         {"post 1 with 656 applications", "-applyId=656 "}},
    });
    EXPECT_LT(sent, 40) << "the host reads no faster than it handles what it reads";
}

TEST(HostileServerTest, Liveness) {
    Check({
        {"silence with a request in flight", Tables(Post(1, 0), [](Peer& peer) { while (peer.Next()) {} }),
         kApply + "answer yes\nwait 3s\n", {"message box 0: 与服务器的连接已断开，申请的结果未知", "silent for"}},
        {"a scenario without a login: the host's player logs in", Tables(Post(1, 7)), "wait 1s\n",
         {"> login 甲", "SetRecParam(0, 10000020"}},
        {"every login dropped", [](Peer& peer, int) { peer.AcceptLogin(); }, "wait 2s\n",
         {"again in 50 ms", "again in 100 ms", "again in 200 ms", "again in 400 ms"}},
    });
}

TEST(HostileServerTest, FalseDisplay) {
    const auto later = [](int id, CKParam packet) {  // sent once the screen is open
        return Tables(Post(1, 0), [=](Peer& peer) { std::this_thread::sleep_for(300ms); peer.Send(id, packet); });
    };
    CKParam voted;
    voted.SetInt(Field::kResult, 1); voted.SetInt(Field::kVotesUsed, INT_MAX);
    const HostileServer::Script early = [](Peer& peer, int) {
        if (peer.Next() && peer.Send(kJobTable, Post(1, 7))) peer.Send(wire::kLoginResult, wire::MakeLoginRefused("no"));
    };
    Check({
        {"a vote nobody cast", later(kVoteResult, voted), kWait, {"-投票成功！", "-OnUsedCard"}},
        {"a job table before a refused login", early, "login 甲\nopen\n", {"-SetRecParam"}},
        {"another player's login result", later(wire::kLoginResult, wire::MakeLoginAccepted("UserId=2", {})), kWait,
         {"-UserId=2"}},
    });
}

TEST(HostileServerTest, Arithmetic) {
    CKParam lateTable = Post(1, 0);
    lateTable.SetInt(Field::kClock, INT_MAX - 1);
    const auto lateClock = [lateTable](Peer& peer) {
        peer.Send(kJobTableWithClock, lateTable);
        peer.Send(kApplicationList, Candidacy(3, INT_MAX - 100, INT_MAX));
    };
    Check({
        {"a price beyond every coin code", Tables(Post(1, 0, u"Price=2147480000")), kApply,
         {"message box 0: 申请当前职位需要 2147480000 M币，请冲值后再申请！", "-message box 500"}},
        {"three times a huge price", Tables(Post(1, 7, u"Price=1431655766"), {}, "UserId=1;level=1;family=1"),
         kOpen + "click m_GuiCommon.ArryIBNations[0]\nclick m_GuiJobDetailHas.SIExitJob\n",
         {"message box 0: 弹劾当前职位需要 4294967298 M币，冲值后再弹劾！", "-message box 501"}},
        {"the end of 32-bit time", Tables(Post(1, 0), lateClock), "login 甲\nopen\nawait 10000014\nwait 3s\nclose\nopen\n",
         {"server clock \"2038-01-19 03:14:07\"", "ArryIBNationsInco[0] [JobIncoNULL]", "-JobIncoChoose"}},
    });
}
// NOLINTEND(clang-analyzer-cplusplus.NewDeleteLeaks)
// clang-format on

}  // namespace
}  // namespace sim::test
