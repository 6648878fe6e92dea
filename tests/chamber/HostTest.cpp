// Hosts of every kind: one that keeps every default callback, and hosts that call back into the
// module from inside a callback, as a host may do whenever it is called: releasing the screen
// while it is asked for ballots or coins, while it receives a request, or when the player exits.
#include <gtest/gtest.h>

#include <functional>
#include <utility>

#include "ChamberFixture.h"
#include "chamber/ChamberClock.h"

namespace ChamberTest {
namespace {

using GUI::Testing::AnswerMsgBox;
using GUI::Testing::Click;
using GUI::Testing::PressKey;
using GUI::Testing::TypeText;

constexpr int now = static_cast<int>(kNow);

// Posts: 1 vacant, priced 5; 2 held by the player (8); 3 held by player 9 under impeachment 31.
void Populate(CGuiDanceChamber& facade) {
    facade.SetRecParam(0, ChamberMsg::kJobTable,
                       JobTable({{1, 0, u"伯爵", u"", u"东方王国", u"Price=5"},
                                 {2, 8, u"骑士", u"小舞", u"东方王国", u"", 2},
                                 {3, 9, u"男爵", u"阿飞"}}));
    facade.SetRecParam(
        0, ChamberMsg::kApplicationList,
        ApplicationList({Application(31, 3, UniteApplyJob::kImpeachment, now - 100, now + 900)}));
    facade.SetUserInfo(u"UserId=8;level=1;family=4");
}

class ClockedTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("TZ", "UTC", 1);
        tzset();
        SetLocalClockSource([] { return kNow; });
    }
    void TearDown() override { SetLocalClockSource({}); }
};

using DefaultHostTest = ClockedTest;

TEST_F(DefaultHostTest, NothingCostlyGoesThroughAndEveryCallbackIsHarmless) {
    CGuiDanceChamber facade;
    ASSERT_EQ(facade.Create(nullptr), 0);
    ASSERT_EQ(facade.Show(true), 0);
    Populate(facade);

    ASSERT_TRUE(Click(u"Chamber/m_GuiCommon.ArryIBNations[0]"));
    ASSERT_TRUE(Click(u"Chamber/m_GuiJobDetail.SIRequest"));
    EXPECT_EQ(Text(u"Chamber/m_GuiCommon.m_pMsgbox"), CString(u"申请当前职位需要 5 M币，请冲值后再申请！"));
    ASSERT_TRUE(AnswerMsgBox(u"1"));

    // A mute needs no payment: it goes to the default OnSendParam and the dialog closes.
    PressKey(0x44);
    ASSERT_TRUE(TypeText(u"Chamber/m_GuiToolsChangeName.SICurName", u"阿飞"));
    ASSERT_TRUE(Click(u"Chamber/m_GuiToolsChangeName.IBConfirm"));
    EXPECT_FALSE(Visible(u"Chamber/m_GuiToolsChangeName.SIContain"));
    EXPECT_EQ(Widget(u"Chamber/m_GuiToolsChangeName.IBConfirm").id, -1);

    // Exit is the host's decision: by default the screen stays.
    ASSERT_TRUE(Click(u"Chamber/m_GuiCommon.IBSystemExit"));
    EXPECT_TRUE(Visible(u"Chamber/m_GuiCommon.SIContain"));
    facade.SetRecParam(0, ChamberMsg::kVoteResult, ResultPacket(1));
    EXPECT_EQ(Text(u"Chamber/m_GuiCommon.m_pMsgbox"), CString(u"投票成功！"));
    int id = 0;
    EXPECT_EQ(facade.OnQueryInterface(id, nullptr, 0, nullptr), 0x80004005);
    EXPECT_EQ(facade.SetQueryInterfaceChamber(id, nullptr, 0, nullptr, 1, 2), 0);
    facade.Release();
}

// A recording host that calls back into the module once, from inside the next callback armed.
class ReenteringHost : public RecordingHost {
public:
    std::function<void()> onPower;
    std::function<void()> onSend;
    std::function<void()> onExit;

    bool OnUserHasPower(int code) override {
        const bool answer = RecordingHost::OnUserHasPower(code);
        if (auto reenter = std::exchange(onPower, nullptr)) reenter();
        return answer;
    }
    int OnSendParam(int channel, int id, CKParam& packet) override {
        RecordingHost::OnSendParam(channel, id, packet);
        if (auto reenter = std::exchange(onSend, nullptr)) reenter();
        return 0;
    }
    void OnExit() override {
        RecordingHost::OnExit();
        if (auto reenter = std::exchange(onExit, nullptr)) reenter();
    }
};

class ReenteringHostTest : public ClockedTest {
protected:
    void SetUp() override {
        ClockedTest::SetUp();
        ASSERT_EQ(host.Create(nullptr), 0);
        ASSERT_EQ(host.Show(true), 0);
        Populate(host);
    }
    void TearDown() override {
        host.Release();
        ClockedTest::TearDown();
    }

    // Opens the many-votes dialog of impeachment 31 with a count typed.
    void TypeManyVotes(const char16_t* count) {
        ASSERT_TRUE(Click(u"Chamber/m_GuiCommon.ArryIBNations[2]"));
        ASSERT_TRUE(Click(u"Chamber/m_GuiExitJobVotes.SIExitJobOpposeAll"));
        ASSERT_TRUE(TypeText(u"m_GuiManyVotes.SICurName", count));
        host.calls.clear();
    }
    void ReleaseScreen() { EXPECT_EQ(host.Release(), 0); }
    bool Bare() { return host.Show(true) == -1; }

    ReenteringHost host;
};

TEST_F(ReenteringHostTest, ReleasingWhileAskedForBallotsSendsNoVote) {
    TypeManyVotes(u"3");
    host.onPower = [this] { ReleaseScreen(); };
    ASSERT_TRUE(Click(u"Chamber/m_GuiManyVotes.IBConfirm"));
    EXPECT_EQ(host.calls, (std::vector<Call>{{"OnUserHasPower", {3}, {}}}));
    EXPECT_TRUE(Bare());
}

TEST_F(ReenteringHostTest, ReleasingWhileReceivingTheVoteEndsTheVote) {
    TypeManyVotes(u"3");
    host.onSend = [this] { ReleaseScreen(); };
    ASSERT_TRUE(Click(u"Chamber/m_GuiManyVotes.IBConfirm"));
    EXPECT_EQ(host.Requests(),
              std::vector<std::vector<unsigned char>>{Image(ChamberMsg::MakeVoteRequest(31, -3))});
    EXPECT_TRUE(Bare());
}

TEST_F(ReenteringHostTest, ReleasingWhileAskedForCoinsAsksNothing) {
    ASSERT_TRUE(Click(u"Chamber/m_GuiCommon.ArryIBNations[0]"));
    host.onPower = [this] { ReleaseScreen(); };
    ASSERT_TRUE(Click(u"Chamber/m_GuiJobDetail.SIRequest"));
    EXPECT_TRUE(Bare());
    ASSERT_EQ(host.Create(nullptr), 0);
    EXPECT_FALSE(Visible(u"Chamber/m_GuiCommon.m_pMsgbox"));
}

TEST_F(ReenteringHostTest, ReleasingOnExitByButtonOrKey) {
    host.onExit = [this] { ReleaseScreen(); };
    ASSERT_TRUE(Click(u"Chamber/m_GuiCommon.IBSystemExit"));
    EXPECT_TRUE(Bare());

    ASSERT_EQ(host.Create(nullptr), 0);
    host.onExit = [this] { ReleaseScreen(); };
    PressKey(0x58);
    EXPECT_TRUE(Bare());
    EXPECT_EQ(host.Calls("OnExit").size(), 2u);
}

}  // namespace
}  // namespace ChamberTest
