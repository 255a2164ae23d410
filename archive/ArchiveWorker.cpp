#include "ArchiveWorker.h"

#include "ArchiveError.h"

namespace Sondrel {

TArchiveWorker::TArchiveWorker(TStoreFactory open)
    : FOpen(std::move(open)), FThread([this] { Run(); }) {}

TArchiveWorker::~TArchiveWorker() {
    {
        std::lock_guard<std::mutex> lock(FMutex);
        FStopping = true;
    }
    FWake.notify_all();
    FThread.join();
}

std::future<void> TArchiveWorker::Submit(TJob job) {
    // The job takes the store on the worker's thread; its error is kept for TakeFailure and
    // handed on to the future.
    std::packaged_task<void()> task([this, job = std::move(job)] {
        try {
            job(Store());
        } catch (const std::exception& e) {
            NoteFailure(e.what());
            throw;
        }
    });
    std::future<void> done = task.get_future();
    {
        std::lock_guard<std::mutex> lock(FMutex);
        FJobs.push_back(std::move(task));
    }
    FWake.notify_all();
    return done;
}

void TArchiveWorker::AddRecord(const std::shared_ptr<TTarget>& target, TArchivedRecord record) {
    {
        std::lock_guard<std::mutex> lock(FMutex);
        if (FPending.empty()) {
            FFirstPending = std::chrono::steady_clock::now();
            FJobsAheadOfPending = FJobs.size();
        }
        FPending.push_back({target, std::move(record)});
    }
    FWake.notify_all();
}

void TArchiveWorker::Flush() {
    // A job runs after every write and job before it.
    Submit([](IArchiveStore&) {}).wait();
}

std::optional<std::string> TArchiveWorker::TakeFailure() {
    std::lock_guard<std::mutex> lock(FMutex);
    std::optional<std::string> failure = std::move(FFailure);
    FFailure.reset();
    return failure;
}

void TArchiveWorker::NoteFailure(const std::string& text) {
    std::lock_guard<std::mutex> lock(FMutex);
    if (!FFailure) {
        FFailure = text;
    }
}

IArchiveStore& TArchiveWorker::Store() {
    if (!FStore) {
        if (FOpenFailure) {
            throw std::runtime_error(*FOpenFailure);
        }
        try {
            FStore = FOpen();
        } catch (const std::exception& e) {
            FOpenFailure = e.what();
            throw;
        }
    }
    return *FStore;
}

void TArchiveWorker::RunBatch(std::vector<TPendingRecord>& batch) {
    // One transaction for each run of records of one download.
    std::size_t first = 0;
    while (first < batch.size()) {
        const std::shared_ptr<TTarget> target = batch[first].Target;
        std::vector<TArchivedRecord> records;
        std::size_t end = first;
        for (; end < batch.size() && batch[end].Target == target; ++end) {
            records.push_back(std::move(batch[end].Record));
        }
        first = end;
        if (target->DownloadId == 0) {
            continue; // its download could not be stored: the failure is known already
        }
        try {
            target->RecordsAdded +=
                Store().AddRecords(target->InstrumentId, target->DownloadId, records);
        } catch (const std::exception& e) {
            target->WriteFailed = true;
            NoteFailure(e.what());
        }
    }
    batch.clear();
}

void TArchiveWorker::Run() {
    std::unique_lock<std::mutex> lock(FMutex);
    for (;;) {
        // Jobs submitted before the pending records run first. Then the pending records go
        // when they are due, when a job waits behind them, or at the end; a job then runs;
        // otherwise the worker sleeps until one of those.
        const bool due = FJobsAheadOfPending == 0 && !FPending.empty() &&
                         (FStopping || !FJobs.empty() ||
                          std::chrono::steady_clock::now() >= FFirstPending + CommitInterval);
        if (due) {
            std::vector<TPendingRecord> batch;
            batch.swap(FPending);
            lock.unlock();
            RunBatch(batch);
            lock.lock();
            continue;
        }
        if (!FJobs.empty()) {
            std::packaged_task<void()> job = std::move(FJobs.front());
            FJobs.pop_front();
            if (FJobsAheadOfPending > 0) {
                --FJobsAheadOfPending;
            }
            lock.unlock();
            job();
            lock.lock();
            continue;
        }
        if (FStopping) {
            return;
        }
        if (FPending.empty()) {
            FWake.wait(lock);
        } else {
            FWake.wait_until(lock, FFirstPending + CommitInterval);
        }
    }
}

} // namespace Sondrel
