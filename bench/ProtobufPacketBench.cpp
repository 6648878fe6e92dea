// The peer of PacketBench.cpp: the same messages with the same values through Protocol Buffers,
// encoded from and decoded into the screen's records, every field, with the same checks.
#include <benchmark/benchmark.h>

#include <bit>
#include <cstring>
#include <string>
#include <vector>

#include "AllocationMeter.h"
#include "ChamberPackets.pb.h"
#include "PacketSamples.h"

namespace odc::bench {
namespace {

static_assert(std::endian::native == std::endian::little, "texts travel as little-endian UTF-16");

std::string BytesOf(const CString& text) {
    return {reinterpret_cast<const char*>(text.GetString()), 2 * text.GetLength()};
}

CString TextOf(const std::string& bytes) {
    std::u16string units(bytes.size() / 2, u'\0');
    std::memcpy(units.data(), bytes.data(), 2 * units.size());
    return CString(std::move(units));
}

void WriteJob(const ChamberJob& job, pb::Job& out) {
    out.set_job_id(job.jobId);
    out.set_job_name(BytesOf(job.jobName));
    out.set_job_rank(job.jobRank);
    out.set_job_extra1(job.jobExtra1);
    out.set_holder_id(job.holderId);
    out.set_job_extra_text(BytesOf(job.jobExtraText));
    out.set_job_time(BytesOf(job.jobTime));
    out.set_extra_data(BytesOf(job.extraData));
    out.set_holder_name(BytesOf(job.holderName));
    out.set_kingdom_name(BytesOf(job.kingdomName));
    out.set_job_extra2(job.jobExtra2);
}

// As ReadJob: skipped without a positive id; absent fields keep the record's defaults.
std::unique_ptr<ChamberJob> ReadJob(const pb::Job& in) {
    if (!in.has_job_id() || in.job_id() <= 0) return nullptr;
    auto job = std::make_unique<ChamberJob>();
    job->jobId = in.job_id();
    if (in.has_job_name()) job->jobName = TextOf(in.job_name());
    if (in.has_job_rank()) job->jobRank = in.job_rank();
    if (in.has_job_extra1()) job->jobExtra1 = in.job_extra1();
    if (in.has_holder_id()) job->holderId = in.holder_id();
    if (in.has_job_extra_text()) job->jobExtraText = TextOf(in.job_extra_text());
    if (in.has_job_time()) job->jobTime = TextOf(in.job_time());
    if (in.has_extra_data()) job->extraData = TextOf(in.extra_data());
    if (in.has_holder_name()) job->holderName = TextOf(in.holder_name());
    if (in.has_kingdom_name()) job->kingdomName = TextOf(in.kingdom_name());
    if (in.has_job_extra2()) job->jobExtra2 = in.job_extra2();
    return job;
}

void WriteApplication(const UniteApplyJob& application, pb::Application& out) {
    out.set_apply_id(application.applyId);
    out.set_job_id(application.jobId);
    out.set_apply_type(application.applyType);
    out.set_apply_extra1(application.applyExtra1);
    out.set_user_id(application.userId);
    out.set_action_user_name(BytesOf(application.actionUserName));
    out.set_user_name(BytesOf(application.userName));
    out.set_kingdom_name(BytesOf(application.kingdomName));
    out.set_start_time(application.startTime);
    out.set_end_time(application.endTime);
    out.set_apply_extra2(application.applyExtra2);
    out.set_agree_votes(application.agreeVotes);
    out.set_oppose_votes(application.opposeVotes);
}

// As ReadApplication.
std::optional<UniteApplyJob> ReadApplication(const pb::Application& in) {
    if (!in.has_apply_id() || in.apply_id() <= 0) return std::nullopt;
    UniteApplyJob application;
    application.applyId = in.apply_id();
    if (in.has_job_id()) application.jobId = in.job_id();
    if (in.has_apply_type()) application.applyType = in.apply_type();
    if (in.has_apply_extra1()) application.applyExtra1 = in.apply_extra1();
    if (in.has_user_id()) application.userId = in.user_id();
    if (in.has_action_user_name()) application.actionUserName = TextOf(in.action_user_name());
    if (in.has_user_name()) application.userName = TextOf(in.user_name());
    if (in.has_kingdom_name()) application.kingdomName = TextOf(in.kingdom_name());
    if (in.has_start_time()) application.startTime = in.start_time();
    if (in.has_end_time()) application.endTime = in.end_time();
    if (in.has_apply_extra2()) application.applyExtra2 = in.apply_extra2();
    if (in.has_agree_votes()) application.agreeVotes = in.agree_votes();
    if (in.has_oppose_votes()) application.opposeVotes = in.oppose_votes();
    return application;
}

std::string VoteRequestImage() {
    const VoteSample vote;
    pb::VoteRequest message;
    message.set_apply_id(vote.applyId);
    message.set_votes(vote.votes);
    return message.SerializeAsString();
}

std::string JobTableImage(const std::vector<std::unique_ptr<ChamberJob>>& jobs) {
    pb::JobTable message;
    for (const auto& job : jobs)
        WriteJob(*job, *message.add_jobs());
    message.set_clock(kClock);
    return message.SerializeAsString();
}

std::string ApplicationListImage(const std::vector<UniteApplyJob>& applications) {
    pb::ApplicationList message;
    for (const UniteApplyJob& application : applications)
        WriteApplication(application, *message.add_applications());
    return message.SerializeAsString();
}

void SetBytes(benchmark::State& state, const std::string& image) {
    state.counters["bytes"] = static_cast<double>(image.size());
}

void EncodeVoteRequest(benchmark::State& state) {
    AllocationMeter allocations(state);
    for (auto _ : state)
        benchmark::DoNotOptimize(VoteRequestImage());
    allocations.Report();
    SetBytes(state, VoteRequestImage());
}

// Messages are parsed into one reused object, protobuf's fast path (and CKParam's too).
void DecodeVoteRequest(benchmark::State& state) {
    const std::string image = VoteRequestImage();
    pb::VoteRequest message;
    AllocationMeter allocations(state);
    for (auto _ : state) {
        message.ParseFromString(image);
        VoteSample read{-1, 0};
        if (message.has_apply_id()) read.applyId = message.apply_id();
        if (message.has_votes()) read.votes = message.votes();
        benchmark::DoNotOptimize(read);
    }
    allocations.Report();
    SetBytes(state, image);
}

void EncodeJobTable(benchmark::State& state) {
    const auto jobs = SampleJobs();
    AllocationMeter allocations(state);
    for (auto _ : state)
        benchmark::DoNotOptimize(JobTableImage(jobs));
    allocations.Report();
    SetBytes(state, JobTableImage(jobs));
}

void DecodeJobTable(benchmark::State& state) {
    const std::string image = JobTableImage(SampleJobs());
    pb::JobTable message;
    std::vector<std::unique_ptr<ChamberJob>> jobs;
    AllocationMeter allocations(state);
    for (auto _ : state) {
        message.ParseFromString(image);
        jobs.clear();
        for (const pb::Job& entry : message.jobs()) {
            if (auto job = ReadJob(entry)) jobs.push_back(std::move(job));
        }
        benchmark::DoNotOptimize(message.has_clock() ? message.clock() : 0);
        benchmark::DoNotOptimize(jobs.data());
    }
    allocations.Report();
    SetBytes(state, image);
}

void EncodeApplications(benchmark::State& state, int entries) {
    const auto applications = SampleApplications(entries);
    AllocationMeter allocations(state);
    for (auto _ : state)
        benchmark::DoNotOptimize(ApplicationListImage(applications));
    allocations.Report();
    SetBytes(state, ApplicationListImage(applications));
}

void DecodeApplications(benchmark::State& state, int entries) {
    const std::string image = ApplicationListImage(SampleApplications(entries));
    pb::ApplicationList message;
    std::vector<UniteApplyJob> applications;
    AllocationMeter allocations(state);
    for (auto _ : state) {
        message.ParseFromString(image);
        applications.clear();
        for (const pb::Application& entry : message.applications()) {
            if (auto application = ReadApplication(entry)) applications.push_back(std::move(*application));
        }
        benchmark::DoNotOptimize(applications.data());
    }
    allocations.Report();
    SetBytes(state, image);
}

const bool kRegistered = [] {
    benchmark::RegisterBenchmark("Encode/VoteRequest/Protobuf", EncodeVoteRequest);
    benchmark::RegisterBenchmark("Decode/VoteRequest/Protobuf", DecodeVoteRequest);
    benchmark::RegisterBenchmark("Encode/JobTable15/Protobuf", EncodeJobTable);
    benchmark::RegisterBenchmark("Decode/JobTable15/Protobuf", DecodeJobTable);
    for (const int entries : kListSizes) {
        const std::string message = "/Applications" + std::to_string(entries);
        benchmark::RegisterBenchmark(("Encode" + message + "/Protobuf").c_str(), EncodeApplications, entries);
        benchmark::RegisterBenchmark(("Decode" + message + "/Protobuf").c_str(), DecodeApplications, entries);
    }
    return true;
}();

}  // namespace
}  // namespace odc::bench
