// Every text the Chamber shows, as the player reads it. Formats take the values named beside them.
#pragma once

namespace Chamber::Text {

// Notices of the player's actions.
inline constexpr const char16_t* kJobNotFound = u"找不到职位信息！";
inline constexpr const char16_t* kCannotApply = u"不能申请当请当前职位！";
inline constexpr const char16_t* kApplyNeedsCoins = u"申请当前职位需要 %d M币，请冲值后再申请！";  // price
inline constexpr const char16_t* kApplyQuestion = u"申请当前职位需要 %d M币，是否申请？";          // price
inline constexpr const char16_t* kCannotImpeachUnselected = u"不能弹劾当请当前职位！";
inline constexpr const char16_t* kImpeachNeedsCoins = u"弹劾当前职位需要 %d M币，冲值后再弹劾！";  // price
inline constexpr const char16_t* kCannotImpeachVacant = u"不能弹劾当前职位！";
inline constexpr const char16_t* kOnlyKingImpeaches = u"国王才能弹劾此职位！";
inline constexpr const char16_t* kImpeachQuestion = u"弹劾当前职位需要 %d M币，是否弹劾？";  // price
inline constexpr const char16_t* kNoBallots = u"您的选票不够，请到商城购买！";
inline constexpr const char16_t* kVoteFailedNotice = u"投票失败！";
inline constexpr const char16_t* kImpeachVotingNotOpen = u"弹劾时间没到！";
inline constexpr const char16_t* kVotingNotOpen = u"投票时间没到！";
inline constexpr const char16_t* kCannotMute = u"不能使用禁言功能！";
inline constexpr const char16_t* kEnterName = u"请输入名称！";
inline constexpr const char16_t* kNotEnoughVotes = u"您的票数不够，请到商城购买！";
inline constexpr const char16_t* kEnterVoteCount = u"请输入选票个数！";

// Results of the requests.
inline constexpr const char16_t* kApplyFailed = u"申请失败";
inline constexpr const char16_t* kApplyFailedBecause = u"申请失败，%s";  // reason
inline constexpr const char16_t* kNowHolding = u"恭喜您成为 %s ！";      // job name
inline constexpr const char16_t* kApplied = u"恭喜您申请成功";
inline constexpr const char16_t* kImpeachFailed = u"发起弹劾失败";
inline constexpr const char16_t* kImpeachFailedBecause = u"发起弹劾失败，%s";  // reason
inline constexpr const char16_t* kImpeachStarted = u"发起弹劾成功！";
inline constexpr const char16_t* kVoteFailed = u"投票失败";
inline constexpr const char16_t* kVoteFailedBecause = u"投票失败，%s";  // reason
inline constexpr const char16_t* kVoted = u"投票成功！";
inline constexpr const char16_t* kMuteFailed = u"禁言失败";
inline constexpr const char16_t* kMuteFailedBecause = u"禁言失败，%s";  // reason
inline constexpr const char16_t* kMutedCounted =
    u"禁言成功，当前第 %d 次，今天共能使用 %d 次！";  // nth, allowed
inline constexpr const char16_t* kMuted = u"禁言成功！";

// The hall and the detail panels.
inline constexpr const char16_t* kCaption = u"【YEL】%s\n【WHI】%s";  // kingdom (7 units at most), holder
inline constexpr const char16_t* kNoHolder = u"(暂无)";
inline constexpr const char16_t* kCandidates = u"共有 %d 人参选。";  // count
inline constexpr const char16_t* kNoCandidates = u"暂时没人参选。";
inline constexpr const char16_t* kDefaultPrice = u" 200 M币";
inline constexpr const char16_t* kPriceBefore = u" ";
inline constexpr const char16_t* kPriceAfter = u" M 币";
inline constexpr const char16_t* kNoAward = u"无";
inline constexpr const char16_t* kAward = u"该王国的所有国民每盘经验增加%3.0f%%";  // bonus percent
inline constexpr const char16_t* kVotingPeriod = u"投票时间：%s 至 %s";            // start, start + 1 day
inline constexpr const char16_t* kImpeachStart = u"弹劾开始时间：";
inline constexpr const char16_t* kImpeachEnd = u"弹劾结束时间：";
inline constexpr const char16_t* kCount = u"%d";
inline constexpr const char16_t* kTimeOnly = u"%s";

}  // namespace Chamber::Text
