// The screen's answer to the server: every response or push updates the records and the clock
// first, whether or not the widget tree exists; refreshes and messages follow only while it does.
#include "chamber/CGuiDanceChamber.h"
#include "chamber/CGuiDanceChamberInternal.h"
#include "chamber/ChamberClock.h"
#include "chamber/ChamberTexts.h"
#include "param/ChamberMessages.h"
#include "text/GuiFormat.h"

using namespace Chamber;

void CGuiDanceChamberInternal::HandleResponse(int index, const CKParam& packet) {
    switch (ChamberMsg::kFirstIncoming + index) {
        case ChamberMsg::kJobTableWithClock:
            OnJobTable(packet, true);
            break;
        case ChamberMsg::kJobTable:
            OnJobTable(packet, false);
            break;
        case ChamberMsg::kApplicationList:
            m_jobs.ReplaceApplications(packet);
            OnApplicationsChanged();
            break;
        case ChamberMsg::kApplicationUpdate:
            m_jobs.MergeApplications(packet);
            OnApplicationsChanged();
            break;
        case ChamberMsg::kApplicationEntry:
            // One entry re-fills the open panel only; the nation buttons wait for the next refresh.
            if (m_jobs.UpsertApplication(packet) && m_created) RefreshJobPanel(kVisiblePanel, 0);
            break;
        case ChamberMsg::kApplyResult:
            OnApplyResult(packet);
            break;
        case ChamberMsg::kImpeachResult:
            OnImpeachResult(packet);
            break;
        case ChamberMsg::kVoteResult:
            OnVoteResult(packet);
            break;
        case ChamberMsg::kMuteResult:
            OnMuteResult(packet);
            break;
        default:
            break;
    }
}

void CGuiDanceChamberInternal::OnJobTable(const CKParam& packet, bool withClock) {
    m_jobs.ApplyJobTable(packet, m_selectedJob);
    if (m_created) RefreshNationButtons();
    if (!withClock) return;
    // Stored after the refresh, which therefore still runs on the clock as it stood before.
    const std::optional<int> clock = ChamberMsg::ReadClock(packet);
    if (clock && *clock > 0) {
        m_serverTime = *clock;
        m_serverTimeLocal = static_cast<int>(LocalClockNow());
    }
}

void CGuiDanceChamberInternal::OnApplicationsChanged() {
    if (m_created) RefreshNationButtons();
}

bool CGuiDanceChamberInternal::SettledUnlessSucceeded(const ChamberMsg::Result& result,
                                                      const char16_t* failed, const char16_t* failedBecause) {
    if (!result.result) return true;  // no result field: nothing to say
    if (result.Succeeded()) return false;
    // A failure says the server's reason when it gave one.
    const bool reasoned = result.reason && !result.reason->IsEmpty();
    Notice(reasoned ? GuiFormat(failedBecause, *result.reason) : CString(failed));
    return true;
}

void CGuiDanceChamberInternal::OnApplyResult(const CKParam& packet) {
    const ChamberMsg::ApplyResult result = ChamberMsg::ReadApplyResult(packet);
    if (SettledUnlessSucceeded(result, Text::kApplyFailed, Text::kApplyFailedBecause)) return;
    if (!result.jobName || !result.holds) return;
    const CString message =
        *result.holds == 1 ? GuiFormat(Text::kNowHolding, *result.jobName) : CString(Text::kApplied);
    ReportPendingPrice();
    Notice(message);
}

void CGuiDanceChamberInternal::OnImpeachResult(const CKParam& packet) {
    const ChamberMsg::Result result = ChamberMsg::ReadResult(packet);
    if (SettledUnlessSucceeded(result, Text::kImpeachFailed, Text::kImpeachFailedBecause)) return;
    Notice(Text::kImpeachStarted);
    ReportPendingPrice();
}

void CGuiDanceChamberInternal::OnVoteResult(const CKParam& packet) {
    const ChamberMsg::VoteResult result = ChamberMsg::ReadVoteResult(packet);
    if (SettledUnlessSucceeded(result, Text::kVoteFailed, Text::kVoteFailedBecause)) return;
    Notice(Text::kVoted);
    const int used = result.votesUsed.value_or(0);
    m_host->OnUsedCard(used > 0 ? used : 1);
}

void CGuiDanceChamberInternal::OnMuteResult(const CKParam& packet) {
    const ChamberMsg::MuteResult result = ChamberMsg::ReadMuteResult(packet);
    if (SettledUnlessSucceeded(result, Text::kMuteFailed, Text::kMuteFailedBecause)) return;
    // The count is shown only when the server reports both numbers and today's limit holds.
    const bool counted = result.used && result.allowed && *result.used >= 0 && *result.allowed >= 0 &&
                         static_cast<long long>(*result.used) + 1 <= *result.allowed;
    Notice(counted ? GuiFormat(Text::kMutedCounted, *result.used + 1, *result.allowed)
                   : CString(Text::kMuted));
}

void CGuiDanceChamberInternal::ReportPendingPrice() {
    m_host->OnUsedCard(CoinCode(m_pendingPrice > 0 ? m_pendingPrice : 1));
}
