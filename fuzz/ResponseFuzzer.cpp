// libFuzzer target for the screen's answer to the server: arbitrary packets (and well-formed ones
// with chosen values) through SetRecParam under every id in and around 10000012 ... 10000032. The
// screen starts from a populated job table and, by the input's first choice, stays bare (before
// Create), is built and opened with one of the four detail panels open, or is built and released.
// The checks: no sanitizer report, at most one detail panel open after each packet, every request
// well-formed (the panels' buttons are clicked at the end, so that what the packets left behind
// is acted on). Every input ends with the screen destroyed.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>

#include "OrnDanceChamberTesting.h"
#include "RequestCheck.h"
#include "ServerPackets.h"
#include "chamber/CGuiDanceChamber.h"
#include "chamber/ChamberClock.h"
#include "param/ChamberMessages.h"
#include "param/ChamberRecords.h"

namespace {

using ChamberSession::kBaseTime;
using GUI::Testing::Click;

void Check(bool condition, const std::string& what) {
    if (!condition) {
        std::fprintf(stderr, "response fuzzer: %s\n", what.c_str());
        std::abort();
    }
}

class CheckingHost : public CGuiDanceChamber {
public:
    int OnSendParam(int channel, int id, CKParam& packet) override {
        const std::string wrong = ChamberModel::CheckRequest(channel, id, packet);
        Check(wrong.empty(), "request " + std::to_string(id) + ": " + wrong);
        return 0;
    }
    bool OnUserHasPower(int) override { return true; }
};

// Posts 1 to 15: odd ones vacant, even ones held (post 2 by the player). Each has one running
// application: a candidacy under way for the vacant ones and post 4, an impeachment for the other
// held ones.
void Populate(CGuiDanceChamber& host) {
    CKParam table;
    CKParam lists;
    table.SetInt(ChamberMsg::Field::kCount, 15);
    lists.SetInt(ChamberMsg::Field::kCount, 15);
    for (int entry = 0; entry < 15; ++entry) {
        const int jobId = entry + 1;
        ChamberJob job;
        job.jobId = jobId;
        job.jobName = u"职位";
        job.jobRank = entry % 4;
        job.holderId = jobId % 2 == 1 ? 0 : jobId == 2 ? ChamberSession::kPlayerId : 100 + jobId;
        job.holderName = u"玩家";
        job.kingdomName = u"东方王国";
        job.extraData = u"Price=5;Awards=1.2;Power=治安";
        WriteJob(table, entry, job);
        UniteApplyJob application;
        application.applyId = jobId;
        application.jobId = jobId;
        const bool candidacy = jobId % 2 == 1 || jobId == 4;
        application.applyType = candidacy ? UniteApplyJob::kCandidacy : UniteApplyJob::kImpeachment;
        application.startTime = kBaseTime - 100;
        application.endTime = kBaseTime + 100;
        application.userName = u"候选人";
        WriteApplication(lists, entry, application);
    }
    table.SetInt(ChamberMsg::Field::kClock, kBaseTime);
    host.SetRecParam(0, ChamberMsg::kJobTableWithClock, table);
    host.SetRecParam(0, ChamberMsg::kApplicationList, lists);
}

int OpenDetailPanels() {
    int open = 0;
    for (const char16_t* container :
         {u"Chamber/m_GuiJobDetail.SIContain", u"Chamber/m_GuiJobDetailHas.SIContain",
          u"Chamber/m_GuiJobVotes.SIContain", u"Chamber/m_GuiExitJobVotes.SIContain"}) {
        const auto info = GUI::Testing::Inspect(container);
        open += info && info->visible ? 1 : 0;
    }
    return open;
}

// Builds and opens the screen with the panel of `stage` open: 1 a vacant post, 2 its vote list,
// 3 the impeachment of the player's post, 4 a held post.
void OpenPanel(CGuiDanceChamber& host, int stage) {
    host.Create(nullptr);
    host.Show(true);
    constexpr const char16_t* kSlots[] = {
        u"Chamber/m_GuiCommon.ArryIBNations[0]", u"Chamber/m_GuiCommon.ArryIBNations[0]",
        u"Chamber/m_GuiCommon.ArryIBNations[1]", u"Chamber/m_GuiCommon.ArryIBNations[3]"};
    Click(kSlots[stage - 1]);
    if (stage == 2) Click(u"Chamber/m_GuiJobDetail.SIUserVotes");
    Check(OpenDetailPanels() == 1, "the panel of stage " + std::to_string(stage) + " did not open");
}

// Clicks the action buttons of every panel (those of the open one answer), saying yes to any
// question, so that what the packets left in the records is acted on.
void ClickEverything() {
    for (const char16_t* button :
         {u"Chamber/m_GuiJobDetail.SIRequest", u"Chamber/m_GuiJobDetailHas.SIExitJob",
          u"Chamber/m_GuiExitJobVotes.SIExitJob", u"Chamber/m_GuiExitJobVotes.SIExitJobOppose",
          u"Chamber/m_GuiJobVotes.SIExitJob0", u"Chamber/m_GuiJobVotes.SIExitJobOppose3",
          u"Chamber/m_GuiJobDetail.SIUserVotes", u"Chamber/m_GuiJobDetailHas.SIUserVotes"}) {
        Click(button);
        GUI::Testing::AnswerMsgBox(u"1");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ChamberSession::ByteChoices choices(std::span(data, size));
    ChamberSession::ServerPackets packets(choices);
    SetLocalClockSource([] { return kBaseTime; });
    {
        CheckingHost host;
        host.SetUserInfo(u"UserId=8;level=1;family=4");
        Populate(host);
        const int stage = choices.Int(0, 5);
        if (stage >= 1 && stage <= 4) OpenPanel(host, stage);
        if (stage == 5) {
            host.Create(nullptr);
            host.Release();
        }
        while (!choices.Exhausted()) {
            int id = 0;
            const CKParam packet = choices.Int(0, 3) == 0 ? packets.Message(id) : packets.Arbitrary();
            if (choices.Int(0, 3) != 0) id = packets.IncomingId();
            Check(host.SetRecParam(0, id, packet) == 0, "SetRecParam did not answer 0");
            Check(OpenDetailPanels() <= 1, "more than one detail panel is open");
        }
        ClickEverything();
    }
    SetLocalClockSource({});
    GUI::Testing::AdvanceTime(0);
    return 0;
}
