// The job table, its list rules and the list messages.
#include <gtest/gtest.h>

#include <map>
#include <random>

#include "ChamberFixture.h"
#include "chamber/ChamberJobTable.h"

namespace ChamberTest {
namespace {

std::vector<int> ApplyIds(const ChamberJob& job) {
    std::vector<int> ids;
    for (const UniteApplyJob& application : job.applications)
        ids.push_back(application.applyId);
    return ids;
}

class JobTableTest : public ::testing::Test {
protected:
    void SetUp() override { table.ApplyJobTable(JobTable({{3}, {4, 77}}), selected); }

    ChamberJobTable table;
    ChamberJob* selected = nullptr;
};

TEST_F(JobTableTest, ReadsApplicationTextsFromTheLastThreeIdsOfAnEntry) {
    CKParam packet;
    packet.SetInt(60, 1);
    packet.SetInt(100, 9);   // applyId
    packet.SetInt(101, 3);   // jobId
    packet.SetInt(102, 1);   // applyType
    packet.SetInt(105, 50);  // startTime
    packet.SetInt(106, 90);  // endTime
    packet.SetInt(108, 12);  // agreeVotes
    packet.SetCString(110, u"发起人");
    packet.SetCString(111, u"小舞");
    packet.SetCString(112, u"南方王国");
    table.MergeApplications(packet);
    const UniteApplyJob& read = table.Find(3)->applications.at(0);
    EXPECT_EQ(read.actionUserName, CString(u"发起人"));
    EXPECT_EQ(read.userName, CString(u"小舞"));
    EXPECT_EQ(read.kingdomName, CString(u"南方王国"));
    EXPECT_EQ(read.startTime, 50);
    EXPECT_EQ(read.endTime, 90);
    EXPECT_EQ(read.agreeVotes, 12);
    EXPECT_EQ(read.opposeVotes, 0);   // absent: default
    EXPECT_EQ(read.applyExtra1, -1);  // absent: default
    EXPECT_EQ(read.userId, -1);
}

TEST_F(JobTableTest, JobTableEmptiesTheListsOfTheJobsItCarriesOnly) {
    table.ReplaceApplications(ApplicationList(
        {Application(1, 3, 1, 0, 10), Application(2, 3, 1, 0, 10), Application(5, 4, -1, 0, 10)}));
    ChamberJob* oldJob3 = table.Find(3);
    selected = oldJob3;
    table.ApplyJobTable(JobTable({{3, 0, u"新骑士"}}), selected);
    EXPECT_TRUE(table.Find(3)->applications.empty());
    EXPECT_EQ(ApplyIds(*table.Find(4)), std::vector<int>{5});
    // The selected post follows its job to the new record.
    EXPECT_EQ(selected, table.Find(3));
    EXPECT_EQ(selected->jobName, CString(u"新骑士"));
}

TEST_F(JobTableTest, SelectionOfAnotherJobStaysWhereItIs) {
    selected = table.Find(4);
    table.ApplyJobTable(JobTable({{3}}), selected);
    EXPECT_EQ(selected, table.Find(4));
}

TEST_F(JobTableTest, SkipsEntriesWithoutAPositiveKeyAndCountsThatAreNotInts) {
    CKParam packet = JobTable({{0}, {-2}, {6}});
    table.ApplyJobTable(packet, selected);
    EXPECT_EQ(table.Size(), 3u);  // 3, 4 and 6
    EXPECT_NE(table.Find(6), nullptr);

    CKParam noCount;
    noCount.SetLong(60, 1);  // a count of the wrong type carries no entries
    WriteJob(noCount, 0, *table.Find(6));
    ChamberJobTable empty;
    empty.ApplyJobTable(noCount, selected);
    EXPECT_EQ(empty.Size(), 0u);
}

TEST_F(JobTableTest, JobEntryWithoutHolderIsVacant) {
    CKParam packet;
    packet.SetInt(60, 1);
    packet.SetInt(100, 9);
    table.ApplyJobTable(packet, selected);
    EXPECT_EQ(table.Find(9)->holderId, -1);
    EXPECT_FALSE(table.Find(9)->IsHeld());
}

TEST_F(JobTableTest, UpsertKeepsThePlaceOfAnUpdatedEntryAndAppendsNewOnes) {
    table.ReplaceApplications(ApplicationList(
        {Application(7, 3, 1, 0, 10), Application(8, 3, 1, 0, 10), Application(9, 3, 1, 0, 10)}));
    EXPECT_TRUE(table.UpsertApplication(ApplicationList({Application(7, 3, 1, 0, 30)})));
    EXPECT_EQ(ApplyIds(*table.Find(3)), (std::vector<int>{7, 8, 9}));
    EXPECT_EQ(table.Find(3)->applications.front().endTime, 30);
    EXPECT_TRUE(table.UpsertApplication(ApplicationList({Application(12, 3, 1, 0, 30)})));
    EXPECT_EQ(ApplyIds(*table.Find(3)), (std::vector<int>{7, 8, 9, 12}));
}

TEST_F(JobTableTest, UpsertRefusesAZeroCountAndUnknownJobs) {
    CKParam zeroCount = ApplicationList({Application(13, 3, 1, 0, 10)});
    zeroCount.UpdateInt(60, 0);
    EXPECT_FALSE(table.UpsertApplication(zeroCount));
    EXPECT_FALSE(table.UpsertApplication(ApplicationList({Application(13, 12, 1, 0, 10)})));
    EXPECT_TRUE(table.Find(3)->applications.empty());
}

// The list rules taken literally: each entry in turn removes the entries of its applyId from its
// post's list and goes to the end; entries for posts not in the table are dropped.
void MergeOneByOne(std::map<int, std::vector<UniteApplyJob>>& lists,
                   const std::vector<UniteApplyJob>& entries) {
    for (const UniteApplyJob& entry : entries) {
        const auto post = lists.find(entry.jobId);
        if (post == lists.end()) continue;
        std::erase_if(post->second, [&](const UniteApplyJob& old) { return old.applyId == entry.applyId; });
        post->second.push_back(entry);
    }
}

// Complete lists and updates in random succession, with applyIds repeated within a packet, across
// packets and across posts, and entries for posts the table lacks: the table merges each packet
// in one pass, and must come to what the entries do one by one.
TEST(MergeTest, ComesToWhatTheEntriesDoOneByOne) {
    std::mt19937 random(20240605);
    const auto pick = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    for (int round = 0; round < 100; ++round) {
        ChamberJobTable table;
        ChamberJob* selected = nullptr;
        table.ApplyJobTable(JobTable({{3}, {4, 77}, {5}}), selected);
        std::map<int, std::vector<UniteApplyJob>> expected = {{3, {}}, {4, {}}, {5, {}}};
        for (int packet = 0; packet < 4; ++packet) {
            std::vector<UniteApplyJob> entries;
            for (int i = pick(0, 40); i > 0; --i) {
                // Posts 2 and 6 are not in the table.
                UniteApplyJob entry = Application(pick(1, 12), pick(2, 6), pick(0, 1) ? 1 : -1, 0, 10);
                entry.agreeVotes = static_cast<int>(entries.size());  // tells repeated applyIds apart
                entries.push_back(entry);
            }
            if (pick(0, 2) == 0) {
                table.ReplaceApplications(ApplicationList(entries));
                for (auto& [jobId, list] : expected)
                    list.clear();
            } else {
                table.MergeApplications(ApplicationList(entries));
            }
            MergeOneByOne(expected, entries);
            for (const auto& [jobId, list] : expected)
                ASSERT_EQ(table.Find(jobId)->applications, list)
                    << "round " << round << ", packet " << packet;
        }
    }
}

TEST(PruneTest, KeepsCandidaciesEndingAtOrAfterNow) {
    ChamberJob job;
    job.applications = {Application(1, 3, -1, 0, 200), Application(2, 3, 1, 0, 100),
                        Application(3, 3, 1, 0, 99), Application(4, 3, 1, 0, 150)};
    PruneApplications(job, 100);
    EXPECT_EQ(ApplyIds(job), (std::vector<int>{2, 4}));
}

TEST(ListMessageTest, WrittenRecordsReadBackWhole) {
    UniteApplyJob application = Application(42, 3, -1, 100, 200);
    application.userId = 5;
    application.applyExtra1 = 6;
    application.applyExtra2 = 7;
    const CKParam packet = ApplicationList({application});
    EXPECT_EQ(ReadApplication(packet, 0), application);
    EXPECT_EQ(ReadApplication(packet, 1), std::nullopt);
}

TEST(ListMessageTest, CountsAboveTheLastAddressableEntryAreCapped) {
    CKParam packet;
    packet.SetInt(60, 1000000);
    EXPECT_EQ(ChamberMsg::ReadEntryCount(packet), 655);
    packet.UpdateInt(60, -4);
    EXPECT_EQ(ChamberMsg::ReadEntryCount(packet), 0);
}

}  // namespace
}  // namespace ChamberTest
