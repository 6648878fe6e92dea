// The server's answers to the four requests of the screen.
#include <algorithm>
#include <cstdlib>
#include <limits>

#include "Engine.h"
#include "Rules.h"
#include "param/ChamberMessages.h"

namespace rules {

CKParam MakeRefusal(std::string_view reason) {
    CKParam packet;
    packet.SetInt(ChamberMsg::Field::kResult, 0);
    packet.SetCString(ChamberMsg::Field::kReason, CString::FromUtf8(reason));
    return packet;
}

namespace {

using namespace ChamberMsg;

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

CKParam Engine::Apply(int playerId, const CKParam& request) {
    const int jobId = IntField(request, Field::kTarget, 0);
    const PostDef* post = Post(jobId);
    Player* player = MutablePlayer(playerId);
    if (post == nullptr || player == nullptr) {
        return MakeRefusal(reason::kNoSuchPost);
    }
    if (HolderOf(jobId) != 0) {
        return MakeRefusal(reason::kPostHeld);
    }
    if (PostOf(playerId) != 0) {
        return MakeRefusal(reason::kHoldsAPost);
    }
    for (const Application& application : m_state.applications) {
        if (application.type == UniteApplyJob::kCandidacy && application.playerId == playerId) {
            return MakeRefusal(application.jobId == jobId ? reason::kAlreadyApplied : reason::kRunsElsewhere);
        }
    }
    const int price = m_world.ranks.at(post->rank).price;
    if (player->coins < price) {
        return MakeRefusal(reason::kNotEnoughCoins);
    }
    // Enrolment is open until voting is under way: until the start time is past.
    const Application* election = RunningElection(jobId);
    if (election != nullptr && m_state.now > election->startTime) {
        return MakeRefusal(reason::kEnrolmentClosed);
    }
    if (election == nullptr && post->rank <= kLastElectedRank &&
        m_state.now + kEnrolment + kVoting > kLastTime) {
        return MakeRefusal(reason::kPastLastTime);
    }
    player->coins -= price;
    m_changes.players.insert(playerId);
    CKParam result = Success();
    result.SetCString(Field::kJobName, CString::FromUtf8(post->name));
    if (election == nullptr && post->rank > kLastElectedRank) {
        SetHolder(jobId, playerId, m_state.now);
        result.SetInt(Field::kHolds, 1);
        SendJobTable(kJobTable, kEveryone);
        SendAllApplications(kEveryone);
        return result;
    }
    const std::int64_t start = election != nullptr ? election->startTime : m_state.now + kEnrolment;
    const std::int64_t end = election != nullptr ? election->endTime : start + kVoting;
    AddApplication({m_state.nextApplyId++, jobId, UniteApplyJob::kCandidacy, playerId, playerId, start, end});
    result.SetInt(Field::kHolds, 0);
    SendApplications(kApplicationUpdate, {&m_state.applications.back()}, kEveryone);
    return result;
}

CKParam Engine::Impeach(int playerId, const CKParam& request) {
    const int jobId = IntField(request, Field::kTarget, 0);
    const PostDef* post = Post(jobId);
    Player* king = MutablePlayer(playerId);
    if (post == nullptr || king == nullptr) {
        return MakeRefusal(reason::kNoSuchPost);
    }
    const int kingsPost = PostOf(playerId);
    if (kingsPost == 0 || Post(kingsPost)->rank != 0) {
        return MakeRefusal(reason::kOnlyTheKing);
    }
    const int holder = HolderOf(jobId);
    if (holder == 0) {
        return MakeRefusal(reason::kPostVacant);
    }
    if (holder == playerId) {
        return MakeRefusal(reason::kKingHimself);
    }
    for (const Application& application : m_state.applications) {
        if (application.jobId == jobId && application.type == UniteApplyJob::kImpeachment) {
            return MakeRefusal(reason::kAlreadyImpeached);
        }
    }
    const std::int64_t price = std::int64_t{kImpeachmentFactor} * m_world.ranks.at(post->rank).price;
    if (king->coins < price) {
        return MakeRefusal(reason::kNotEnoughCoins);
    }
    if (m_state.now + kImpeachmentDelay + kImpeachmentVoting > kLastTime) {
        return MakeRefusal(reason::kPastLastTime);
    }
    king->coins -= static_cast<int>(price);
    m_changes.players.insert(playerId);
    const std::int64_t start = m_state.now + kImpeachmentDelay;
    AddApplication({m_state.nextApplyId++, jobId, UniteApplyJob::kImpeachment, playerId, holder, start,
                    start + kImpeachmentVoting});
    SendApplications(kApplicationUpdate, {&m_state.applications.back()}, kEveryone);
    return Success();
}

CKParam Engine::Vote(int playerId, const CKParam& request) {
    const int votes = IntField(request, Field::kVotes, 0);
    Application* application = FindApplication(IntField(request, Field::kTarget, 0));
    Player* voter = MutablePlayer(playerId);
    // Checked before the absolute value is taken: that of INT_MIN does not fit in an int.
    if (votes == 0 || votes < -kMaxBallots || votes > kMaxBallots || voter == nullptr) {
        return MakeRefusal(reason::kNoVotes);
    }
    if (application == nullptr) {
        return MakeRefusal(reason::kNoSuchVote);
    }
    if (m_state.now <= application->startTime) {
        return MakeRefusal(reason::kVotingNotStarted);
    }
    if (m_state.now >= application->endTime) {
        return MakeRefusal(reason::kVotingOver);
    }
    if (application->targetId == playerId) {
        return MakeRefusal(application->type == UniteApplyJob::kCandidacy ? reason::kOwnCandidacy
                                                                          : reason::kOwnImpeachment);
    }
    const int ballots = std::abs(votes);
    if (voter->ballots < ballots) {
        return MakeRefusal(reason::kNotEnoughBallots);
    }
    int& count = votes > 0 ? application->agree : application->oppose;
    if (std::int64_t{count} + ballots > kMaxVoteCount) {
        return MakeRefusal(reason::kVoteCountFull);
    }
    voter->ballots -= ballots;
    count += ballots;
    m_changes.players.insert(playerId);
    m_changes.applications.insert(application->applyId);
    CKParam entry;
    entry.SetInt(Field::kCount, 1);
    WriteApplication(entry, 0, Record(*application));
    Send(kApplicationEntry, entry, kEveryone, application->applyId);
    CKParam result = Success();
    result.SetInt(Field::kVotesUsed, ballots);
    return result;
}

CKParam Engine::Mute(int playerId, const CKParam& request) {
    CString name;
    request.GetCString(Field::kTarget, name);
    // Without a duration the mute lasts as long as the rank allows.
    const int seconds = IntField(request, Field::kMuteSeconds, std::numeric_limits<int>::max());
    if (seconds <= 0) {
        return MakeRefusal(reason::kBadMuteTime);
    }
    const int post = PostOf(playerId);
    if (post == 0) {
        return MakeRefusal(reason::kNoPostToMute);
    }
    const Player* target = FindPlayer(name.ToUtf8());
    if (target == nullptr) {
        return MakeRefusal(reason::kNoSuchPlayer);
    }
    if (target->id == playerId) {
        return MakeRefusal(reason::kMuteYourself);
    }
    if (const auto it = m_state.mutedUntil.find(target->id);
        it != m_state.mutedUntil.end() && it->second > m_state.now) {
        return MakeRefusal(reason::kAlreadyMuted);
    }
    const RankRules& rank = RulesOf(post);
    const MuteDay day{playerId, ServerDay(m_state.now)};
    int& used = m_state.mutesUsed[day];
    if (used >= rank.mutesPerDay) {
        return MakeRefusal(reason::kNoMutesLeft);
    }
    m_state.mutedUntil[target->id] = m_state.now + std::min(seconds, rank.muteSeconds);
    m_changes.mutedUntil.insert(target->id);
    m_changes.mutesUsed.insert(day);
    CKParam result = Success();
    result.SetInt(Field::kMutesUsed, used);
    result.SetInt(Field::kMutesAllowed, rank.mutesPerDay);
    ++used;
    return result;
}

}  // namespace rules
