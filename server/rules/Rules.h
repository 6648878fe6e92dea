// The server's rules in numbers and words: how long elections and impeachments last, and the
// reasons it gives when it refuses a request (shown by the screen after "申请失败，" and the like).
#pragma once

#include <cstdint>
#include <limits>
#include <string_view>
#include <utility>

namespace rules {

inline constexpr int kHour = 3600;
inline constexpr int kDay = 24 * kHour;

// The first candidate of an election opens it: one hour to enrol, then one day of voting.
inline constexpr int kEnrolment = kHour;
inline constexpr int kVoting = kDay;
// An impeachment: voting starts five minutes after the king starts it and lasts twelve hours.
inline constexpr int kImpeachmentDelay = 5 * 60;
inline constexpr int kImpeachmentVoting = 12 * kHour;
inline constexpr int kImpeachmentFactor = 3;
// Posts of this rank and above (0 the king, 1 the chancellors) always go to an election; lower
// posts go to the first applicant at once when nobody runs for them.
inline constexpr int kLastElectedRank = 1;
// Server texts (days, tenure) are in the server's time zone.
inline constexpr int kServerUtcOffset = 8 * kHour;

// Bounds that keep every sum of the engine within its type. A wallet holds 0 to this many M coins
// and ballots (the operator's starting wallets are checked against them, and the engine holds every
// wallet it is given within them); a vote asks for 1 to kMaxBallots ballots either way.
inline constexpr int kMaxCoins = 1'000'000'000;
inline constexpr int kMaxBallots = 1'000'000'000;
// A record's count of votes for, or against, never passes this: a vote that would is refused.
inline constexpr int kMaxVoteCount = std::numeric_limits<int>::max();
// Times travel as signed 32-bit seconds: the clock stops at 2038-01-19 03:14:07 UTC, and an
// election or impeachment that would end later is refused.
inline constexpr std::int64_t kLastTime = std::numeric_limits<std::int32_t>::max();

namespace reason {
inline constexpr const char* kNoSuchPost = "职位不存在";
inline constexpr const char* kPostHeld = "该职位已有人担任";
inline constexpr const char* kHoldsAPost = "您已担任其他职位";
inline constexpr const char* kAlreadyApplied = "您已申请过该职位";
inline constexpr const char* kRunsElsewhere = "您正在竞选其他职位";
inline constexpr const char* kEnrolmentClosed = "报名已截止";
inline constexpr const char* kNotEnoughCoins = "M币不足";
inline constexpr const char* kOnlyTheKing = "只有国王才能发起弹劾";
inline constexpr const char* kPostVacant = "该职位空缺，无法弹劾";
inline constexpr const char* kKingHimself = "国王不能弹劾自己";
inline constexpr const char* kAlreadyImpeached = "该职位正在被弹劾";
inline constexpr const char* kNoSuchVote = "投票对象不存在";
inline constexpr const char* kVotingNotStarted = "投票还没开始";
inline constexpr const char* kVotingOver = "投票已结束";
inline constexpr const char* kNoVotes = "票数无效";
inline constexpr const char* kVoteCountFull = "票数已达上限";
inline constexpr const char* kPastLastTime = "结束时间超出服务器时间范围";
inline constexpr const char* kNotEnoughBallots = "选票不足";
inline constexpr const char* kOwnCandidacy = "不能给自己投票";
inline constexpr const char* kOwnImpeachment = "不能对自己的弹劾投票";
inline constexpr const char* kBadMuteTime = "禁言时长无效";
inline constexpr const char* kNoPostToMute = "您没有职位，不能禁言";
inline constexpr const char* kNoSuchPlayer = "查无此人";
inline constexpr const char* kMuteYourself = "不能禁言自己";
inline constexpr const char* kAlreadyMuted = "该玩家正在禁言中";
inline constexpr const char* kNoMutesLeft = "今天的禁言次数已用完";

// Each reason's short code, stable across releases, for the server's metrics and logs' readers.
inline constexpr std::pair<const char*, const char*> kCodes[] = {
    {kNoSuchPost, "no_such_post"},
    {kPostHeld, "post_held"},
    {kHoldsAPost, "holds_a_post"},
    {kAlreadyApplied, "already_applied"},
    {kRunsElsewhere, "runs_elsewhere"},
    {kEnrolmentClosed, "enrolment_closed"},
    {kNotEnoughCoins, "not_enough_coins"},
    {kOnlyTheKing, "only_the_king"},
    {kPostVacant, "post_vacant"},
    {kKingHimself, "king_himself"},
    {kAlreadyImpeached, "already_impeached"},
    {kNoSuchVote, "no_such_vote"},
    {kVotingNotStarted, "voting_not_started"},
    {kVotingOver, "voting_over"},
    {kNoVotes, "no_votes"},
    {kVoteCountFull, "vote_count_full"},
    {kPastLastTime, "past_last_time"},
    {kNotEnoughBallots, "not_enough_ballots"},
    {kOwnCandidacy, "own_candidacy"},
    {kOwnImpeachment, "own_impeachment"},
    {kBadMuteTime, "bad_mute_time"},
    {kNoPostToMute, "no_post_to_mute"},
    {kNoSuchPlayer, "no_such_player"},
    {kMuteYourself, "mute_yourself"},
    {kAlreadyMuted, "already_muted"},
    {kNoMutesLeft, "no_mutes_left"},
};

// The code of a reason of the table; "other" for any other text.
constexpr const char* CodeOf(std::string_view reason) {
    for (const auto& [text, code] : kCodes) {
        if (reason == text) {
            return code;
        }
    }
    return "other";
}
}  // namespace reason

}  // namespace rules
