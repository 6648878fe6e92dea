// libFuzzer target for the host's side of a connection (chamber-sim --connect): the input is cut
// into pieces, each a request the host sends (a byte 0 to 3 naming it, then a vote's ballots) or
// bytes from the server (a byte from 4 up, then their count). These go through the frame reader
// into the host's gate (sim/host/ServerGate.h) on a connection that ends at the first broken rule;
// what passes reaches a Chamber screen and the host's screen watcher. Checks: nothing passes before
// a login, no result without a request of its kind, the queue within its bounds.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "OrnDanceChamberTesting.h"
#include "ScreenWatcher.h"
#include "ServerGate.h"
#include "chamber/CGuiDanceChamber.h"
#include "param/ChamberMessages.h"

namespace {

void Require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "host fuzzer: %s\n", what);
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    constexpr int kRequests[] = {ChamberMsg::kApply, ChamberMsg::kImpeach, ChamberMsg::kVote,
                                 ChamberMsg::kMute};
    constexpr sim::GateLimits kLimits{.queuedFrames = 8, .queuedBytes = 4096, .applicationBytes = 4096};
    sim::Transcript transcript("/dev/null", nullptr);
    sim::ScreenWatcher watcher(transcript);  // the host's own reader of the screen
    sim::ServerGate gate(kLimits);
    wire::FrameReader reader;
    std::map<int, int> unanswered;  // by result id, on this connection
    CGuiDanceChamber screen;
    screen.Create(nullptr);
    screen.Show(true);
    for (std::size_t at = 0; at + 2 <= size;) {
        const std::uint8_t kind = data[at];
        const std::size_t length = std::min<std::size_t>(data[at + 1], size - at - 2);
        at += 2;
        if (kind < 4) {
            const CKParam vote = ChamberMsg::MakeVoteRequest(1, data[at - 1]);
            gate.Sent(kRequests[kind], {vote.GetBufferPtr(), static_cast<std::size_t>(vote.GetLength())});
            ++unanswered[kRequests[kind] + 1];
            continue;
        }
        reader.Append({reinterpret_cast<const char*>(data + at), length});
        at += length;
        wire::Frame frame;
        for (wire::FrameReader::Status status;
             (status = reader.Next(frame)) != wire::FrameReader::Status::NeedMore;) {
            const int id = frame.id;
            const std::size_t queued = gate.QueuedBytes();
            const sim::ServerGate::Outcome outcome = status == wire::FrameReader::Status::Ready
                                                         ? gate.Receive(std::move(frame))
                                                         : sim::ServerGate::Outcome::Broken;
            const bool result =
                std::find(std::begin(kRequests), std::end(kRequests), id - 1) != std::end(kRequests);
            if (gate.QueuedBytes() > queued) {
                Require(gate.LoggedIn(), "a message passed before the login");
                Require(!result || unanswered[id]-- > 0, "a result passed without a request");
            }
            Require(gate.QueuedBytes() <= kLimits.queuedBytes, "the queue outgrew its bound");
            if (outcome != sim::ServerGate::Outcome::Passed &&
                outcome != sim::ServerGate::Outcome::LoggedIn) {
                // The connection ends; the host connects again.
                gate.Restart();
                unanswered.clear();
                reader = wire::FrameReader();
                break;
            }
        }
        while (const std::optional<rules::Message> message = gate.Next()) {
            CKParam packet;
            packet.SetBufferPtr(message->image.data(), static_cast<int>(message->image.size()));
            screen.SetRecParam(0, message->id, packet);
            watcher.Look();
        }
    }
    screen.Release();
    GUI::Testing::FinishDisposal();  // CEGUI frees the tree's windows as time passes
    return 0;
}
