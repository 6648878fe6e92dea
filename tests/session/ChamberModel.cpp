#include "ChamberModel.h"

#include <algorithm>
#include <optional>

#include "param/ChamberMessages.h"

namespace ChamberModel {

namespace {

constexpr int kCandidacy = 1;

// Field k of list entry i travels under id 100 i + 100 + k, cut to 16 bits.
short FieldId(int entry, int k) {
    return static_cast<short>(100 * entry + 100 + k);
}

std::optional<int> Int(const CKParam& packet, short id) {
    int value = 0;
    if (packet.GetInt(id, value) != 0) return std::nullopt;
    return value;
}

void ReadInt(const CKParam& packet, int entry, int k, int& out) {
    out = Int(packet, FieldId(entry, k)).value_or(out);
}

void ReadText(const CKParam& packet, int entry, int k, CString& out) {
    packet.GetCString(FieldId(entry, k), out);
}

// Entries of a list: field 60, when it is a positive int; no more than 655 have ids of their own.
int EntryCount(const CKParam& packet) {
    return std::clamp(Int(packet, 60).value_or(0), 0, 655);
}

// An entry counts only when its first field is a positive int.
bool HasEntry(const CKParam& packet, int entry) {
    return Int(packet, FieldId(entry, 0)).value_or(0) > 0;
}

Job ReadJob(const CKParam& packet, int entry) {
    Job job;
    ReadInt(packet, entry, 0, job.jobId);
    ReadText(packet, entry, 1, job.jobName);
    ReadInt(packet, entry, 2, job.jobRank);
    ReadInt(packet, entry, 4, job.holderId);
    ReadText(packet, entry, 6, job.jobTime);
    ReadText(packet, entry, 7, job.extraData);
    ReadText(packet, entry, 8, job.holderName);
    ReadText(packet, entry, 9, job.kingdomName);
    return job;
}

Application ReadApplication(const CKParam& packet, int entry) {
    Application application;
    ReadInt(packet, entry, 0, application.applyId);
    ReadInt(packet, entry, 1, application.jobId);
    ReadInt(packet, entry, 2, application.applyType);
    ReadInt(packet, entry, 5, application.startTime);
    ReadInt(packet, entry, 6, application.endTime);
    ReadInt(packet, entry, 8, application.agreeVotes);
    ReadInt(packet, entry, 9, application.opposeVotes);
    ReadText(packet, entry, 10, application.actionUserName);
    ReadText(packet, entry, 11, application.userName);
    ReadText(packet, entry, 12, application.kingdomName);
    return application;
}

}  // namespace

const Application* Job::FirstRunning(int type, int now) const {
    for (const Application& application : applications) {
        if (application.applyType == type && application.endTime > now) return &application;
    }
    return nullptr;
}

void Model::Receive(int messageId, const CKParam& packet, std::int64_t localNow) {
    switch (messageId) {
        case ChamberMsg::kJobTableWithClock:
            ReadJobTable(packet);
            if (const int clock = Int(packet, 70).value_or(0); clock > 0) {
                m_serverTime = clock;
                m_serverTimeLocal = static_cast<int>(localNow);
            }
            break;
        case ChamberMsg::kJobTable:
            ReadJobTable(packet);
            break;
        case ChamberMsg::kApplicationList:
            for (auto& [id, job] : m_jobs)
                job.applications.clear();
            Merge(packet);
            break;
        case ChamberMsg::kApplicationUpdate:
            Merge(packet);
            break;
        case ChamberMsg::kApplicationEntry:
            Upsert(packet);
            break;
        default:
            break;
    }
}

void Model::ReadJobTable(const CKParam& packet) {
    for (int entry = 0; entry < EntryCount(packet); ++entry) {
        if (HasEntry(packet, entry)) {
            Job job = ReadJob(packet, entry);
            m_jobs[job.jobId] = std::move(job);
        }
    }
}

void Model::Merge(const CKParam& packet) {
    for (int entry = 0; entry < EntryCount(packet); ++entry) {
        if (!HasEntry(packet, entry)) continue;
        const Application application = ReadApplication(packet, entry);
        const auto job = m_jobs.find(application.jobId);
        if (job == m_jobs.end()) continue;
        std::vector<Application> kept;
        for (const Application& old : job->second.applications) {
            if (old.applyId != application.applyId) kept.push_back(old);
        }
        kept.push_back(application);
        job->second.applications = kept;
    }
}

void Model::Upsert(const CKParam& packet) {
    if (EntryCount(packet) == 0 || !HasEntry(packet, 0)) return;
    const Application application = ReadApplication(packet, 0);
    const auto job = m_jobs.find(application.jobId);
    if (job == m_jobs.end()) return;
    for (Application& old : job->second.applications) {
        if (old.applyId == application.applyId) {
            old = application;
            return;
        }
    }
    job->second.applications.push_back(application);
}

void Model::ClickNation(int jobId, std::int64_t localNow) {
    const auto job = m_jobs.find(jobId);
    if (job == m_jobs.end() || job->second.Held()) return;
    const int now = ServerNow(localNow);
    std::vector<Application> kept;
    for (const Application& application : job->second.applications) {
        if (application.applyType == kCandidacy && application.endTime >= now) kept.push_back(application);
    }
    job->second.applications = kept;
}

int Model::ServerNow(std::int64_t localNow) const {
    const int local = static_cast<int>(localNow);
    if (m_serverTime > 0 && m_serverTimeLocal > 0) {
        // The offset measured when the timestamp arrived, in 32-bit two's-complement arithmetic.
        return static_cast<int>(static_cast<unsigned>(m_serverTime) -
                                static_cast<unsigned>(m_serverTimeLocal) + static_cast<unsigned>(local));
    }
    return local;
}

const Job* Model::Find(int jobId) const {
    const auto job = m_jobs.find(jobId);
    return job == m_jobs.end() ? nullptr : &job->second;
}

}  // namespace ChamberModel
