// The messages the packet benchmarks encode and decode, as the screen's own records: a vote
// request, the fifteen posts with the server clock, and application lists of any length. The
// CKParam and Protocol Buffers benchmarks share them, so that both carry exactly the same values.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "param/ChamberRecords.h"
#include "param/CKParam.h"

namespace odc::bench {

inline constexpr int kJobCount = 15;
inline constexpr int kClock = 1717243200;  // 2024-06-01 12:00:00 UTC
inline constexpr int kListSizes[] = {100, 300, 655};

struct VoteSample {
    int applyId = 4711;
    int votes = -2;
};

// The fifteen posts: every third vacant (ids 1, 4, 7, ...), the others held, each with its
// settings text.
std::vector<std::unique_ptr<ChamberJob>> SampleJobs();
// `count` applications spread over the first `jobs` posts in turn: candidacies for the vacant
// posts, impeachments for the held ones; all running at kClock, with voting under way.
std::vector<UniteApplyJob> SampleApplications(int count, int jobs = kJobCount);

// The packets a server sends for them, built with the module's own writers.
CKParam JobTablePacket(const std::vector<std::unique_ptr<ChamberJob>>& jobs, int clock);
CKParam ApplicationListPacket(const std::vector<UniteApplyJob>& applications);

// The byte image of a packet, as it travels.
std::string ImageOf(const CKParam& packet);

}  // namespace odc::bench
