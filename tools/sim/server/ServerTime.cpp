// Time on the server: the other players' hourly votes and the closing of elections and
// impeachments at their end time.
#include <algorithm>
#include <vector>

#include "Rules.h"
#include "Server.h"
#include "param/ChamberMessages.h"

namespace sim {

void Server::AdvanceTo(std::int64_t time) {
    bool changed = false;
    while (m_now < time) {
        const std::int64_t nextHour = (m_now / rules::kHour + 1) * rules::kHour;
        std::int64_t next = std::min(nextHour, time);
        for (const Application& application : m_applications) {
            next = std::min(next, application.endTime);
        }
        m_now = next;
        changed = CloseFinished(m_now) || changed;
        if (m_now == nextHour) {
            changed = OtherPlayersVote(m_now) || changed;
        }
    }
    if (changed) {
        SendJobTable(ChamberMsg::kJobTableWithClock);
        SendAllApplications();
    }
}

bool Server::OtherPlayersVote(std::int64_t time) {
    bool voted = false;
    for (Application& application : m_applications) {
        if (application.startTime < time && application.endTime > time) {
            application.agree += m_random.Below(6);
            application.oppose += m_random.Below(4);
            voted = true;
        }
    }
    return voted;
}

bool Server::CloseFinished(std::int64_t time) {
    bool closed = false;
    std::vector<int> elections;
    for (const Application& application : m_applications) {
        if (application.endTime > time) {
            continue;
        }
        closed = true;
        if (application.type == UniteApplyJob::kCandidacy) {
            if (std::find(elections.begin(), elections.end(), application.jobId) == elections.end()) {
                elections.push_back(application.jobId);
            }
        } else if (application.agree > application.oppose &&
                   HolderOf(application.jobId) == application.targetId) {
            m_holders.erase(application.jobId);
        }
    }
    for (const int jobId : elections) {
        CloseElection(jobId, time);
    }
    std::erase_if(m_applications,
                  [time](const Application& application) { return application.endTime <= time; });
    return closed;
}

void Server::CloseElection(int jobId, std::int64_t time) {
    std::vector<const Application*> candidates;
    for (const Application& application : m_applications) {
        if (application.jobId == jobId && application.type == UniteApplyJob::kCandidacy) {
            candidates.push_back(&application);
        }
    }
    // Most votes (in favour less against) first; on a tie the earlier candidate.
    std::sort(candidates.begin(), candidates.end(), [](const Application* a, const Application* b) {
        const int netA = a->agree - a->oppose;
        const int netB = b->agree - b->oppose;
        return netA != netB ? netA > netB : a->applyId < b->applyId;
    });
    for (const Application* candidate : candidates) {
        if (HolderOf(jobId) == 0 && PostOf(candidate->playerId) == 0) {
            m_holders[jobId] = {candidate->playerId, time};
            return;
        }
    }
}

}  // namespace sim
