#include "chamber/ChamberJobTable.h"

#include <algorithm>
#include <span>

#include "param/ChamberMessages.h"

namespace {

// An application entry of a list message for a post of the table, as a merge sorts them: by post,
// by applyId, then in packet order.
struct Arrival {
    int jobId;
    int applyId;
    std::size_t position;  // of its record among the packet's records
    // clang-tidy 14 takes the literal 0 a defaulted <=> compares with for a null pointer.
    friend auto operator<=>(const Arrival&, const Arrival&) = default;  // NOLINT(modernize-use-nullptr)
};

// Merges a post's arrivals (`arrivals`, sorted; their records in `records`) into its list: the
// old entries whose applyId no arrival carries, in their order, then the last arrival of each
// applyId, in packet order. Every record is moved once.
void MergeInto(std::vector<UniteApplyJob>& list, std::span<const Arrival> arrivals,
               std::vector<UniteApplyJob>& records) {
    std::vector<std::size_t> staying;
    for (std::size_t i = 0; i < arrivals.size(); ++i) {
        if (i + 1 == arrivals.size() || arrivals[i + 1].applyId != arrivals[i].applyId)
            staying.push_back(arrivals[i].position);
    }
    std::sort(staying.begin(), staying.end());
    const auto carried = [arrivals](int applyId) {
        const auto found =
            std::lower_bound(arrivals.begin(), arrivals.end(), applyId,
                             [](const Arrival& arrival, int id) { return arrival.applyId < id; });
        return found != arrivals.end() && found->applyId == applyId;
    };
    std::vector<UniteApplyJob> merged;
    merged.reserve(list.size() + staying.size());
    for (UniteApplyJob& old : list) {
        if (!carried(old.applyId)) merged.push_back(std::move(old));
    }
    for (const std::size_t position : staying)
        merged.push_back(std::move(records[position]));
    list = std::move(merged);
}

}  // namespace

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

// Each entry, in turn, removes the entries of its applyId from its post's list and goes to the
// end. Done literally, that walks a post's list once per entry: quadratic when a post has hundreds.
// Here the packet is read whole, and then each list it touches is rebuilt once.
void ChamberJobTable::MergeApplications(const CKParam& packet) {
    std::vector<UniteApplyJob> records;  // the entries for posts of the table, in packet order
    std::vector<Arrival> arrivals;
    const auto count = static_cast<std::size_t>(ChamberMsg::ReadEntryCount(packet));
    records.reserve(count);
    arrivals.reserve(count);
    for (std::size_t entry = 0; entry < count; ++entry) {
        std::optional<UniteApplyJob> application = ReadApplication(packet, static_cast<int>(entry));
        if (!application || !Find(application->jobId)) continue;
        arrivals.push_back({application->jobId, application->applyId, records.size()});
        records.push_back(std::move(*application));
    }
    std::sort(arrivals.begin(), arrivals.end());
    for (auto post = arrivals.begin(); post != arrivals.end();) {
        const int jobId = post->jobId;
        const auto next =
            std::find_if(post, arrivals.end(), [jobId](const Arrival& a) { return a.jobId != jobId; });
        MergeInto(Find(jobId)->applications, {post, next}, records);
        post = next;
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
