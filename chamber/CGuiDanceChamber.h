// CGuiDanceChamber: the Chamber module's entry point. A host constructs one, derives from it to
// receive the callbacks, and drives the screen with the methods, all on its GUI thread.
//
// Copying is refused: the screen calls back the facade that built it, so a copy sharing that
// screen could outlive its host object. Keep one facade per screen (move it by pointer).
#pragma once

#include <memory>

#include "OrnDanceChamberExport.h"
#include "param/CKParam.h"
#include "text/CString.h"

class CGuiDanceChamberInternal;

class ODC_API CGuiDanceChamber {
public:
    CGuiDanceChamber();
    CGuiDanceChamber(const CGuiDanceChamber&) = delete;
    CGuiDanceChamber& operator=(const CGuiDanceChamber&) = delete;

    // Builds the whole widget tree under `root` (a CEGUI::Window*, or null for the toolkit's root).
    // -1 if the tree exists already, else 0.
    int Create(void* root);
    // Closes the screen if open and unloads the widget tree. Always 0.
    int Release();
    // Opens (true) or closes (false) the screen. -1 while no tree exists, else 0.
    int Show(bool show);
    // Shows `text` in the screen's message box; its answer comes back through OnMsgBox(type, ...).
    // -1 while no tree exists, else 0. The third argument is not used.
    int MsgBox(const CString& text, int type, int);
    // The player's identity as a key/value text with "UserId", "level" and "family". Always 0.
    int SetUserInfo(const CString& info);
    // One server response or push; ids outside 10000012 ... 10000032 are dropped. Always 0.
    int SetRecParam(int, int id, const CKParam& packet);
    long SetQueryInterfaceChamber(const int&, void**, int, void*, ...);

    // Callbacks, overridden by the host. Every result but OnUserHasPower's is ignored.
    // The player wants to leave (exit button or F12); closing is the host's decision.
    virtual void OnExit();
    // After every answer to the screen's message box: (type, answer as a number, 0).
    virtual int OnMsgBox(int type, int answer, int);
    // A request (1000, message id, packet); the packet lives only during the call.
    virtual int OnSendParam(int channel, int id, CKParam& packet);
    // Can the player pay? code >= 10000: at least code - 10000 M coins; else at least code ballots.
    virtual bool OnUserHasPower(int code);
    // Something was spent, with OnUserHasPower's encoding.
    virtual int OnUsedCard(int code);
    virtual long OnQueryInterface(const int&, void**, int, void*, ...);

    virtual ~CGuiDanceChamber();

private:
    std::unique_ptr<CGuiDanceChamberInternal> m_pInternal;
};
