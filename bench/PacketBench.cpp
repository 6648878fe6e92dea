// CKParam's costs on the Chamber's messages: encoding each with the module's writers, decoding each
// into the screen's records as the screen reads it, and copying the image as the floor of both.
// The same messages through Protocol Buffers are in ProtobufPacketBench.cpp.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "AllocationMeter.h"
#include "PacketSamples.h"
#include "param/ChamberMessages.h"

namespace odc::bench {
namespace {

// A packet restored from its image, as a response arrives: the host hands the screen a packet
// rebuilt from the bytes it received, which the screen then reads field by field.
void Restore(CKParam& packet, const std::string& image) {
    packet.SetBufferPtr(image.data(), static_cast<int>(image.size()));
}

void SetBytes(benchmark::State& state, const std::string& image) {
    state.counters["bytes"] = static_cast<double>(image.size());
}

void EncodeVoteRequest(benchmark::State& state) {
    const VoteSample vote;
    AllocationMeter allocations(state);
    for (auto _ : state) {
        CKParam packet = ChamberMsg::MakeVoteRequest(vote.applyId, vote.votes);
        benchmark::DoNotOptimize(packet.GetBufferPtr());
    }
    allocations.Report();
    SetBytes(state, ImageOf(ChamberMsg::MakeVoteRequest(vote.applyId, vote.votes)));
}

void DecodeVoteRequest(benchmark::State& state) {
    const VoteSample vote;
    const std::string image = ImageOf(ChamberMsg::MakeVoteRequest(vote.applyId, vote.votes));
    CKParam packet;
    AllocationMeter allocations(state);
    for (auto _ : state) {
        Restore(packet, image);
        VoteSample read{-1, 0};
        packet.GetInt(ChamberMsg::Field::kTarget, read.applyId);
        packet.GetInt(ChamberMsg::Field::kVotes, read.votes);
        benchmark::DoNotOptimize(read);
    }
    allocations.Report();
    SetBytes(state, image);
}

void EncodeJobTable(benchmark::State& state) {
    const auto jobs = SampleJobs();
    AllocationMeter allocations(state);
    for (auto _ : state) {
        CKParam packet = JobTablePacket(jobs, kClock);
        benchmark::DoNotOptimize(packet.GetBufferPtr());
    }
    allocations.Report();
    SetBytes(state, ImageOf(JobTablePacket(jobs, kClock)));
}

void DecodeJobTable(benchmark::State& state) {
    const std::string image = ImageOf(JobTablePacket(SampleJobs(), kClock));
    CKParam packet;
    std::vector<std::unique_ptr<ChamberJob>> jobs;
    AllocationMeter allocations(state);
    for (auto _ : state) {
        Restore(packet, image);
        jobs.clear();
        const int count = ChamberMsg::ReadEntryCount(packet);
        for (int entry = 0; entry < count; ++entry) {
            if (auto job = ReadJob(packet, entry)) jobs.push_back(std::move(job));
        }
        benchmark::DoNotOptimize(ChamberMsg::ReadClock(packet));
        benchmark::DoNotOptimize(jobs.data());
    }
    allocations.Report();
    SetBytes(state, image);
}

void EncodeApplications(benchmark::State& state, int entries) {
    const auto applications = SampleApplications(entries);
    AllocationMeter allocations(state);
    for (auto _ : state) {
        CKParam packet = ApplicationListPacket(applications);
        benchmark::DoNotOptimize(packet.GetBufferPtr());
    }
    allocations.Report();
    SetBytes(state, ImageOf(ApplicationListPacket(applications)));
}

void DecodeApplications(benchmark::State& state, int entries) {
    const std::string image = ImageOf(ApplicationListPacket(SampleApplications(entries)));
    CKParam packet;
    std::vector<UniteApplyJob> applications;
    AllocationMeter allocations(state);
    for (auto _ : state) {
        Restore(packet, image);
        applications.clear();
        const int count = ChamberMsg::ReadEntryCount(packet);
        for (int entry = 0; entry < count; ++entry) {
            if (auto application = ReadApplication(packet, entry))
                applications.push_back(std::move(*application));
        }
        benchmark::DoNotOptimize(applications.data());
    }
    allocations.Report();
    SetBytes(state, image);
}

// A hostile image of 1 MiB: its count word says 0x7fffffff records, and eight records at its
// start form a cycle (the last one's length wraps the walk back to the first), so that a lookup
// walks them again and again. One lookup of an id it lacks: the whole walk and the index.
std::string HostileCycle() {
    constexpr std::uint32_t kSize = 1u << 20;
    constexpr std::uint32_t kRecords = 8;
    std::string image(kSize, '\0');
    const auto put32 = [&image](std::uint32_t at, std::uint32_t value) {
        std::memcpy(&image[at], &value, 4);
    };
    put32(0, kSize);
    put32(4, 0x7fffffff);
    put32(8, kSize);
    for (std::uint32_t i = 0; i < kRecords; ++i) {
        const std::uint32_t at = 20 + 8 * i;
        // Each record is its header alone; the last one's length brings the walk back to offset 20.
        put32(at, i + 1 < kRecords ? 0 : static_cast<std::uint32_t>(20 - (at + 8)));
        const std::uint16_t id = static_cast<std::uint16_t>(1000 + i);
        std::memcpy(&image[at + 4], &id, 2);
    }
    put32(12, 0);  // the first record, at 12, leads into the cycle
    return image;
}

void LookupHostileCycle(benchmark::State& state) {
    const std::string image = HostileCycle();
    CKParam packet;
    AllocationMeter allocations(state);
    for (auto _ : state) {
        Restore(packet, image);
        int value = 0;
        benchmark::DoNotOptimize(packet.GetInt(ChamberMsg::Field::kTarget, value));
    }
    allocations.Report();
    SetBytes(state, image);
}

// The floor: the image copied once, the least any codec must do with the bytes.
void Copy(benchmark::State& state, const std::string& image) {
    std::vector<char> copy(image.size());
    for (auto _ : state) {
        std::memcpy(copy.data(), image.data(), image.size());
        benchmark::ClobberMemory();
    }
    SetBytes(state, image);
}

// Names are operation/message/codec; BENCHMARKS.md reads them that way.
const bool kRegistered = [] {
    const VoteSample vote;
    benchmark::RegisterBenchmark("Encode/VoteRequest/CKParam", EncodeVoteRequest);
    benchmark::RegisterBenchmark("Decode/VoteRequest/CKParam", DecodeVoteRequest);
    benchmark::RegisterBenchmark("Copy/VoteRequest/memcpy", Copy,
                                 ImageOf(ChamberMsg::MakeVoteRequest(vote.applyId, vote.votes)));
    benchmark::RegisterBenchmark("Encode/JobTable15/CKParam", EncodeJobTable);
    benchmark::RegisterBenchmark("Decode/JobTable15/CKParam", DecodeJobTable);
    benchmark::RegisterBenchmark("Copy/JobTable15/memcpy", Copy,
                                 ImageOf(JobTablePacket(SampleJobs(), kClock)));
    benchmark::RegisterBenchmark("Decode/HostileCycle1MiB/CKParam", LookupHostileCycle);
    benchmark::RegisterBenchmark("Copy/HostileCycle1MiB/memcpy", Copy, HostileCycle());
    for (const int entries : kListSizes) {
        const std::string message = "/Applications" + std::to_string(entries);
        benchmark::RegisterBenchmark(("Encode" + message + "/CKParam").c_str(), EncodeApplications, entries);
        benchmark::RegisterBenchmark(("Decode" + message + "/CKParam").c_str(), DecodeApplications, entries);
        benchmark::RegisterBenchmark(("Copy" + message + "/memcpy").c_str(), Copy,
                                     ImageOf(ApplicationListPacket(SampleApplications(entries))));
    }
    return true;
}();

}  // namespace
}  // namespace odc::bench
