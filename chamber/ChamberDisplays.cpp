// What the screen shows of its records: the fifteen nation buttons of the hall, the four detail
// panels filled from the selected post, and closing every panel at once.
#include "chamber/CGuiDanceChamberInternal.h"
#include "chamber/ChamberClock.h"
#include "chamber/ChamberTexts.h"
#include "text/Decimal.h"
#include "text/GuiFormat.h"

using namespace Chamber;

namespace {

constexpr const char16_t* kImageSet = u"ChamberBackground";
constexpr int kPanelTextMode = 1026;  // word-wrapped, left-aligned, centred vertically
constexpr int kCaptionTextMode = 6;   // centred lines
constexpr int kCaptionHeldId = 3;
constexpr std::size_t kCaptionKingdomUnits = 7;
constexpr std::int64_t kVotingPeriodSeconds = 86400;

void SetText(Widget widget, const CString& text) {
    widget->FontSetText(text, kPanelTextMode);
}

void SetCount(Widget widget, int count) {
    widget->FontSetNormalText(GuiFormat(Text::kCount, count));
}

// The price of a post as its panel shows it: the value text as the server wrote it.
CString PriceText(const CString& value) {
    if (DecimalToInt(value) <= 0) return Text::kDefaultPrice;
    return CString(Text::kPriceBefore) + value + Text::kPriceAfter;
}

// The experience bonus of a post's nation: "Awards" is a factor, 1.2 meaning 20% more.
CString AwardText(const CString& value) {
    const float factor = static_cast<float>(DecimalToDouble(value));
    if (!(factor > 1.0f)) return Text::kNoAward;
    return GuiFormat(Text::kAward, (static_cast<double>(factor) - 1.0) * 100.0);
}

}  // namespace

void CGuiDanceChamberInternal::RefreshNationButtons() {
    const int now = ServerNow();
    for (int i = 0; i < kNationSlots; ++i) {
        Widget button = m_GuiCommon.ArryIBNations[i];
        const ChamberJob* job = m_jobs.Find(button->GetID());
        if (!job) continue;  // no record yet: the slot keeps what it shows
        Widget icon = m_GuiCommon.ArryIBNationsInco[i];
        Widget caption = m_GuiCommon.ArryIBNationsButton[i];
        if (!job->IsHeld()) {
            button->SetImageFromImageSet(kImageSet, u"JobUser", u"JobUser", u"JobUser");
            const UniteApplyJob* candidacy = job->FirstRunning(UniteApplyJob::kCandidacy, now);
            const char16_t* state = !candidacy                   ? u"JobIncoNULL"
                                    : candidacy->startTime < now ? u"JobIncoVotes"
                                                                 : u"JobIncoChoose";
            icon->SetImageFromImageSet(kImageSet, state);
            caption->FontSetNormalText(CString());
        } else {
            button->SetImageFromImageSet(kImageSet, u"JobUnUser", u"JobUnUser", u"JobUnUser");
            if (job->FirstRunning(UniteApplyJob::kImpeachment, now)) {
                icon->SetImageFromImageSet(kImageSet, u"JobIncoOPVotes");
            } else {
                icon->SetImageHide();
                caption->SetID(kCaptionHeldId);
            }
            caption->FontSetText(
                GuiFormat(Text::kCaption, job->kingdomName.Left(kCaptionKingdomUnits), job->holderName),
                kCaptionTextMode);
        }
    }
    RefreshJobPanel(kVisiblePanel, 0);
}

int CGuiDanceChamberInternal::RefreshJobPanel(int kind, int votingOpen) {
    if (!m_created) return -1;
    const bool explicitKind = kind >= kHeldPanel && kind <= kImpeachmentPanel;
    if (!explicitKind) {
        // Follow the open panel; an open held-post panel is never refreshed this way.
        if (m_GuiExitJobVotes.SIContain->IsVisible()) {
            kind = kImpeachmentPanel;
        } else if (m_GuiJobVotes.SIContain->IsVisible()) {
            kind = kVoteListPanel;
        } else if (m_GuiJobDetail.SIContain->IsVisible()) {
            kind = kVacantPanel;
        } else {
            return -1;
        }
    }
    if (!m_selectedJob) return 0;
    const ChamberJob& job = *m_selectedJob;
    switch (kind) {
        case kHeldPanel:
            if (explicitKind) m_GuiJobDetailHas.SIContain->Show();
            FillHeldPanel(job);
            break;
        case kVacantPanel:
            if (explicitKind) m_GuiJobDetail.SIContain->Show();
            FillVacantPanel(job, votingOpen);
            break;
        case kVoteListPanel:
            if (explicitKind) m_GuiJobVotes.SIContain->Show();
            FillVoteListPanel(job);
            break;
        case kImpeachmentPanel:
            if (explicitKind) m_GuiExitJobVotes.SIContain->Show();
            FillImpeachmentPanel(job);
            break;
        default:
            break;
    }
    return 0;
}

void CGuiDanceChamberInternal::FillHeldPanel(const ChamberJob& job) {
    const GuiJobDetailHas& panel = m_GuiJobDetailHas;
    panel.SIUserVotes->Hide();
    SetText(panel.SIJobName, job.jobName);
    SetText(panel.SIUserName, job.holderName);
    SetText(panel.SIJobTime, job.jobTime);
    SetText(panel.SIJobKingdom, job.kingdomName);
    SetText(panel.SIJobAward, AwardText(GetValueFromUserExtraDataGui(job.extraData, u"Awards")));
    SetText(panel.SIJobPower, GetValueFromUserExtraDataGui(job.extraData, u"Power"));
    // A holder may mute players; anyone else may try to impeach the holder.
    if (job.holderId == m_userId) {
        panel.SINoSendMessage->Show();
        panel.SIExitJob->Hide();
    } else {
        panel.SINoSendMessage->Hide();
        panel.SIExitJob->Show();
        panel.SIExitJob->Enable();
    }
}

void CGuiDanceChamberInternal::FillVacantPanel(const ChamberJob& job, int votingOpen) {
    const GuiJobDetail& panel = m_GuiJobDetail;
    panel.SIUserVotes->Show();
    panel.SIUserVotes->SetImageFromImageSet(kImageSet, votingOpen ? u"OtherVotes" : u"UserAllThink");

    // The candidates still running; the start time shown is the last one's in list order.
    const int now = ServerNow();
    int candidates = 0;
    int lastStart = 0;
    for (const UniteApplyJob& application : job.applications) {
        if (!application.IsRunning(UniteApplyJob::kCandidacy, now)) continue;
        ++candidates;
        lastStart = application.startTime;
    }

    SetText(panel.SIJobName, job.jobName);
    SetText(panel.SIUserName, Text::kNoHolder);
    if (candidates > 0) {
        SetText(panel.SIJobData, GuiFormat(Text::kTimeOnly, FormatTime(lastStart)));
        SetText(panel.SIJobUserNum, GuiFormat(Text::kCandidates, candidates));
    } else {
        panel.SIJobData->FontSetText(CString(), 0);
        SetText(panel.SIJobUserNum, Text::kNoCandidates);
    }
    const CString& settings = job.extraData;
    SetText(panel.SIJobPower, GetValueFromUserExtraDataGui(settings, u"Power"));
    SetText(panel.SIJobPrice, PriceText(GetValueFromUserExtraDataGui(settings, u"Price")));
    SetText(panel.SIJobDesc, GetValueFromUserExtraDataGui(settings, u"Desc"));
    SetText(panel.SIJobTimes, AwardText(GetValueFromUserExtraDataGui(settings, u"Awards")));
    SetText(panel.SIJobConditions, GetValueFromUserExtraDataGui(settings, u"Conditions"));
    SetText(panel.SIJobPControl, GetValueFromUserExtraDataGui(settings, u"PControl"));
    panel.SIRequest->Show();
    panel.SIRequest->Enable();
}

void CGuiDanceChamberInternal::FillVoteListPanel(const ChamberJob& job) {
    Widget period = m_GuiJobVotes.SIStartTime;
    period->FontSetNormalText(CString());
    // The period shown is always one day from the first running candidacy's start.
    if (const UniteApplyJob* first = job.FirstRunning(UniteApplyJob::kCandidacy, ServerNow())) {
        const std::int64_t start = first->startTime;
        period->FontSetNormalText(
            GuiFormat(Text::kVotingPeriod, FormatTime(start), FormatTime(start + kVotingPeriodSeconds)));
    }
    FillVoteRows(m_voteFirstRow, m_selectedJob);
}

int CGuiDanceChamberInternal::FillVoteRows(int firstRow, const ChamberJob* job) {
    if (!job) return 0;
    const auto& list = job->applications;
    m_voteFirstRow = firstRow >= 0 && static_cast<std::size_t>(firstRow) < list.size() ? firstRow : 0;
    for (int k = 0; k < kVoteCards; ++k) {
        const VoteCard& card = m_GuiJobVotes.cards[k];
        const Widget buttons[] = {card.SIExitJob, card.SIExitJobOppose, card.SIExitJobALL,
                                  card.SIExitJobOpposeALL};
        const std::size_t i = static_cast<std::size_t>(m_voteFirstRow) + k;
        if (i < list.size()) {
            const UniteApplyJob& row = list[i];
            SetText(card.SIJobName, job->jobName);
            SetText(card.SIUserName, row.userName);
            SetText(card.SIArryKingdom, row.kingdomName);
            SetCount(card.SIJlinVotes, row.agreeVotes);
            SetCount(card.SIOpposeVotes, row.opposeVotes);
            for (Widget button : buttons) {
                button->Show();
                button->SetID(row.applyId);
            }
        } else {
            for (Widget text : {card.SIJobName, card.SIUserName, card.SIJlinVotes, card.SIOpposeVotes,
                                card.SIArryKingdom}) {
                text->FontSetNormalText(CString());
            }
            for (Widget button : buttons) {
                button->Hide();
                button->SetID(-1);
            }
        }
    }
    return 0;
}

void CGuiDanceChamberInternal::FillImpeachmentPanel(const ChamberJob& job) {
    const GuiExitJobVotes& panel = m_GuiExitJobVotes;
    if (job.holderId == m_userId) {
        panel.SINoSendMessage->Show();
    } else {
        panel.SINoSendMessage->Hide();
    }
    SetText(panel.SIUserName, job.holderName);
    SetText(panel.SIJobName, job.jobName);
    const Widget voteButtons[] = {panel.SIExitJob, panel.SIExitJobOppose, panel.SIExitJobAll,
                                  panel.SIExitJobOpposeAll};
    for (Widget button : voteButtons) {
        button->SetID(-1);
        button->Hide();
    }
    for (Widget field : {panel.SIJlinVotes, panel.SIOpposeVotes, panel.SIJobTime, panel.SIJobEndTime,
                         panel.SIJobActionUserName}) {
        field->SetImageHide();
    }

    const UniteApplyJob* impeachment = job.FirstRunning(UniteApplyJob::kImpeachment, ServerNow());
    if (!impeachment) return;  // ended: no votes to cast, the fields stay cleared
    SetCount(panel.SIJlinVotes, impeachment->agreeVotes);
    SetCount(panel.SIOpposeVotes, impeachment->opposeVotes);
    SetText(panel.SIJobTime, CString(Text::kImpeachStart) + FormatTime(impeachment->startTime));
    SetText(panel.SIJobEndTime, CString(Text::kImpeachEnd) + FormatTime(impeachment->endTime));
    SetText(panel.SIJobActionUserName, impeachment->actionUserName);
    for (Widget button : voteButtons) {
        button->Show();
        button->SetID(impeachment->applyId);
    }
}

int CGuiDanceChamberInternal::HideJobPanels() {
    if (!m_created) return -1;
    m_selectedJob = nullptr;
    for (Widget panel : {m_GuiJobDetail.SIContain, m_GuiJobDetailHas.SIContain, m_GuiJobVotes.SIContain,
                         m_GuiExitJobVotes.SIContain, m_GuiUserHelp.SIHelpMain,
                         m_GuiToolsChangeName.SIContain, m_GuiManyVotes.SIContain}) {
        panel->Hide();
    }
    // The many-votes dialog forgets its target and direction.
    m_GuiManyVotes.SIContain->SetID(-1);
    m_GuiManyVotes.SIMain->SetID(-1);
    return 0;
}
