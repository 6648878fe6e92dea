// The server's answers to the four requests of the screen.
#include <algorithm>
#include <cstdlib>

#include "Rules.h"
#include "Server.h"
#include "param/ChamberMessages.h"

namespace sim {

namespace {

using namespace ChamberMsg;

CKParam Refusal(const char* reason) {
    CKParam packet;
    packet.SetInt(Field::kResult, 0);
    packet.SetCString(Field::kReason, CString::FromUtf8(reason));
    return packet;
}

CKParam Success() {
    CKParam packet;
    packet.SetInt(Field::kResult, 1);
    return packet;
}

int IntField(const CKParam& packet, short id, int fallback) {
    int value = fallback;
    packet.GetInt(id, value);
    return value;
}

}  // namespace

CKParam Server::Apply(int playerId, const CKParam& request) {
    namespace reason = rules::reason;
    const int jobId = IntField(request, Field::kTarget, 0);
    const PostDef* post = Post(jobId);
    Player* player = MutablePlayer(playerId);
    if (post == nullptr || player == nullptr) {
        return Refusal(reason::kNoSuchPost);
    }
    if (HolderOf(jobId) != 0) {
        return Refusal(reason::kPostHeld);
    }
    if (PostOf(playerId) != 0) {
        return Refusal(reason::kHoldsAPost);
    }
    for (const Application& application : m_applications) {
        if (application.type == UniteApplyJob::kCandidacy && application.playerId == playerId) {
            return Refusal(application.jobId == jobId ? reason::kAlreadyApplied : reason::kRunsElsewhere);
        }
    }
    const int price = m_world.ranks.at(post->rank).price;
    if (player->coins < price) {
        return Refusal(reason::kNotEnoughCoins);
    }
    const Application* election = RunningElection(jobId);
    if (election != nullptr && m_now >= election->startTime) {
        return Refusal(reason::kEnrolmentClosed);
    }
    player->coins -= price;
    CKParam result = Success();
    result.SetCString(Field::kJobName, CString::FromUtf8(post->name));
    if (election == nullptr && post->rank > rules::kLastElectedRank) {
        m_holders[jobId] = {playerId, m_now};
        result.SetInt(Field::kHolds, 1);
        SendJobTable(kJobTable);
        SendAllApplications();
        return result;
    }
    const std::int64_t start = election != nullptr ? election->startTime : m_now + rules::kEnrolment;
    const std::int64_t end = election != nullptr ? election->endTime : start + rules::kVoting;
    m_applications.push_back(
        {m_nextApplyId++, jobId, UniteApplyJob::kCandidacy, playerId, playerId, start, end});
    result.SetInt(Field::kHolds, 0);
    SendApplications(kApplicationUpdate, {&m_applications.back()});
    return result;
}

CKParam Server::Impeach(int playerId, const CKParam& request) {
    namespace reason = rules::reason;
    const int jobId = IntField(request, Field::kTarget, 0);
    const PostDef* post = Post(jobId);
    Player* king = MutablePlayer(playerId);
    if (post == nullptr || king == nullptr) {
        return Refusal(reason::kNoSuchPost);
    }
    const int kingsPost = PostOf(playerId);
    if (kingsPost == 0 || Post(kingsPost)->rank != 0) {
        return Refusal(reason::kOnlyTheKing);
    }
    const int holder = HolderOf(jobId);
    if (holder == 0) {
        return Refusal(reason::kPostVacant);
    }
    if (holder == playerId) {
        return Refusal(reason::kKingHimself);
    }
    for (const Application& application : m_applications) {
        if (application.jobId == jobId && application.type == UniteApplyJob::kImpeachment) {
            return Refusal(reason::kAlreadyImpeached);
        }
    }
    const int price = rules::kImpeachmentFactor * m_world.ranks.at(post->rank).price;
    if (king->coins < price) {
        return Refusal(reason::kNotEnoughCoins);
    }
    king->coins -= price;
    const std::int64_t start = m_now + rules::kImpeachmentDelay;
    m_applications.push_back({m_nextApplyId++, jobId, UniteApplyJob::kImpeachment, playerId, holder, start,
                              start + rules::kImpeachmentVoting});
    SendApplications(kApplicationUpdate, {&m_applications.back()});
    return Success();
}

CKParam Server::Vote(int playerId, const CKParam& request) {
    namespace reason = rules::reason;
    const int votes = IntField(request, Field::kVotes, 0);
    Application* application = FindApplication(IntField(request, Field::kTarget, 0));
    Player* voter = MutablePlayer(playerId);
    if (votes == 0 || voter == nullptr) {
        return Refusal(reason::kNoVotes);
    }
    if (application == nullptr) {
        return Refusal(reason::kNoSuchVote);
    }
    if (m_now <= application->startTime) {
        return Refusal(reason::kVotingNotStarted);
    }
    if (m_now >= application->endTime) {
        return Refusal(reason::kVotingOver);
    }
    if (application->targetId == playerId) {
        return Refusal(application->type == UniteApplyJob::kCandidacy ? reason::kOwnCandidacy
                                                                      : reason::kOwnImpeachment);
    }
    const int ballots = std::abs(votes);
    if (voter->ballots < ballots) {
        return Refusal(reason::kNotEnoughBallots);
    }
    voter->ballots -= ballots;
    (votes > 0 ? application->agree : application->oppose) += ballots;
    CKParam entry;
    entry.SetInt(Field::kCount, 1);
    WriteApplication(entry, 0, Record(*application));
    Send(kApplicationEntry, entry);
    CKParam result = Success();
    result.SetInt(Field::kVotesUsed, ballots);
    return result;
}

CKParam Server::Mute(int playerId, const CKParam& request) {
    namespace reason = rules::reason;
    CString name;
    request.GetCString(Field::kTarget, name);
    const int post = PostOf(playerId);
    if (post == 0) {
        return Refusal(reason::kNoPostToMute);
    }
    const Player* target = FindPlayer(name.ToUtf8());
    if (target == nullptr) {
        return Refusal(reason::kNoSuchPlayer);
    }
    if (target->id == playerId) {
        return Refusal(reason::kMuteYourself);
    }
    if (const auto it = m_mutedUntil.find(target->id); it != m_mutedUntil.end() && it->second > m_now) {
        return Refusal(reason::kAlreadyMuted);
    }
    const RankRules& rank = RulesOf(post);
    int& used = m_mutesUsed[{playerId, ServerDay(m_now)}];
    if (used >= rank.mutesPerDay) {
        return Refusal(reason::kNoMutesLeft);
    }
    const int seconds =
        std::clamp(IntField(request, Field::kMuteSeconds, rank.muteSeconds), 1, rank.muteSeconds);
    m_mutedUntil[target->id] = m_now + seconds;
    CKParam result = Success();
    result.SetInt(Field::kMutesUsed, used);
    result.SetInt(Field::kMutesAllowed, rank.mutesPerDay);
    ++used;
    return result;
}

}  // namespace sim
