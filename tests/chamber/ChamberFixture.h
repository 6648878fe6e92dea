// Test fixture of the Chamber: a recording host, a settable clock in UTC, and packets built the way
// a server builds them.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "OrnDanceChamberTesting.h"
#include "chamber/CGuiDanceChamber.h"
#include "param/ChamberMessages.h"
#include "param/ChamberRecords.h"

namespace ChamberTest {

// One callback as the host received it.
struct Call {
    std::string name;
    std::vector<int> args;
    std::vector<unsigned char> packet;  // OnSendParam: a copy of the image taken during the call

    friend bool operator==(const Call&, const Call&) = default;
};
void PrintTo(const Call& call, std::ostream* out);

// A host that records every callback in order and answers OnUserHasPower as told.
class RecordingHost : public CGuiDanceChamber {
public:
    std::vector<Call> calls;
    bool hasPower = true;
    // The question the message box showed at each OnUsedCard (empty when none): tells which came first.
    std::vector<CString> messageAtUsedCard;

    void OnExit() override;
    int OnMsgBox(int type, int answer, int third) override;
    int OnSendParam(int channel, int id, CKParam& packet) override;
    bool OnUserHasPower(int code) override;
    int OnUsedCard(int code) override;

    // The calls named `name`, in order.
    std::vector<Call> Calls(const std::string& name) const;
    // The images of the requests sent, in order.
    std::vector<std::vector<unsigned char>> Requests() const;
};

// Packets of the server.
struct JobRow {
    int jobId;
    int holderId = 0;
    const char16_t* jobName = u"骑士";
    const char16_t* holderName = u"";
    const char16_t* kingdomName = u"东方王国";
    const char16_t* extraData = u"";
    int jobRank = 3;
};
CKParam JobTable(const std::vector<JobRow>& jobs, std::optional<int> clock = std::nullopt);
UniteApplyJob Application(int applyId, int jobId, int type, int start, int end);
CKParam ApplicationList(const std::vector<UniteApplyJob>& applications);
CKParam ResultPacket(int result, const char16_t* reason = nullptr);

// The image of a packet, byte for byte.
std::vector<unsigned char> Image(const CKParam& packet);

// A widget's state; a failure of the test when there is no such widget.
GUI::Testing::WidgetInfo Widget(const CString& name);
inline bool Visible(const CString& name) {
    return Widget(name).visibleOnScreen;
}
inline CString Text(const CString& name) {
    return Widget(name).text;
}

inline constexpr std::int64_t kNow = 1'700'000'000;  // the local clock of every test: 2023-11-14 22:13:20 UTC

// A host with the Chamber built under the toolkit's root, opened, in UTC at kNow.
class ChamberTestBase : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    void SetClock(std::int64_t now);
    // Text and box id of the shown message box, or empty text when none is shown.
    CString MessageText() const;
    int MessageBoxId() const;
    bool MessageShown() const;
    // Sends a response through the facade.
    void Receive(int id, const CKParam& packet) { host.SetRecParam(0, id, packet); }
    // Every widget name of the Chamber's tree that is a detail panel container and visible.
    int OpenDetailPanels() const;

    RecordingHost host;
    std::int64_t clock = kNow;
};

}  // namespace ChamberTest
