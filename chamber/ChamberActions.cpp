// The screen's answer to the player: clicks and message-box answers, dispatched on the click group
// first and the widget's full name second. Every request the module sends leaves from here.
//
// Host callbacks may re-enter the module (a host may even release the screen from inside one), so
// what an action still needs after a callback is copied before it, and widgets are touched after
// a callback only while the tree still exists.
#include <CEGUI/String.h>
#include <CEGUI/Window.h>

#include <algorithm>
#include <cstdint>

#include "chamber/CGuiDanceChamber.h"
#include "chamber/CGuiDanceChamberInternal.h"
#include "chamber/ChamberTexts.h"
#include "param/ChamberMessages.h"
#include "text/Decimal.h"
#include "text/GuiFormat.h"

using namespace Chamber;

namespace {

constexpr const char16_t* kMsgBoxName = u"Chamber/m_GuiCommon.m_pMsgbox";
constexpr int kMinimumPrice = 3;
constexpr int kImpeachPriceFactor = 3;
constexpr int kYes = 1;
constexpr int kSupport = 1;
constexpr int kOppose = 0;

// The price of a post from its "Price" setting, times `factor`, never below 3; exact, so that a
// huge setting gives a huge price and never a wrapped one.
std::int64_t PostPrice(const GUICreate& toolkit, const ChamberJob& job, int factor) {
    const int value = DecimalToInt(toolkit.GetValueFromUserExtraDataGui(job.extraData, u"Price"));
    return std::max<std::int64_t>(std::int64_t{factor} * value, kMinimumPrice);
}

// Mute duration by the rank of the post whose holder mutes.
int MuteSeconds(int jobRank) {
    if (jobRank == 0 || jobRank == 1) return 3600;
    if (jobRank == 2) return 1800;
    return 1200;
}

bool Is(const CString& name, Widget widget) {
    return name == widget->GetName();
}

}  // namespace

void CGuiDanceChamberInternal::OnSystemClickEvent(CString& name, int group, int kind, CString text) {
    if (kind == kMsgBoxAnswerKind) {
        OnMsgBoxAnswer(name, group, text);
        return;
    }
    // Only clicks (kind 0 or 1) remain, and they come from widgets of a living tree.
    if ((kind != 0 && kind != 1) || !m_created) return;
    switch (group) {
        case kGroupNations:
            OnNationButton(name);
            break;
        case kGroupPanels:
            OnPanelButton(name);
            break;
        case kGroupVoteCards:
            OnVoteCardButton(name);
            break;
        case kGroupMuteDialog:
            OnMuteDialogButton(name);
            break;
        case kGroupExitHelp:
            OnExitHelpButton(name);
            break;
        case kGroupManyVotes:
            OnManyVotesButton(name);
            break;
        default:
            break;
    }
}

void CGuiDanceChamberInternal::OnSystemRightHandClickEvent(CString& name, int, int kind, CString text) {
    // A right-hand click on a nation button acts exactly as a click; nothing else answers to it.
    if ((kind != 0 && kind != 1) || !m_created) return;
    const auto& buttons = m_GuiCommon.ArryIBNations;
    if (std::any_of(buttons.begin(), buttons.end(), [&](Widget button) { return Is(name, button); })) {
        OnSystemClickEvent(name, kGroupNations, kind, text);
    }
}

void CGuiDanceChamberInternal::OnMsgBoxAnswer(const CString& name, int boxId, const CString& text) {
    if (name != kMsgBoxName) return;
    const int answer = DecimalToInt(text);
    // A yes to one of the screen's questions sends whatever request is pending at that moment.
    if (answer == kYes && boxId == kApplyBox) SendRequest(ChamberMsg::kApply, m_pendingRequest);
    if (answer == kYes && boxId == kImpeachBox) SendRequest(ChamberMsg::kImpeach, m_pendingRequest);
    // Every answer reaches the host, also those to boxes the host opened itself.
    m_host->OnMsgBox(boxId, answer, 0);
}

void CGuiDanceChamberInternal::OnNationButton(const CString& name) {
    const auto& buttons = m_GuiCommon.ArryIBNations;
    const auto button = std::find_if(buttons.begin(), buttons.end(), [&](Widget b) { return Is(name, b); });
    if (button == buttons.end()) return;
    HideJobPanels();
    ChamberJob* job = m_jobs.Find((*button)->GetID());
    if (!job) {
        Notice(Text::kJobNotFound);
        return;
    }
    m_selectedJob = job;
    const int now = ServerNow();
    if (job->IsHeld()) {
        const bool impeached = job->FirstRunning(UniteApplyJob::kImpeachment, now) != nullptr;
        RefreshJobPanel(impeached ? kImpeachmentPanel : kHeldPanel, 0);
        return;
    }
    const bool votingOpen = std::any_of(
        job->applications.begin(), job->applications.end(),
        [now](const auto& a) { return a.IsRunning(UniteApplyJob::kCandidacy, now) && a.startTime < now; });
    // Looking at a vacant post drops its impeachments and its finished candidacies for good.
    PruneApplications(*job, now);
    m_voteFirstRow = 0;
    RefreshJobPanel(kVacantPanel, votingOpen);
}

void CGuiDanceChamberInternal::OnPanelButton(const CString& name) {
    const GuiJobDetail& vacant = m_GuiJobDetail;
    const GuiJobDetailHas& held = m_GuiJobDetailHas;
    const GuiExitJobVotes& impeachment = m_GuiExitJobVotes;
    if (Is(name, vacant.SIRequest)) {
        ApplyForSelectedJob();
    } else if (Is(name, held.SIExitJob)) {
        ImpeachSelectedHolder();
    } else if (Is(name, held.SINoSendMessage) || Is(name, impeachment.SINoSendMessage)) {
        OpenMuteDialog();
    } else if (Is(name, held.SIUserVotes)) {
        ShowPanelOfSelectedJob(kImpeachmentPanel);
    } else if (Is(name, vacant.SIUserVotes)) {
        ShowPanelOfSelectedJob(kVoteListPanel);
    } else if (Is(name, vacant.SIExit) || Is(name, held.SIExit) || Is(name, impeachment.SIExit) ||
               Is(name, m_GuiJobVotes.SIExit)) {
        HideJobPanels();
    } else if (Is(name, impeachment.SIExitJob)) {
        VoteOnce(impeachment.SIExitJob, +1, true);
    } else if (Is(name, impeachment.SIExitJobOppose)) {
        VoteOnce(impeachment.SIExitJobOppose, -1, true);
    } else if (Is(name, impeachment.SIExitJobOpposeAll)) {
        OpenManyVotes(impeachment.SIExitJobOpposeAll, kOppose, UniteApplyJob::kImpeachment);
    } else if (Is(name, impeachment.SIExitJobAll)) {
        OpenManyVotes(impeachment.SIExitJobAll, kSupport, UniteApplyJob::kImpeachment);
    }
}

void CGuiDanceChamberInternal::OnVoteCardButton(const CString& name) {
    for (const VoteCard& card : m_GuiJobVotes.cards) {
        if (Is(name, card.SIExitJob)) return VoteOnce(card.SIExitJob, +1, false);
        if (Is(name, card.SIExitJobOppose)) return VoteOnce(card.SIExitJobOppose, -1, false);
        if (Is(name, card.SIExitJobALL))
            return OpenManyVotes(card.SIExitJobALL, kSupport, UniteApplyJob::kCandidacy);
        if (Is(name, card.SIExitJobOpposeALL)) {
            return OpenManyVotes(card.SIExitJobOpposeALL, kOppose, UniteApplyJob::kCandidacy);
        }
    }
}

void CGuiDanceChamberInternal::OnMuteDialogButton(const CString& name) {
    const GuiDialog& dialog = m_GuiToolsChangeName;
    if (Is(name, dialog.IBClose) || Is(name, dialog.IBCancel)) {
        dialog.NameBox()->HideMFCEdit();
        dialog.SIContain->Hide();
    } else if (Is(name, dialog.IBConfirm)) {
        ConfirmMute();
    }
}

void CGuiDanceChamberInternal::OnExitHelpButton(const CString& name) {
    if (Is(name, m_GuiCommon.IBSystemExit)) {
        m_host->OnExit();  // the host may release the screen from inside: nothing follows
    } else if (Is(name, m_GuiUserHelp.SIHelpClose)) {
        HideJobPanels();
    } else if (Is(name, m_GuiUserHelp.SIHelpClick)) {
        HideJobPanels();
        m_GuiUserHelp.SIHelpMain->Show();
    }
}

void CGuiDanceChamberInternal::OnManyVotesButton(const CString& name) {
    const GuiDialog& dialog = m_GuiManyVotes;
    // Closing keeps the dialog's target, direction and typed count for the next opening.
    if (Is(name, dialog.IBClose) || Is(name, dialog.IBCancel)) {
        dialog.SIContain->Hide();
    } else if (Is(name, dialog.IBConfirm)) {
        ConfirmManyVotes();
    }
}

std::optional<CGuiDanceChamberInternal::PricedAttempt> CGuiDanceChamberInternal::PriceSelectedJob(
    int factor, const char16_t* noPost, const char16_t* needsCoins) {
    if (!m_selectedJob) {
        Notice(noPost);
        return std::nullopt;
    }
    // What the checks after the host's answer need is taken now: the host may change the records.
    const std::int64_t price = PostPrice(*this, *m_selectedJob, factor);
    const PricedAttempt attempt = {static_cast<int>(std::min<std::int64_t>(price, kLargestCoinPrice)),
                                   m_selectedJob->jobId, m_selectedJob->IsHeld()};
    m_pendingPrice = attempt.price;
    // No coin code carries a larger price: the player cannot pay it, and the host is not asked.
    if (price > kLargestCoinPrice || !m_host->OnUserHasPower(CoinCode(attempt.price))) {
        Notice(GuiFormat(needsCoins, price));
        return std::nullopt;
    }
    return attempt;
}

void CGuiDanceChamberInternal::ApplyForSelectedJob() {
    const auto attempt = PriceSelectedJob(1, Text::kCannotApply, Text::kApplyNeedsCoins);
    if (!attempt) return;
    if (attempt->held) {
        Notice(Text::kCannotApply);
        return;
    }
    m_pendingRequest = ChamberMsg::MakeApplyRequest(attempt->jobId);
    Notice(GuiFormat(Text::kApplyQuestion, attempt->price), kApplyBox);
}

void CGuiDanceChamberInternal::ImpeachSelectedHolder() {
    const auto attempt =
        PriceSelectedJob(kImpeachPriceFactor, Text::kCannotImpeachUnselected, Text::kImpeachNeedsCoins);
    if (!attempt) return;
    if (!attempt->held) {
        Notice(Text::kCannotImpeachVacant);
        return;
    }
    // Only a king (level 1 of a family) may impeach.
    if (m_userLevel != 1 || m_userFamily <= 0) {
        Notice(Text::kOnlyKingImpeaches);
        return;
    }
    m_pendingRequest = ChamberMsg::MakeImpeachRequest(attempt->jobId);
    Notice(GuiFormat(Text::kImpeachQuestion, attempt->price), kImpeachBox);
}

void CGuiDanceChamberInternal::VoteOnce(Widget button, int direction, bool checkBallotFirst) {
    const int target = button->GetID();
    // The impeachment panel asks for a ballot before it looks at its target and reports a missing
    // one; a vote card without a candidate stays silent.
    if (checkBallotFirst) {
        if (!m_host->OnUserHasPower(1)) {
            Notice(Text::kNoBallots);
            return;
        }
        if (target <= 0) {
            Notice(Text::kVoteFailedNotice);
            return;
        }
    } else {
        if (target <= 0) return;
        if (!m_host->OnUserHasPower(1)) {
            Notice(Text::kNoBallots);
            return;
        }
    }
    CKParam request = ChamberMsg::MakeVoteRequest(target, direction);
    SendRequest(ChamberMsg::kVote, request);
}

void CGuiDanceChamberInternal::OpenManyVotes(Widget button, int direction, int applyType) {
    const int target = button->GetID();
    if (target <= 0 || !m_selectedJob) return;
    // Whichever card was clicked, the time check looks at the first running record.
    const int now = ServerNow();
    const UniteApplyJob* first = m_selectedJob->FirstRunning(applyType, now);
    if (!first) return;
    const bool impeachment = applyType == UniteApplyJob::kImpeachment;
    if (first->startTime >= now) {
        Notice(impeachment ? Text::kImpeachVotingNotOpen : Text::kVotingNotOpen);
        return;
    }
    const GuiDialog& dialog = m_GuiManyVotes;
    Widget hostPanel = impeachment ? m_GuiExitJobVotes.SIContain : m_GuiJobVotes.SIContain;
    hostPanel->AddChildWindow(dialog.SIContain->IsChild());
    dialog.SIMain->SetID(direction);
    dialog.SIContain->Show();
    dialog.SIContain->SetID(target);
}

void CGuiDanceChamberInternal::OpenMuteDialog() {
    const GuiDialog& dialog = m_GuiToolsChangeName;
    if (m_selectedJob && m_selectedJob->holderId == m_userId) {
        dialog.IBConfirm->SetID(m_selectedJob->jobRank);  // the duration class of the mute
        HideJobPanels();
        dialog.SIContain->Show();
    } else {
        dialog.SIContain->Hide();
        Notice(Text::kCannotMute);
    }
}

void CGuiDanceChamberInternal::ShowPanelOfSelectedJob(int kind) {
    ChamberJob* job = m_selectedJob;
    HideJobPanels();
    m_selectedJob = job;
    RefreshJobPanel(kind, 0);
}

void CGuiDanceChamberInternal::ConfirmMute() {
    const GuiDialog& dialog = m_GuiToolsChangeName;
    const CString name = dialog.NameBox()->GetText();  // as typed, blanks included
    if (name.IsEmpty()) {
        Notice(Text::kEnterName);
        return;
    }
    CKParam request = ChamberMsg::MakeMuteRequest(name, MuteSeconds(dialog.IBConfirm->GetID()));
    SendRequest(ChamberMsg::kMute, request);
    if (!m_created) return;
    dialog.SIContain->Hide();
    dialog.NameBox()->HideMFCEdit();
    dialog.IBConfirm->SetID(-1);
}

void CGuiDanceChamberInternal::ConfirmManyVotes() {
    const GuiDialog& dialog = m_GuiManyVotes;
    const CEGUI::String typed = dialog.SICurName->GetWindow()->getText();
    const int votes = DecimalToInt(GetStringtoMFCCString(typed));
    if (votes <= 0) {
        Notice(Text::kEnterVoteCount);
        return;
    }
    if (!m_host->OnUserHasPower(votes)) {
        Notice(Text::kNotEnoughVotes);
        return;
    }
    if (!m_created) return;
    const int target = dialog.SIContain->GetID();
    const int direction = dialog.SIMain->GetID();
    if (target <= 0) {
        Notice(Text::kVoteFailedNotice);
        return;
    }
    CKParam request = ChamberMsg::MakeVoteRequest(target, direction == kSupport ? votes : -votes);
    SendRequest(ChamberMsg::kVote, request);
    if (m_created) dialog.SIContain->Hide();
}

void CGuiDanceChamberInternal::Notice(const CString& text, int boxId) {
    if (m_created) MsgBox(text, boxId);
}

int CGuiDanceChamberInternal::SendRequest(int id, CKParam& packet) {
    m_host->OnSendParam(ChamberMsg::kRequestChannel, id, packet);
    return 0;
}
