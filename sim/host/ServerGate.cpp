#include "ServerGate.h"

#include <algorithm>
#include <map>
#include <utility>

#include "param/ChamberMessages.h"
#include "param/ChamberRecords.h"
#include "param/UserExtraData.h"
#include "text/Decimal.h"

namespace sim {

namespace {

using namespace ChamberMsg;

// The key of list entry `entry` as the screen reads it: an int greater than 0, or 0 when the
// screen skips the entry.
int EntryKey(const CKParam& packet, int entry) {
    int key = 0;
    return packet.GetInt(EntryField(entry, 0), key) == 0 && key > 0 ? key : 0;
}

// What an application record costs the screen: the record and its three texts.
std::size_t RecordBytes(const UniteApplyJob& application) {
    return sizeof(UniteApplyJob) +
           2 * (application.actionUserName.GetLength() + application.userName.GetLength() +
                application.kingdomName.GetLength());
}

}  // namespace

std::vector<int> ServerGate::Restart() {
    std::vector<int> unknown;
    for (const Request& request : m_outstanding) {
        unknown.push_back(request.id);
    }
    m_outstanding.clear();
    m_loggedIn = false;
    return unknown;
}

void ServerGate::Sent(int id, std::span<const char> image) {
    CKParam packet;
    int votes = 0;
    if (id == kVote && packet.SetBufferPtr(image.data(), static_cast<int>(image.size())) == 0) {
        packet.GetInt(Field::kVotes, votes);
    }
    m_outstanding.push_back({id, votes < 0 ? -static_cast<long long>(votes) : votes});
}

ServerGate::Outcome ServerGate::Break(std::string why) {
    m_why = std::move(why);
    return Outcome::Broken;
}

// The checks run from the cheapest to the dearest, and none changes what the gate keeps before the
// frame is known to pass: a frame that ends the connection leaves the gate as it found it.
ServerGate::Outcome ServerGate::Receive(wire::Frame frame) {
    // Every message of the protocol is a packet image; the screen would read anything else as an
    // empty packet, which would still settle a request's result.
    CKParam packet;
    if (packet.SetBufferPtr(frame.image.data(), static_cast<int>(frame.image.size())) != 0) {
        return Break("message " + std::to_string(frame.id) + " holds no packet");
    }
    if (frame.id == wire::kLoginResult) {
        return OnLoginResult(packet);
    }
    if (!m_loggedIn) {
        return Break("message " + std::to_string(frame.id) + " before the login was answered");
    }
    bool kept = false;
    switch (frame.id) {
        case wire::kHeartbeat:
            return Outcome::Passed;
        case wire::kWallet:
            m_wallet = wire::ReadWallet(packet).value_or(m_wallet.value_or(wire::Wallet{}));
            return Outcome::Passed;
        case kJobTableWithClock:
        case kJobTable:
        case kApplicationList:
        case kApplicationUpdate:
        case kApplicationEntry:
        case kApplyResult:
        case kImpeachResult:
        case kVoteResult:
        case kMuteResult:
            kept = true;
            break;
        default:
            break;
    }
    if (!kept) {
        return Break("message " + std::to_string(frame.id) + ", which the server does not send");
    }
    // The queue is the bound on what the server makes the host hold; the host's reads per frame
    // bound how fast it fills (NetworkLink.cpp).
    if (m_queue.size() >= m_limits.queuedFrames ||
        m_queuedBytes + frame.image.size() > m_limits.queuedBytes) {
        m_why = "more than " + std::to_string(m_limits.queuedFrames) + " messages or " +
                std::to_string(m_limits.queuedBytes >> 20) + " MiB wait for the screen";
        return Outcome::Flooded;
    }
    if (frame.id == kJobTableWithClock || frame.id == kJobTable) {
        if (!TakePosts(packet)) {
            return Outcome::Broken;
        }
    } else if (frame.id == kApplicationList || frame.id == kApplicationUpdate ||
               frame.id == kApplicationEntry) {
        if (!TakeApplications(frame.id, packet)) {
            return Outcome::Broken;
        }
    } else if (!Answer(frame.id, packet)) {
        return Break("result " + std::to_string(frame.id) + " to no request");
    }
    m_queuedBytes += frame.image.size();
    m_queue.push_back({frame.id, std::move(frame.image)});
    return Outcome::Passed;
}

ServerGate::Outcome ServerGate::OnLoginResult(const CKParam& packet) {
    const wire::LoginResult result = wire::ReadLoginResult(packet);
    if (!result.ok) {
        if (m_loggedIn) {
            return Break("a refused login after the login");
        }
        m_why = result.reason.empty() ? "refused" : result.reason;
        return Outcome::Refused;
    }
    const int userId = DecimalToInt(GetValueFromUserExtraData(CString::FromUtf8(result.identity), u"UserId"));
    if (userId <= 0 || (m_userId != 0 && userId != m_userId)) {
        return Break(userId <= 0 ? "a login result without the player's UserId"
                                 : "a login result for another player");
    }
    m_userId = userId;
    m_identity = result.identity;
    m_wallet = result.wallet;
    return std::exchange(m_loggedIn, true) ? Outcome::Passed : Outcome::LoggedIn;
}

// A job table replaces the posts it carries, each with an empty list of applications.
bool ServerGate::TakePosts(const CKParam& packet) {
    const int count = ReadEntryCount(packet);
    for (int entry = 0; entry < count; ++entry) {
        if (const int jobId = EntryKey(packet, entry); jobId > kPosts) {
            m_why = "post " + std::to_string(jobId) + ", outside 1 ... " + std::to_string(kPosts);
            return false;
        }
    }
    for (int entry = 0; entry < count; ++entry) {
        if (const int jobId = EntryKey(packet, entry); jobId > 0) {
            Post& post = m_posts[static_cast<std::size_t>(jobId)];
            for (const auto& [applyId, bytes] : post.applications) {
                m_applicationBytes -= bytes;
            }
            post.applications.clear();
            post.known = true;
        }
    }
    return true;
}

// A full list replaces every post's applications; an update or one entry adds to them. Entries
// for posts the screen does not know are dropped there, and so here.
bool ServerGate::TakeApplications(int id, const CKParam& packet) {
    const int count = id == kApplicationEntry ? std::min(ReadEntryCount(packet), 1) : ReadEntryCount(packet);
    std::map<std::pair<int, int>, std::size_t> incoming;  // (post, applyId) -> bytes; the last entry wins
    for (int entry = 0; entry < count; ++entry) {
        const std::optional<UniteApplyJob> application = ReadApplication(packet, entry);
        if (application && application->jobId > 0 && application->jobId <= kPosts &&
            m_posts[static_cast<std::size_t>(application->jobId)].known) {
            incoming[{application->jobId, application->applyId}] = RecordBytes(*application);
        }
    }
    // The counts and bytes the screen will hold once the message is handled, computed before
    // anything changes.
    const bool replacing = id == kApplicationList;
    std::array<std::size_t, kPosts + 1> counts{};
    std::size_t bytes = replacing ? 0 : m_applicationBytes;
    for (std::size_t post = 1; !replacing && post <= kPosts; ++post) {
        counts[post] = m_posts[post].applications.size();
    }
    for (const auto& [key, size] : incoming) {
        const auto& held = m_posts[static_cast<std::size_t>(key.first)].applications;
        const auto old = replacing ? held.end() : held.find(key.second);
        if (old == held.end()) {
            ++counts[static_cast<std::size_t>(key.first)];
            bytes += size;
        } else {
            bytes = bytes - old->second + size;
        }
    }
    const auto most = std::max_element(counts.begin(), counts.end());
    if (*most > static_cast<std::size_t>(kMaxEntries) || bytes > m_limits.applicationBytes) {
        m_why = "post " + std::to_string(most - counts.begin()) + " with " + std::to_string(*most) +
                " applications (" + std::to_string(bytes >> 10) + " KiB of applications in all)";
        return false;
    }
    for (std::size_t post = 1; replacing && post <= kPosts; ++post) {
        m_posts[post].applications.clear();
    }
    for (const auto& [key, size] : incoming) {
        m_posts[static_cast<std::size_t>(key.first)].applications[key.second] = size;
    }
    m_applicationBytes = bytes;
    return true;
}

// A result answers the oldest outstanding request of its kind; a vote's, one that asked for at
// least the ballots it says were used.
bool ServerGate::Answer(int resultId, const CKParam& packet) {
    const VoteResult vote = ReadVoteResult(packet);
    const int used = resultId == kVoteResult && vote.Succeeded() ? vote.votesUsed.value_or(0) : 0;
    const auto request = std::find_if(m_outstanding.begin(), m_outstanding.end(), [&](const Request& r) {
        return r.id + 1 == resultId && r.ballots >= used;
    });
    if (request == m_outstanding.end()) {
        return false;
    }
    m_outstanding.erase(request);
    return true;
}

std::optional<rules::Message> ServerGate::Next() {
    if (m_queue.empty()) {
        return std::nullopt;
    }
    rules::Message message = std::move(m_queue.front());
    m_queue.pop_front();
    m_queuedBytes -= message.image.size();
    return message;
}

}  // namespace sim
