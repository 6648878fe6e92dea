// CGuiDanceChamberInternal: the Chamber screen. It is at once the toolkit window that owns the
// widget tree (it derives from GUICreateEx) and the holder of all screen state: the panels, the job
// records, the server clock, the player's identity and the actions waiting for an answer.
//
// States: Bare (no tree), Built (tree, closed) and Open. The tree exists between Create and
// Release; no widget is touched outside it. Data (jobs, clock, level, family) outlives Release.
#pragma once

#include <algorithm>
#include <climits>
#include <optional>
#include <vector>

#include "chamber/ChamberJobTable.h"
#include "chamber/ChamberPanels.h"
#include "gui/GuiCreate.h"
#include "param/CKParam.h"
#include "param/ChamberMessages.h"
#include "text/CString.h"

class CGuiDanceChamber;

namespace Chamber {

// Click groups registered on the buttons; every click reports its group first.
enum ClickGroup {
    kGroupNations = 3,     // the fifteen nation buttons (also right-hand clicks)
    kGroupPanels = 4,      // the buttons of the detail panels
    kGroupVoteCards = 5,   // the vote buttons of the vote-list cards
    kGroupMuteDialog = 6,  // the mute dialog
    kGroupExitHelp = 7,    // exit and help
    kGroupManyVotes = 8,   // the many-votes dialog
};

// The detail panels, as RefreshJobPanel names them.
enum PanelKind {
    kVisiblePanel = -1,  // whichever panel is open (impeachment, vote list or vacant post)
    kHeldPanel = 1,
    kVacantPanel = 2,
    kVoteListPanel = 3,
    kImpeachmentPanel = 4,
};

// Message box ids: a notice, and the two questions whose yes sends the pending request.
enum BoxId { kNoticeBox = 0, kApplyBox = 500, kImpeachBox = 501 };

// The largest price in M coins that a coin code carries.
inline constexpr int kLargestCoinPrice = INT_MAX - 10000;

// The OnUserHasPower / OnUsedCard code of an amount of M coins (ballots are plain counts); an
// amount beyond kLargestCoinPrice gives the largest code, never a wrapped one.
inline int CoinCode(int coins) {
    return 10000 + std::min(coins, kLargestCoinPrice);
}

inline constexpr int kMsgBoxAnswerKind = 100;  // the event kind of a message-box answer
inline constexpr int kClockTimerId = 2000;
inline constexpr int kClockTimerPeriodMs = 1000;

}  // namespace Chamber

class CGuiDanceChamberInternal : public GUICreateEx {
public:
    explicit CGuiDanceChamberInternal(CGuiDanceChamber* host);
    ~CGuiDanceChamberInternal() override;

    // Builds the widget tree (-1 if it exists already).
    int Create(void* root);
    // Opens or closes the screen (-1 while no tree exists).
    virtual int Show(bool show);
    // Closes the screen if open and unloads the tree; keeps the data.
    int Release();
    int SetUserInfo(const CString& info);
    // Shows `text` in the message box under `id`; callers check that the tree exists.
    int MsgBox(const CString& text, int id);
    bool IsCreated() const { return m_created; }
    // A response or push, `index` = message id - 10000012 (0 ... 20).
    void HandleResponse(int index, const CKParam& packet);

    void OnGuiListenKey(int state, int code) override;
    void OnWindowTimer(int id) override;
    void OnSystemClickEvent(CString& name, int group, int kind, CString text) override;
    void OnSystemRightHandClickEvent(CString& name, int group, int kind, CString text) override;

private:
    // The widget tree (ChamberLayout.cpp).
    void BuildHall();
    void BuildPanels();
    void RegisterClickGroups();

    // Displays (ChamberDisplays.cpp).
    void RefreshNationButtons();
    int RefreshJobPanel(int kind, int votingOpen);
    int FillVoteRows(int firstRow, const ChamberJob* job);
    int HideJobPanels();
    void FillHeldPanel(const ChamberJob& job);
    void FillVacantPanel(const ChamberJob& job, int votingOpen);
    void FillVoteListPanel(const ChamberJob& job);
    void FillImpeachmentPanel(const ChamberJob& job);

    // The server clock (ChamberClock.cpp holds the arithmetic).
    int ServerNow() const;

    // User actions (ChamberActions.cpp).
    void OnMsgBoxAnswer(const CString& name, int boxId, const CString& text);
    void OnNationButton(const CString& name);
    void OnPanelButton(const CString& name);
    void OnVoteCardButton(const CString& name);
    void OnMuteDialogButton(const CString& name);
    void OnExitHelpButton(const CString& name);
    void OnManyVotesButton(const CString& name);
    // The selected post's price for an apply or impeachment attempt, once the host has said the
    // player can pay it; nothing after the notice of a failed check.
    struct PricedAttempt {
        int price;
        int jobId;
        bool held;
    };
    std::optional<PricedAttempt> PriceSelectedJob(int factor, const char16_t* noPost,
                                                  const char16_t* needsCoins);
    void ApplyForSelectedJob();
    void ImpeachSelectedHolder();
    void VoteOnce(Chamber::Widget button, int direction, bool checkBallotFirst);
    void OpenManyVotes(Chamber::Widget button, int direction, int applyType);
    void OpenMuteDialog();
    void ShowPanelOfSelectedJob(int kind);
    void ConfirmMute();
    void ConfirmManyVotes();
    // Shows a notice (or, with a box id, a question) in the message box, only while the tree exists.
    void Notice(const CString& text, int boxId = Chamber::kNoticeBox);
    int SendRequest(int id, CKParam& packet);

    // Responses (ChamberResponses.cpp).
    void OnJobTable(const CKParam& packet, bool withClock);
    void OnApplicationsChanged();
    // True when a result needs nothing more: it has no result field, or it is a failure, whose
    // message this shows. False for a success.
    bool SettledUnlessSucceeded(const ChamberMsg::Result& result, const char16_t* failed,
                                const char16_t* failedBecause);
    void OnApplyResult(const CKParam& packet);
    void OnImpeachResult(const CKParam& packet);
    void OnVoteResult(const CKParam& packet);
    void OnMuteResult(const CKParam& packet);
    void ReportPendingPrice();

    bool m_created = false;
    bool m_shown = false;
    void* m_root = nullptr;
    CGuiDanceChamber* m_host;
    Chamber::GuiCommon m_GuiCommon;
    ChamberJobTable m_jobs;
    int m_serverTime = -1;
    int m_serverTimeLocal = -1;
    ChamberJob* m_selectedJob = nullptr;  // a record of m_jobs, or null
    CKParam m_pendingRequest;
    int m_userId = -1;
    int m_voteFirstRow = 0;
    int m_pendingPrice = 0;
    int m_userLevel = -1;
    int m_userFamily = -1;
    std::vector<Chamber::Widget> m_textWidgets;
    Chamber::GuiJobDetail m_GuiJobDetail;
    Chamber::GuiJobDetailHas m_GuiJobDetailHas;
    Chamber::GuiJobVotes m_GuiJobVotes;
    Chamber::GuiExitJobVotes m_GuiExitJobVotes;
    Chamber::GuiDialog m_GuiToolsChangeName;
    Chamber::GuiDialog m_GuiManyVotes;
    Chamber::GuiUserHelp m_GuiUserHelp;
};
