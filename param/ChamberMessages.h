// The Chamber's message catalogue: every message id, every field id, the builders of the four
// requests and the readers of the four results. List messages (job tables, application lists)
// carry their entries as described in param/ChamberRecords.h.
#pragma once

#include <optional>

#include "OrnDanceChamberExport.h"
#include "param/CKParam.h"
#include "text/CString.h"

namespace ChamberMsg {

// Message ids. A request's result comes back under the request's id + 1.
inline constexpr int kJobTableWithClock = 10000012;  // job table, then the server clock (field 70)
inline constexpr int kApplicationList = 10000014;    // every application list, replacing all
inline constexpr int kApply = 10000017;              // request: apply for a vacant post
inline constexpr int kApplyResult = 10000018;
inline constexpr int kJobTable = 10000020;           // job table without clock
inline constexpr int kApplicationUpdate = 10000022;  // application lists merged in
inline constexpr int kImpeach = 10000023;            // request: start an impeachment of a holder
inline constexpr int kImpeachResult = 10000024;
inline constexpr int kVote = 10000025;  // request: vote on a candidacy or an impeachment
inline constexpr int kVoteResult = 10000026;
inline constexpr int kApplicationEntry = 10000028;  // one application, inserted or replaced
inline constexpr int kMute = 10000031;              // request: mute a player
inline constexpr int kMuteResult = 10000032;

// Incoming ids the screen accepts: kFirstIncoming ... kLastIncoming (others are dropped).
inline constexpr int kFirstIncoming = 10000012;
inline constexpr int kLastIncoming = 10000032;

// The first argument of every OnSendParam call.
inline constexpr int kRequestChannel = 1000;

// Field ids.
namespace Field {
inline constexpr short kTarget = 50;    // requests: job id (apply, impeach), apply id (vote), name (mute)
inline constexpr short kVotes = 60;     // vote: signed ballots, + in favour, - against
inline constexpr short kMuteFlag = 60;  // mute: always 1
inline constexpr short kMuteSeconds = 70;
inline constexpr short kCount = 60;      // lists: number of entries
inline constexpr short kClock = 70;      // job table with clock: server time, seconds since 1970 UTC
inline constexpr short kResult = 31;     // results: 1 = success
inline constexpr short kReason = 32;     // results: failure reason text
inline constexpr short kJobName = 33;    // apply result: name of the post
inline constexpr short kHolds = 34;      // apply result: 1 = the applicant now holds the post
inline constexpr short kVotesUsed = 33;  // vote result: ballots used
inline constexpr short kMutesUsed = 36;  // mute result: mutes used today before this one
inline constexpr short kMutesAllowed = 37;
}  // namespace Field

// Field id of field k of list entry i: 100 * i + 100 + k. 655 entries fit in the 16-bit ids.
inline constexpr int kMaxEntries = 655;
constexpr short EntryField(int entry, int k) {
    return static_cast<short>(100 * entry + 100 + k);
}

// Request packets, fields in the order the server expects.
ODC_PROTOCOL_API CKParam MakeApplyRequest(int jobId);
ODC_PROTOCOL_API CKParam MakeImpeachRequest(int jobId);
ODC_PROTOCOL_API CKParam MakeVoteRequest(int applyId, int votes);
ODC_PROTOCOL_API CKParam MakeMuteRequest(const CString& name, int seconds);

// The result messages as read from a packet; an absent (or mistyped) field is empty.
struct Result {
    std::optional<int> result;      // field 31
    std::optional<CString> reason;  // field 32
    bool Succeeded() const { return result == 1; }
};
struct ApplyResult : Result {
    std::optional<CString> jobName;  // field 33
    std::optional<int> holds;        // field 34
};
struct VoteResult : Result {
    std::optional<int> votesUsed;  // field 33
};
struct MuteResult : Result {
    std::optional<int> used;     // field 36
    std::optional<int> allowed;  // field 37
};

ODC_PROTOCOL_API Result ReadResult(const CKParam& packet);
ODC_PROTOCOL_API ApplyResult ReadApplyResult(const CKParam& packet);
ODC_PROTOCOL_API VoteResult ReadVoteResult(const CKParam& packet);
ODC_PROTOCOL_API MuteResult ReadMuteResult(const CKParam& packet);

// The server clock of a job table, when present.
ODC_PROTOCOL_API std::optional<int> ReadClock(const CKParam& packet);
// The number of entries to read from a list message: field 60 when it is an int greater than 0,
// else 0. Entries beyond the 655th have no field ids of their own (ids are 16-bit), so they would
// read as missing and be skipped: the count is capped at kMaxEntries.
ODC_PROTOCOL_API int ReadEntryCount(const CKParam& packet);

}  // namespace ChamberMsg
