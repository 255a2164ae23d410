#include "ArchiveRecorder.h"

#include "NewRecordsPlan.h"
#include "SystemNames.h"

namespace Sondrel {

TArchiveRecorder::TArchiveRecorder(TArchiveWorker& worker, std::function<void(std::int32_t)> wait)
    : FWorker(worker), FWait(std::move(wait)) {}

const char* TArchiveRecorder::KindText(TDownloadKind kind) {
    switch (kind) {
    case dkRecent:
        return kDownloadRecent;
    case dkByDate:
        return kDownloadByDate;
    case dkWhole:
        return kDownloadWhole;
    case dkNew:
        break;
    }
    return kDownloadNew;
}

const char* TArchiveRecorder::OutcomeText(TDownloadOutcome outcome) {
    switch (outcome) {
    case doComplete:
        return kOutcomeComplete;
    case doIncomplete:
        return kOutcomeIncomplete;
    case doStopped:
        return kOutcomeStopped;
    case doFailed:
        break;
    }
    return kOutcomeFailed;
}

bool TArchiveRecorder::Await(std::future<void>& done) {
    while (done.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready) {
        FWait(10);
    }
    try {
        done.get();
        return true;
    } catch (const std::exception&) {
        return false; // the worker keeps the error for TakeFailure
    }
}

void TArchiveRecorder::DownloadStarted(TDownloadKind kind, const std::string& request) {
    FTarget = std::make_shared<TArchiveWorker::TTarget>();
    FFailureReported = false;
    FLastRecordsAdded = 0;
    TDownloadRecord download;
    download.Kind = KindText(kind);
    download.Request = request;
    download.StartedAt = UtcNow();
    download.UserName = CurrentUserName();
    download.HostName = CurrentHostName();
    download.LineSettings = FLineSettings;
    FWorker.Submit([target = FTarget, instrument = FInstrument,
                    download = std::move(download)](IArchiveStore& store) mutable {
        target->InstrumentId = store.EnsureInstrument(instrument);
        download.InstrumentId = target->InstrumentId;
        target->DownloadId = store.BeginDownload(download);
    });
}

void TArchiveRecorder::RecordRead(const std::vector<std::uint16_t>& registers) {
    if (!FTarget || IsEmptyRecordBlock(registers) || registers.size() < 84) {
        return;
    }
    std::vector<std::uint16_t> kept(
        registers.begin(), registers.begin() + static_cast<std::ptrdiff_t>(std::min(
                                                   registers.size(), kArchivedRegisterCount)));
    FWorker.AddRecord(FTarget, {registers[1], std::move(kept), UtcNow()});
}

void TArchiveRecorder::DownloadEnded(TDownloadOutcome outcome, std::int64_t recordsReceived) {
    if (!FTarget) {
        return;
    }
    std::future<void> done =
        FWorker.Submit([target = FTarget, outcome, recordsReceived](IArchiveStore& store) {
            if (target->DownloadId == 0) {
                return;
            }
            const TDownloadOutcome stored =
                outcome == doComplete && target->WriteFailed ? doIncomplete : outcome;
            store.EndDownload(target->DownloadId, UtcNow(), OutcomeText(stored), recordsReceived);
        });
    const std::shared_ptr<TArchiveWorker::TTarget> target = std::move(FTarget);
    Await(done);
    // The end's job ran after every record of the download.
    FLastRecordsAdded = target->RecordsAdded;
}

TNewRecordsWindow TArchiveRecorder::PlanNewRecords(std::int32_t current, std::int32_t fallbackCount,
                                                   const TBlockReader& read) {
    const std::shared_ptr<TArchiveWorker::TTarget> target =
        FTarget ? FTarget : std::make_shared<TArchiveWorker::TTarget>();
    std::optional<TDownloadRecord> latest;
    std::future<void> asked = FWorker.Submit([target, &latest](IArchiveStore& store) {
        if (target->InstrumentId != 0) {
            latest = store.LatestChainedDownload(target->InstrumentId);
        }
    });
    const bool usable = Await(asked) && target->InstrumentId != 0;

    const TRecordProbe probe = [&read](std::int32_t record) {
        TProbedRecord probed;
        if (const auto registers = read(record)) {
            probed.Read = true;
            probed.Filled = !IsEmptyRecordBlock(*registers);
            if (probed.Filled) {
                probed.RecordedAt = BlockDateTime(*registers).value_or("");
            }
        }
        return probed;
    };
    const TArchivedKeysQuery archived = [&](const std::optional<std::string>& since,
                                            std::optional<std::int64_t> fromDownload) {
        std::vector<TArchivedKey> keys;
        if (!usable) {
            return keys;
        }
        std::future<void> done = FWorker.Submit([&, target](IArchiveStore& store) {
            keys = store.RecordKeys(target->InstrumentId, since, fromDownload);
        });
        Await(done);
        return keys;
    };
    const TNewRecordsPlan plan = Sondrel::PlanNewRecords(
        current, fallbackCount, usable ? latest : std::nullopt, probe, archived);
    if (!plan.Failure && usable) {
        FWorker.Submit([target, chain = plan.Chain](IArchiveStore& store) {
            if (target->DownloadId != 0) {
                store.SetDownloadChain(target->DownloadId, chain);
            }
        });
    }
    TNewRecordsWindow window;
    window.Failure = plan.Failure;
    window.FirstRecord = plan.FirstRecord;
    window.WindowSize = plan.WindowSize;
    window.Records = plan.Records;
    window.Notes = plan.Notes;
    return window;
}

std::optional<std::string> TArchiveRecorder::TakeFailure() {
    std::optional<std::string> failure = FWorker.TakeFailure();
    if (!failure || FFailureReported) {
        return std::nullopt;
    }
    FFailureReported = true;
    return "Not archived: " + *failure;
}

} // namespace Sondrel
