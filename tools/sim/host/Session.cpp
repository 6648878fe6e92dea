#include "Session.h"

#include <algorithm>

#include "OrnDanceChamberTesting.h"
#include "PacketText.h"
#include "chamber/ChamberClock.h"
#include "param/ChamberMessages.h"

namespace sim {

namespace {

constexpr int kTickMs = 1000;

bool IsResult(int id) {
    return id == ChamberMsg::kApplyResult || id == ChamberMsg::kImpeachResult ||
           id == ChamberMsg::kVoteResult || id == ChamberMsg::kMuteResult;
}

}  // namespace

Session::Session(std::uint64_t seed, Transcript& transcript)
    : m_nowMs(rules::kWorldStart * 1000),
      m_transcript(transcript),
      m_server(rules::EngineOptions{seed}),
      m_host(m_server, transcript),
      m_watcher(transcript) {
    // The screen's local clock is the simulated one: no wall clock anywhere.
    SetLocalClockSource([this] { return m_nowMs / 1000; });
}

Session::~Session() {
    m_host.Release();
    SetLocalClockSource({});
}

std::string Session::Stamp() const {
    return FormatTime(m_nowMs / 1000).ToUtf8();
}

bool Session::Login(std::string_view name) {
    const rules::Player* player = m_server.FindPlayer(name);
    if (player == nullptr) {
        return false;
    }
    m_host.SetPlayer(player->id);
    m_identity.clear();
    RefreshIdentity();
    if (m_open) {
        m_server.Connect(player->id);
    }
    return true;
}

void Session::RefreshIdentity() {
    const std::string identity = m_server.IdentityOf(m_host.PlayerId());
    if (identity != m_identity) {
        m_identity = identity;
        m_transcript.Line(1, "SetUserInfo(" + Quoted(identity) + ")");
        m_host.SetUserInfo(CString::FromUtf8(identity));
    }
}

void Session::Open() {
    if (!m_created) {
        m_transcript.Line(1, "Create(root) -> " + std::to_string(m_host.Create(nullptr)));
        m_created = true;
    }
    m_transcript.Line(1, "Show(true) -> " + std::to_string(m_host.Show(true)));
    if (!m_open) {
        m_open = true;
        m_server.Connect(m_host.PlayerId());
    }
}

void Session::Close() {
    m_transcript.Line(1, "Show(false) -> " + std::to_string(m_host.Show(false)));
    m_open = false;
}

void Session::Deliver() {
    for (const rules::Message& message : m_server.TakeMessages()) {
        CKParam packet;
        packet.SetBufferPtr(message.image.data(), static_cast<int>(message.image.size()));
        m_transcript.Line(1, "server -> SetRecParam(0, " + std::to_string(message.id) + " " +
                                 MessageName(message.id) + ", " + std::to_string(message.image.size()) +
                                 " bytes)");
        for (const std::string& line :
             DescribePacket(message.id, message.image.data(), static_cast<int>(message.image.size()))) {
            m_transcript.Line(3, line);
        }
        m_host.SetRecParam(0, message.id, packet);
        m_watcher.Look(IsResult(message.id));
    }
    RefreshIdentity();
}

bool Session::Settle() {
    Deliver();
    m_watcher.Look();
    if (!m_host.TakeExitRequest()) {
        return false;
    }
    m_transcript.Line(1, "the host lets the player leave:");
    Close();
    return true;
}

void Session::Wait(std::int64_t ms) {
    while (ms > 0) {
        const std::int64_t step = std::min<std::int64_t>(ms, kTickMs);
        ms -= step;
        m_nowMs += step;
        GUI::Testing::AdvanceTime(static_cast<int>(step));
        m_server.AdvanceTo(m_nowMs / 1000);
        Deliver();
    }
    m_watcher.Look();
}

void Session::Jump(std::int64_t ms) {
    m_nowMs += ms;
    m_server.AdvanceTo(m_nowMs / 1000);
    Deliver();
    Wait(kTickMs);
}

void Session::SetWallet(int coins, int ballots) {
    m_server.SetWallet(m_host.PlayerId(), coins, ballots);
}

}  // namespace sim
