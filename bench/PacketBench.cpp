// Packet costs: encoding the vote request, decoding the job table and application lists of
// every size a packet can carry, and copying the same images as the floor.
#include <benchmark/benchmark.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "param/CKParam.h"

namespace {

struct JobRow {
    int jobId = -1;
    CString jobName;
    int jobRank = -1;
    int jobExtra1 = -1;
    int holderId = -1;
    CString jobExtraText;
    CString jobTime;
    CString extraData;
    CString holderName;
    CString kingdomName;
    int jobExtra2 = -1;
};

struct ApplicationRow {
    int applyId = -1;
    int jobId = -1;
    int applyType = -1;
    int applyExtra1 = -1;
    int userId = -1;
    CString actionUserName;
    CString userName;
    CString kingdomName;
    int startTime = -1;
    int endTime = -1;
    int applyExtra2 = 0;
    int agreeVotes = 0;
    int opposeVotes = 0;
};

constexpr short kCount = 60;
constexpr short kClock = 70;
constexpr int kClockValue = 1717243200;
const std::array<CString, 4> kNames = {u"小舞", u"阿飞", u"张三丰", u"东方不败"};
const std::array<CString, 2> kKingdoms = {u"东方王国", u"西方王国"};

short FieldId(int entry, int k) {
    return static_cast<short>(100 * entry + 100 + k);
}

std::string ImageOf(const CKParam& packet) {
    return {packet.GetBufferPtr(), static_cast<std::size_t>(packet.GetLength())};
}

std::string JobTableImage(int jobs) {
    CKParam packet;
    packet.SetInt(kCount, jobs);
    for (int i = 0; i < jobs; ++i) {
        packet.SetInt(FieldId(i, 0), i + 1);
        packet.SetCString(FieldId(i, 1), u"大将军");
        packet.SetInt(FieldId(i, 2), i % 4);
        packet.SetInt(FieldId(i, 3), 0);
        packet.SetInt(FieldId(i, 4), i % 3 == 0 ? 0 : 10000 + i);
        packet.SetCString(FieldId(i, 5), u"");
        packet.SetCString(FieldId(i, 6), u"2024-05-28 21:30:00");
        packet.SetCString(FieldId(i, 7),
                          u"Power=统领军队;Price=200;Desc=守卫王国的边境;Awards=每日俸禄 200 金币");
        packet.SetCString(FieldId(i, 8), kNames[static_cast<std::size_t>(i) % kNames.size()]);
        packet.SetCString(FieldId(i, 9), kKingdoms[static_cast<std::size_t>(i) % kKingdoms.size()]);
        packet.SetInt(FieldId(i, 10), 0);
    }
    packet.SetInt(kClock, kClockValue);
    return ImageOf(packet);
}

std::string ApplicationListImage(int entries) {
    CKParam packet;
    packet.SetInt(kCount, entries);
    for (int i = 0; i < entries; ++i) {
        const std::array<int, 10> ints = {
            i + 1,  i % 15 + 1, i % 5 == 0 ? -1 : 1, 0, 20000 + i, kClockValue - 3600, kClockValue + 86400, 0,
            i % 50, i % 7};
        for (int k = 0; k < 10; ++k) {
            packet.SetInt(FieldId(i, k), ints[static_cast<std::size_t>(k)]);
        }
        packet.SetCString(FieldId(i, 10), kNames[static_cast<std::size_t>(i + 1) % kNames.size()]);
        packet.SetCString(FieldId(i, 11), kNames[static_cast<std::size_t>(i) % kNames.size()]);
        packet.SetCString(FieldId(i, 12), kKingdoms[static_cast<std::size_t>(i) % kKingdoms.size()]);
    }
    return ImageOf(packet);
}

JobRow ReadJob(const CKParam& packet, int i) {
    JobRow job;
    packet.GetInt(FieldId(i, 0), job.jobId);
    packet.GetCString(FieldId(i, 1), job.jobName);
    packet.GetInt(FieldId(i, 2), job.jobRank);
    packet.GetInt(FieldId(i, 3), job.jobExtra1);
    packet.GetInt(FieldId(i, 4), job.holderId);
    packet.GetCString(FieldId(i, 5), job.jobExtraText);
    packet.GetCString(FieldId(i, 6), job.jobTime);
    packet.GetCString(FieldId(i, 7), job.extraData);
    packet.GetCString(FieldId(i, 8), job.holderName);
    packet.GetCString(FieldId(i, 9), job.kingdomName);
    packet.GetInt(FieldId(i, 10), job.jobExtra2);
    return job;
}

ApplicationRow ReadApplication(const CKParam& packet, int i) {
    ApplicationRow row;
    packet.GetInt(FieldId(i, 0), row.applyId);
    packet.GetInt(FieldId(i, 1), row.jobId);
    packet.GetInt(FieldId(i, 2), row.applyType);
    packet.GetInt(FieldId(i, 3), row.applyExtra1);
    packet.GetInt(FieldId(i, 4), row.userId);
    packet.GetInt(FieldId(i, 5), row.startTime);
    packet.GetInt(FieldId(i, 6), row.endTime);
    packet.GetInt(FieldId(i, 7), row.applyExtra2);
    packet.GetInt(FieldId(i, 8), row.agreeVotes);
    packet.GetInt(FieldId(i, 9), row.opposeVotes);
    packet.GetCString(FieldId(i, 10), row.actionUserName);
    packet.GetCString(FieldId(i, 11), row.userName);
    packet.GetCString(FieldId(i, 12), row.kingdomName);
    return row;
}

// Restores the image, as a response arrives, then reads every entry it counts.
template <typename Row, Row (*Read)(const CKParam&, int)>
void DecodeList(benchmark::State& state, const std::string& image) {
    CKParam packet;
    std::vector<Row> rows;
    for (auto _ : state) {
        packet.SetBufferPtr(image.data(), static_cast<int>(image.size()));
        int count = 0;
        int clock = 0;
        packet.GetInt(kCount, count);
        packet.GetInt(kClock, clock);
        rows.clear();
        for (int i = 0; i < count; ++i) {
            rows.push_back(Read(packet, i));
        }
        benchmark::DoNotOptimize(rows.data());
        benchmark::DoNotOptimize(clock);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * image.size()));
    state.counters["bytes"] = static_cast<double>(image.size());
}

void Copy(benchmark::State& state, const std::string& image) {
    std::vector<char> copy(image.size());
    for (auto _ : state) {
        std::memcpy(copy.data(), image.data(), image.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * image.size()));
}

void BM_EncodeVoteRequest(benchmark::State& state) {
    for (auto _ : state) {
        CKParam packet;
        packet.SetInt(50, 7);
        packet.SetInt(60, 1);
        benchmark::DoNotOptimize(packet.GetBufferPtr());
    }
}
BENCHMARK(BM_EncodeVoteRequest);

void BM_DecodeJobTable(benchmark::State& state) {
    DecodeList<JobRow, ReadJob>(state, JobTableImage(15));
}
BENCHMARK(BM_DecodeJobTable);

void BM_CopyJobTable(benchmark::State& state) {
    Copy(state, JobTableImage(15));
}
BENCHMARK(BM_CopyJobTable);

void BM_DecodeApplications(benchmark::State& state) {
    DecodeList<ApplicationRow, ReadApplication>(state,
                                                ApplicationListImage(static_cast<int>(state.range(0))));
}
BENCHMARK(BM_DecodeApplications)->Arg(100)->Arg(300)->Arg(655);

void BM_CopyApplications(benchmark::State& state) {
    Copy(state, ApplicationListImage(static_cast<int>(state.range(0))));
}
BENCHMARK(BM_CopyApplications)->Arg(100)->Arg(300)->Arg(655);

}  // namespace
