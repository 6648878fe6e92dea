// The screen's life: construction, opening and closing, release, the player's identity, the
// message box, the clock tick and the keys.
#include "chamber/CGuiDanceChamberInternal.h"

#include "chamber/CGuiDanceChamber.h"
#include "chamber/ChamberClock.h"
#include "param/UserExtraData.h"
#include "text/Decimal.h"

using namespace Chamber;

namespace {

// The keys the screen answers, by CEGUI scan code.
constexpr int kKeyMuteDialog = 0x44;   // F10
constexpr int kKeyClosePanels = 0x57;  // F11
constexpr int kKeyExit = 0x58;         // F12
constexpr int kKeyPressed = 1;

}  // namespace

CGuiDanceChamberInternal::CGuiDanceChamberInternal(CGuiDanceChamber* host) : m_host(host) {}

// The records go with m_jobs; the toolkit's base destroys whatever widgets are left.
CGuiDanceChamberInternal::~CGuiDanceChamberInternal() = default;

int CGuiDanceChamberInternal::Show(bool show) {
    if (!m_created) return -1;
    if (show) {
        if (m_shown) return 0;
        CreateListener(m_root, m_GuiCommon.SIContain->GetName(), true);
        ShowMouseDefaultCursor(true, false);
        SetWindowTimer(kClockTimerId, kClockTimerPeriodMs);
        RefreshNationButtons();
        m_shown = true;
    } else if (m_shown) {
        CreateListener(m_root, m_GuiCommon.SIContain->GetName(), false);
        m_shown = false;
    }
    return 0;
}

int CGuiDanceChamberInternal::Release() {
    if (m_shown) Show(false);
    m_textWidgets.clear();
    m_userId = -1;
    m_selectedJob = nullptr;
    m_voteFirstRow = 0;
    UnloadGui();
    m_created = false;
    return 0;
}

int CGuiDanceChamberInternal::SetUserInfo(const CString& info) {
    m_userId = DecimalToInt(GetValueFromUserExtraData(info, u"UserId"));
    m_userLevel = DecimalToInt(GetValueFromUserExtraData(info, u"level"));
    m_userFamily = DecimalToInt(GetValueFromUserExtraData(info, u"family"));
    return 0;
}

int CGuiDanceChamberInternal::MsgBox(const CString& text, int id) {
    m_GuiToolsChangeName.NameBox()->HideMFCEdit();
    m_GuiCommon.MessageBox()->SetText(text, id, 0);
    return 0;
}

int CGuiDanceChamberInternal::ServerNow() const {
    return ServerNowFrom(m_serverTime, m_serverTimeLocal, static_cast<int>(LocalClockNow()));
}

void CGuiDanceChamberInternal::OnWindowTimer(int id) {
    if (!m_created || id != kClockTimerId) return;
    m_GuiCommon.SIServerTimer->FontSetNormalText(FormatTime(ServerNow()));
}

void CGuiDanceChamberInternal::OnGuiListenKey(int state, int code) {
    // Keys act whether the screen is open or closed, but only while its tree exists.
    if (state != kKeyPressed || !m_created) return;
    switch (code) {
        case kKeyMuteDialog:
            m_GuiToolsChangeName.SIContain->Show();
            break;
        case kKeyClosePanels:
            HideJobPanels();
            break;
        case kKeyExit:
            m_host->OnExit();
            break;
        default:
            break;
    }
}
