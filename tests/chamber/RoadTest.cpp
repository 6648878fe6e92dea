// The road of an application for a post, from the hall to the new holder's caption, as a player
// and a host live it.
#include <gtest/gtest.h>

#include "ChamberFixture.h"

namespace ChamberTest {
namespace {

using GUI::Testing::AnswerMsgBox;
using GUI::Testing::Click;
using GUI::Testing::Inspect;

class RoadTest : public ChamberTestBase {};

TEST_F(RoadTest, ApplyingForAVacantPost) {
    const int now = static_cast<int>(kNow);
    host.SetUserInfo(u"UserId=42;level=3;family=7");
    Receive(ChamberMsg::kJobTableWithClock,
            JobTable({{1, 0, u"伯爵", u"", u"东方王国", u"Price=120;Desc=主持每周的舞会"},
                      {2, 9, u"骑士", u"阿飞"}},
                     now));
    Receive(ChamberMsg::kApplicationList,
            ApplicationList({Application(7, 1, UniteApplyJob::kCandidacy, now + 600, now + 90000)}));
    EXPECT_EQ(Inspect(u"Chamber/m_GuiCommon.ArryIBNationsInco[0]")->images,
              std::vector<CString>{u"JobIncoChoose"});

    // 1. The player clicks the vacant post's nation button: its panel opens.
    ASSERT_TRUE(Click(u"Chamber/m_GuiCommon.ArryIBNations[0]"));
    EXPECT_TRUE(Visible(u"Chamber/m_GuiJobDetail.SIContain"));
    EXPECT_EQ(Text(u"Chamber/m_GuiJobDetail.SIJobPrice"), CString(u" 120 M 币"));
    EXPECT_EQ(Text(u"Chamber/m_GuiJobDetail.SIJobUserNum"), CString(u"共有 1 人参选。"));

    // 2. The player asks to apply: the host is asked about the coins, the question is shown.
    ASSERT_TRUE(Click(u"Chamber/m_GuiJobDetail.SIRequest"));
    EXPECT_EQ(host.calls, std::vector<Call>({{"OnUserHasPower", {10120}, {}}}));
    EXPECT_EQ(MessageText(), CString(u"申请当前职位需要 120 M币，是否申请？"));

    // 3. Yes: the application leaves through the host, then the answer is reported.
    ASSERT_TRUE(AnswerMsgBox(u"1"));
    const std::vector<unsigned char> request = {24, 0, 0, 0, 1,  0, 0,  0, 0, 16, 0, 0,
                                                4,  0, 0, 0, 50, 0, 20, 0, 1, 0,  0, 0};
    EXPECT_EQ(host.calls, (std::vector<Call>{{"OnUserHasPower", {10120}, {}},
                                             {"OnSendParam", {1000, 10000017}, request},
                                             {"OnMsgBox", {500, 1, 0}, {}}}));

    // 4. The server's answer: the post is the player's. The coins are reported, then congratulations.
    host.calls.clear();
    CKParam result = ResultPacket(1);
    result.SetCString(ChamberMsg::Field::kJobName, u"伯爵");
    result.SetInt(ChamberMsg::Field::kHolds, 1);
    Receive(ChamberMsg::kApplyResult, result);
    EXPECT_EQ(host.calls, std::vector<Call>({{"OnUsedCard", {10120}, {}}}));
    EXPECT_EQ(MessageText(), CString(u"恭喜您成为 伯爵 ！"));
    ASSERT_TRUE(AnswerMsgBox(u"1"));

    // 5. The new job table follows: the hall shows the new holder and the open panel follows.
    Receive(ChamberMsg::kJobTableWithClock,
            JobTable({{1, 42, u"伯爵", u"小舞", u"东方王国", u"Price=120"}}, now + 5));
    EXPECT_EQ(Inspect(u"Chamber/m_GuiCommon.ArryIBNations[0]")->images.at(0), CString(u"JobUnUser"));
    EXPECT_EQ(Text(u"Chamber/m_GuiCommon.ArryIBNationsButton[0]"), CString(u"【YEL】东方王国\n【WHI】小舞"));
    ASSERT_TRUE(Click(u"Chamber/m_GuiJobDetail.SIExit"));
    ASSERT_TRUE(Click(u"Chamber/m_GuiCommon.ArryIBNations[0]"));
    EXPECT_TRUE(Visible(u"Chamber/m_GuiJobDetailHas.SINoSendMessage"));  // the holder may now mute
}

TEST_F(RoadTest, VotingInAnElectionWithOneBallotAndWithMany) {
    const int now = static_cast<int>(kNow);
    Receive(ChamberMsg::kJobTable, JobTable({{4, 0, u"子爵"}}));
    Receive(ChamberMsg::kApplicationList,
            ApplicationList({Application(21, 4, UniteApplyJob::kCandidacy, now - 60, now + 3600),
                             Application(22, 4, UniteApplyJob::kCandidacy, now - 60, now + 3600)}));
    ASSERT_TRUE(Click(u"Chamber/m_GuiCommon.ArryIBNations[3]"));
    ASSERT_TRUE(Click(u"Chamber/m_GuiJobDetail.SIUserVotes"));
    ASSERT_TRUE(Click(u"Chamber/m_GuiJobVotes.SIExitJob1"));  // one ballot for candidate 22
    ASSERT_TRUE(Click(u"Chamber/m_GuiJobVotes.SIExitJobALL0"));
    ASSERT_TRUE(GUI::Testing::TypeText(u"m_GuiManyVotes.SICurName", u"30"));
    ASSERT_TRUE(Click(u"Chamber/m_GuiManyVotes.IBConfirm"));  // thirty for candidate 21
    EXPECT_EQ(host.Requests(),
              (std::vector<std::vector<unsigned char>>{Image(ChamberMsg::MakeVoteRequest(22, 1)),
                                                       Image(ChamberMsg::MakeVoteRequest(21, 30))}));
    CKParam result = ResultPacket(1);
    result.SetInt(ChamberMsg::Field::kVotesUsed, 30);
    Receive(ChamberMsg::kVoteResult, result);
    EXPECT_EQ(MessageText(), CString(u"投票成功！"));
    EXPECT_EQ(host.Calls("OnUsedCard"), std::vector<Call>({{"OnUsedCard", {30}, {}}}));
}

}  // namespace
}  // namespace ChamberTest
