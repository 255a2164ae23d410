// Downloads with the archive: the engine over the fake instrument, the recorder over a real
// SQLite file written by the worker thread. New records, run twice, new samples, a cut
// download, an erased log, an archive that cannot be used, and what every download stores.
#include "ArchiveTestSupport.h"

#include "ArchiveRecorder.h"
#include "ArchiveWorker.h"
#include "DownloadEngine.h"
#include "FakeInstrument.h"
#include "InstrumentIdentity.h"
#include "SqliteArchive.h"
#include "TestHost.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <set>

using namespace Sondrel;

namespace {

class RecorderDownload : public ::testing::Test {
protected:
    RecorderDownload() {
        Host.Attach(Engine);
        Host.InputValues.RecordsText = std::string("20");
        Host.InputValues.IntervalText = std::string("1");
        Host.InputValues.RecentChecked = true;
        Engine.UpdateCommunicationDelays();
        Host.OnRequest = [this](const std::string& request) {
            if (request.rfind("W 254=", 0) == 0) {
                Pointers.push_back(std::stoi(request.substr(6)));
            }
            if (request == "R 256x104" && ++Blocks == StopAfterBlocks) {
                Engine.StopDownload();
            }
        };
        UseArchive(Path);
    }

    void UseArchive(const std::string& path) {
        Engine.SetArchive(nullptr);
        Recorder.reset();
        Worker = std::make_unique<TArchiveWorker>(
            [path] { return std::make_unique<TSqliteArchive>(path, path); });
        Recorder = std::make_unique<TArchiveRecorder>(
            *Worker, [this](std::int32_t ms) { Host.PumpWait(ms); });
        Recorder->SetInstrument(DescribeInstrument(std::nullopt, "bench", "/dev/fake", 1));
        Recorder->SetLineSettings("/dev/fake 115200 8N1 RTU address 1");
        Engine.SetArchive(Recorder.get());
    }

    // Runs "New records" and returns the record pointers it wrote.
    std::vector<std::int32_t> NewRecords() {
        Pointers.clear();
        Blocks = 0;
        Host.Log.clear();
        Engine.newRecordsButtonClick();
        return Pointers;
    }

    // The archived (record number, date-time) pairs, read through a connection of the test's.
    std::set<std::pair<std::int32_t, std::string>> Archived() {
        Worker->Flush();
        TSqliteArchiveOptions readOnly;
        readOnly.ReadOnly = true;
        TSqliteArchive archive(Path, Path, readOnly);
        std::set<std::pair<std::int32_t, std::string>> records;
        for (const auto& r : archive.ReadRecords({}, 0, 100000)) {
            records.insert({r.RecordNumber, r.RecordedAt});
        }
        return records;
    }
    std::set<std::int32_t> ArchivedNumbers() {
        std::set<std::int32_t> numbers;
        for (const auto& [number, at] : Archived()) {
            numbers.insert(number);
        }
        return numbers;
    }

    // Rows of the downloads table: kind, outcome, records received.
    std::vector<std::string> Downloads() {
        Worker->Flush();
        std::vector<std::string> rows;
        sqlite3* db = nullptr;
        sqlite3_open(Path.c_str(), &db);
        sqlite3_stmt* query = nullptr;
        sqlite3_prepare_v2(db,
                           "SELECT kind, outcome, records_received, user_name <> '', "
                           "line_settings FROM downloads ORDER BY id",
                           -1, &query, nullptr);
        while (sqlite3_step(query) == SQLITE_ROW) {
            rows.push_back(
                std::string(reinterpret_cast<const char*>(sqlite3_column_text(query, 0))) + " " +
                reinterpret_cast<const char*>(sqlite3_column_text(query, 1)) + " " +
                std::to_string(sqlite3_column_int(query, 2)) +
                (sqlite3_column_int(query, 3) != 0 ? "" : " (no user)"));
        }
        sqlite3_finalize(query);
        sqlite3_close(db);
        return rows;
    }

    std::int32_t Failures(const std::string& prefix) const {
        std::int32_t count = 0;
        for (const auto& line : Host.Log) {
            count += line.Kind == skFailure && line.Text.rfind(prefix, 0) == 0 ? 1 : 0;
        }
        return count;
    }

    static std::set<std::int32_t> Span(std::int32_t first, std::int32_t last) {
        std::set<std::int32_t> records;
        for (std::int32_t r = first; r != (last + 1) % 62001; r = (r + 1) % 62001) {
            records.insert(r);
        }
        return records;
    }

    TFakeInstrument Instrument;
    TTestHost Host{Instrument};
    TDownloadEngine Engine{Host, Host, Host};
    ExportTest::TTempFolder Folder;
    std::string Path = Folder.File("archive.sqlite");
    std::unique_ptr<TArchiveWorker> Worker;
    std::unique_ptr<TArchiveRecorder> Recorder;
    std::vector<std::int32_t> Pointers;
    std::int32_t Blocks = 0;
    std::int32_t StopAfterBlocks = -1;
};

} // namespace

TEST_F(RecorderDownload, FirstRunReadsTheMostRecentAndTheSecondReadsOnlyTheCurrentRecord) {
    Instrument.CurrentRecord = 30;
    NewRecords();
    EXPECT_TRUE(Host.HasLine("The archive holds no earlier download of new records of this "
                             "instrument. Downloading the most recent 20 records."));
    EXPECT_EQ(Engine.List().Count(), 20);
    EXPECT_EQ(ArchivedNumbers(), Span(11, 30));
    EXPECT_EQ(Failures(""), 0);

    const auto second = NewRecords();
    EXPECT_EQ(second, std::vector<std::int32_t>{30}); // the current record alone
    EXPECT_EQ(Blocks, 1);
    EXPECT_TRUE(Host.HasLine("No new records."));
    EXPECT_TRUE(Host.HasLine("Download Complete!"));
    EXPECT_TRUE(Instrument.Acquiring);
    EXPECT_EQ(Engine.List().Count(), 0);
    EXPECT_EQ(ArchivedNumbers().size(), 20U);
    EXPECT_EQ(Downloads(), (std::vector<std::string>{"new complete 20", "new complete 0"}));
}

TEST_F(RecorderDownload, SamplesTakenSinceAreReadAloneAcrossTheRingsWrap) {
    Instrument.CurrentRecord = 61995;
    NewRecords();
    Instrument.CurrentRecord = 3; // nine samples later: 61996..62000, 0..3
    const auto pointers = NewRecords();
    EXPECT_TRUE(Host.HasLine("9 new records after record 61995."));
    // The current record, the base, then the nine.
    std::vector<std::int32_t> expected = {3, 61995, 61996, 61997, 61998, 61999, 62000, 0, 1, 2, 3};
    EXPECT_EQ(pointers, expected);
    EXPECT_EQ(Engine.List().Count(), 9);
    EXPECT_EQ(ArchivedNumbers().size(), 29U);
}

TEST_F(RecorderDownload, CutDownloadIsResumedAndFetchesOnlyWhatIsMissing) {
    Instrument.CurrentRecord = 100;
    Host.InputValues.RecordsText = std::string("60");
    StopAfterBlocks = 25; // the operator stops it in the first pass
    NewRecords();
    EXPECT_TRUE(Host.HasLine("Stopping Download..."));
    const std::set<std::int32_t> kept = ArchivedNumbers();
    ASSERT_GE(kept.size(), 20U);
    ASSERT_LT(kept.size(), 60U);

    StopAfterBlocks = -1;
    const auto pointers = NewRecords();
    EXPECT_TRUE(Host.HasLine("The last download of new records did not complete: fetching what "
                             "it missed."));
    std::set<std::int32_t> missing;
    for (const std::int32_t r : Span(41, 100)) {
        if (kept.count(r) == 0) {
            missing.insert(r);
        }
    }
    // The current record (which is the chain's base) is read first, then only the missing.
    ASSERT_FALSE(pointers.empty());
    EXPECT_EQ(pointers.front(), 100);
    EXPECT_EQ(std::set<std::int32_t>(pointers.begin() + 1, pointers.end()), missing);
    EXPECT_EQ(pointers.size(), missing.size() + 1);
    EXPECT_EQ(ArchivedNumbers(), Span(41, 100));
    EXPECT_EQ(Downloads().back(), "new complete " + std::to_string(missing.size()));
    EXPECT_TRUE(NewRecords() == std::vector<std::int32_t>{100});
}

TEST_F(RecorderDownload, ErasedLogIsNamedAndTheMostRecentRecordsAreRead) {
    Instrument.CurrentRecord = 50;
    NewRecords();
    Instrument.Erased = true;
    NewRecords();
    EXPECT_TRUE(Host.HasLine("The instrument no longer holds record 50 of " +
                             RecordDateTime(2014, 1, 1, 0, 50) +
                             ": its log was erased. Downloading the most recent 20 records."));
    EXPECT_EQ(Engine.List().Count(), 20); // empty records, shown, not archived
    EXPECT_EQ(ArchivedNumbers().size(), 20U);
    EXPECT_EQ(Downloads().back(), "new complete 20");
}

TEST_F(RecorderDownload, ArchiveThatCannotBeUsedLeavesTheDownloadWorkingAndSaysSoOnce) {
    const std::string notAnArchive = Folder.File("notes.txt");
    ExportTest::WriteFile(notAnArchive, std::string(4096, 'n'));
    UseArchive(notAnArchive);
    Engine.startButtonClick();
    EXPECT_EQ(Engine.List().Count(), 20);
    EXPECT_TRUE(Host.HasLine("Download Complete!"));
    EXPECT_EQ(Failures("Not archived: Cannot use the archive \"" + notAnArchive +
                       "\": it is not an archive"),
              1)
        << ::testing::PrintToString(Host.Lines());
    EXPECT_TRUE(Host.Boxes.empty());
    EXPECT_EQ(ExportTest::ReadFile(notAnArchive), std::string(4096, 'n'));

    // New records without an archive: the most recent ones, and the same report.
    NewRecords();
    EXPECT_EQ(Engine.List().Count(), 20);
    EXPECT_EQ(Failures("Not archived: "), 1);
}

TEST_F(RecorderDownload, EveryDownloadIsStoredWithItsKindOutcomeUserAndLine) {
    Engine.startButtonClick();
    Instrument.CurrentRecord = 12;
    Host.Answers = {false}; // keep the log after the whole-log download
    Engine.downloadButtonClick();
    Blocks = 0;
    StopAfterBlocks = 5;
    Engine.startButtonClick();
    EXPECT_EQ(Downloads(), (std::vector<std::string>{"recent complete 20", "whole complete 13",
                                                     "recent stopped 5"}));
    // Records 0..12 and -9..10 (wrapping) overlap: each is stored once.
    EXPECT_EQ(ArchivedNumbers(), [] {
        std::set<std::int32_t> all = Span(61992, 10);
        for (std::int32_t r = 0; r <= 12; ++r) {
            all.insert(r);
        }
        return all;
    }());
}
