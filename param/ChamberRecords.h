// The Chamber's records of the server's posts: ChamberJob (a post of a nation) and UniteApplyJob
// (a candidacy for a vacant post, or an impeachment of a holder), with their place in list
// messages: field k of entry i travels under field id 100 * i + 100 + k, ints with tag 20 and
// texts with tag 40.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "OrnDanceChamberExport.h"
#include "param/CKParam.h"
#include "text/CString.h"

// One candidacy (applyType 1) or impeachment (applyType -1). Times are seconds since 1970 UTC on
// the server clock.
struct ODC_PROTOCOL_API UniteApplyJob {
    static constexpr int kCandidacy = 1;
    static constexpr int kImpeachment = -1;

    int applyId = -1;        // k = 0; the vote buttons carry it and the vote request sends it
    int jobId = -1;          // k = 1
    int applyType = -1;      // k = 2
    int applyExtra1 = -1;    // k = 3, carried only
    int userId = -1;         // k = 4: the candidate, or the player who started the impeachment
    CString actionUserName;  // k = 10: who started the impeachment
    CString userName;        // k = 11: the candidate
    CString kingdomName;     // k = 12: the candidate's nation
    int startTime = -1;      // k = 5: voting starts
    int endTime = -1;        // k = 6: the candidacy or impeachment ends
    int applyExtra2 = 0;     // k = 7, carried only
    int agreeVotes = 0;      // k = 8
    int opposeVotes = 0;     // k = 9

    // Running at `now`: endTime > now; voting under way: also startTime < now.
    bool IsRunning(int type, int now) const { return applyType == type && endTime > now; }

    friend bool operator==(const UniteApplyJob&, const UniteApplyJob&) = default;
};

// One post. holderId 0 or less means vacant.
struct ODC_PROTOCOL_API ChamberJob {
    ChamberJob() = default;
    ChamberJob(const ChamberJob&) = delete;  // a post is never copied: it is replaced whole
    ChamberJob& operator=(const ChamberJob&) = delete;

    int jobId = -1;        // k = 0; the key of the job table, 1 ... 15 on the nation buttons
    CString jobName;       // k = 1
    int jobRank = -1;      // k = 2: chooses the mute duration
    int jobExtra1 = -1;    // k = 3, carried only
    int holderId = -1;     // k = 4
    CString jobExtraText;  // k = 5, carried only
    CString jobTime;       // k = 6: the time text shown for a held post
    CString
        extraData;  // k = 7: key/value settings "Power", "Price", "Desc", "Awards", "Conditions", "PControl"
    CString holderName;                       // k = 8
    CString kingdomName;                      // k = 9
    int jobExtra2 = -1;                       // k = 10, carried only
    std::vector<UniteApplyJob> applications;  // in arrival order

    bool IsHeld() const { return holderId > 0; }
    // The first application of `type` still running at `now`, in list order.
    const UniteApplyJob* FirstRunning(int type, int now) const;
};

// Reads entry i of a list message; empty when its first field is absent, not an int or not
// greater than 0. Every other field keeps its default when absent.
ODC_PROTOCOL_API std::optional<UniteApplyJob> ReadApplication(const CKParam& packet, int entry);
ODC_PROTOCOL_API std::unique_ptr<ChamberJob> ReadJob(const CKParam& packet, int entry);

// Writes a record as entry i, every field (for hosts, servers and tests).
ODC_PROTOCOL_API void WriteApplication(CKParam& packet, int entry, const UniteApplyJob& application);
ODC_PROTOCOL_API void WriteJob(CKParam& packet, int entry, const ChamberJob& job);
