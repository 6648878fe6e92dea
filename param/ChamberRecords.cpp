#include "param/ChamberRecords.h"

#include <span>

#include "param/ChamberMessages.h"

namespace {

// The fields of a record in the order they travel: field k of entry i has the id 100 * i + 100 + k
// and is the k-th row, an int (tag 20) or a text (tag 40). Row 0 is the record's key.
template <class Record>
struct Field {
    int Record::*number = nullptr;
    CString Record::*text = nullptr;
};

template <class Record>
constexpr Field<Record> Int(int Record::*member) {
    return {member, nullptr};
}
template <class Record>
constexpr Field<Record> Text(CString Record::*member) {
    return {nullptr, member};
}

constexpr Field<ChamberJob> kJobFields[] = {
    Int(&ChamberJob::jobId),        Text(&ChamberJob::jobName),   Int(&ChamberJob::jobRank),
    Int(&ChamberJob::jobExtra1),    Int(&ChamberJob::holderId),   Text(&ChamberJob::jobExtraText),
    Text(&ChamberJob::jobTime),     Text(&ChamberJob::extraData), Text(&ChamberJob::holderName),
    Text(&ChamberJob::kingdomName), Int(&ChamberJob::jobExtra2),
};

// The texts of an application use the last three ids of its entry.
constexpr Field<UniteApplyJob> kApplicationFields[] = {
    Int(&UniteApplyJob::applyId),      Int(&UniteApplyJob::jobId),           Int(&UniteApplyJob::applyType),
    Int(&UniteApplyJob::applyExtra1),  Int(&UniteApplyJob::userId),          Int(&UniteApplyJob::startTime),
    Int(&UniteApplyJob::endTime),      Int(&UniteApplyJob::applyExtra2),     Int(&UniteApplyJob::agreeVotes),
    Int(&UniteApplyJob::opposeVotes),  Text(&UniteApplyJob::actionUserName), Text(&UniteApplyJob::userName),
    Text(&UniteApplyJob::kingdomName),
};

// The first field of an entry (its id, the record's key) must be an int greater than 0, or the
// entry is skipped: 0 then.
int ReadKey(const CKParam& packet, int entry) {
    int key = 0;
    return packet.GetInt(ChamberMsg::EntryField(entry, 0), key) == 0 && key > 0 ? key : 0;
}

// Fills a record of the entry whose key has been read. Fields are read in the order a writer lays
// them out, which is the order a packet's index serves fastest.
template <class Record>
void ReadFields(const CKParam& packet, int entry, int key, std::span<const Field<Record>> fields,
                Record& record) {
    record.*fields.front().number = key;
    for (std::size_t k = 1; k < fields.size(); ++k) {
        const short id = ChamberMsg::EntryField(entry, static_cast<int>(k));
        if (fields[k].number) {
            packet.GetInt(id, record.*fields[k].number);
        } else {
            packet.GetCString(id, record.*fields[k].text);
        }
    }
}

// Written in field-id order, as a server would lay an entry out.
template <class Record>
void WriteFields(CKParam& packet, int entry, std::span<const Field<Record>> fields, const Record& record) {
    for (std::size_t k = 0; k < fields.size(); ++k) {
        const short id = ChamberMsg::EntryField(entry, static_cast<int>(k));
        if (fields[k].number) {
            packet.SetInt(id, record.*fields[k].number);
        } else {
            packet.SetCString(id, record.*fields[k].text);
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
    const int key = ReadKey(packet, entry);
    if (key == 0) return std::nullopt;
    std::optional<UniteApplyJob> application(std::in_place);  // filled where it is returned
    ReadFields<UniteApplyJob>(packet, entry, key, kApplicationFields, *application);
    return application;
}

std::unique_ptr<ChamberJob> ReadJob(const CKParam& packet, int entry) {
    const int key = ReadKey(packet, entry);
    if (key == 0) return nullptr;
    auto job = std::make_unique<ChamberJob>();
    ReadFields<ChamberJob>(packet, entry, key, kJobFields, *job);
    return job;
}

void WriteApplication(CKParam& packet, int entry, const UniteApplyJob& application) {
    WriteFields<UniteApplyJob>(packet, entry, kApplicationFields, application);
}

void WriteJob(CKParam& packet, int entry, const ChamberJob& job) {
    WriteFields<ChamberJob>(packet, entry, kJobFields, job);
}
