#include "chamber/CGuiDanceChamber.h"

#include "chamber/CGuiDanceChamberInternal.h"
#include "param/ChamberMessages.h"

namespace {
constexpr long kNotImplemented = 0x80004005;  // the COM failure code E_FAIL
}  // namespace

CGuiDanceChamber::CGuiDanceChamber() : m_pInternal(std::make_unique<CGuiDanceChamberInternal>(this)) {}

CGuiDanceChamber::~CGuiDanceChamber() = default;

int CGuiDanceChamber::Create(void* root) {
    return m_pInternal->Create(root);
}

int CGuiDanceChamber::Release() {
    return m_pInternal->Release();
}

int CGuiDanceChamber::Show(bool show) {
    return m_pInternal->Show(show);
}

int CGuiDanceChamber::MsgBox(const CString& text, int type, int) {
    if (!m_pInternal->IsCreated()) return -1;
    return m_pInternal->MsgBox(text, type);
}

int CGuiDanceChamber::SetUserInfo(const CString& info) {
    return m_pInternal->SetUserInfo(info);
}

int CGuiDanceChamber::SetRecParam(int, int id, const CKParam& packet) {
    const unsigned index = static_cast<unsigned>(id) - static_cast<unsigned>(ChamberMsg::kFirstIncoming);
    if (index <= static_cast<unsigned>(ChamberMsg::kLastIncoming - ChamberMsg::kFirstIncoming)) {
        m_pInternal->HandleResponse(static_cast<int>(index), packet);
    }
    return 0;
}

long CGuiDanceChamber::SetQueryInterfaceChamber(const int&, void**, int, void*, ...) {
    return 0;
}

void CGuiDanceChamber::OnExit() {}

int CGuiDanceChamber::OnMsgBox(int, int, int) {
    return 0;
}

int CGuiDanceChamber::OnSendParam(int, int, CKParam&) {
    return 0;
}

bool CGuiDanceChamber::OnUserHasPower(int) {
    return false;
}

int CGuiDanceChamber::OnUsedCard(int) {
    return 0;
}

long CGuiDanceChamber::OnQueryInterface(const int&, void**, int, void*, ...) {
    return kNotImplemented;
}
