// chamber-sim's host against servers that speak the protocol and then misbehave, grouped by what
// a server could otherwise do to the player: crash the host, exhaust its memory, hang it, make it
// show or tell false things, or make its sums wrap. The host runs in this process, headless, with
// short network times.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "HostileServer.h"
#include "NetMessages.h"
#include "NetworkLink.h"
#include "ScenarioRunner.h"
#include "SimProcess.h"
#include "gui/GuiRuntime.h"
#include "param/ChamberMessages.h"
#include "param/ChamberRecords.h"

namespace sim::test {
namespace {

using namespace std::chrono_literals;
using namespace ChamberMsg;

class HeadlessGui : public ::testing::Environment {
    void SetUp() override {
        setenv("TZ", "UTC", 1);
        GUI::Runtime::StartHeadless();
    }
    void TearDown() override { GUI::Runtime::Shutdown(); }
};
const auto* const kGui = ::testing::AddGlobalTestEnvironment(new HeadlessGui);

constexpr LinkTimes kQuick{.login = 2s,
                           .heartbeat = 200ms,
                           .silence = 1s,
                           .firstBackoff = 50ms,
                           .longestBackoff = 2s,
                           .stable = 10s};

// Plays `scenario` as 甲 against the server; returns the transcript.
std::string Play(const HostileServer& server, const std::string& scenario) {
    const std::string dir = MakeTempDir();
    {
        Transcript transcript(dir + "/transcript.txt", nullptr);
        NetworkLink link("127.0.0.1", server.Port(), "甲", "t", transcript, kQuick);
        Session session(link, transcript);
        ScenarioRunner(session, transcript, dir, {})
            .Run(std::get<std::vector<Command>>(ParseScenario(scenario)));
    }
    return ReadText(dir + "/transcript.txt");
}

// A job table (with the clock when it is given) of one post.
CKParam Post(int jobId, int holderId, const std::u16string& kingdom, const std::u16string& settings,
             int id = kJobTable, std::optional<int> clock = {}) {
    ChamberJob job;
    job.jobId = jobId;
    job.jobName = u"国王";
    job.holderId = holderId;
    job.holderName = u"乙";
    job.kingdomName = kingdom;
    job.extraData = settings;
    CKParam packet;
    packet.SetInt(Field::kCount, 1);
    WriteJob(packet, 0, job);
    if (id == kJobTableWithClock) {
        packet.SetInt(Field::kClock, clock.value_or(1));
    }
    return packet;
}

CKParam Candidacy(int applyId, int jobId, int start, int end) {
    UniteApplyJob application;
    application.applyId = applyId;
    application.jobId = jobId;
    application.applyType = UniteApplyJob::kCandidacy;
    application.startTime = start;
    application.endTime = end;
    CKParam packet;
    packet.SetInt(Field::kCount, 1);
    WriteApplication(packet, 0, application);
    return packet;
}

CKParam Result(int ok, std::optional<std::u16string> reason = {}) {
    CKParam packet;
    packet.SetInt(Field::kResult, ok);
    if (reason) {
        packet.SetCString(Field::kReason, CString(*reason));
    }
    return packet;
}

struct Case {
    const char* name;
    HostileServer::Script script;
    std::string scenario;
    std::vector<std::string> said;     // the transcript holds each of these
    std::vector<std::string> notSaid;  // and none of these
};

void Check(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        const HostileServer server(c.script);
        const std::string transcript = Play(server, c.scenario);
        for (const std::string& text : c.said) {
            EXPECT_NE(transcript.find(text), std::string::npos) << c.name << ": " << text << "\n"
                                                                << transcript;
        }
        for (const std::string& text : c.notSaid) {
            EXPECT_EQ(transcript.find(text), std::string::npos) << c.name << ": " << text << "\n"
                                                                << transcript;
        }
    }
}

// Accepts the login, sends the tables, then what `then` sends, and answers heartbeats.
HostileServer::Script Tables(CKParam table, std::function<void(Peer&)> then = {}) {
    return [table, then](Peer& peer, int) {
        if (peer.AcceptLogin() && peer.Send(kJobTable, table) && then) {
            then(peer);
        }
        peer.Serve();
    };
}

const std::string kOpened = "login 甲\nopen\nawait 10000020 3s\n";
const std::string kApplying =
    kOpened + "click m_GuiCommon.ArryIBNations[0]\nclick m_GuiJobDetail.SIRequest\n";

TEST(HostileServerTest, Crash) {
    Check({
        {"a kingdom name cut inside a surrogate pair",
         Tables(Post(1, 7, u"一二三四五六\U0001F483", u"")),
         kOpened,
         {"【YEL】一二三四五六\xEF\xBF\xBD"},
         {}},
        {"a lone surrogate in a failure's reason",
         Tables(Post(1, 0, u"", u"Price=5"),
                [](Peer& peer) {
                    peer.Serve([&peer](const wire::Frame& frame) {
                        if (frame.id == kApply) {
                            peer.Send(kApplyResult, Result(0, std::u16string(1, u'\xD800')));
                        }
                    });
                }),
         kApplying + "answer yes\nwait 1s\n",
         {"message box 0: 申请失败，\xEF\xBF\xBD"},
         {}},
    });
}

TEST(HostileServerTest, Memory) {
    std::atomic<int> sent[2] = {0, 0};  // frames of 1 MiB the host took before it ended the connection
    const auto flood = [&sent](bool login) {
        return [&sent, login](Peer& peer, int connection) {
            CKParam table = Post(1, 7, u"", u"");
            for (short k = 0; k < 8; ++k) {
                table.SetCString(static_cast<short>(30000 + k), CString(std::u16string(60'000, u'x')));
            }
            if (connection == 0 && (!login || peer.AcceptLogin())) {
                while (sent[login] < 64 && peer.Send(kJobTable, table)) {
                    ++sent[login];
                }
            } else if (connection > 0 && peer.AcceptLogin()) {
                peer.Serve();
            }
        };
    };
    const auto news = [](int id, int count, const std::function<CKParam(int)>& make) {
        return Tables(Post(1, 0, u"", u""), [=](Peer& peer) {
            for (int i = 1; i <= count && peer.Send(id, make(i)); ++i) {
            }
        });
    };
    Check({
        {"1 MiB frames before the login's answer", flood(false), "login 甲\nopen\n", {}, {"SetRecParam"}},
        {"1 MiB frames after it", flood(true), "login 甲\nopen\nwait 2s\n", {}, {}},
        {"a stream of small messages",
         news(kJobTable, 20'000, [](int) { return Post(1, 7, u"", u""); }),
         "login 甲\nopen\nwait 2s\n",
         {"message box 0: 服务器发来的数据过多，连接已断开"},
         {}},
        {"ever new posts",
         news(kJobTable, 50, [](int i) { return Post(15 + i, 7, u"", u""); }),
         "login 甲\nopen\nwait 1s\n",
         {},
         {"jobId=16 "}},
        {"ever new applications for one post",
         news(kApplicationEntry, 700, [](int i) { return Candidacy(i, 1, 1, 2); }),
         "login 甲\nopen\nwait 2s\n",
         {"applyId=655 "},
         {"applyId=656 "}},
    });
    EXPECT_LT(sent[0], 32) << "the host ends the connection at once";
    EXPECT_LT(sent[1], 40) << "the host reads no more than it handles";
}

TEST(HostileServerTest, Liveness) {
    const HostileServer::Script silent = [](Peer& peer, int connection) {
        if (peer.AcceptLogin() && peer.Send(kJobTable, Post(1, 0, u"", u"Price=5")) && connection == 0) {
            while (peer.Next()) {
            }
        }
        peer.Serve();
    };
    const HostileServer::Script dropping = [](Peer& peer, int) { peer.AcceptLogin(); };
    Check({
        {"a server that falls silent with a request in flight",
         silent,
         kApplying + "answer yes\nwait 3s\n",
         {"message box 0: 与服务器的连接已断开，申请的结果未知"},
         {}},
        {"a server that accepts every login and drops it",
         dropping,
         "login 甲\nwait 2s\n",
         {"again in 50 ms", "again in 100 ms", "again in 200 ms", "again in 400 ms"},
         {}},
    });
}

TEST(HostileServerTest, FalseDisplay) {
    const auto pushing = [](int id, CKParam result) {
        // Pushed once the screen is open.
        return Tables(Post(1, 0, u"", u""), [=](Peer& peer) {
            std::this_thread::sleep_for(300ms);
            peer.Send(id, result);
        });
    };
    CKParam voted = Result(1);
    voted.SetInt(Field::kVotesUsed, INT_MAX);
    CKParam crowned = Result(1);
    crowned.SetCString(Field::kJobName, u"国王");
    crowned.SetInt(Field::kHolds, 1);
    const HostileServer::Script early = [](Peer& peer, int) {
        if (peer.Next()) {
            peer.Send(kJobTable, Post(1, 7, u"", u""));
            peer.Send(wire::kLoginResult, wire::MakeLoginRefused("no"));
        }
    };
    const HostileServer::Script other = [](Peer& peer, int) {
        if (peer.AcceptLogin()) {
            peer.Send(wire::kLoginResult, wire::MakeLoginAccepted("UserId=2;level=1;family=1", {}));
        }
        peer.Serve();
    };
    Check({
        {"results nobody asked for",
         pushing(kVoteResult, voted),
         "login 甲\nopen\nwait 1s\n",
         {},
         {"投票成功！", "OnUsedCard"}},
        {"an appointment nobody asked for",
         pushing(kApplyResult, crowned),
         "login 甲\nopen\nwait 1s\n",
         {},
         {"恭喜您成为", "OnUsedCard"}},
        {"an impeachment nobody started",
         pushing(kImpeachResult, Result(1)),
         "login 甲\nopen\nwait 1s\n",
         {},
         {"发起弹劾成功！", "OnUsedCard"}},
        {"a job table before a refused login", early, "login 甲\nopen\n", {}, {"SetRecParam"}},
        {"another player's login result", other, "login 甲\nopen\nwait 1s\n", {}, {"UserId=2"}},
    });
}

TEST(HostileServerTest, Arithmetic) {
    const HostileServer::Script king = [](Peer& peer, int) {
        if (peer.AcceptLogin("UserId=1;level=1;family=1")) {
            peer.Send(kJobTable, Post(1, 7, u"", u"Price=1431655766"));
        }
        peer.Serve();
    };
    const HostileServer::Script lateClock = [](Peer& peer, int) {
        if (peer.AcceptLogin()) {
            peer.Send(kJobTableWithClock, Post(1, 0, u"", u"", kJobTableWithClock, INT_MAX - 1));
            peer.Send(kApplicationList, Candidacy(3, 1, INT_MAX - 100, INT_MAX));
        }
        peer.Serve();
    };
    Check({
        {"a price beyond every coin code",
         Tables(Post(1, 0, u"", u"Price=2147480000")),
         kApplying,
         {"message box 0: 申请当前职位需要 2147480000 M币，请冲值后再申请！"},
         {"message box 500"}},
        {"three times a huge price",
         king,
         kOpened + "click m_GuiCommon.ArryIBNations[0]\nclick m_GuiJobDetailHas.SIExitJob\n",
         {"message box 0: 弹劾当前职位需要 4294967298 M币，冲值后再弹劾！"},
         {"message box 501"}},
        {"the end of 32-bit time",
         lateClock,
         "login 甲\nopen\nawait 10000014\nwait 3s\nclose\nopen\n",
         {"server clock \"2038-01-19 03:14:07\"", "ArryIBNationsInco[0] [JobIncoNULL]"},
         {"JobIncoChoose"}},
    });
}

// chamber-sim itself: a scenario without a login line plays as --player.
TEST(HostileServerTest, TheOptionsPlayerLogsInAtTheStart) {
    const HostileServer server(Tables(Post(1, 7, u"", u"")));
    const std::string dir = MakeTempDir();
    std::ofstream(dir + "/play.chamber") << "open\n";
    ChildProcess sim({ODC_SIM_BINARY, dir + "/play.chamber", "--no-pictures", "--out", dir, "--connect",
                      "127.0.0.1:" + std::to_string(server.Port()), "--player", "甲", "--token", "t"},
                     {}, dir + "/console.txt");
    EXPECT_EQ(sim.Wait(30s), 0);
    const std::string transcript = ReadText(dir + "/transcript.txt");
    EXPECT_NE(transcript.find("> login 甲"), std::string::npos) << transcript;
    EXPECT_NE(transcript.find("SetRecParam(0, 10000020"), std::string::npos) << transcript;
}

}  // namespace
}  // namespace sim::test
