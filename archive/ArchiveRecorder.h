// TArchiveRecorder: the archive's side of the downloads of one line (TDownloadArchive), over
// the writer thread.
//
// - DownloadStarted: the instrument (SetInstrument) is found or added and the download stored,
//   with the user, the host and the line settings (SetLineSettings).
// - RecordRead: a block that holds a sample goes to the writer's batch, stamped with its
//   arrival time; it is committed within TArchiveWorker::CommitInterval. Empty records (erased
//   memory) are not archived.
// - DownloadEnded: the download's end is stored once its records are; a download that finished
//   complete but whose records could not all be written is stored as incomplete, so that the
//   next "New records" fetches them again.
// - PlanNewRecords: NewRecordsPlan.h over the archive's records of the instrument and the
//   engine's block reader; when the archive cannot be used, the plan of an archive that knows
//   nothing (the most recent records).
// - TakeFailure: "Not archived: " and the archive's error, once a download (an archive that
//   cannot be opened fails every step of it alike).
//
// Waiting: PlanNewRecords and DownloadEnded wait for the writer's answers through the wait
// function they are given (the download host's PumpWait), so the window keeps running.
//
// Threads: main thread. Borrows the worker, which must outlive it.
#pragma once

#include "ArchiveTypes.h"
#include "ArchiveWorker.h"
#include "DownloadArchive.h"

#include <functional>
#include <future>
#include <memory>
#include <string>

namespace Sondrel {

class TArchiveRecorder : public TDownloadArchive {
public:
    // wait(ms): wait that long while the program goes on (events, completions).
    TArchiveRecorder(TArchiveWorker& worker, std::function<void(std::int32_t ms)> wait);

    // What the following downloads are of, and over which line.
    void SetInstrument(const TInstrumentDescription& instrument) { FInstrument = instrument; }
    const TInstrumentDescription& Instrument() const { return FInstrument; }
    void SetLineSettings(const std::string& text) { FLineSettings = text; }

    void DownloadStarted(TDownloadKind kind, const std::string& request) override;
    void RecordRead(const std::vector<std::uint16_t>& registers) override;
    void DownloadEnded(TDownloadOutcome outcome, std::int64_t recordsReceived) override;
    TNewRecordsWindow PlanNewRecords(std::int32_t current, std::int32_t fallbackCount,
                                     const TBlockReader& read) override;
    std::optional<std::string> TakeFailure() override;

    // The records that the last download which ended added to the archive (those it held
    // already, another program's included, not counted).
    std::int64_t LastRecordsAdded() const { return FLastRecordsAdded; }

    // The text stored as a download's kind and outcome.
    static const char* KindText(TDownloadKind kind);
    static const char* OutcomeText(TDownloadOutcome outcome);

private:
    // Waits for a job while the program goes on; false when it failed.
    bool Await(std::future<void>& done);

    TArchiveWorker& FWorker;
    std::function<void(std::int32_t)> FWait;
    TInstrumentDescription FInstrument;
    std::string FLineSettings;
    std::shared_ptr<TArchiveWorker::TTarget> FTarget;
    bool FFailureReported = false;
    std::int64_t FLastRecordsAdded = 0;
};

} // namespace Sondrel
