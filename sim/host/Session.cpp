#include "Session.h"

#include <algorithm>
#include <chrono>
#include <climits>

#include "OrnDanceChamberTesting.h"
#include "PacketText.h"
#include "chamber/ChamberClock.h"
#include "param/ChamberMessages.h"

namespace sim {

namespace {

constexpr int kTickMs = 1000;
// How long the network is handled between deliveries while time passes on the wall clock.
constexpr std::chrono::milliseconds kLiveStep{20};
// What one delivery may cost against a network server; the rest waits for the next.
constexpr int kBudgetMessages = 64;
constexpr std::chrono::milliseconds kBudgetTime{20};

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
    if (m_link.LiveClock()) {
        SetLocalClockSource([this] { return LiveLocalClock(); });
    } else {
        // The screen's local clock is the simulated one: no wall clock anywhere.
        SetLocalClockSource([this] { return m_nowMs / 1000; });
    }
}

Session::~Session() {
    if (m_open) {
        m_link.ScreenClosed();
    }
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
    if (std::exchange(m_open, false)) {
        m_link.ScreenClosed();
    }
}

std::int64_t Session::LiveLocalClock() const {
    return m_pinnedLocal.value_or(std::min(WallMs() / 1000 - m_heldBack, m_localLimit));
}

void Session::Deliver() {
    const bool budgeted = m_link.LiveClock();
    const auto start = std::chrono::steady_clock::now();
    for (int n = 0;
         !budgeted || (n < kBudgetMessages && std::chrono::steady_clock::now() - start < kBudgetTime); ++n) {
        const std::optional<rules::Message> message = m_link.Next();
        if (!message) {
            break;
        }
        DeliverOne(*message);
    }
    for (const std::string& notice : m_link.TakeNotices()) {
        m_transcript.Line(1, "host -> MsgBox(" + Quoted(notice) + ", 0)");
        m_host.MsgBox(CString::FromUtf8(notice), 0, 0);
        m_watcher.Look(true);
    }
    RefreshIdentity();
}

void Session::DeliverOne(const rules::Message& message) {
    CKParam packet;
    packet.SetBufferPtr(message.image.data(), static_cast<int>(message.image.size()));
    m_transcript.Line(1, "server -> SetRecParam(0, " + std::to_string(message.id) + " " +
                             MessageName(message.id) + ", " + std::to_string(message.image.size()) +
                             " bytes)");
    for (const std::string& line :
         DescribePacket(message.id, message.image.data(), static_cast<int>(message.image.size()))) {
        m_transcript.Line(3, line);
    }
    // The screen measures its clock's offset from this message's timestamp at one local time.
    const int timestamp =
        message.id == ChamberMsg::kJobTableWithClock ? ChamberMsg::ReadClock(packet).value_or(0) : 0;
    const bool measured = m_link.LiveClock() && timestamp > 0;
    if (measured) {
        // A local clock that was held back goes on from where it stood.
        m_pinnedLocal = LiveLocalClock();
        m_heldBack = WallMs() / 1000 - *m_pinnedLocal;
    }
    m_host.SetRecParam(0, message.id, packet);
    if (measured) {
        // The screen's server clock is now timestamp - local then + local: it reaches the end of
        // 32-bit time when the local clock reaches this.
        m_localLimit = std::int64_t{INT_MAX} - timestamp + static_cast<int>(*m_pinnedLocal);
        m_pinnedLocal.reset();
    }
    m_arrived.insert(message.id);
    m_watcher.Look(IsResult(message.id));
}

bool Session::Settle() {
    m_link.Poll(std::chrono::milliseconds(0));
    Deliver();
    m_watcher.Look();
    m_transcript.Flush();
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

void Session::Pump(std::chrono::milliseconds wait) {
    const auto before = std::chrono::steady_clock::now();
    m_link.Poll(wait);
    Tick(std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - before)
             .count());
    Deliver();
    m_transcript.Flush();
}

void Session::Wait(std::int64_t ms) {
    if (m_link.LiveClock()) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        for (auto now = std::chrono::steady_clock::now(); now < end; now = std::chrono::steady_clock::now()) {
            Pump(std::min(kLiveStep, std::chrono::ceil<std::chrono::milliseconds>(end - now)));
        }
    } else {
        for (std::int64_t step; ms > 0; ms -= step) {
            step = std::min<std::int64_t>(ms, kTickMs);
            m_link.Poll(std::chrono::milliseconds(0));
            Tick(step);
            Deliver();
        }
    }
    m_watcher.Look();
}

void Session::Frame(std::int64_t ms) {
    m_link.Poll(std::chrono::milliseconds(0));
    Tick(ms);
    Deliver();
    m_watcher.Look();
    m_transcript.Flush();
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
        Pump(kLiveStep);
    }
}

}  // namespace sim
