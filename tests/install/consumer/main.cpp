// A minimal host: opens the Chamber on one post, clicks it, asks to apply and checks the request.
#include <OrnDanceChamber.h>
#include <OrnDanceChamberTesting.h>

#include <cstdio>

namespace {

class Host : public CGuiDanceChamber {
public:
    int requests = 0;
    bool OnUserHasPower(int) override { return true; }
    int OnSendParam(int, int id, CKParam& packet) override {
        int jobId = 0;
        if (id == ChamberMsg::kApply && packet.GetInt(ChamberMsg::Field::kTarget, jobId) == 0 && jobId == 1)
            ++requests;
        return 0;
    }
};

}  // namespace

int main() {
    Host host;
    if (host.Create(nullptr) != 0 || host.Show(true) != 0) return 1;
    CKParam table;
    table.SetInt(ChamberMsg::Field::kCount, 1);
    ChamberJob job;
    job.jobId = 1;
    job.holderId = 0;
    WriteJob(table, 0, job);
    host.SetRecParam(0, ChamberMsg::kJobTable, table);
    const bool ok = GUI::Testing::Click(u"Chamber/m_GuiCommon.ArryIBNations[0]") &&
                    GUI::Testing::Click(u"Chamber/m_GuiJobDetail.SIRequest") &&
                    GUI::Testing::AnswerMsgBox(u"1");
    host.Release();
    std::printf("%s\n",
                ok && host.requests == 1 ? "the installed Chamber works" : "the installed Chamber failed");
    return ok && host.requests == 1 ? 0 : 1;
}
