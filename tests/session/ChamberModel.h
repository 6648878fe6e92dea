// A reference model of the Chamber's job records, for the soak test and the session fuzzer: the
// list rules and the server clock written as plainly as possible (ordered map, vectors, linear
// scans, its own packet reading), fed with the same responses and clicks as the screen so that
// what the screen shows can be compared with it.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "param/CKParam.h"
#include "text/CString.h"

namespace ChamberModel {

struct Application {
    int applyId = -1;
    int jobId = -1;
    int applyType = -1;
    int startTime = -1;
    int endTime = -1;
    int agreeVotes = 0;
    int opposeVotes = 0;
    CString actionUserName;
    CString userName;
    CString kingdomName;
};

struct Job {
    int jobId = -1;
    CString jobName;
    int jobRank = -1;
    int holderId = -1;
    CString jobTime;
    CString extraData;
    CString holderName;
    CString kingdomName;
    std::vector<Application> applications;

    bool Held() const { return holderId > 0; }
    // The first application of `type` whose end lies after `now`, in list order; null when none.
    const Application* FirstRunning(int type, int now) const;
};

class Model {
public:
    // A response or push as the screen receives it, with the local clock of that moment.
    void Receive(int messageId, const CKParam& packet, std::int64_t localNow);
    // A click on the nation button of `jobId`: looking at a vacant post drops its impeachments and
    // the candidacies that ended before the server time.
    void ClickNation(int jobId, std::int64_t localNow);

    int ServerNow(std::int64_t localNow) const;
    const Job* Find(int jobId) const;
    const std::map<int, Job>& Jobs() const { return m_jobs; }

private:
    void ReadJobTable(const CKParam& packet);
    void Merge(const CKParam& packet);
    void Upsert(const CKParam& packet);

    std::map<int, Job> m_jobs;
    int m_serverTime = -1;
    int m_serverTimeLocal = -1;
};

}  // namespace ChamberModel
