// The two download procedures of the instrument's log and everything around them.
//
// - startButtonClick ("Retrieve Data", Log Data page): the N most recent records, or N records
//   before or after a date and time, every Interval-th record.
// - downloadButtonClick ("Download Data", whole-log page): every record up to the current one,
//   with the channel size table as column captions, and an offer to erase the log afterwards.
// - stopButtonClick / StopDownload: stop a running download (the queue watch of the window
//   calls StopDownload too, after its own failure line).
// - EraseSampleDatafromMemory1Click: erase the log memory from the menu.
// - newRecordsButtonClick ("New records", Log Data page): the records that the instrument wrote
//   since the archive last heard of it, and those that a cut download missed (the archive
//   plans which, TDownloadArchive::PlanNewRecords); when the archive knows nothing that the
//   instrument still holds, the "# of Recent Records" most recent ones. It prepares the
//   instrument as "Retrieve Data" does, reads the current record, and reads the planned records
//   in the passes of "Retrieve Data", always at the speed of the line (dmLine, whatever the
//   delay menu says); with nothing to read it says "No new records.".
//
// With an archive (SetArchive), every download past its estimate is told to it: its start, every
// record block as it arrives, and its end with the outcome; a failure to archive is written as
// a failure line once and the download goes on.
//
// Each procedure talks to the instrument only through TDownloadRequests and paces itself with
// the waits of the delay menu (host PumpWait), checking after each wait whether the instrument
// acknowledged. Completions reach the engine through OnSingleRegisterWrite and
// OnHoldingRegistersRead, whenever ModbusClient1 raises them, during a download or not
// (TClientDownloadCompletions subscribes the engine to a client); the transaction ID of a
// completion tells whether it is the outcome of the request a wait is for. Its steps go to the
// host's log by kind and to the view.
//
// Waits after a request:
// - a setup step (everything but the record blocks: the stop, Modbus mode, output selection,
//   Nth record, the current record, the date search, the size table, the restart, the erase)
//   waits its fixed time and, in every delay mode, on until the request's outcome is known,
//   at most the request's own time limit (its attempts x receive timeout): a request that is
//   lost once and answered on its retry does not fail the download;
// - "Line Speed" (dmLine): every wait ends as soon as its request's outcome is known. A record
//   block's waits are bounded by WriteDelay and ReadDelay (a block not answered by then counts
//   as missed and is asked for again in the next pass, its late reply is still stored); the
//   block is read only once its pointer write was acknowledged, and a request that passed its
//   bound is waited for (at most its time limit) before the next one goes out, so that no
//   request queues behind it. The estimate is what the line needs for the download's
//   exchanges (LineSpeedEstimate.h).
//
// The window's queue watch (Timer1Timer) does nothing while AbortRequested() is true and
// otherwise calls StopDownload after its own failure line when the queue overflows or stalls;
// both procedures switch transactionTimer off when they start. stopButtonClick asks "Stop
// Downloading?" (only while a procedure runs): Yes calls StopDownload, No clears the abort
// request. A stop takes effect at the procedure's next check (the block loop, the pass loop, the
// import) and ends it through its failure path.
// A failed "Retrieve Data" restarts acquisition (246 := 11) before its failure box is shown, so
// that the instrument is never left stopped while the box waits for the operator.
//
// A line that is gone for good (an unplugged adapter, an instrument that closed its end) stops
// the download before its next block, with the failure line "** RETRIEVE LOG DATA FAILED ** The
// serial line is gone." and then as StopDownload does: every request on such a line fails at
// once, and the passes would otherwise go on for as long as the download itself takes.
//
// Only one procedure runs at a time: a start (or an erase) while one runs, which can happen
// because the waits process events, is refused without touching the instrument.
//
// A request that throws (no active connection, a bad argument) writes the error's message as a
// failure line, marks the download failed and stopped, skips the wait that belonged to it, and
// the procedure ends through its failure path.
//
// Threads: main thread only. The engine owns the download state (and is its only writer), the
// record table, the record list and the stopwatch; the host, the requests and the view are
// borrowed and must outlive the engine.
#pragma once

#include "DownloadArchive.h"
#include "DownloadHost.h"
#include "DownloadRequests.h"
#include "DownloadState.h"
#include "DownloadView.h"
#include "ModbusTransaction.h"
#include "ModbusTypes.h"
#include "RecordImporter.h"
#include "Stopwatch.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Sondrel {

class TDownloadEngine {
public:
    // A host without a window passes no view.
    TDownloadEngine(TDownloadHost& host, TDownloadRequests& requests,
                    TDownloadView& view = TDownloadView::None());

    // --- procedures
    void startButtonClick();
    void downloadButtonClick();
    void stopButtonClick();
    void StopDownload();
    void EraseSampleDatafromMemory1Click();
    void newRecordsButtonClick();
    // The archive that every download reports to from now on (nothing: none); borrowed.
    void SetArchive(TDownloadArchive* archive) { FArchive = archive; }
    // Sets WriteDelay and ReadDelay from the baud rate and the delay menu. The window calls it
    // when it is created and after the port settings change; every download calls it at start.
    void UpdateCommunicationDelays();
    // The same for a delay choice of the procedure's own ("New records": the line's speed).
    void ApplyCommunicationDelays(TDelayMenuChoice choice);

    // --- completions (download side)
    void OnSingleRegisterWrite(const Corvane::TTransactionInfo& info, std::uint16_t regAddr,
                               std::uint16_t regValue);
    void OnHoldingRegistersRead(const Corvane::TTransactionInfo& info, std::uint16_t startReg,
                                std::uint16_t regCount, const Corvane::TRegValues& values);

    // --- what the window reads
    bool Running() const { return FRunning; }
    // The duration the running (or last) download was estimated to take, in seconds.
    double EstimatedSeconds() const { return FEstimateSeconds; }
    bool AbortRequested() const { return S.AbortRequested; }
    bool ExportReady() const { return S.ExportReady; }
    const TDownloadState& State() const { return S; }
    const TRecordList& List() const { return FImporter.List(); }
    TRecordList& List() { return FImporter.List(); }
    const TRecordTable& RecordTable() const { return FImporter.RecordTable(); }
    const TSizeTable& SizeData() const { return FImporter.SizeData(); }
    const TStopwatch& Stopwatch() const { return FStopwatch; }

    // --- helpers with fixed results
    // "Download will take approximately ..." texts: "h Hours m Minutes and s Seconds", each
    // part only when it applies (seconds always).
    static std::string FormatDuration(double seconds);
    // The stopwatch's elapsed time as "hh:nn:ss.zzz" (hours of the day, as a clock shows them).
    static std::string FormatElapsed(std::int64_t ms);
    // The delay base of a baud rate, in ms.
    static std::int32_t DelayBase(Corvane::TBaudRate rate);

private:
    class TRunGuard;
    // What a wait after a request belongs to (see the header comment).
    enum TWaitKind : std::uint8_t { wkSetup, wkBlock };

    // Steps shared by both procedures.
    void GetCurrentRecord();
    void getRecords(std::int32_t count, bool following, bool byDate);
    // The passes over the block list until every wanted record of the window is in the list
    // (or ten passes, or a stop); the "Last Record: " line or the time-out line after them.
    // expected: the items a complete list holds.
    void ReadPasses(std::int32_t expected, std::int64_t lastRecord);
    void ReadRecordBlocks(std::int32_t pass);
    // The import after a pass; stores the next pass's block list.
    void ImportPass();
    bool ReadBlockAndWait(std::uint16_t start, std::uint16_t count, TWaitKind kind);
    // Stops the download with a failure line when the line is gone; true when it did.
    bool StopIfLineLost();
    void FinishDownload();
    void startAcquisition();
    // What a download sets up before its first step: the table, the controls, the flags, the
    // stopwatch and the delays.
    void BeginDownloadRun();
    // Stop acquisition, Modbus mode, output logs and the Nth record, as "Retrieve Data" does.
    void PrepareInstrument(std::int32_t interval);
    // The end of a Log Data procedure: finished or failed, the empty line, the archive told.
    void EndLogData();
    void RetrieveNewRecords(std::int32_t fallbackCount);
    // One record's block read outside the passes (for the new-records plan); nothing when it
    // could not be read or is another record than asked for.
    std::optional<Corvane::TRegValues> ReadSingleBlock(std::int32_t record);
    // The archive side of a download.
    void ArchiveStarted(TDownloadKind kind, const std::string& request);
    void ArchiveEnded();
    void ReportArchiveFailure();
    // The Log Data procedure after its inputs were accepted.
    // when: the search's minute, hour, day and month.
    void RetrieveLogData(std::int32_t records, bool byDate,
                         const std::array<std::uint16_t, 4>& when);
    void RetrieveMostRecent(std::int32_t records);
    void RetrieveByDate(std::int32_t records, const std::array<std::uint16_t, 4>& when);
    // The whole-log download's size-table step.
    void ReadSizeTable();

    // Requests: false when the request threw (the failure is then recorded). Each makes its
    // request the one whose outcome the next wait is about.
    bool Write(std::uint16_t reg, std::uint16_t value);
    bool Read(std::uint16_t start, std::uint16_t count);
    void WriteAndWait(std::uint16_t reg, std::uint16_t value, std::int32_t ms,
                      TWaitKind kind = wkSetup);
    void ReadAndWait(std::uint16_t start, std::uint16_t count, std::int32_t ms,
                     TWaitKind kind = wkSetup);
    // The wait after the last request, of fixedMs in the fixed delay modes.
    void AwaitRequest(std::int32_t fixedMs, TWaitKind kind);
    // Waits at most ms for the outcome of the last request.
    void WaitForOutcome(std::int32_t ms);
    // At the speed of the line, waits for the outcome of a block's request that passed its
    // bound, at most its time limit, before the next request goes out: queued behind it on the
    // line, every later request would pass its own bound too and each block would count as
    // missed in turn.
    void SettleLastRequest();
    // Notes a completion; the outcome of the awaited request when its ID is that one's.
    void NoteOutcome(const Corvane::TTransactionInfo& info);
    void RequestFailed(const std::string& message);
    // The download's estimate in the line-speed mode.
    double LineSpeedEstimate(std::int64_t records, std::int32_t setupExchanges) const;
    void ShowProgress(std::int32_t pass, std::int32_t done, std::int64_t passStartMs);
    // Whether a one-register read left a value: the read completed and cell 0 of the row named
    // by RecordPointer holds it.
    bool ValueThere() const;
    bool ConfirmEstimate(double seconds, bool ask);
    void Report(const std::string& text, TDownloadStepKind kind = skPlain);
    void EnableComponents(bool enabled);
    void EnableExportTab(bool enabled);

    TDownloadHost& FHost;
    TDownloadRequests& FRequests;
    TDownloadView& FView;
    TDownloadState S;
    TRecordImporter FImporter;
    TStopwatch FStopwatch;
    TDownloadInputs FInputs;
    // The delay menu's choice when the delays were last set.
    TDelayMenuChoice FDelayChoice = dmNone;
    // The request the next wait is about, and what its completion said.
    std::int32_t FAwaitedId = -1;
    bool FOutcomeKnown = true;
    bool FOutcomeNormal = false;
    // The duration estimated when the download started (0: none).
    double FEstimateSeconds = 0;
    bool FRunning = false;
    TDownloadArchive* FArchive = nullptr;
    // The archive was told that the running download started.
    bool FArchiving = false;
    // The passes ended with records still missing.
    bool FTimedOut = false;
    // A block read outside the passes: its completion is taken here, not by the importer.
    struct TSingleRead {
        bool Active = false;
        bool Done = false;
        std::optional<Corvane::TRegValues> Values;
    } FSingleRead;
    // A download procedure is past its input checks: a failed request fails the download.
    bool FInDownload = false;
    bool FRequestErrorReported = false;
};

} // namespace Sondrel
