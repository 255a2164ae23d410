// What the download shows besides its log: the status text, the two progress bars, the enabled
// state of the window's controls, the wait cursor, the record list's view, and the console's
// state that a download changes (the stall counter timer, ConsoleRegisterAccess). Only the
// window has these; every method does nothing unless a view overrides it, so a host without a
// window (the command-line tool, a benchmark) passes None().
//
// Threads: main thread, called by the download engine and the record importer. A view is
// borrowed by them and must outlive them.
#pragma once

#include "DownloadHost.h"

#include <cstdint>
#include <string>

namespace Sondrel {

// The two progress bars of the download.
enum TDownloadProgressBar : std::uint8_t {
    pbReceived, // ALProgressBar11: records received as a share of those requested
    pbImported  // ALProgressBar21: the import of the current pass
};

// Where a read pass stands, after each of its blocks (and before the first).
struct TPassProgress {
    std::int32_t Pass = 1;
    std::int32_t BlocksDone = 0; // blocks of this pass read (or given up)
    std::int32_t Blocks = 0;     // blocks this pass reads
    std::int32_t Received = 0;   // records received since the download started
    std::int32_t Requested = 0;  // N
    std::int64_t ElapsedMs = 0;  // since this pass started
    // The download's time left, estimated from the pass's rate so far (before its first block,
    // from the download's estimate); negative when it cannot be told.
    double SecondsLeft = -1;
};

class TDownloadView {
public:
    virtual ~TDownloadView() = default;

    // A view that shows nothing, for programs without a window.
    static TDownloadView& None();

    // displayLabel1's text.
    virtual void SetDisplayText(const std::string&) {}
    // A progress bar's position 0..100, and its text colour (white or black).
    virtual void SetProgress(TDownloadProgressBar, std::int32_t) {}
    virtual void SetProgressTextWhite(TDownloadProgressBar, bool) {}
    // enableComponents: the Log Data inputs and buttons, the console's register controls, the
    // firmware page's controls, the menus and the delay/firmware baud submenus take `enabled`,
    // stopButton and stopToolButton the opposite.
    virtual void enableComponents(bool) {}
    // EnableExportTabControls: EraseSampleDatafromMemory1, CommunicationDelay1 and
    // FirmwareBaudRate1 take `enabled`, stopButton2 the opposite; exportButton, expButton and
    // exportComboBox take exportReady.
    virtual void EnableExportTabControls(bool /*enabled*/, bool /*exportReady*/) {}
    virtual void SetHourglassCursor(bool) {}
    // The window repainted at once (after "Stopping Download...").
    virtual void RepaintWindow() {}
    // transactionTimer, the queue watch's stall counter.
    virtual void SetTransactionTimerEnabled(bool) {}
    // The console's ConsoleRegisterAccess flag (cleared when a download starts).
    virtual void SetConsoleRegisterAccess(bool) {}
    // The record list's view brought to the front after the list was cleared.
    virtual void ShowListView() {}
    // The list's column header drawn bold and repainted.
    virtual void SetListHeaderBold() {}
    virtual void SetRemoveRecordsButtonEnabled(bool) {}
    // A read pass moved on (the command-line tool's progress line, the window's time left).
    virtual void ShowPassProgress(const TPassProgress&) {}
};

// A step of the download: the line goes to the host's log and to the view's status text.
void ReportStep(TDownloadHost& host, TDownloadView& view, const std::string& text,
                TDownloadStepKind kind = skPlain);

} // namespace Sondrel
