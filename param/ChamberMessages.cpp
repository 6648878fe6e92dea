#include "param/ChamberMessages.h"

namespace ChamberMsg {

namespace {

std::optional<int> ReadInt(const CKParam& packet, short id) {
    int value = 0;
    if (packet.GetInt(id, value) != 0) return std::nullopt;
    return value;
}

std::optional<CString> ReadText(const CKParam& packet, short id) {
    CString value;
    if (packet.GetCString(id, value) != 0) return std::nullopt;
    return value;
}

CKParam MakeJobRequest(int jobId) {
    CKParam packet;
    packet.SetInt(Field::kTarget, jobId);
    return packet;
}

}  // namespace

CKParam MakeApplyRequest(int jobId) {
    return MakeJobRequest(jobId);
}

CKParam MakeImpeachRequest(int jobId) {
    return MakeJobRequest(jobId);
}

CKParam MakeVoteRequest(int applyId, int votes) {
    CKParam packet;
    packet.SetInt(Field::kTarget, applyId);
    packet.SetInt(Field::kVotes, votes);
    return packet;
}

CKParam MakeMuteRequest(const CString& name, int seconds) {
    CKParam packet;
    packet.SetCString(Field::kTarget, name);
    packet.SetInt(Field::kMuteFlag, 1);
    packet.SetInt(Field::kMuteSeconds, seconds);
    return packet;
}

Result ReadResult(const CKParam& packet) {
    return {ReadInt(packet, Field::kResult), ReadText(packet, Field::kReason)};
}

ApplyResult ReadApplyResult(const CKParam& packet) {
    return {ReadResult(packet), ReadText(packet, Field::kJobName), ReadInt(packet, Field::kHolds)};
}

VoteResult ReadVoteResult(const CKParam& packet) {
    return {ReadResult(packet), ReadInt(packet, Field::kVotesUsed)};
}

MuteResult ReadMuteResult(const CKParam& packet) {
    return {ReadResult(packet), ReadInt(packet, Field::kMutesUsed), ReadInt(packet, Field::kMutesAllowed)};
}

std::optional<int> ReadClock(const CKParam& packet) {
    return ReadInt(packet, Field::kClock);
}

int ReadEntryCount(const CKParam& packet) {
    const int count = ReadInt(packet, Field::kCount).value_or(0);
    return count <= 0 ? 0 : count < kMaxEntries ? count : kMaxEntries;
}

}  // namespace ChamberMsg
