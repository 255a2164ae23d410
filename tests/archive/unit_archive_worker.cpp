// The archive's writer thread: records committed without being asked within the commit
// interval, a job that sees every record added before it, a store that cannot be opened, and a
// batch that fails as a whole.
#include "ArchiveTestSupport.h"

#include "ArchiveError.h"
#include "ArchiveWorker.h"
#include "SqliteArchive.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

using namespace Sondrel;
using namespace ArchiveTest;

namespace {

class ArchiveWorkerTest : public ::testing::Test {
protected:
    TArchiveWorker::TStoreFactory Factory() const {
        return [path = Path] { return std::make_unique<TSqliteArchive>(path, path); };
    }
    // The target of a new download, its ids filled in by a job on the worker.
    std::shared_ptr<TArchiveWorker::TTarget> NewTarget(TArchiveWorker& worker) {
        auto target = std::make_shared<TArchiveWorker::TTarget>();
        worker
            .Submit([target](IArchiveStore& store) {
                target->InstrumentId = store.EnsureInstrument(Instrument());
                TDownloadRecord download;
                download.InstrumentId = target->InstrumentId;
                download.Kind = kDownloadRecent;
                download.StartedAt = "2024-06-01T12:00:00Z";
                target->DownloadId = store.BeginDownload(download);
            })
            .get();
        return target;
    }
    // The records in the file as another connection sees them.
    std::int64_t StoredCount() const {
        TSqliteArchiveOptions readOnly;
        readOnly.ReadOnly = true;
        return TSqliteArchive(Path, Path, readOnly).CountRecords({});
    }

    ExportTest::TTempFolder Folder;
    std::string Path = Folder.File("archive.sqlite");
};

TEST_F(ArchiveWorkerTest, RecordsAreCommittedWithinTheIntervalWithoutBeingAsked) {
    TArchiveWorker worker(Factory());
    const auto target = NewTarget(worker);
    for (const TArchivedRecord& record : Records(1, 3)) {
        worker.AddRecord(target, record);
    }
    // Nothing asks for them: the batch commits on its own after the commit interval (a quarter
    // of a second; up to two allowed on a loaded machine).
    const auto start = std::chrono::steady_clock::now();
    while (StoredCount() < 3 &&
           std::chrono::steady_clock::now() - start < std::chrono::seconds(2)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_EQ(StoredCount(), 3);
    EXPECT_FALSE(worker.TakeFailure());
}

TEST_F(ArchiveWorkerTest, JobSeesEveryRecordAddedBeforeIt) {
    TArchiveWorker worker(Factory());
    const auto target = NewTarget(worker);
    for (const TArchivedRecord& record : Records(1, 5)) {
        worker.AddRecord(target, record);
    }
    std::int64_t seen = -1;
    worker.Submit([&seen](IArchiveStore& store) { seen = store.CountRecords({}); }).get();
    EXPECT_EQ(seen, 5);
    EXPECT_FALSE(target->WriteFailed);
}

TEST_F(ArchiveWorkerTest, RecordsAddedAfterAJobWaitForIt) {
    // A download's records are added while the job that stores the download still waits behind
    // another job: they must not be written before it (they would have no download, and be
    // dropped).
    TArchiveWorker worker(Factory());
    NewTarget(worker); // opens the store
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::future<void> busy = worker.Submit([released](IArchiveStore&) { released.wait(); });
    auto target = std::make_shared<TArchiveWorker::TTarget>();
    worker.Submit([target](IArchiveStore& store) {
        target->InstrumentId = store.EnsureInstrument(Instrument());
        TDownloadRecord download;
        download.InstrumentId = target->InstrumentId;
        download.Kind = kDownloadRecent;
        download.StartedAt = "2024-06-01T12:00:00Z";
        target->DownloadId = store.BeginDownload(download);
    });
    for (const TArchivedRecord& record : Records(1, 4)) {
        worker.AddRecord(target, record);
    }
    std::int64_t seen = -1;
    std::future<void> counted =
        worker.Submit([&seen](IArchiveStore& store) { seen = store.CountRecords({}); });
    release.set_value();
    counted.get();
    busy.get();
    EXPECT_EQ(seen, 4);
    EXPECT_FALSE(target->WriteFailed);
    EXPECT_FALSE(worker.TakeFailure());
}

TEST_F(ArchiveWorkerTest, StoreThatCannotBeOpenedFailsEveryJobAndIsReportedOnce) {
    int opened = 0;
    TArchiveWorker worker([&opened]() -> std::unique_ptr<IArchiveStore> {
        ++opened;
        throw EArchiveError(afLocked, "here", "another program holds it");
    });
    auto first = worker.Submit([](IArchiveStore&) {});
    auto second = worker.Submit([](IArchiveStore&) {});
    EXPECT_THROW(first.get(), std::exception);
    EXPECT_THROW(second.get(), std::exception);
    EXPECT_EQ(opened, 1) << "a store that failed to open is not tried for every job";
    const auto failure = worker.TakeFailure();
    ASSERT_TRUE(failure);
    EXPECT_NE(failure->find("another program holds it"), std::string::npos) << *failure;
    EXPECT_FALSE(worker.TakeFailure());
}

TEST_F(ArchiveWorkerTest, BatchThatFailsIsDroppedWholeAndMarksItsDownload) {
    TArchiveWorker worker(Factory());
    const auto good = NewTarget(worker);
    // A download the file does not have: its records break the foreign key.
    auto broken = std::make_shared<TArchiveWorker::TTarget>(*good);
    broken->DownloadId = good->DownloadId + 1000;
    worker.AddRecord(good, Record(1, 1));
    worker.AddRecord(broken, Record(2, 2));
    worker.AddRecord(broken, Record(3, 3));
    worker.Flush();
    EXPECT_EQ(StoredCount(), 1);
    EXPECT_TRUE(broken->WriteFailed);
    EXPECT_FALSE(good->WriteFailed);
    EXPECT_TRUE(worker.TakeFailure());
}

} // namespace
