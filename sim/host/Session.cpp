#include "Session.h"

#include <algorithm>
#include <chrono>

#include "OrnDanceChamberTesting.h"
#include "PacketText.h"
#include "chamber/ChamberClock.h"
#include "param/ChamberMessages.h"

namespace sim {

namespace {

constexpr int kTickMs = 1000;
// How long the network is handled between looks while waiting for a message.
constexpr std::chrono::milliseconds kAwaitStep{20};

bool IsResult(int id) {
    return id == ChamberMsg::kApplyResult || id == ChamberMsg::kImpeachResult ||
           id == ChamberMsg::kVoteResult || id == ChamberMsg::kMuteResult;
}

std::int64_t WallMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

}  // namespace

Session::Session(GameLink& link, Transcript& transcript, void* parent)
    : m_link(link),
      m_nowMs(rules::kWorldStart * 1000),
      m_transcript(transcript),
      m_host(link, transcript),
      m_watcher(transcript),
      m_parent(parent) {
    if (!m_link.LiveClock()) {
        // The screen's local clock is the simulated one: no wall clock anywhere.
        SetLocalClockSource([this] { return m_nowMs / 1000; });
    }
}

Session::~Session() {
    m_host.Release();
    SetLocalClockSource({});
}

std::string Session::Stamp() const {
    return FormatTime((m_link.LiveClock() ? WallMs() : m_nowMs) / 1000).ToUtf8();
}

bool Session::Login(std::string_view name) {
    if (!m_link.Login(name)) {
        return false;
    }
    m_identity.clear();
    RefreshIdentity();
    if (m_open) {
        m_link.ScreenOpened();
    }
    return true;
}

void Session::RefreshIdentity() {
    const std::string identity = m_link.Identity();
    if (identity != m_identity) {
        m_identity = identity;
        m_transcript.Line(1, "SetUserInfo(" + Quoted(identity) + ")");
        m_host.SetUserInfo(CString::FromUtf8(identity));
    }
}

void Session::Open() {
    if (!m_created) {
        m_transcript.Line(1, "Create(root) -> " + std::to_string(m_host.Create(m_parent)));
        m_created = true;
    }
    m_transcript.Line(1, "Show(true) -> " + std::to_string(m_host.Show(true)));
    if (!m_open) {
        m_open = true;
        m_link.ScreenOpened();
    }
}

void Session::Close() {
    m_transcript.Line(1, "Show(false) -> " + std::to_string(m_host.Show(false)));
    m_open = false;
}

void Session::Deliver() {
    for (const rules::Message& message : m_link.Take()) {
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
        m_arrived.insert(message.id);
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

void Session::Tick(std::int64_t ms) {
    m_nowMs += ms;
    GUI::Testing::AdvanceTime(static_cast<int>(ms));
    m_link.Advance(m_nowMs);
}

void Session::Wait(std::int64_t ms) {
    while (ms > 0) {
        const std::int64_t step = std::min<std::int64_t>(ms, kTickMs);
        ms -= step;
        m_link.Poll(std::chrono::milliseconds(m_link.LiveClock() ? step : 0));
        Tick(step);
        Deliver();
    }
    m_watcher.Look();
}

void Session::Frame(std::int64_t ms) {
    m_link.Poll(std::chrono::milliseconds(0));
    Tick(ms);
    Deliver();
    m_watcher.Look();
}

bool Session::Jump(std::int64_t ms) {
    if (m_link.LiveClock()) {
        return false;
    }
    m_nowMs += ms;
    m_link.Advance(m_nowMs);
    Deliver();
    Wait(kTickMs);
    return true;
}

bool Session::Await(int id, std::int64_t timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        Deliver();
        if (m_arrived.contains(id)) {
            m_arrived.clear();
            m_watcher.Look();
            return true;
        }
        if (!m_link.LiveClock() || std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        const auto before = std::chrono::steady_clock::now();
        m_link.Poll(kAwaitStep);
        Tick(std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - before)
                 .count());
    }
}

}  // namespace sim
