// libFuzzer target for chamber-server's side of a connection: the input is cut into pieces of
// bytes, each for one of three clients; each client's bytes go through the frame reader into the
// hall (login, the four Chamber requests, heartbeats, anything else), which runs the rules engine
// on an in-memory store. Checks: every byte the server sends parses as frames holding packets, and
// a client that is not logged in is sent nothing but login results and refusals.
#include <asio/io_context.hpp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <span>

#include "Credentials.h"
#include "Hall.h"
#include "NetMessages.h"
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
    explicit FakePeer(server::Hall& hall) : Peer("127.0.0.1:1", "127.0.0.1"), m_hall(hall) {}

    void Send(server::SharedFrame frame) override {
        const bool loggedIn = playerId != 0;
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
            if (!loggedIn && !forAnyone) {
                Fail("a client that is not logged in was sent", sent.id);
            }
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
    bool IsOpen() const override { return m_open; }
    // Bytes from the client: whole frames go to the hall.
    void Receive(std::span<const char> bytes) {
        m_received.Append(bytes);
        wire::Frame frame;
        for (;;) {
            const wire::FrameReader::Status status = m_received.Next(frame);
            if (status == wire::FrameReader::Status::NeedMore || !m_open) {
                return;
            }
            if (status == wire::FrameReader::Status::Broken) {
                Close("broken");
                return;
            }
            m_hall.Receive(*this, std::move(frame));
        }
    }

private:
    server::Hall& m_hall;
    wire::FrameReader m_received;
    wire::FrameReader m_sent;
    bool m_open = true;
};

// Runs what is ready. An io_context that ran out of work stops, and polls nothing until restarted.
void RunReady(asio::io_context& io) {
    io.restart();
    io.poll();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool crypto = store::InitCrypto();
    if (!crypto) {
        std::abort();
    }
    asio::io_context io;
    store::Store store(":memory:", rules::kWorldStart);
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
    server::Hall hall(io.get_executor(), engine, worker, server::ServerClock(engine.Now(), 1), limits,
                      [&failed] { failed = true; });
    std::shared_ptr<FakePeer> peers[3];
    for (auto& peer : peers) {
        peer = std::make_shared<FakePeer>(hall);
        hall.Join(peer);
    }
    // Pieces: one byte for the client, one for the length (0 to 255), then that many bytes.
    std::span<const char> input(reinterpret_cast<const char*>(data), size);
    while (input.size() >= 2) {
        FakePeer& peer = *peers[static_cast<unsigned char>(input[0]) % 3];
        const std::size_t length =
            std::min<std::size_t>(static_cast<unsigned char>(input[1]), input.size() - 2);
        peer.Receive(input.subspan(2, length));
        input = input.subspan(2 + length);
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
