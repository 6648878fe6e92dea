// Time on the server: the other players' hourly votes and the closing of elections and
// impeachments at their end time.
#include <algorithm>
#include <vector>

#include "Engine.h"
#include "Rules.h"
#include "param/ChamberMessages.h"

namespace rules {

void Engine::AdvanceTo(std::int64_t time) {
    time = std::min(time, kLastTime);
    bool changed = false;
    while (m_state.now < time) {
        const std::int64_t nextHour = (m_state.now / kHour + 1) * kHour;
        std::int64_t next = std::min(nextHour, time);
        for (const Application& application : m_state.applications) {
            next = std::min(next, application.endTime);
        }
        next = std::max(next, m_state.now);  // a record already over closes now
        m_state.now = next;
        changed = CloseFinished(m_state.now) || changed;
        if (m_state.now == nextHour && m_options.otherPlayersVote) {
            changed = OtherPlayersVote(m_state.now) || changed;
        }
    }
    if (changed) {
        SendJobTable(ChamberMsg::kJobTableWithClock, kEveryone);
        SendAllApplications(kEveryone);
    }
}

bool Engine::OtherPlayersVote(std::int64_t time) {
    bool voted = false;
    for (Application& application : m_state.applications) {
        if (application.startTime < time && application.endTime > time) {
            const int agree = m_random.Below(6);
            const int oppose = m_random.Below(4);
            application.agree = std::min(application.agree, kMaxVoteCount - agree) + agree;
            application.oppose = std::min(application.oppose, kMaxVoteCount - oppose) + oppose;
            m_changes.applications.insert(application.applyId);
            voted = true;
        }
    }
    return voted;
}

bool Engine::CloseFinished(std::int64_t time) {
    bool closed = false;
    std::vector<int> elections;
    for (const Application& application : m_state.applications) {
        if (application.endTime > time) {
            continue;
        }
        closed = true;
        m_changes.applications.insert(application.applyId);
        if (application.type == UniteApplyJob::kCandidacy) {
            if (std::find(elections.begin(), elections.end(), application.jobId) == elections.end()) {
                elections.push_back(application.jobId);
            }
        } else if (application.agree > application.oppose &&
                   HolderOf(application.jobId) == application.targetId) {
            SetHolder(application.jobId, 0, time);
        }
    }
    for (const int jobId : elections) {
        CloseElection(jobId, time);
    }
    std::erase_if(m_state.applications,
                  [time](const Application& application) { return application.endTime <= time; });
    return closed;
}

void Engine::CloseElection(int jobId, std::int64_t time) {
    std::vector<const Application*> candidates;
    for (const Application& application : m_state.applications) {
        if (application.jobId == jobId && application.type == UniteApplyJob::kCandidacy) {
            candidates.push_back(&application);
        }
    }
    // Most votes (in favour less against) first; on a tie the earlier candidate.
    std::sort(candidates.begin(), candidates.end(), [](const Application* a, const Application* b) {
        const std::int64_t netA = std::int64_t{a->agree} - a->oppose;
        const std::int64_t netB = std::int64_t{b->agree} - b->oppose;
        return netA != netB ? netA > netB : a->applyId < b->applyId;
    });
    for (const Application* candidate : candidates) {
        if (HolderOf(jobId) == 0 && PostOf(candidate->playerId) == 0) {
            SetHolder(jobId, candidate->playerId, time);
            return;
        }
    }
}

}  // namespace rules
