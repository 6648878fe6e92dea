// chamber-server against bytes no client would send, clients that never finish or never read, and
// floods: each time the server closes or refuses only the offender and goes on serving the others.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/socket.h>

#include <cstring>
#include <thread>

#include "ServerFixture.h"
#include "param/ChamberMessages.h"

namespace server::test {
namespace {

using namespace ChamberMsg;

constexpr int kElection = 1;  // under way in the starting world

std::vector<char> Bytes(const CKParam& packet) {
    return {packet.GetBufferPtr(), packet.GetBufferPtr() + packet.GetLength()};
}

std::vector<char> FrameWithLength(std::uint32_t length, int id, const std::vector<char>& rest) {
    std::vector<char> frame = wire::EncodeFrame(id, rest);
    std::memcpy(frame.data(), &length, sizeof length);
    return frame;
}

class BadInputTest : public ::testing::Test {
protected:
    // The server with a short idle timeout and a small queue, and the well-behaved client.
    void SetUp() override { StartServer({}); }
    void StartServer(const std::vector<std::string>& extra) {
        if (good) {
            ASSERT_TRUE(server.Stop());
        }
        std::vector<std::string> arguments = {"--idle-timeout", "2", "--max-queue", "65536"};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        ASSERT_TRUE(server.Start(arguments)) << server.Log();
        if (goodToken.empty()) {
            goodToken = server.AddPlayer("好", {"--ballots", "1000"});
            offenderToken = server.AddPlayer("坏", {"--ballots", "100000"});
        }
        good = std::make_unique<RawClient>(server.Port());
        ASSERT_TRUE(good->Login("好", goodToken).ok);
    }
    // The well-behaved client's heartbeat, so that the idle timeout spares it while a test waits.
    void KeepAlive() {
        good->Send(wire::kHeartbeat, wire::MakeHeartbeat());
        ASSERT_TRUE(good->NextWith(wire::kHeartbeat));
    }
    // The well-behaved client is still answered.
    void ExpectServed() {
        good->Send(kVote, MakeVoteRequest(kElection, 1));
        const std::optional<wire::Frame> answer = good->NextWith(kVoteResult);
        ASSERT_TRUE(answer) << server.Log();
        EXPECT_TRUE(ReadResult(PacketOf(*answer)).Succeeded());
    }
    std::unique_ptr<RawClient> LoggedInOffender() {
        auto offender = std::make_unique<RawClient>(server.Port());
        EXPECT_TRUE(offender->Login("坏", offenderToken).ok);
        EXPECT_TRUE(offender->NextWith(kApplicationList)) << "the tables that follow a login";
        return offender;
    }
    std::string ReasonFor(RawClient& client, const std::vector<char>& frame, int resultId) {
        client.SendBytes(frame);
        const std::optional<wire::Frame> answer = client.NextWith(resultId);
        return answer ? ReadResult(PacketOf(*answer)).reason.value_or(CString()).ToUtf8() : "(none)";
    }

    ServerProcess server;
    std::string goodToken;
    std::string offenderToken;
    std::unique_ptr<RawClient> good;
};

TEST_F(BadInputTest, LengthWordsOutOfBoundsCloseTheConnectionAndTheLargestFrameIsRefused) {
    for (const std::uint32_t length : {0u, 3u, wire::kMaxFrameLength + 1, 0xFFFFFFFFu}) {
        RawClient offender(server.Port());
        offender.SendBytes(FrameWithLength(length, kVote, Bytes(MakeVoteRequest(kElection, 1))));
        EXPECT_TRUE(offender.ClosedByServer()) << length;
        ExpectServed();
    }
    const auto offender = LoggedInOffender();
    std::vector<char> junk(wire::kMaxFrameLength - wire::kIdSize, 'x');
    EXPECT_EQ(ReasonFor(*offender, wire::EncodeFrame(kVote, junk), kVoteResult), "请求无效");
    ExpectServed();
}

TEST_F(BadInputTest, DamagedImagesAreRefusedOrReadAsTheirFirstRecords) {
    const auto offender = LoggedInOffender();
    std::vector<char> lengthDisagrees = Bytes(MakeVoteRequest(kElection, 1));
    lengthDisagrees[0] += 4;
    std::vector<char> recordPastTheEnd = Bytes(MakeVoteRequest(kElection, 1));
    recordPastTheEnd[12 + 12] = 100;  // the second record's length word
    CKParam listAsVote = MakeVoteRequest(kElection, 1);
    for (int entry = 0; entry < kMaxEntries; ++entry) {
        listAsVote.SetInt(EntryField(entry, 0), entry + 1);
    }
    EXPECT_EQ(ReasonFor(*offender, wire::EncodeFrame(kVote, lengthDisagrees), kVoteResult), "请求无效");
    EXPECT_EQ(ReasonFor(*offender, wire::EncodeFrame(kVote, recordPastTheEnd), kVoteResult), "票数无效");
    EXPECT_EQ(ReasonFor(*offender, wire::EncodeFrame(kVote, Bytes(listAsVote)), kVoteResult), "")
        << "655 entries where one vote is expected: the vote's own fields are read, it succeeds";
    ExpectServed();
}

TEST_F(BadInputTest, UnknownIdsAndResponsesSentAsRequestsAreIgnored) {
    const auto offender = LoggedInOffender();
    for (const int id :
         {0, 77, -1, kApplyResult, kJobTableWithClock, kApplicationEntry, wire::kLoginResult}) {
        offender->Send(id, MakeVoteRequest(kElection, 1));
    }
    offender->Send(wire::kHeartbeat, wire::MakeHeartbeat());
    const std::optional<wire::Frame> answer = offender->Next();
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->id, wire::kHeartbeat) << "nothing answered the ignored frames";
    ExpectServed();
}

TEST_F(BadInputTest, CutOffAndDribblingClientsAreDropped) {
    {
        RawClient cutOff(server.Port());
        const std::vector<char> frame = wire::EncodeFrame(kVote, Bytes(MakeVoteRequest(kElection, 1)));
        cutOff.SendBytes({frame.data(), 10});
    }
    RawClient dribbler(server.Port());
    const std::vector<char> frame = wire::EncodeFrame(wire::kHeartbeat, Bytes(wire::MakeHeartbeat()));
    const auto start = std::chrono::steady_clock::now();
    for (std::size_t i = 0; i < frame.size() && !dribbler.ClosedByServer(500ms); ++i) {
        dribbler.SendBytes({frame.data() + i, 1});
        KeepAlive();
    }
    EXPECT_TRUE(dribbler.ClosedByServer());
    EXPECT_GE(std::chrono::steady_clock::now() - start, 2s) << "dropped by the idle timeout, not before";
    EXPECT_TRUE(server.LogSays("no whole frame for 2000 ms")) << server.Log();
    ExpectServed();
}

TEST_F(BadInputTest, AClientThatNeverReadsIsDroppedNotTheServersMemory) {
    StartServer({"--rate", "0"});
    auto offender = LoggedInOffender();
    std::vector<char> votes;
    for (int i = 0; i < 20000; ++i) {
        const std::vector<char> frame = wire::EncodeFrame(kVote, Bytes(MakeVoteRequest(kElection, 1)));
        votes.insert(votes.end(), frame.begin(), frame.end());
    }
    offender->SendBytes(votes);
    EXPECT_TRUE(server.LogSays("does not read what it is sent")) << server.Log();
    ExpectServed();
}

TEST_F(BadInputTest, GuessingTokensSoonClosesTheConnection) {
    StartServer({"--failed-login-delay", "0"});
    RawClient guesser(server.Port());
    guesser.Send(wire::kHeartbeat, wire::MakeHeartbeat());
    for (int guess = 0; guess < 10; ++guess) {
        EXPECT_EQ(guesser.Login("坏", std::string(64, static_cast<char>('0' + guess))).reason,
                  "玩家名或令牌不对");
    }
    guesser.Send(wire::kLogin, wire::MakeLogin({"坏", offenderToken}));
    EXPECT_TRUE(guesser.ClosedByServer())
        << "the eleventh refusal in a minute closes, even for the right token";
    EXPECT_EQ(server.Log().find("refused message 4 from"), server.Log().rfind("refused message 4 from"))
        << "one heartbeat before the login, refused";
    ExpectServed();
}

TEST_F(BadInputTest, TwoThousandSilentConnectionsDoNotStopTheServer) {
    rlimit files{};
    getrlimit(RLIMIT_NOFILE, &files);
    files.rlim_cur = files.rlim_max;
    setrlimit(RLIMIT_NOFILE, &files);
    std::vector<std::unique_ptr<RawClient>> silent;
    for (int i = 0; i < 2000; ++i) {
        silent.push_back(std::make_unique<RawClient>(server.Port()));
        ASSERT_TRUE(silent.back()->Connected()) << i;
    }
    ExpectServed();
    for (int i = 0; i < 6 && !silent.front()->ClosedByServer(500ms); ++i) {
        KeepAlive();
    }
    EXPECT_TRUE(silent.front()->ClosedByServer(0ms)) << "silent connections end with the idle timeout";
    ExpectServed();
}

TEST_F(BadInputTest, AFloodFromOnePlayerIsSlowedWithoutHurtingTheOthers) {
    const auto flooder = LoggedInOffender();
    constexpr int kFrames = 200;  // the limit: 50 a second, 100 at once
    std::vector<char> flood;
    for (int i = 0; i < kFrames; ++i) {
        const std::vector<char> frame = wire::EncodeFrame(wire::kHeartbeat, Bytes(wire::MakeHeartbeat()));
        flood.insert(flood.end(), frame.begin(), frame.end());
    }
    const auto start = std::chrono::steady_clock::now();
    flooder->SendBytes(flood);
    ExpectServed();
    const auto goodServed = std::chrono::steady_clock::now();
    int answered = 0;
    while (answered < kFrames && flooder->NextWith(wire::kHeartbeat, 10s)) {
        ++answered;
    }
    const auto floodServed = std::chrono::steady_clock::now();
    EXPECT_EQ(answered, kFrames);
    EXPECT_GE(floodServed - start, 1500ms) << "100 frames beyond the burst at 50 a second";
    EXPECT_LT(goodServed, floodServed) << "the other player was answered while the flood waited";
}

}  // namespace
}  // namespace server::test
