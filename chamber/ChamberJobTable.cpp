#include "chamber/ChamberJobTable.h"

#include <algorithm>

#include "param/ChamberMessages.h"

ChamberJob* ChamberJobTable::Find(int jobId) const {
    const auto found = m_jobs.find(jobId);
    return found == m_jobs.end() ? nullptr : found->second.get();
}

void ChamberJobTable::ApplyJobTable(const CKParam& packet, ChamberJob*& selected) {
    const int count = ChamberMsg::ReadEntryCount(packet);
    for (int entry = 0; entry < count; ++entry) {
        std::unique_ptr<ChamberJob> job = ReadJob(packet, entry);
        if (!job) continue;
        std::unique_ptr<ChamberJob>& slot = m_jobs[job->jobId];
        if (selected && selected->jobId == job->jobId) selected = job.get();
        slot = std::move(job);  // destroys the old record with its applications
    }
}

void ChamberJobTable::ReplaceApplications(const CKParam& packet) {
    for (auto& [id, job] : m_jobs)
        job->applications.clear();
    MergeApplications(packet);
}

void ChamberJobTable::MergeApplications(const CKParam& packet) {
    const int count = ChamberMsg::ReadEntryCount(packet);
    for (int entry = 0; entry < count; ++entry) {
        std::optional<UniteApplyJob> application = ReadApplication(packet, entry);
        if (!application) continue;
        ChamberJob* job = Find(application->jobId);
        if (!job) continue;
        std::erase_if(job->applications,
                      [&](const UniteApplyJob& old) { return old.applyId == application->applyId; });
        job->applications.push_back(std::move(*application));
    }
}

bool ChamberJobTable::UpsertApplication(const CKParam& packet) {
    if (ChamberMsg::ReadEntryCount(packet) == 0) return false;
    std::optional<UniteApplyJob> application = ReadApplication(packet, 0);
    if (!application) return false;
    ChamberJob* job = Find(application->jobId);
    if (!job) return false;
    auto& list = job->applications;
    const auto same = std::find_if(list.begin(), list.end(), [&](const UniteApplyJob& old) {
        return old.applyId == application->applyId;
    });
    if (same != list.end()) {
        *same = std::move(*application);
    } else {
        list.push_back(std::move(*application));
    }
    return true;
}

void PruneApplications(ChamberJob& job, int now) {
    std::erase_if(job.applications, [now](const UniteApplyJob& application) {
        return application.applyType != UniteApplyJob::kCandidacy || application.endTime < now;
    });
}
