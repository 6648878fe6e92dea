#include "ChamberFixture.h"

#include <cstdlib>
#include <ctime>
#include <ostream>

#include "chamber/ChamberClock.h"
#include "gui/GuiRuntime.h"

namespace ChamberTest {

void PrintTo(const Call& call, std::ostream* out) {
    *out << call.name << "(";
    for (std::size_t i = 0; i < call.args.size(); ++i)
        *out << (i ? ", " : "") << call.args[i];
    *out << ")";
    if (!call.packet.empty()) *out << " with a " << call.packet.size() << "-byte packet";
}

void RecordingHost::OnExit() {
    calls.push_back({"OnExit", {}, {}});
}

int RecordingHost::OnMsgBox(int type, int answer, int third) {
    calls.push_back({"OnMsgBox", {type, answer, third}, {}});
    return 0;
}

int RecordingHost::OnSendParam(int channel, int id, CKParam& packet) {
    calls.push_back({"OnSendParam", {channel, id}, Image(packet)});
    return 0;
}

bool RecordingHost::OnUserHasPower(int code) {
    calls.push_back({"OnUserHasPower", {code}, {}});
    return hasPower;
}

int RecordingHost::OnUsedCard(int code) {
    calls.push_back({"OnUsedCard", {code}, {}});
    const auto box = GUI::Testing::Inspect(u"Chamber/m_GuiCommon.m_pMsgbox");
    messageAtUsedCard.push_back(box && box->boxId ? box->text : CString());
    return 0;
}

std::vector<Call> RecordingHost::Calls(const std::string& name) const {
    std::vector<Call> found;
    for (const Call& call : calls) {
        if (call.name == name) found.push_back(call);
    }
    return found;
}

std::vector<std::vector<unsigned char>> RecordingHost::Requests() const {
    std::vector<std::vector<unsigned char>> images;
    for (const Call& call : Calls("OnSendParam"))
        images.push_back(call.packet);
    return images;
}

CKParam JobTable(const std::vector<JobRow>& jobs, std::optional<int> clock) {
    CKParam packet;
    packet.SetInt(ChamberMsg::Field::kCount, static_cast<int>(jobs.size()));
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        const JobRow& row = jobs[i];
        ChamberJob job;
        job.jobId = row.jobId;
        job.holderId = row.holderId;
        job.jobName = row.jobName;
        job.holderName = row.holderName;
        job.kingdomName = row.kingdomName;
        job.extraData = row.extraData;
        job.jobRank = row.jobRank;
        job.jobTime = u"2023-01-01";
        WriteJob(packet, static_cast<int>(i), job);
    }
    if (clock) packet.SetInt(ChamberMsg::Field::kClock, *clock);
    return packet;
}

UniteApplyJob Application(int applyId, int jobId, int type, int start, int end) {
    UniteApplyJob application;
    application.applyId = applyId;
    application.jobId = jobId;
    application.applyType = type;
    application.startTime = start;
    application.endTime = end;
    application.userName = u"候选人" + CString(std::u16string(1, static_cast<char16_t>(u'0' + applyId % 10)));
    application.kingdomName = u"西方王国";
    application.actionUserName = u"国王";
    application.agreeVotes = applyId * 10;
    application.opposeVotes = applyId;
    return application;
}

CKParam ApplicationList(const std::vector<UniteApplyJob>& applications) {
    CKParam packet;
    packet.SetInt(ChamberMsg::Field::kCount, static_cast<int>(applications.size()));
    for (std::size_t i = 0; i < applications.size(); ++i)
        WriteApplication(packet, static_cast<int>(i), applications[i]);
    return packet;
}

CKParam ResultPacket(int result, const char16_t* reason) {
    CKParam packet;
    packet.SetInt(ChamberMsg::Field::kResult, result);
    if (reason) packet.SetCString(ChamberMsg::Field::kReason, reason);
    return packet;
}

std::vector<unsigned char> Image(const CKParam& packet) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(packet.GetBufferPtr());
    return {bytes, bytes + packet.GetLength()};
}

void ChamberTestBase::SetUp() {
    setenv("TZ", "UTC", 1);
    tzset();
    SetLocalClockSource([this] { return clock; });
    ASSERT_EQ(host.Create(nullptr), 0);
    ASSERT_EQ(host.Show(true), 0);
}

void ChamberTestBase::TearDown() {
    host.Release();
    SetLocalClockSource({});
}

void ChamberTestBase::SetClock(std::int64_t now) {
    clock = now;
}

GUI::Testing::WidgetInfo Widget(const CString& name) {
    const auto info = GUI::Testing::Inspect(name);
    if (!info) ADD_FAILURE() << "no widget " << name.ToUtf8();
    return info.value_or(GUI::Testing::WidgetInfo{});
}

bool ChamberTestBase::MessageShown() const {
    return Visible(u"Chamber/m_GuiCommon.m_pMsgbox");
}

CString ChamberTestBase::MessageText() const {
    return MessageShown() ? Text(u"Chamber/m_GuiCommon.m_pMsgbox") : CString();
}

int ChamberTestBase::MessageBoxId() const {
    return Widget(u"Chamber/m_GuiCommon.m_pMsgbox").boxId.value_or(-1);
}

int ChamberTestBase::OpenDetailPanels() const {
    int open = 0;
    for (const char16_t* name :
         {u"Chamber/m_GuiJobDetail.SIContain", u"Chamber/m_GuiJobDetailHas.SIContain",
          u"Chamber/m_GuiJobVotes.SIContain", u"Chamber/m_GuiExitJobVotes.SIContain"}) {
        open += Visible(name) ? 1 : 0;
    }
    return open;
}

}  // namespace ChamberTest
