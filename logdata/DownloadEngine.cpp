#include "DownloadEngine.h"

#include "CorvaneError.h"
#include "LineSpeedEstimate.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace Sondrel {

namespace {

// Instrument registers.
constexpr std::uint16_t kCurrentRecordHigh = 2;
constexpr std::uint16_t kCurrentRecordLow = 3;
constexpr std::uint16_t kFoundRecord = 230;
constexpr std::uint16_t kOutputLogsA = 243;
constexpr std::uint16_t kOutputLogsB = 244;
constexpr std::uint16_t kModbusMode = 245;
constexpr std::uint16_t kAcquisition = 246;
constexpr std::uint16_t kErase = 249;
constexpr std::uint16_t kSearchMonth = 250;
constexpr std::uint16_t kSearchDay = 251;
constexpr std::uint16_t kSearchHour = 252;
constexpr std::uint16_t kSearchMinute = 253;
constexpr std::uint16_t kRecordPointer = 254;
constexpr std::uint16_t kNthRecord = 255;
constexpr std::uint16_t kRecordBlock = 256;

constexpr std::uint16_t kStopAcquisition = 10;
constexpr std::uint16_t kStartAcquisition = 11;
constexpr std::uint16_t kModbusModeOn = 85;
constexpr std::uint16_t kRecordBlockSize = 104;
constexpr std::uint16_t kSizeTableBlockSize = 88;

constexpr std::int32_t kMaxPasses = 10;
constexpr std::int64_t kRecordLimit = 62000;

const char* const kLineLostFailure = "** RETRIEVE LOG DATA FAILED ** The serial line is gone.";
const char* const kEraseTitle = "** ERASE DATA?? **";
const char* const kEstimatePrefix = "Download will take approximately ";
const char* const kEmptyLog =
    "The data log appears to be empty.  Please take a sample and try the download again.";

// A count typed by the operator: digits only, within the 32-bit range.
std::optional<std::int32_t> ParseCount(const std::string& text) {
    if (text.empty() ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::int32_t ClampToInt32(std::int64_t v) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        v, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

} // namespace

// Marks a procedure as running for its whole extent, whatever way it ends.
class TDownloadEngine::TRunGuard {
public:
    explicit TRunGuard(bool& running) : FRunning(running) { FRunning = true; }
    ~TRunGuard() { FRunning = false; }
    TRunGuard(const TRunGuard&) = delete;
    TRunGuard& operator=(const TRunGuard&) = delete;

private:
    bool& FRunning;
};

TDownloadEngine::TDownloadEngine(TDownloadHost& host, TDownloadRequests& requests,
                                 TDownloadView& view)
    : FHost(host), FRequests(requests), FView(view), FImporter(S, host, view),
      FStopwatch([&host] { return host.TickMs(); }) {}

void TDownloadEngine::Report(const std::string& text, TDownloadStepKind kind) {
    ReportStep(FHost, FView, text, kind);
}

// ---------------------------------------------------------------------------------------------
// Helpers with fixed results

std::string TDownloadEngine::FormatDuration(double seconds) {
    // The parts of the duration; the same arithmetic as hours and fractions of hours, but kept
    // on whole units so that 120 s is 2 minutes and not 1 minute and 60 seconds.
    const double hours = std::floor(seconds / 3600);
    const double rest = seconds - hours * 3600;
    const double minutes = std::floor(rest / 60);
    const double secs = rest - minutes * 60;
    std::string text;
    if (hours > 0) {
        text += std::to_string(static_cast<long long>(hours)) + " Hours ";
    }
    if (minutes > 0) {
        text += std::to_string(static_cast<long long>(minutes)) + " Minutes and ";
    }
    if (secs >= 0) {
        text += std::to_string(static_cast<long long>(std::floor(secs + 0.5))) + " Seconds";
    }
    return text;
}

std::string TDownloadEngine::FormatElapsed(std::int64_t ms) {
    ms = std::max<std::int64_t>(ms, 0);
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld.%03lld",
                  static_cast<long long>((ms / 3600000) % 24),
                  static_cast<long long>((ms / 60000) % 60),
                  static_cast<long long>((ms / 1000) % 60), static_cast<long long>(ms % 1000));
    return text;
}

std::int32_t TDownloadEngine::DelayBase(Corvane::TBaudRate rate) {
    switch (rate) {
    case Corvane::br2400:
        return 2000;
    case Corvane::br4800:
        return 1000;
    case Corvane::br9600:
        return 500;
    case Corvane::br14400:
        return 250;
    case Corvane::br19200:
        return 125;
    case Corvane::br38400:
        return 70;
    case Corvane::br57600:
        return 35;
    case Corvane::br115200:
        return 0;
    default:
        return 110;
    }
}

void TDownloadEngine::UpdateCommunicationDelays() {
    ApplyCommunicationDelays(FHost.DelayMenuChoice());
}

void TDownloadEngine::ApplyCommunicationDelays(TDelayMenuChoice choice) {
    const std::int32_t base = DelayBase(FHost.BaudRate());
    FDelayChoice = choice;
    switch (FDelayChoice) {
    case dmFast:
        S.WriteDelay = base + 100;
        S.ReadDelay = base + 50;
        break;
    case dmDefault:
        S.WriteDelay = base + 100;
        S.ReadDelay = base + 100;
        break;
    case dmSlow:
        S.WriteDelay = base + 150;
        S.ReadDelay = base + 150;
        break;
    case dmLine: {
        // The bounds of a block's waits: the slow waits, and never less than twice what the
        // exchange needs on the line (a custom speed has the base of 110 ms whatever it is).
        const Corvane::TExchangeTiming line = FRequests.ExchangeTiming();
        const auto twice = [&line](std::int32_t requestSize, std::int32_t replySize) {
            return ClampToInt32(static_cast<std::int64_t>(
                std::ceil(2 * Corvane::ExchangeUs(line, requestSize, replySize) / 1000)));
        };
        S.WriteDelay = std::max(base + 150, twice(6, 6));
        S.ReadDelay = std::max(base + 150, twice(6, 3 + 2 * kRecordBlockSize));
        break;
    }
    case dmNone:
        break;
    }
}

// ---------------------------------------------------------------------------------------------
// Completions

void TDownloadEngine::OnSingleRegisterWrite(const Corvane::TTransactionInfo& info,
                                            std::uint16_t /*regAddr*/, std::uint16_t /*regValue*/) {
    S.WriteAcknowledged = info.Status == Corvane::rsNormalResponse;
    NoteOutcome(info);
}

void TDownloadEngine::NoteOutcome(const Corvane::TTransactionInfo& info) {
    if (info.ID == FAwaitedId) {
        FOutcomeKnown = true;
        FOutcomeNormal = info.Status == Corvane::rsNormalResponse;
    }
}

void TDownloadEngine::OnHoldingRegistersRead(const Corvane::TTransactionInfo& info,
                                             std::uint16_t startReg, std::uint16_t regCount,
                                             const Corvane::TRegValues& values) {
    S.WriteAcknowledged = false;
    const bool normal = info.Status == Corvane::rsNormalResponse;
    if (FSingleRead.Active && startReg == kRecordBlock) {
        FSingleRead.Done = true;
        if (normal) {
            FSingleRead.Values = values;
        }
        return;
    }
    if (FArchiving && normal && startReg == kRecordBlock && !S.SizeDataMode &&
        (S.AllDataMode || S.FullDumpMode)) {
        FArchive->RecordRead(values);
    }
    const TRecordImporter::TReadResult found =
        FImporter.OnHoldingRegistersRead(info, startReg, regCount, values);
    if (found.RecordPointer) {
        S.RecordPointer = *found.RecordPointer;
    }
    if (found.CurrentRecord) {
        S.CurrentRecord = *found.CurrentRecord;
    }
    if (found.Completed) {
        S.ReadCompleted = true;
    }
    NoteOutcome(info);
}

void TDownloadEngine::ImportPass() {
    const std::optional<std::vector<std::int32_t>> missing = FImporter.importData();
    ReportArchiveFailure();
    if (!missing) {
        // Stopped during the import: the next pass has nothing to read.
        S.BlockCount = 0;
        return;
    }
    std::copy(missing->begin(), missing->end(), S.BlockList.begin());
    S.BlockCount = static_cast<std::int32_t>(missing->size());
    S.ListComplete = missing->empty();
}

// ---------------------------------------------------------------------------------------------
// Requests

bool TDownloadEngine::Write(std::uint16_t reg, std::uint16_t value) {
    // A request that throws has no outcome to wait for.
    FOutcomeKnown = true;
    FOutcomeNormal = false;
    try {
        FAwaitedId = FRequests.WriteSingleRegister(reg, value);
        FOutcomeKnown = false;
        return true;
    } catch (const std::exception& e) {
        RequestFailed(e.what());
    } catch (...) {
        RequestFailed("Request failed");
    }
    return false;
}

bool TDownloadEngine::Read(std::uint16_t start, std::uint16_t count) {
    FOutcomeKnown = true;
    FOutcomeNormal = false;
    try {
        FAwaitedId = FRequests.ReadHoldingRegisters(start, count);
        FOutcomeKnown = false;
        return true;
    } catch (const std::exception& e) {
        RequestFailed(e.what());
    } catch (...) {
        RequestFailed("Request failed");
    }
    return false;
}

void TDownloadEngine::WriteAndWait(std::uint16_t reg, std::uint16_t value, std::int32_t ms,
                                   TWaitKind kind) {
    if (Write(reg, value)) {
        AwaitRequest(ms, kind);
    }
}

void TDownloadEngine::ReadAndWait(std::uint16_t start, std::uint16_t count, std::int32_t ms,
                                  TWaitKind kind) {
    if (Read(start, count)) {
        AwaitRequest(ms, kind);
    }
}

void TDownloadEngine::AwaitRequest(std::int32_t fixedMs, TWaitKind kind) {
    // A setup step may wait as long as its request can take with all its attempts.
    const std::int32_t limit = ClampToInt32(FRequests.ExchangeTiming().LimitMs);
    if (FDelayChoice == dmLine) {
        WaitForOutcome(kind == wkSetup && limit > 0 ? limit : fixedMs);
        return;
    }
    FHost.PumpWait(fixedMs);
    if (kind == wkSetup && !FOutcomeKnown && limit > fixedMs) {
        WaitForOutcome(limit - std::max(fixedMs, 0));
    }
}

void TDownloadEngine::WaitForOutcome(std::int32_t ms) {
    FHost.PumpWaitUntil([this] { return FOutcomeKnown; }, ms);
}

void TDownloadEngine::SettleLastRequest() {
    if (FDelayChoice == dmLine && !FOutcomeKnown) {
        WaitForOutcome(ClampToInt32(FRequests.ExchangeTiming().LimitMs));
    }
}

void TDownloadEngine::RequestFailed(const std::string& message) {
    // One line per procedure: once the connection is gone every later request fails alike.
    if (!FRequestErrorReported) {
        FRequestErrorReported = true;
        Report(message, skFailure);
    }
    if (FInDownload) {
        S.DownloadFailed = true;
        S.AbortRequested = true;
    }
}

bool TDownloadEngine::ValueThere() const {
    return S.ReadCompleted && FImporter.RecordTable().HasValue(S.RecordPointer, 0);
}

// ---------------------------------------------------------------------------------------------
// Shared steps

void TDownloadEngine::EnableComponents(bool enabled) {
    FView.enableComponents(enabled);
    FView.SetHourglassCursor(false);
}

void TDownloadEngine::EnableExportTab(bool enabled) {
    FView.EnableExportTabControls(enabled, S.ExportReady);
    FView.SetHourglassCursor(false);
}

bool TDownloadEngine::ConfirmEstimate(double seconds, bool ask) {
    const std::string duration = FormatDuration(seconds);
    if (ask && !FHost.AskYesNo("", kEstimatePrefix + duration + ". Continue?", false)) {
        return false;
    }
    Report(kEstimatePrefix + duration, skEstimate);
    Report("Initializing Download...");
    return true;
}

void TDownloadEngine::GetCurrentRecord() {
    const TRecordTable& table = FImporter.RecordTable();
    S.ReadCompleted = false;
    ReadAndWait(kCurrentRecordHigh, 1, 250);
    if (ValueThere()) {
        const std::int64_t high = *table.Value(S.RecordPointer, 0);
        S.ReadCompleted = false;
        ReadAndWait(kCurrentRecordLow, 1, 250);
        S.CurrentRecord = ValueThere() ? *table.Value(S.RecordPointer, 0) + high * 65536 : 0;
    } else {
        S.CurrentRecord = 0;
    }
    if (S.FullDumpMode) {
        // The whole log is records 0..CurrentRecord. The block list reads the N records after
        // FirstRecord = CurrentRecord - N, so N counts record 0 too; with N = CurrentRecord,
        // record 0 would never be read.
        S.RecordsRequested = S.CurrentRecord > 0 ? ClampToInt32(S.CurrentRecord + 1) : 0;
        S.BlockCount = S.RecordsRequested;
    }
}

void TDownloadEngine::getRecords(std::int32_t count, bool following, bool byDate) {
    FImporter.ReceivedRows().Clear();
    if (FInputs.RecentChecked) {
        GetCurrentRecord();
    }
    if (S.CurrentRecord > kRecordLimit) {
        Report("Download FAILED! Date/Time record not found.", skFailure);
        S.AbortRequested = true;
    }
    Report("Current Record: " + std::to_string(S.CurrentRecord), skBold);

    const std::int64_t span = std::int64_t{count} * S.Interval;
    std::int64_t first = following ? S.CurrentRecord
                         : byDate  ? S.CurrentRecord - span + S.Interval
                                   : S.CurrentRecord - span;
    if (first < 0) {
        first += TDownloadState::RecordSpace;
    }
    S.FirstRecord = ClampToInt32(first);

    // One record per block, starting one interval after the first record.
    const std::int32_t blocks = std::clamp(count, 0, TDownloadState::RecordSpace);
    for (std::int32_t k = 1; k <= blocks; ++k) {
        std::int64_t record = first + std::int64_t{k} * S.Interval;
        if (record > kRecordLimit) {
            record -= TDownloadState::RecordSpace;
        }
        S.BlockList[static_cast<std::size_t>(k - 1)] = ClampToInt32(record);
    }
    S.BlockCount = blocks;
    // The newest record of the window.
    const std::int64_t last = (first + span) % TDownloadState::RecordSpace;
    Report("First Record: " + std::to_string(first));

    ReadPasses(count, last);
}

void TDownloadEngine::ReadPasses(std::int32_t expected, std::int64_t lastRecord) {
    FImporter.ImportedRows().Clear();
    FView.SetDisplayText("Updating list.  Please wait...");
    Report("Updating List... Please Wait...");

    bool timedOut = false;
    while (!S.ListComplete && !S.AbortRequested) {
        if (S.PassNumber == 2) {
            Report("Data cleanup... Please wait...");
        }
        if (S.PassNumber > kMaxPasses) {
            timedOut = true;
            break;
        }
        FImporter.ReceivedRows().Clear();
        FView.SetProgress(pbImported, 0);
        FView.SetProgressTextWhite(pbImported, false);
        ReadRecordBlocks(S.PassNumber);
        ImportPass();
        ++S.PassNumber;
    }
    FTimedOut = timedOut;
    if (!timedOut) {
        Report("Last Record: " + std::to_string(lastRecord));
    } else if (FImporter.List().Count() != expected) {
        Report("Download FAILED! Timed out before retrieving all records.", skFailure);
    }
}

void TDownloadEngine::ReadRecordBlocks(std::int32_t pass) {
    FImporter.ReceivedRows().Clear();
    FView.SetProgressTextWhite(pbReceived, false);
    // Later passes wait a little longer for the instrument.
    S.WriteDelay += (pass - 1) * 3;
    S.ReadDelay += (pass - 1) * 3;
    S.RecordPointer = S.FirstRecord;
    const std::int64_t started = FHost.TickMs();
    ShowProgress(pass, 0, started);
    for (std::int32_t i = 0; i < S.BlockCount && !S.AbortRequested; ++i) {
        if (StopIfLineLost()) {
            break;
        }
        SettleLastRequest();
        S.RecordPointer = S.BlockList[static_cast<std::size_t>(i)];
        WriteAndWait(kRecordPointer, static_cast<std::uint16_t>(S.RecordPointer & 0xFFFF),
                     S.WriteDelay, wkBlock);
        S.BlockOffset = 0;
        // At the speed of the line the pointer must be set before its block is read; a block
        // whose pointer write failed is asked for again in the next pass.
        if (FDelayChoice != dmLine || FOutcomeNormal) {
            ReadBlockAndWait(kRecordBlock, kRecordBlockSize, wkBlock);
        }
        ShowProgress(pass, i + 1, started);
    }
    SettleLastRequest();
}

void TDownloadEngine::ShowProgress(std::int32_t pass, std::int32_t done, std::int64_t passStartMs) {
    TPassProgress progress;
    progress.Pass = pass;
    progress.BlocksDone = done;
    progress.Blocks = S.BlockCount;
    progress.Received = FImporter.ReceivedCount();
    progress.Requested = S.RecordsRequested;
    progress.ElapsedMs = FHost.TickMs() - passStartMs;
    if (done > 0 && progress.ElapsedMs > 0) {
        progress.SecondsLeft = (progress.Blocks - done) * (progress.ElapsedMs / 1000.0) / done;
    } else if (pass == 1 && FEstimateSeconds > 0) {
        progress.SecondsLeft = std::max(0.0, FEstimateSeconds - FStopwatch.ElapsedMs() / 1000.0);
    }
    FView.ShowPassProgress(progress);
}

bool TDownloadEngine::ReadBlockAndWait(std::uint16_t start, std::uint16_t count, TWaitKind kind) {
    S.ReadCompleted = false;
    ReadAndWait(start, count, S.ReadDelay, kind);
    return S.ReadCompleted;
}

double TDownloadEngine::LineSpeedEstimate(std::int64_t records, std::int32_t setupExchanges) const {
    return LineSpeedSeconds(FRequests.ExchangeTiming(), records, setupExchanges);
}

void TDownloadEngine::FinishDownload() {
    FView.SetProgress(pbReceived, 0);
    FView.SetProgress(pbImported, 0);
    Report("Sorting List... Please Wait...");
    FImporter.SortRecordList();
    FStopwatch.Stop();
    const std::int64_t elapsed = FStopwatch.ElapsedMs();
    if ((elapsed / 60000) % 60 * 60 + (elapsed / 1000) % 60 != 0) {
        Report("Elapsed Time: " + FormatElapsed(elapsed), skElapsed);
    }
    S.ExportReady = true;
    if (S.FullDumpMode && !S.AbortRequested &&
        FHost.AskYesNo(kEraseTitle,
                       "Download Complete.  Would you like to PERMANENTLY ERASE ALL log data "
                       "from memory?",
                       true) &&
        Write(kErase, 1)) {
        AwaitRequest(S.WriteDelay, wkSetup);
        Report("Log data memory erased...");
    }
    EnableComponents(true);
    EnableExportTab(true);
    startAcquisition();
    Report("Download Complete!", skCompletion);
}

void TDownloadEngine::startAcquisition() {
    Report("Start Acquisition...");
    S.WriteAcknowledged = false;
    WriteAndWait(kAcquisition, kStartAcquisition, 250);
    if (!S.WriteAcknowledged) {
        Report("Start Acquisition FAILED!", skFailure);
    }
    WriteAndWait(kOutputLogsB, 0, 350);
    WriteAndWait(kOutputLogsA, 0, 350);
    FView.SetDisplayText("");
}

// ---------------------------------------------------------------------------------------------
// "Retrieve Data"

void TDownloadEngine::startButtonClick() {
    if (FRunning) {
        return; // a download is running: a second one must not start
    }
    TRunGuard run(FRunning);
    FInputs = FHost.Inputs();
    const TDownloadInputs& in = FInputs;
    auto refuse = [this](const std::string& text) { FHost.ShowMessageBox(biError, text); };
    auto notAnInteger = [](const std::string& text) {
        return Corvane::FormatText(Corvane::MessageText(Corvane::msgNotAValidInteger), {text});
    };

    S.FullDumpMode = false;
    if (in.RecordsText.empty()) {
        refuse("# or Recent Records cannot be empty.  Please try again.");
        return;
    }
    if (in.IntervalText.empty()) {
        refuse("Interval cannot be empty.  Please try again.");
        return;
    }
    const auto interval = ParseCount(in.IntervalText);
    if (!interval) {
        refuse(notAnInteger(in.IntervalText));
        return;
    }
    const std::string& countText = in.RecentChecked ? in.RecordsText : in.RecentDateText;
    const auto records = ParseCount(countText);
    if (!records) {
        refuse(notAnInteger(countText));
        return;
    }
    S.Interval = *interval;
    S.RecordsRequested = *records;
    S.BlockCount = *records;
    if (std::int64_t{*records} * *interval > kRecordLimit) {
        refuse("Downloading data is limited to 62000 records.  The number of records you are "
               "trying to retrieve muliplied by the interval is greater than 62000.  Please "
               "adjust these values and try again.");
        return;
    }
    // The search time is checked now, before anything is changed: minute, hour, day, month.
    std::array<std::uint16_t, 4> when{};
    if (!in.RecentChecked) {
        const std::array<const std::string*, 4> texts = {&in.MinuteText, &in.HourText, &in.DayText,
                                                         &in.MonthText};
        for (std::size_t i = 0; i < texts.size(); ++i) {
            const auto value = ParseCount(*texts[i]);
            if (!value) {
                refuse(notAnInteger(*texts[i]));
                return;
            }
            if (*value > 65535) {
                refuse(Corvane::FormatText(Corvane::MessageText(Corvane::msgValueMustBeBetween),
                                           {std::int64_t{0}, std::int64_t{65535}}));
                return;
            }
            when[i] = static_cast<std::uint16_t>(*value);
        }
    }
    RetrieveLogData(*records, !in.RecentChecked, when);
}

void TDownloadEngine::BeginDownloadRun() {
    FImporter.RecordTable().Fill(1, kRecordLimit, 1, 43, 0);
    S.AllDataMode = true;
    FView.SetTransactionTimerEnabled(false);
    EnableComponents(false);
    FView.SetConsoleRegisterAccess(false);
    S.DownloadFailed = false;
    FStopwatch.Reset();
    FStopwatch.Start();
    S.AbortRequested = false;
    FInDownload = true;
    FRequestErrorReported = false;
    FTimedOut = false;
    UpdateCommunicationDelays();
}

void TDownloadEngine::RetrieveLogData(std::int32_t records, bool byDate,
                                      const std::array<std::uint16_t, 4>& when) {
    BeginDownloadRun();

    // records / 25 x 6 + 8 (or + 16 by date) seconds; above 60 is asked, compared in whole
    // numbers (x 25) so that the limit itself is exact. At the speed of the line: what the
    // line needs for the exchanges.
    const std::int32_t setup = byDate ? 16 : 8;
    bool ask = std::int64_t{records} * 6 + 25 * setup > 60 * 25;
    FEstimateSeconds = records / 25.0 * 6 + setup;
    if (FDelayChoice == dmLine) {
        FEstimateSeconds =
            LineSpeedEstimate(records, byDate ? kDateSetupExchanges : kRecentSetupExchanges);
        ask = FEstimateSeconds > 60;
    }
    if (!ConfirmEstimate(FEstimateSeconds, ask)) {
        EnableComponents(true);
        FStopwatch.Stop();
        FInDownload = false;
        return;
    }
    const std::string interval = ", every " + std::to_string(S.Interval) + ". record";
    ArchiveStarted(byDate ? dkByDate : dkRecent,
                   byDate ? std::to_string(records) + " records " +
                                (FInputs.PrevFollIndex == 1 ? "following " : "previous to ") +
                                FInputs.MonthText + "/" + FInputs.DayText + " " + FInputs.HourText +
                                ":" + FInputs.MinuteText + interval
                          : std::to_string(records) + " most recent records" + interval);

    FImporter.ClearCounts();
    Report("All Data Checked...");
    FImporter.List().Clear();
    FView.ShowListView();
    FView.SetRemoveRecordsButtonEnabled(false);

    PrepareInstrument(S.Interval);

    S.PassNumber = 1;
    S.ListComplete = false;
    FView.SetProgress(pbReceived, 0);
    if (!S.DownloadFailed) {
        if (byDate) {
            RetrieveByDate(records, when);
        } else {
            RetrieveMostRecent(records);
        }
    }
    EndLogData();
}

void TDownloadEngine::PrepareInstrument(std::int32_t interval) {
    Report("Stop Acquisition...");
    S.WriteAcknowledged = false;
    WriteAndWait(kAcquisition, kStopAcquisition, 500);
    if (S.WriteAcknowledged && !S.DownloadFailed) {
        Report("Modbus Mode...");
        S.WriteAcknowledged = false;
        WriteAndWait(kModbusMode, kModbusModeOn, 3500);
    } else {
        S.DownloadFailed = true;
        Report("Stop Acquisition FAILED!", skFailure);
    }
    WriteAndWait(kOutputLogsA, 65535, S.WriteDelay);
    WriteAndWait(kOutputLogsB, 65535, S.WriteDelay);
    if (S.WriteAcknowledged && !S.DownloadFailed) {
        Report("Write Number of Output Logs...");
        S.WriteAcknowledged = false;
        WriteAndWait(kOutputLogsB, 0, 500);
        WriteAndWait(kOutputLogsA, 5, 1000);
    } else {
        S.DownloadFailed = true;
        Report("Modbus Mode FAILED!", skFailure);
    }
    if (S.WriteAcknowledged && !S.DownloadFailed) {
        Report("Write Nth Record...");
        S.WriteAcknowledged = false;
        WriteAndWait(kNthRecord, static_cast<std::uint16_t>(interval), 250);
    } else {
        S.DownloadFailed = true;
        Report("Write Number of Output Logs FAILED!", skFailure);
    }
}

void TDownloadEngine::EndLogData() {
    if (!S.DownloadFailed) {
        FinishDownload();
    } else {
        Report("** RETRIEVE LOG DATA FAILED **", skFailure);
        FView.SetProgress(pbReceived, 0);
        FView.SetProgress(pbImported, 0);
        FStopwatch.Stop();
        // The instrument samples again before the box waits for the operator, however long
        // the box stays open.
        startAcquisition();
        FHost.ShowMessageBox(
            biError, "Retrieve Log Data FAILED! Please check your configuration and try again.");
        EnableComponents(true);
    }
    ArchiveEnded();
    FHost.LogStep(skPlain, "");
    FInDownload = false;
}

void TDownloadEngine::RetrieveMostRecent(std::int32_t records) {
    Report("Start Retrieving Most Recent Records...");
    Report("Find Current Record...");
    GetCurrentRecord();
    AwaitRequest(250, wkSetup);
    Report("Retrieve All Records...");
    if (S.ReadCompleted) {
        getRecords(records, false, false);
    } else {
        Report("Find Current Record FAILED!", skFailure);
        S.DownloadFailed = true;
    }
}

void TDownloadEngine::RetrieveByDate(std::int32_t records,
                                     const std::array<std::uint16_t, 4>& when) {
    Report("Start Retrieving by Date...");
    Report("Find Current Record...");
    Report("Write Minute...");
    S.WriteAcknowledged = false;
    WriteAndWait(kSearchMinute, when[0], 250);

    // Each step runs only when the previous write was acknowledged; otherwise it names the
    // previous step as failed.
    struct TSearchStep {
        const char* Line;
        std::uint16_t Reg;
        std::uint16_t Value;
        std::int32_t Wait;
        const char* PreviousFailed;
    };
    const std::array<TSearchStep, 3> writes = {{
        {"Write Hour...", kSearchHour, when[1], 250, "Write Minute FAILED!"},
        {"Write Day...", kSearchDay, when[2], 250, "Write Hour FAILED!"},
        {"Write Month...", kSearchMonth, when[3], 2500, "Write Day FAILED!"},
    }};
    for (const TSearchStep& step : writes) {
        if (S.WriteAcknowledged && !S.DownloadFailed) {
            S.WriteAcknowledged = false;
            Report(step.Line);
            WriteAndWait(step.Reg, step.Value, step.Wait);
        } else {
            Report(step.PreviousFailed, skFailure);
            S.DownloadFailed = true;
        }
    }
    S.ReadCompleted = false;
    if (S.WriteAcknowledged && !S.DownloadFailed) {
        S.WriteAcknowledged = false;
        Report("Find Current Record...");
        ReadAndWait(kFoundRecord, 1, 500);
    } else {
        Report("Write Month FAILED!", skFailure);
        S.DownloadFailed = true;
    }
    if (S.ReadCompleted && !S.DownloadFailed) {
        getRecords(records, FInputs.PrevFollIndex == 1, true);
    } else {
        Report("Find Current Record FAILED!", skFailure);
        S.DownloadFailed = true;
    }
}

// ---------------------------------------------------------------------------------------------
// "Download Data" (the whole log)

void TDownloadEngine::downloadButtonClick() {
    if (FRunning) {
        return; // a download is running: a second one must not start
    }
    TRunGuard run(FRunning);
    FInputs = FHost.Inputs();

    S.FullDumpMode = true;
    FImporter.List().Clear();
    FView.ShowListView();
    S.Interval = 1;
    FImporter.RecordTable().Fill(1, kRecordLimit, 1, 75, std::nullopt);
    FView.SetTransactionTimerEnabled(false);
    S.ExportReady = false;
    EnableExportTab(false);
    FView.SetConsoleRegisterAccess(false);
    S.DownloadFailed = false;
    S.AbortRequested = false;
    FInDownload = true;
    FRequestErrorReported = false;
    FStopwatch.Reset();
    FStopwatch.Start();
    UpdateCommunicationDelays();
    GetCurrentRecord();
    const std::int32_t records = S.RecordsRequested;
    // The estimate counts N as the current record number, as the operator is used to.
    const std::int64_t estimated = S.CurrentRecord;

    // 0.25 N + (N (WriteDelay + ReadDelay) / 1000 + N / 10) / 6 + 4 seconds; in 1/6000 s it is
    // the whole number N (1600 + WriteDelay + ReadDelay) + 24000, compared exactly with 60 s.
    const std::int64_t sixThousandths = estimated * (1600 + S.WriteDelay + S.ReadDelay) + 24000;
    FEstimateSeconds = sixThousandths / 6000.0;
    bool ask = sixThousandths > 60 * 6000;
    if (FDelayChoice == dmLine) {
        FEstimateSeconds = LineSpeedEstimate(records, kWholeLogSetupExchanges);
        ask = FEstimateSeconds > 60;
    }
    if (records == 0) {
        if (!S.DownloadFailed) {
            FHost.ShowMessageBox(biQuestion, kEmptyLog);
            Report(std::string(kEmptyLog) + "..");
        }
        S.DownloadFailed = true;
    } else if (!S.DownloadFailed && !ConfirmEstimate(FEstimateSeconds, ask)) {
        EnableExportTab(true);
        FStopwatch.Stop();
        FInDownload = false;
        return;
    }

    if (records > 0) {
        ArchiveStarted(dkWhole, "the whole log, " + std::to_string(records) + " records");
    }
    FImporter.ClearCounts();
    FView.SetRemoveRecordsButtonEnabled(false);
    if (!S.DownloadFailed) {
        Report("Stop Acquisition...");
        WriteAndWait(kAcquisition, kStopAcquisition, 350);
    }
    if (!S.DownloadFailed) {
        Report("Modbus Mode...");
        S.WriteAcknowledged = false;
        WriteAndWait(kModbusMode, kModbusModeOn, 750);
    }

    ReadSizeTable();
    FView.SetListHeaderBold();
    S.SizeDataMode = false;
    WriteAndWait(kOutputLogsA, 0, S.WriteDelay);
    WriteAndWait(kOutputLogsB, 65535, S.WriteDelay);
    WriteAndWait(kNthRecord, 0, S.WriteDelay);
    S.AllDataMode = false;

    if (S.WriteAcknowledged && !S.DownloadFailed) {
        Report("Write Number of Output Logs...");
        S.WriteAcknowledged = false;
        WriteAndWait(kOutputLogsB, 0, S.WriteDelay);
        WriteAndWait(kOutputLogsA, 1, S.WriteDelay);
    } else {
        if (!S.DownloadFailed) {
            Report("Modbus Mode FAILED!", skFailure);
        }
        S.DownloadFailed = true;
    }
    if (S.WriteAcknowledged && !S.DownloadFailed) {
        Report("Write Nth Record...");
        S.WriteAcknowledged = false;
        WriteAndWait(kNthRecord, 1, 250);
    } else {
        if (!S.DownloadFailed) {
            Report("Write Number of Output Logs FAILED!", skFailure);
        }
        S.DownloadFailed = true;
    }

    S.PassNumber = 1;
    S.ListComplete = false;
    FView.SetProgress(pbReceived, 0);
    if (!S.DownloadFailed) {
        Report("Retrieving All Data...");
        getRecords(records, false, false);
    }

    if (!S.DownloadFailed) {
        FinishDownload();
    } else {
        FView.SetProgress(pbReceived, 0);
        FView.SetProgress(pbImported, 0);
        FStopwatch.Stop();
        startAcquisition();
        EnableExportTab(true);
    }
    ArchiveEnded();
    FHost.LogStep(skPlain, "");
    FInDownload = false;
}

void TDownloadEngine::ReadSizeTable() {
    // Selected by 243 = 1 and 244 = 0, read from the record before the current one.
    S.SizeDataMode = true;
    FImporter.SizeData().Clear();
    if (!S.WriteAcknowledged || S.DownloadFailed) {
        return;
    }
    S.AllDataMode = true;
    Report("Retrieve Size Data...");
    WriteAndWait(kOutputLogsA, 1, S.WriteDelay);
    WriteAndWait(kOutputLogsB, 0, S.WriteDelay);
    WriteAndWait(kNthRecord, 1, S.WriteDelay);
    S.ReadCompleted = false;
    ReadAndWait(kCurrentRecordLow, 1, 500);
    if (ValueThere()) {
        S.RecordPointer -= 1;
        WriteAndWait(kRecordPointer, static_cast<std::uint16_t>(S.RecordPointer & 0xFFFF), 1250);
        if (ReadBlockAndWait(kRecordBlock, kSizeTableBlockSize, wkSetup) &&
            !FImporter.SizeData().IsEmpty()) {
            FImporter.SizeData().ApplyCaptions(FImporter.List());
        }
    } else if (!S.DownloadFailed) {
        Report("Retrieve Size Data FAILED! Continuing...", skFailure);
    }
}

// ---------------------------------------------------------------------------------------------
// "New records"

void TDownloadEngine::newRecordsButtonClick() {
    if (FRunning) {
        return; // a download is running: a second one must not start
    }
    TRunGuard run(FRunning);
    FInputs = FHost.Inputs();
    // The count of most recent records to read when the archive knows nothing of what the
    // instrument holds: the "# of Recent Records" input, checked as "Retrieve Data" checks it.
    if (FInputs.RecordsText.empty()) {
        FHost.ShowMessageBox(biError, "# or Recent Records cannot be empty.  Please try again.");
        return;
    }
    const auto records = ParseCount(FInputs.RecordsText);
    if (!records) {
        FHost.ShowMessageBox(biError,
                             Corvane::FormatText(Corvane::MessageText(Corvane::msgNotAValidInteger),
                                                 {FInputs.RecordsText}));
        return;
    }
    if (*records > kRecordLimit) {
        FHost.ShowMessageBox(
            biError, "Downloading data is limited to 62000 records.  The number of records you "
                     "are trying to retrieve muliplied by the interval is greater than 62000.  "
                     "Please adjust these values and try again.");
        return;
    }
    S.FullDumpMode = false;
    S.Interval = 1;
    S.RecordsRequested = *records;
    S.BlockCount = *records;
    BeginDownloadRun();
    // New records go at the speed of the line whatever the delay menu says: each wait ends as
    // soon as its request is answered.
    ApplyCommunicationDelays(dmLine);
    ArchiveStarted(dkNew,
                   "new records (else the " + std::to_string(*records) + " most recent records)");

    FImporter.ClearCounts();
    Report("All Data Checked...");
    FImporter.List().Clear();
    FView.ShowListView();
    FView.SetRemoveRecordsButtonEnabled(false);

    PrepareInstrument(1);

    S.PassNumber = 1;
    S.ListComplete = false;
    FView.SetProgress(pbReceived, 0);
    if (!S.DownloadFailed) {
        RetrieveNewRecords(*records);
    }
    EndLogData();
}

void TDownloadEngine::RetrieveNewRecords(std::int32_t fallbackCount) {
    Report("Start Retrieving New Records...");
    Report("Find Current Record...");
    GetCurrentRecord();
    FHost.PumpWait(250);
    if (!S.ReadCompleted || S.CurrentRecord > kRecordLimit) {
        Report("Find Current Record FAILED!", skFailure);
        S.DownloadFailed = true;
        return;
    }
    Report("Current Record: " + std::to_string(S.CurrentRecord), skBold);
    const auto current = static_cast<std::int32_t>(S.CurrentRecord);

    TNewRecordsWindow window;
    if (FArchive != nullptr) {
        window = FArchive->PlanNewRecords(current, fallbackCount, [this](std::int32_t record) {
            return ReadSingleBlock(record);
        });
        ReportArchiveFailure();
    } else {
        // Without an archive every record is new: the most recent ones.
        window.WindowSize = fallbackCount;
        window.FirstRecord =
            (current - fallbackCount + TDownloadState::RecordSpace) % TDownloadState::RecordSpace;
        for (std::int32_t k = 1; k <= fallbackCount; ++k) {
            window.Records.push_back((window.FirstRecord + k) % TDownloadState::RecordSpace);
        }
    }
    if (window.Failure) {
        Report(*window.Failure, skFailure);
        S.DownloadFailed = true;
        return;
    }
    for (const std::string& note : window.Notes) {
        Report(note);
    }
    if (S.AbortRequested) {
        return;
    }
    const auto wanted = static_cast<std::int32_t>(window.Records.size());
    if (wanted == 0) {
        Report("No new records.");
        return;
    }
    Report(kEstimatePrefix + FormatDuration(wanted / 25.0 * 6), skEstimate);
    S.FirstRecord = window.FirstRecord;
    S.RecordsRequested = window.WindowSize;
    std::copy(window.Records.begin(), window.Records.end(), S.BlockList.begin());
    S.BlockCount = wanted;
    FImporter.SetWanted(window.Records);
    FImporter.ReceivedRows().Clear();
    Report("First Record: " + std::to_string(S.FirstRecord));
    ReadPasses(wanted, current);
}

std::optional<Corvane::TRegValues> TDownloadEngine::ReadSingleBlock(std::int32_t record) {
    if (S.AbortRequested || StopIfLineLost()) {
        return std::nullopt;
    }
    WriteAndWait(kRecordPointer, static_cast<std::uint16_t>(record & 0xFFFF), S.WriteDelay);
    FSingleRead = TSingleRead{true, false, std::nullopt};
    if (Read(kRecordBlock, kRecordBlockSize)) {
        // The read's outcome, or as long as a request with its retries can take.
        FHost.PumpWait(S.ReadDelay);
        for (std::int32_t waited = 0; !FSingleRead.Done && !S.AbortRequested && waited < 5000;
             waited += 25) {
            FHost.PumpWait(25);
        }
    }
    FSingleRead.Active = false;
    std::optional<Corvane::TRegValues> values = std::move(FSingleRead.Values);
    // A record that holds a sample carries its own number; anything else was not asked for.
    if (values &&
        (values->size() < kRecordBlockSize || ((*values)[0] != 65535 && (*values)[1] != record))) {
        values.reset();
    }
    return values;
}

void TDownloadEngine::ArchiveStarted(TDownloadKind kind, const std::string& request) {
    FArchiving = FArchive != nullptr;
    if (FArchiving) {
        FArchive->DownloadStarted(kind, request);
    }
}

void TDownloadEngine::ArchiveEnded() {
    if (!FArchiving) {
        return;
    }
    FArchiving = false;
    TDownloadOutcome outcome = doComplete;
    if (S.DownloadFailed) {
        outcome = S.AbortRequested ? doStopped : doFailed;
    } else if (FTimedOut || S.AbortRequested) {
        outcome = doIncomplete;
    }
    FArchive->DownloadEnded(outcome, FImporter.ReceivedCount());
    ReportArchiveFailure();
}

void TDownloadEngine::ReportArchiveFailure() {
    if (FArchive == nullptr) {
        return;
    }
    if (const std::optional<std::string> failure = FArchive->TakeFailure()) {
        Report(*failure, skFailure);
    }
}

// ---------------------------------------------------------------------------------------------
// Stop and erase

void TDownloadEngine::stopButtonClick() {
    if (!FRunning) {
        return;
    }
    if (FHost.AskYesNo("", "Stop Downloading?", false)) {
        StopDownload();
    } else {
        S.AbortRequested = false;
    }
}

bool TDownloadEngine::StopIfLineLost() {
    if (!FRequests.LineLost()) {
        return false;
    }
    // As the queue watch does: its own failure line, then the stop.
    Report(kLineLostFailure, skFailure);
    StopDownload();
    return true;
}

void TDownloadEngine::StopDownload() {
    S.AbortRequested = true;
    S.DownloadFailed = true;
    FView.SetHourglassCursor(true);
    Report("Stopping Download...");
    FView.RepaintWindow();
}

void TDownloadEngine::EraseSampleDatafromMemory1Click() {
    if (FRunning) {
        return; // never erase under a running download
    }
    TRunGuard run(FRunning);
    if (!FHost.AskYesNo(kEraseTitle, "Erase ALL log data from memory?", true)) {
        return;
    }
    FRequestErrorReported = false;
    if (!Write(kErase, 1)) {
        return;
    }
    AwaitRequest(S.WriteDelay, wkSetup);
    if (!Write(kModbusMode, kModbusModeOn)) {
        return;
    }
    AwaitRequest(S.WriteDelay, wkSetup);
    Report("Log data memory erased...");
    startAcquisition();
}

} // namespace Sondrel
