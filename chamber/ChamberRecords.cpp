#include "chamber/ChamberRecords.h"

#include <span>

#include "param/ChamberMessages.h"

namespace {

// Where each field of a record travels within its entry: field id 100 * i + 100 + k.
template <class Record>
struct IntField {
    int Record::*member;
    int k;
};
template <class Record>
struct TextField {
    CString Record::*member;
    int k;
};

constexpr IntField<ChamberJob> kJobInts[] = {
    {&ChamberJob::jobId, 0},    {&ChamberJob::jobRank, 2},    {&ChamberJob::jobExtra1, 3},
    {&ChamberJob::holderId, 4}, {&ChamberJob::jobExtra2, 10},
};
constexpr TextField<ChamberJob> kJobTexts[] = {
    {&ChamberJob::jobName, 1},   {&ChamberJob::jobExtraText, 5}, {&ChamberJob::jobTime, 6},
    {&ChamberJob::extraData, 7}, {&ChamberJob::holderName, 8},   {&ChamberJob::kingdomName, 9},
};

constexpr IntField<UniteApplyJob> kApplicationInts[] = {
    {&UniteApplyJob::applyId, 0},     {&UniteApplyJob::jobId, 1},       {&UniteApplyJob::applyType, 2},
    {&UniteApplyJob::applyExtra1, 3}, {&UniteApplyJob::userId, 4},      {&UniteApplyJob::startTime, 5},
    {&UniteApplyJob::endTime, 6},     {&UniteApplyJob::applyExtra2, 7}, {&UniteApplyJob::agreeVotes, 8},
    {&UniteApplyJob::opposeVotes, 9},
};
// The texts of an application use the last three ids of its entry.
constexpr TextField<UniteApplyJob> kApplicationTexts[] = {
    {&UniteApplyJob::actionUserName, 10},
    {&UniteApplyJob::userName, 11},
    {&UniteApplyJob::kingdomName, 12},
};

// The first field of an entry (its id) must be an int greater than 0, or the entry is skipped.
bool HasKey(const CKParam& packet, int entry) {
    int key = 0;
    return packet.GetInt(ChamberMsg::EntryField(entry, 0), key) == 0 && key > 0;
}

template <class Record>
void ReadFields(const CKParam& packet, int entry, std::span<const IntField<Record>> ints,
                std::span<const TextField<Record>> texts, Record& record) {
    for (const auto& field : ints)
        packet.GetInt(ChamberMsg::EntryField(entry, field.k), record.*field.member);
    for (const auto& field : texts)
        packet.GetCString(ChamberMsg::EntryField(entry, field.k), record.*field.member);
}

template <class Record>
void WriteFields(CKParam& packet, int entry, std::span<const IntField<Record>> ints,
                 std::span<const TextField<Record>> texts, const Record& record) {
    // Written in field-id order, as a server would lay an entry out.
    for (int k = 0; k <= 12; ++k) {
        for (const auto& field : ints) {
            if (field.k == k) packet.SetInt(ChamberMsg::EntryField(entry, k), record.*field.member);
        }
        for (const auto& field : texts) {
            if (field.k == k) packet.SetCString(ChamberMsg::EntryField(entry, k), record.*field.member);
        }
    }
}

}  // namespace

const UniteApplyJob* ChamberJob::FirstRunning(int type, int now) const {
    for (const UniteApplyJob& application : applications) {
        if (application.IsRunning(type, now)) return &application;
    }
    return nullptr;
}

std::optional<UniteApplyJob> ReadApplication(const CKParam& packet, int entry) {
    if (!HasKey(packet, entry)) return std::nullopt;
    UniteApplyJob application;
    ReadFields<UniteApplyJob>(packet, entry, kApplicationInts, kApplicationTexts, application);
    return application;
}

std::unique_ptr<ChamberJob> ReadJob(const CKParam& packet, int entry) {
    if (!HasKey(packet, entry)) return nullptr;
    auto job = std::make_unique<ChamberJob>();
    ReadFields<ChamberJob>(packet, entry, kJobInts, kJobTexts, *job);
    return job;
}

void WriteApplication(CKParam& packet, int entry, const UniteApplyJob& application) {
    WriteFields<UniteApplyJob>(packet, entry, kApplicationInts, kApplicationTexts, application);
}

void WriteJob(CKParam& packet, int entry, const ChamberJob& job) {
    WriteFields<ChamberJob>(packet, entry, kJobInts, kJobTexts, job);
}
