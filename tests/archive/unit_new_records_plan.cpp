// The rule of "New records": which records of the ring a download reads, from what the archive
// holds and what the instrument still holds. A small ring model stands in for the instrument.
#include "NewRecordsPlan.h"

#include "ArchiveTestSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

using namespace Sondrel;
using ArchiveTest::DateTimeOfMinute;

namespace {

constexpr std::int32_t kSpace = 62001;

// The instrument's ring: record number -> the minute of its sample (absent: empty).
struct TRing {
    std::map<std::int32_t, std::int64_t> Minutes;
    std::int32_t Current = 0;
    std::set<std::int32_t> Unreadable;
    std::vector<std::int32_t> Probed;

    // count samples, one a minute, the last one at `current`.
    static TRing Written(std::int32_t current, std::int32_t count, std::int64_t lastMinute) {
        TRing ring;
        ring.Current = current;
        for (std::int32_t age = 0; age < count; ++age) {
            ring.Minutes[(current - age + kSpace) % kSpace] = lastMinute - age;
        }
        return ring;
    }
    void Sample(std::int32_t count) {
        const std::int64_t minute = Minutes.at(Current);
        for (std::int32_t i = 1; i <= count; ++i) {
            Current = (Current + 1) % kSpace;
            Minutes[Current] = minute + i;
        }
    }
    TRecordProbe Probe() {
        return [this](std::int32_t record) {
            Probed.push_back(record);
            TProbedRecord probed;
            probed.Read = Unreadable.count(record) == 0;
            const auto at = Minutes.find(record);
            probed.Filled = probed.Read && at != Minutes.end();
            if (probed.Filled) {
                probed.RecordedAt = DateTimeOfMinute(at->second);
            }
            return probed;
        };
    }
};

// The archive's records of the instrument, with the download that brought each.
struct TArchived {
    std::vector<TArchivedKey> Keys;

    void Add(const TRing& ring, const std::vector<std::int32_t>& records, std::int64_t download) {
        for (const std::int32_t r : records) {
            Keys.push_back({r, DateTimeOfMinute(ring.Minutes.at(r)), download});
        }
    }
    TArchivedKeysQuery Query() const {
        return [this](const std::optional<std::string>& since, std::optional<std::int64_t> from) {
            std::vector<TArchivedKey> found;
            for (const TArchivedKey& key : Keys) {
                if ((since && key.RecordedAt >= *since) || (from && key.DownloadId >= *from)) {
                    found.push_back(key);
                }
            }
            return found;
        };
    }
};

TDownloadRecord Stored(std::int64_t id, const TNewRecordsPlan& plan, const char* outcome) {
    TDownloadRecord d;
    d.Id = id;
    d.Kind = kDownloadNew;
    d.Outcome = outcome;
    d.Chain = plan.Chain;
    if (d.Chain->ChainId == 0) {
        d.Chain->ChainId = id;
    }
    return d;
}

std::vector<std::int32_t> Range(std::int32_t first, std::int32_t count) {
    std::vector<std::int32_t> records;
    for (std::int32_t k = 0; k < count; ++k) {
        records.push_back((first + k) % kSpace);
    }
    return records;
}

bool Mentions(const TNewRecordsPlan& plan, const std::string& text) {
    for (const std::string& note : plan.Notes) {
        if (note.find(text) != std::string::npos) {
            return true;
        }
    }
    return false;
}

} // namespace

TEST(NewRecordsPlan, WithNothingArchivedTheMostRecentRecordsAreReadAndTheChainStartsAtTheCurrent) {
    TRing ring = TRing::Written(10, 62001, 100000);
    const TArchived archive;
    const TNewRecordsPlan plan =
        PlanNewRecords(10, 20, std::nullopt, ring.Probe(), archive.Query());
    ASSERT_FALSE(plan.Failure);
    EXPECT_EQ(plan.FirstRecord, 61991); // 10 - 20 + 62001
    EXPECT_EQ(plan.WindowSize, 20);
    EXPECT_EQ(plan.Records, Range(61992, 20)); // 61992..62000, 0..10
    EXPECT_EQ(plan.Chain.ChainId, 0);
    EXPECT_EQ(plan.Chain.BaseRecord, 10);
    EXPECT_EQ(plan.Chain.BaseRecordedAt, DateTimeOfMinute(100000));
    EXPECT_EQ(plan.Chain.NewestRecordedAt, DateTimeOfMinute(100000));
    EXPECT_TRUE(Mentions(plan, "holds no earlier download"));
    EXPECT_TRUE(Mentions(plan, "Downloading the most recent 20 records."));
    EXPECT_EQ(ring.Probed, std::vector<std::int32_t>{10});
}

TEST(NewRecordsPlan, AfterACompleteDownloadOnlyWhatWasWrittenSinceIsReadAndNothingTwice) {
    TRing ring = TRing::Written(500, 1000, 5000);
    TArchived archive;
    const TNewRecordsPlan first =
        PlanNewRecords(500, 100, std::nullopt, ring.Probe(), archive.Query());
    archive.Add(ring, first.Records, 1);
    const TDownloadRecord done = Stored(1, first, kOutcomeComplete);

    // Nothing new: only the current record is read.
    ring.Probed.clear();
    const TNewRecordsPlan none = PlanNewRecords(500, 100, done, ring.Probe(), archive.Query());
    EXPECT_TRUE(none.Records.empty());
    EXPECT_EQ(none.WindowSize, 0);
    EXPECT_TRUE(none.Notes.empty());
    EXPECT_EQ(ring.Probed, std::vector<std::int32_t>{500});

    // Seven new samples: those seven, the base confirmed first.
    ring.Sample(7);
    ring.Probed.clear();
    const TNewRecordsPlan next = PlanNewRecords(507, 100, done, ring.Probe(), archive.Query());
    EXPECT_EQ(next.Records, Range(501, 7));
    EXPECT_EQ(next.FirstRecord, 500);
    EXPECT_EQ(next.Chain.ChainId, 0); // a new chain, based on the last download's newest record
    EXPECT_EQ(next.Chain.BaseRecord, 500);
    EXPECT_EQ(next.Chain.WindowStart, 500);
    EXPECT_EQ(ring.Probed, (std::vector<std::int32_t>{507, 500}));
    EXPECT_TRUE(Mentions(next, "7 new records after record 500."));
}

TEST(NewRecordsPlan, CutDownloadIsResumedWithWhatItMissedAndWhatCameSince) {
    TRing ring = TRing::Written(62000, 62001, 200000);
    TArchived archive;
    // The first download wanted 62000..: the 300 most recent; it was cut after 120 of them,
    // having missed two on the way.
    const TNewRecordsPlan first =
        PlanNewRecords(62000, 300, std::nullopt, ring.Probe(), archive.Query());
    ASSERT_EQ(first.Records.size(), 300U);
    std::vector<std::int32_t> got(first.Records.begin(), first.Records.begin() + 120);
    got.erase(got.begin() + 50);
    got.erase(got.begin() + 10);
    archive.Add(ring, got, 4);
    const TDownloadRecord cut = Stored(4, first, kOutcomeStopped);

    // Twenty samples later (the ring wraps: 0..19).
    ring.Sample(20);
    const TNewRecordsPlan resumed = PlanNewRecords(19, 300, cut, ring.Probe(), archive.Query());
    ASSERT_FALSE(resumed.Failure);
    EXPECT_EQ(resumed.Chain.ChainId, 4);
    EXPECT_EQ(resumed.WindowSize, 320);
    std::vector<std::int32_t> expected = {first.Records[10], first.Records[50]};
    expected.insert(expected.end(), first.Records.begin() + 120, first.Records.end());
    const auto since = Range(0, 20);
    expected.insert(expected.end(), since.begin(), since.end());
    EXPECT_EQ(resumed.Records, expected);
    EXPECT_TRUE(Mentions(resumed, "did not complete"));

    // Once all of that is in, the chain completes and the next run reads nothing.
    archive.Add(ring, resumed.Records, 5);
    const TDownloadRecord complete = Stored(5, resumed, kOutcomeComplete);
    EXPECT_TRUE(PlanNewRecords(19, 300, complete, ring.Probe(), archive.Query()).Records.empty());
}

TEST(NewRecordsPlan, RecordsArchivedByAnotherDownloadAfterTheBaseAreNotReadAgain) {
    TRing ring = TRing::Written(1000, 5000, 9000);
    TArchived archive;
    const TNewRecordsPlan first =
        PlanNewRecords(1000, 10, std::nullopt, ring.Probe(), archive.Query());
    archive.Add(ring, first.Records, 1);
    const TDownloadRecord done = Stored(1, first, kOutcomeComplete);
    ring.Sample(30);
    // A "Retrieve Data" of the 10 most recent records meanwhile.
    archive.Add(ring, Range(1021, 10), 2);
    const TNewRecordsPlan next = PlanNewRecords(1030, 10, done, ring.Probe(), archive.Query());
    EXPECT_EQ(next.Records, Range(1001, 20));
}

TEST(NewRecordsPlan, RingThatWentRoundPastTheBaseSaysSoAndReadsTheMostRecent) {
    TRing ring = TRing::Written(100, 62001, 70000);
    TArchived archive;
    const TNewRecordsPlan first =
        PlanNewRecords(100, 50, std::nullopt, ring.Probe(), archive.Query());
    archive.Add(ring, first.Records, 1);
    const TDownloadRecord done = Stored(1, first, kOutcomeComplete);
    ring.Sample(62001 + 5); // more than a whole round: record 100 holds a newer sample
    const TNewRecordsPlan next = PlanNewRecords(105, 50, done, ring.Probe(), archive.Query());
    EXPECT_TRUE(Mentions(next, "went round since record 100"));
    EXPECT_TRUE(Mentions(next, "Downloading the most recent 50 records."));
    EXPECT_EQ(next.Records, Range(56, 50));
    EXPECT_EQ(next.Chain.ChainId, 0);
    EXPECT_EQ(next.Chain.BaseRecord, 105);
}

TEST(NewRecordsPlan, ErasedLogOrOlderRecordsSaySoAndReadTheMostRecent) {
    TRing ring = TRing::Written(300, 1000, 80000);
    TArchived archive;
    const TNewRecordsPlan first =
        PlanNewRecords(300, 40, std::nullopt, ring.Probe(), archive.Query());
    archive.Add(ring, first.Records, 1);
    const TDownloadRecord done = Stored(1, first, kOutcomeComplete);

    // Erased, then three samples from record 1 on: record 300 is empty.
    TRing erased;
    erased.Current = 0;
    erased.Minutes[1] = 80500;
    erased.Minutes[2] = 80501;
    erased.Minutes[3] = 80502;
    erased.Current = 3;
    const TNewRecordsPlan afterErase = PlanNewRecords(3, 40, done, erased.Probe(), archive.Query());
    EXPECT_TRUE(Mentions(afterErase, "no longer holds record 300"));
    EXPECT_EQ(afterErase.Records, Range(62001 - 36, 40)); // the 40 most recent, empty ones too

    // Another instrument (or a clock set back): record 300 holds an older sample.
    TRing other = TRing::Written(300, 1000, 10);
    const TNewRecordsPlan older = PlanNewRecords(300, 40, done, other.Probe(), archive.Query());
    EXPECT_TRUE(Mentions(older, "older than the archive's record 300"));
    EXPECT_EQ(older.Records.size(), 40U);
}

TEST(NewRecordsPlan, RecordThatCannotBeReadFailsThePlan) {
    TRing ring = TRing::Written(10, 100, 1000);
    ring.Unreadable = {10};
    const TArchived archive;
    const TNewRecordsPlan plan = PlanNewRecords(10, 5, std::nullopt, ring.Probe(), archive.Query());
    ASSERT_TRUE(plan.Failure);
    EXPECT_EQ(*plan.Failure, "Could not read the current record 10.");
    EXPECT_TRUE(plan.Records.empty());
}

TEST(NewRecordsPlan, WindowNeverExceedsTheRecordsOneDownloadReads) {
    TRing ring = TRing::Written(0, 62001, 100000);
    TArchived archive;
    const TNewRecordsPlan first =
        PlanNewRecords(0, 99999, std::nullopt, ring.Probe(), archive.Query());
    EXPECT_EQ(first.WindowSize, 62000);
    EXPECT_EQ(first.Records.size(), 62000U);
    EXPECT_EQ(first.Records.front(), 2); // record 1, the oldest, is left out
    EXPECT_EQ(first.Records.back(), 0);
}
