#include "Session.h"

#include <CEGUI/Font.h>
#include <CEGUI/FontManager.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <utility>

#include "OrnDanceChamberTesting.h"
#include "RequestCheck.h"
#include "chamber/ChamberClock.h"
#include "param/ChamberRecords.h"
#include "gui/GuiRuntime.h"
#include "param/ChamberMessages.h"

namespace ChamberSession {

namespace {

using GUI::Testing::Inspect;
using GUI::Testing::WidgetInfo;

constexpr int kSlots = 15;
constexpr int kVoteRows = 4;
constexpr int kCandidacy = UniteApplyJob::kCandidacy;
constexpr int kImpeachment = UniteApplyJob::kImpeachment;
constexpr const char* kNationPrefix = "Chamber/m_GuiCommon.ArryIBNations[";
// The texts typed into the edit boxes unless any text may be typed.
constexpr const char16_t* kTyped[] = {u"12", u"-5", u"0", u"abc", u"12abc", u" ", u"小舞", u""};
// Two of the moves of Step.
constexpr int kCreate = 0;
constexpr int kAnswer = 16;

CString Name(const std::string& utf8) {
    return CString::FromUtf8(utf8);
}

CString Indexed(const char* format, int index) {
    std::string name = format;
    name.replace(name.find("%d"), 2, std::to_string(index));
    return Name(name);
}

WidgetInfo Widget(const CString& name) {
    return Inspect(name).value_or(WidgetInfo{});
}

// The job id of a nation button's name (its slot + 1), or 0 for any other name.
int NationJob(const CString& name) {
    const std::string utf8 = name.ToUtf8();
    if (!utf8.starts_with(kNationPrefix)) return 0;
    return std::stoi(utf8.substr(std::string(kNationPrefix).size())) + 1;
}

std::string Quoted(const CString& text) {
    return "\"" + text.ToUtf8() + "\"";
}

struct Names {
    std::vector<CString> all;
    std::vector<CString> clickable;
};

// The names of the widgets, and of those with a click group.
Names ReadNames() {
    Names names;
    for (const WidgetInfo& widget : GUI::Testing::Widgets()) {
        names.all.push_back(widget.name);
        if (widget.clickGroup) names.clickable.push_back(widget.name);
    }
    return names;
}

const Names& ChamberNames() {
    static const Names names = [] {
        CGuiDanceChamber facade;
        facade.Create(nullptr);
        Names read = ReadNames();
        facade.Release();
        return read;
    }();
    return names;
}

}  // namespace

// The host: checks each request against the catalogue and runs the armed re-entry from whichever
// callback comes first.
class SessionHost : public CGuiDanceChamber {
public:
    explicit SessionHost(Session& session) : m_session(session) {}

    void OnExit() override { m_session.Reenter(); }
    int OnMsgBox(int, int, int) override {
        m_session.Reenter();
        return 0;
    }
    int OnSendParam(int channel, int id, CKParam& packet) override {
        if (const std::string wrong = ChamberModel::CheckRequest(channel, id, packet); !wrong.empty())
            m_session.Fail("request " + std::to_string(id) + ": " + wrong);
        ++m_session.m_requests;
        m_session.Reenter();
        return 0;
    }
    bool OnUserHasPower(int) override {
        m_session.Reenter();
        return m_session.m_power;
    }
    int OnUsedCard(int) override {
        m_session.Reenter();
        return 0;
    }

private:
    Session& m_session;
};

const std::vector<CString>& Session::WidgetNames() {
    return ChamberNames().all;
}

const std::vector<CString>& Session::ClickableNames() {
    return ChamberNames().clickable;
}

Session::Session(Choices& choices, Glyphs glyphs) : m_choices(choices), m_glyphs(glyphs), m_packets(choices) {
    ChamberNames();
    SetLocalClockSource([this] { return m_clock; });
    m_host = std::make_unique<SessionHost>(*this);
}

Session::~Session() {
    m_host.reset();
    SetLocalClockSource({});
}

void Session::Fail(const std::string& what) {
    if (m_failure.empty()) m_failure = what;
}

std::string Session::Step() {
    m_failure.clear();
    // A question covers every other widget, and a screen is mostly built: sessions keep moving.
    int move = m_choices.Int(0, 23);
    if (m_built && Widget(u"Chamber/m_GuiCommon.m_pMsgbox").boxId && m_choices.Flag()) {
        move = kAnswer;
    } else if (!m_built && m_choices.Int(0, 2) == 0) {
        move = kCreate;
    }
    switch (move) {
        case kCreate:
            if (m_host->Create(nullptr) != (m_built ? -1 : 0)) Fail("Create answered wrongly");
            m_built = true;
            break;
        case 1: {
            const bool opens = m_built && !m_shown;
            if (m_host->Show(true) != (m_built ? 0 : -1)) Fail("Show(true) answered wrongly");
            m_shown = m_built;
            if (opens && m_failure.empty()) Fail(CheckNationButtons(m_model.ServerNow(m_clock)));
            break;
        }
        case 2:
            if (m_host->Show(false) != (m_built ? 0 : -1)) Fail("Show(false) answered wrongly");
            m_shown = false;
            break;
        case 3:
            m_host->Release();
            m_built = m_shown = false;
            break;
        case 4: {
            constexpr const char16_t* kIdentities[] = {
                u"UserId=8;level=1;family=4", u"UserId=9;level=2;family=0", u"UserId=abc;level=1;family=-3"};
            m_host->SetUserInfo(m_choices.Flag() ? CString(m_choices.Pick(kIdentities)) : m_packets.Text());
            break;
        }
        case 5: {
            const int types[] = {0, 7, 500, 501, m_choices.Int(-2, 1000)};
            const bool built = m_built;
            if (m_host->MsgBox(m_packets.Text(), m_choices.Pick(types), m_choices.Int(-1, 1)) !=
                (built ? 0 : -1))
                Fail("MsgBox answered wrongly");
            break;
        }
        case 6:
        case 7:
        case 8:
        case 9: {
            int id = 0;
            const CKParam packet = m_packets.Message(id);
            Receive(id, packet);
            break;
        }
        case 10:
        case 11: {
            const int id = m_packets.IncomingId();
            Receive(id, m_packets.Arbitrary());
            break;
        }
        case 12:
        case 13:
        case 14:
        case 15:
            Click();
            break;
        case kAnswer: {
            constexpr const char16_t* kAnswers[] = {u"1", u"1", u"0", u"2", u"abc"};
            GUI::Testing::AnswerMsgBox(m_choices.Int(0, 3) != 0 ? CString(m_choices.Pick(kAnswers))
                                                                : m_packets.Text());
            break;
        }
        case 17: {
            constexpr const char16_t* kBoxes[] = {u"Chamber/m_GuiToolsChangeName.SICurName",
                                                  u"m_GuiManyVotes.SICurName"};
            const CString box = m_choices.Pick(kBoxes);
            const bool anyText = m_glyphs == Glyphs::Any && m_choices.Int(0, 3) == 0;
            GUI::Testing::TypeText(box, anyText ? m_packets.Text() : CString(m_choices.Pick(kTyped)));
            break;
        }
        case 18: {
            const int keys[] = {0x44, 0x57, 0x58, m_choices.Int(0, 255)};
            GUI::Testing::PressKey(m_choices.Pick(keys));
            break;
        }
        case 19:
            MoveClock();
            break;
        case 20:
            GUI::Testing::AdvanceTime(m_choices.Int(0, 3000));
            break;
        case 21:
            ArmHost();
            break;
        case 22:
            LookAtPost();
            break;
        default:
            if (m_glyphs == Glyphs::Any) GUI::Runtime::Render();
            break;
    }
    if (m_failure.empty() && m_built) Fail(CheckPanels());
    if (m_failure.empty() && m_built) Fail(CheckVoteList());
    return m_failure;
}

void Session::Receive(int messageId, const CKParam& packet) {
    // A job table with a clock refreshes the buttons on the clock as it stood before it.
    const int now = m_model.ServerNow(m_clock);
    m_model.Receive(messageId, packet, m_clock);
    const bool built = m_built;
    m_host->SetRecParam(0, messageId, packet);
    constexpr int kRefreshing[] = {ChamberMsg::kJobTableWithClock, ChamberMsg::kApplicationList,
                                   ChamberMsg::kJobTable, ChamberMsg::kApplicationUpdate};
    if (built &&
        std::find(std::begin(kRefreshing), std::end(kRefreshing), messageId) != std::end(kRefreshing))
        Fail(CheckNationButtons(now));
}

void Session::Click() {
    const std::vector<CString>& names = m_choices.Int(0, 9) < 7 ? ClickableNames() : WidgetNames();
    const auto index =
        static_cast<std::size_t>(m_choices.Range(0, static_cast<std::int64_t>(names.size()) - 1));
    ClickNation(names[index], m_choices.Int(0, 3) == 0);
}

void Session::ClickNation(const CString& name, bool right) {
    const int jobId = NationJob(name);
    if (!GUI::Testing::Click(name, right) || jobId == 0) return;
    // The click opened the post's panel: a vacant post's list is pruned first.
    m_model.ClickNation(jobId, m_clock);
    const int now = m_model.ServerNow(m_clock);
    const ChamberModel::Job* job = m_model.Find(jobId);
    if (!job) {
        if (Widget(u"Chamber/m_GuiCommon.m_pMsgbox").text != CString(u"找不到职位信息！"))
            Fail("a post without a record gave no notice");
        return;
    }
    CString expectedOpen = u"Chamber/m_GuiJobDetail.SIContain";
    if (job->Held()) {
        expectedOpen = job->FirstRunning(kImpeachment, now) ? u"Chamber/m_GuiExitJobVotes.SIContain"
                                                            : u"Chamber/m_GuiJobDetailHas.SIContain";
    } else {
        int running = 0;
        for (const ChamberModel::Application& application : job->applications)
            running += application.applyType == kCandidacy && application.endTime > now ? 1 : 0;
        const CString count =
            running > 0 ? Name("共有 " + std::to_string(running) + " 人参选。") : CString(u"暂时没人参选。");
        const CString shown = Widget(u"Chamber/m_GuiJobDetail.SIJobUserNum").text;
        if (shown != count)
            Fail("the vacant post's panel counts " + Quoted(shown) + ", the model " + Quoted(count));
    }
    if (!Widget(expectedOpen).visible)
        Fail("a click on post " + std::to_string(jobId) + " did not open " + expectedOpen.ToUtf8());
}

void Session::LookAtPost() {
    const int slot = m_choices.Int(0, kSlots - 1);
    GUI::Testing::PressKey(0x57);
    if (m_failure.empty() && Widget(u"Chamber/m_GuiCommon.m_pMsgbox").boxId) GUI::Testing::AnswerMsgBox(u"0");
    if (m_failure.empty()) ClickNation(Name(kNationPrefix + std::to_string(slot) + "]"), false);
    if (m_failure.empty() && Widget(u"Chamber/m_GuiJobDetail.SIContain").visible && m_choices.Flag())
        GUI::Testing::Click(u"Chamber/m_GuiJobDetail.SIUserVotes");
    // Then act on it as a player would, saying yes to a question.
    constexpr const char16_t* kActions[] = {
        u"Chamber/m_GuiJobDetail.SIRequest",         u"Chamber/m_GuiJobDetailHas.SIExitJob",
        u"Chamber/m_GuiExitJobVotes.SIExitJob",      u"Chamber/m_GuiExitJobVotes.SIExitJobOppose",
        u"Chamber/m_GuiJobVotes.SIExitJob0",         u"Chamber/m_GuiJobVotes.SIExitJobOppose1",
        u"Chamber/m_GuiJobDetailHas.SINoSendMessage"};
    if (m_failure.empty() && GUI::Testing::Click(m_choices.Pick(kActions)) && m_failure.empty() &&
        Widget(u"Chamber/m_GuiCommon.m_pMsgbox").boxId)
        GUI::Testing::AnswerMsgBox(u"1");
}

void Session::Settle() {
    m_reentry = Reentry::None;
    m_power = true;
    m_host->Release();
    m_built = m_shown = false;
    CKParam table;
    table.SetInt(ChamberMsg::Field::kCount, 19);
    for (int jobId = -1; jobId <= 17; ++jobId) {
        const int entry = jobId + 1;
        table.SetInt(ChamberMsg::EntryField(entry, 0), jobId);
        table.SetCString(ChamberMsg::EntryField(entry, 1), u"职位");
    }
    Receive(ChamberMsg::kJobTable, table);
    m_host->SetUserInfo(u"UserId=8;level=1;family=4");
    m_host->Create(nullptr);
    m_host->Show(true);
    m_built = m_shown = true;
    // The windows of the unloaded trees are destroyed and freed as time passes.
    GUI::Testing::FinishDisposal();
    // Every font rasterises the glyphs of the fixed typed texts now, not when a caret is first
    // placed among them.
    for (auto font = CEGUI::FontManager::getSingleton().getIterator(); !font.isAtEnd(); ++font) {
        for (const char16_t* typed : kTyped) {
            CEGUI::String text;
            SetMFCCStringToString(typed, text);
            font.getCurrentValue()->getTextExtent(text);
        }
    }
}

void Session::MoveClock() {
    switch (m_choices.Int(0, 3)) {
        case 0:
            m_clock += std::int64_t{m_choices.Int(-3, 3)} * 600;
            break;
        case 1:
            m_clock += m_choices.Int(-2, 2);
            break;
        case 2: {
            constexpr int kJumps[] = {86400, -86400, 3600};
            m_clock += m_choices.Pick(kJumps);
            break;
        }
        default: {
            // The epoch, before it, past 32 bits, and back.
            constexpr std::int64_t kClocks[] = {kBaseTime, 0, -1, 0x80000010LL, 0x100000000LL + kBaseTime};
            m_clock = m_choices.Pick(kClocks);
            break;
        }
    }
}

void Session::ArmHost() {
    constexpr Reentry kReentries[] = {Reentry::None,    Reentry::None,  Reentry::Release,
                                      Reentry::Rebuild, Reentry::Close, Reentry::Message};
    m_power = m_choices.Int(0, 3) != 0;
    m_reentry = m_choices.Pick(kReentries);
}

void Session::Reenter() {
    switch (std::exchange(m_reentry, Reentry::None)) {
        case Reentry::Release:
            m_host->Release();
            m_built = m_shown = false;
            break;
        case Reentry::Rebuild:
            m_host->Release();
            m_host->Create(nullptr);
            m_host->Show(true);
            m_built = m_shown = true;
            break;
        case Reentry::Close:
            m_host->Show(false);
            m_shown = false;
            break;
        case Reentry::Message: {
            int id = 0;
            const CKParam packet = m_packets.Message(id);
            Receive(id, packet);
            break;
        }
        case Reentry::None:
            break;
    }
}

std::string Session::CheckPanels() const {
    constexpr const char16_t* kContainers[] = {
        u"Chamber/m_GuiJobDetail.SIContain", u"Chamber/m_GuiJobDetailHas.SIContain",
        u"Chamber/m_GuiJobVotes.SIContain", u"Chamber/m_GuiExitJobVotes.SIContain"};
    int open = 0;
    for (const char16_t* container : kContainers)
        open += Widget(container).visible ? 1 : 0;
    if (open > 1) return std::to_string(open) + " detail panels are open";
    // The panels that follow the data show the current record of a post.
    for (const char16_t* field :
         {u"Chamber/m_GuiJobDetail.SIJobName", u"Chamber/m_GuiExitJobVotes.SIJobName"}) {
        const CString panel = CString(field).Left(CString(field).View().find(u'.')) + CString(u".SIContain");
        if (!Widget(panel).visible) continue;
        const CString shown = Widget(field).text;
        bool found = false;
        for (const auto& [id, job] : m_model.Jobs())
            found = found || job.jobName == shown;
        if (!found) return panel.ToUtf8() + " shows " + Quoted(shown) + ", the name of no post";
    }
    return {};
}

std::string Session::CheckVoteList() const {
    if (!Widget(u"Chamber/m_GuiJobVotes.SIContain").visible) return {};
    struct Row {
        bool shown;
        int applyId;
        CString jobName;
        CString userName;
    };
    std::vector<Row> rows;
    for (int r = 0; r < kVoteRows; ++r) {
        const WidgetInfo vote = Widget(Indexed("Chamber/m_GuiJobVotes.SIExitJob%d", r));
        rows.push_back({vote.visible, vote.id, Widget(Indexed("Chamber/m_GuiJobVotes.SIJobName%d", r)).text,
                        Widget(Indexed("Chamber/m_GuiJobVotes.SIUserName%d", r)).text});
    }
    std::size_t shown = 0;
    while (shown < rows.size() && rows[shown].shown)
        ++shown;
    for (std::size_t r = shown; r < rows.size(); ++r) {
        if (rows[r].shown || rows[r].applyId != -1)
            return "vote-list row " + std::to_string(r) + " is shown or keeps an id after an empty row";
    }
    // Some post's list starts with exactly the rows shown.
    for (const auto& [id, job] : m_model.Jobs()) {
        const auto& list = job.applications;
        if (shown < rows.size() ? list.size() != shown : list.size() < shown) continue;
        bool same = true;
        for (std::size_t r = 0; r < shown && same; ++r) {
            same = rows[r].jobName == job.jobName && rows[r].applyId == list[r].applyId &&
                   rows[r].userName == list[r].userName;
        }
        if (same) return {};
    }
    std::string described;
    for (std::size_t r = 0; r < shown; ++r)
        described += " " + std::to_string(rows[r].applyId) + ":" + Quoted(rows[r].userName);
    return "the vote list shows" + (shown ? described : std::string(" no rows")) +
           ", the start of no post's list";
}

std::string Session::CheckNationButtons(int now) const {
    for (int slot = 0; slot < kSlots; ++slot) {
        const ChamberModel::Job* job = m_model.Find(slot + 1);
        if (!job) continue;  // the slot keeps what it showed
        const std::string index = std::to_string(slot) + "]";
        const WidgetInfo button = Widget(Name("Chamber/m_GuiCommon.ArryIBNations[" + index));
        const WidgetInfo icon = Widget(Name("Chamber/m_GuiCommon.ArryIBNationsInco[" + index));
        const WidgetInfo caption = Widget(Name("Chamber/m_GuiCommon.ArryIBNationsButton[" + index));
        std::vector<CString> buttonImages(3, job->Held() ? u"JobUnUser" : u"JobUser");
        std::vector<CString> iconImages;
        CString captionText;
        if (job->Held()) {
            if (job->FirstRunning(kImpeachment, now)) iconImages = {u"JobIncoOPVotes"};
            captionText = u"【YEL】" + job->kingdomName.Left(7) + u"\n【WHI】" + job->holderName;
        } else {
            const ChamberModel::Application* first = job->FirstRunning(kCandidacy, now);
            iconImages = {!first                   ? u"JobIncoNULL"
                          : first->startTime < now ? u"JobIncoVotes"
                                                   : u"JobIncoChoose"};
        }
        if (button.images != buttonImages || icon.images != iconImages || caption.text != captionText)
            return "nation slot " + std::to_string(slot) + " does not show post " + std::to_string(slot + 1) +
                   " as the model has it (icon " + (icon.images.empty() ? "none" : icon.images[0].ToUtf8()) +
                   ", caption " + Quoted(caption.text) + ")";
    }
    return {};
}

}  // namespace ChamberSession
