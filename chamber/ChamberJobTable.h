// The screen's job table: every post received from the server, keyed by job id, owning its
// records, and the four ways list messages change it.
#pragma once

#include <memory>
#include <unordered_map>

#include "param/ChamberRecords.h"
#include "param/CKParam.h"

class ChamberJobTable {
public:
    // The post with `jobId`, or null.
    ChamberJob* Find(int jobId) const;
    std::size_t Size() const { return m_jobs.size(); }

    // Job table message: every post it carries replaces the record with its id (with an empty
    // application list); posts it does not carry keep theirs. `selected` follows its post to the
    // new record, so it never points at a destroyed one.
    void ApplyJobTable(const CKParam& packet, ChamberJob*& selected);
    // Complete application list: empties every post's list, then merges the packet in.
    void ReplaceApplications(const CKParam& packet);
    // Application update: each entry replaces the entries of the same applyId in its post's list
    // and goes to the end; entries for posts not in the table are dropped.
    void MergeApplications(const CKParam& packet);
    // One application (entry 0): overwrites the one with its applyId in place, or is appended.
    // False when the packet carries no valid entry or its post is not in the table.
    bool UpsertApplication(const CKParam& packet);
    // Destroys every record.
    void ClearJobs() { m_jobs.clear(); }

    template <class Visit>
    void ForEach(Visit visit) const {
        for (const auto& [id, job] : m_jobs)
            visit(*job);
    }

private:
    std::unordered_map<int, std::unique_ptr<ChamberJob>> m_jobs;
};

// Removes from a post's list every application that is not a candidacy or whose endTime lies
// before `now` (endTime == now stays); the rest keep their order.
void PruneApplications(ChamberJob& job, int now);
