// TArchiveWorker: the thread that writes the archive, so that the main thread never waits for
// the database (a commit, a lock held by another program, a slow disk).
//
// The worker opens its store itself (with the factory it is given, on its own thread) when the
// first job runs; a store that cannot be opened makes every job fail with that error. Jobs run
// one at a time in the order submitted. Records are gathered and committed in batches, one
// transaction each: a record is committed at most CommitInterval after it was added, and before
// any job submitted after it runs, so a job sees every record added before it.
//
// Failures: a job's error reaches its future; every error (of a job or a batch) is also kept,
// the first one since the last TakeFailure, for the main thread to report once. A batch that
// fails is dropped: the archive keeps what was committed before it, never part of a batch.
//
// Threads: Submit, AddRecords, Flush and TakeFailure may be called from any thread (the main
// thread in the program). Jobs and the batch writer run on the worker's thread with the store.
// The destructor commits what is pending and stops the thread.
#pragma once

#include "ArchiveStore.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace Sondrel {

class TArchiveWorker {
public:
    using TStoreFactory = std::function<std::unique_ptr<IArchiveStore>()>;
    using TJob = std::function<void(IArchiveStore&)>;

    // The download that records are added for. Jobs fill in the ids (on the worker's thread)
    // before the records are written; a target without them (its download could not be
    // stored) takes no records. WriteFailed is set when a batch of its records failed.
    struct TTarget {
        std::int64_t InstrumentId = 0;
        std::int64_t DownloadId = 0;
        bool WriteFailed = false;
        // The records its batches added that the archive did not hold yet (worker's thread;
        // read once a job submitted after them is done).
        std::int64_t RecordsAdded = 0;
    };

    static constexpr std::chrono::milliseconds CommitInterval{250};

    explicit TArchiveWorker(TStoreFactory open);
    ~TArchiveWorker();
    TArchiveWorker(const TArchiveWorker&) = delete;
    TArchiveWorker& operator=(const TArchiveWorker&) = delete;

    // Runs the job on the worker; the future is ready when it ran (or holds its error).
    std::future<void> Submit(TJob job);
    // Adds a record to the pending batch of its download.
    void AddRecord(const std::shared_ptr<TTarget>& target, TArchivedRecord record);
    // Waits until every job and write submitted before the call ran.
    void Flush();
    // The first failure since the last call, or nothing.
    std::optional<std::string> TakeFailure();

private:
    void Run();
    IArchiveStore& Store();
    struct TPendingRecord {
        std::shared_ptr<TTarget> Target;
        TArchivedRecord Record;
    };
    void RunBatch(std::vector<TPendingRecord>& batch);
    void NoteFailure(const std::string& text);

    TStoreFactory FOpen;
    std::unique_ptr<IArchiveStore> FStore;
    std::optional<std::string> FOpenFailure;

    std::mutex FMutex;
    std::condition_variable FWake;
    std::deque<std::packaged_task<void()>> FJobs;
    std::vector<TPendingRecord> FPending;
    std::chrono::steady_clock::time_point FFirstPending;
    // Jobs submitted before the first pending record: they run before its batch, so that the
    // job that stores a download comes before the download's records.
    std::size_t FJobsAheadOfPending = 0;
    bool FStopping = false;
    std::optional<std::string> FFailure;
    std::thread FThread;
};

} // namespace Sondrel
