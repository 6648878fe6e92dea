// libFuzzer target for chamber-server's side of a connection: the input is cut into pieces of
// bytes, each for one of three clients (two of them at one address); each client's bytes go
// through the frame reader, with the limits of a connection, into the hall (logins, the four
// Chamber requests, heartbeats, anything else), which runs the rules engine on an in-memory store.
// A piece is literal bytes or a run of up to 1 MiB of one byte, so that frames of every size
// arrive. Checks: every byte the server sends parses as frames holding packets; a client is sent
// nothing but login results and refusals before its login result says yes; a connection is never
// bound to a second player.
#include <boost/asio/io_context.hpp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <span>
#include <utility>
#include <vector>

#include "Credentials.h"
#include "Hall.h"
#include "NetMessages.h"
#include "SqliteStore.h"
#include "param/ChamberMessages.h"

namespace {

// The players of every input, with tokens the corpus knows.
constexpr const char* kPlayers[][2] = {
    {"甲", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa"},
    {"凌霄", "bbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb"},
};

void Fail(const char* what, int id) {
    std::fprintf(stderr, "server fuzzer: %s (message %d)\n", what, id);
    std::abort();
}

class FakePeer final : public server::Peer {
public:
    FakePeer(server::Hall& hall, const std::string& host) : Peer(host + ":1", host), m_hall(hall) {}

    void Send(server::SharedFrame frame) override {
        m_sent.Append(*frame);
        wire::Frame sent;
        while (m_sent.Next(sent) == wire::FrameReader::Status::Ready) {
            CKParam packet;
            if (packet.SetBufferPtr(sent.image.data(), static_cast<int>(sent.image.size())) != 0) {
                Fail("a frame without a packet", sent.id);
            }
            const bool forAnyone =
                sent.id == wire::kLoginResult || sent.id == wire::kHeartbeat ||
                (sent.id == ChamberMsg::kApply + 1 || sent.id == ChamberMsg::kImpeach + 1 ||
                 sent.id == ChamberMsg::kVote + 1 || sent.id == ChamberMsg::kMute + 1);
            if (!m_welcomed && !forAnyone) {
                Fail("a client was sent before its login result", sent.id);
            }
            const bool table = sent.id == ChamberMsg::kJobTableWithClock ||
                               sent.id == ChamberMsg::kJobTable || sent.id == ChamberMsg::kApplicationList ||
                               sent.id == ChamberMsg::kApplicationUpdate ||
                               sent.id == ChamberMsg::kApplicationEntry;
            if (table && !watching) {
                Fail("a table was sent to a client whose Chamber is closed", sent.id);
            }
            m_welcomed = m_welcomed || (sent.id == wire::kLoginResult && wire::ReadLoginResult(packet).ok);
        }
        if (m_sent.Buffered() != 0) {
            Fail("a frame cut short", 0);
        }
    }
    void Close(const std::string& why) override {
        if (m_open) {
            m_open = false;
            m_hall.Leave(*this, why);
        }
    }
    void Finish(const std::string& why) override { Close(why); }
    bool IsOpen() const override { return m_open; }
    // Bytes from the client: whole frames go to the hall.
    void Receive(std::span<const char> bytes) {
        m_received.Append(bytes);
        wire::Frame frame;
        for (;;) {
            m_received.SetLimits(playerId != 0 ? wire::kMaxFrameLength : wire::kMaxPreLoginFrame,
                                 wire::kMaxClientFrame);
            const wire::FrameReader::Status status = m_received.Next(frame);
            if (status == wire::FrameReader::Status::NeedMore || !m_open) {
                return;
            }
            if (status == wire::FrameReader::Status::Broken) {
                Close("broken");
                return;
            }
            m_hall.Receive(*this, std::move(frame));
            if (const int before = std::exchange(m_player, playerId); before != 0 && before != playerId) {
                Fail("a connection was bound to another player", playerId);
            }
        }
    }

private:
    server::Hall& m_hall;
    wire::FrameReader m_received;
    wire::FrameReader m_sent;
    bool m_open = true;
    bool m_welcomed = false;
    int m_player = 0;
};

// Runs what is ready. An io_context that ran out of work stops, and polls nothing until restarted.
void RunReady(boost::asio::io_context& io) {
    io.restart();
    io.poll();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool crypto = store::InitCrypto();
    if (!crypto) {
        std::abort();
    }
    boost::asio::io_context io;
    store::SqliteStore store(":memory:", rules::kWorldStart, store::Seed::StartingWorld);
    for (const auto& [name, token] : kPlayers) {
        if (!store.SetToken(name, store::HashToken(token))) {
            store.AddPlayer(name, 1, 5000, 50, store::HashToken(token));
        }
    }
    rules::Engine engine(rules::EngineOptions{.otherPlayersVote = false}, store.Load());
    server::StoreWorker worker(store, server::StoreWorker::Mode::Inline);
    server::Limits limits;
    limits.failedLoginDelay = std::chrono::milliseconds(0);
    bool failed = false;
    metrics::Registry registry;
    server::Hall hall(
        io.get_executor(), engine, worker, server::ServerClock(engine.Now(), 1), limits,
        [&failed] { failed = true; }, [] { Fail("the clock ran out", 0); }, registry);
    std::shared_ptr<FakePeer> peers[3];
    for (std::size_t i = 0; i < std::size(peers); ++i) {
        peers[i] = std::make_shared<FakePeer>(hall, i < 2 ? "127.0.0.1" : "127.0.0.2");
        hall.Join(peers[i]);
    }
    // Pieces: one byte for the client (modulo 3; the high bit: a run), one for the length (0 to
    // 255), then that many bytes; or for a run, a byte that says how many 4 KiB (1 to 256) of the
    // byte that follows, 2 MiB of runs in all.
    std::span<const char> input(reinterpret_cast<const char*>(data), size);
    std::size_t runBudget = std::size_t{2} << 20;  // room for two frames of the largest size
    while (input.size() >= 2) {
        const auto head = static_cast<unsigned char>(input[0]);
        FakePeer& peer = *peers[(head & 0x7F) % 3];
        const auto count = static_cast<unsigned char>(input[1]);
        const std::size_t run = 4096 * (count + std::size_t{1});
        if ((head & 0x80) != 0 && input.size() >= 3 && run <= runBudget) {
            runBudget -= run;
            peer.Receive(std::vector<char>(run, input[2]));
            input = input.subspan(3);
        } else {
            const std::size_t length = std::min<std::size_t>(count, input.size() - 2);
            peer.Receive(input.subspan(2, length));
            input = input.subspan(2 + length);
        }
        RunReady(io);
    }
    if (failed) {
        std::abort();  // an in-memory store does not fail
    }
    bool stopped = false;
    hall.Stop([&stopped] { stopped = true; });
    RunReady(io);
    if (!stopped) {
        Fail("the hall did not stop", 0);
    }
    return 0;
}
