// The Chamber's panels as records of widget pointers. A widget "Chamber/<panel>.<field>" is held in
// field <field> of record <panel>. The pointers are valid only while the widget tree exists.
#pragma once

#include <array>

#include "gui/GuiWidgets.h"

namespace Chamber {

using Widget = GUI::WindowCommon*;

inline constexpr int kNationSlots = 15;
inline constexpr int kVoteCards = 4;

// The hall: background, clock, message box, the fifteen nation slots and the exit button.
struct GuiCommon {
    Widget SIContain = nullptr;
    Widget SIBackground = nullptr;
    Widget SIServerTimer = nullptr;
    Widget m_pMsgbox = nullptr;  // a GUI::Msgbox
    std::array<Widget, kNationSlots> ArryIBNations{};
    std::array<Widget, kNationSlots> ArryIBNationsInco{};
    std::array<Widget, kNationSlots> ArryIBNationsButton{};  // the captions
    Widget IBSystemExit = nullptr;

    GUI::Msgbox* MessageBox() const { return static_cast<GUI::Msgbox*>(m_pMsgbox); }
};

// The vacant-post panel.
struct GuiJobDetail {
    Widget SIContain = nullptr;
    Widget SIJobName = nullptr;
    Widget SIUserName = nullptr;
    Widget SIJobUserNum = nullptr;
    Widget SIJobData = nullptr;
    Widget SIJobPower = nullptr;
    Widget SIJobPrice = nullptr;
    Widget SIJobDesc = nullptr;
    Widget SIJobTimes = nullptr;
    Widget SIJobConditions = nullptr;
    Widget SIJobPControl = nullptr;
    Widget SIUserVotes = nullptr;
    Widget SIRequest = nullptr;
    Widget SIExit = nullptr;
};

// The held-post panel.
struct GuiJobDetailHas {
    Widget SIContain = nullptr;
    Widget SIJobName = nullptr;
    Widget SIUserName = nullptr;
    Widget SIJobTime = nullptr;
    Widget SIJobKingdom = nullptr;
    Widget SIJobAward = nullptr;
    Widget SIJobPower = nullptr;
    Widget SIUserVotes = nullptr;
    Widget SINoSendMessage = nullptr;
    Widget SIExitJob = nullptr;
    Widget SIExit = nullptr;
};

// One card of the candidates' vote list.
struct VoteCard {
    Widget SIArryMain = nullptr;
    Widget SIJobName = nullptr;
    Widget SIUserName = nullptr;
    Widget SIJlinVotes = nullptr;
    Widget SIOpposeVotes = nullptr;
    Widget SIExitJob = nullptr;           // one ballot in favour
    Widget SIExitJobOppose = nullptr;     // one ballot against
    Widget SIExitJobALL = nullptr;        // many ballots in favour
    Widget SIExitJobOpposeALL = nullptr;  // many ballots against
    Widget SIArryKingdom = nullptr;
};

// The candidates' vote list.
struct GuiJobVotes {
    Widget SIContain = nullptr;
    std::array<VoteCard, kVoteCards> cards{};
    Widget SIStartTime = nullptr;
    Widget SIExit = nullptr;
};

// The impeachment panel.
struct GuiExitJobVotes {
    Widget SIContain = nullptr;
    Widget SIJobName = nullptr;
    Widget SIUserName = nullptr;
    Widget SIJobTime = nullptr;
    Widget SIJobEndTime = nullptr;
    Widget SIJobActionUserName = nullptr;
    Widget SIJlinVotes = nullptr;
    Widget SIOpposeVotes = nullptr;
    Widget SIExitJob = nullptr;
    Widget SIExitJobOppose = nullptr;
    Widget SIExitJobAll = nullptr;
    Widget SIExitJobOpposeAll = nullptr;
    Widget SINoSendMessage = nullptr;
    Widget SIExit = nullptr;
};

// The two small dialogs: the mute dialog (a Chinese edit box for the name) and the many-votes
// dialog (a plain edit box for the count).
struct GuiDialog {
    Widget SIContain = nullptr;
    Widget SIMain = nullptr;
    Widget SICurName = nullptr;
    Widget IBClose = nullptr;
    Widget IBCancel = nullptr;
    Widget IBConfirm = nullptr;

    GuiEditBox* NameBox() const { return static_cast<GuiEditBox*>(SICurName); }
};

// The help page and its buttons.
struct GuiUserHelp {
    Widget SIHelpMain = nullptr;
    Widget SIHelpClose = nullptr;
    Widget SIHelpClick = nullptr;
};

}  // namespace Chamber
