#include "PacketSamples.h"

#include <array>

#include "param/ChamberMessages.h"

namespace odc::bench {

namespace {

const std::array<const char16_t*, 4> kNames = {u"小舞", u"阿飞", u"张三丰", u"东方不败"};
const std::array<const char16_t*, 2> kKingdoms = {u"东方王国", u"西方王国"};

template <class Array>
const char16_t* Pick(const Array& texts, int i) {
    return texts[static_cast<std::size_t>(i) % texts.size()];
}

bool IsVacant(int jobIndex) {
    return jobIndex % 3 == 0;
}

}  // namespace

std::vector<std::unique_ptr<ChamberJob>> SampleJobs() {
    std::vector<std::unique_ptr<ChamberJob>> jobs;
    for (int i = 0; i < kJobCount; ++i) {
        auto job = std::make_unique<ChamberJob>();
        job->jobId = i + 1;
        job->jobName = u"大将军";
        job->jobRank = i % 4;
        job->jobExtra1 = 0;
        job->holderId = IsVacant(i) ? 0 : 10000 + i;
        job->jobTime = u"2024-05-28 21:30:00";
        job->extraData =
            u"Power=统领军队;Price=200;Desc=守卫王国的边境;Awards=1.2;Conditions=等级 30 以上;"
            u"PControl=每日俸禄 200 金币";
        job->holderName = job->holderId > 0 ? Pick(kNames, i) : u"";
        job->kingdomName = Pick(kKingdoms, i);
        job->jobExtra2 = 0;
        jobs.push_back(std::move(job));
    }
    return jobs;
}

std::vector<UniteApplyJob> SampleApplications(int count, int jobs) {
    std::vector<UniteApplyJob> applications;
    for (int i = 0; i < count; ++i) {
        const int job = i % jobs;
        UniteApplyJob application;
        application.applyId = i + 1;
        application.jobId = job + 1;
        application.applyType = IsVacant(job) ? UniteApplyJob::kCandidacy : UniteApplyJob::kImpeachment;
        application.applyExtra1 = 0;
        application.userId = 20000 + i;
        application.actionUserName = Pick(kNames, i + 1);
        application.userName = Pick(kNames, i);
        application.kingdomName = Pick(kKingdoms, i);
        application.startTime = kClock - 3600;
        application.endTime = kClock + 86400;
        application.applyExtra2 = 0;
        application.agreeVotes = i % 50;
        application.opposeVotes = i % 7;
        applications.push_back(std::move(application));
    }
    return applications;
}

CKParam JobTablePacket(const std::vector<std::unique_ptr<ChamberJob>>& jobs, int clock) {
    CKParam packet;
    packet.SetInt(ChamberMsg::Field::kCount, static_cast<int>(jobs.size()));
    for (std::size_t i = 0; i < jobs.size(); ++i)
        WriteJob(packet, static_cast<int>(i), *jobs[i]);
    packet.SetInt(ChamberMsg::Field::kClock, clock);
    return packet;
}

CKParam ApplicationListPacket(const std::vector<UniteApplyJob>& applications) {
    CKParam packet;
    packet.SetInt(ChamberMsg::Field::kCount, static_cast<int>(applications.size()));
    for (std::size_t i = 0; i < applications.size(); ++i)
        WriteApplication(packet, static_cast<int>(i), applications[i]);
    return packet;
}

std::string ImageOf(const CKParam& packet) {
    return {packet.GetBufferPtr(), static_cast<std::size_t>(packet.GetLength())};
}

}  // namespace odc::bench
